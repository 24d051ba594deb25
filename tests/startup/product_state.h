// Test helpers for what the program itself keeps: its settings key, its Run values, its task
// and its single-instance mutex. Tests that touch them hold ProductStateLock, so test
// executables running at the same time in one Wine prefix don't disturb each other.
#pragma once
#include <windows.h>

#include <string>

#include "startup/utility.h"
#include "tests/common/child.h"

namespace kaltest {

inline const wchar_t kUserSettings[] = L"HKEY_CURRENT_USER\\Software\\Kalvenor";
inline const wchar_t kMachineSettings[] = L"HKEY_LOCAL_MACHINE\\Software\\Kalvenor";
inline const wchar_t kUserRun[] = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const wchar_t kMachineRun[] = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Holds the cross-process lock and clears the program's state on entry and on exit.
class ProductStateLock {
public:
    ProductStateLock();
    ~ProductStateLock();
    ProductStateLock(const ProductStateLock&) = delete;
    ProductStateLock& operator=(const ProductStateLock&) = delete;
    static void Clear();

private:
    HANDLE mutex_ = nullptr;
};

bool TaskExists(const std::wstring& path);

// Another instance of the program, as far as the single-instance check can tell: holds its mutex.
class HeldMutex {
public:
    HeldMutex() : h_(::CreateMutexW(nullptr, TRUE, kal::kSingleInstanceMutex)) {}
    ~HeldMutex() {
        if (h_) {
            ::ReleaseMutex(h_);
            ::CloseHandle(h_);
        }
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;

private:
    HANDLE h_;
};

// The built Kalvenor.exe as a Windows path.
std::wstring ProgramExe();
// A path of the build machine as the program sees it under Wine.
std::wstring WindowsPathOf(const char* unixPath);
// A fresh folder under the temporary folder (removed by RemoveFolder).
std::wstring MakeTempFolder(const std::wstring& name);
void RemoveFolder(const std::wstring& folder);
// Copies the program into `folder` under `fileName`; returns the copy's path.
std::wstring CopyProgram(const std::wstring& folder, const std::wstring& fileName);

}  // namespace kaltest
