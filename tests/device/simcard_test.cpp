// The simulated card's registration: repeatable, removable, and kept across processes.
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include "device/platform.h"
#include "sim/driver.h"
#include "sim/simcard.h"
#include "sim/state.h"
#include "base/registry.h"
#include "tests/common/child.h"
#include "tests/common/sim_platform.h"

using namespace kal;

namespace {

// Present devices whose first hardware id contains the card's family.
int CardDevices() {
    HDEVINFO set = ::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    SP_DEVINFO_DATA dev{};
    dev.cbSize = sizeof dev;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
        wchar_t ids[512] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(set, &dev, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                                sizeof ids - 4, nullptr) &&
            std::wstring(ids).find(L"VEN_13F6&DEV_8788") != std::wstring::npos)
            ++count;
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return count;
}

int ClassKeys() { return static_cast<int>(RegEnumKeys(L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}").size()); }

std::wstring SimExecutable() {
    std::wstring path = kaltest::OwnExecutable();
    for (int up = 0; up < 3; ++up) path = path.substr(0, path.rfind(L'\\'));  // ...\tests\device\x.exe
    return path + L"\\KalvenorSim.exe";
}

DWORD RunSimProgram() { return kaltest::RunChild(SimExecutable(), L"/noui", {.timeoutMs = 60000}).exitCode; }

// Leaves the default card registered for the tests that follow.
class SimCard : public ::testing::Test {
protected:
    void TearDown() override { kal::testing::RegisterDefaultSimCard(); }
};

TEST_F(SimCard, InstallingAgainReplacesTheCardWithoutLeftovers) {
    sim::SimCardSetup dx;
    dx.subsys = L"82751043";
    sim::InstallSimCardDevice(dx);
    const int keys = ClassKeys();
    sim::SetSimLiveValue(L"SpeakerConfig", {6, 0, 0, 0});
    sim::InstallSimCardDevice(dx);
    EXPECT_EQ(CardDevices(), 1);
    EXPECT_EQ(ClassKeys(), keys);
    EXPECT_FALSE(sim::SimLiveValue(L"SpeakerConfig"));  // a fresh card
    EXPECT_EQ(sim::SimModel(), L"82751043");

    sim::SimCardSetup d2;
    d2.subsys = L"82691043";
    sim::InstallSimCardDevice(d2);
    EXPECT_EQ(CardDevices(), 1);
    EXPECT_EQ(sim::SimCardHardwareId(), L"PCI\\VEN_13F6&DEV_8788&SUBSYS_82691043&REV_00");
    EXPECT_EQ(sim::SimModel(), L"82691043");

    sim::RemoveSimCardDevice();
    EXPECT_EQ(CardDevices(), 0);
    EXPECT_EQ(ClassKeys(), keys - 1);
    sim::EnsureSimCardDevice();  // a removed card stays removed
    EXPECT_EQ(CardDevices(), 0);
}

TEST_F(SimCard, TheSimulatedProgramKeepsTheCardAndItsSettings) {
    sim::SimCardSetup stx;
    stx.subsys = L"835C1043";
    sim::InstallSimCardDevice(stx);
    sim::SetSimLiveValue(L"PanelConfig", {1, 0, 0, 0});
    const std::wstring instance = sim::SimCardInstanceId();
    ASSERT_EQ(RunSimProgram(), 0u);
    EXPECT_EQ(sim::SimCardInstanceId(), instance);
    EXPECT_EQ(CardDevices(), 1);
    EXPECT_EQ(sim::SimLiveValue(L"PanelConfig"), (Bytes{1, 0, 0, 0}));

    // Choosing another model re-registers the card as that model.
    sim::SetSimModel(L"84671043");
    ASSERT_EQ(RunSimProgram(), 0u);
    EXPECT_EQ(sim::SimCardHardwareId(), L"PCI\\VEN_13F6&DEV_8788&SUBSYS_84671043&REV_00");
    EXPECT_EQ(CardDevices(), 1);

    sim::RemoveSimCardDevice();
    ASSERT_EQ(RunSimProgram(), 0u);
    EXPECT_EQ(CardDevices(), 0);
}

}  // namespace
