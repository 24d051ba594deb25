#include "startup/main.h"

#include <windows.h>
#include <ole2.h>

#include "base/screen.h"
#include "resources/version.h"
#include "startup/autostart.h"
#include "startup/catalogue.h"
#include "startup/delayload.h"
#include "startup/globals.h"
#include "base/keyed.h"
#include "startup/names.h"
#include "startup/privileges.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "startup/utility.h"
#include "base/worker.h"

namespace kal {
namespace {

// Pairs OleInitialize with OleUninitialize.
class OleScope {
public:
    OleScope() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) ::OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    bool ok_;
};

bool HasNoUISwitch(const std::wstring& commandLine) { return ContainsNoCase(commandLine, L"/noui"); }

// The screen's resolution, which every window needs. The common controls are initialised with
// the first control window (EnsureCommonControls): the tray icon and "/noui" need none.
bool PrepareDisplay() {
    gDPI = ScreenDpiX();
    return true;
}

}  // namespace

int Main(const std::wstring& commandLine, const StartupSteps& steps) {
    // The program expects COM to be initialised before anything else runs.
    OleScope ole;

    // The libraries loaded on first call are looked for where the loader looked for them.
    if (const std::wstring missing = MissingRequiredLibrary(); !missing.empty()) {
        ::MessageBoxW(nullptr, MissingLibraryText(missing).c_str(), kAppTitle, MB_OK | MB_ICONERROR);
        return static_cast<int>(kMissingLibraryExitCode);
    }

    gNoUI = HasNoUISwitch(commandLine);

    // The main form releases the mutex when it unloads; leaving Main releases it on every other
    // way out (a refused system, an update started, a form that never loaded).
    struct MutexReleasedAtEnd {
        ~MutexReleasedAtEnd() { gMutexHandle.Release(); }
    } mutexReleasedAtEnd;
    if (!gNoUI && IsAlreadyRunning()) {
        const std::wstring text = std::wstring(kAppTitle) + L" is already running.";
        ::MessageBoxW(nullptr, text.c_str(), kAppTitle, MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT || (version.dwMajorVersion < 6 && version.dwMinorVersion < 1)) {
        ::MessageBoxW(nullptr, L"Kalvenor is not compatible with this version of Windows. Execution halted.",
                      kAppTitle, MB_OK | MB_ICONERROR);
        return 0;
    }
    gIsXP = version.dwMajorVersion < 6;
    gIsWin10 = version.dwMajorVersion >= 10;

    gUserAgent = FormatUserAgent(kAppTitle, KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR,
                                 KALVENOR_VERSION_REVISION, version.dwMajorVersion, version.dwMinorVersion,
                                 IsWow64());

    const std::wstring userRoot = InteractiveUserRoot();
    gRunKeyHKLM = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    gRunKeyUser = userRoot + L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    gUserSoftwareKey = userRoot + L"\\SOFTWARE";
    gRegRoot = gUserSoftwareKey + L"\\Kalvenor";
    gRegProfiles = gRegRoot + L"\\Profiles";

    // Settings of earlier versions lived under the machine hive.
    MoveRegistryTree(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalvenor", gRegRoot);

    // Leftovers of a finished self-update.
    gLauncherTempPath = GetTempFolder() + L"Launcher.exe";
    gUpdaterTempPath = GetTempFolder() + L"KalvenorUpdate.exe";
    DeleteFileRetry(gLauncherTempPath);
    DeleteFileRetry(gUpdaterTempPath);
    DeleteFileRetry(AppFolder() + L"\\Bridge.exe");

    // The first screen access connects to the display, which takes a while: it runs beside the
    // autostart refresh below unless an update's windows need it now.
    bool displayReady = false;
    if (steps.isUpdateAvailable() && !gNoUI) {
        displayReady = PrepareDisplay();
        if (steps.downloadUpdate()) return 0;
    }

    // First run: no settings key (after the migration) and no autostart entry. The entry is
    // refreshed at every start, beside the display set-up, the building of the tables, the audio
    // object and the main form's loading up to its first effect, none of which has effects of
    // its own: the refresh's effects keep their place.
    StartStartupAutostart(RegKeyExists(gRegRoot));

    if (!displayReady) PrepareDisplay();
    BuildCardCatalogue();
    BuildDriverDefaults(gIsXP);

    steps.startAudioObject();
    const int exitCode = steps.runMainForm();
    FinishStartupAutostart();
    StopWorker();
    steps.stopAudioObject();
    return exitCode;
}

}  // namespace kal
