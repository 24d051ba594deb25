#include "tray/mainform.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <functional>
#include <set>
#include <optional>

#include <setupapi.h>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/displaytexts.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/notify.h"
#include "device/portable/packets.h"
#include "device/profilevalues.h"
#include "device/restorepoints.h"
#include "device/transport.h"
#include "device/validation.h"
#include "device/volumememory.h"
#include "resources/version.h"
#include "startup/autostart.h"
#include "startup/catalogue.h"
#include "base/dyncalls.h"
#include "startup/globals.h"
#include "base/keyed.h"
#include "base/log.h"
#include "startup/names.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/utility.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/formopeners.h"
#include "tray/hotkeys.h"
#include "tray/portable/menurules.h"
#include "tray/portable/trayrules.h"
#include "tray/portable/updaterules.h"
#include "tray/trayicon.h"
#include "tray/traywindows.h"

namespace kal {

std::unique_ptr<clsToolTip> gToolTip;

namespace {
// The main form's window while the shared tooltip may be made for it.
HWND gToolTipOwner = nullptr;
}  // namespace

clsToolTip* SharedToolTip() {
    if (!gToolTip && gToolTipOwner) {
        auto tip = std::make_unique<clsToolTip>();
        if (!tip->Create(gToolTipOwner)) return nullptr;
        tip->SetMaxTipWidth(240);
        tip->SetDelayTime(2, 32767);
        tip->SetDelayTime(1, 0);
        for (int side = 0; side < 4; ++side) tip->SetMargin(side, 7);
        gToolTip = std::move(tip);
    }
    return gToolTip.get();
}
std::wstring gCardSubsys;

namespace {

constexpr int kCloseWaitLimit = 200;

bool EditingProfile() {
    const IInputLineEditor* editor = InputLineEditor();
    return editor && !editor->RealTimeMode();
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam) {
    try {
        wchar_t cls[16] = {};
        ::GetClassNameW(window, cls, 16);
        if (std::wstring(cls) == L"#32770") reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
        return TRUE;
    } catch (...) {
        LogCaught(L"CollectDialog");
        return FALSE;
    }
}

const std::wstring& SpeakersLine() { return gPlaybackLineIds[0]; }

// Restores the master output's mute state however the writes inside end.
class MasterMuteBracket {
public:
    MasterMuteBracket() : saved_(GetLineMute(SpeakersLine(), 0)) { SetLineMute(SpeakersLine(), 0, -1); }
    ~MasterMuteBracket() { SetLineMute(SpeakersLine(), 0, saved_); }
    MasterMuteBracket(const MasterMuteBracket&) = delete;
    MasterMuteBracket& operator=(const MasterMuteBracket&) = delete;

private:
    std::int16_t saved_;
};

void SetMute(const std::wstring& line, std::uint32_t flow, MuteMode mode) {
    std::int16_t state = -1;
    if (mode == MuteMode::Unmute) state = 0;
    if (mode == MuteMode::Toggle) state = GetLineMute(line, flow) ? 0 : -1;
    SetLineMute(line, flow, state);
}

// Lets "TaskbarCreated" through the user-interface privilege filter of an elevated process.
void AllowTaskbarCreated(HWND window, UINT message) {
    if (const auto filterEx = dyn::ChangeWindowMessageFilterEx()) filterEx(window, message, 1, nullptr);
    else if (const auto filter = dyn::ChangeWindowMessageFilter()) filter(message, 1);
}

}  // namespace

// The ASIO item of the tray menu, as the driver search labels and enables it.
class frmKalvenor::AsioItem final : public ASIOMenuItem {
public:
    explicit AsioItem(frmKalvenor& form) : form_(form) {}
    void SetCaption(const std::wstring& caption) override { form_.SetItemCaption(kMenuASIO, caption); }
    void SetEnabled(bool enabled) override { form_.SetItemEnabled(kMenuASIO, enabled); }

private:
    frmKalvenor& form_;
};

frmKalvenor* MainTrayForm() { return dynamic_cast<frmKalvenor*>(MainForm()); }

ITrayHost* TrayHost() { return MainTrayForm(); }

std::wstring ProgramArguments() {
    const wchar_t* p = ::GetCommandLineW();
    if (!p) return L"";
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

void StartCardSearchFor(const std::wstring& arguments) {
    try {
        const CommandLineSwitches switches = ParseCommandLine(arguments);
        std::wstring hid = switches.hid ? *switches.hid : gCardHID;
        const std::wstring subsys = switches.subsys ? *switches.subsys : gCardSubsys;
        if (hid.empty()) hid = GetCardHID();
        if (hid.empty()) hid = kCardHardwareFamily;
        StartCardDiscovery(hid, subsys);
    } catch (...) {
        // The load searches itself.
        LogCaught(L"StartCardSearchFor");
    }
}

frmKalvenor::frmKalvenor(std::wstring arguments)
    : Form(L"frmKalvenor"), arguments_(std::move(arguments)), asioItem_(std::make_unique<AsioItem>(*this)) {
    Design(
        FormLayout(L"Kalvenor Main Form", 3000, 1500, -1, -1, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU),
        {TimerRow(KAL_CONTROL(frmKalvenor, timerUnload), 10), TimerRow(KAL_CONTROL(frmKalvenor, timerShowVolume), 75),
         TimerRow(KAL_CONTROL(frmKalvenor, timerShowASIOControlPanel), 1),
         TimerRow(KAL_CONTROL(frmKalvenor, timerShowSystemMixer), 1),
         TimerRow(KAL_CONTROL(frmKalvenor, CheckUpdates), 60000),
         TimerRow(KAL_CONTROL(frmKalvenor, timerCloseWindows), 10)});
    SetMainForm(true);
}

frmKalvenor::~frmKalvenor() { Unload(); }

// ---- Start-up ----

void frmKalvenor::OnLoad() {
    InitTimers();
    // Commands whose windows are not part of the program stay disabled.
    RefreshCommandItems();
    loading_ = true;
    try {
        LoadSequence();
    } catch (...) {
        // A failure part-way leaves the program in the tray without card functions.
        LogCaught(L"frmKalvenor start-up");
    }
    FinishStartupAutostart();
    // The window's icon and the shared tooltip, which only the program's windows show: set
    // up after the start-up (the tray icon comes sooner), and not at all for "/noui", which
    // shows none. The tooltip itself is made when a window first gives it a tool.
    if (!gNoUI) {
        SetIcon(hWnd(), kProgramIcon);
        gToolTipOwner = hWnd();
    }
    loading_ = false;
    if (gNoUI) timerUnload->SetEnabled(true);
}

void frmKalvenor::InitTimers() {
    // Each one-shot timer stops itself before its work.
    auto once = [](Timer* timer, std::function<void()> work) {
        timer->Tick = [timer, work = std::move(work)] {
            timer->SetEnabled(false);
            work();
        };
    };
    once(timerUnload, [this] { Unload(); });
    once(timerShowVolume, [] {
        if (IsFormLoaded(L"frmProfile") || !TrayOpeners().volume) return;
        PositionNearTray(TrayOpeners().volume(), true);
    });
    once(timerShowASIOControlPanel, [] { ShowASIOControlPanel([](HWND dialog) { PositionNearTray(dialog, false); }); });
    once(timerShowSystemMixer, [] { ShowSystemMixer(); });
    once(timerCloseWindows, [this] { CloseWhenDialogsEnded(); });
    CheckUpdates->Tick = [] { TrimWorkingSet(); };
}

void frmKalvenor::ParseSwitches() {
    switches_ = ParseCommandLine(arguments_);
    if (switches_.hid) gCardHID = *switches_.hid;
    if (switches_.subsys) gCardSubsys = *switches_.subsys;
    // The start-up's own refresh of the entry comes first.
    if (switches_.toggleAutostart > 0) FinishStartupAutostart();
    for (int i = 0; i < switches_.toggleAutostart; ++i) {
        if (RefreshAutostart(0)) DisableAutostart(0);
        else EnableAutostart(0);
    }
    if (switches_.profileGiven) {
        std::vector<std::wstring> candidates = SplitProfileList(switches_.profileList);
        if (switches_.profileList.empty()) candidates = ProfileKeyNames();
        switchProfile_ = ChooseCycledProfile(candidates, GetActiveProfile());
    }
}

void frmKalvenor::LoadSequence() {
    // The command-line switches, then the card id stored in the settings unless a switch gave one.
    if (!arguments_.empty()) ParseSwitches();
    if (gCardHID.empty()) gCardHID = GetCardHID();

    // The card's device, driver class key and property set; without an id, any card of the family.
    bool idGiven = true;
    if (gCardHID.empty()) {
        gCardHID = kCardHardwareFamily;
        idGiven = false;
    }
    DiscoverCard(gCardHID, gCardSubsys);

    // The start-up's autostart refresh ends before the first effect.
    FinishStartupAutostart();

    // The tray icon and what goes with it.
    if (!gNoUI) {
        gTaskbarCreatedMsg = ::RegisterWindowMessageW(L"TaskbarCreated");
        AllowTaskbarCreated(hWnd(), gTaskbarCreatedMsg);
        gUIFont = GetSystemFont();
        gWheelIncrement = GetSliderWheelIncrement();
        FindASIODriver(asioItem_.get());
        SetDefaultMenuItem(*this, 3);
        HookTrayWindow(hWnd(), this);
        UpdateTrayIcon(true);
    }

    // The result of a self-update started by the previous run.
    bool updateBalloon = false;
    if (GetUpdatePending()) {
        RemoveUpdatePending();
        if (GetUpdateSuccessful()) {
            RemoveUpdateSuccessful();
            if (!gNoUI) {
                ShowBalloon(kAppTitle,
                            UpdateSucceededText(KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR, KALVENOR_VERSION_REVISION),
                            kBalloonInfo);
                gBalloonAction = kBalloonActionChangelog;
            }
        } else if (!gNoUI) {
            ShowBalloon(kAppTitle, UpdateFailedText(kAppTitle), kBalloonWarning);
        }
        updateBalloon = true;
    }
    const bool balloons = !gNoUI && !updateBalloon;

    // No card: the card functions stay off.
    if (gCardHID.empty()) {
        if (balloons) ShowBalloon(kAppTitle, L"\r\nNo compatible Xonar hardware has been detected.", kBalloonError);
        return;
    }

    // The model's record by the subsystem id (the switch's, else the hardware id's); an unknown
    // or unsupported model or a missing driver leaves the card functions off.
    if (gCardSubsys.empty()) {
        const std::wstring hid = ToUpper(gCardHID);
        for (std::size_t start = 0;;) {
            const std::size_t amp = hid.find(L'&', start);
            const std::wstring part = hid.substr(start, amp == std::wstring::npos ? std::wstring::npos : amp - start);
            if (part.find(L"SUBSYS") != std::wstring::npos) {
                const std::size_t underscore = part.find(L'_');
                gCardSubsys = underscore == std::wstring::npos ? L"" : part.substr(underscore + 1);
                break;
            }
            if (amp == std::wstring::npos) break;
            start = amp + 1;
        }
    }
    const auto* record = gCardModels.Find(gCardSubsys);
    gCardCaps = record ? *record : nullptr;
    const std::wstring caption = gCardCaps ? gCardCaps->Caption : L"";
    gCardModels.Clear();
    const std::wstring prefix = DetectionPrefix(caption);
    if (!gCardCaps) {
        if (balloons) ShowBalloon(kAppTitle, prefix + L"the card model can't be recognized by Kalvenor.", kBalloonWarning);
        return;
    }
    if (!gCardCaps->Supported) {
        if (balloons)
            ShowBalloon(kAppTitle, prefix + L"the card model is currently not supported by Kalvenor.", kBalloonWarning);
        return;
    }
    if (gDriverSettingsKey.empty()) {
        if (balloons) {
            ShowBalloon(kAppTitle,
                        prefix + L"the audio driver is not installed. Please install a suitable audio driver.",
                        kBalloonWarning);
            gBalloonAction = kBalloonActionDriverPage;
        }
        return;
    }

    // The interface that answers the driver.
    if (!FindCardInterface() && !idGiven) {
        if (balloons)
            ShowBalloon(kAppTitle,
                        prefix + L"the driver configuration appears to be corrupt.\r\n"
                                 L"Try uninstalling and reinstalling your drivers.",
                        kBalloonWarning);
        return;
    }

    // The shortcut keys reach the form from now on; the card's lines.
    cardMessagesOn_ = true;
    FindCardLines();

    // The change watchers.
    if (!gNoUI) {
        StartChangeWatchers(hWnd());
        // Only trims the working set now and then.
        CheckUpdates->SetEnabled(true);
    }

    // The speakers output must be on.
    if (!gIsXP && (!gAudio || gAudio->DeviceState(SpeakersLine()) != kDeviceStateActive)) {
        if (balloons)
            ShowBalloon(kAppTitle,
                        prefix + L"it appears your Xonar Speakers are disabled.\r\n\r\n"
                                 L"Please enable the Xonar card Speakers output in the sound control panel.",
                        kBalloonWarning);
        return;
    }

    // Restore points that live mode could not put back (the card refused, or the program ended
    // while live mode was on) put the card back first; each goes once the card took it whole. A
    // program run without user interface may run beside an editor that owns one.
    if (!gNoUI) PutBackRestorePoints();

    // The mute switches of the command line.
    if (switches_.master) SetMute(SpeakersLine(), 0, *switches_.master);
    if (switches_.inputLine >= 0)
        SetMute(gInputLineIds[static_cast<std::size_t>(switches_.inputLine)], 1, switches_.inputMode);

    // A newer revision leaves the card alone until the user has decided.
    if (!gNoUI && TrayOpeners().updateAvailable && TrayOpeners().updateAvailable()) {
        ShowUpdateMenu();
        return;
    }

    // The start-up profile and volume, then the shortcut keys.
    StartupProfileAndVolume(updateBalloon);
}

namespace {

// The master output's volume as the card reads it back (the louder of its first two channels,
// in whole percent as its mixer values read); nullopt when no channel can be read.
std::optional<Currency> LiveMasterVolume() {
    if (!gAudio) return std::nullopt;
    Currency levels[2] = {0, 0};
    bool read = false;
    for (std::int32_t i = 0; i < 2; ++i) {
        std::int32_t channel = i;
        float level = -1.0f;  // left as it is when the channel can't be read
        gAudio->LineChannelVolumeOperation(SpeakersLine(), channel, level, 0, false, false);
        if (!(level >= 0.0f)) continue;
        levels[i] = static_cast<Currency>(std::nearbyint(static_cast<double>(level) * 100.0)) * kCurrencyScale;
        read = true;
    }
    if (!read) return std::nullopt;
    Currency volume = 0, balance = 0;
    gAudio->ChannelsBalance(levels[0], levels[1], volume, balance, false);
    return volume;
}

}  // namespace

// The earliest restore point alone goes back: the card as the first live mode found it. The
// later ones hold what an earlier live mode left and go once it is back.
void frmKalvenor::PutBackRestorePoints() {
    const std::vector<std::wstring> kept = KeptRestorePoints();
    if (kept.empty()) return;
    const PutBackOutcome outcome =
        PutBackRestorePoint(kept.front(), {}, [this](const std::wstring& profile, std::vector<std::wstring>& refused) {
            return SetXonarValues(profile, true, false, &refused);
        });
    if (outcome.Whole()) {
        for (std::size_t i = 1; i < kept.size(); ++i) RegDeleteTree(gRegProfiles, kept[i]);
        return;
    }
    // Said also beside an update's balloon: the card is not as the user left it.
    const bool back = outcome.refused.empty() && !outcome.unread;
    ShowBalloon(kAppTitle,
                back ? L"The card is back as it was before Live Mode, but the settings kept for that could not be "
                       L"removed: they are put back again when Kalvenor starts next."
                     : L"The card could not be put back as it was before Live Mode: " + NotPutBackText(outcome) +
                           L".\r\nThe earlier settings are kept and put back when Kalvenor starts next.",
                kBalloonWarning);
}

void frmKalvenor::StartupProfileAndVolume(bool updateBalloonShown) {
    const bool fromSwitch = !switchProfile_.empty();
    const std::wstring profile = fromSwitch || gNoUI ? switchProfile_ : GetDefaultProfile();
    const std::int16_t volume = GetDefaultVolume();
    const bool balloons = !gNoUI && !updateBalloonShown;

    bool applied = false;
    if (!profile.empty()) applied = SetXonarValues(profile, false, volume >= 0);

    // The start-up volume counts as set only when the card reads it back afterwards: a volume
    // that can't be read is no volume of 0.
    bool volumeSet = false;
    if (volume >= 0) {
        Currency ignored = 0, balance = 0;
        GetProfileVolumeBalance(ignored, balance, 0, 0, profile);
        const Currency wanted = static_cast<Currency>(volume) * kCurrencyScale;
        SetVolumeBalance(wanted, balance, 0, 0);
        const std::optional<Currency> live = LiveMasterVolume();
        volumeSet = live && *live >= wanted - kCurrencyScale && *live <= wanted + kCurrencyScale;
    }
    std::wstring volumeMessage;
    if (volumeSet) {
        std::optional<std::wstring> decibels;
        if (!gIsXP && gAudio)
            decibels = FormatDecimal(gAudio->DeviceDBFromLinear(SpeakersLine(), 0, volume), DecimalSeparator());
        volumeMessage = VolumeMessage(volume, decibels);
    }

    if (!profile.empty() && (GetDefaultProfileNotify() || fromSwitch) && balloons) {
        const std::wstring withVolume = GetDefaultVolumeNotify() ? volumeMessage : L"";
        // A name that matches no profile with settings applied nothing: no success to report,
        // but whether the profile is missing or empty.
        if (applied) ShowBalloon(kAppTitle, ProfileLoadedText(profile, withVolume), kBalloonInfo);
        else if (RegKeyExists(RegJoin(gRegProfiles, profile)))
            ShowBalloon(kAppTitle, ProfileEmptyText(profile), kBalloonWarning);
        else ShowBalloon(kAppTitle, ProfileNotFoundText(profile), kBalloonWarning);
    }
    if (volumeSet && GetDefaultVolumeNotify() && balloons && !GetDefaultProfileNotify() && !fromSwitch)
        ShowBalloon(kAppTitle, L"\r\n" + volumeMessage, kBalloonInfo);

    if (!gNoUI) RegisterGlobalHotkeys(true);
}

// ---- Unload ----

void frmKalvenor::OnUnload() {
    HWND window = hWnd();
    cardMessagesOn_ = false;
    ClearHotkeys();
    StopChangeWatchers();
    RemoveTrayIcon();
    UnhookTrayWindow();
    gTaskbarCreatedMsg = 0;
    gToolTipOwner = nullptr;
    gToolTip.reset();
    if (window) ::SetMenu(window, nullptr);
    popup_ = nullptr;
    menuBar_.reset();
    hotkeysEnabled_ = false;
    ReleaseSingleInstanceMutex();
}

// ---- Window messages ----

// Every message of the form's window: the shortcut keys, the tray icon's callback and
// "TaskbarCreated", the change notifications and the mixer's change message, the menu commands.
bool frmKalvenor::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    try {
        switch (msg) {
        case WM_HOTKEY:
            if (!cardMessagesOn_) break;
            if (const int id = static_cast<int>(wParam); id >= 0 && id < kProfileHotkeyBase) mnuShortcuts_Click(id);
            else ApplyProfileItem(id - kProfileHotkeyBase);
            return true;
        case WM_COMMAND:
            if (lParam != 0 || HIWORD(wParam) != 0) break;
            OnMenuCommand(LOWORD(wParam));
            return true;
        default: break;
        }
    } catch (...) {
        LogCaught(msg == WM_HOTKEY ? L"frmKalvenor shortcut key" : L"frmKalvenor menu command");
        return true;
    }
    if (TrayWindowProc(hWnd(), msg, wParam, lParam, result)) return true;
    if (DispatchNotificationMessage(hWnd(), msg, wParam, lParam)) {
        result = 0;
        return true;
    }
    return false;
}

// ---- Profile application ----

bool frmKalvenor::SetXonarValues(const std::wstring& profileName, bool noCommit, bool skipMasterVolume,
                                 std::vector<std::wstring>* refused) {
    // The switch reads and writes the same few keys (the profile, the driver's, the settings) and
    // sends many requests to the card: each is opened once.
    RegistryKeyScope keptKeys;
    CardInterfaceScope keptCard;
    // The profile is read once: the names of its values, in the order the registry lists them,
    // and the values themselves.
    const ProfileSnapshot profile = ProfileSnapshot::Kept(profileName);
    const std::vector<std::wstring>& names = profile.Names();
    if (names.empty() || profileName.empty()) return false;
    // Counted before the first value reaches the card: an open window that sees a change of the
    // card from here on knows a profile made it.
    if (!noCommit) ++gProfilesApplied;
    WaitCursor cursor;
    if (!noCommit) {
        Currency volume = 0, balance = 0;
        OutputVolumeMemory(profileName, volume, balance, true);
    }
    {
        MasterMuteBracket mute;
        ApplyProfileValues(profile, skipMasterVolume, refused);
    }
    kal::RefreshOpenForms(!noCommit, IsSelfChange());
    if (!noCommit) {
        const std::wstring key = FindProfileKey(profileName);
        SetActiveProfile(key.empty() ? profileName : key);
        // The menu, and with it the tip and the icon: nothing changes the card from here on, so
        // they share one comparison of the card with the profile.
        ValidationScope validation;
        UpdateMenus();
    } else {
        // A temporary application changes the master output too.
        UpdateTrayIconAndTip();
    }
    return true;
}

// ---- Menus ----

// The form is never shown; the bar only carries the menu (the default item is set on it). It is
// given to the window as it is made: attached later, the frame change would cost the start-up
// a few milliseconds before the tray icon.
HMENU frmKalvenor::CreationMenu() {
    menuBar_.reset(::CreateMenu());
    popup_ = ::CreatePopupMenu();
    auto add = [this](UINT id, const wchar_t* caption, bool enabled) {
        ::AppendMenuW(popup_, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, caption);
    };
    add(kMenuProfileBase, L"(empty)", false);
    ::AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
    add(kMenuProfilesEditor, L"&Profiles...", false);
    add(kMenuRealTimeSettings, L"&Real Time Settings...", false);
    add(kMenuASIO, kASIOMenuDefaultCaption, false);
    ::AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
    add(kMenuOptions, L"Options...", true);
    ::AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
    add(kMenuAbout, L"&About Kalvenor...", true);
    add(kMenuClose, L"&Exit Kalvenor", true);
    ::AppendMenuW(menuBar_.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup_), L"PopupRoot");
    return menuBar_.get();
}

