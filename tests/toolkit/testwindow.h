// Plain Unicode windows for the toolkit's tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace kal::test {

// A top-level window whose procedure answers WM_APP with 1000 + wParam and keeps a log of the
// WM_APP messages it saw.
class TestWindow {
public:
    explicit TestWindow(HWND parent = nullptr, DWORD style = WS_OVERLAPPEDWINDOW);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND hWnd() const { return hwnd_; }
    static WNDPROC Proc();
    // Every WM_APP wParam in order.
    static std::vector<WPARAM>& Seen();
    // Whether the window's procedure was its own when it saw WM_DESTROY.
    static bool& OwnProcAtDestroy();
    void Destroy();

private:
    HWND hwnd_ = nullptr;
};

std::wstring WindowText(HWND h);

// Runs the window messages that are waiting.
void Pump();

}  // namespace kal::test
