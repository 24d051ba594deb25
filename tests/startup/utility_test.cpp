#include "startup/utility.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/dyncalls.h"
#include "tests/common/window_probes.h"
#include "tests/startup/product_state.h"

using namespace kal;

TEST(Utility, ApiPresenceNeverLoadsTheModule) {
    EXPECT_TRUE(IsApiAvailable(L"kernel32", "GetTickCount"));
    EXPECT_FALSE(IsApiAvailable(L"kernel32", "NoSuchFunctionAnywhere"));
    ASSERT_EQ(::GetModuleHandleW(L"msi.dll"), nullptr);
    EXPECT_FALSE(IsApiAvailable(L"msi.dll", "MsiOpenPackageW"));
    EXPECT_EQ(::GetModuleHandleW(L"msi.dll"), nullptr);
}

TEST(Utility, OptionalFunctionsResolveFromTheirOwnLibrary) {
    // Of a loaded library: found without loading anything.
    EXPECT_EQ(reinterpret_cast<void*>(dyn::IsWow64Process()),
              reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    EXPECT_NE(dyn::ChangeWindowMessageFilter(), nullptr);
    // Of a library loaded by the first use (if no earlier test did): loaded then, and the same
    // function every time.
    const auto close = dyn::InternetCloseHandle();
    const HMODULE wininet = ::GetModuleHandleW(L"wininet.dll");
    ASSERT_NE(wininet, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(close), reinterpret_cast<void*>(::GetProcAddress(wininet, "InternetCloseHandle")));
    EXPECT_EQ(dyn::InternetCloseHandle(), close);
}

TEST(Utility, SingleInstanceMutex) {
    kaltest::ProductStateLock lock;
    {
        HANDLE other = ::CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
        ASSERT_NE(other, nullptr);
        EXPECT_TRUE(IsAlreadyRunning());
        ReleaseSingleInstanceMutex();
        ::CloseHandle(other);
    }
    EXPECT_FALSE(IsAlreadyRunning());
    EXPECT_NE(gMutexHandle.get(), nullptr);
    ReleaseSingleInstanceMutex();
    EXPECT_EQ(gMutexHandle.get(), nullptr);

    // An owner that ends releases and closes its mutex: the name is gone with the last handle.
    const wchar_t* name = L"KalvenorTestOwnedMutex";
    {
        SingleInstanceMutex owner;
        EXPECT_EQ(owner.Create(name), static_cast<DWORD>(ERROR_SUCCESS));
        HANDLE seen = ::OpenMutexW(SYNCHRONIZE, FALSE, name);
        ASSERT_NE(seen, nullptr);
        ::CloseHandle(seen);
    }
    EXPECT_EQ(::OpenMutexW(SYNCHRONIZE, FALSE, name), nullptr);
}

TEST(Utility, TempFolderEndsWithBackslash) {
    const std::wstring t = GetTempFolder();
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.back(), L'\\');
    EXPECT_NE(t.substr(t.size() - 2), L"\\\\");
    EXPECT_NE(::GetFileAttributesW(t.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Utility, DeleteFileRetryWaitsForALockedFile) {
    const std::wstring path = GetTempFolder() + L"kalvenor-startup-locked.tmp";
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::thread releaser([h] {
        ::Sleep(350);
        ::CloseHandle(h);
    });
    const DWORD start = ::GetTickCount();
    DeleteFileRetry(path);
    const DWORD took = ::GetTickCount() - start;
    releaser.join();
    EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 3000u);
}

TEST(Utility, DeleteFileRetryOfAMissingFileReturnsAtOnce) {
    const DWORD start = ::GetTickCount();
    DeleteFileRetry(GetTempFolder() + L"kalvenor-startup-never-there.tmp");
    EXPECT_LT(::GetTickCount() - start, 100u);
}

TEST(Utility, FindProcessIdByFileName) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name = self;
    name = name.substr(name.find_last_of(L'\\') + 1);
    for (auto& c : name) c = static_cast<wchar_t>(::towupper(c));
    EXPECT_EQ(FindProcessId(name), ::GetCurrentProcessId());
    EXPECT_EQ(FindProcessIdPreferringSession(name), ::GetCurrentProcessId());
    EXPECT_EQ(FindProcessId(L"kalvenor-no-such-process.exe"), 0u);
    EXPECT_EQ(FindProcessId(name.substr(1)), 0u);  // a part of the name is not the name

    // Every process of a snapshot is found under its name as the first of that name in the
    // snapshot's order (processes that end meanwhile aside).
    std::vector<std::pair<std::wstring, DWORD>> listed;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry))
        listed.emplace_back(entry.szExeFile, entry.th32ProcessID);
    ::CloseHandle(snapshot);
    ASSERT_GT(listed.size(), 2u);
    for (const auto& [file, id] : listed) {
        if (id == 0) continue;  // the idle process has no name to look for
        const auto first = std::find_if(listed.begin(), listed.end(), [&](const auto& other) {
            return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, other.first.c_str(), -1, file.c_str(), -1) ==
                   CSTR_EQUAL;
        });
        EXPECT_EQ(FindProcessId(file), first->second) << std::string(file.begin(), file.end());
    }
}