void frmKalvenor::SetItemEnabled(UINT id, bool enabled) {
    if (popup_) ::EnableMenuItem(popup_, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void frmKalvenor::SetItemCaption(UINT id, const std::wstring& caption) {
    if (!popup_) return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    ::SetMenuItemInfoW(popup_, id, FALSE, &info);
}

bool frmKalvenor::MenuItemEnabled(UINT id) const {
    if (!popup_) return false;
    const UINT state = ::GetMenuState(popup_, id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

std::wstring frmKalvenor::MenuItemCaption(UINT id) const {
    if (!popup_) return L"";
    wchar_t text[512] = {};
    ::GetMenuStringW(popup_, id, text, 512, MF_BYCOMMAND);
    return text;
}

int frmKalvenor::ProfileItemCount() const {
    int n = 0;
    while (popup_ && ::GetMenuState(popup_, kMenuProfileBase + static_cast<UINT>(n), MF_BYCOMMAND) != static_cast<UINT>(-1)) ++n;
    return n;
}

std::vector<std::wstring> frmKalvenor::ProfileMenuCaptions() const {
    std::vector<std::wstring> captions;
    for (int i = 0, n = ProfileItemCount(); i < n; ++i) captions.push_back(MenuItemCaption(kMenuProfileBase + static_cast<UINT>(i)));
    return captions;
}

bool frmKalvenor::ProfileItemChecked(int index) const {
    if (!popup_) return false;
    const UINT state = ::GetMenuState(popup_, kMenuProfileBase + static_cast<UINT>(index), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

void frmKalvenor::RefreshCommandItems() {
    const TrayWindowOpeners& open = TrayOpeners();
    if (profilesEditorTag_ == L"Update") SetItemEnabled(kMenuProfilesEditor, static_cast<bool>(open.downloadUpdate));
    else SetItemEnabled(kMenuProfilesEditor, hotkeysEnabled_ && open.profileManager);
    SetItemEnabled(kMenuRealTimeSettings, hotkeysEnabled_ && open.realTimeSettings);
    SetItemEnabled(kMenuOptions, static_cast<bool>(open.options));
    SetItemEnabled(kMenuAbout, static_cast<bool>(open.about));
}

void frmKalvenor::RegisterProfileKeys(const std::vector<std::optional<std::pair<UINT, UINT>>>& wanted) {
    HWND window = hWnd();
    const std::size_t count = wanted.size();
    // An item that keeps its key asks the system nothing. Items whose key changes (items moved
    // up or down, keys edited or refused before) and items that go let theirs go first, so a key
    // that moves to another item is free when that item asks for it.
    profileKeys_.resize(std::max(profileKeys_.size(), count));
    for (std::size_t i = 0; i < profileKeys_.size(); ++i) {
        auto& registered = profileKeys_[i];
        if (!registered || (i < count && registered == wanted[i])) continue;
        ::UnregisterHotKey(window, kProfileHotkeyBase + static_cast<int>(i));
        registered.reset();
    }
    // A key another item holds would be refused: it is not asked for.
    std::set<std::pair<UINT, UINT>> held;
    for (const auto& registered : profileKeys_)
        if (registered) held.insert(*registered);
    for (std::size_t i = 0; i < count; ++i) {
        auto& registered = profileKeys_[i];
        if (!wanted[i] || registered == wanted[i] || held.contains(*wanted[i])) continue;
        if (::RegisterHotKey(window, kProfileHotkeyBase + static_cast<int>(i), wanted[i]->first, wanted[i]->second)) {
            registered = wanted[i];
            held.insert(*wanted[i]);
        }
    }
    profileKeys_.resize(count);
}

void frmKalvenor::UpdateMenus() {
    if (!popup_) return;
    // The check mark, the manager's bold row, the tip and the icon ask the same question.
    ValidationScope validation;
    const bool valid = ValidateActiveProfile(false);
    const std::wstring active = GetActiveProfile();
    const std::vector<ProfileSnapshot> snapshots = ReadProfileSnapshots();
    std::vector<std::wstring> profiles;
    for (const ProfileSnapshot& profile : snapshots) profiles.push_back(profile.Profile());
    const bool editing = EditingProfile();
    const int existing = ProfileItemCount();
    const std::size_t count = profiles.size();
    std::vector<Bytes> keys(count);
    // The key each item asks for. Keys belong to the running card functions; none while a
    // profile is being edited.
    std::vector<std::optional<std::pair<UINT, UINT>>> wanted(count);
    for (std::size_t i = 0; i < count; ++i) {
        keys[i] = ShortcutKey(snapshots[i].Value(L"Shortcut"));
        if (keys[i][0] != 0 && !editing && hotkeysEnabled_)
            wanted[i] = std::pair<UINT, UINT>(ShiftToHotkeyModifiers(keys[i][1]), keys[i][0]);
    }
    RegisterProfileKeys(wanted);
    for (int i = 0; i < static_cast<int>(count); ++i) {
        const UINT id = kMenuProfileBase + static_cast<UINT>(i);
        const Bytes& key = keys[static_cast<std::size_t>(i)];
        std::wstring caption = MenuCaptionText(profiles[i]);
        if (key[0] != 0) caption += L"\t" + KeyCodeToString(key[0], key[1]);
        const UINT flags = MF_STRING | MF_ENABLED | (valid && profiles[i] == active ? MF_CHECKED : MF_UNCHECKED);
        if (i < existing) ::ModifyMenuW(popup_, id, MF_BYCOMMAND | flags, id, caption.c_str());
        else ::InsertMenuW(popup_, static_cast<UINT>(i), MF_BYPOSITION | flags, id, caption.c_str());
    }
    profileNames_ = profiles;
    if (profiles.empty()) {
        ::ModifyMenuW(popup_, kMenuProfileBase, MF_BYCOMMAND | MF_STRING | MF_GRAYED | MF_UNCHECKED, kMenuProfileBase,
                      L"(empty)");
    }
    for (int i = std::max<int>(1, static_cast<int>(profiles.size())); i < existing; ++i)
        ::DeleteMenu(popup_, kMenuProfileBase + static_cast<UINT>(i), MF_BYCOMMAND);
    for (Form* f : LoadedForms())
        if (auto* list = dynamic_cast<IProfileListView*>(f)) list->UpdateActiveProfile();
    UpdateTrayIconAndTip();
}

void frmKalvenor::ShowUpdateMenu() {
    if (!Loaded()) return;
    SetItemCaption(kMenuProfilesEditor, L"Update");
    profilesEditorTag_ = L"Update";
    RefreshCommandItems();
}

void frmKalvenor::ClearProfileHotkeys() {
    profileKeys_.clear();
    HWND window = hWnd();
    if (!window) return;
    for (int i = 0, n = ProfileItemCount(); i < n; ++i) ::UnregisterHotKey(window, kProfileHotkeyBase + i);
}

void frmKalvenor::ClearHotkeys() {
    HWND window = hWnd();
    if (!window) return;
    ClearMenuHotkeys(window);
    ClearProfileHotkeys();
}

void frmKalvenor::ResetProfileItems() {
    for (int i = ProfileItemCount() - 1; i >= 1; --i) ::DeleteMenu(popup_, kMenuProfileBase + static_cast<UINT>(i), MF_BYCOMMAND);
    ::ModifyMenuW(popup_, kMenuProfileBase, MF_BYCOMMAND | MF_STRING | MF_GRAYED | MF_UNCHECKED, kMenuProfileBase,
                  L"(empty)");
    profileNames_.clear();
}

void frmKalvenor::RegisterGlobalHotkeys(bool enable) {
    if (!Loaded()) return;
    hotkeysEnabled_ = enable;
    RefreshCommandItems();
    if (enable) {
        RegisterMenuHotkeys(hWnd());
        UpdateMenus();
    } else {
        ClearHotkeys();
        UnloadOtherForms();
        ResetProfileItems();
    }
    SetTrayTip(TrayTooltipText());
}

void frmKalvenor::UnloadOtherForms() { CloseOtherWindows(false); }

void frmKalvenor::mnuClose_Click() {
    ::EndMenu();
    CloseOtherWindows(true);
}

void frmKalvenor::CloseOtherWindows(bool thenExit) {
    if (thenExit) exitAfterClose_ = true;
    if (EndThreadDialogs()) {
        // Code of a form that waits in a dialog must run on before its form goes: the forms are
        // unloaded once the dialogs' loops have returned.
        closePending_ = true;
        closeWaits_ = 0;
        timerCloseWindows->SetEnabled(true);
        return;
    }
    UnloadForms();
}

void frmKalvenor::CloseWhenDialogsEnded() {
    if (!closePending_) return;
    if (EndThreadDialogs() && ++closeWaits_ < kCloseWaitLimit) {
        timerCloseWindows->SetEnabled(true);
        return;
    }
    UnloadForms();
}

void frmKalvenor::UnloadForms() {
    closePending_ = false;
    // A form that keeps its window when asked (it cancels, or loads again) is asked once.
    std::vector<Form*> asked;
    for (bool again = true; again;) {
        again = false;
        for (Form* f : LoadedForms()) {
            if (f == this || std::find(asked.begin(), asked.end(), f) != asked.end()) continue;
            asked.push_back(f);
            if (auto* dialog = dynamic_cast<IUnloadOnExit*>(f)) dialog->AllowUnload();
            f->Unload();
            again = true;
            break;
        }
    }
    if (exitAfterClose_) {
        exitAfterClose_ = false;
        Unload();
    }
}

// Ends the modal loops of this thread's dialogs (message boxes, file dialogs, a driver's panel);
// true when there were any. Each loop returns once the present message has been handled.
bool frmKalvenor::EndThreadDialogs() {
    std::vector<HWND> dialogs;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs) ::EndDialog(dialog, IDCANCEL);
    return !dialogs.empty();
}

void frmKalvenor::ApplyProfileItem(int index) {
    if (index < 0 || index >= static_cast<int>(profileNames_.size())) return;
    const std::wstring name = profileNames_[static_cast<std::size_t>(index)];
    SetXonarValues(name, false, false);
}

void frmKalvenor::mnuShortcuts_Click(int index) { RunShortcutAction(index); }

void frmKalvenor::ShowSystemMixerLater() {
    if (Loaded()) timerShowSystemMixer->SetEnabled(true);
}

void frmKalvenor::OnMenuCommand(UINT id) {
    if (id >= kMenuProfileBase) {
        ApplyProfileItem(static_cast<int>(id - kMenuProfileBase));
        return;
    }
    const TrayWindowOpeners& open = TrayOpeners();
    switch (id) {
    case kMenuProfilesEditor:
        if (profilesEditorTag_ == L"Update") {
            if (open.downloadUpdate && open.downloadUpdate()) Unload();
        } else if (open.profileManager) {
            open.profileManager();
        }
        break;
    case kMenuRealTimeSettings:
        if (open.realTimeSettings) open.realTimeSettings();
        break;
    case kMenuASIO: timerShowASIOControlPanel->SetEnabled(true); break;
    case kMenuOptions:
        if (open.options) {
            SetMouseCursor(SystemCursor::Wait);
            open.options();
        }
        break;
    case kMenuAbout:
        if (open.about) open.about();
        break;
    case kMenuClose: mnuClose_Click(); break;
    default: break;
    }
}

// ---- Tray ----

void frmKalvenor::ShowBalloon(const std::wstring& title, const std::wstring& text, std::uint32_t style) {
    kal::ShowBalloon(title, text, style);
}

void frmKalvenor::UpdateTrayIcon(bool recreate) { kal::UpdateTrayIcon(recreate); }

void frmKalvenor::SetTrayTip(const std::wstring& text) { kal::SetTrayTip(text); }

void frmKalvenor::RefreshProfilesForm() { kal::RefreshProfilesForm(); }

void frmKalvenor::SpeakersOutputChanged(bool enabled) {
    if (!enabled) {
        ShowBalloon(kAppTitle,
                    L"\r\nYour Xonar Speakers are now disabled.\r\n\r\n"
                    L"All features are suspended until Speakers output is enabled again.",
                    kBalloonWarning);
        UpdateTrayIcon(false);
    } else {
        ShowBalloon(kAppTitle, L"\r\nSpeakers output enabled. Normal functionality resumed.", kBalloonInfo);
        // The endpoint that came back reports its mute and volume changes anew.
        RegisterVolumeCallback();
        // What live mode could not put back while they were out of service goes back now, as at
        // the start; an editor still open owns its restore point.
        if (!gNoUI && !IsFormLoaded(L"frmProfile")) PutBackRestorePoints();
    }
    RegisterGlobalHotkeys(enabled);
}

void frmKalvenor::RefreshOpenForms(bool force, bool ownChangeInProgress) { kal::RefreshOpenForms(force, ownChangeInProgress); }

void frmKalvenor::MasterOutputChanged() {
    UpdateTrayIconAndTip();
    // An open pop-up shows the same mute and level as the icon.
    for (Form* f : LoadedForms())
        if (auto* volume = dynamic_cast<IVolumeView*>(f)) volume->CurrentMaster();
}

void frmKalvenor::SysTrayLClickEventHandler() {
    // Waits so that a double click can still cancel the pop-up.
    if (hotkeysEnabled_ && TrayOpeners().volume) timerShowVolume->SetEnabled(true);
}

void frmKalvenor::SysTrayRClickEventHandler() {
    if (loading_ || IsFormLoaded(L"frmProfile") || !popup_) return;
    RefreshCommandItems();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(hWnd());
    ::TrackPopupMenu(popup_, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hWnd(), nullptr);
    // Lets the menu close when the user clicks elsewhere.
    ::PostMessageW(hWnd(), WM_NULL, 0, 0);
}

void frmKalvenor::SysTrayDblClickEventHandler() {
    if (loading_ || IsFormLoaded(L"frmProfile") || !MenuItemEnabled(kMenuRealTimeSettings)) return;
    timerShowVolume->SetEnabled(false);
    OnMenuCommand(kMenuRealTimeSettings);
}

void frmKalvenor::SysTrayBalloonClickEventHandler() {
    if (loading_) return;
    const int action = gBalloonAction;
    gBalloonAction = kBalloonActionNone;
    // The redirect list's line of each page.
    const int line = action == kBalloonActionDriverPage ? 1 : action == kBalloonActionChangelog ? 3 : 0;
    if (line == 0 || !TrayOpeners().redirectLine) return;
    // Only a web address is handed to the shell: the list comes over plain HTTP.
    const std::wstring address = TrayOpeners().redirectLine(line);
    if (IsWebAddress(address)) ShellOpen(address);
}

void frmKalvenor::TaskbarCreated() { UpdateTrayIcon(true); }

TrayWindowOpeners& TrayOpeners() {
    static TrayWindowOpeners openers;
    return openers;
}

}  // namespace kal
