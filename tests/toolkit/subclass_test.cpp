#include "base/subclass.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "tests/toolkit/testwindow.h"
#include "startup/utility.h"
#include "base/errors.h"
#include "base/propstore.h"
#include "toolkit/tooltip.h"

using namespace kal;
using kal::test::TestWindow;

namespace {

std::vector<std::wstring> gLog;

class Client final : public ISubclass {
public:
    Client(std::wstring id, std::int32_t response, LRESULT result) : id_(std::move(id)), response_(response), result_(result) {}
    std::int32_t MsgResponse() const override { return response_; }
    void SetMsgResponse(std::int32_t v) override { response_ = v; }
    LRESULT WindowProc(HWND, UINT msg, WPARAM, LPARAM) override {
        gLog.push_back(id_);
        seen.push_back(MSubclass::CurrentMessage());
        (void)msg;
        return result_;
    }
    std::vector<UINT> seen;

private:
    std::wstring id_;
    std::int32_t response_;
    LRESULT result_;
};

// A foreign subclass installed on top with the W form, as a tooltip or another library would.
WNDPROC gForeignPrev = nullptr;
LRESULT CALLBACK ForeignProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_APP) gLog.push_back(L"F");
    return ::CallWindowProcW(gForeignPrev, h, msg, w, l);
}

class Subclassing : public ::testing::Test {
protected:
    void SetUp() override {
        gLog.clear();
        TestWindow::Seen().clear();
        ::SetWindowTextW(win.hWnd(), kText);
    }
    LRESULT Send(WPARAM w = 1) {
        // Base-procedure calls appear in the log as "W".
        const auto before = TestWindow::Seen().size();
        const LRESULT r = ::SendMessageW(win.hWnd(), WM_APP, w, 0);
        if (TestWindow::Seen().size() != before) baseCalls++;
        return r;
    }
    LONG_PTR Proc() const { return ::GetWindowLongPtrW(win.hWnd(), GWLP_WNDPROC); }
    bool TextIntact() const {
        return ::IsWindowUnicode(win.hWnd()) && test::WindowText(win.hWnd()) == kText;
    }

    static constexpr const wchar_t* kText = L"Καλημέρα 日本 Ω";
    TestWindow win;
    int baseCalls = 0;
};

TEST_F(Subclassing, LastAttachedRunsFirstAndFirstAttachedDecidesOnThePreviousProcedure) {
    Client a(L"A", MsgResponseConsume, 11), b(L"B", MsgResponsePreProcess, 22);
    MSubclass::AttachMessage(&a, win.hWnd(), WM_APP);
    MSubclass::AttachMessage(&b, win.hWnd(), WM_APP);

    EXPECT_EQ(Send(), 11);  // consume: client A's result, no base call despite B's answer
    EXPECT_EQ(gLog, (std::vector<std::wstring>{L"B", L"A"}));
    EXPECT_EQ(baseCalls, 0);
    EXPECT_EQ(a.seen, std::vector<UINT>{WM_APP});

    a.SetMsgResponse(MsgResponsePostProcess);
    gLog.clear();
    EXPECT_EQ(Send(5), 1005);
    EXPECT_EQ(baseCalls, 1);

    a.SetMsgResponse(MsgResponsePreProcess);
    baseCalls = 0;
    EXPECT_EQ(Send(5), 11);
    EXPECT_EQ(baseCalls, 1);

    // A message nobody attached to goes straight through.
    EXPECT_EQ(::SendMessageW(win.hWnd(), WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(win.hWnd(), WM_APP, 7, 0), 11);

    MSubclass::DetachMessage(&b, win.hWnd(), WM_APP);
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP);
    EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(TestWindow::Proc()));
    EXPECT_EQ(WindowPropCount(win.hWnd()), 0u);
    EXPECT_TRUE(TextIntact());
}

// A client that detaches and destroys itself inside its handler. Its storage is then taken by a
// tombstone that records any later call on the freed client.
struct Tombstone final : ISubclass {
    std::int32_t MsgResponse() const override {
        ++touched;
        return MsgResponsePostProcess;
    }
    void SetMsgResponse(std::int32_t) override { ++touched; }
    LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM) override { return ++touched, 0; }
    static inline int touched = 0;
};

