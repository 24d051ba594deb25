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

// One job for every child of this process, closed only with the process: when a test process is
// ended from outside (a timeout of the test runner), its children end with it instead of going
// on in the shared prefix beside the tests that come next.
HANDLE ChildrenJob() {
    static const HANDLE job = [] {
        HANDLE made = ::CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made && !::SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            ::CloseHandle(made);
            made = nullptr;
        }
        return made;
    }();
    return job;
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
    // Started suspended so that it is in the job before it can start children of its own.
    const DWORD flags = options.creationFlags | CREATE_SUSPENDED;
    const BOOL started =
        options.token ? ::CreateProcessAsUserW(options.token, nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                               flags, nullptr, nullptr, &si, &pi)
                      : ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                         nullptr, &si, &pi);
    if (!started) return run;
    if (HANDLE job = ChildrenJob()) ::AssignProcessToJobObject(job, pi.hProcess);
    if (!(options.creationFlags & CREATE_SUSPENDED)) ::ResumeThread(pi.hThread);
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
        if (!options.answerBoxes) continue;
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

std::optional<ChildRun> RunChildLimited(const std::wstring& exe, const std::wstring& arguments, ChildOptions options) {
    HANDLE own = nullptr, limited = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &own) &&
        ::GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size))
        ::DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &limited);
    std::optional<ChildRun> run;
    if (limited) {
        options.token = limited;
        run = RunChild(exe, arguments, options);
        ::CloseHandle(limited);
    }
    if (linked.LinkedToken) ::CloseHandle(linked.LinkedToken);
    if (own) ::CloseHandle(own);
    return run;
}

bool WithUacSwitchedOn(const std::function<void()>& body) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0,
                          nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_DWORD, size = 0;
    std::optional<std::vector<BYTE>> saved;
    if (::RegQueryValueExW(key, L"EnableLUA", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        saved.emplace(size);
        ::RegQueryValueExW(key, L"EnableLUA", nullptr, &type, saved->data(), &size);
    }
    // Put back whatever happens in the body.
    struct Restore {
        HKEY key;
        const std::optional<std::vector<BYTE>>& saved;
        DWORD type;
        ~Restore() {
            if (saved)
                ::RegSetValueExW(key, L"EnableLUA", 0, type, saved->data(), static_cast<DWORD>(saved->size()));
            else
                ::RegDeleteValueW(key, L"EnableLUA");
            ::RegCloseKey(key);
        }
    } restore{key, saved, type};
    const DWORD on = 1;
    ::RegSetValueExW(key, L"EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    body();
    return true;
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
