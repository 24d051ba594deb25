// The simulated program started as a child process, for the benchmarks that act on it from
// outside as the shell or a user does, and the search for its windows.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "base/raii.h"

namespace kal::bench {

// The simulated program built beside the benchmarks, or `given` (a Unix or Windows path).
inline std::wstring SimProgramPath(const char* given = nullptr) {
    const std::string unixPath = given ? given : KALVENOR_SIM_EXE;
    std::wstring path(unixPath.begin(), unixPath.end());
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

struct Child {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD id = 0;
};

// Starts `program`; nothing (and a line naming the benchmark `what`) when it can't.
inline std::optional<Child> StartChild(const std::wstring& program, const char* what) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        std::fprintf(stderr, "%s: can't start %ls\n", what, program.c_str());
        return std::nullopt;
    }
    return Child{UniqueHandle(info.hProcess), UniqueHandle(info.hThread), info.dwProcessId};
}

using WindowTest = std::function<bool(HWND window, const std::wstring& cls, const std::wstring& caption)>;

struct WindowSearch {
    DWORD id;
    const WindowTest& accept;
    HWND found;
};

inline BOOL CALLBACK SearchChildWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->id) return TRUE;
    wchar_t cls[32] = {}, caption[64] = {};
    ::GetClassNameW(window, cls, 32);
    ::GetWindowTextW(window, caption, 64);
    if (!search->accept(window, cls, caption)) return TRUE;
    search->found = window;
    return FALSE;
}

// The first top-level window of process `id` that `accept` takes; null when none does.
inline HWND FindChildWindow(DWORD id, const WindowTest& accept) {
    WindowSearch search{id, accept, nullptr};
    ::EnumWindows(&SearchChildWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The hidden main form's window of process `id`.
inline HWND FindMainForm(DWORD id) {
    return FindChildWindow(id, [](HWND, const std::wstring&, const std::wstring& caption) {
        return caption == L"Kalvenor Main Form";
    });
}

}  // namespace kal::bench
