// The options window: its frame, the tabs, loading and closing, and the General page
// (uninstall, backup and restore).
#include "tray/options.h"

#include <memory>

#include "editor/profiles.h"
#include "startup/autostart.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/utility.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/backup.h"
#include "tray/hotkeys.h"
#include "tray/mainform.h"
#include "tray/options_design.h"
#include "tray/portable/trayrules.h"
#include "tray/trayicon.h"

namespace kal {

const wchar_t* const kStepBoxNames[frmOptions::kStepCount] = {
    L"PlayBackMasterVolumeIncreaseStep", L"PlayBackMasterVolumeDecreaseStep", L"MicVolumeIncreaseStep",
    L"MicVolumeDecreaseStep"};
const int kStepActions[frmOptions::kStepCount] = {
    static_cast<int>(ShortcutAction::MasterUp), static_cast<int>(ShortcutAction::MasterDown),
    static_cast<int>(ShortcutAction::InputUp), static_cast<int>(ShortcutAction::InputDown)};
TextBox* frmOptions::* const kStepBoxMembers[frmOptions::kStepCount] = {
    &frmOptions::txtPlayBackMasterVolumeIncreaseStep, &frmOptions::txtPlayBackMasterVolumeDecreaseStep,
    &frmOptions::txtMicVolumeIncreaseStep, &frmOptions::txtMicVolumeDecreaseStep};

namespace {

constexpr LONG kPushLike = 0x1000;
constexpr wchar_t kUninstallTitle[] = L"Uninstall Kalvenor";

FormInstance<frmOptions> gOptionsInstance;

constexpr wchar_t kProfileNotifyTip[] =
    L"When this option is active, Kalvenor informs the user of\r\n"
    L"every successful profile loading at startup.\r\n"
    L"Leave this button unpressed if you want Kalvenor to only\r\n"
    L"give notifications about failed default profile loading attempts.";
constexpr wchar_t kVolumeNotifyTip[] =
    L"When this option is active, Kalvenor reminds the user\r\n"
    L"that it automatically set master volume at startup.\r\n"
    L"Leave this button unpressed if you don't want to be informed.";

constexpr wchar_t kPreviewText[] =
    L"Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore.\r\n\r\n"
    L"Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut aliquip ex ea commodo.\r\n\r\n"
    L"Duis aute irure dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla pariatur.\r\n\r\n"
    L"Excepteur sint occaecat cupidatat non proident, sunt in culpa qui officia deserunt mollit anim.\r\n\r\n"
    L"Sed ut perspiciatis unde omnis iste natus error sit voluptatem accusantium doloremque laudantium.";

COLORREF SystemColour(int index) { return ::GetSysColor(index); }

}  // namespace

frmOptions* OptionsForm() { return gOptionsInstance.Loaded(); }

void ShowOptions() {
    gOptionsInstance.ShowInFront();
}

void ShowOptionsPage(int index) {
    ShowOptions();
    if (frmOptions* options = OptionsForm()) options->imgTab_Click(index);
}

void RefreshStartupAudioOptions() {
    if (frmOptions* options = OptionsForm()) options->SetupStartupAudioControls(true);
}

frmOptions::frmOptions() : Form(L"frmOptions") {
    Design(FormLayout(L"Options", kOptionsWidth, kOptionsHeight), OptionsControls());
}

frmOptions::~frmOptions() { Unload(); }

// ---- Loading and closing ----

void frmOptions::OnLoad() {
    SetIcon(hWnd(), kProgramIcon);
    if (!gUIFont) gUIFont = GetSystemFont();
    ApplySystemFont(this);
    ApplyWheelIncrement(*this);
    WireEvents();

    // Every key a box records is stored, also one whose name equals the one shown.
    for (int n = 0; n < kShortcutActionCount; ++n) SubclassControl(*txtShortcuts[n], [this, n] { SaveShortcut(n); });
    SetWindowStyleBit(chkDefaultProfileNotify->hWnd(), true, kPushLike);
    SetWindowStyleBit(chkDefaultVolumeNotify->hWnd(), true, kPushLike);
    ShowShortcutsAndSteps();
    SetupStartupAutoControls();
    if (clsToolTip* tip = SharedToolTip()) {
        tip->AddTool(chkDefaultProfileNotify->hWnd(), kProfileNotifyTip);
        tip->AddTool(chkDefaultVolumeNotify->hWnd(), kVolumeNotifyTip);
    }
    SetupStartupAudioControls(true);
    FillFontLists();
    lblInterfaceFontPreview->SetCaption(kPreviewText);
    SetupFontControls();
    SetupLegacyIconsControl();
    ShowWheelIncrement();

    tabs_.Attach(0, SystemColour(COLOR_BTNSHADOW));
}

void frmOptions::OnActivate() { SetMouseCursor(SystemCursor::Arrow); }

void frmOptions::OnUnload() {
    tabs_.Detach();
    for (int n = 0; n < kShortcutActionCount; ++n) UnsubclassControl(*txtShortcuts[n]);
}

void frmOptions::WireEvents() {
    cmdClose->Click = [this] { Unload(); };
    cmdUninstall->Click = [this] { cmdUninstall_Click(); };
    cmdBackup->Click = [this] { cmdBackup_Click(); };
    cmdRestore->Click = [this] { cmdRestore_Click(); };
    for (int i = 0; i < 2; ++i) chkStartupAudio[i]->Click = [this, i] { chkStartupAudio_Click(i); };
    for (int i = 0; i < 4; ++i) optStartupAuto[i]->Click = [this, i] { optStartupAuto_Click(i); };
    WirePageEvents();
}

// ---- Tabs ----

void frmOptions::imgTab_Click(int index) { tabs_.Select(index); }

bool frmOptions::HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_MOUSEMOVE) tabs_.ResetHover();
    return false;
}

