// The real program started as a child process: what only a whole start shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "startup/autostart.h"
#include "base/registry.h"
#include "startup/utility.h"
#include "tests/startup/product_state.h"

using namespace kal;
using namespace kaltest;

namespace {

class Launch : public ::testing::Test {
protected:
    ProductStateLock lock_;
};

bool AnyAutostartEntry() {
    return RegReadText(kUserRun, L"Kalvenor").has_value() || RegReadText(kMachineRun, L"Kalvenor").has_value() ||
           TaskExists(kTaskPath);
}

}  // namespace

TEST_F(Launch, SecondInstanceIsToldAndTouchesNothing) {
    HeldMutex running;
    const ChildRun run = RunChild(ProgramExe(), L"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, L"Kalvenor");
    EXPECT_EQ(run.boxes[0].text, L"Kalvenor is already running.");
    EXPECT_FALSE(RegKeyExists(kUserSettings));
    EXPECT_FALSE(AnyAutostartEntry());
}

TEST_F(Launch, InstanceWhoseMutexMayNotBeOpenedCountsAsRunning) {
    // An elevated instance's mutex denies this user: creating it fails with "access denied".
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", SDDL_REVISION_1,
                                                                      &sa.lpSecurityDescriptor, nullptr));
    HANDLE held = ::CreateMutexW(&sa, TRUE, kSingleInstanceMutex);
    ::LocalFree(sa.lpSecurityDescriptor);
    ASSERT_NE(held, nullptr);
    const ChildRun run = RunChild(ProgramExe(), L"");
    ::ReleaseMutex(held);
    ::CloseHandle(held);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, L"Kalvenor is already running.");
    EXPECT_FALSE(AnyAutostartEntry());
}

