// Handlers of the equalizer: its state, whether the profile sets the band gains, the built-in
// presets and the user's gain profiles loaded into the ten band sliders, and the marking of
// the preset and the user profile that the sliders equal. Live, each changed band is sent.
#include <algorithm>

#include "device/packets.h"
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
    if (liveProfileName_.empty()) return;
    // The band alone, and with it any other band where the card holds what the editor last saw
    // but not what the sliders show (a stored band past their end went at live start): then all
    // ten, the card's own kept in the bands another program changed since, which then show.
    const Bytes gains = EncodeEqGain(), card = GetProfileValue(L"", L"EqGain");
    std::vector<Bytes> bands;
    for (std::size_t b = 0; b < 10 && 4 * b + 4 <= gains.size(); ++b) {
        bands.emplace_back(gains.size(), 0);
        std::fill_n(bands.back().begin() + static_cast<std::ptrdiff_t>(4 * b), 4, 0xFF);
    }
    const auto own = static_cast<std::size_t>(index);
    Bytes mask = record_.PartsToSend(L"EqGain", gains, card, bands, own);
    // The real-time window changes only what the user moves: a band the card holds past the
    // slider's end (another program's) shows at that end and stays on the card as it is.
    if (realTimeMode_ && card.size() == gains.size()) {
        const std::array<int, 10> held = kal::DecodeEqGain(card);
        for (std::size_t b = 0; b < bands.size(); ++b) {
            const cSlider& band = csliEQ[b]->Bar();
            const int h = held[b];
            if (b != own && (h < band.Min() || h > band.Max()) && band.Value() == std::clamp(h, band.Min(), band.Max()))
                std::fill_n(mask.begin() + static_cast<std::ptrdiff_t>(4 * b), 4, 0);
        }
    }
    if (own < bands.size() && mask == bands[own]) {
        ApplyEqBand(static_cast<std::uint8_t>(index), EncodeEqBand(value));
    } else {
        Bytes out = card.size() == gains.size() ? card : gains;
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<std::uint8_t>((out[i] & ~mask[i]) | (gains[i] & mask[i]));
        ApplyEqGain(out);
    }
    NoteOwnPart(L"EqGain", mask);
}

void frmProfile::optEQ_Click(int index) {
    if (liveProfileName_.empty()) return;
    Bytes value{static_cast<std::uint8_t>(index == 1 ? 1 : 0)};
    if (index == kEqDontChange) {
        // In the real-time window too, only the restore point's own state goes back.
        if (!ProfileValueExists(liveProfileName_, L"EqEnable")) return;
        value = GetProfileValue(liveProfileName_, L"EqEnable");
    }
    ApplyEqEnable(value);
    NoteOwnSend({L"EqEnable"});
}

void frmProfile::optEQProfile_Click(int index) {
    const bool set = index == 1;
    HWND gains = pctEQProfile->Window();
    for (Control* c : Controls())
        if (c->Window() && ::IsChild(gains, c->Window())) c->SetEnabled(set);
    // Enabled, the buttons follow their own rule.
    eqUserProfiles_.UpdateButtons();
    // Live: the gains shown, or the restore point's own when they are left out.
    if (const auto value = LiveChoice(!set, L"EqGain", EncodeEqGain())) {
        ApplyEqGain(*value);
        NoteOwnSend({L"EqGain"});
    }
}

void frmProfile::optLoadEQPreset_Click(int index) {
    if (matchingPresets_ || index < 0 || index >= static_cast<int>(gEqPresetGains.size())) return;
    DecodeEqGain(HexToBytes(gEqPresetGains[static_cast<std::size_t>(index)]));
}

void frmProfile::cboEQUserProfiles_Click() {
    if (eqUserProfiles_.Matching()) return;
    if (const auto gains = eqUserProfiles_.Chosen()) DecodeEqGain(*gains);
    eqUserProfiles_.UpdateButtons();
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
