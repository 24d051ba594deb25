#include "device/cardlines.h"

#include <cwctype>
#include <stdexcept>

#include "base/log.h"
#include "device/audio.h"
#include "device/transport.h"
#include "startup/globals.h"
#include "base/keyed.h"
#include "base/registry.h"

namespace kal {

std::array<std::wstring, 1> gPlaybackLineIds;
std::array<std::wstring, 8> gInputLineIds;
std::array<std::int32_t, 8> gInputLineMonitorControl{};

namespace {

// The endpoint property holding the filter reference (interface path and filter name).
constexpr wchar_t kPropFilterReference[] = L"{233164C8-1B2C-4C7D-BC68-B671687A2567},1";
// Speakers endpoints of the card's wave filter are not the card's output.
constexpr wchar_t kWaveFilterSuffix[] = L"cp_wave";

// Input slots named by the categories the driver registers.
struct CategorySlot {
    const wchar_t* guid;
    int slot;
};
constexpr CategorySlot kCategorySlots[] = {
    {L"{AF24C5CC-A32D-479F-9FFB-BFD00E135BA9}", 2},  // Aux
    {L"{209A9FAC-0A88-4EC9-AEF4-84C01BD5477F}", 3},  // Wave
    {L"{3EC8502B-5D89-4D2D-A78A-FF45CA18A3B7}", 4},  // Mix
    {L"{F35C2296-20FF-46E8-BDAF-56B5DDFC9CFB}", 6},  // ALT
    {L"{5AEA5794-AA8A-4AAF-AB8B-4854C97B5D90}", 7},  // SPDIF In
};

std::wstring CategoryName(const wchar_t* guid) {
    auto v = RegRead(RegJoin(kMediaCategoriesKey, guid), L"Name", std::wstring());
    if (!v) return L"";
    if (const auto* text = std::get_if<std::wstring>(&*v)) return *text;
    return L"";
}

bool EndsWithLower(std::wstring text, const std::wstring& suffix) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int SlotOf(const std::wstring& line, const KeyedCollection<int>& categories) {
    switch (GetLineComponentType(line, 1)) {
    case kComponentSrcMicrophone: return 0;
    case kComponentSrcLine: return 1;
    case kComponentSrcCompactDisc: return 5;
    default: break;
    }
    const std::wstring description = gAudio->LineDescription(line, 1);
    return categories.Contains(description) ? categories.At(description) : -1;
}

// The first custom control of the line named exactly like the monitoring switch; 0 when none.
std::int32_t MonitorControlOf(const std::wstring& line, const std::wstring& monitorName) {
    if (!gAudio->CustomControls.Contains(line)) return 0;
    const auto count = static_cast<std::int32_t>(gAudio->CustomControls.At(line).size());
    for (std::int32_t j = 1; j <= count; ++j) {
        try {
            if (gAudio->ControlName(line, j) == monitorName) return j;
        } catch (const std::out_of_range&) {
            LogCaught(L"MonitorControlOf");
            return 0;
        }
    }
    return 0;
}

}  // namespace

std::uint32_t GetLineComponentType(const std::wstring& line, std::uint32_t flow) {
    if (!gAudio) return 0;
    if (gIsXP) {
        // XP: the id is a mixer line id in decimal text.
        try {
            return gAudio->LineType(MixerLineId(line), flow);
        } catch (const std::invalid_argument&) {
            LogCaught(L"GetLineComponentType");
            return 0;
        }
    }
    return gAudio->DeviceSubtypeToComponentType(gAudio->DeviceSubtype(line), flow);
}

void FindCardLines() {
    if (!gAudio) return;
    std::wstring identifier = gCardInstanceId;
    if (gIsXP) {
        std::wstring instance = gCardInstanceId;
        identifier = FindCardInterfacePath(instance, 1);
    }

    for (const auto& line : gAudio->LinesFromHID(identifier, 0)) {
        if (GetLineComponentType(line, 0) != kComponentDstSpeakers) continue;
        if (EndsWithLower(AudioValueText(gAudio->GetDeviceProperty(line, kPropFilterReference)), kWaveFilterSuffix))
            continue;
        gPlaybackLineIds[0] = line;
        break;
    }

    const auto inputs = gAudio->LinesFromHID(identifier, 1);
    if (inputs.empty()) return;
    KeyedCollection<int> categories;
    for (const auto& c : kCategorySlots) {
        const std::wstring name = CategoryName(c.guid);
        if (!name.empty() && !categories.Contains(name)) categories.Add(name, c.slot);
    }
    const std::wstring monitorName = CategoryName(kMonitorCategory);
    for (const auto& line : inputs) {
        const int slot = SlotOf(line, categories);
        if (slot < 0) continue;
        gInputLineIds[static_cast<std::size_t>(slot)] = line;
        if (const auto j = MonitorControlOf(line, monitorName)) gInputLineMonitorControl[static_cast<std::size_t>(slot)] = j;
    }
}

}  // namespace kal
