// The self-update against an HTTP server of the test's own on 127.0.0.1: the version check, the
// downloads and their checks, the questions, the pending mark and the launcher's start.
#include "tray/update.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "resources/version.h"
#include "startup/globals.h"
#include "startup/privileges.h"
#include "base/registry.h"
#include "startup/utility.h"
#include "tests/common/child.h"
#include "tests/common/httpserver.h"
#include "tests/startup/product_state.h"
#include "tests/tray/tray_fixture.h"
#include "tray/formopeners.h"

using namespace kal;
using kaltest::HttpServer;

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Md5Text(const std::string& bytes) {
    const std::wstring w = MD5Bytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return std::string(w.begin(), w.end());
}

std::string Version(unsigned major, unsigned minor, unsigned revision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

// Answers the message boxes this thread shows while `run` runs: records each one's text and
// presses `answer` (IDYES / IDNO).
struct BoxAnswerer {
    static inline std::vector<std::wstring> texts;
    static inline int answer = IDNO;
    static inline std::function<void()> whileShown;

    static BOOL CALLBACK Find(HWND h, LPARAM out) {
        wchar_t cls[16] = {};
        ::GetClassNameW(h, cls, 16);
        if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(h)) {
            *reinterpret_cast<HWND*>(out) = h;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND box = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        wchar_t text[1024] = {};
        ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
        texts.push_back(text);
        if (whileShown) whileShown();
        ::SendMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
    }
    BoxAnswerer(int a) {
        texts.clear();
        answer = a;
        timer_ = ::SetTimer(nullptr, 0, 50, &Tick);
    }
    ~BoxAnswerer() {
        ::KillTimer(nullptr, timer_);
        whileShown = nullptr;
    }
    UINT_PTR timer_;
};

class Update : public kal::testing::TrayFixture {
protected:
    void SetUp() override {
        TrayFixture::SetUp();
        saved_ = UpdateServer();
        savedLauncher_ = gLauncherTempPath;
        savedUpdater_ = gUpdaterTempPath;
        UpdateServer() = UpdateEndpointsAt(server_.Address());
        temp_ = GetTempFolder();
        gLauncherTempPath = temp_ + L"Launcher.exe";
        gUpdaterTempPath = temp_ + L"KalvenorUpdate.exe";
        programFile_ = temp_ + AppExeName() + L".tmp";
        programMD5_ = temp_ + AppExeName() + L".exe.md5";
        for (const auto& f : Files()) ::DeleteFileW(f.c_str());
        ::DeleteFileW((gLauncherTempPath + L".args").c_str());
    }
    void TearDown() override {
        for (const auto& f : Files()) DeleteFileRetry(f);
        DeleteFileRetry(gLauncherTempPath + L".args");
        UpdateServer() = saved_;
        gLauncherTempPath = savedLauncher_;
        gUpdaterTempPath = savedUpdater_;
        TrayFixture::TearDown();
    }
    std::vector<std::wstring> Files() const { return {gLauncherTempPath, gUpdaterTempPath, programFile_, programMD5_}; }
    // The request target of one of the server's addresses.
    std::string Target(const std::wstring& address) const {
        const std::wstring rest = address.substr(server_.Address().size());
        return std::string(rest.begin(), rest.end());
    }
    std::string Home(const char* file) const { return Target(UpdateServer().home) + file; }
    void OfferVersion(const std::string& text) { server_.Set(Home("/version"), text); }
    // A complete, consistent update on the server; `updaterSum` replaces the updater's checksum.
    void ServeUpdate(const std::string* updaterSum = nullptr) {
        launcher_ = ReadAll(kaltest::WindowsPathOf(KALVENOR_STUB_LAUNCHER));
        ASSERT_FALSE(launcher_.empty());
        const std::string updater = "updater program bytes", program = "new program bytes";
        server_.Set(Home("/Launcher.exe"), launcher_);
        server_.Set(Home("/Bridge.exe"), updater);
        server_.Set(Home("/download"), program);
        server_.Set(Target(UpdateServer().programMD5), Md5Text(program));
        server_.Set(Target(UpdateServer().updaterMD5), updaterSum ? *updaterSum : Md5Text(updater));
        server_.Set(Target(UpdateServer().launcherMD5), Md5Text(launcher_));
    }

    HttpServer server_;
    std::wstring temp_, programFile_, programMD5_;
    std::string launcher_;

private:
    UpdateEndpoints saved_;
    std::wstring savedLauncher_, savedUpdater_;
};

TEST(Md5, DigestsOfTheReferenceVectors) {
    const std::pair<const char*, const wchar_t*> vectors[] = {
        {"", L"D41D8CD98F00B204E9800998ECF8427E"},
        {"a", L"0CC175B9C0F1B6A831C399E269772661"},
        {"abc", L"900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", L"F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", L"C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         L"57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& [text, digest] : vectors) {
        EXPECT_EQ(MD5Bytes(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)), digest) << text;
        // The same through a file, but for the empty one, which has no digest.
        const std::wstring file = GetTempFolder() + L"kalvenor-md5.bin";
        std::ofstream(std::filesystem::path(file), std::ios::binary) << text;
        EXPECT_EQ(MD5File(file), *text ? std::wstring(digest) : L"") << text;
        ::DeleteFileW(file.c_str());
    }
    EXPECT_EQ(MD5File(GetTempFolder() + L"kalvenor-no-such-file.bin"), L"");
}

TEST_F(Update, DownloadKeepsOnlyWhatAnOkAnswerCarries) {
    const std::string big(5000, 'x');
    server_.Set("/file", "abc" + big);
    const std::wstring file = temp_ + L"kalvenor-download.bin";
    EXPECT_EQ(DownloadURL(server_.Address() + L"/file", true, file), L"abc" + std::wstring(big.begin(), big.end()));
    EXPECT_EQ(ReadAll(file), "abc" + big);
    EXPECT_EQ(gDownloadedBytes, 5003u);
    // Peek: one chunk of ten bytes at most, nothing written.
    EXPECT_EQ(DownloadURL(server_.Address() + L"/file", true, file, false, true), L"abcxxxxxxx");
    EXPECT_EQ(ReadAll(file), "abc" + big);
    // An error answer writes nothing, also when its body looks like a file; the old file goes.
    server_.Set("/missing", 404, "1.4.99");
    EXPECT_EQ(DownloadURL(server_.Address() + L"/missing", true, file), L"");
    EXPECT_FALSE(Exists(file));
    // An HTML page in place of the file ends the download.
    server_.Set("/page", "<!DOCTYPE html><html></html>");
    EXPECT_EQ(DownloadURL(server_.Address() + L"/page", true, file), L"");
    EXPECT_EQ(ReadAll(file), "");
    ::DeleteFileW(file.c_str());
    EXPECT_EQ(DownloadURL(server_.Address() + L"/file", true, L""), L"");  // no file named
}

TEST_F(Update, OnlyTheNextRevisionOfThisVersionIsOffered) {
    const unsigned major = KALVENOR_VERSION_MAJOR, minor = KALVENOR_VERSION_MINOR, rev = KALVENOR_VERSION_REVISION;
    OfferVersion(Version(major, minor, rev + 1));
    EXPECT_TRUE(IsUpdateAvailable());
    for (const std::string& text : {Version(major, minor, rev), Version(major, minor + 1, 0), Version(major + 1, 0, 0),
                                    std::string("garbage"), Version(major, minor, rev + 1) + ".0"}) {
        OfferVersion(text);
        EXPECT_FALSE(IsUpdateAvailable()) << text;
    }
    server_.Set(Home("/version"), 500, Version(major, minor, rev + 1));
    EXPECT_FALSE(IsUpdateAvailable());
    // A closed port: nothing listens there any more.
    const std::wstring address = [] {
        HttpServer gone;
        return gone.Address();
    }();
    UpdateServer() = UpdateEndpointsAt(address);
    EXPECT_FALSE(IsInternetReachable());
    EXPECT_FALSE(IsUpdateAvailable());
}

TEST_F(Update, WithoutAnUpdateServerNothingIsAsked) {
    OfferVersion(Version(KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR, KALVENOR_VERSION_REVISION + 1));
    server_.Set(Home("/redirects.dat"), "http://a/\r\nhttp://b/");
    // The server sees the questions while it is configured ...
    EXPECT_TRUE(IsUpdateAvailable());
    EXPECT_EQ(GetRedirect(1), L"http://b/");
    EXPECT_GT(server_.Connections(), 0);
    // ... and none at all without one, as the product is built by default.
    UpdateServer() = UpdateEndpointsAt(L"");
    const int before = server_.Connections();
    EXPECT_FALSE(IsInternetReachable());
    EXPECT_FALSE(IsUpdateAvailable());
    EXPECT_EQ(GetRedirect(1), L"");
    ::Sleep(100);
    EXPECT_EQ(server_.Connections(), before);
}

TEST_F(Update, GoodFilesMarkTheUpdatePendingAndStartTheLauncher) {
    ServeUpdate();
    ASSERT_TRUE(IsProcessElevated()) << "an elevated process is not asked";
    EXPECT_TRUE(DownloadUpdate());
    EXPECT_EQ(RegReadBytes(gRegRoot, L"UpdatePending"), Bytes{0x01});
    EXPECT_EQ(ReadAll(programFile_), "new program bytes");
    EXPECT_EQ(ReadAll(programMD5_), Md5Text("new program bytes"));
    // The launcher learns whose settings to mark and which program to replace.
    // The launcher is a process of its own: on a loaded machine it starts late and may be caught
    // while it writes, so its record is read until it is whole (or 20 s have passed).
    const std::wstring args = gLauncherTempPath + L".args";
    const std::wstring expected = GetInteractiveUserSID() + L"|" + AppFolder();
    std::wstring recorded;
    for (int i = 0; i < 400; ++i) {
        const std::string bytes = Exists(args) ? ReadAll(args) : std::string();
        recorded.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        if (recorded.size() >= expected.size()) break;
        ::Sleep(50);
    }
    EXPECT_EQ(recorded.find(expected), 0u) << recorded;
    // A pending update is not offered to the user again.
    EXPECT_FALSE(DownloadUpdate());
}

TEST_F(Update, ALauncherThatCannotStartLeavesNothingPendingAndSaysSo) {
    // The launcher came whole (its checksum matches) but is no program.
    const std::string notAProgram = "not a program";
    ServeUpdate();
    server_.Set(Home("/Launcher.exe"), notAProgram);
    server_.Set(Target(UpdateServer().launcherMD5), Md5Text(notAProgram));
    BoxAnswerer answer(IDOK);
    EXPECT_FALSE(DownloadUpdate());
    EXPECT_FALSE(RegReadBytes(gRegRoot, L"UpdatePending").has_value());
    ASSERT_EQ(BoxAnswerer::texts.size(), 1u);
    EXPECT_EQ(BoxAnswerer::texts[0], LauncherFailedText(L"Kalvenor"));
}

TEST_F(Update, ChecksumWithALineBreakAsksAgainAndNoDeletesEverything) {
    const std::string sum = Md5Text("updater program bytes") + "\r\n";
    ServeUpdate(&sum);
    int nested = -1;
    BoxAnswerer answer(IDNO);
    // A second "Update" while the first one waits in its question starts nothing.
    BoxAnswerer::whileShown = [&nested] { nested = DownloadUpdate() ? 1 : 0; };
    EXPECT_FALSE(DownloadUpdate());
    ASSERT_EQ(BoxAnswerer::texts.size(), 1u);
    EXPECT_EQ(BoxAnswerer::texts[0], CorruptUpdateText(L"Kalvenor"));
    EXPECT_EQ(nested, 0);
    for (const auto& f : Files()) EXPECT_FALSE(Exists(f)) << f.c_str();
    EXPECT_FALSE(RegReadBytes(gRegRoot, L"UpdatePending").has_value());
}

TEST_F(Update, AFileThatCouldNotBeFetchedWithItsChecksumIsACorruptUpdate) {
    // Neither the launcher nor its checksum comes: no text and no file never pass for a match.
    ServeUpdate();
    server_.Set(Home("/Launcher.exe"), 404, "");
    server_.Set(Target(UpdateServer().launcherMD5), 404, "");
    BoxAnswerer answer(IDNO);
    EXPECT_FALSE(DownloadUpdate());
    ASSERT_EQ(BoxAnswerer::texts.size(), 1u);
    EXPECT_EQ(BoxAnswerer::texts[0], CorruptUpdateText(L"Kalvenor"));
    EXPECT_FALSE(RegReadBytes(gRegRoot, L"UpdatePending").has_value());
    for (const auto& f : Files()) EXPECT_FALSE(Exists(f)) << f.c_str();
    // So is a program file that did not come, though both checked files match.
    ServeUpdate();
    server_.Set(Home("/download"), 404, "");
    EXPECT_FALSE(DownloadUpdate());
    EXPECT_EQ(BoxAnswerer::texts.size(), 2u);
    EXPECT_FALSE(RegReadBytes(gRegRoot, L"UpdatePending").has_value());
}

TEST_F(Update, RetryDownloadsAgain) {
    const std::string bad = "0123";
    ServeUpdate(&bad);
    BoxAnswerer answer(IDYES);
    // The server is mended while the question is up: Yes fetches everything again.
    BoxAnswerer::whileShown = [this] { ServeUpdate(); };
    EXPECT_TRUE(DownloadUpdate());
    EXPECT_EQ(BoxAnswerer::texts.size(), 1u);
    EXPECT_EQ(RegReadBytes(gRegRoot, L"UpdatePending"), Bytes{0x01});
}

TEST_F(Update, NewerRevisionAtStartupOffersUpdateInsteadOfProfilesAndKeys) {
    OfferVersion(Version(KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR, KALVENOR_VERSION_REVISION + 1));
    Store(L"A", L"EqEnable", L"01");
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"A"));
    TrayOpeners().updateAvailable = &IsUpdateAvailable;
    TrayOpeners().downloadUpdate = [] { return false; };
    frmKalvenor& form = Load(L"");
    EXPECT_EQ(form.MenuItemCaption(kMenuProfilesEditor), L"Update");
    EXPECT_TRUE(form.MenuItemEnabled(kMenuProfilesEditor));
    EXPECT_FALSE(form.HotkeysEnabled());
    EXPECT_EQ(ActiveProfile(), L"<none>");  // no start-up profile
    EXPECT_TRUE(balloons_.empty());
    TrayOpeners().updateAvailable = nullptr;
    TrayOpeners().downloadUpdate = nullptr;
}

