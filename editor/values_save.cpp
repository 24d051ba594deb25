// The profile values of the editor's controls, written in one fixed order: each value that is
// not at "Don't Change" (or, for a restore point, the card's present value of each). Nothing
// is deleted here; the caller clears the key first.
#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/hpampdialog.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "toolkit/utility.h"

namespace kal {
namespace {

const wchar_t* const kSwapValues[3] = {L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"};

// A mode list's value: the chosen entry, else the value loaded for the profile when the list
// has it, else the list's first entry.
Bytes ModeValue(const ComboBox& box, std::uint8_t loaded) {
    if (box.ListIndex() >= 0) return EncodeCode(static_cast<std::uint8_t>(box.ItemData(box.ListIndex())));
    for (int i = 0; i < box.ListCount(); ++i)
        if (box.ItemData(i) == loaded) return EncodeCode(loaded);
    return EncodeCode(box.ListCount() > 0 ? static_cast<std::uint8_t>(box.ItemData(0)) : loaded);
}

}  // namespace

// ---- Encoders of the controls ----

Bytes frmProfile::PanelConfig() const {
    const std::intptr_t output = OutputCode();
    return output < 0 ? Bytes{} : EncodeCode(static_cast<std::uint8_t>(output >> 8));
}

Bytes frmProfile::SpeakerConfig() const {
    const std::intptr_t output = OutputCode();
    return output < 0 ? Bytes{} : EncodeCode(static_cast<std::uint8_t>(output & 0xFF));
}

Bytes frmProfile::DVSMode() const { return ModeValue(*cboDolbyVirtualSpeakerMode, loadedDvsMode_); }
Bytes frmProfile::DHRoom() const { return ModeValue(*cboDolbyHeadphonesMode, loadedDhRoom_); }

Bytes frmProfile::EncodeSpDigitalOut() const { return EncodeCode(SelectedSPDIFFormat()); }

Bytes frmProfile::EncodeVolumeBalance(bool recording, int line, int channel) const {
    const Slider& volume = recording ? *csliInputLine[line] : *csliVolume;
    const Slider& balance = recording ? *csliInputLineBalance[line] : *csliMasterBalance;
    const bool useLast = !recording && OptionSelected(optVolume, 0);
    const auto pair =
        EncodeVolumePair(volume.Value() * kCurrencyScale, balance.Value() * (kCurrencyScale / 10), useLast);
    return {channel == 0 ? pair.first : pair.second};
}

Bytes frmProfile::EncodeChannelGain(int channel) const {
    const auto percent = static_cast<std::int16_t>(csliOutputChannel[channel]->Value());
    return kal::EncodeChannelGain(Fixed4ToDouble(DBFromLinear(percent, 35, -96, 12)));
}

Bytes frmProfile::EncodePl2xParam() const {
    return kal::EncodePl2xParam(chkDolby->Value() == 1, OptionSelected(optPL2xMode, 1), csliPL2xWidth->Value(),
                                csliPL2xDepth->Value(), OptionSelected(optAEC, 1));
}

Bytes frmProfile::EncodeNeoParam() const {
    return kal::EncodeNeoParam(chkNeo->Value() == 1, OptionSelected(optNEOMode, 1), csliNEOWidth->Value(),
                               csliNEODepth->Value());
}

Bytes frmProfile::EncodeEqGain() const {
    std::array<int, 10> bands{};
    for (int i = 0; i < 10; ++i) bands[static_cast<std::size_t>(i)] = csliEQ[i]->Value();
    return kal::EncodeEqGain(bands);
}

Bytes frmProfile::EncodeSpeakerSize() const {
    std::array<bool, 4> large{};
    for (int i = 0; i < 4; ++i) large[static_cast<std::size_t>(i)] = SelectedItemData(*cboSpeakerSize[i]) == 1;
    return kal::EncodeSpeakerSize(large);
}

// The headphone gain chosen in its dialog; "Don't change" when the dialog isn't there.
Bytes frmProfile::HpAmpValue() const {
    const frmHpImpedanceMode* amp = HpImpedanceDialog();
    return amp ? amp->HpAmp() : Bytes{255, 0, 0, 0};
}

// ---- Writing ----

void frmProfile::WriteValue(const std::wstring& profile, const std::wstring& name, const Bytes& value) const {
    RegWrite(RegJoin(gRegProfiles, profile), name, value);
}

void frmProfile::SaveValues(const std::wstring& name, bool fromCard) {
    auto put = [&](const std::wstring& value, const Bytes& bytes) { WriteValue(name, value, bytes); };
    // In a restore point every value written is the card's own.
    auto live = [&](const std::wstring& value) { put(value, GetProfileValue(L"", value)); };
    // A list's value: its entry unless "Don't Change"; a list showing nothing writes the value
    // loaded for it, if any.
    auto listed = [&](const ComboBox& box, const wchar_t* value, const Bytes& chosen) {
        if (box.ListIndex() >= 1)
            put(value, chosen);
        else if (const auto it = unlistedValues_.find(value); box.ListIndex() < 0 && it != unlistedValues_.end())
            put(value, it->second);
    };

    // The shortcut key and the custom icon.
    if (const auto key = EncodeShortcut(txtShortcut->Tag())) put(L"Shortcut", *key);
    if (!iconFile_.empty())
        RegWrite(RegJoin(gRegProfiles, name), L"CustomIcon",
                 EncodeCustomIcon(iconFile_, chkVolumeOverlay->Value() == 1));
    // SVN, the master volume and its flags.
    if (fromCard)
        live(L"SmartVolumeParams");
    else if (!OptionSelected(optSVN, 255))
        put(L"SmartVolumeParams", EncodeCode(OptionSelected(optSVN, 1) ? 1 : 0));
    if (chkIgnoreVolumeForProfileValidation->Value() == 1) put(L"VolIgnoreForValidation", {1});
    const std::wstring masterLeft = MixerValueName(0, 0, 0, 0), masterRight = MixerValueName(0, 0, 1, 0);
    bool volumeWritten = true;
    if (fromCard) {
        live(masterLeft);
        live(masterRight);
    } else if (!OptionSelected(optVolume, 255)) {
        put(masterLeft, EncodeVolumeBalance(false, 0, 0));
        put(masterRight, EncodeVolumeBalance(false, 0, 1));
    } else {
        volumeWritten = false;
    }
    // A restore point puts the volume back whatever the box says.
    if (!fromCard && volumeWritten && chkVolumeChangeOnlyOnDifferentOutput->Value() == 1)
        put(L"NoVolChangeOnSameOut", {1});
    // Windows channels and format, card sample rate, stereo upmix.
    if (fromCard)
        live(L"SystemSpeakers");
    else if (cboSpeakersLayout->ListIndex() >= 1)
        put(L"SystemSpeakers", {static_cast<std::uint8_t>(Speakers())});
    if (!gIsXP) {
        if (fromCard) {
            live(kMixerBitDepth);
            live(kMixerSampleRate);
        } else {
            listed(*cboBitDepth, kMixerBitDepth, {static_cast<std::uint8_t>(SelectedItemData(*cboBitDepth))});
            listed(*cboSystemSampleRate, kMixerSampleRate,
                   EncodeNumber(static_cast<std::uint32_t>(SelectedItemData(*cboSystemSampleRate))));
        }
    }
    if (fromCard)
        live(L"OutputFormat");
    else
        listed(*cboSampleRate, L"OutputFormat",
               EncodeNumber(static_cast<std::uint32_t>(SelectedItemData(*cboSampleRate))));
    if (fromCard)
        live(L"Dual2D");
    else
        listed(*cboStereoUpmix, L"Dual2D", EncodeCode(static_cast<std::uint8_t>(SelectedItemData(*cboStereoUpmix))));
    // The analog output; without a chosen or loaded output neither is written.
    const Bytes panel = fromCard ? GetProfileValue(L"", L"PanelConfig") : PanelConfig();
    if (!panel.empty()) {
        put(L"PanelConfig", panel);
        put(L"SpeakerConfig", fromCard ? GetProfileValue(L"", L"SpeakerConfig") : SpeakerConfig());
    }
    // The swaps and the headphone gain of the output's panel.
    for (std::size_t i = 0; i < 3; ++i) {
        if (fromCard)
            live(kSwapValues[i]);
        else if (FirstByte(swaps_[i], 255) < 255)
            put(kSwapValues[i], swaps_[i]);
    }
    if (gCardCaps && gCardCaps->HPAmp) {
        // A restore point holds the gain of both panels: live mode may switch to the other one.
        if (fromCard) {
            for (const wchar_t* gainName : {L"HpImpedanceModeRear", L"HpImpedanceModeFront"}) live(gainName);
        } else if (const Bytes gain = HpAmpValue(); !panel.empty() && FirstByte(gain, 255) < 255) {
            put(HpImpedanceValueName(panel), gain);
        }
    }
    // Digital output and effects: no "Don't Change" here.
    if (fromCard) {
        for (const wchar_t* value : {L"SpDigitalOut", L"DVSEnable", L"DVSMode", L"DHEnable", L"DHRoom", L"EnableXear3D",
                                     L"VSpeakerPos", L"Pl2xParam"})
            live(value);
        if (neoParamSupported_) live(L"NeoParam");
    } else {
        put(L"SpDigitalOut", EncodeSpDigitalOut());
        put(L"DVSEnable", EncodeFlag(chkDolbyVirtualSpeaker->Value() == 1));
        put(L"DVSMode", DVSMode());
        put(L"DHEnable", EncodeFlag(chkDolbyHeadphones->Value() == 1));
        put(L"DHRoom", DHRoom());
        put(L"EnableXear3D", EncodeFlag(chkVSS->Value() == 1));
        if (OptionSelected(optVSSLayout, 1)) put(L"VSpeakerPos", EncodeVSpeakerPos());
        put(L"Pl2xParam", EncodePl2xParam());
        if (neoParamSupported_) put(L"NeoParam", EncodeNeoParam());
    }
    // Playback channel gains; a restore point holds every channel, also those that an output
    // chosen later makes reachable.
    for (int i = 0; i < 8; ++i) {
        const auto& set = *chkPlaybackSet[i];
        const std::wstring value(gChannelVolumeValues[static_cast<std::size_t>(i)]);
        if (fromCard)
            live(value);
        else if (set.Enabled() && set.Value() == 1)
            put(value, EncodeChannelGain(i));
    }
    // Recording lines: volumes, then the custom controls.
    for (int j = 0; j < 8; ++j) {
        const auto& set = *chkRecordSet[j];
        if (!set.Enabled() || (!fromCard && set.Value() != 1)) continue;
        for (int channel = 0; channel < 2; ++channel) {
            const std::wstring value = MixerValueName(1, j, channel, 0);
            if (fromCard)
                live(value);
            else
                put(value, EncodeVolumeBalance(true, j, channel));
        }
        const int controls = CountIn(cmdRecordExtraOptions[j]->Tag());
        for (int k = 1; k <= controls; ++k) {
            const std::wstring value = MixerValueName(1, j, 0, k);
            if (fromCard)
                live(value);
            else if (const std::uint8_t b = GetCustomControlsValues(j, k); b < 255)
                put(value, {b});
        }
    }
    // Recording selection and equalizer.
    if (fromCard) {
        live(kMixerInputLineSel);
    } else if (!OptionSelected(optInputSelect, 255)) {
        const int selected = SelectedOption(optInputSelect);
        if (selected >= 0 && selected <= 7) put(kMixerInputLineSel, {static_cast<std::uint8_t>(selected)});
    }
    if (fromCard)
        live(L"EqEnable");
    else if (!OptionSelected(optEQ, 255))
        put(L"EqEnable", {static_cast<std::uint8_t>(OptionSelected(optEQ, 1) ? 1 : 0)});
    if (fromCard)
        live(L"EqGain");
    else if (OptionSelected(optEQProfile, 1))
        put(L"EqGain", EncodeEqGain());
    // Bass management, speaker sizes, echo cancellation.
    if (fromCard) {
        for (const wchar_t* value : {L"BassManagement", L"BassCornerFrequency", L"SpeakerSize", L"AEC"}) live(value);
        return;
    }
    put(L"BassManagement", EncodeFlag(OptionSelected(optFlexBass, 1)));
    put(L"BassCornerFrequency", EncodeCode(static_cast<std::uint8_t>(csliCrossover->Value())));
    put(L"SpeakerSize", EncodeSpeakerSize());
    put(L"AEC", EncodeAEC(OptionSelected(optAEC, 1)));
}

}  // namespace kal
