#include "tests/common/child.h"

#include <algorithm>

#include "base/registry.h"

namespace kaltest {

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

ChildRun RunChild(const std::wstring& exe, const std::wstring& arguments, const ChildOptions& options) {
    ChildRun run;
    // No application name: the quoted first word names the program, so a bare file name is
    // looked up on the search path.
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        options.token ? ::CreateProcessAsUserW(options.token, nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                               options.creationFlags, nullptr, nullptr, &si, &pi)
                      : ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, options.creationFlags,
                                         nullptr, nullptr, &si, &pi);
    if (!started) return run;
    ::CloseHandle(pi.hThread);
    const DWORD start = ::GetTickCount();
    std::vector<HWND> answered;
    for (;;) {
        if (::WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) {
            run.finished = true;
            break;
        }
        if (::GetTickCount() - start > options.timeoutMs) {
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

void SetWineVersionFor(const std::wstring& exeFileName, const wchar_t* version) {
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\" + exeFileName;
    if (version) kal::RegWrite(key, L"Version", std::wstring(version));
    else kal::RegDeleteTree(key, L"");
}

std::wstring OwnExecutable() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace kaltest