// The message boxes of a process.
BOOL CALLBACK FindProcessBox(HWND h, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    wchar_t cls[16] = {};
    ::GetClassNameW(h, cls, 16);
    if (pid != found->first || std::wstring(cls) != L"#32770" || !::IsWindowVisible(h)) return TRUE;
    found->second = h;
    return FALSE;
}

TEST(UpdateLaunch, ProgramStartingAgainstAServerWithOnlyItsVersionKeepsRunning) {
    kaltest::ProductStateLock lock;
    HttpServer server;
    const std::wstring home = UpdateEndpointsAt(server.Address()).home.substr(server.Address().size());
    server.Set(std::string(home.begin(), home.end()) + "/version",
               Version(KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR, KALVENOR_VERSION_REVISION + 1));

    ::SetEnvironmentVariableW(L"KALVENOR_UPDATE_SERVER", server.Address().c_str());
    std::wstring commandLine = L"\"" + kaltest::ProgramExe() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    ::SetEnvironmentVariableW(L"KALVENOR_UPDATE_SERVER", nullptr);
    ASSERT_TRUE(started);
    ::CloseHandle(pi.hThread);
    // The retry question is answered No; the program must then stay in the tray.
    std::vector<std::wstring> texts;
    DWORD answeredAt = 0;
    const DWORD start = ::GetTickCount();
    bool ended = false;
    while (!(ended = ::WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0)) {
        if (::GetTickCount() - start > 30000 || (answeredAt && ::GetTickCount() - answeredAt > 3000)) break;
        std::pair<DWORD, HWND> found{pi.dwProcessId, nullptr};
        ::EnumWindows(&FindProcessBox, reinterpret_cast<LPARAM>(&found));
        if (!found.second) continue;
        wchar_t text[1024] = {};
        ::GetDlgItemTextW(found.second, 0xFFFF, text, 1024);
        texts.push_back(text);
        ::PostMessageW(found.second, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        if (!answeredAt) answeredAt = ::GetTickCount();
        ::Sleep(200);
    }
    if (!ended) ::TerminateProcess(pi.hProcess, 0xDEAD);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hProcess);
    EXPECT_FALSE(ended);
    EXPECT_EQ(texts, std::vector<std::wstring>{CorruptUpdateText(L"Kalvenor")});
    EXPECT_FALSE(RegReadBytes(std::wstring(kaltest::kUserSettings), L"UpdatePending").has_value());
    for (const wchar_t* f : {L"Launcher.exe", L"KalvenorUpdate.exe", L"KalvenorSim.tmp", L"KalvenorSim.exe.md5"})
        EXPECT_FALSE(Exists(GetTempFolder() + f)) << f;
}