struct SelfDestroying final : ISubclass {
    explicit SelfDestroying(HWND h) : window(h) {}
    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND, UINT msg, WPARAM, LPARAM) override {
        MSubclass::DetachMessage(this, window, msg);
        void* storage = this;
        this->~SelfDestroying();
        new (storage) Tombstone();
        return 77;
    }
    HWND window;
};

TEST_F(Subclassing, ClientThatDetachesAndDestroysItselfIsNotTouchedAgain) {
    alignas(std::max_align_t) unsigned char storage[sizeof(SelfDestroying) + sizeof(Tombstone)];
    auto* client = new (storage) SelfDestroying(win.hWnd());
    MSubclass::AttachMessage(client, win.hWnd(), WM_APP);
    Tombstone::touched = 0;
    EXPECT_EQ(Send(), 77);
    EXPECT_EQ(Tombstone::touched, 0);
    EXPECT_EQ(baseCalls, 0);  // it consumed the message
    EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(TestWindow::Proc()));
    std::launder(reinterpret_cast<Tombstone*>(storage))->~Tombstone();
}

// A client that detaches another client of the same message from inside its handler.
struct Detacher final : ISubclass {
    Detacher(HWND h, ISubclass* v) : window(h), victim(v) {}
    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND, UINT msg, WPARAM, LPARAM) override {
        gLog.push_back(L"D");
        MSubclass::DetachMessage(victim, window, msg);
        return 5;
    }
    HWND window;
    ISubclass* victim;
};

TEST_F(Subclassing, ClientDetachedDuringDispatchIsNotCalledAndNoClientRunsTwice) {
    // The victim before and after the detacher in the running order: each remaining client runs
    // once, the detached one not at all.
    for (bool victimFirstAttached : {true, false}) {
        Client a(L"A", MsgResponsePostProcess, 1), b(L"B", MsgResponsePostProcess, 2);
        Detacher d(win.hWnd(), victimFirstAttached ? &a : &b);
        for (ISubclass* x : std::vector<ISubclass*>{&a, &b, &d}) MSubclass::AttachMessage(x, win.hWnd(), WM_APP);
        gLog.clear();
        baseCalls = 0;
        Send();
        EXPECT_EQ(gLog, (std::vector<std::wstring>{L"D", victimFirstAttached ? L"B" : L"A"}));
        EXPECT_EQ(baseCalls, 1);
        gLog.clear();
        Send();
        EXPECT_EQ(gLog, (std::vector<std::wstring>{L"D", victimFirstAttached ? L"B" : L"A"}));
        for (ISubclass* x : std::vector<ISubclass*>{&a, &b, &d}) MSubclass::DetachMessage(x, win.hWnd(), WM_APP);
        EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(TestWindow::Proc()));
        EXPECT_EQ(WindowPropCount(win.hWnd()), 0u);
    }
}

TEST_F(Subclassing, ErrorsCarryNumberSourceAndDescription) {
    Client a(L"A", MsgResponseConsume, 0);
    MSubclass::AttachMessage(&a, win.hWnd(), WM_APP);
    const auto records = WindowPropNames(win.hWnd());
    try {
        MSubclass::AttachMessage(&a, win.hWnd(), WM_APP);
        ADD_FAILURE() << "attached twice";
    } catch (const ToolkitError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80040000u | 13082u));
        EXPECT_EQ(e.Description(), L"Message already handled by another class");
        // The source is the program's name (its file name without folder and extension).
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring exe = path;
        exe = exe.substr(exe.find_last_of(L"\\/") + 1);
        exe = exe.substr(0, exe.rfind(L'.'));
        EXPECT_EQ(e.Source(), exe + L".WindowProc");
    }
    EXPECT_EQ(WindowPropNames(win.hWnd()), records);
    // The same client on another message is a second attachment.
    MSubclass::AttachMessage(&a, win.hWnd(), WM_APP + 1);
    EXPECT_EQ(GetWindowProp(win.hWnd(), L"C" + HandleText(win.hWnd())), 2);
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP + 1);
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP);
    EXPECT_EQ(WindowPropCount(win.hWnd()), 0u);

    try {
        MSubclass::AttachMessage(&a, reinterpret_cast<HWND>(0x5678), WM_APP);
        ADD_FAILURE() << "attached to no window";
    } catch (const ToolkitError& e) {
        EXPECT_EQ(e.Number(), -2147208421);  // 13083 with the object-error mask
        EXPECT_EQ(e.Description(), L"Invalid window");
    }
    HWND desktop = ::GetDesktopWindow();
    DWORD pid = 0;
    ::GetWindowThreadProcessId(desktop, &pid);
    if (pid != ::GetCurrentProcessId()) {
        try {
            MSubclass::AttachMessage(&a, desktop, WM_APP);
            ADD_FAILURE() << "attached to another process's window";
        } catch (const ToolkitError& e) {
            EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80040000u | 13084u));
            EXPECT_EQ(e.Description(), L"Can't modify external window");
        }
    }
}

