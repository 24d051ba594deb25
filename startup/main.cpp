#include "startup/main.h"

#include <windows.h>
#include <ole2.h>

#include <thread>

#include "resources/version.h"
#include "startup/autostart.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/keyed.h"
#include "startup/names.h"
#include "startup/privileges.h"
#include "startup/raii.h"
#include "startup/registry.h"
#include "startup/steps.h"
#include "startup/tables.h"
#include "startup/utility.h"

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

}  // namespace

int Main(const std::wstring& commandLine) {
    // The program expects COM to be initialised before anything else runs.
    OleScope ole;

    gNoUI = HasNoUISwitch(commandLine);

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
        ReleaseSingleInstanceMutex();
        return 0;
    }
    gIsXP = version.dwMajorVersion < 6;
    gIsWin10 = version.dwMajorVersion >= 10;

    gUserAgent = FormatUserAgent(kAppTitle, KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR,
                                 KALVENOR_VERSION_REVISION, version.dwMajorVersion, version.dwMinorVersion,
                                 IsWow64());

    if (const ScreenDC screen; screen.get()) gDPI = ::GetDeviceCaps(screen.get(), LOGPIXELSX);

    InitCommonControlsXP();

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

    if (IsUpdateAvailable() && !gNoUI && DownloadUpdate()) {
        ReleaseSingleInstanceMutex();
        return 0;
    }

    // First run: no settings key (after the migration) and no autostart entry. The entry is
    // refreshed at every start. Asking the Task Scheduler service takes a while, so the refresh
    // runs beside the building of the tables and the audio object, which have no effects of
    // their own, and is done before the main form loads: its effects keep their place.
    const bool hasSettings = RegKeyExists(gRegRoot);
    std::thread autostart([hasSettings] {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        try {
            const bool hasAutostart = RefreshAutostart(0);
            if (!hasSettings && !hasAutostart) EnableAutostart(0);
        } catch (...) {
            // As every autostart failure: the entry is simply not there.
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
    });

    BuildCardCatalogue();
    BuildDriverDefaults(gIsXP);

    StartAudioObject();
    autostart.join();
    const int exitCode = RunMainForm();
    StopAudioObject();
    // The main form releases the mutex when it unloads; this covers a form that never loaded.
    ReleaseSingleInstanceMutex();
    return exitCode;
}

}  // namespace kal
