// The simulated card's endpoints with the audio object and the card's lines found, for the tests
// of the card lines, the mixer values and the notifications.
#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/platform.h"
#include "device/transport.h"
#include "sim/audio_card.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "tests/common/sim_platform.h"

namespace kal::testing {

inline std::wstring SimId(const wchar_t* key) {
    return sim::SimAudioEndpoints()[static_cast<std::size_t>(sim::FindSimEndpoint(key))].id;
}
inline int SimEp(const wchar_t* key) { return sim::FindSimEndpoint(key); }
inline std::wstring SimCardHid() { return L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + sim::SimModel() + L"&REV_00"; }

inline void ClearCardLines() {
    gPlaybackLineIds.fill(L"");
    gInputLineIds.fill(L"");
    gInputLineMonitorControl.fill(0);
}

class CardLinesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedInstance_ = gCardInstanceId;
        sim::ResetSimAudioState();
        gCardInstanceId = SimCardHid();
        ClearCardLines();
        CreateAudioObject();
        if (findLines_) FindCardLines();
    }
    void TearDown() override {
        ReleaseAudioObject();
        sim::WaitForSimNotifications();
        sim::ResetSimAudioState();
        sim::WriteSimMediaCategories();
        ClearCardLines();
        gCardInstanceId = savedInstance_;
    }

    bool findLines_ = true;
    SimPlatformScope platform_;
    SimCardPresent present_;
    std::wstring savedInstance_;
};

}  // namespace kal::testing