TEST_F(Subclassing, DetachingTheMiddleClientKeepsTheOthersInOrder) {
    Client a(L"A", MsgResponseConsume, 1), b(L"B", MsgResponseConsume, 2), c(L"C", MsgResponseConsume, 3);
    for (Client* x : {&a, &b, &c}) MSubclass::AttachMessage(x, win.hWnd(), WM_APP);
    MSubclass::DetachMessage(&b, win.hWnd(), WM_APP);
    MSubclass::DetachMessage(&b, win.hWnd(), WM_APP);  // not attached any more: nothing
    EXPECT_EQ(Send(), 1);
    EXPECT_EQ(gLog, (std::vector<std::wstring>{L"C", L"A"}));
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP);
    EXPECT_NE(Proc(), reinterpret_cast<LONG_PTR>(TestWindow::Proc()));
    gLog.clear();
    EXPECT_EQ(Send(), 3);
    EXPECT_EQ(gLog, std::vector<std::wstring>{L"C"});
    MSubclass::DetachMessage(&c, win.hWnd(), WM_APP);
    EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(TestWindow::Proc()));
    EXPECT_EQ(WindowPropCount(win.hWnd()), 0u);
}

TEST_F(Subclassing, ForeignSubclassOnTopSurvivesOurDetachInEitherOrder) {
    Client a(L"A", MsgResponsePostProcess, 0), b(L"B", MsgResponsePostProcess, 0);
    const LONG_PTR original = Proc();

    // Ours detached first, while the foreign one sits on top.
    MSubclass::AttachMessage(&a, win.hWnd(), WM_APP);
    MSubclass::AttachMessage(&b, win.hWnd(), WM_APP);
    gForeignPrev = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(win.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP);
    MSubclass::DetachMessage(&b, win.hWnd(), WM_APP);
    EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&ForeignProc));
    EXPECT_EQ(Send(3), 1003);
    EXPECT_EQ(gLog, std::vector<std::wstring>{L"F"});
    EXPECT_TRUE(TextIntact());
    // Attaching again reuses the dispatcher still in the chain.
    gLog.clear();
    MSubclass::AttachMessage(&a, win.hWnd(), WM_APP);
    EXPECT_EQ(Send(3), 1003);
    EXPECT_EQ(gLog, (std::vector<std::wstring>{L"F", L"A"}));
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP);
    // The foreign one leaves; the dispatcher, on top again, leaves at the next message.
    ::SetWindowLongPtrW(win.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gForeignPrev));
    EXPECT_EQ(Send(4), 1004);
    EXPECT_EQ(Proc(), original);
    EXPECT_EQ(WindowPropCount(win.hWnd()), 0u);

    // The foreign one leaves first.
    gLog.clear();
    MSubclass::AttachMessage(&a, win.hWnd(), WM_APP);
    gForeignPrev = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(win.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
    EXPECT_EQ(Send(1), 1001);
    EXPECT_EQ(gLog, (std::vector<std::wstring>{L"F", L"A"}));
    ::SetWindowLongPtrW(win.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gForeignPrev));
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP);
    EXPECT_EQ(Proc(), original);
    EXPECT_EQ(WindowPropCount(win.hWnd()), 0u);
    EXPECT_TRUE(TextIntact());
}

