// Handlers below the tabs: whether the profile sets the master volume and balance, the volume
// shown in percent and decibels, and Smart Volume Normalization; in live mode each change is
// sent at once.
#include <cmath>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "startup/utility.h"

namespace kal {

void frmProfile::optVolume_Click(int index) {
    const bool set = index == 1;
    for (Control* c : ControlList{lblMasterBalanceL, lblMasterBalanceR, cmdMasterBalanceReset, lblMasterVolume,
                                  lblMasterVolumeDB, chkVolumeChangeOnlyOnDifferentOutput})
        c->SetEnabled(set);
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    auto& level = *csliVolume;
    auto& pan = *csliMasterBalance;
    SetSliderEnabled(level, set, Whole(volume));
    SetSliderEnabled(pan, set, Whole(balance * 10));
    if (set) {
        LiveApplyVolumeBalance();
        return;
    }
    // "Use last" and "Don't Change" show (and in live mode put back) the level from before.
    GetProfileVolumeBalance(volume, balance, 0, 0, liveProfileName_);
    level.SetValue(Whole(volume));
    pan.SetValue(Whole(balance * 10));
}

void frmProfile::csliVolume_Change() {
    const std::int32_t value = csliVolume->Value();
    lblMasterVolume->SetCaption(std::to_wstring(value) + L"%");
    if (chkVolumeOverlay->Value() == 1) DrawProfileIcon(iconFile_, true);
    if (!gIsXP && gAudio)
        lblMasterVolumeDB->SetCaption(
            Fixed4Text(gAudio->DeviceDBFromLinear(gPlaybackLineIds[0], 0, static_cast<std::int16_t>(value)),
                       DecimalSeparator()) +
            L"dB");
    LiveApplyVolumeBalance(true, false);
}

void frmProfile::optSVN_Click(int index) {
    if (liveProfileName_.empty()) return;
    // "Don't Change" puts back the restore point's own value, in the real-time window too.
    Bytes value = EncodeCode(index == 1 ? 1 : 0);
    if (index == 255) {
        if (!ProfileValueExists(liveProfileName_, L"SmartVolumeParams")) return;
        value = GetProfileValue(liveProfileName_, L"SmartVolumeParams");
    }
    SendToCard({{L"SmartVolumeParams", value, kWholeValue}});
}

void frmProfile::WireMasterEvents() {
    for (int i : {0, 1, 255}) {
        optVolume[i]->Click = [this, i] { optVolume_Click(i); };
        optSVN[i]->Click = [this, i] { optSVN_Click(i); };
    }
    csliVolume->Change = [this] { csliVolume_Change(); };
    csliMasterBalance->Change = [this] { LiveApplyVolumeBalance(false, true); };
    cmdMasterBalanceReset->Click = [this] { csliMasterBalance->SetValue(0); };
    cmdIconChoose->Click = [this] { cmdIconChoose_Click(); };
    cmdIconDelete->Click = [this] { cmdIconDelete_Click(); };
    chkVolumeOverlay->Click = [this] {
        if (!Updating()) DrawProfileIcon(iconFile_, true);
    };
    // A new window has no icon: nothing to delete or overlay.
    cmdIconDelete_Click();
}

}  // namespace kal
