// How long a left click on the tray icon takes to show the volume pop-up: the simulated program
// runs as a child process, the click is posted to its tray window as the shell posts it, and the
// time until the pop-up's window is visible is taken over 20 openings. The program waits 75 ms
// for a possible double click before it opens the pop-up; the target is that plus 50 ms.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/benchchild.h"
#include "bench/benchclock.h"
#include "tray/balloons.h"
#include "tray/mainform.h"

using kal::bench::NowMs;

namespace {

constexpr int kOpenings = 20;
constexpr double kTargetMs = 75 + 50;

// The visible pop-up of process `id`: a form that is not the main form.
HWND FindPopup(DWORD id) {
    return kal::bench::FindChildWindow(id, [](HWND window, const std::wstring& cls, const std::wstring& caption) {
        return cls == L"KalvenorForm" && caption != L"Kalvenor Main Form" && ::IsWindowVisible(window);
    });
}

// Posts the click and waits for the pop-up; its window, or null after `timeoutMs`.
HWND ClickAndWait(HWND main, DWORD process, double timeoutMs, double& elapsedMs) {
    const double start = NowMs();
    ::PostMessageW(main, kal::kTrayCallbackMessage, 0, WM_LBUTTONUP);
    for (;;) {
        if (HWND popup = FindPopup(process)) {
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
    auto child = kal::bench::StartChild(kal::bench::SimProgramPath(), "volume pop-up");
    if (!child) return 1;
    const DWORD id = child->id;
    HANDLE process = child->process.get();

    HWND main = nullptr;
    for (int i = 0; i < 600 && !(main = kal::bench::FindMainForm(id)); ++i) ::Sleep(50);
    // The first opening also waits for the program to finish its start-up; it is not counted.
    HWND popup = nullptr;
    double elapsed = 0;
    for (int i = 0; main && i < 20 && !popup; ++i) popup = ClickAndWait(main, id, 1000, elapsed);
    if (!popup) {
        std::fprintf(stderr, "volume pop-up: it never opened\n");
        ::TerminateProcess(process, 1);
        return 1;
    }
    ClosePopup(popup);

    std::vector<double> times;
    for (int i = 0; i < kOpenings; ++i) {
        popup = ClickAndWait(main, id, 5000, elapsed);
        if (!popup) break;
        times.push_back(elapsed);
        ClosePopup(popup);
    }
    ::PostMessageW(main, WM_COMMAND, kal::kMenuClose, 0);
    if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process, 1);
    if (times.size() != kOpenings) {
        std::fprintf(stderr, "volume pop-up: opened only %zu of %d times\n", times.size(), kOpenings);
        return 1;
    }
    kal::bench::PrintMedian(L"volume pop-up, tray click to visible", times, kTargetMs);
    return 0;
}