TEST(Utility, LiveProfileNameIsDigitsAndSuffix) {
    const std::wstring name = NewLiveProfileName();
    ASSERT_GT(name.size(), 5u);
    EXPECT_EQ(name.substr(name.size() - 5), L"~Live");
    for (std::size_t i = 0; i + 5 < name.size(); ++i) EXPECT_TRUE(iswdigit(name[i])) << name;
    EXPECT_EQ(DecimalSeparator().size(), 1u);
}

TEST(Utility, OperatingSystemCaption) {
    EXPECT_EQ(GetOSCaption().rfind(L"Microsoft Windows", 0), 0u);
}

namespace {

struct ComboHost {
    HWND parent = nullptr;
    HWND combo = nullptr;
    static inline int selChanges = 0;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_COMMAND && HIWORD(w) == CBN_SELCHANGE) ++selChanges;
        return ::DefWindowProcW(h, m, w, l);
    }
    ComboHost() {
        parent = kal::testing::CreateProcWindow(L"KalvenorTestsComboHost", Proc, WS_OVERLAPPED, 200, 200);
        combo = ::CreateWindowW(L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, parent,
                                reinterpret_cast<HMENU>(42), ::GetModuleHandleW(nullptr), nullptr);
    }
    ~ComboHost() { ::DestroyWindow(parent); }
    void Add(const wchar_t* text, LPARAM data) {
        const auto i = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), data);
    }
    LRESULT Selected() const { return ::SendMessageW(combo, CB_GETCURSEL, 0, 0); }
};

}  // namespace

TEST(Utility, SelectComboItemData) {
    ComboHost host;
    ASSERT_NE(host.combo, nullptr);
    EXPECT_FALSE(SelectComboItemData(host.combo, 5));  // no entries: nothing selected
    EXPECT_EQ(host.Selected(), CB_ERR);
    host.Add(L"a", 10);
    host.Add(L"b", 20);
    host.Add(L"c", 20);
    ComboHost::selChanges = 0;
    EXPECT_TRUE(SelectComboItemData(host.combo, 20));
    EXPECT_EQ(host.Selected(), 1);
    EXPECT_EQ(ComboHost::selChanges, 1);  // the owner hears of it as of a user's choice
    EXPECT_FALSE(SelectComboItemData(host.combo, 99));
    EXPECT_EQ(host.Selected(), 0);
}

TEST(Utility, WindowStyleBitAndRedrawLock) {
    ComboHost host;
    SetWindowStyleBit(host.parent, true, WS_BORDER);
    EXPECT_TRUE(::GetWindowLongW(host.parent, GWL_STYLE) & WS_BORDER);
    SetWindowStyleBit(host.parent, false, WS_BORDER);
    EXPECT_FALSE(::GetWindowLongW(host.parent, GWL_STYLE) & WS_BORDER);
    HWND label = ::CreateWindowW(L"STATIC", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, host.parent, nullptr,
                                 nullptr, nullptr);
    // Drawing is off while the window's visible bit is cleared.
    LockRedraw(label, true);
    EXPECT_FALSE(::GetWindowLongW(label, GWL_STYLE) & WS_VISIBLE);
    LockRedraw(label, false);
    EXPECT_TRUE(::GetWindowLongW(label, GWL_STYLE) & WS_VISIBLE);
}

TEST(Utility, CommonControlsRegistered) {
    EXPECT_TRUE(InitCommonControlsXP());
    WNDCLASSW wc;
    EXPECT_TRUE(::GetClassInfoW(nullptr, L"SysListView32", &wc));
    EXPECT_TRUE(::GetClassInfoW(nullptr, L"msctls_trackbar32", &wc));
}
