#include "base/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "startup/globals.h"
#include "base/keyed.h"

using namespace kal;

namespace {

const std::wstring kBase = L"HKEY_CURRENT_USER\\Software\\KalvenorTests\\Registry";

// A fresh key per test, removed afterwards.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = kBase + L"\\" + Name();
        RegDeleteTree(root_, L"");
    }
    void TearDown() override {
        RegDeleteTree(root_, L"");
        gDriverClassKey.clear();
    }
    static std::wstring Name() {
        const char* n = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(n, n + std::strlen(n));
    }
    // Writes a value of any type straight through the API.
    void SetRaw(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
        std::wstring sub = path;
        HKEY hive = SplitRegPath(sub);
        HKEY k;
        ASSERT_EQ(::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr), ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        ::RegCloseKey(k);
    }
    DWORD TypeOf(const std::wstring& path, const std::wstring& name) {
        std::wstring sub = path;
        HKEY hive = SplitRegPath(sub);
        HKEY k;
        DWORD type = REG_NONE;
        if (::RegOpenKeyExW(hive, sub.c_str(), 0, KEY_QUERY_VALUE, &k) == ERROR_SUCCESS) {
            ::RegQueryValueExW(k, name.c_str(), nullptr, &type, nullptr, nullptr);
            ::RegCloseKey(k);
        }
        return type;
    }
    static std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
        std::sort(v.begin(), v.end());
        return v;
    }
    std::wstring root_;
};

Bytes Pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
}

}  // namespace

TEST_F(Registry, HiveNamesInAnyCaseAndBareHives) {
    ASSERT_TRUE(RegWrite(root_, L"v", std::wstring(L"x")));
    std::wstring lower = L"hkey_current_user" + root_.substr(17);
    EXPECT_EQ(RegReadText(lower, L"v"), L"x");
    std::wstring p = L"HKEY_USERS";
    EXPECT_EQ(SplitRegPath(p), HKEY_USERS);
    EXPECT_EQ(p, L"");
    EXPECT_TRUE(RegKeyExists(L"HKEY_USERS"));
    EXPECT_FALSE(RegEnumKeys(L"HKEY_USERS").empty());
    p = L"HKEY_LOCAL_MACHINE\\SOFTWARE";
    EXPECT_EQ(SplitRegPath(p), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(p, L"SOFTWARE");
}

TEST_F(Registry, KeyNamesCompareAsTheProgramsKeysDo) {
    // The registry upper-cases each code unit of a name with the system's own table.
    using Upcase = WCHAR(WINAPI*)(WCHAR);
    const auto upcase = reinterpret_cast<Upcase>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
    ASSERT_NE(upcase, nullptr);
    int differing = 0;
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
        const std::wstring c(1, static_cast<wchar_t>(unit)), upper(1, upcase(static_cast<wchar_t>(unit)));
        if (ToUpper(c) == upper && EqualsNoCase(c, upper)) continue;
        if (++differing <= 5) ADD_FAILURE() << "U+" << std::hex << unit;
    }
    EXPECT_EQ(differing, 0);
    for (const auto& [stored, asked] : {std::pair{L"Жук", L"жУК"}, std::pair{L"Été", L"éTÉ"}}) {
        ASSERT_TRUE(RegWrite(root_ + L"\\" + stored, L"v", std::wstring(L"x")));
        EXPECT_TRUE(RegKeyExists(root_ + L"\\" + asked));
        EXPECT_TRUE(EqualsNoCase(stored, asked));
    }
    ASSERT_TRUE(RegWrite(root_ + L"\\ı", L"v", std::wstring(L"x")));
    EXPECT_FALSE(RegKeyExists(root_ + L"\\I"));
    EXPECT_FALSE(EqualsNoCase(L"ı", L"I"));
}

TEST_F(Registry, TrailingBackslashNamesTheSameKey) {
    ASSERT_TRUE(RegWrite(root_ + L"\\", L"v", Bytes{1, 2}));
    EXPECT_EQ(RegReadBytes(root_, L"v"), (Bytes{1, 2}));
    EXPECT_EQ(RegReadBytes(root_ + L"\\", L"v"), (Bytes{1, 2}));
    EXPECT_TRUE(RegKeyExists(root_ + L"\\"));
}