TEST_F(Subclassing, TooltipSubclassOnTopKeepsWorkingAfterOurDetach) {
    TestWindow owner;
    HWND child = ::CreateWindowExW(0, L"KalvenorToolkitTestWindow", L"child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                                   owner.hWnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    Client a(L"A", MsgResponsePostProcess, 0);
    MSubclass::AttachMessage(&a, child, WM_APP);
    const LONG_PTR dispatcher = ::GetWindowLongPtrW(child, GWLP_WNDPROC);
    clsToolTip tip;
    ASSERT_TRUE(tip.Create(owner.hWnd()));
    ASSERT_TRUE(tip.AddTool(child, L"tip"));
    const LONG_PTR tooltipProc = ::GetWindowLongPtrW(child, GWLP_WNDPROC);
    MSubclass::DetachMessage(&a, child, WM_APP);
    EXPECT_EQ(::GetWindowLongPtrW(child, GWLP_WNDPROC), tooltipProc);
    EXPECT_EQ(::SendMessageW(child, WM_APP, 2, 0), 1002);
    EXPECT_TRUE(tip.HasToolTip(child));
    // Whether or not the tooltip's subclass leaves with its tool, the chain stays whole and the
    // idle dispatcher never stays on top.
    EXPECT_TRUE(tip.RemoveTool(child));
    EXPECT_EQ(::SendMessageW(child, WM_APP, 3, 0), 1003);
    EXPECT_NE(::GetWindowLongPtrW(child, GWLP_WNDPROC), dispatcher);
    ::SetWindowTextW(child, L"Ωμέγα");
    EXPECT_EQ(test::WindowText(child), L"Ωμέγα");
    ::DestroyWindow(child);
    EXPECT_EQ(WindowPropCount(child), 0u);
}

TEST_F(Subclassing, TextOutsideTheCodePageSurvivesWhileSubclassed) {
    Client a(L"A", MsgResponsePostProcess, 0);
    MSubclass::AttachMessage(&a, win.hWnd(), WM_SETTEXT);
    EXPECT_TRUE(TextIntact());
    ::SetWindowTextW(win.hWnd(), L"Ελληνικά 中文");
    EXPECT_EQ(gLog, std::vector<std::wstring>{L"A"});
    EXPECT_EQ(test::WindowText(win.hWnd()), L"Ελληνικά 中文");
    MSubclass::DetachMessage(&a, win.hWnd(), WM_SETTEXT);
    EXPECT_TRUE(::IsWindowUnicode(win.hWnd()));
    EXPECT_EQ(test::WindowText(win.hWnd()), L"Ελληνικά 中文");
}

TEST_F(Subclassing, DestroyedWindowIsRestoredBeforeItSeesDestroyAndLeavesNoRecords) {
    Client a(L"A", MsgResponseConsume, 0);
    TestWindow other;
    HWND h = other.hWnd();
    MSubclass::AttachMessage(&a, h, WM_APP);
    MSubclass::AttachMessage(&a, h, WM_APP + 1);
    TestWindow::OwnProcAtDestroy() = false;
    other.Destroy();
    EXPECT_TRUE(TestWindow::OwnProcAtDestroy());
    EXPECT_EQ(WindowPropCount(h), 0u);
    MSubclass::DetachMessage(&a, h, WM_APP);  // gone: nothing, no error
    EXPECT_EQ(MSubclass::CallOldWindowProc(h, WM_APP, 0, 0), 0);

    // With a foreign subclass on top the chain still reaches the window's own procedure.
    TestWindow third;
    h = third.hWnd();
    MSubclass::AttachMessage(&a, h, WM_APP);
    gForeignPrev = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
    third.Destroy();
    EXPECT_EQ(WindowPropCount(h), 0u);
}

TEST_F(Subclassing, CallOldWindowProcReachesThePreviousProcedure) {
    Client a(L"A", MsgResponseConsume, 0);
    EXPECT_EQ(MSubclass::CallOldWindowProc(win.hWnd(), WM_APP, 1, 0), 0);
    MSubclass::AttachMessage(&a, win.hWnd(), WM_APP);
    EXPECT_EQ(MSubclass::CallOldWindowProc(win.hWnd(), WM_APP, 9, 0), 1009);
    MSubclass::DetachMessage(&a, win.hWnd(), WM_APP);
}

}  // namespace
