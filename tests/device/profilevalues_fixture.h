// The whole simulated card for the profile value tests: its driver discovered as start-up does,
// its endpoints behind the audio object with the card's lines found, and a settings key of the
// tests' own.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/platform.h"
#include "device/profilevalues.h"
#include "device/transport.h"
#include "sim/audio_card.h"
#include "sim/driver.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "tests/common/settings_root.h"
#include "tests/common/sim_platform.h"

namespace kal::testing {

inline constexpr wchar_t kValuesDX[] = L"82751043";   // Dolby, AEC, no amplifier, no DTS
inline constexpr wchar_t kValuesD2[] = L"82691043";   // Dolby and DTS
inline constexpr wchar_t kValuesSTX[] = L"835C1043";  // headphone amplifier
inline constexpr wchar_t kValuesDG[] = L"84671043";   // amplifier, neither Dolby nor DTS

inline const std::wstring kValuesTestsKey = L"HKEY_CURRENT_USER\\Software\\KalvenorTests";
inline const std::wstring kValuesRoot = kValuesTestsKey + L"\\Values";

class ValuesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedInstance_ = gCardInstanceId;
        BuildCardCatalogue();
        BuildDriverDefaults(false);
        UseCard(kValuesDX);
    }

    void TearDown() override {
        ReleaseAudioObject();
        sim::WaitForSimNotifications();
        sim::ResetSimAudioState();
        gPlaybackLineIds.fill(L"");
        gInputLineIds.fill(L"");
        gInputLineMonitorControl.fill(0);
        gCardCaps = nullptr;
        gSuspendDriverWrites = false;
        RegisterDefaultSimCard();
        gCardInstanceId = savedInstance_;
    }

    // A fresh card of that model, found as start-up finds it, with the audio object and lines.
    void UseCard(const wchar_t* subsys) {
        ReleaseAudioObject();
        DiscoverSimCard(subsys);
        sim::ResetSimAudioState();
        CreateAudioObject();
        gPlaybackLineIds.fill(L"");
        gInputLineIds.fill(L"");
        FindCardLines();
        ASSERT_FALSE(gPlaybackLineIds[0].empty());
        sim::ClearSimRequestLog();
    }

    static std::wstring Profile(const std::wstring& name) { return gRegProfiles + L"\\" + name; }
    static void Store(const std::wstring& profile, const std::wstring& name, const Bytes& value) {
        RegWrite(Profile(profile), name, value);
    }
    static void Store(const std::wstring& profile, const std::wstring& name, const wchar_t* hex) {
        RegWrite(Profile(profile), name, HexToBytes(hex));
    }
    static std::wstring Live(const std::wstring& name) { return BytesToHex(GetProfileValue(L"", name)); }
    static std::wstring Stored(const std::wstring& profile, const std::wstring& name) {
        return BytesToHex(GetProfileValue(profile, name));
    }

    // Applies every value of the profile with its partner, as a profile switch does.
    static void ApplyWhole(const std::wstring& profile, bool skipMasterVolume = false) {
        for (const auto& name : RegEnumValues(Profile(profile))) {
            std::wstring partner;
            if (name == L"DVSEnable") partner = L"DVSMode";
            else if (name == L"DHEnable") partner = L"DHRoom";
            else if (name == L"BassManagement") partner = L"BassCornerFrequency";
            else if (name == L"PanelConfig" && gCardCaps && gCardCaps->HPAmp) partner = L"HpImpedanceMode";
            ApplyProfileValue(profile, name, partner, skipMasterVolume);
        }
    }

    // Writes to the driver, as "id:bytes", in order; reads are left out.
    static std::vector<std::wstring> Writes() { return SimDriverWrites(); }
    // Number of writes per property id.
    static std::map<std::uint32_t, int> WriteCounts() {
        std::map<std::uint32_t, int> out;
        for (const auto& r : sim::SimRequestLog())
            if (r.flags == 2) ++out[r.id];
        return out;
    }

private:
    SimPlatformScope platform_{true};
    TestSettingsRoot settings_{kValuesRoot};
    std::wstring savedInstance_;
};

inline int SimEndpoint(const wchar_t* key) { return sim::FindSimEndpoint(key); }

}  // namespace kal::testing
