// Which system libraries a start-up loads: GDI+ only comes when something draws with it, the
// common controls with the first control window or tooltip (none at start-up); and what a
// missing one does.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "startup/delayload.h"
#include "base/registry.h"
#include "tests/startup/modules_probe.h"
#include "tests/startup/product_state.h"

using namespace kal;
using namespace kaltest;

namespace {

std::wstring ProbeExe() { return WindowsPathOf(KALVENOR_PROBE_EXE); }

// A library disabled for the probe alone (Wine's per-program load order: an empty entry is
// "disabled"), enabled again when this ends.
class DisabledForProbe {
public:
    explicit DisabledForProbe(const wchar_t* library) { RegWrite(Key(), library, std::wstring()); }
    ~DisabledForProbe() { RegDeleteTree(Key(), L""); }
    DisabledForProbe(const DisabledForProbe&) = delete;
    DisabledForProbe& operator=(const DisabledForProbe&) = delete;

private:
    static std::wstring Key() {
        return L"HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\modules_probe.exe\\DllOverrides";
    }
};

class Modules : public ::testing::Test {
protected:
    ProductStateLock lock_;
};

}  // namespace

TEST_F(Modules, StartUpsLeaveUnusedLibrariesUnloaded) {
    // A profile applied by switch: the whole /noui start-up, card writes included.
    ASSERT_TRUE(RegWrite(std::wstring(kUserSettings) + L"\\Profiles\\Probe", L"EqEnable", Bytes{0x01}));
    ChildRun run = RunChild(ProbeExe(), L"/noui /profile=Probe");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(run.exitCode, kStartedWithout);
    EXPECT_EQ(RegReadText(kUserSettings, L"ActiveProfile").value_or(L""), L"Probe");

    // The tray start-up, up to the main form loaded with its icon and the start-up profile.
    ASSERT_TRUE(RegWrite(kUserSettings, L"DefaultProfile", std::wstring(L"Probe")));
    RegDeleteValue(kUserSettings, L"ActiveProfile");
    run = RunChild(ProbeExe(), L"");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(run.exitCode, kStartedWithout);
    EXPECT_EQ(RegReadText(kUserSettings, L"ActiveProfile").value_or(L""), L"Probe");
}

TEST_F(Modules, DrawingLoadsGdiplusOnFirstUse) {
    const ChildRun run = RunChild(ProbeExe(), L"/draw");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, kDrew);
}

TEST_F(Modules, MissingGdiplusDrawsNothingInsteadOfFailing) {
    const DisabledForProbe disabled(L"gdiplus");
    const ChildRun run = RunChild(ProbeExe(), L"/draw");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, kDrewNothing);
}

TEST(MissingLibraries, FirstMissingOneIsNamed) {
    EXPECT_EQ(FirstMissingLibrary({L"comctl32.dll", L"oleaut32.dll", L"winmm.dll", L"setupapi.dll"}), L"");
    EXPECT_EQ(FirstMissingLibrary({L"winmm.dll", L"kalvenor-absent.dll", L"kalvenor-absent2.dll"}),
              L"kalvenor-absent.dll");
    EXPECT_EQ(MissingRequiredLibrary(), L"");
}

TEST_F(Modules, LibraryThatFailsToLoadEndsTheProgramWithItsMessage) {
    // The multimedia library is first called when the profile's values are applied.
    ASSERT_TRUE(RegWrite(std::wstring(kUserSettings) + L"\\Profiles\\Probe", L"EqEnable", Bytes{0x01}));
    const DisabledForProbe disabled(L"winmm");
    const ChildRun run = RunChild(ProbeExe(), L"/noui /profile=Probe");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, kMissingLibraryExitCode);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, L"Kalvenor");
    EXPECT_EQ(run.boxes[0].text, MissingLibraryText(L"winmm.dll"));
    EXPECT_EQ(run.boxes[0].text,
              L"Kalvenor can't run because the system library winmm.dll can't be found or loaded. Execution halted.");
}

TEST_F(Modules, DeviceInstallerFunctionsThatFailToLoadEndTheProgramFromTheCardSearch) {
    // First called by the card search, which runs on the worker thread while the main thread
    // makes the main form's window and then waits for the search.
    const DisabledForProbe disabled(L"setupapi");
    const ChildRun run = RunChild(ProbeExe(), L"");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, kMissingLibraryExitCode);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, MissingLibraryText(L"setupapi.dll"));
}
