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
#include "startup/registry.h"

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
        saved_ = gPlatform;
        savedXP_ = gIsXP;
        savedInstance_ = gCardInstanceId;
        Platform p = RealPlatform();
        sim::InstallSimAudio(p);
        gPlatform = p;
        gIsXP = false;
        sim::ResetSimAudioState();
        removed_ = RegReadText(DriverState(), L"Removed");
        RegDeleteValue(DriverState(), L"Removed");
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
        gPlatform = saved_;
        gIsXP = savedXP_;
        gCardInstanceId = savedInstance_;
        if (removed_) RegWrite(DriverState(), L"Removed", *removed_);
        else RegDeleteValue(DriverState(), L"Removed");
    }
    static std::wstring DriverState() { return sim::kSimRoot + L"\\Driver"; }

    bool findLines_ = true;
    Platform saved_{};
    bool savedXP_ = false;
    std::wstring savedInstance_;
    std::optional<std::wstring> removed_;
};

}  // namespace kal::testing
