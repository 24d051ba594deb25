// The profile values of the editor's controls, written in one fixed order: each value that is
// not at "Don't Change" (or, for a restore point, the card's present value of each). Nothing
// is deleted here; the editor's Save removes what the key holds besides them.
#include <algorithm>
#include <functional>
#include <set>

#include "device/cardlines.h"
#include "device/mixervalues.h"
#include "device/portable/mixer_names.h"
#include "device/portable/packets.h"
#include "device/portable/storedvalues.h"
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

// A mode list's value: the chosen entry (kept aside while its effect is off), else the value
// loaded for the profile when the list has it, else the list's first entry.
Bytes ModeValue(const ComboBox& box, std::uint8_t loaded) {
    const int index = box.Enabled() || box.Tag().empty() ? box.ListIndex() : CountIn(box.Tag());
    if (index >= 0 && index < box.ListCount()) return EncodeCode(static_cast<std::uint8_t>(box.ItemData(index)));
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

bool frmProfile::HeadphoneGainShown() const { return OutputMode() == L"01"; }

Bytes frmProfile::DVSMode() const { return ModeValue(*cboDolbyVirtualSpeakerMode, loadedDvsMode_); }
Bytes frmProfile::DHRoom() const { return ModeValue(*cboDolbyHeadphonesMode, loadedDhRoom_); }

Bytes frmProfile::EncodeSpDigitalOut() const { return EncodeCode(SelectedSPDIFFormat()); }

Bytes frmProfile::EncodeVolumeBalance(bool recording, int line, int channel) const {
    const Slider& volume = recording ? *csliInputLine[line] : *csliVolume;
    const Slider& balance = recording ? *csliInputLineBalance[line] : *csliMasterBalance;
    const bool useLast = !recording && OptionSelected(optVolume, 0);
    const auto pair = EncodeVolumePair(KeptValue(volume) * kCurrencyScale,
                                       recording ? InputLineBalance(line) : KeptValue(balance) * (kCurrencyScale / 10),
                                       useLast);
    return {channel == 0 ? pair.first : pair.second};
}

bool frmProfile::InputLineStereo(int line) const { return csliInputLineBalance[line]->Tag() == L"2"; }

Currency frmProfile::InputLineBalance(int line) const {
    return InputLineStereo(line) ? csliInputLineBalance[line]->Value() * (kCurrencyScale / 10) : -kCurrencyScale;
}

void frmProfile::InputLineLevel(int line, const std::wstring& profile, Currency& volume, Currency& balance) const {
    GetProfileVolumeBalance(volume, balance, 1, line, profile);
    if (InputLineStereo(line)) return;
    Currency left = 0, right = 0;
    ChannelsBalance(left, right, volume, balance, true);
    volume = left;
    balance = -kCurrencyScale;
}

Bytes frmProfile::EncodeChannelGain(int channel, bool kept) const {
    const Slider& slider = *csliOutputChannel[channel];
    const auto percent = static_cast<std::int16_t>(kept ? KeptValue(slider) : slider.Value());
    return kal::EncodeChannelGain(Fixed4ToDouble(DBFromLinear(percent, 35, -96, 12)));
}

Bytes frmProfile::EncodePl2xParam() const { return EncodePl2xParam(OptionSelected(optAEC, 1)); }

Bytes frmProfile::EncodePl2xParam(bool aecOn) const {
    return kal::EncodePl2xParam(EffectOn(*chkDolby), OptionSelected(optPL2xMode, 1), KeptValue(*csliPL2xWidth),
                                KeptValue(*csliPL2xDepth), aecOn);
}

// ProLogic IIx as the live editor's speaker shifter carries it: a box the editor's output hides
// is off on the card (its kept value is the profile's, for Save and for the output that shows it
// again).
Bytes frmProfile::LivePl2xParam() const {
    if (chkDolby->Enabled()) return EncodePl2xParam();
    return kal::EncodePl2xParam(false, OptionSelected(optPL2xMode, 1), KeptValue(*csliPL2xWidth),
                                KeptValue(*csliPL2xDepth), OptionSelected(optAEC, 1));
}

Bytes frmProfile::EncodeNeoParam() const {
    return kal::EncodeNeoParam(EffectOn(*chkNeo), OptionSelected(optNEOMode, 1), KeptValue(*csliNEOWidth),
                               KeptValue(*csliNEODepth));
}

Bytes frmProfile::EncodeEqGain() const {
    std::array<int, 10> bands{};
    for (int i = 0; i < 10; ++i) bands[static_cast<std::size_t>(i)] = csliEQ[i]->Value();
    return kal::EncodeEqGain(bands);
}

Bytes frmProfile::EncodeSpeakerSize() const {
    std::array<bool, 4> large{};
    // A disabled box keeps its size aside (SetComboEnabled).
    for (int i = 0; i < 4; ++i) {
        const ComboBox& box = *cboSpeakerSize[i];
        const int index = box.Enabled() || box.Tag().empty() ? box.ListIndex() : CountIn(box.Tag());
        large[static_cast<std::size_t>(i)] = index >= 0 && index < box.ListCount() && box.ItemData(index) == 1;
    }
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

std::vector<std::pair<std::wstring, RegValue>> frmProfile::ValuesToWrite(bool fromCard, bool live) const {
    const ProfileValueList values = ProfileValues(fromCard);
    std::set<std::wstring> changed = record_.ChangedGroups(values);
    // A headphone gain reaches the card only with its panel: a gain the user chose for the
    // output's panel saves that panel too, also in a profile that named none.
    const std::wstring gain = HpImpedanceValueName(PanelConfig());
    if (!fromCard && changed.count(gain))
        for (const SavedValue& v : values)
            if (v.name == gain && v.bytes && v.shown) changed.insert(L"PanelConfig");
    std::vector<std::pair<std::wstring, RegValue>> out;
    for (const SavedValue& v : values) {
        // A playback row the output hides goes too: an output chosen from outside may bring it
        // back, and a channel the output lacks plays nothing.
        if (live && !v.shown && ChannelIndex(v.name) < 0) continue;
        if (auto bytes = fromCard ? v.bytes : record_.ToWrite(v, changed)) out.emplace_back(v.name, std::move(*bytes));
    }
    if (fromCard || live) return out;
    for (auto& stored : record_.StoredBeyond(values)) out.push_back(std::move(stored));
    return out;
}

bool frmProfile::SaveValues(const std::wstring& name, bool fromCard, bool live) {
    const std::wstring key = RegJoin(gRegProfiles, name);
    for (const auto& [value, bytes] : ValuesToWrite(fromCard, live))
        if (!RegWrite(key, value, bytes)) return false;
    return true;
}

// "Don't Change", a row not set, a list showing nothing leave a value out.
ProfileValueList frmProfile::ProfileValues(bool fromCard) const {
    ProfileValueList out;
    auto put = [&](const std::wstring& value, const RegValue& bytes) {
        out.push_back({value, bytes, 0, true, std::nullopt});
    };
    auto skip = [&](const std::wstring& value) { out.push_back({value, std::nullopt, 0, true, std::nullopt}); };
    auto putIf = [&](bool write, const std::wstring& value, const Bytes& bytes) {
        if (write)
            put(value, bytes);
        else
            skip(value);
    };
    // Left out, a list's "Don't Change" and a list showing nothing differ.
    auto shown = [&](const ComboBox& box) {
        out.back().listIndex = box.ListIndex();
        out.back().shown = box.ListIndex() >= 0;
    };
    // In a restore point every value written is the card's own.
    auto live = [&](const std::wstring& value) { put(value, GetProfileValue(L"", value)); };
    // A list's value: its entry unless "Don't Change" or nothing shown.
    auto listed = [&](const ComboBox& box, const wchar_t* value, const Bytes& chosen) {
        putIf(box.ListIndex() >= 1, value, chosen);
        shown(box);
    };

    // The shortcut key and the custom icon.
    const auto shortcut = EncodeShortcut(txtShortcut->Tag());
    putIf(shortcut.has_value(), L"Shortcut", shortcut.value_or(Bytes{}));
    if (iconFile_.empty())
        skip(L"CustomIcon");
    else
        put(L"CustomIcon", EncodeCustomIcon(iconFile_, chkVolumeOverlay->Value() == 1));
    // SVN, the master volume and its flags.
    if (fromCard)
        live(L"SmartVolumeParams");
    else
        putIf(!OptionSelected(optSVN, 255), L"SmartVolumeParams", EncodeCode(OptionSelected(optSVN, 1) ? 1 : 0));
    putIf(chkIgnoreVolumeForProfileValidation->Value() == 1, L"VolIgnoreForValidation", {1});
    const std::wstring masterLeft = MixerValueName(0, 0, 0, 0), masterRight = MixerValueName(0, 0, 1, 0);
    const bool volumeWritten = fromCard || !OptionSelected(optVolume, 255);
    if (fromCard) {
        live(masterLeft);
        live(masterRight);
    } else {
        putIf(volumeWritten, masterLeft, EncodeVolumeBalance(false, 0, 0));
        putIf(volumeWritten, masterRight, EncodeVolumeBalance(false, 0, 1));
    }
    // A restore point puts the volume back whatever the box says.
    putIf(!fromCard && volumeWritten && chkVolumeChangeOnlyOnDifferentOutput->Value() == 1, L"NoVolChangeOnSameOut",
          {1});
    // Windows channels and format, card sample rate, stereo upmix.
    if (fromCard)
        live(L"SystemSpeakers");
    else
        putIf(cboSpeakersLayout->ListIndex() >= 1, L"SystemSpeakers", {static_cast<std::uint8_t>(Speakers())});
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
    putIf(!panel.empty(), L"PanelConfig", panel);
    putIf(!panel.empty(), L"SpeakerConfig", fromCard ? GetProfileValue(L"", L"SpeakerConfig") : SpeakerConfig());
    // The swaps and the headphone gain of the output's panel; a swap the output doesn't use is
    // kept, not shown.
    const std::wstring mode = OutputMode();
    for (std::size_t i = 0; i < 3; ++i) {
        if (fromCard) {
            live(kSwapValues[i]);
        } else {
            putIf(FirstByte(swaps_[i], 255) < 255, kSwapValues[i], swaps_[i]);
            out.back().shown = SwapUsed(static_cast<int>(i), mode);
        }
    }
    // A restore point holds the gain of both panels: live mode may switch to the other one. An
    // editor save holds the gain of the output's panel; the other panel's, and a gain stored on
    // a card without the amplifier, are left as loaded.
    const std::wstring gainName = HpImpedanceValueName(panel);
    // A stored gain the card's list lacks shows no entry and is kept as the profile loaded it
    // (the stored key may be rewritten or gone by the time a save reads it).
    auto storedGain = [&](const std::wstring& name) {
        const auto stored = record_.Stored(name);
        const Bytes* bytes = stored ? std::get_if<Bytes>(&*stored) : nullptr;
        return bytes ? *bytes : Bytes{255, 0, 0, 0};
    };
    const bool amplifier = gCardCaps && gCardCaps->HPAmp;
    for (const wchar_t* name : {L"HpImpedanceModeRear", L"HpImpedanceModeFront"}) {
        if (fromCard) {
            if (amplifier) live(name);
        } else if (Bytes gain = HpAmpValue(); amplifier && name == gainName && !panel.empty()) {
            const frmHpImpedanceMode* amp = HpImpedanceDialog();
            if (amp && amp->cboHpAmp->ListIndex() < 0) gain = storedGain(name);
            putIf(FirstByte(gain, 255) < 255, name, gain);
            if (const frmHpImpedanceMode* amp = HpImpedanceDialog()) shown(*amp->cboHpAmp);
            // Kept while the panel's output is not headphones.
            if (!HeadphoneGainShown()) out.back().shown = false;
        } else if (const auto kept = amplifier ? KeptPanelGain(name) : std::nullopt;
                   kept && HpImpedanceDialog() && *kept < HpImpedanceDialog()->cboHpAmp->ListCount()) {
            // The other panel's gain as the list kept it when the output left that panel.
            const Bytes gain =
                *kept < 0 ? storedGain(name)
                          : Bytes{static_cast<std::uint8_t>(HpImpedanceDialog()->cboHpAmp->ItemData(*kept)), 0, 0, 0};
            putIf(FirstByte(gain, 255) < 255, name, gain);
            out.back().listIndex = *kept;
            out.back().shown = false;
        } else {
            skip(name);
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
        out.back().shown = chkSPDIF->Value() != 1 || cboSPDIFOutput->ListIndex() >= 0;
        // An effect the output doesn't offer is kept, not shown.
        put(L"DVSEnable", EncodeFlag(EffectOn(*chkDolbyVirtualSpeaker)));
        out.back().shown = chkDolbyVirtualSpeaker->Enabled();
        put(L"DVSMode", DVSMode());
        out.back().shown = chkDolbyVirtualSpeaker->Enabled();
        put(L"DHEnable", EncodeFlag(EffectOn(*chkDolbyHeadphones)));
        out.back().shown = chkDolbyHeadphones->Enabled();
        put(L"DHRoom", DHRoom());
        out.back().shown = chkDolbyHeadphones->Enabled();
        put(L"EnableXear3D", EncodeFlag(EffectOn(*chkVSS)));
        out.back().shown = chkVSS->Enabled();
        putIf(OptionSelected(optVSSLayout, 1), L"VSpeakerPos", EncodeVSpeakerPos());
        // Echo cancellation's mark in it is no change of the effect.
        put(L"Pl2xParam", EncodePl2xParam());
        out.back().judged = RegValue{EncodePl2xParam(false)};
        out.back().shown = chkDolby->Enabled();
        putIf(neoParamSupported_, L"NeoParam", EncodeNeoParam());
        out.back().shown = chkNeo->Enabled();
    }
    // Playback channel gains; a restore point holds every channel, also those that an output
    // chosen later makes reachable.
    for (int i = 0; i < 8; ++i) {
        const auto& set = *chkPlaybackSet[i];
        const std::wstring value(gChannelVolumeValues[static_cast<std::size_t>(i)]);
        if (fromCard) {
            live(value);
        } else {
            // A row the output hides keeps its level aside: saved, not shown.
            putIf(set.Value() == 1, value, EncodeChannelGain(i, true));
            out.back().shown = set.Enabled();
        }
    }
    // Recording lines: volumes, then the custom controls. The row of a device out of service
    // keeps what the user or the profile made of it: an editor save writes it as kept, live
    // mode and a restore point leave it out.
    for (int j = 0; j < 8; ++j) {
        if (gInputLineIds[static_cast<std::size_t>(j)].empty()) continue;
        const auto& set = *chkRecordSet[j];
        const bool write = fromCard ? set.Enabled() : set.Value() == 1;
        if (fromCard && !write) continue;
        for (int channel = 0; channel < 2; ++channel) {
            const std::wstring value = MixerValueName(1, j, channel, 0);
            if (fromCard)
                live(value);
            else
                putIf(write, value, EncodeVolumeBalance(true, j, channel));
            out.back().shown = set.Enabled();
        }
        const int controls = CountIn(cmdRecordExtraOptions[j]->Tag());
        for (int k = 1; k <= controls; ++k) {
            const std::wstring value = MixerValueName(1, j, 0, k);
            const std::uint8_t b = GetCustomControlsValues(j, k);
            if (fromCard)
                live(value);
            else
                putIf(write && b < 255, value, {b});
            out.back().shown = set.Enabled();
            // "Don't Set" in a row the user set differs from a row out of the profile.
            out.back().listIndex = write ? 1 : 0;
        }
    }
    // Recording selection and equalizer.
    if (fromCard) {
        live(kMixerInputLineSel);
    } else {
        const int selected = OptionSelected(optInputSelect, 255) ? -1 : SelectedOption(optInputSelect);
        putIf(selected >= 0 && selected <= 7, kMixerInputLineSel, {static_cast<std::uint8_t>(selected)});
    }
    if (fromCard)
        live(L"EqEnable");
    else
        putIf(!OptionSelected(optEQ, 255), L"EqEnable", {static_cast<std::uint8_t>(OptionSelected(optEQ, 1) ? 1 : 0)});
    if (fromCard)
        live(L"EqGain");
    else
        putIf(OptionSelected(optEQProfile, 1), L"EqGain", EncodeEqGain());
    // Bass management, speaker sizes, echo cancellation.
    if (fromCard) {
        for (const wchar_t* value : {L"BassManagement", L"BassCornerFrequency", L"SpeakerSize", L"AEC"}) live(value);
        return out;
    }
    put(L"BassManagement", EncodeFlag(OptionSelected(optFlexBass, 1)));
    put(L"BassCornerFrequency", EncodeCode(static_cast<std::uint8_t>(KeptValue(*csliCrossover))));
    put(L"SpeakerSize", EncodeSpeakerSize());
    put(L"AEC", EncodeAEC(OptionSelected(optAEC, 1)));
    // While the user's Enable of echo cancellation holds, the pages it locked give what they
    // gave before it; live mode doesn't send them.
    if (record_.Locked())
        for (SavedValue& v : out) {
            if (!LockedByAec(v.name)) continue;
            if (const SavedValue* kept = record_.LockedAs(v.name)) v = *kept;
            v.shown = false;
        }
    return out;
}

// ---- The profile as loaded ----

// Kept when a stored profile has been loaded into the controls: its values that the stored-
// value checks accept, as stored, and what the controls gave for each then. The shortcut and
// the icon load when the editor opens; a reload leaves them, and what was kept of them, alone.
void frmProfile::RememberLoadedProfile(const std::wstring& name, bool opening) {
    const auto openingOnly = [](const std::wstring& value) { return value == L"Shortcut" || value == L"CustomIcon"; };
    const auto keep = [&](const std::wstring& value) { return !opening && openingOnly(value); };
    std::map<std::wstring, RegValue, CaseInsensitiveLess> stored;
    std::set<std::wstring, CaseInsensitiveLess> names;
    if (!name.empty())
        for (auto& [value, bytes] : RegReadValues(RegJoin(gRegProfiles, name))) {
            names.insert(value);
            if (IsAcceptableStoredValue(value, std::get_if<Bytes>(&bytes))) stored.emplace(value, bytes);
        }
    record_.Load(std::move(stored), names, !name.empty(), keep);
    // The controls' values read kept stored values from the record: it holds them by now.
    if (!name.empty()) record_.Shown(ProfileValues(false), keep);
}

// Values that load from the stored profile after the editor opened (a recording line whose
// device came into service, a playback row an output brings): what their controls give now is
// what the profile loaded.
void frmProfile::RememberLoadedValues(const std::function<bool(const std::wstring&)>& of) {
    record_.Reloaded(ProfileValues(false), of);
}

void frmProfile::RememberLoadedLine(int line) {
    RememberLoadedValues([line](const std::wstring& name) {
        const auto ref = IsMixerValueName(name) ? ParseMixerValueName(name) : std::nullopt;
        return ref && ref->flow == 1 && ref->line == line;
    });
}

}  // namespace kal
