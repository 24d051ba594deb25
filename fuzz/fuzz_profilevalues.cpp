// Stored profile values as the summaries and the tooltip read them, and the check that keeps
// damaged values from the card: any names and bytes.
#include <array>
#include <cstdint>
#include <memory>

#include "device/portable/storedvalues.h"
#include "device/portable/texts.h"
#include "fuzz/fuzzinput.h"
#include "startup/catalogue.h"
#include "startup/tables.h"

namespace {

// The value names a profile holds, besides whatever name the input makes up.
constexpr std::array<const wchar_t*, 24> kNames = {
    L"SpeakerConfig", L"PanelConfig", L"SpDigitalOut", L"DVSEnable", L"DVSMode", L"DHEnable", L"DHRoom",
    L"EnableXear3D", L"VSpeakerPos", L"Pl2xParam", L"NeoParam", L"EqEnable", L"EqGain", L"BassManagement",
    L"BassCornerFrequency", L"SpeakerSize", L"AEC", L"SmartVolumeParams", L"OutputFormat", L"WaveOutVolL",
    L"_mixer00000", L"_mixerSampleRate", L"SystemSpeakers", L"HpImpedanceModeFront"};

class FuzzProfile final : public kal::SummarySource {
public:
    explicit FuzzProfile(kal::fuzz::Input& in) : in_(in), card_(in.Byte()) {}
    bool Holds(std::wstring_view) override { return in_.Byte() & 1; }
    kal::Bytes Value(std::wstring_view) override {
        kal::Bytes b(in_.Byte() % 140);
        for (auto& x : b) x = in_.Byte();
        return b;
    }
    kal::Currency LineVolume(int, int) override { return static_cast<kal::Currency>(in_.Byte()) * 10000; }
    std::optional<kal::Currency> LineDB(int, int, std::int16_t) override {
        if (in_.Byte() & 1) return std::nullopt;
        return -static_cast<kal::Currency>(in_.Byte()) * 10000;
    }
    const kal::CardModel* Card() override {
        std::size_t i = 0;
        for (const auto& [key, model] : kal::gCardModels)
            if (i++ == card_ % (kal::gCardModels.Count() + 1)) return model.get();
        return nullptr;
    }
    std::wstring EqPresetName(const kal::Bytes&) override { return L"Preset"; }
    std::wstring VssPresetName(const kal::Bytes&) override { return L"Layout"; }
    std::wstring DecimalSeparator() override { return L","; }

private:
    kal::fuzz::Input& in_;
    std::uint8_t card_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool built = [] {
        kal::BuildCardCatalogue();
        kal::BuildDriverDefaults(false);
        return true;
    }();
    (void)built;
    kal::fuzz::Input in(data, size);

    // The check that guards the card: any name, any bytes, or a text value.
    const std::uint8_t pick = in.Byte();
    const std::wstring name = pick < kNames.size() ? std::wstring(kNames[pick]) : in.Text(40);
    kal::Bytes value(in.Byte() % 140);
    for (auto& x : value) x = in.Byte();
    (void)kal::IsAcceptableStoredValue(name, (pick & 0x80) ? nullptr : &value);

    (void)kal::ChannelGainPercentOf(value);
    (void)kal::HpImpedanceValueName(value);
    kal::TooltipFacts facts;
    facts.levelKnown = in.Byte() & 1;
    facts.muted = in.Byte() & 1;
    facts.percent = static_cast<std::int16_t>(in.Byte() | in.Byte() << 8);
    if (in.Byte() & 1) facts.dB = -static_cast<kal::Currency>(in.Byte()) * 10000;
    facts.spDigitalOut = value;
    facts.speakerConfig = kal::Bytes(value.rbegin(), value.rend());
    facts.panelConfig = kal::Bytes(value.begin(), value.begin() + value.size() / 2);
    (void)kal::BuildTooltipText(facts, L".");

    FuzzProfile profile(in);
    (void)kal::BuildProfileSummary(profile);
    return 0;
}
