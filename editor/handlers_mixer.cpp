// Handlers of the Mixer page: a row is part of the profile while its "Set" box is 1; a row
// taken out shows (and in live mode puts back) the level from before. Levels are shown in
// percent and decibels and, in live mode, sent as they change.
#include <cmath>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/displaytexts.h"
#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "startup/utility.h"

namespace kal {

// A row's controls are enabled while its Set box is 1 and offered. Loading sets the boxes without a click
// when their value stays, so it applies this itself.
void frmProfile::EnablePlaybackRow(int i) {
    // A row whose channel the output lacks keeps its box as the user left it, out of the profile.
    const bool set = chkPlaybackSet[i]->Value() == 1 && chkPlaybackSet[i]->Enabled();
    for (Label* label : {lblOutputChannelVolume[i], lblOutputChannelVolumeDB[i], lblOutputChannelCaption[i]})
        label->SetEnabled(set);
    SetSliderEnabled(*csliOutputChannel[i], set,
                     IsChannelAvailable(i) ? GetChannelGainPercent(i, L"") : channelUnityLevel_);
}

void frmProfile::EnableRecordRow(int i) {
    // A line whose device is inactive keeps its box as the user left it, out of the profile.
    const bool set = chkRecordSet[i]->Value() == 1 && chkRecordSet[i]->Enabled();
    for (Control* c : ControlList{lblInputLineBalanceL[i], lblInputLineBalanceR[i], lblInputLineVolume[i],
                                  lblInputLineVolumeDB[i], cmdRecordExtraOptions[i], chkRecordMonitor[i]})
        c->SetEnabled(set);
    // The level is kept aside while the row is out of the profile and comes back with it.
    auto& level = *csliInputLine[i];
    SetSliderEnabled(level, set, level.Value());
    // The balance slider's tag holds the line's channel count: only a stereo line has a balance
    // and its reset, and its value is not kept aside.
    const bool stereo = InputLineStereo(i);
    for (Control* c : ControlList{csliInputLineBalance[i], cmdInputLineBalanceReset[i]}) c->SetEnabled(set && stereo);
}

void frmProfile::chkPlaybackSet_Click(int i) {
    const bool set = chkPlaybackSet[i]->Value() == 1;
    const bool inUse = IsChannelAvailable(i);
    EnablePlaybackRow(i);
    UpdateSetAllCheckBox(*chkPlaybackSetAll, chkPlaybackSet);
    auto& slider = *csliOutputChannel[i];
    // A row the card's own change brings is the card's: nothing to send.
    if (set && !followingCard_)
        LiveApplyChannelGain(i);
    else
        slider.SetValue(inUse ? GetChannelGainPercent(i, liveProfileName_) : channelUnityLevel_);
}

void frmProfile::csliOutputChannel_Change(int i) {
    const std::int32_t value = csliOutputChannel[i]->Value();
    lblOutputChannelVolume[i]->SetCaption(std::to_wstring(value) + L"%");
    lblOutputChannelVolumeDB[i]->SetCaption(
        std::to_wstring(Whole(DBFromLinear(static_cast<std::int16_t>(value), 35, -96, 12))) + L"dB");
    // The real-time window sends no level for a channel the output lacks: the 0 dB its hidden row
    // shows would take the place of the user's level, which another program's output that
    // brings the channel back would then find gone.
    if (!realTimeMode_ || IsChannelAvailable(i)) LiveApplyChannelGain(i);
}

void frmProfile::chkRecordSet_Click(int i) {
    const bool set = chkRecordSet[i]->Value() == 1;
    auto& monitor = *chkRecordMonitor[i];
    auto& balance = *csliInputLineBalance[i];
    // The balance and the monitor switch are kept aside while the row is out of the profile
    // (the level keeps itself), and come back with it.
    if (!set) {
        KeepAside(balance, balance.Value());
        KeepAside(monitor, monitor.Value());
        monitor.SetValue(0);
    }
    EnableRecordRow(i);
    UpdateSetAllCheckBox(*chkRecordSetAll, chkRecordSet);
    if (set) {
        if (const auto kept = TakeAside(balance)) balance.SetValue(*kept);
        if (const auto kept = TakeAside(monitor)) monitor.SetValue(*kept);
    }
    // In live mode the line's custom controls follow the row into or out of the profile.
    for (int k = 1, controls = CountIn(cmdRecordExtraOptions[i]->Tag()); k <= controls; ++k)
        LiveApplyCustomControl(i, k, set);
    if (set) {
        LiveApplyInputLine(i);
        return;
    }
    Currency level = 0, pan = 0;
    InputLineLevel(i, liveProfileName_, level, pan);
    csliInputLine[i]->SetValue(Whole(level));
    if (InputLineStereo(i)) balance.SetValue(Whole(pan * 10));
}

void frmProfile::csliInputLine_Change(int i) {
    const std::int32_t value = csliInputLine[i]->Value();
    lblInputLineVolume[i]->SetCaption(std::to_wstring(value) + L"%");
    if (!gIsXP && gAudio)
        lblInputLineVolumeDB[i]->SetCaption(
            Fixed4Text(gAudio->DeviceDBFromLinear(gInputLineIds[static_cast<std::size_t>(i)], 1,
                                                  static_cast<std::int16_t>(value)),
                       DecimalSeparator()) +
            L"dB");
    LiveApplyInputLine(i, true, false);
}

// The column box copies its value into the enabled row boxes; grayed (2) copies nothing.
void frmProfile::SetAllClicked(CheckBox& column, const std::array<CheckBox*, 8>& rows) {
    const int value = column.Value();
    if (value == 2 || updatingSetAll_) return;
    updatingSetAll_ = true;
    for (CheckBox* box : rows)
        if (box->Enabled()) box->SetValue(value);
    updatingSetAll_ = false;
}

void frmProfile::WireMixerEvents() {
    for (int i = 0; i < 8; ++i) {
        chkPlaybackSet[i]->Click = [this, i] { chkPlaybackSet_Click(i); };
        csliOutputChannel[i]->Change = [this, i] { csliOutputChannel_Change(i); };
        chkRecordSet[i]->Click = [this, i] { chkRecordSet_Click(i); };
        csliInputLine[i]->Change = [this, i] { csliInputLine_Change(i); };
        csliInputLineBalance[i]->Change = [this, i] { LiveApplyInputLine(i, false, true); };
        cmdInputLineBalanceReset[i]->Click = [this, i] { csliInputLineBalance[i]->SetValue(0); };
    }
    for (OptionButton* option : optInputSelect) {
        if (!option) continue;
        option->Click = [this, i = option->Index()] {
            // "Ignore" selects no line: it puts back the restore point's source, when it holds one.
            if (Updating()) return;
            if (auto line = LiveChoice(i == 255, kMixerInputLineSel, Bytes{static_cast<std::uint8_t>(i)})) {
                MixerValue(kMixerInputLineSel, *line, true);
                SeeRecordingSource();
            }
        };
    }
    chkPlaybackSetAll->Click = [this] { SetAllClicked(*chkPlaybackSetAll, chkPlaybackSet); };
    chkRecordSetAll->Click = [this] { SetAllClicked(*chkRecordSetAll, chkRecordSet); };
    cmdResetOutputChannels->Click = [this] {
        for (int i = 0; i < 8; ++i)
            if (chkPlaybackSet[i]->Value() == 1) csliOutputChannel[i]->SetValue(channelUnityLevel_);
    };
    cmdResetInputLines->Click = [this] {
        for (int i = 0; i < 8; ++i) {
            if (chkRecordSet[i]->Value() != 1) continue;
            csliInputLine[i]->SetValue(100);
            csliInputLineBalance[i]->SetValue(0);
        }
    };
}

}  // namespace kal