TEST_F(Registry, PathsWithoutHiveResolveUnderTheDriverClassKey) {
    // A stand-in class key in the machine hive.
    const std::wstring classKey = L"SOFTWARE\\KalvenorTests\\Class\\{4D36E96C}\\0003";
    const std::wstring full = L"HKEY_LOCAL_MACHINE\\" + classKey;
    ASSERT_TRUE(RegWrite(full + L"\\Settings", L"SpeakerConfig", Bytes{6, 0, 0, 0}));
    ASSERT_TRUE(RegWrite(full, L"Driver", std::wstring(L"stxii")));
    gDriverClassKey = classKey;
    std::wstring p = L"Settings";
    EXPECT_EQ(SplitRegPath(p), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(p, classKey + L"\\Settings");
    EXPECT_EQ(RegReadBytes(L"Settings", L"SpeakerConfig"), (Bytes{6, 0, 0, 0}));
    EXPECT_EQ(RegReadText(L"", L"Driver"), L"stxii");
    EXPECT_EQ(RegEnumKeys(L""), std::vector<std::wstring>{L"Settings"});
    gDriverClassKey.clear();
    EXPECT_TRUE(RegDeleteTree(L"HKEY_LOCAL_MACHINE\\SOFTWARE", L"KalvenorTests"));
    EXPECT_FALSE(RegKeyExists(full));
}

TEST_F(Registry, ReadsAreTypedAndSetTheTextFlag) {
    const DWORD one = 1;
    SetRaw(root_, L"dword", REG_DWORD, &one, sizeof one);
    const wchar_t expand[] = L"%TEMP%";
    SetRaw(root_, L"expand", REG_EXPAND_SZ, expand, sizeof expand);
    SetRaw(root_, L"empty", REG_BINARY, nullptr, 0);
    ASSERT_TRUE(RegWrite(root_, L"text", std::wstring(L"Kalvenor \u00e9\u4e2d")));

    bool isText = true;
    EXPECT_EQ(RegRead(root_, L"dword", {}, &isText), RegValue(Bytes{1, 0, 0, 0}));
    EXPECT_FALSE(isText);
    EXPECT_EQ(RegRead(root_, L"text", {}, &isText), RegValue(std::wstring(L"Kalvenor \u00e9\u4e2d")));
    EXPECT_TRUE(isText);
    auto e = RegReadBytes(root_, L"expand");
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->size(), sizeof expand);
    // A zero-length value is an empty byte array, and the default is not applied.
    EXPECT_EQ(RegRead(root_, L"empty", std::uint8_t{7}), RegValue(Bytes{}));

    isText = true;
    EXPECT_FALSE(RegRead(root_, L"missing", {}, &isText).has_value());
    EXPECT_TRUE(isText);  // untouched when nothing was read
    EXPECT_FALSE(RegRead(root_ + L"\\NoKey", L"text").has_value());
}

TEST_F(Registry, DefaultsApplyOnlyWhenNothingIsRead) {
    EXPECT_EQ(RegRead(root_, L"missing", std::wstring()), RegValue(std::wstring()));
    EXPECT_EQ(RegRead(root_, L"missing", std::uint8_t{0}), RegValue(Bytes{0}));
    EXPECT_EQ(RegRead(root_, L"missing", std::uint8_t{1}), RegValue(Bytes{1}));
    EXPECT_EQ(RegRead(root_, L"missing", Bytes{9, 8}), RegValue(Bytes{9, 8}));
    ASSERT_TRUE(RegWrite(root_, L"present", Bytes{5}));
    EXPECT_EQ(RegRead(root_, L"present", Bytes{9, 8}), RegValue(Bytes{5}));
}