TEST(UpdateLaunch, ProgramStartingWithANewerRevisionOnTheServerHandsOverToTheLauncher) {
    kaltest::ProductStateLock lock;
    HttpServer server;
    const UpdateEndpoints e = UpdateEndpointsAt(server.Address());
    auto target = [&server](const std::wstring& address) {
        const std::wstring rest = address.substr(server.Address().size());
        return std::string(rest.begin(), rest.end());
    };
    const std::string home = target(e.home);
    const std::string launcher = ReadAll(kaltest::WindowsPathOf(KALVENOR_STUB_LAUNCHER)), updater = "updater";
    server.Set(home + "/version", Version(KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR, KALVENOR_VERSION_REVISION + 1));
    server.Set(home + "/Launcher.exe", launcher);
    server.Set(home + "/Bridge.exe", updater);
    server.Set(home + "/download", "program");
    server.Set(target(e.programMD5), Md5Text("program"));
    server.Set(target(e.updaterMD5), Md5Text(updater));
    server.Set(target(e.launcherMD5), Md5Text(launcher));
    const std::wstring args = GetTempFolder() + L"Launcher.exe.args";
    ::DeleteFileW(args.c_str());

    ::SetEnvironmentVariableW(L"KALVENOR_UPDATE_SERVER", server.Address().c_str());
    const kaltest::ChildRun run = kaltest::RunChild(kaltest::ProgramExe(), L"");
    ::SetEnvironmentVariableW(L"KALVENOR_UPDATE_SERVER", nullptr);
    ASSERT_TRUE(run.finished);  // it ended for the updater instead of staying in the tray
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(RegReadBytes(std::wstring(kaltest::kUserSettings), L"UpdatePending"), Bytes{0x01});
    // The launcher starts as a process of its own, late on a loaded machine.
    for (int i = 0; i < 400 && !Exists(args); ++i) ::Sleep(50);
    EXPECT_TRUE(Exists(args));
    RegDeleteValue(kaltest::kUserSettings, L"UpdatePending");
    for (const wchar_t* f : {L"Launcher.exe", L"Launcher.exe.args", L"KalvenorUpdate.exe", L"KalvenorSim.tmp",
                             L"KalvenorSim.exe.md5"})
        DeleteFileRetry(GetTempFolder() + f);
}

}  // namespace
