// The editor of a profile in live mode after a change of the card from outside (a shortcut key,
// the volume pop-up, another program): each control whose setting changed on the card since
// the editor last looked shows the card's new value, and what the user chose stays: "Don't
// Change", "Use last", the Set boxes of the Mixer page, "Don't Set" of the swaps and custom
// controls. The real-time window shows the card whole: each of its controls follows.
#include <algorithm>
#include <cmath>
#include <utility>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/displaytexts.h"
#include "device/effects.h"
#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/portable/texts.h"
#include "device/portable/texts_values.h"
#include "device/profilevalues.h"
#include "device/transport.h"
#include "editor/controlvalues.h"
#include "editor/customcontrolsdialog.h"
#include "editor/hpampdialog.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/tables.h"

namespace kal {

// ---- What the pop-up asks after it changed the card ----

void frmProfile::CurrentOutput() { FollowCard(); }
void frmProfile::CurrentSpeakers() { FollowCard(); }
void frmProfile::CurrentSVN() { FollowCard(); }
void frmProfile::CurrentVolume() { FollowCard(); }

// ---- The card's values as the editor saw them ----

std::vector<std::wstring> frmProfile::CardValueNames() const {
    std::vector<std::wstring> names{L"SystemSpeakers",
                                    L"SmartVolumeParams",
                                    MixerValueName(0, 0, 0, 0),
                                    MixerValueName(0, 0, 1, 0),
                                    L"OutputFormat",
                                    L"Dual2D",
                                    L"PanelConfig",
                                    L"SpeakerConfig",
                                    L"SpDigitalOut",
                                    L"DVSEnable",
                                    L"DVSMode",
                                    L"DHEnable",
                                    L"DHRoom",
                                    L"EnableXear3D",
                                    L"VSpeakerPos",
                                    L"Pl2xParam",
                                    L"EqEnable",
                                    L"EqGain",
                                    L"BassManagement",
                                    L"BassCornerFrequency",
                                    L"SpeakerSize",
                                    L"AEC"};
    names.insert(names.end(), std::begin(kSwapValues), std::end(kSwapValues));
    if (neoParamSupported_) names.emplace_back(L"NeoParam");
    if (!gIsXP) names.insert(names.end(), {kMixerBitDepth, kMixerSampleRate});
    if (gCardCaps && gCardCaps->HPAmp)
        for (std::uint8_t panel : {0, 1}) names.push_back(HpImpedanceValueName(Bytes{panel, 0, 0, 0}));
    for (std::wstring_view channel : gChannelVolumeValues) names.emplace_back(channel);
    for (int j = 0; j < 8; ++j) {
        if (gInputLineIds[static_cast<std::size_t>(j)].empty()) continue;
        names.push_back(MixerValueName(1, j, 1, 0));
        const int controls = CountIn(cmdRecordExtraOptions[j]->Tag());
        for (int k = 0; k <= controls; ++k) names.push_back(MixerValueName(1, j, 0, k));
    }
    return names;
}

void frmProfile::RememberCard() {
    std::map<std::wstring, Bytes> seen;
    for (const std::wstring& name : CardValueNames()) seen[name] = GetProfileValue(L"", name);
    record_.SeeCard(seen);
    SeeRecordingSource();
}

void frmProfile::SeeRecordingSource() {
    if (gAudio) sourceSeen_ = AudioValueText(gAudio->SelectedInputLineID());
}

void frmProfile::NoteOwnSend(std::initializer_list<std::wstring_view> names) {
    if (!record_.WatchesCard()) return;
    for (std::wstring_view name : names) record_.SeeCard(std::wstring(name), GetProfileValue(L"", std::wstring(name)));
}

void frmProfile::NoteOwnPart(const std::wstring& name, const Bytes& mask) {
    if (record_.WatchesCard()) record_.SeeCardPart(name, GetProfileValue(L"", name), mask);
}

// ---- Following the card ----

// A slider that shows a level of the card: while disabled it keeps the user's own value aside.
void frmProfile::FollowSlider(Slider& slider, std::int32_t value) {
    const std::wstring aside = slider.Tag();
    slider.SetValue(value);
    if (!slider.Enabled()) slider.SetTag(aside);
}

// The master volume's sliders show the card's level, sending nothing back.
void frmProfile::ShowCardVolume() {
    LiveNameAside aside(liveProfileName_, L"");
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    FollowSlider(*csliVolume, Whole(volume));
    FollowSlider(*csliMasterBalance, Whole(balance * 10));
}

// The speaker list on "Don't Change" counts Windows' own channels, on which the effects the
// output offers depend: the panels follow them, in live mode or not, when an effect's code moved.
void frmProfile::FollowWindowsChannels() {
    const int i = cboSpeakersLayout->ListIndex();
    if (i < 0 || cboSpeakersLayout->ItemData(i) != 0 || record_.Locked() || refreshingOutput_) return;
    const std::wstring mode = OutputMode();
    const std::pair<const wchar_t*, const Control*> panels[] = {{L"DVS", pctDolbyVirtualSpeaker},
                                                                {L"DH", pctDolbyHeadphones},
                                                                {L"VSS", EffectPanel(kVssPanel).panel},
                                                                {L"PL2X", EffectPanel(kPl2xPanel).panel},
                                                                {L"NEO", EffectPanel(kNeoPanel).panel}};
    for (const auto& [effect, panel] : panels)
        if (panel->Tag() != std::to_wstring(EffectBehavior(effect, Speakers(), mode)))
            return UpdateEnhancementsPanel(mode);
}

void frmProfile::FollowCard() {
    if (!Loaded()) return;
    std::map<std::wstring, Bytes> now;
    for (const std::wstring& name : CardValueNames()) now[name] = GetProfileValue(L"", name);
    // A read of Windows' format that failed (it reads as no channels, no depth, no rate) is no
    // change: the controls keep what they show and follow at the next good read.
    for (const std::wstring& name : {std::wstring(L"SystemSpeakers"), std::wstring(kMixerBitDepth), std::wstring(kMixerSampleRate)}) {
        const auto seen = record_.SeenCard(name);
        const auto it = now.find(name);
        if (seen && it != now.end() && std::all_of(it->second.begin(), it->second.end(), [](std::uint8_t b) { return b == 0; }))
            it->second = *seen;
    }
    auto changed = [&](const std::wstring& name) { return record_.CardChanged(name, now[name]); };
    // A list of the editor follows while it is offered and shows a value, not "Don't Change" (its
    // first entry); the real-time window's always, as it loads.
    auto followList = [&](ComboBox& box, const std::wstring& name, std::intptr_t value) {
        if (changed(name) && (realTimeMode_ || (box.Enabled() && box.ListIndex() > 0))) SelectItemData(box, value);
    };
    // A disabled control of the editor keeps what it shows and what it keeps aside; the
    // real-time window's shows the card, as it loads.
    auto followCheck = [&](CheckBox& box, const std::wstring& name) {
        if (changed(name) && (box.Enabled() || realTimeMode_)) box.SetValue(FirstByte(now[name]) == 1 ? 1 : 0);
    };
    // A Dolby mode list that is off keeps another program's mode aside for its return, as it
    // keeps the user's own.
    auto followMode = [&](ComboBox& box, const std::wstring& name) {
        if (!changed(name)) return;
        if (box.Enabled() || realTimeMode_) return (void)SelectItemData(box, FirstByte(now[name]));
        if (record_.Locked()) return;
        for (int i = 0; i < box.ListCount(); ++i)
            if (box.ItemData(i) == FirstByte(now[name])) box.SetTag(std::to_wstring(i));
    };
    LiveNameAside aside(liveProfileName_, L"");
    FlagScope suspend(gSuspendDriverWrites);
    FlagScope following(followingCard_);
    // Echo cancellation off opens the real-time window's locked pages before they follow.
    const int aecOn = DecodeAEC(now[L"AEC"]) ? 1 : 0;
    const bool aecChanged = changed(L"AEC");
    if (aecChanged && realTimeMode_ && aecOn == 0) SelectOption(optAEC, 0);

    // The output first: the channels the Mixer page offers depend on it.
    if (changed(L"PanelConfig") || changed(L"SpeakerConfig")) LoadAnalogOutput(L"");
    if (changed(L"SpDigitalOut")) LoadDigitalOutput(L"");
    // A box the output hides, or a Dolby virtualizer that is off, keeps another program's change
    // aside for its return, as it keeps the user's own.
    for (CheckBox* box : AecEffects()) {
        const std::wstring name = EffectValueName(*box);
        if (!realTimeMode_ && (neoParamSupported_ || box != chkNeo) && changed(name) && !box->Enabled() &&
            !record_.Locked())
            record_.Keep(AsideKey(*box) + L"@hidden", EffectValueOn(*box, now[name]) ? 1 : 0);
    }
    followCheck(*chkDolbyVirtualSpeaker, L"DVSEnable");
    followMode(*cboDolbyVirtualSpeakerMode, L"DVSMode");
    followCheck(*chkDolbyHeadphones, L"DHEnable");
    followMode(*cboDolbyHeadphonesMode, L"DHRoom");
    followCheck(*chkVSS, L"EnableXear3D");
    // A layout whose speakers stand where the field shows them keeps the field's own bytes: the
    // driver need not keep a speaker's last word as the profile holds it.
    if (changed(L"VSpeakerPos") && OptionSelected(optVSSLayout, 1) && !VssLayoutsEqual(EncodeVSpeakerPos(), now[L"VSpeakerPos"]))
        ApplyVSSLayout(now[L"VSpeakerPos"]);
    if (changed(L"Pl2xParam")) FollowGraphEffect(kPl2xPanel, DecodePl2xParam(now[L"Pl2xParam"]));
    if (neoParamSupported_ && changed(L"NeoParam")) FollowGraphEffect(kNeoPanel, DecodeNeoParam(now[L"NeoParam"]));
    if (frmHpImpedanceMode* amp = gCardCaps && gCardCaps->HPAmp ? HpImpedanceDialog() : nullptr) {
        // The real-time window's list shows the gain of the panel the card uses. An editor whose
        // output hides the gain keeps the profile's, as live mode doesn't send it either.
        const std::wstring gain = HpImpedanceValueName(now[L"PanelConfig"]);
        if ((realTimeMode_ || HeadphoneGainShown()) && (changed(gain) || (realTimeMode_ && changed(L"PanelConfig"))) &&
            FirstByte(amp->HpAmp()) != kDontChange)
            SelectItemData(*amp->cboHpAmp, FirstByte(now[gain]));
    }
    for (int i = 0; i < 3; ++i)
        if (changed(kSwapValues[i]) && FirstByte(swaps_[static_cast<std::size_t>(i)], kDontChange) != kDontChange)
            ShowSwap(i, now[kSwapValues[i]]);

    // Windows' channels and format, the card's rate, the upmix.
    followList(*cboSpeakersLayout, L"SystemSpeakers", FirstByte(now[L"SystemSpeakers"]));
    if (changed(L"SystemSpeakers")) FollowWindowsChannels();
    if (!gIsXP) {
        followList(*cboBitDepth, kMixerBitDepth, FirstByte(now[kMixerBitDepth]));
        followList(*cboSystemSampleRate, kMixerSampleRate, BytesToUInt32(now[kMixerSampleRate]));
        // Disabled by the sync, the list still shows Windows' own rate.
        if (chkSyncSampleRates->Value() == 1 && changed(kMixerSampleRate) && cboSystemSampleRate->ListIndex() > 0)
            SelectItemData(*cboSystemSampleRate, BytesToUInt32(now[kMixerSampleRate]));
    }
    followList(*cboSampleRate, L"OutputFormat", BytesToUInt32(now[L"OutputFormat"]));
    followList(*cboStereoUpmix, L"Dual2D", FirstByte(now[L"Dual2D"]));

    // SVN and the master volume: the sliders show a real level whatever the choice.
    if (changed(L"SmartVolumeParams") && !OptionSelected(optSVN, kDontChange))
        SelectOption(optSVN, FirstByte(now[L"SmartVolumeParams"]));
    if (changed(MixerValueName(0, 0, 0, 0)) || changed(MixerValueName(0, 0, 1, 0))) ShowCardVolume();

    // The Mixer page: the rows that are part of the profile. The real-time window shows every
    // channel the card has: a row the output hides keeps the card's level for the output that
    // brings it back.
    const bool outputMoved = changed(L"PanelConfig") || changed(L"SpeakerConfig") || changed(L"SpDigitalOut");
    for (int i = 0; i < 8; ++i) {
        if (realTimeMode_) {
            if (!outputMoved && !changed(std::wstring(gChannelVolumeValues[static_cast<std::size_t>(i)]))) continue;
            Slider& level = *csliOutputChannel[i];
            const std::int32_t card = GetChannelGainPercent(i, L"");
            if (level.Enabled())
                level.SetValue(card);
            else if (!level.Tag().empty())
                level.SetTag(std::to_wstring(card));
            continue;
        }
        const CheckBox& set = *chkPlaybackSet[i];
        if (set.Enabled() && set.Value() == 1 &&
            changed(std::wstring(gChannelVolumeValues[static_cast<std::size_t>(i)])))
            csliOutputChannel[i]->SetValue(GetChannelGainPercent(i, L""));
    }
    for (int j = 0; j < 8; ++j) {
        const CheckBox& set = *chkRecordSet[j];
        if (gInputLineIds[static_cast<std::size_t>(j)].empty() || !set.Enabled() || set.Value() != 1) continue;
        if (changed(MixerValueName(1, j, 0, 0)) || changed(MixerValueName(1, j, 1, 0))) {
            Currency volume = 0, balance = 0;
            InputLineLevel(j, L"", volume, balance);
            csliInputLine[j]->SetValue(Whole(volume));
            if (InputLineStereo(j)) csliInputLineBalance[j]->SetValue(Whole(balance * 10));
        }
        const int monitor = CountIn(chkRecordMonitor[j]->Tag());
        const int controls = CountIn(cmdRecordExtraOptions[j]->Tag());
        for (int k = 1; k <= controls; ++k) {
            const std::wstring name = MixerValueName(1, j, 0, k);
            if (!changed(name)) continue;
            const std::uint8_t value = FirstByte(now[name]);
            if (k == monitor) {
                // Its click keeps the custom-control table.
                chkRecordMonitor[j]->SetValue(value == 1 ? 1 : 0);
            } else if (GetCustomControlsValues(j, k) != kDontChange) {
                SetCustomControlsValues(j, k, value);
                if (frmInputLineCustomControls* dialog = InputLineCustomControlsDialog())
                    dialog->CurrentCustomControl(k);
            }
        }
    }

    // Equalizer, bass management, echo cancellation.
    if (changed(L"EqEnable") && !OptionSelected(optEQ, kDontChange)) SelectOption(optEQ, FirstByte(now[L"EqEnable"]));
    if (changed(L"EqGain")) DecodeEqGain(now[L"EqGain"]);
    if (changed(L"BassManagement")) SelectOption(optFlexBass, FirstByte(now[L"BassManagement"]));
    // FlexBass switched on by another program runs at the card's crossover and sizes: the
    // controls it brings back show those, not what they kept aside.
    const bool flexBassOn = changed(L"BassManagement") && OptionSelected(optFlexBass, 1);
    // Disabled, the crossover and the size lists keep values aside for FlexBass's return:
    // another program's change of them is kept there, as FlexBass's return sends them back.
    if (changed(L"BassCornerFrequency") || flexBassOn) {
        const std::int32_t corner = FirstByte(now[L"BassCornerFrequency"]);
        if (csliCrossover->Enabled())
            csliCrossover->SetValue(corner);
        else if (!csliCrossover->Tag().empty())
            csliCrossover->SetTag(std::to_wstring(corner));
    }
    // Another output brings the real-time window's size lists back with the card's sizes, not
    // the ones they kept while disabled.
    if (changed(L"SpeakerSize") || (realTimeMode_ && outputMoved) || flexBassOn) {
        const std::array<bool, 4> large = DecodeSpeakerSizes(now[L"SpeakerSize"]);
        const std::array<bool, 4> was =
            DecodeSpeakerSizes(record_.SeenCard(L"SpeakerSize").value_or(now[L"SpeakerSize"]));
        for (int i = 0; i < 4; ++i) {
            const int size = large[static_cast<std::size_t>(i)] ? 1 : 0;
            if (cboSpeakerSize[i]->Enabled())
                cboSpeakerSize[i]->SetListIndex(size);
            else if (realTimeMode_ || large[static_cast<std::size_t>(i)] != was[static_cast<std::size_t>(i)])
                cboSpeakerSize[i]->SetTag(std::to_wstring(size));
        }
    }
    if (aecChanged) SelectOption(optAEC, aecOn);
    record_.SeeCard(now);
}

// ProLogic IIx or NEO:PC while its box is offered (in the real-time window always): the box, the
// mode and, where they take a value, the graph sliders; a disabled slider keeps the user's value
// aside.
void frmProfile::FollowGraphEffect(int panel, const EffectParams& card) {
    const EffectPanelControls c = EffectPanel(panel);
    if (!c.check->Enabled() && !realTimeMode_) return;
    c.check->SetValue(card.on ? 1 : 0);
    SelectOption(c.modes, card.movie ? 1 : 0);
    if (c.width->Enabled()) c.width->SetValue(card.width);
    if (c.depth->Enabled()) c.depth->SetValue(card.depth);
}

}  // namespace kal
