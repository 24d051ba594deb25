// The simulated program started as a child process with "/noui": the switches are carried out on
// the card and the process ends by itself.
#include <gtest/gtest.h>

#include <windows.h>

#include "sim/audio_card.h"
#include "sim/driver.h"
#include "sim/state.h"
#include "startup/autostart.h"
#include "base/registry.h"
#include "startup/utility.h"
#include "tests/common/sim_platform.h"
#include "tests/startup/product_state.h"

using namespace kal;
using namespace kaltest;

namespace {

class TrayLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        kal::testing::RegisterDefaultSimCard();
        sim::ResetSimAudioState();
        sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"04000000"));
        sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"00"));
        sim::ClearSimRequestLog();
        const std::wstring a = std::wstring(kUserSettings) + L"\\Profiles\\A";
        RegWrite(a, L"SpeakerConfig", HexToBytes(L"01000000"));
        RegWrite(a, L"EqEnable", HexToBytes(L"01"));
        RegWrite(std::wstring(kUserSettings) + L"\\Profiles\\B", L"EqEnable", HexToBytes(L"00"));
    }
    void TearDown() override { sim::ResetSimAudioState(); }

    ProductStateLock lock_;
};

TEST_F(TrayLaunch, NoUIAppliesTheProfileMutesAndEnds) {
    HeldMutex running;  // "/noui" must not look at another instance's mutex
    const ChildRun run = RunChild(ProgramExe(), L"/noui /profile=A /mastermute");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(sim::SimLiveValue(L"SpeakerConfig"), HexToBytes(L"01000000"));
    EXPECT_EQ(sim::SimLiveValue(L"EqEnable"), HexToBytes(L"01"));
    EXPECT_TRUE(sim::SimMute(sim::FindSimEndpoint(L"speakers")));
    EXPECT_EQ(RegReadText(kUserSettings, L"ActiveProfile"), L"A");
    EXPECT_FALSE(kal::testing::SimDriverWrites().empty());
}

TEST_F(TrayLaunch, NoUIProfileSwitchCyclesAcrossRuns) {
    RegWrite(kUserSettings, L"ActiveProfile", std::wstring(L"A"));
    ASSERT_TRUE(RunChild(ProgramExe(), L"/noui /profile=A,B").finished);
    EXPECT_EQ(RegReadText(kUserSettings, L"ActiveProfile"), L"B");
    ASSERT_TRUE(RunChild(ProgramExe(), L"/NOUI /Profile=A,B /masterunmute").finished);
    EXPECT_EQ(RegReadText(kUserSettings, L"ActiveProfile"), L"A");
    EXPECT_FALSE(sim::SimMute(sim::FindSimEndpoint(L"speakers")));
}

TEST_F(TrayLaunch, NoUIToggleAutostartAddsAndRemovesTheEntryInTurn) {
    auto present = [] {
        return TaskExists(kTaskPath) || RegReadText(kUserRun, L"Kalvenor").has_value();
    };
    auto cleanUp = [] {
        RemoveTask(std::wstring(L"\\") + kTaskPath);
        RegDeleteValue(kUserRun, L"Kalvenor");
    };
    cleanUp();
    for (const bool expected : {true, false, true}) {
        ASSERT_TRUE(RunChild(ProgramExe(), L"/noui /toggleautostart").finished);
        EXPECT_EQ(present(), expected);
    }
    cleanUp();
}

}  // namespace
