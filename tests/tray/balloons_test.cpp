// The notification-area layer: records given to the shell and the routing of the icon's events.
#include <gtest/gtest.h>

#include <vector>

#include "base/log.h"
#include "tray/balloons.h"

using namespace kal;

namespace {

struct Events final : ITrayEvents {
    std::vector<std::string> seen;
    void SysTrayLClickEventHandler() override { seen.push_back("left"); }
    void SysTrayRClickEventHandler() override { seen.push_back("right"); }
    void SysTrayDblClickEventHandler() override { seen.push_back("double"); }
    void SysTrayBalloonClickEventHandler() override { throw std::runtime_error("ignored"); }
    void TaskbarCreated() override { seen.push_back("taskbar"); }
};

// A window whose handler passes each message to the tray layer first, as the main form's does.
LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    LRESULT result = 0;
    if (TrayWindowProc(h, msg, w, l, result)) return result;
    return ::DefWindowProcW(h, msg, w, l);
}

HWND CreateOwnerWindow() {
    static const ATOM cls = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &OwnerProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KalvenorTrayOwnerTest";
        return ::RegisterClassW(&wc);
    }();
    if (!cls) return nullptr;
    return ::CreateWindowExW(0, L"KalvenorTrayOwnerTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

struct Record {
    DWORD message;
    NOTIFYICONDATAW data;
    BOOL result;
};

class Balloons : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = CreateOwnerWindow();
        ASSERT_NE(window_, nullptr);
        original_ = ::GetWindowLongPtrW(window_, GWLP_WNDPROC);
        SetShellNotifyObserver([this](DWORD m, const NOTIFYICONDATAW& d, BOOL r) { records_.push_back({m, d, r}); });
    }
    void TearDown() override {
        RemoveTrayIcon();
        UnhookTrayWindow();
        SetShellNotifyObserver(nullptr);
        gTaskbarCreatedMsg = 0;
        ::DestroyWindow(window_);
    }
    HWND window_ = nullptr;
    LONG_PTR original_ = 0;
    std::vector<Record> records_;
    Events events_;
};