TEST_F(Launch, NoUIInAnyCaseSkipsTheCheckAndFirstStartRegistersAutostart) {
    HeldMutex running;
    // A leftover of a finished self-update beside the program is removed.
    const std::wstring folder = MakeTempFolder(L"kalvenor-launch-noui");
    const std::wstring exe = CopyProgram(folder, L"Kalvenor.exe");
    const std::wstring bridge = folder + L"\\Bridge.exe";
    const std::wstring launcher = GetTempFolder() + L"Launcher.exe";
    for (const auto& f : {bridge, launcher}) {
        HANDLE h = ::CreateFileW(f.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ::CloseHandle(h);
    }

    const ChildRun run = RunChild(exe, L"/hid=x /NoUi");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(::GetFileAttributesW(bridge.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW(launcher.c_str()), INVALID_FILE_ATTRIBUTES);
    // Wine's processes hold the full token with UAC off: mode 0 registers the task.
    EXPECT_TRUE(TaskExists(kTaskPath));
    EXPECT_FALSE(RegReadText(kUserRun, L"Kalvenor").has_value());
    RemoveFolder(folder);
}

TEST_F(Launch, StartWithSettingsKeyRegistersNothing) {
    ASSERT_TRUE(RegWrite(kUserSettings, L"DefaultProfile", std::wstring(L"Music")));
    const ChildRun run = RunChild(ProgramExe(), L"/noui");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_FALSE(AnyAutostartEntry());
    EXPECT_EQ(RegReadText(kUserSettings, L"DefaultProfile"), L"Music");
}

TEST_F(Launch, MachineHiveSettingsMoveToTheUser) {
    const std::wstring source = kMachineSettings;
    ASSERT_TRUE(RegWrite(source, L"DefaultProfile", std::wstring(L"Games")));
    ASSERT_TRUE(RegWrite(source + L"\\Profiles\\Games", L"SpeakerConfig", Bytes{0x02, 0x00, 0x00, 0x00}));
    ASSERT_TRUE(RegWrite(source + L"\\Presets\\EQ", L"Flat", Bytes{}));

    const ChildRun run = RunChild(ProgramExe(), L"/noui");
    ASSERT_TRUE(run.finished);
    EXPECT_FALSE(RegKeyExists(source));
    EXPECT_EQ(RegReadText(kUserSettings, L"DefaultProfile"), L"Games");
    EXPECT_EQ(RegReadBytes(std::wstring(kUserSettings) + L"\\Profiles\\Games", L"SpeakerConfig"),
              (Bytes{0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(RegReadBytes(std::wstring(kUserSettings) + L"\\Presets\\EQ", L"Flat"), Bytes{});
    // Moved settings count as an earlier run: no autostart entry is made.
    EXPECT_FALSE(AnyAutostartEntry());
}

TEST_F(Launch, BothHivesHoldSettingsNothingMoves) {
    ASSERT_TRUE(RegWrite(kMachineSettings, L"DefaultProfile", std::wstring(L"Old")));
    ASSERT_TRUE(RegWrite(kUserSettings, L"DefaultProfile", std::wstring(L"New")));
    const ChildRun run = RunChild(ProgramExe(), L"/noui");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(RegReadText(kMachineSettings, L"DefaultProfile"), L"Old");
    EXPECT_EQ(RegReadText(kUserSettings, L"DefaultProfile"), L"New");
}

TEST_F(Launch, WindowsOlderThanXPIsRefused) {
    const std::wstring folder = MakeTempFolder(L"kalvenor-launch-w2k");
    const std::wstring exe = CopyProgram(folder, L"KalvenorW2K.exe");
    SetWineVersionFor(L"KalvenorW2K.exe", L"win2k");
    ASSERT_TRUE(RegWrite(kMachineSettings, L"DefaultProfile", std::wstring(L"Kept")));

    const ChildRun run = RunChild(exe, L"/noui");
    SetWineVersionFor(L"KalvenorW2K.exe", nullptr);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, L"Kalvenor");
    EXPECT_EQ(run.boxes[0].text, L"Kalvenor is not compatible with this version of Windows. Execution halted.");
    // Nothing of start-up ran: no migration, no autostart.
    EXPECT_EQ(RegReadText(kMachineSettings, L"DefaultProfile"), L"Kept");
    EXPECT_FALSE(RegKeyExists(kUserSettings));
    EXPECT_FALSE(AnyAutostartEntry());
    RemoveFolder(folder);
}

TEST_F(Launch, WindowsXPUsesTheMachineRunValue) {
    const std::wstring folder = MakeTempFolder(L"kalvenor-launch-xp");
    const std::wstring exe = CopyProgram(folder, L"KalvenorXP.exe");
    SetWineVersionFor(L"KalvenorXP.exe", L"winxp");

    const ChildRun run = RunChild(exe, L"/noui");
    SetWineVersionFor(L"KalvenorXP.exe", nullptr);
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(RegReadText(kMachineRun, L"Kalvenor"), L"\"" + exe + L"\"");
    EXPECT_FALSE(RegReadText(kUserRun, L"Kalvenor").has_value());
    EXPECT_FALSE(TaskExists(kTaskPath));
    RemoveFolder(folder);
}

TEST_F(Launch, MovedProgramIsRegisteredAgainOthersAreLeftAlone) {
    ASSERT_TRUE(RegWrite(kUserSettings, L"DefaultProfile", std::wstring(L"x")));
    ASSERT_TRUE(RegWrite(kUserRun, L"Kalvenor", std::wstring(L"\"C:\\Old Place\\Kalvenor.exe\"")));
    ASSERT_TRUE(RegWrite(kUserRun, L"KalvenorTestsOther", std::wstring(L"C:\\Tools\\NotKalvenor.exe")));

    const ChildRun run = RunChild(ProgramExe(), L"/noui");
    ASSERT_TRUE(run.finished);
    EXPECT_FALSE(RegReadText(kUserRun, L"Kalvenor").has_value());
    EXPECT_TRUE(TaskExists(kTaskPath));
    EXPECT_EQ(RegReadText(kUserRun, L"KalvenorTestsOther"), L"C:\\Tools\\NotKalvenor.exe");
    RegDeleteValue(kUserRun, L"KalvenorTestsOther");
}

TEST_F(Launch, LimitedTokenUnderUACUsesTheUserRunValue) {
    std::optional<ChildRun> run;
    ASSERT_TRUE(WithUacSwitchedOn([&] { run = RunChildLimited(ProgramExe(), L"/noui"); }));
    ASSERT_TRUE(run);
    ASSERT_TRUE(run->finished);
    EXPECT_EQ(RegReadText(kUserRun, L"Kalvenor"), L"\"" + ProgramExe() + L"\"");
    EXPECT_FALSE(TaskExists(kTaskPath));
}

namespace {

// The names of the sections of a PE file.
std::vector<std::string> SectionNames(const std::wstring& path) {
    std::vector<std::string> names;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return names;
    HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const auto* base = mapping ? static_cast<const BYTE*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
    if (base) {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
        const auto* section = IMAGE_FIRST_SECTION(nt);
        // Long names live in the string table: "/n" stands for them.
        const auto* strings = reinterpret_cast<const char*>(base + nt->FileHeader.PointerToSymbolTable +
                                                            nt->FileHeader.NumberOfSymbols * 18);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            std::string name(reinterpret_cast<const char*>(section->Name), strnlen(reinterpret_cast<const char*>(section->Name), 8));
            if (name.size() > 1 && name[0] == '/' && nt->FileHeader.PointerToSymbolTable) name = strings + std::stoul(name.substr(1));
            names.push_back(name);
        }
        ::UnmapViewOfFile(base);
    }
    if (mapping) ::CloseHandle(mapping);
    ::CloseHandle(file);
    return names;
}

}  // namespace

TEST(ShippedProgram, CarriesNoDebugSectionsButLinksItsDebugFile) {
    const std::wstring exe = ProgramExe();
    const auto names = SectionNames(exe);
    ASSERT_FALSE(names.empty());
    for (const auto& name : names) EXPECT_NE(name.rfind(".debug", 0), 0u) << name;
    EXPECT_NE(std::find(names.begin(), names.end(), ".gnu_debuglink"), names.end());
    // The debug information is kept beside it, with its sections.
    const auto debugNames = SectionNames(exe + L".debug");
    EXPECT_NE(std::find(debugNames.begin(), debugNames.end(), ".debug_info"), debugNames.end());
}
