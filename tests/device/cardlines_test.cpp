#include "device/cardlines.h"

#include <gtest/gtest.h>

#include "lines_fixture.h"
#include "sim/driver.h"
#include "sim/xp_mixer.h"

namespace kal {
namespace {

using testing::SimEp;
using testing::SimId;

constexpr const wchar_t* kInputs[] = {L"mic", L"line", L"aux", L"wave_in", L"mix", L"cd", L"alt", L"spdif_in"};

std::wstring CategoryKey(const wchar_t* guid) { return RegJoin(kMediaCategoriesKey, guid); }

class CardLinesTest : public testing::CardLinesFixture {
protected:
    CardLinesTest() { findLines_ = false; }
};

TEST_F(CardLinesTest, FindsTheCardsSpeakersAndInputsAmongForeignEndpoints) {
    FindCardLines();
    // The card's wave-filter speakers and the other device's speakers come first; neither is it.
    EXPECT_EQ(gPlaybackLineIds[0], SimId(L"speakers"));
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(gInputLineIds[i], SimId(kInputs[i])) << i;
    // The microphone's monitoring switch follows its boost switch; the other inputs have only it.
    EXPECT_EQ(gInputLineMonitorControl[0], 2);
    for (std::size_t i = 1; i < 8; ++i) EXPECT_EQ(gInputLineMonitorControl[i], 1) << i;

    EXPECT_EQ(GetLineComponentType(SimId(L"speakers"), 0), kComponentDstSpeakers);
    EXPECT_EQ(GetLineComponentType(SimId(L"mic"), 1), kComponentSrcMicrophone);
    EXPECT_EQ(GetLineComponentType(SimId(L"cd"), 1), kComponentSrcCompactDisc);
}

TEST_F(CardLinesTest, NamedInputsFollowTheCategoryNamesTheDriverRegistered) {
    // The mix input is described "Stereo Mix"; under another category name it has no slot, and the
    // slot keeps what it held. The microphone is found by its type whatever its description.
    RegWrite(CategoryKey(L"{3EC8502B-5D89-4D2D-A78A-FF45CA18A3B7}"), L"Name", std::wstring(L"What U Hear"));
    RegDeleteValue(CategoryKey(L"{F35C2296-20FF-46E8-BDAF-56B5DDFC9CFB}"), L"Name");
    gInputLineIds[4] = L"kept";
    FindCardLines();
    EXPECT_EQ(gInputLineIds[4], L"kept");
    EXPECT_EQ(gInputLineIds[6], L"");
    EXPECT_EQ(gInputLineIds[0], SimId(L"mic"));
    EXPECT_EQ(gInputLineIds[3], SimId(L"wave_in"));

    // A category renamed to the mix input's description moves it: "Alt In" now names slot 7.
    testing::ClearCardLines();
    RegWrite(CategoryKey(L"{5AEA5794-AA8A-4AAF-AB8B-4854C97B5D90}"), L"Name", std::wstring(L"alt in"));
    FindCardLines();
    EXPECT_EQ(gInputLineIds[7], SimId(L"alt"));
    EXPECT_EQ(gInputLineMonitorControl[7], 1);
}

TEST_F(CardLinesTest, MonitorSwitchIsMatchedByItsExactName) {
    RegWrite(CategoryKey(kMonitorCategory), L"Name", std::wstring(L"monitor"));
    FindCardLines();
    ASSERT_EQ(gInputLineIds[1], SimId(L"line"));
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(gInputLineMonitorControl[i], 0) << i;

    // The boost switch's name makes it the microphone's monitoring switch (control 1); the other
    // inputs have none of that name and keep the number they had.
    RegWrite(CategoryKey(kMonitorCategory), L"Name", std::wstring(L"Mic Boost"));
    gInputLineMonitorControl[1] = 5;
    FindCardLines();
    EXPECT_EQ(gInputLineMonitorControl[0], 1);
    EXPECT_EQ(gInputLineMonitorControl[1], 5);
}

TEST_F(CardLinesTest, WithoutTheCardNothingIsFound) {
    gCardInstanceId = L"PCI\\VEN_13F6&DEV_8788&SUBSYS_00000000&REV_00";
    FindCardLines();
    EXPECT_EQ(gPlaybackLineIds[0], L"");
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(gInputLineIds[i], L"") << i;

    // A disabled speakers output is still the card's output.
    gCardInstanceId = testing::SimCardHid();
    sim::SetSimEndpointState(SimEp(L"speakers"), DEVICE_STATE_DISABLED);
    FindCardLines();
    EXPECT_EQ(gPlaybackLineIds[0], SimId(L"speakers"));
}

TEST_F(CardLinesTest, OnWindowsXPTheLinesAreTheCardMixersLines) {
    // The card's mixer is found by its audio filter's path, which its registration gives.
    sim::EnsureSimCardDevice();
    gCardInstanceId = sim::SimCardInstanceId();
    ReleaseAudioObject();
    gIsXP = true;
    CreateAudioObject();
    FindCardLines();

    auto line = [](const wchar_t* name) { return MixerLineText(sim::SimMixerLineId(sim::kSimCardMixer, name)); };
    EXPECT_EQ(gPlaybackLineIds[0], line(L"Master Volume"));
    const wchar_t* names[] = {L"Mic", L"Line In", L"Aux", L"Wave", L"Stereo Mix", L"CD Audio", L"Alt In", L"SPDIF In"};
    for (std::size_t i = 0; i < 8; ++i) {
        // The playback side has a "Wave" line too: the recording one is asked for by description.
        if (i == 3) EXPECT_EQ(gAudio->LineDescription(gInputLineIds[i], 1), L"Wave");
        else EXPECT_EQ(gInputLineIds[i], line(names[i])) << i;
    }
    // Every switch- or list-class control counts: the mute, the microphone's boost and source list.
    EXPECT_EQ(gInputLineMonitorControl[0], 4);
    EXPECT_EQ(gInputLineMonitorControl[1], 2);
    EXPECT_EQ(GetLineComponentType(gInputLineIds[0], 1), kComponentSrcMicrophone);
    EXPECT_EQ(GetLineComponentType(L"not a line", 1), 0u);
}

}  // namespace
}  // namespace kal
