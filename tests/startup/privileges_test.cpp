#include "startup/privileges.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include "base/registry.h"
#include "startup/utility.h"
#include "tests/startup/product_state.h"

using namespace kal;

namespace {

std::wstring OwnSid() {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    unsigned char buf[256];
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, buf, sizeof buf, &size);
    ::CloseHandle(token);
    LPWSTR text = nullptr;
    ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf)->User.Sid, &text);
    std::wstring sid = text ? text : L"";
    ::LocalFree(text);
    return sid;
}

}  // namespace

TEST(Privileges, UserOfAProcess) {
    const std::wstring own = OwnSid();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(GetProcessUserSID(::GetCurrentProcessId()), own);
    EXPECT_EQ(GetProcessUserSID(0), L"");
    EXPECT_EQ(GetProcessUserSID(0x7FFFFFF0), L"");
}

TEST(Privileges, InteractiveUserOwnsTheShell) {
    // Here the desktop shell runs as the same user as the tests.
    ASSERT_NE(FindProcessId(L"explorer.exe"), 0u);
    EXPECT_EQ(GetInteractiveUserSID(), OwnSid());
    EXPECT_EQ(InteractiveUserRoot(), L"HKEY_USERS\\" + OwnSid());
}

TEST(Privileges, UserRootFallsBackWhenTheHiveIsNotLoaded) {
    EXPECT_EQ(UserRootFor(L""), L"HKEY_CURRENT_USER");
    EXPECT_EQ(UserRootFor(L"S-1-5-21-1111-2222-3333-4444"), L"HKEY_CURRENT_USER");
    EXPECT_EQ(UserRootFor(OwnSid()), L"HKEY_USERS\\" + OwnSid());
}

TEST(Privileges, UACSwitchAndElevation) {
    kaltest::ProductStateLock lock;  // the switch is machine-wide
    const std::wstring policy = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    const auto saved = RegRead(policy, L"EnableLUA");
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto set = [&](DWORD v) { ::RegSetValueExW(key, L"EnableLUA", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4); };

    set(1);
    const bool on = IsUACEnabled();
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    TOKEN_ELEVATION_TYPE type{};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
    ::CloseHandle(token);
    const bool elevatedUnderUAC = IsProcessElevated();
    set(0x0100);  // only the lowest byte counts
    const bool highByteOnly = IsUACEnabled();
    set(0);
    const bool off = IsUACEnabled();
    const bool elevatedWithoutUAC = IsProcessElevated();
    ::RegDeleteValueW(key, L"EnableLUA");
    const bool missing = IsUACEnabled();

    if (saved) {
        const Bytes& b = std::get<Bytes>(*saved);
        ::RegSetValueExW(key, L"EnableLUA", 0, REG_DWORD, b.data(), static_cast<DWORD>(b.size()));
    }
    ::RegCloseKey(key);

    EXPECT_TRUE(on);
    EXPECT_FALSE(highByteOnly);
    EXPECT_FALSE(off);
    EXPECT_FALSE(missing);
    EXPECT_EQ(elevatedUnderUAC, type == TokenElevationTypeFull);
    EXPECT_EQ(elevatedWithoutUAC, IsUserAdmin());
}

TEST(Privileges, BuiltInGroups) {
    // Every interactive user is in Users (545); nobody's token holds a made-up group.
    EXPECT_TRUE(IsTokenMemberOfRID(DOMAIN_ALIAS_RID_USERS));
    EXPECT_FALSE(IsTokenMemberOfRID(0x7777));
}