TEST_F(Registry, TextAndBinaryValuesOfAnySizeRoundTrip) {
    for (std::size_t n : {1u, 4u, 40u, 128u, 509u, 510u, 511u, 4096u, 70000u}) {
        ASSERT_TRUE(RegWrite(root_, L"bin", Pattern(n)));
        EXPECT_EQ(RegReadBytes(root_, L"bin"), Pattern(n)) << n;
    }
    for (std::size_t n : {0u, 254u, 255u, 2000u}) {
        const std::wstring text(n, L'p');
        ASSERT_TRUE(RegWrite(root_, L"txt", text));
        EXPECT_EQ(RegReadText(root_, L"txt"), text) << n;  // no trailing NUL either
    }
    EXPECT_EQ(TypeOf(root_, L"txt"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TypeOf(root_, L"bin"), static_cast<DWORD>(REG_BINARY));
}

TEST_F(Registry, WriteThatFailsIsReportedAsNotDone) {
    const std::wstring tooLong(300, L'k');
    EXPECT_FALSE(RegWrite(root_ + L"\\" + tooLong, L"v", Bytes{1}));
    EXPECT_FALSE(RegKeyExists(root_ + L"\\" + tooLong));
    EXPECT_FALSE(RegRead(root_ + L"\\" + tooLong, L"v").has_value());
}

TEST_F(Registry, EnumeratesNamesOfKeysAndValues) {
    EXPECT_TRUE(RegEnumKeys(root_).empty());
    EXPECT_TRUE(RegEnumValues(root_).empty());
    const std::wstring longName(3000, L'n');
    for (const std::wstring& name : {std::wstring(L"b"), std::wstring(L"a"), std::wstring(), longName})
        ASSERT_TRUE(RegWrite(root_, name, Bytes{1}));
    for (const wchar_t* k : {L"Zeta", L"alpha", L"Mid"}) ASSERT_TRUE(RegWrite(root_ + L"\\" + k, L"v", Bytes{1}));
    EXPECT_EQ(Sorted(RegEnumValues(root_)), Sorted({L"", L"a", L"b", longName}));
    EXPECT_EQ(Sorted(RegEnumKeys(root_)), Sorted({L"Mid", L"Zeta", L"alpha"}));
}

TEST_F(Registry, DeletesValuesKeysAndTrees) {
    ASSERT_TRUE(RegWrite(root_ + L"\\a\\b\\c", L"deep", Bytes{1}));
    ASSERT_TRUE(RegWrite(root_ + L"\\a\\b", L"mid", std::wstring(L"m")));
    ASSERT_TRUE(RegWrite(root_ + L"\\a", L"top", Bytes{2}));
    ASSERT_TRUE(RegWrite(root_ + L"\\keep", L"v", Bytes{3}));

    EXPECT_TRUE(RegDeleteValue(root_ + L"\\a", L"top"));
    EXPECT_FALSE(RegRead(root_ + L"\\a", L"top").has_value());
    EXPECT_FALSE(RegDeleteValue(root_ + L"\\a", L"top"));

    EXPECT_FALSE(RegDeleteKey(root_, L"a"));  // still has subkeys
    EXPECT_TRUE(RegKeyExists(root_ + L"\\a\\b\\c"));

    EXPECT_TRUE(RegDeleteTree(root_, L"a"));
    EXPECT_FALSE(RegKeyExists(root_ + L"\\a"));
    EXPECT_TRUE(RegKeyExists(root_ + L"\\keep"));

    EXPECT_TRUE(RegDeleteKey(root_ + L"\\keep", L""));  // the key itself
    EXPECT_FALSE(RegKeyExists(root_ + L"\\keep"));
    EXPECT_TRUE(RegKeyExists(root_));
    EXPECT_FALSE(RegDeleteKey(L"HKEY_CURRENT_USER", L""));
}

// Inside a scope keys stay open between calls; every read and write must still act on the key
// as it is now: made after a failed read, written from elsewhere, deleted and made again.
TEST_F(Registry, KeysKeptInAScopeActAsKeysOpenedAnew) {
    const std::wstring key = root_ + L"\\Kept";
    const auto readByte = [&key](const wchar_t* name) -> int {
        const auto v = RegReadBytes(key, name);
        return v && v->size() == 1 ? (*v)[0] : -1;
    };
    {
        RegistryKeyScope scope;
        EXPECT_EQ(readByte(L"a"), -1);  // no key yet
        ASSERT_TRUE(RegWrite(key, L"a", Bytes{1}));
        EXPECT_EQ(readByte(L"a"), 1);
        const std::uint8_t two = 2;
        SetRaw(key, L"a", REG_BINARY, &two, 1);  // written through another handle
        EXPECT_EQ(readByte(L"a"), 2);
        {
            RegistryKeyScope inner;
            ASSERT_TRUE(RegWrite(key + L"\\", L"b", Bytes{3}));
            EXPECT_EQ(readByte(L"b"), 3);
        }
        EXPECT_EQ(readByte(L"b"), 3);
        EXPECT_EQ(RegEnumValues(key).size(), 2u);

        // Deleted and made again: the new key's values, and writes that land in it.
        ASSERT_TRUE(RegDeleteTree(root_, L"Kept"));
        EXPECT_EQ(readByte(L"a"), -1);
        ASSERT_TRUE(RegWrite(key, L"c", Bytes{4}));
        EXPECT_EQ(readByte(L"c"), 4);
        EXPECT_EQ(TypeOf(key, L"c"), static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(readByte(L"b"), -1);

        // A removed key stays removed for kept keys too.
        SealRegistryKey(key);
        EXPECT_FALSE(RegWrite(key, L"c", Bytes{5}));
        SealRegistryKey(L"");
        EXPECT_EQ(readByte(L"c"), 4);
    }
    // Once the scope is gone, a key deleted elsewhere reads as deleted.
    std::wstring sub = key;
    const HKEY hive = SplitRegPath(sub);
    ASSERT_EQ(::RegDeleteKeyW(hive, sub.c_str()), ERROR_SUCCESS);
    EXPECT_FALSE(RegKeyExists(key));
    EXPECT_EQ(readByte(L"c"), -1);
}

TEST_F(Registry, KeptKeyDeletedAndMadeAgainByAnotherProgramIsOpenedAnew) {
    const std::wstring key = root_ + L"\\Elsewhere";
    std::wstring sub = key;
    const HKEY hive = SplitRegPath(sub);
    // What regedit or an import does between two calls: the key goes, with its subkey, and
    // (unless `gone`) comes back holding value "a" = `a` and subkey "New".
    const auto remake = [&](std::uint8_t a, bool gone = false) {
        ::RegDeleteKeyW(hive, (sub + L"\\New").c_str());
        ASSERT_EQ(::RegDeleteKeyW(hive, sub.c_str()), ERROR_SUCCESS);
        if (gone) return;
        SetRaw(key, L"a", REG_BINARY, &a, 1);
        SetRaw(key + L"\\New", L"x", REG_BINARY, &a, 1);
    };
    ASSERT_TRUE(RegWrite(key, L"a", Bytes{1}));
    RegistryKeyScope scope;
    ASSERT_EQ(RegReadBytes(key, L"a"), Bytes{1});  // kept for reading from here on
    ASSERT_TRUE(RegWrite(key, L"w", Bytes{1}));    // and for writing

    // The platform answers through a handle of the deleted key with ERROR_KEY_DELETED.
    HKEY stale = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(hive, sub.c_str(), 0, KEY_READ, &stale), ERROR_SUCCESS);
    remake(2);
    DWORD size = 0;
    EXPECT_EQ(::RegQueryValueExW(stale, L"a", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    ::RegCloseKey(stale);

    EXPECT_EQ(RegReadBytes(key, L"a"), Bytes{2});
    remake(3);
    EXPECT_EQ(RegReadValues(key).size(), 1u);
    remake(4);
    EXPECT_EQ(RegEnumValues(key), std::vector<std::wstring>{L"a"});
    remake(5);
    EXPECT_EQ(RegEnumKeys(key), std::vector<std::wstring>{L"New"});
    remake(6);
    EXPECT_EQ(RegEnumSubkeys(key).size(), 1u);
    remake(7);
    ASSERT_TRUE(RegWrite(key, L"w", Bytes{7}));
    EXPECT_EQ(TypeOf(key, L"w"), static_cast<DWORD>(REG_BINARY));  // in the key that stands now

    // Deleted for good: it reads as missing, and a write makes it again as any write would.
    remake(0, true);
    EXPECT_FALSE(RegKeyExists(key));
    EXPECT_FALSE(RegReadBytes(key, L"a"));
    EXPECT_TRUE(RegEnumValues(key).empty());
    ASSERT_TRUE(RegWrite(key, L"w", Bytes{8}));
    EXPECT_EQ(TypeOf(key, L"w"), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(RegReadBytes(key, L"w"), Bytes{8});
}

TEST_F(Registry, MoveCarriesTheWholeTreeLosslessly) {
    const std::wstring src = root_ + L"\\Machine\\Kalvenor", dst = root_ + L"\\User\\Kalvenor";
    const DWORD dword = 0x01020304;
    SetRaw(src, L"dw", REG_DWORD, &dword, sizeof dword);
    const wchar_t multi[] = L"one\0two\0";
    SetRaw(src, L"multi", REG_MULTI_SZ, multi, sizeof multi);
    ASSERT_TRUE(RegWrite(src, L"text", std::wstring(L"hello")));
    ASSERT_TRUE(RegWrite(src, L"icon", std::wstring(600, L'c')));
    ASSERT_TRUE(RegWrite(src + L"\\Profiles\\Music", L"SpeakerConfig", Bytes{6, 0, 0, 0}));
    ASSERT_TRUE(RegWrite(src + L"\\Profiles\\Music", L"VSpeakerPos", Pattern(128)));
    ASSERT_TRUE(RegWrite(src + L"\\Profiles\\Big", L"blob", Pattern(5000)));
    ASSERT_TRUE(RegWrite(src + L"\\Profiles\\Big", L"zero", Bytes{}));
    ASSERT_TRUE(RegWrite(src + L"\\Presets\\EQ\\Empty\\Deeper", L"x", Bytes{1}));
    ASSERT_TRUE(RegDeleteValue(src + L"\\Presets\\EQ\\Empty\\Deeper", L"x"));  // keys with no values

    EXPECT_TRUE(MoveRegistryTree(src, dst));

    EXPECT_FALSE(RegKeyExists(src));
    EXPECT_EQ(TypeOf(dst, L"dw"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(RegReadBytes(dst, L"dw"), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(TypeOf(dst, L"multi"), static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(RegReadBytes(dst, L"multi")->size(), sizeof multi);
    EXPECT_EQ(RegReadText(dst, L"text"), L"hello");
    EXPECT_EQ(RegReadText(dst, L"icon"), std::wstring(600, L'c'));
    EXPECT_EQ(RegReadBytes(dst + L"\\Profiles\\Music", L"VSpeakerPos"), Pattern(128));
    EXPECT_EQ(RegReadBytes(dst + L"\\Profiles\\Big", L"blob"), Pattern(5000));
    EXPECT_EQ(RegReadBytes(dst + L"\\Profiles\\Big", L"zero"), Bytes{});
    EXPECT_TRUE(RegKeyExists(dst + L"\\Presets\\EQ\\Empty\\Deeper"));
    EXPECT_EQ(Sorted(RegEnumKeys(dst + L"\\Profiles")), Sorted({L"Big", L"Music"}));
}

// Inside a scope, a kept subkey of the source that another program deleted and made again:
// the move reads the source as it stands.
TEST_F(Registry, MoveInAScopeReadsASubkeyMadeAgainByAnotherProgram) {
    const std::wstring src = root_ + L"\\Src", dst = root_ + L"\\Dst", other = root_ + L"\\Other";
    ASSERT_TRUE(RegWrite(other, L"o", Bytes{1}));
    ASSERT_TRUE(RegWrite(src, L"a", Bytes{1}));
    ASSERT_TRUE(RegWrite(src + L"\\Sub", L"b", Bytes{2}));
    RegistryKeyScope scope;
    ASSERT_EQ(RegReadBytes(other, L"o"), Bytes{1});  // kept keys from here on
    ASSERT_EQ(RegReadBytes(src + L"\\Sub", L"b"), Bytes{2});
    std::wstring sub = src + L"\\Sub";
    const HKEY hive = SplitRegPath(sub);
    ASSERT_EQ(::RegDeleteKeyW(hive, sub.c_str()), ERROR_SUCCESS);
    const std::uint8_t three = 3;
    SetRaw(src + L"\\Sub", L"b", REG_BINARY, &three, 1);

    EXPECT_TRUE(MoveRegistryTree(src, dst));
    EXPECT_EQ(RegReadBytes(dst, L"a"), Bytes{1});
    EXPECT_EQ(RegReadBytes(dst + L"\\Sub", L"b"), Bytes{3});
    EXPECT_FALSE(RegKeyExists(src));
}

TEST_F(Registry, MoveIntoAnExistingDestinationMovesNothing) {
    const std::wstring src = root_ + L"\\Src", dst = root_ + L"\\Dst";
    ASSERT_TRUE(RegWrite(src, L"a", Bytes{1}));
    ASSERT_TRUE(RegWrite(dst, L"b", Bytes{2}));
    EXPECT_FALSE(MoveRegistryTree(src, dst));
    EXPECT_EQ(RegReadBytes(src, L"a"), Bytes{1});
    EXPECT_FALSE(RegRead(dst, L"a").has_value());
    EXPECT_FALSE(MoveRegistryTree(root_ + L"\\Missing", root_ + L"\\Elsewhere"));
    EXPECT_FALSE(RegKeyExists(root_ + L"\\Elsewhere"));
}

TEST_F(Registry, MoveThatCannotWriteKeepsTheSource) {
    const std::wstring src = root_ + L"\\Src";
    ASSERT_TRUE(RegWrite(src, L"a", Bytes{1}));
    ASSERT_TRUE(RegWrite(src + L"\\Sub", L"b", Bytes{2}));
    // A destination whose name the registry refuses: the copy fails, the source stays whole.
    const std::wstring dst = root_ + L"\\Dst\\" + std::wstring(300, L'k');
    EXPECT_FALSE(MoveRegistryTree(src, dst));
    EXPECT_EQ(RegReadBytes(src, L"a"), Bytes{1});
    EXPECT_EQ(RegReadBytes(src + L"\\Sub", L"b"), Bytes{2});
    EXPECT_FALSE(RegKeyExists(dst));
}
