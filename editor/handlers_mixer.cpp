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
namespace {

std::int32_t Whole(Currency value) { return static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(value))); }

}  // namespace

// A row's controls are enabled while its Set box is 1. Loading sets the boxes without a click
// when their value stays, so it applies this itself.
void frmProfile::EnablePlaybackRow(int i) {
    const bool set = Get<CheckBox>(L"chkPlaybackSet", i).Value() == 1;
    for (const wchar_t* name : {L"lblOutputChannelVolume", L"lblOutputChannelVolumeDB", L"lblOutputChannelCaption"})
        Ctl(name, i).SetEnabled(set);
    SetSliderEnabled(Get<Slider>(L"csliOutputChannel", i), set,
                     IsChannelAvailable(i) ? GetChannelGainPercent(i, L"") : channelUnityLevel_);
}

void frmProfile::EnableRecordRow(int i) {
    const bool set = Get<CheckBox>(L"chkRecordSet", i).Value() == 1;
    for (const wchar_t* name : {L"lblInputLineBalanceL", L"lblInputLineBalanceR", L"lblInputLineVolume",
                                L"lblInputLineVolumeDB", L"cmdRecordExtraOptions", L"chkRecordMonitor"})
        Ctl(name, i).SetEnabled(set);
    // The level is kept aside while the row is out of the profile and comes back with it.
    auto& level = Get<Slider>(L"csliInputLine", i);
    SetSliderEnabled(level, set, level.Value());
    // The balance slider's tag holds the line's channel count: only a stereo line has a balance
    // and its reset, and its value is not kept aside.
    const bool stereo = Get<Slider>(L"csliInputLineBalance", i).Tag() == L"2";
    for (const wchar_t* name : {L"csliInputLineBalance", L"cmdInputLineBalanceReset"}) Ctl(name, i).SetEnabled(set && stereo);
}

void frmProfile::chkPlaybackSet_Click(int i) {
    const bool set = Get<CheckBox>(L"chkPlaybackSet", i).Value() == 1;
    const bool inUse = IsChannelAvailable(i);
    EnablePlaybackRow(i);
    UpdateSetAllCheckBox(L"chkPlaybackSetAll", L"chkPlaybackSet");
    auto& slider = Get<Slider>(L"csliOutputChannel", i);
    if (set)
        LiveApplyChannelGain(i);
    else
        slider.SetValue(inUse ? GetChannelGainPercent(i, liveProfileName_) : channelUnityLevel_);
}

void frmProfile::csliOutputChannel_Change(int i) {
    const std::int32_t value = Get<Slider>(L"csliOutputChannel", i).Value();
    Ctl(L"lblOutputChannelVolume", i).SetCaption(std::to_wstring(value) + L"%");
    Ctl(L"lblOutputChannelVolumeDB", i)
        .SetCaption(std::to_wstring(Whole(DBFromLinear(static_cast<std::int16_t>(value), 35, -96, 12))) + L"dB");
    LiveApplyChannelGain(i);
}

void frmProfile::chkRecordSet_Click(int i) {
    const bool set = Get<CheckBox>(L"chkRecordSet", i).Value() == 1;
    if (!set) Get<CheckBox>(L"chkRecordMonitor", i).SetValue(0);
    EnableRecordRow(i);
    UpdateSetAllCheckBox(L"chkRecordSetAll", L"chkRecordSet");
    if (set) {
        LiveApplyInputLine(i);
        return;
    }
    Currency level = 0, pan = 0;
    GetProfileVolumeBalance(level, pan, 1, i, liveProfileName_);
    Get<Slider>(L"csliInputLine", i).SetValue(Whole(level));
    auto& balance = Get<Slider>(L"csliInputLineBalance", i);
    if (balance.Tag() == L"2") balance.SetValue(Whole(pan * 10));
}

void frmProfile::csliInputLine_Change(int i) {
    const std::int32_t value = Get<Slider>(L"csliInputLine", i).Value();
    Ctl(L"lblInputLineVolume", i).SetCaption(std::to_wstring(value) + L"%");
    if (!gIsXP && gAudio)
        Ctl(L"lblInputLineVolumeDB", i)
            .SetCaption(Fixed4Text(gAudio->DeviceDBFromLinear(gInputLineIds[static_cast<std::size_t>(i)], 1,
                                                              static_cast<std::int16_t>(value)),
                                   DecimalSeparator()) +
                        L"dB");
    LiveApplyInputLine(i);
}

// The column box copies its value into the enabled row boxes; grayed (2) copies nothing.
void frmProfile::SetAllClicked(const wchar_t* column, const wchar_t* rows) {
    const int value = Get<CheckBox>(column).Value();
    if (value == 2 || updatingSetAll_) return;
    updatingSetAll_ = true;
    for (Control* c : ControlArray(rows))
        if (c->Enabled()) dynamic_cast<CheckBox*>(c)->SetValue(value);
    updatingSetAll_ = false;
}

void frmProfile::WireMixerEvents() {
    for (int i = 0; i < 8; ++i) {
        Ctl(L"chkPlaybackSet", i).Click = [this, i] { chkPlaybackSet_Click(i); };
        Ctl(L"csliOutputChannel", i).Change = [this, i] { csliOutputChannel_Change(i); };
        Ctl(L"chkRecordSet", i).Click = [this, i] { chkRecordSet_Click(i); };
        Ctl(L"csliInputLine", i).Change = [this, i] { csliInputLine_Change(i); };
        Ctl(L"csliInputLineBalance", i).Change = [this, i] { LiveApplyInputLine(i); };
        Ctl(L"cmdInputLineBalanceReset", i).Click = [this, i] { Get<Slider>(L"csliInputLineBalance", i).SetValue(0); };
    }
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 255}) {
        if (!Find(L"optInputSelect", i)) continue;
        Ctl(L"optInputSelect", i).Click = [this, i] {
            // "Ignore" selects no line: nothing is sent for it.
            if (liveProfileName_.empty() || i == 255 || Updating()) return;
            Bytes line{static_cast<std::uint8_t>(i)};
            MixerValue(kMixerInputLineSel, line, true);
        };
    }
    Ctl(L"chkPlaybackSetAll").Click = [this] { SetAllClicked(L"chkPlaybackSetAll", L"chkPlaybackSet"); };
    Ctl(L"chkRecordSetAll").Click = [this] { SetAllClicked(L"chkRecordSetAll", L"chkRecordSet"); };
    Ctl(L"cmdResetOutputChannels").Click = [this] {
        for (int i = 0; i < 8; ++i)
            if (Get<CheckBox>(L"chkPlaybackSet", i).Value() == 1)
                Get<Slider>(L"csliOutputChannel", i).SetValue(channelUnityLevel_);
    };
    Ctl(L"cmdResetInputLines").Click = [this] {
        for (int i = 0; i < 8; ++i) {
            if (Get<CheckBox>(L"chkRecordSet", i).Value() != 1) continue;
            Get<Slider>(L"csliInputLine", i).SetValue(100);
            Get<Slider>(L"csliInputLineBalance", i).SetValue(0);
        }
    };
}

}  // namespace kal
