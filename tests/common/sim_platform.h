// The simulated card for the tests: behind the platform seam (put back afterwards), present,
// registered and discovered as start-up finds it, and what its driver was sent.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "device/platform.h"
#include "device/transport.h"
#include "sim/driver.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/hextext.h"
#include "base/registry.h"

namespace kal::testing {

// The real platform with the simulated card's endpoints and, with `driver`, its driver.
inline Platform SimPlatform(bool driver = false) {
    Platform p = RealPlatform();
    if (driver) sim::InstallSimDriver(p);
    sim::InstallSimAudio(p);
    return p;
}

// Puts the platform seam and the XP flag back as they were when it was made.
class SavedPlatform {
public:
    SavedPlatform() : platform_(gPlatform), xp_(gIsXP) {}
    ~SavedPlatform() {
        gPlatform = platform_;
        gIsXP = xp_;
    }
    SavedPlatform(const SavedPlatform&) = delete;
    SavedPlatform& operator=(const SavedPlatform&) = delete;

private:
    Platform platform_;
    bool xp_;
};

// SimPlatform(driver) on a Windows later than XP for as long as it lives.
class SimPlatformScope : private SavedPlatform {
public:
    explicit SimPlatformScope(bool driver = false) {
        gPlatform = SimPlatform(driver);
        gIsXP = false;
    }
};

// The card present on the driver side whatever an earlier test did to it; its "Removed" mark
// comes back afterwards.
class SimCardPresent {
public:
    SimCardPresent() : removed_(RegReadText(DriverStateKey(), L"Removed")) {
        RegDeleteValue(DriverStateKey(), L"Removed");
    }
    ~SimCardPresent() {
        if (removed_) RegWrite(DriverStateKey(), L"Removed", *removed_);
        else RegDeleteValue(DriverStateKey(), L"Removed");
    }
    SimCardPresent(const SimCardPresent&) = delete;
    SimCardPresent& operator=(const SimCardPresent&) = delete;
    // Where the simulated driver keeps its state; "Removed" = "1" there takes the card away.
    static std::wstring DriverStateKey() { return sim::kSimRoot + L"\\Driver"; }

private:
    std::optional<std::wstring> removed_;
};

// Registers a card of that model as `setup` says and runs start-up's discovery against it.
inline void DiscoverSimCard(const wchar_t* subsys, sim::SimCardSetup setup = {}) {
    setup.subsys = subsys;
    sim::InstallSimCardDevice(setup);
    gDriverClassKey.clear();
    gDriverSettingsKey.clear();
    DiscoverCard(L"VEN_13F6&DEV_8788", L"");
    FindCardInterface();
    gCardCaps = gCardModels.At(subsys);
}

// Registers the default card again, as the simulated program registers it, for the tests that follow.
inline void RegisterDefaultSimCard() {
    sim::SetSimModel(L"82751043");
    sim::InstallSimCardDevice();
}

// Writes the simulated driver received, as "id:bytes", in order; reads are left out.
inline std::vector<std::wstring> SimDriverWrites() {
    std::vector<std::wstring> out;
    for (const auto& r : sim::SimRequestLog())
        if (r.flags == 2) out.push_back(std::to_wstring(r.id) + L":" + BytesToHex(r.bytes));
    return out;
}

}  // namespace kal::testing
