// Handlers of the equalizer: its state, whether the profile sets the band gains, the built-in
// presets and the user's gain profiles loaded into the ten band sliders, and the marking of
// the preset and the user profile that the sliders equal. Live, each changed band is sent.
#include <algorithm>

#include "device/profilevalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"
#include "startup/tables.h"

namespace kal {
namespace {

constexpr int kEqBands = 10;
constexpr int kEqDontChange = 255;

}  // namespace

void frmProfile::SelectMatchingOption(std::span<OptionButton* const> group, int index) {
    FlagScope matching(matchingPresets_);
    for (OptionButton* option : group)
        if (option->Index() == index || option->Value()) option->SetValue(option->Index() == index);
}

int frmProfile::FindEQPresetIndex() const {
    const std::wstring gains = BytesToHex(EncodeEqGain());
    for (std::size_t i = 0; i < gEqPresetGains.size(); ++i)
        if (gEqPresetGains[i] == gains) return static_cast<int>(i);
    return -1;
}

void frmProfile::SelectMatchingEQPreset() { SelectMatchingOption(optLoadEQPreset, FindEQPresetIndex()); }

void frmProfile::LoadEQUserProfiles() { eqUserProfiles_.Load(EncodeEqGain()); }

void frmProfile::SelectMatchingEQUserProfile() { eqUserProfiles_.SelectMatching(EncodeEqGain()); }

void frmProfile::csliEQ_Change(int index) {
    const std::int32_t value = csliEQ[index]->Value();
    lblEqValue[index]->SetCaption(std::to_wstring(value) + L"dB");
    SelectMatchingEQPreset();
    SelectMatchingEQUserProfile();
    if (liveProfileName_.empty() || loadingEqPreset_) return;
    // The band, and with it any other band where the card holds what the editor last saw but not
    // what the sliders show (a stored band past their end went at live start).
    SendToCard({{L"EqGain", ShownEqGain(), {static_cast<std::size_t>(index)}}});
}

// The bands as the sliders show them. The real-time window changes only what the user moves: a
// band the card holds past the slider's end (another program's) shows at that end and stands for
// the card's value.
Bytes frmProfile::ShownEqGain() const {
    Bytes gains = EncodeEqGain();
    const Bytes card = GetProfileValue(L"", L"EqGain");
    if (!realTimeMode_ || card.size() != gains.size()) return gains;
    const std::array<int, 10> held = kal::DecodeEqGain(card);
    for (std::size_t b = 0; b < held.size(); ++b) {
        const cSlider& band = csliEQ[b]->Bar();
        const int h = held[b];
        if ((h < band.Min() || h > band.Max()) && band.Value() == std::clamp(h, band.Min(), band.Max()))
            std::copy_n(card.begin() + static_cast<std::ptrdiff_t>(4 * b), 4, gains.begin() + static_cast<std::ptrdiff_t>(4 * b));
    }
    return gains;
}

void frmProfile::optEQ_Click(int index) {
    if (liveProfileName_.empty()) return;
    Bytes value{static_cast<std::uint8_t>(index == 1 ? 1 : 0)};
    if (index == kEqDontChange) {
        // In the real-time window too, only the restore point's own state goes back.
        if (!ProfileValueExists(liveProfileName_, L"EqEnable")) return;
        value = GetProfileValue(liveProfileName_, L"EqEnable");
    }
    SendToCard({{L"EqEnable", value, kWholeValue}});
}

void frmProfile::optEQProfile_Click(int index) {
    const bool set = index == 1;
    HWND gains = pctEQProfile->Window();
    for (Control* c : Controls())
        if (c->Window() && ::IsChild(gains, c->Window())) c->SetEnabled(set);
    // Enabled, the buttons follow their own rule.
    eqUserProfiles_.UpdateButtons();
    // Live: the gains shown, or the restore point's own when they are left out.
    if (const auto value = LiveChoice(!set, L"EqGain", EncodeEqGain())) SendToCard({{L"EqGain", *value, kWholeValue}});
}

void frmProfile::optLoadEQPreset_Click(int index) {
    if (matchingPresets_ || index < 0 || index >= static_cast<int>(gEqPresetGains.size())) return;
    LoadEqGainChoice(HexToBytes(gEqPresetGains[static_cast<std::size_t>(index)]));
}

void frmProfile::cboEQUserProfiles_Click() {
    if (eqUserProfiles_.Matching()) return;
    if (const auto gains = eqUserProfiles_.Chosen()) LoadEqGainChoice(*gains);
    eqUserProfiles_.UpdateButtons();
}

// A preset or user profile sets every band: live, each band the card doesn't hold as set goes,
// a slider that already stood at its value included.
void frmProfile::LoadEqGainChoice(const Bytes& gains) {
    {
        FlagScope loading(loadingEqPreset_);
        DecodeEqGain(gains);
    }
    SelectMatchingEQPreset();
    SelectMatchingEQUserProfile();
    if (liveProfileName_.empty()) return;
    const Bytes shown = EncodeEqGain(), card = GetProfileValue(L"", L"EqGain");
    const std::vector<Bytes> bands = ValueParts(L"EqGain", shown.size());
    std::vector<std::size_t> differing;
    for (std::size_t b = 0; b < bands.size(); ++b)
        if (card.size() != shown.size() || PartDiffers(card, shown, bands[b])) differing.push_back(b);
    if (!differing.empty()) SendToCard({{L"EqGain", shown, differing}});
}

void frmProfile::WireEqualizerEvents() {
    for (int i = 0; i < kEqBands; ++i) csliEQ[i]->Change = [this, i] { csliEQ_Change(i); };
    for (OptionButton* option : optEQ)
        if (option) option->Click = [this, i = option->Index()] { optEQ_Click(i); };
    for (OptionButton* option : optEQProfile) option->Click = [this, i = option->Index()] { optEQProfile_Click(i); };
    for (OptionButton* option : optLoadEQPreset)
        option->Click = [this, i = option->Index()] { optLoadEQPreset_Click(i); };
    eqUserProfiles_.Wire([this] { cboEQUserProfiles_Click(); }, [this] { return EncodeEqGain(); });
}

}  // namespace kal