TEST_F(Balloons, RecordsCarryTheFieldsTheShellExpects) {
    HookTrayWindow(window_, &events_);
    AddTrayIcon(0, nullptr, std::wstring(200, L'x'));
    SetTrayTip(L"Master volume: 40%");
    ShowBalloon(std::wstring(100, L't'), L"\r\n" + std::wstring(400, L'b'), 2);
    SetTrayIcon(nullptr);
    RemoveTrayIcon();
    ASSERT_EQ(records_.size(), 5u);
    const NOTIFYICONDATAW& add = records_[0].data;
    EXPECT_EQ(records_[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.cbSize, sizeof(void*) == 4 ? 952u : 968u);
    EXPECT_EQ(add.hWnd, window_);
    EXPECT_EQ(add.uID, 0u);
    EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.uCallbackMessage, 0x4FFu);
    EXPECT_EQ(std::wstring(add.szTip), std::wstring(127, L'x'));
    EXPECT_EQ(records_[1].data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(std::wstring(records_[1].data.szTip), L"Master volume: 40%");
    const NOTIFYICONDATAW& balloon = records_[2].data;
    EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(balloon.dwInfoFlags, 2u);
    EXPECT_EQ(balloon.uTimeout, 0u);
    EXPECT_EQ(std::wstring(balloon.szInfoTitle).size(), 63u);
    EXPECT_EQ(std::wstring(balloon.szInfo).size(), 255u);
    EXPECT_EQ(std::wstring(balloon.szInfo).substr(0, 3), L"\r\nb");
    EXPECT_EQ(records_[3].data.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(records_[4].message, static_cast<DWORD>(NIM_DELETE));
    // Nothing is removed twice.
    RemoveTrayIcon();
    EXPECT_EQ(records_.size(), 5u);
}

// The shell's side, behind the layer's back.
BOOL ShellNotify(DWORD message, HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = kTrayRecordSize;
    data.hWnd = window;
    data.uFlags = NIF_TIP;
    return ::Shell_NotifyIconW(message, &data);
}

TEST_F(Balloons, ChangesReachAnIconWhoseAddFailedAndAFailedChangeIsSentAgain) {
    HookTrayWindow(window_, &events_);
    // A busy shell reports a failure for an icon it did add.
    ASSERT_TRUE(ShellNotify(NIM_ADD, window_));
    EXPECT_FALSE(AddTrayIcon(0, nullptr, L"tip"));
    EXPECT_TRUE(TrayIconAdded());
    records_.clear();
    SetTrayTip(L"tip");  // what the shell shows is not known
    EXPECT_TRUE(SetTrayIcon(nullptr));
    ASSERT_EQ(records_.size(), 2u);
    EXPECT_TRUE(records_[0].result);
    EXPECT_EQ(records_[0].data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_TRUE(records_[1].result);
    SetTrayTip(L"tip");
    EXPECT_EQ(records_.size(), 2u);
    // The shell loses the icon for a while: the change it missed is sent again.
    ASSERT_TRUE(ShellNotify(NIM_DELETE, window_));
    SetTrayTip(L"new");
    EXPECT_FALSE(SetTrayIcon(nullptr));
    ASSERT_TRUE(ShellNotify(NIM_ADD, window_));
    SetTrayTip(L"new");
    ASSERT_EQ(records_.size(), 5u);
    EXPECT_FALSE(records_[2].result);
    EXPECT_TRUE(records_[4].result);
    EXPECT_EQ(std::wstring(records_[4].data.szTip), L"new");
    // Once removed, nothing is sent.
    RemoveTrayIcon();
    records_.clear();
    SetTrayTip(L"gone");
    EXPECT_FALSE(SetTrayIcon(nullptr));
    EXPECT_TRUE(records_.empty());
}

TEST_F(Balloons, IconEventsReachTheirHandlersAndOthersPassOn) {
    std::vector<std::wstring> logged;
    const LogSink previous = SetLogSink([&logged](const std::wstring& line) { logged.push_back(line); });
    HookTrayWindow(window_, &events_);
    ASSERT_TRUE(TrayWindowHooked());
    ::SendMessageW(window_, kTrayCallbackMessage, 0, WM_LBUTTONUP);
    ::SendMessageW(window_, kTrayCallbackMessage, 0, WM_RBUTTONUP);
    ::SendMessageW(window_, kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    ::SendMessageW(window_, kTrayCallbackMessage, 0, WM_MOUSEMOVE);
    ::SendMessageW(window_, kTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    // A handler that fails is skipped, and the failure is logged.
    ::SendMessageW(window_, kTrayCallbackMessage, 0, NIN_BALLOONUSERCLICK);
    SetLogSink(previous);
    EXPECT_EQ(events_.seen, (std::vector<std::string>{"left", "right", "double"}));
    EXPECT_EQ(logged, std::vector<std::wstring>{L"Kalvenor: TrayWindowProc: ignored"});
    // Messages of the window itself still work.
    ::SendMessageW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still its own"));
    wchar_t text[32] = {};
    ::GetWindowTextW(window_, text, 32);
    EXPECT_STREQ(text, L"still its own");
    // Another window's callback is not the icon's.
    HWND other = CreateOwnerWindow();
    ::SendMessageW(other, kTrayCallbackMessage, 0, WM_LBUTTONUP);
    ::DestroyWindow(other);
    EXPECT_EQ(events_.seen.size(), 3u);
}

TEST_F(Balloons, ShellRestartIsPassedToTheFormWhileHooked) {
    gTaskbarCreatedMsg = ::RegisterWindowMessageW(L"TaskbarCreated");
    HookTrayWindow(window_, &events_);
    // The window keeps its own procedure: nothing is left to undo.
    EXPECT_EQ(::GetWindowLongPtrW(window_, GWLP_WNDPROC), original_);
    ::SendMessageW(window_, gTaskbarCreatedMsg, 0, 0);
    EXPECT_EQ(events_.seen, std::vector<std::string>{"taskbar"});
    UnhookTrayWindow();
    EXPECT_FALSE(TrayWindowHooked());
    ::SendMessageW(window_, gTaskbarCreatedMsg, 0, 0);
    ::SendMessageW(window_, kTrayCallbackMessage, 0, WM_LBUTTONUP);
    EXPECT_EQ(events_.seen.size(), 1u);
}

}  // namespace
