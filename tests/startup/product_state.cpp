#include "tests/startup/product_state.h"

#include <algorithm>

#include "startup/autostart.h"
#include "startup/registry.h"
#include "startup/utility.h"

namespace kaltest {

using namespace kal;

ProductStateLock::ProductStateLock() {
    mutex_ = ::CreateMutexW(nullptr, FALSE, L"KalvenorTests.ProductState");
    if (mutex_) ::WaitForSingleObject(mutex_, 10 * 60 * 1000);
    Clear();
}

ProductStateLock::~ProductStateLock() {
    Clear();
    if (mutex_) {
        ::ReleaseMutex(mutex_);
        ::CloseHandle(mutex_);
    }
}

void ProductStateLock::Clear() {
    RegDeleteTree(kUserSettings, L"");
    RegDeleteTree(kMachineSettings, L"");
    RegDeleteValue(kUserRun, L"Kalvenor");
    RegDeleteValue(kMachineRun, L"Kalvenor");
    RemoveTask(kTaskPath);
}

bool TaskExists(const std::wstring& path) {
    const auto root = GetTaskSchedulerRoot();
    if (!root) return false;
    Microsoft::WRL::ComPtr<IRegisteredTask> task;
    BSTR p = ::SysAllocString(path.c_str());
    const HRESULT hr = root->GetTask(p, task.GetAddressOf());
    ::SysFreeString(p);
    return SUCCEEDED(hr);
}

namespace {

struct BoxSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectBoxes(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (pid == search->pid && std::wstring(cls) == L"#32770" && ::IsWindowVisible(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM param) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (std::wstring(cls) == L"Static") {
        wchar_t text[512] = {};
        ::GetWindowTextW(hwnd, text, 512);
        auto* out = reinterpret_cast<std::wstring*>(param);
        if (text[0]) *out += text;
    }
    return TRUE;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 512);
    return text;
}

}  // namespace

ChildRun RunChild(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs, HANDLE token) {
    ChildRun run;
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        token ? ::CreateProcessAsUserW(token, exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                       nullptr, &si, &pi)
              : ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                 &pi);
    if (!started) return run;
    ::CloseHandle(pi.hThread);
    const DWORD start = ::GetTickCount();
    std::vector<HWND> answered;
    for (;;) {
        if (::WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) {
            run.finished = true;
            break;
        }
        if (::GetTickCount() - start > timeoutMs) {
            ::TerminateProcess(pi.hProcess, 0xDEAD);
            ::WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        BoxSearch search{pi.dwProcessId, {}};
        ::EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&search));
        for (HWND box : search.found) {
            if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
            SeenBox seen{WindowText(box), {}};
            ::EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&seen.text));
            run.boxes.push_back(seen);
            answered.push_back(box);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }
    ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
    ::CloseHandle(pi.hProcess);
    return run;
}

std::wstring ProgramExe() {
    std::string unixPath = KALVENOR_EXE_PATH;
    std::wstring path(unixPath.begin(), unixPath.end());
    // Wine reaches the host's file system through drive Z:.
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring MakeTempFolder(const std::wstring& name) {
    const std::wstring folder = GetTempFolder() + name;
    RemoveFolder(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") ::DeleteFileW((folder + L"\\" + name).c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

std::wstring CopyProgram(const std::wstring& folder, const std::wstring& fileName) {
    const std::wstring copy = folder + L"\\" + fileName;
    ::CopyFileW(ProgramExe().c_str(), copy.c_str(), FALSE);
    return copy;
}

void SetWineVersionFor(const std::wstring& exeFileName, const wchar_t* version) {
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\" + exeFileName;
    if (version) RegWrite(key, L"Version", std::wstring(version));
    else RegDeleteTree(key, L"");
}

}  // namespace kaltest
