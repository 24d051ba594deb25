// Live mode: while it is on, the editor's changes reach the card at once. Turning it on records
// a restore point (a temporary profile of the card's present state) and, for an editor already
// on screen, puts the edited settings on the card; turning it off, or closing the editor,
// applies the restore point again and deletes it. The real-time window is live without one.
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/mixervalues.h"
#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "device/restorepoints.h"
#include "device/trayservices.h"
#include "device/volumememory.h"
#include "editor/controlvalues.h"
#include "editor/customcontrolsdialog.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "startup/utility.h"
#include "tray/host.h"

namespace kal {
namespace {

constexpr wchar_t kLiveWarning[] =
    L"Warning! You are enabling Live Mode on a profile which increases the Master Volume and/or sets a Headphones "
    L"Gain level.\r\n"
    L"If you go ahead, the profile settings will become effective. Make sure this doesn't lead to an excessive output "
    L"volume, or you risk damaging your hearing or the audio equipment.\r\n\r\n"
    L"Do you want to proceed?";
constexpr wchar_t kNotPutBack[] = L"Live Mode could not put the card back as it was: ";
constexpr wchar_t kLeftStand[] = L".\r\nThese settings stand on the card as Live Mode left them; the others are back.";
constexpr wchar_t kNothingBack[] = L".\r\nThe card keeps the settings Live Mode left.";
constexpr wchar_t kNotRemoved[] =
    L"The card is back as it was, but its earlier settings, kept for the way back, could not be removed";
constexpr wchar_t kStillLive[] = L" Live Mode stays on: turn it off again to put the card back.";
constexpr wchar_t kKeptForNextStart[] =
    L" The card's earlier settings are kept and put back when Kalvenor starts next.";
constexpr wchar_t kNoRestorePoint[] =
    L"Live Mode was not turned on: the card's present settings could not be stored, so they could not be put back "
    L"afterwards.";
constexpr wchar_t kNotTakenWhole[] = L"Live Mode is on, but the card did not take the profile whole: ";
constexpr wchar_t kNotTakenEnd[] = L".\r\nThese settings stand on the card as they were.";

}  // namespace

// The edited profile raises the master volume above the present level, or sets a headphone
// gain other than the first. "Use last" is the volume remembered for the output the editor
// shows: the one live mode sends.
bool frmProfile::LiveWarningNeeded() const {
    Currency volume = 0, balance = 0;
    if (OptionSelected(optVolume, 0)) {
        RememberedOutputVolume(PanelConfig(), SpeakerConfig(), volume, balance);
        // Nothing remembered for the output: applying the profile leaves the volume alone.
        if (volume > 100 * kCurrencyScale) volume = 0;
    } else {
        volume = csliVolume->Value() * kCurrencyScale;
    }
    const double present = gAudio ? static_cast<double>(gAudio->GetLineMasterVolume(gPlaybackLineIds[0], 0)) * 100 : 0;
    const std::uint8_t gain = gCardCaps && gCardCaps->HPAmp ? FirstByte(HpAmpValue()) : 0;
    return static_cast<double>(volume) / kCurrencyScale > present || (gain != 0 && gain != 255);
}

void frmProfile::chkLiveMode_Click() {
    if (clearingLiveMode_) return;
    auto& box = *chkLiveMode;
    // The box cleared again without ending a live mode.
    auto stayOff = [&] {
        clearingLiveMode_ = true;
        box.SetValue(0);
        clearingLiveMode_ = false;
    };
    if (box.Value() == 1) {
        if (!Tag().empty() && LiveWarningNeeded() &&
            ::MessageBoxW(hWnd(), kLiveWarning, Caption().c_str(), MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) !=
                IDYES)
            return stayOff();
        ForgetAecNotes();
        if (realTimeMode_) {
            liveProfileName_ = NewLiveProfileName();
            return;
        }
        if (!StartRestorePoint()) {
            box.SetCaption(L"Live Mode OFF");
            stayOff();
            ::MessageBoxW(hWnd(), kNoRestorePoint, Caption().c_str(), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        box.SetCaption(L"Live Mode ON");
        if (Visible()) {
            // The edited settings go to the card through a key of their own, checked write by
            // write and value by value.
            const std::wstring temporary = L"~" + liveProfileName_;
            RegDeleteTree(gRegProfiles, temporary);
            std::vector<std::wstring> refused;
            bool written = SaveValues(temporary, false, true);
            if (written) ActivateAndDeleteProfile(temporary, &refused);
            else RegDeleteTree(gRegProfiles, temporary);
            std::wstring names = written ? L"" : L"its settings could not be stored";
            for (const std::wstring& name : refused) names += (names.empty() ? L"the card refused " : L", ") + name;
            if (!names.empty())
                ::MessageBoxW(hWnd(), (kNotTakenWhole + names + kNotTakenEnd).c_str(), Caption().c_str(),
                              MB_OK | MB_ICONEXCLAMATION);
        }
        // "Use last" and "Don't Change" show the level the card has now, which another program
        // may have changed while live mode was off.
        if (!OptionSelected(optVolume, 1)) ShowCardVolume();
        // What the card holds now is the editor's own.
        RememberCard();
        return;
    }
    if (!realTimeMode_) {
        // A refused step keeps live mode on, with its restore point, while the editor stays.
        if (!PutCardBack(!unloading_)) {
            if (!unloading_) {
                clearingLiveMode_ = true;
                box.SetValue(1);
                clearingLiveMode_ = false;
                return;
            }
        }
        box.SetCaption(L"Live Mode OFF");
    }
    liveProfileName_.clear();
    restoreValues_.clear();
    unrestorableLines_.clear();
    ForgetAecNotes();
}

// The restore point live mode starts from: one kept from an earlier way back the card refused
// holds the earliest state, the one to come back, so it serves; else the card's present state is
// stored under a new name. Its values are kept in memory too, for a way back that can't read it.
// False when none could be stored whole.
bool frmProfile::StartRestorePoint() {
    if (const std::vector<std::wstring> kept = KeptRestorePoints(); !kept.empty()) {
        bool whole = false;
        StoredValues values = RegReadValues(RegJoin(gRegProfiles, kept.front()), &whole);
        if (whole && !values.empty()) {
            liveProfileName_ = kept.front();
            restoreValues_ = std::move(values);
            return true;
        }
    }
    liveProfileName_ = NewLiveProfileName();
    // A key of the same name (never a kept restore point: those serve above) must not add its
    // values to the new one.
    RegDeleteTree(gRegProfiles, liveProfileName_);
    restoreValues_ = ValuesToWrite(true, false);
    bool written = !RegKeyExists(RegJoin(gRegProfiles, liveProfileName_));
    for (const auto& [value, bytes] : restoreValues_)
        written = written && RegWrite(RegJoin(gRegProfiles, liveProfileName_), value, bytes);
    if (written) return true;
    // Without a whole restore point the end of live mode could not put the card back.
    RegDeleteTree(gRegProfiles, liveProfileName_);
    liveProfileName_.clear();
    restoreValues_.clear();
    return false;
}

// The card put back from the restore point, every step checked. Whole: the restore point goes.
// Else the user is told what stands on the card, and the restore point stays for the next way back
// (`staying`: the editor's own; else the next start of the program).
bool frmProfile::PutCardBack(bool staying) {
    ITrayHost* main = TrayHost();
    // The editor follows the put-back as a window out of live mode: none of its handlers sends.
    const std::wstring name = liveProfileName_;
    const PutBackOutcome outcome = [&] {
        LiveNameAside aside(liveProfileName_, L"");
        return PutBackRestorePoint(name, restoreValues_, [main](const std::wstring& profile, std::vector<std::wstring>& refused) {
            if (main) return main->SetXonarValues(profile, true, false, &refused);
            // Without the tray's main form the values go straight to the card.
            const ProfileSnapshot snapshot(profile);
            ApplyProfileValues(snapshot, false, &refused);
            return !snapshot.Names().empty();
        });
    }();
    if (!outcome.kept) return true;
    // The speakers out of service close the editor: what they refused goes back with their
    // return, as the tray then puts back the restore points kept.
    if (!staying && !gIsXP && gAudio && gAudio->DeviceState(gPlaybackLineIds[0]) != kDeviceStateActive) return false;
    const bool back = outcome.refused.empty() && !outcome.unread;
    const std::wstring text = (back ? std::wstring(kNotRemoved) + L"."
                                    : kNotPutBack + NotPutBackText(outcome) + (outcome.unread ? kNothingBack : kLeftStand)) +
                              (staying ? kStillLive : kKeptForNextStart);
    ::MessageBoxW(hWnd(), text.c_str(), Caption().c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void frmProfile::ActivateAndDeleteProfile(const std::wstring& name, std::vector<std::wstring>* refused) {
    if (name.empty()) return;
    if (ITrayHost* main = TrayHost()) main->SetXonarValues(name, true, false, refused);
    RegDeleteTree(gRegProfiles, name);
}

// A recording device that comes into service in live mode: its line as the card has it joins the
// restore point, so that the end of live mode puts back what live mode sends to it.
void frmProfile::AddLineToRestorePoint(int line) {
    if (realTimeMode_ || liveProfileName_.empty()) return;
    const std::wstring key = RegJoin(gRegProfiles, liveProfileName_);
    std::vector<std::wstring> names{MixerValueName(1, line, 0, 0), MixerValueName(1, line, 1, 0)};
    for (int k = 1; k <= CountIn(cmdRecordExtraOptions[line]->Tag()); ++k)
        names.push_back(MixerValueName(1, line, 0, k));
    // A line whose present state can't join the restore point is left alone by live mode: the
    // end of live mode could not put it back.
    for (const std::wstring& name : names) {
        if (ProfileValueExists(liveProfileName_, name)) continue;
        const Bytes now = GetProfileValue(L"", name);
        if (RegWrite(key, name, now))
            restoreValues_.emplace_back(name, now);
        else
            unrestorableLines_.insert(line);
    }
}

bool frmProfile::RestoreLiveValue(const std::wstring& name, Bytes& value) const {
    if (realTimeMode_ || liveProfileName_.empty() || !ProfileValueExists(liveProfileName_, name)) return false;
    value = GetProfileValue(liveProfileName_, name);
    return true;
}

// ---- Live setters of single values ----

void frmProfile::LiveApplySpDigitalOut() {
    // A loaded format that the list has no entry for is not the user's choice: it isn't sent.
    if (liveProfileName_.empty() || (chkSPDIF->Value() == 1 && cboSPDIFOutput->ListIndex() < 0)) return;
    SendToCard({{L"SpDigitalOut", EncodeSpDigitalOut(), kWholeValue}});
}

void frmProfile::LiveApplyVolumeBalance(bool ownVolume, bool ownBalance) {
    if (liveProfileName_.empty()) return;
    SendVolumeBalance(0, 0, csliVolume->Value() * kCurrencyScale, csliMasterBalance->Value() * (kCurrencyScale / 10),
                      ownVolume, ownBalance);
    // The tray icon and tip show the master volume.
    if (ITrayServices* tray = TrayServices()) tray->MasterOutputChanged();
}

// No line of a recording device out of service is written (its row's box is disabled).
bool frmProfile::LiveLine(int line) const {
    return !liveProfileName_.empty() && line >= 0 && line <= 7 && chkRecordSet[line]->Enabled() &&
           !unrestorableLines_.count(line);
}

void frmProfile::LiveApplyInputLine(int line, bool ownVolume, bool ownBalance) {
    if (!LiveLine(line)) return;
    SendVolumeBalance(1, line, csliInputLine[line]->Value() * kCurrencyScale, InputLineBalance(line), ownVolume,
                      ownBalance);
}

void frmProfile::LiveApplyCustomControl(int line, int control, bool inProfile) {
    if (!LiveLine(line)) return;
    const std::wstring name = MixerValueName(1, line, 0, control);
    const std::uint8_t value = inProfile ? GetCustomControlsValues(line, control) : 255;
    // "Don't Set" puts back the restore point's value, and only when it holds one.
    if (value == 255 && !ProfileValueExists(liveProfileName_, name)) return;
    SendToCard({{name, value == 255 ? GetProfileValue(liveProfileName_, name) : Bytes{value}, kWholeValue}});
}

void frmProfile::LiveApplySwap(int which) {
    static const wchar_t* const names[3] = {L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"};
    if (liveProfileName_.empty() || which < 0 || which > 2) return;
    Bytes value = swaps_[static_cast<std::size_t>(which)];
    // "Don't Set" puts back the restore point's value, and only when it holds one.
    if (FirstByte(value, 255) == 255 && !RestoreLiveValue(names[which], value)) return;
    SendToCard({{names[which], value, kWholeValue}});
}

void frmProfile::LiveApplyChannelGain(int channel) {
    if (liveProfileName_.empty() || channel < 0 || channel > 7) return;
    SendToCard({{std::wstring(gChannelVolumeValues[static_cast<std::size_t>(channel)]), EncodeChannelGain(channel, false),
                 kWholeValue}});
}

// ---- What the device side asks of the editor in live mode ----

// Out of live mode the editor shows the profile's own values: only the effects follow.
void frmProfile::RefreshSpeakersAndFormat() {
    if (!Loaded()) return;
    if (!liveProfileName_.empty())
        FollowCard();
    else
        FollowWindowsChannels();
}

}  // namespace kal
