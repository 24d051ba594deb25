// The thread's message loop, the keyboard and the mouse as the tests drive them.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <vector>

namespace kal::testing {

// Runs the thread's messages until `done` holds or the time is up; returns `done()`. A message
// that `preview` takes (returns true for, as the dialog manager takes its keys) is not
// dispatched.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 3000,
                      const std::function<bool(MSG&)>& preview = {}) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (preview && preview(msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(2);
    }
    return done();
}

inline void Pump(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// Presses (or, with `up`, releases in the reverse order) the keys as one input.
inline void SendKeys(std::initializer_list<WORD> keys, bool up) {
    std::vector<INPUT> inputs;
    for (WORD vk : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        if (up)
            inputs.insert(inputs.begin(), in);
        else
            inputs.push_back(in);
    }
    if (!inputs.empty()) ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The pointer moved to a point of the screen, with the buttons or the wheel of `flags`.
inline INPUT MouseAt(POINT at, DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(at.x * 65535.0 / (::GetSystemMetrics(SM_CXSCREEN) - 1) + 0.5);
    in.mi.dy = static_cast<LONG>(at.y * 65535.0 / (::GetSystemMetrics(SM_CYSCREEN) - 1) + 0.5);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return in;
}

// Turns the wheel with the pointer at a point of the screen; positive notches away from the user.
inline void TurnWheel(POINT at, int notches) {
    INPUT in = MouseAt(at, MOUSEEVENTF_WHEEL);
    in.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
    ::SendInput(1, &in, sizeof in);
}

}  // namespace kal::testing
