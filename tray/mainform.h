// The hidden main form: it finishes the start-up (command-line switches, card detection, the
// tray icon, the change watchers, the start-up balloons, profile and volume), owns the tray
// menu, applies whole profiles, and tears everything down again when it unloads, which ends
// the program.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "device/asio.h"
#include "device/trayservices.h"
#include "base/raii.h"
#include "toolkit/forms.h"
#include "toolkit/tooltip.h"
#include "tray/balloons.h"
#include "tray/portable/cmdline.h"
#include "tray/host.h"

namespace kal {

// The card's PCI subsystem id ("subsys" switch, or taken from its hardware id).
extern std::wstring gCardSubsys;

// Menu command ids of the tray menu; profile item i is kMenuProfileBase + i.
enum TrayMenuId : UINT {
    kMenuProfilesEditor = 101,
    kMenuRealTimeSettings = 102,
    kMenuASIO = 103,
    kMenuOptions = 104,
    kMenuAbout = 105,
    kMenuClose = 106,
    kMenuProfileBase = 1000,
};
// Hot-key id of the profile on menu item i is kProfileHotkeyBase + i.
inline constexpr int kProfileHotkeyBase = 6;

class frmKalvenor final : public Form, public ITrayServices, public ITrayEvents, public ITrayHost {
public:
    // `arguments`: the program's command line without the program's name.
    explicit frmKalvenor(std::wstring arguments);
    ~frmKalvenor() override;

    // ITrayHost
    bool SetXonarValues(const std::wstring& profileName, bool noCommit, bool skipMasterVolume,
                        std::vector<std::wstring>* refused = nullptr) override;
    // Rebuilds the profile items, their check mark, the tip and the icon.
    void UpdateMenus() override;
    void ClearProfileHotkeys() override;
    void RegisterGlobalHotkeys(bool enable) override;
    void ShowUpdateMenu() override;

    // A balloon on the tray icon (kBalloonInfo, kBalloonWarning, kBalloonError).
    void ShowBalloon(const std::wstring& title, const std::wstring& text, std::uint32_t style);
    // Rebuilds the tray icon from the live state; false changes the existing icon in place.
    void UpdateTrayIcon(bool recreate);
    void SetTrayTip(const std::wstring& text);

    // ITrayServices
    void SpeakersOutputChanged(bool enabled) override;
    void RefreshProfilesForm() override;
    void RefreshOpenForms(bool force, bool ownChangeInProgress) override;
    void MasterOutputChanged() override;

    // ITrayEvents
    void SysTrayLClickEventHandler() override;
    void SysTrayRClickEventHandler() override;
    void SysTrayDblClickEventHandler() override;
    void SysTrayBalloonClickEventHandler() override;
    void TaskbarCreated() override;

    // Closes every other form, then the main form.
    void mnuClose_Click();
    // Closes every other form. Dialogs whose modal loops run (message boxes, file dialogs) are
    // ended first, and the forms go once those loops have returned.
    void UnloadOtherForms();
    // Carries out fixed shortcut action `index` (0 to 5).
    void mnuShortcuts_Click(int index);
    // Opens the system volume mixer next to the tray once the caller's message has finished.
    void ShowSystemMixerLater();
    // The profile on each menu item, in item order.
    const std::vector<std::wstring>& ProfileNames() const { return profileNames_; }

    // What the form shows and holds, for its callers and tests.
    bool Loading() const { return loading_; }
    HMENU PopupRoot() const { return popup_; }
    bool MenuItemEnabled(UINT id) const;
    std::wstring MenuItemCaption(UINT id) const;
    std::vector<std::wstring> ProfileMenuCaptions() const;
    bool ProfileItemChecked(int index) const;
    // True while the menus and shortcut keys are switched on (a usable card was found).
    bool HotkeysEnabled() const { return hotkeysEnabled_; }
    const CommandLineSwitches& Switches() const { return switches_; }

    // The form's timers, bound from its table; timerCloseWindows waits for dialogs to end their
    // loops before the other forms are closed.
    Timer *timerUnload{}, *timerShowVolume{}, *timerShowASIOControlPanel{}, *timerShowSystemMixer{}, *CheckUpdates{},
        *timerCloseWindows{};

protected:
    void OnLoad() override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    class AsioItem;

    void ParseSwitches();
    void LoadSequence();
    void PutBackRestorePoints();
    void StartupProfileAndVolume(bool updateBalloonShown);
    HMENU CreationMenu() override;
    void OnMenuCommand(UINT id);
    void SetItemEnabled(UINT id, bool enabled);
    void SetItemCaption(UINT id, const std::wstring& caption);
    int ProfileItemCount() const;
    // Gives each profile item i the key wanted[i] (none where empty) and drops the keys of the
    // items past the end.
    void RegisterProfileKeys(const std::vector<std::optional<std::pair<UINT, UINT>>>& wanted);
    void ClearHotkeys();
    void RefreshCommandItems();
    void ApplyProfileItem(int index);
    void ResetProfileItems();
    bool EndThreadDialogs();
    void CloseOtherWindows(bool thenExit);
    void CloseWhenDialogsEnded();
    void UnloadForms();
    void InitTimers();

    std::wstring arguments_;
    CommandLineSwitches switches_;
    std::wstring switchProfile_;  // the profile the "profile" switch chose ("" for none)
    bool loading_ = false;
    bool hotkeysEnabled_ = false;
    // The shortcut keys reach the form once the card's lines are found, until the unload.
    bool cardMessagesOn_ = false;
    UniqueMenu menuBar_;
    HMENU popup_ = nullptr;  // owned by the menu bar
    std::wstring profilesEditorTag_;
    std::vector<std::wstring> profileNames_;
    // The key registered for each profile item (modifier flags, virtual key); none where nothing
    // is registered or the registration failed.
    std::vector<std::optional<std::pair<UINT, UINT>>> profileKeys_;
    bool closePending_ = false;
    bool exitAfterClose_ = false;
    int closeWaits_ = 0;
    std::unique_ptr<AsioItem> asioItem_;
};

// The loaded main form; null while none is loaded. The program's one route to it: the form
// layer's main form, owned by whoever loaded it (the tray application, or a test).
frmKalvenor* MainTrayForm();

// The command line of this process without the program's name (as wWinMain receives it).
std::wstring ProgramArguments();

// Starts the search for the card that the main form's load makes with these arguments (the
// switches' ids, else the settings' id, else the card family) on the worker thread, so that it
// runs while the form's window is made. Reads only; the load takes the result.
void StartCardSearchFor(const std::wstring& arguments);

}  // namespace kal
