// Finding the card's ASIO driver among the registered ones and opening its control panel.
#include <gtest/gtest.h>

#include <windows.h>

#include "device/asio.h"
#include "sim/driver.h"
#include "base/registry.h"

using namespace kal;

namespace {

constexpr wchar_t kASIO[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\ASIO";
// Sorts before the simulated driver's key and names a class nobody registered.
constexpr wchar_t kBroken[] = L"A Broken CMASIO";
constexpr wchar_t kOther[] = L"0 Other Interface";

struct MenuItem final : ASIOMenuItem {
    std::wstring caption = kASIOMenuDefaultCaption;
    bool enabled = false;
    void SetCaption(const std::wstring& c) override { caption = c; }
    void SetEnabled(bool e) override { enabled = e; }
};

class ASIO : public ::testing::Test {
protected:
    void SetUp() override {
        gASIODriverName.clear();
        gASIOClsid = GUID_NULL;
        sim::InstallSimASIODriver();
        const wchar_t* unregistered = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
        RegWrite(RegJoin(kASIO, kBroken), L"CLSID", std::wstring(unregistered));
        RegWrite(RegJoin(kASIO, kBroken), L"Description", std::wstring(L"Broken"));
        RegWrite(RegJoin(kASIO, kOther), L"CLSID", std::wstring(unregistered));
    }
    void TearDown() override {
        RegDeleteTree(kASIO, kBroken);
        RegDeleteTree(kASIO, kOther);
        sim::SetSimASIOPanelAutoClose(0);
    }
};

TEST_F(ASIO, TakesTheFirstMatchingDriverThatCanBeCreated) {
    MenuItem item;
    FindASIODriver(&item);
    EXPECT_EQ(gASIODriverName, L"Simulated Xonar ASIO");
    EXPECT_EQ(item.caption, L"Simulated Xonar ASIO Control Panel...");
    EXPECT_TRUE(item.enabled);
    EXPECT_FALSE(::IsEqualGUID(gASIOClsid, GUID_NULL));
    EXPECT_EQ(sim::SimASIOObjectCount(), 0);  // the probe object was released
}

TEST_F(ASIO, NothingChangesWithoutADriver) {
    sim::RemoveSimASIODriver();
    MenuItem item;
    FindASIODriver(&item);
    EXPECT_EQ(item.caption, L"ASIO Control Panel...");
    EXPECT_FALSE(item.enabled);
    EXPECT_EQ(gASIODriverName, L"");
    FindASIODriver(nullptr);
    EXPECT_FALSE(ShowASIOControlPanel({}));
}

TEST_F(ASIO, ThePanelIsWatchedPlacedAndReleased) {
    FindASIODriver(nullptr);
    sim::SetSimASIOPanelAutoClose(150);
    const int shownBefore = sim::SimASIOPanelShownCount();
    std::vector<HWND> placed;
    bool nested = true;
    std::wstring caption;
    ASSERT_TRUE(ShowASIOControlPanel([&](HWND dialog) {
        placed.push_back(dialog);
        wchar_t text[100] = {};
        ::GetWindowTextW(dialog, text, 100);
        caption = text;
        // The dialog's own initialisation has run before it is placed.
        EXPECT_EQ(sim::SimASIOPanelShownCount(), shownBefore + 1);
        nested = ShowASIOControlPanel({});  // a second request while open does nothing
    }));
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(caption, L"Simulated Xonar ASIO Control Panel");
    EXPECT_FALSE(nested);
    EXPECT_FALSE(::IsWindow(placed[0]));
    EXPECT_EQ(sim::SimASIOObjectCount(), 0);
    // The hook is gone: windows created now are not watched.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(other);
    EXPECT_EQ(placed.size(), 1u);
    // And the panel opens again.
    EXPECT_TRUE(ShowASIOControlPanel({}));
    EXPECT_EQ(sim::SimASIOPanelShownCount(), shownBefore + 2);
}

}  // namespace