// ---- General page ----

void frmOptions::cmdUninstall_Click() {
    if (!optStartupAuto[0]->Enabled()) {
        ::MessageBoxW(hWnd(),
                      L"The current autostart option can only be removed by an Admin account, but Kalvenor is running "
                      L"with just normal user rights. Please restart Kalvenor elevated.\r\n\r\nUninstall operation "
                      L"aborted.",
                      kUninstallTitle, MB_OK | MB_ICONERROR);
        return;
    }
    if (::MessageBoxW(hWnd(),
                      L"This procedure is about to remove any trace of Kalvenor from your system, including all your "
                      L"settings and profiles,  and the effects can't be undone. If you plan to use Kalvenor again later "
                      L"or on another machine, it's advised that you perform a backup. If you proceed now, all data will "
                      L"be wiped without further notice.\r\n\r\nDo you confirm the uninstall operation?",
                      kUninstallTitle, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    // Nothing writes the settings again while the program closes: the windows still open store
    // their state when they unload.
    SealRegistryKey(gRegRoot);
    RegDeleteTree(gRegRoot, L"");
    DisableAutostart(0);
    ::MessageBoxW(hWnd(),
                  L"All data has been wiped. Kalvenor will now close so that you can manually delete the file from the "
                  L"system. Thank you for using Kalvenor.",
                  kUninstallTitle, MB_OK | MB_ICONINFORMATION);
    std::wstring command = L"Explorer /e,/select,\"" + AppFolder() + L"\\" + AppExeName() + L".exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    if (frmKalvenor* main = MainTrayForm()) main->mnuClose_Click();
    else Unload();
}

void frmOptions::cmdBackup_Click() { BackupSettings(hWnd()); }

void frmOptions::cmdRestore_Click() {
    if (!RestoreSettings(hWnd())) return;
    RefreshAfterRestore();
    ::MessageBoxW(hWnd(), L"Restore operation successful.", kRestoreTitle, MB_OK | MB_ICONINFORMATION);
}

void frmOptions::RefreshAfterRestore() {
    // The controls show the restored settings without writing anything back, so the key stays
    // exactly as the file has it.
    SetupStartupAudioControls(true);
    if (frmProfiles* profiles = ProfilesForm()) profiles->RestoreLastFormSize();
    SetupFontControls();
    ApplyInterfaceFont();
    SetupLegacyIconsControl();
    gWheelIncrement = GetSliderWheelIncrement();
    ShowWheelIncrement();
    for (Form* f : LoadedForms()) ApplyWheelIncrement(*f);
    ShowShortcutsAndSteps();
    frmKalvenor* main = MainTrayForm();
    if (main && main->HotkeysEnabled()) RegisterMenuHotkeys(main->hWnd());
    for (Form* f : LoadedForms())
        if (auto* menus = dynamic_cast<IMenuOwner*>(f)) menus->UpdateMenus();
}

void frmOptions::ShowShortcutsAndSteps() {
    UpdatingScope quiet(*this);
    for (int n = 0; n < kShortcutActionCount; ++n) {
        const Bytes key = FixedShortcutKey(n);
        TextBox& box = *txtShortcuts[n];
        box.SetTag(key[0] == 0 ? L"" : CaptureTag(key[0], key[1]));
        box.SetText(key[0] == 0 ? L"" : KeyCodeToString(key[0], key[1]));
    }
    for (int k = 0; k < kStepCount; ++k) {
        TextBox& box = StepBox(k);
        box.SetTag(GetShortcutStep(kStepActions[k]));
        ShowStepText(box);
    }
}

TextBox& frmOptions::StepBox(int k) const { return *(this->*kStepBoxMembers[k]); }

}  // namespace kal
