// Test helpers for what the program itself keeps: its settings key, its Run values, its task
// and its single-instance mutex. Tests that touch them hold ProductStateLock, so test
// executables running at the same time in one Wine prefix don't disturb each other.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

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

// A message box that a child process showed.
struct SeenBox {
    std::wstring caption;
    std::wstring text;
};

struct ChildRun {
    DWORD exitCode = 0xFFFFFFFF;
    bool finished = false;
    std::vector<SeenBox> boxes;  // each was answered with OK
};

// Starts `exe` with `arguments` (optionally with `token`) and waits up to `timeoutMs`; any
// message box it shows is recorded and closed. A child still running at the timeout is ended.
ChildRun RunChild(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs = 30000,
                  HANDLE token = nullptr);

// The built Kalvenor.exe as a Windows path.
std::wstring ProgramExe();
// A fresh folder under the temporary folder (removed by RemoveFolder).
std::wstring MakeTempFolder(const std::wstring& name);
void RemoveFolder(const std::wstring& folder);
// Copies the program into `folder` under `fileName`; returns the copy's path.
std::wstring CopyProgram(const std::wstring& folder, const std::wstring& fileName);

// Sets or removes the Windows version that Wine reports to programs of that file name.
void SetWineVersionFor(const std::wstring& exeFileName, const wchar_t* version);

}  // namespace kaltest
