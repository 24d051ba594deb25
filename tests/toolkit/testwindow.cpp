#include "tests/toolkit/testwindow.h"

namespace kal::test {
namespace {

LRESULT CALLBACK TestProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_APP) {
        TestWindow::Seen().push_back(w);
        return 1000 + static_cast<LRESULT>(w);
    }
    if (msg == WM_DESTROY)
        TestWindow::OwnProcAtDestroy() = ::GetWindowLongPtrW(h, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TestProc);
    return ::DefWindowProcW(h, msg, w, l);
}

const wchar_t kClass[] = L"KalvenorToolkitTestWindow";

}  // namespace

WNDPROC TestWindow::Proc() { return &TestProc; }

std::vector<WPARAM>& TestWindow::Seen() {
    static std::vector<WPARAM> seen;
    return seen;
}

bool& TestWindow::OwnProcAtDestroy() {
    static bool own = false;
    return own;
}

TestWindow::TestWindow(HWND parent, DWORD style) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TestProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClass;
        registered = ::RegisterClassExW(&wc) != 0;
    }
    hwnd_ = ::CreateWindowExW(0, kClass, L"test", style, 10, 10, 400, 300, parent, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() { Destroy(); }

void TestWindow::Destroy() {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

std::wstring WindowText(HWND h) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(h, buffer, 512);
    return buffer;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace kal::test
