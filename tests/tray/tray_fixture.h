// The main form on the simulated card: a settings key of the tests' own, the card registered as
// the test asks, the audio object on its endpoints, and every record the tray gives the shell.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/platform.h"
#include "device/trayservices.h"
#include "device/transport.h"
#include "sim/audio_card.h"
#include "sim/driver.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "tests/common/child.h"
#include "tests/common/settings_root.h"
#include "tests/common/sim_platform.h"
#include "tests/common/user_input.h"
#include "tests/startup/product_state.h"
#include "toolkit/forms.h"
#include "tray/app.h"
#include "tray/balloons.h"
#include "tray/mainform.h"

namespace kal::testing {

inline const std::wstring kTrayTestsKey = L"HKEY_CURRENT_USER\\Software\\KalvenorTests";
inline const std::wstring kTrayRoot = kTrayTestsKey + L"\\Tray";
inline constexpr wchar_t kDX[] = L"82751043";

// The screen's scale as a fresh process sees it: the user's LogPixels setting, read when a
// process starts. RunTestsAtDpi runs this executable's tests matching `filter` in a child
// process that sees `dpi` dots per inch, and puts the setting back; true when they passed and
// one of them reached its end (MarkDpiChildDone). The child's tests find InDpiChild() true and
// skip themselves otherwise.
inline constexpr wchar_t kDpiChildVariable[] = L"KALVENOR_DPI_CHILD";

inline bool InDpiChild() { return ::GetEnvironmentVariableW(kDpiChildVariable, nullptr, 0) != 0; }

// Leaves the file the parent looks for.
inline void MarkDpiChildDone() {
    wchar_t path[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(kDpiChildVariable, path, MAX_PATH)) return;
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

// The screen the run asks for in KALVENOR_SCREEN ("<width>x<height>"), so that a run meant for
// another screen can't pass on this one; any screen when none is asked for.
inline void ExpectTheScreenAskedFor() {
    char asked[32] = {};
    if (!::GetEnvironmentVariableA("KALVENOR_SCREEN", asked, sizeof asked)) return;
    EXPECT_EQ(std::to_string(::GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(::GetSystemMetrics(SM_CYSCREEN)),
              asked);
}

inline bool RunTestsAtDpi(const std::wstring& filter, DWORD dpi, const kaltest::ChildOptions& options = {}) {
    ExpectTheScreenAskedFor();
    HKEY desktop = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, &desktop, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD saved = 0, size = sizeof saved, type = 0;
    const bool hadValue = ::RegQueryValueExW(desktop, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&saved),
                                             &size) == ERROR_SUCCESS && type == REG_DWORD;
    ::RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring done = std::wstring(temp) + L"kalvenor-dpi-child.done";
    ::DeleteFileW(done.c_str());
    ::SetEnvironmentVariableW(kDpiChildVariable, done.c_str());
    const kaltest::ChildRun run = kaltest::RunChild(kaltest::OwnExecutable(), L"--gtest_filter=" + filter, options);
    ::SetEnvironmentVariableW(kDpiChildVariable, nullptr);
    if (hadValue)
        ::RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved), sizeof saved);
    else
        ::RegDeleteValueW(desktop, L"LogPixels");
    ::RegCloseKey(desktop);
    const bool reachedEnd = ::DeleteFileW(done.c_str()) != FALSE;
    return run.finished && run.exitCode == 0 && reachedEnd;
}

// The screen's dots per inch in this process.
inline int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

struct SeenBalloon {
    std::wstring title;
    std::wstring text;
    DWORD style;
};

class TrayFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedWin10_ = gIsWin10;
        savedNoUI_ = gNoUI;
        savedDPI_ = gDPI;
        gIsWin10 = false;
        gNoUI = false;
        gDPI = 96;
        RouteDeviceToWindows();
        BuildDriverDefaults(false);
        UseCard({});
        SetShellNotifyObserver([this](DWORD message, const NOTIFYICONDATAW& data, BOOL) {
            if (message == NIM_ADD) ++adds_;
            if (message == NIM_DELETE) ++deletes_;
            if (message == NIM_MODIFY && !(data.uFlags & NIF_INFO)) modifies_.push_back(data.uFlags);
            if (message == NIM_MODIFY && (data.uFlags & NIF_INFO))
                balloons_.push_back({data.szInfoTitle, data.szInfo, data.dwInfoFlags});
        });
    }

    void TearDown() override {
        if (form_) form_->Unload();
        form_.reset();
        SetShellNotifyObserver(nullptr);
        ReleaseAudioObject();
        sim::WaitForSimNotifications();
        sim::ResetSimAudioState();
        ClearCardState();
        gIsWin10 = savedWin10_;
        gNoUI = savedNoUI_;
        gDPI = savedDPI_;
        RegisterDefaultSimCard();
        WindowRoutes() = {};
    }

    static void ClearCardState() {
        gCardHID.clear();
        gCardSubsys.clear();
        gCardInstanceId.clear();
        gCardInterfacePath.clear();
        gDriverClassKey.clear();
        gDriverSettingsKey.clear();
        gCardCaps = nullptr;
        gPlaybackLineIds.fill(L"");
        gInputLineIds.fill(L"");
        gInputLineMonitorControl.fill(0);
        gBalloonAction = 0;
    }

    // A freshly registered card (setup.subsys "" = the Xonar DX) with fresh endpoints.
    void UseCard(sim::SimCardSetup setup) {
        ReleaseAudioObject();
        if (setup.subsys.empty()) setup.subsys = kDX;
        sim::SetSimModel(setup.subsys);
        sim::InstallSimCardDevice(setup);
        sim::ResetSimAudioState();
        ClearCardState();
        BuildCardCatalogue();
        CreateAudioObject();
        sim::ClearSimRequestLog();
    }

    // Loads the main form as a fresh start of the program would.
    frmKalvenor& Load(const std::wstring& arguments) {
        if (form_) form_->Unload();
        ClearCardState();
        BuildCardCatalogue();
        form_ = std::make_unique<frmKalvenor>(arguments);
        form_->Load();
        return *form_;
    }

    static int Endpoint(const wchar_t* key) { return sim::FindSimEndpoint(key); }
    static bool MasterMuted() { return sim::SimMute(Endpoint(L"speakers")); }
    // Another instance of the program, run beside this one with a switch: it mutes the master
    // output, then toggles the mute off again; `shown(muted)` checks this instance after each.
    // The caller holds kaltest::ProductStateLock.
    static void MuteFromAnotherInstance(const std::function<void(bool muted)>& shown) {
        for (const auto& [arguments, muted] :
             {std::pair{L"/noui /mastermute", true}, {L"/noui /mastermutetoggle", false}}) {
            SCOPED_TRACE(::testing::PrintToString(std::wstring(arguments)));
            const kaltest::ChildRun run = kaltest::RunChild(kaltest::ProgramExe(), arguments);
            ASSERT_TRUE(run.finished);
            ASSERT_EQ(run.exitCode, 0u);
            ASSERT_EQ(MasterMuted(), muted);
            shown(muted);
        }
    }
    static std::wstring Profile(const std::wstring& name) { return gRegProfiles + L"\\" + name; }
    static void Store(const std::wstring& profile, const std::wstring& name, const wchar_t* hex) {
        RegWrite(Profile(profile), name, HexToBytes(hex));
    }
    static std::wstring ActiveProfile() { return RegReadText(gRegRoot, L"ActiveProfile").value_or(L"<none>"); }
    // Writes the driver received, as "id:bytes".
    static std::vector<std::wstring> Writes() { return SimDriverWrites(); }

    std::unique_ptr<frmKalvenor> form_;
    std::vector<SeenBalloon> balloons_;
    int adds_ = 0;
    int deletes_ = 0;
    std::vector<UINT> modifies_;  // the flags of every icon or tip change

private:
    SimPlatformScope platform_{true};
    bool savedWin10_ = false, savedNoUI_ = false;
    int savedDPI_ = 96;
    TestSettingsRoot settings_{kTrayRoot};
};

}  // namespace kal::testing
