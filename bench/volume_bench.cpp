// How long a left click on the tray icon takes to show the volume pop-up: the simulated program
// runs as a child process, the click is posted to its tray window as the shell posts it, and the
// time until the pop-up's window is visible is taken over 20 openings. The program waits 75 ms
// for a possible double click before it opens the pop-up; the target is that plus 50 ms.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "base/raii.h"
#include "tray/balloons.h"
#include "tray/mainform.h"

using kal::bench::NowMs;

namespace {

constexpr int kOpenings = 20;
constexpr double kTargetMs = 75 + 50;

std::wstring ProgramPath() {
    const std::string unixPath = KALVENOR_SIM_EXE;
    std::wstring path(unixPath.begin(), unixPath.end());
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

struct Search {
    DWORD process;
    bool visible;  // the pop-up (visible) or the hidden main form
    HWND found;
};

BOOL CALLBACK FindFormWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t cls[32] = {}, caption[64] = {};
    ::GetClassNameW(window, cls, 32);
    ::GetWindowTextW(window, caption, 64);
    if (owner != search->process || std::wstring(cls) != L"KalvenorForm") return TRUE;
    const bool main = std::wstring(caption) == L"Kalvenor Main Form";
    if (search->visible ? (!main && ::IsWindowVisible(window)) : main) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindForm(DWORD process, bool visiblePopup) {
    Search search{process, visiblePopup, nullptr};
    ::EnumWindows(&FindFormWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Posts the click and waits for the pop-up; its window, or null after `timeoutMs`.
HWND ClickAndWait(HWND main, DWORD process, double timeoutMs, double& elapsedMs) {
    const double start = NowMs();
    ::PostMessageW(main, kal::kTrayCallbackMessage, 0, WM_LBUTTONUP);
    for (;;) {
        if (HWND popup = FindForm(process, true)) {
            elapsedMs = NowMs() - start;
            return popup;
        }
        if (NowMs() - start > timeoutMs) return nullptr;
        ::Sleep(1);
    }
}

void ClosePopup(HWND popup) {
    ::PostMessageW(popup, WM_CLOSE, 0, 0);
    for (int i = 0; i < 2000 && ::IsWindow(popup); ++i) ::Sleep(1);
    ::Sleep(150);
}

}  // namespace

int main() {
    const std::wstring program = ProgramPath();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        std::fprintf(stderr, "volume pop-up: can't start %ls\n", program.c_str());
        return 1;
    }
    kal::UniqueHandle process(info.hProcess);
    kal::UniqueHandle thread(info.hThread);

    HWND main = nullptr;
    for (int i = 0; i < 600 && !(main = FindForm(info.dwProcessId, false)); ++i) ::Sleep(50);
    // The first opening also waits for the program to finish its start-up; it is not counted.
    HWND popup = nullptr;
    double elapsed = 0;
    for (int i = 0; main && i < 20 && !popup; ++i) popup = ClickAndWait(main, info.dwProcessId, 1000, elapsed);
    if (!popup) {
        std::fprintf(stderr, "volume pop-up: it never opened\n");
        ::TerminateProcess(process.get(), 1);
        return 1;
    }
    ClosePopup(popup);

    std::vector<double> times;
    for (int i = 0; i < kOpenings; ++i) {
        popup = ClickAndWait(main, info.dwProcessId, 5000, elapsed);
        if (!popup) break;
        times.push_back(elapsed);
        ClosePopup(popup);
    }
    ::PostMessageW(main, WM_COMMAND, kal::kMenuClose, 0);
    if (::WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 1);
    if (times.size() != kOpenings) {
        std::fprintf(stderr, "volume pop-up: opened only %zu of %d times\n", times.size(), kOpenings);
        return 1;
    }
    kal::bench::PrintMedian(L"volume pop-up, tray click to visible", times, kTargetMs);
    return 0;
}
