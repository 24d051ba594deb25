#include "tests/listview/fixture.h"

#include <chrono>
#include <cmath>
#include <vector>

#include "listview/items.h"

namespace kal::test {

HostForm::HostForm() : Form(L"frmListViewTest") {
    Design(FormLayout(L"List view", 6000, 3600, 600, 600), {});
}

PropertyBag ProfilesDesign() {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"View", 1, 0);
    bag.Write<bool>(L"LabelEdit", false, true);
    bag.Write<bool>(L"FullRowSelect", true, false);
    bag.Write<std::int32_t>(L"Appearance", 0, 1);
    bag.Write<bool>(L"HeaderButtons", false, true);  // its default: not stored
    bag.Write<bool>(L"HeaderTrackSelect", false, true);
    bag.Write<bool>(L"HideSelection", false, true);
    bag.Write<std::wstring>(L"Font", L"MS Sans Serif;8.25;", L"");
    return bag;
}

std::optional<ToolkitError> Raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const ToolkitError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return std::nullopt;
}

std::pair<std::int32_t, std::wstring> ErrorOf(const std::function<void()>& f) {
    const auto e = Raised(f);
    if (!e) return {0, L""};
    const std::wstring& source = e->Source();
    return {e->Number(), source.substr(source.find(L'.') + 1)};
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds, HWND dialog) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog && ::IsDialogMessageW(dialog, &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(2);
    }
    return done();
}

void Pump(int milliseconds, HWND dialog) {
    PumpUntil([] { return false; }, milliseconds, dialog);
}

namespace {

INPUT MouseInput(POINT at, DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(std::lround(at.x * 65535.0 / (::GetSystemMetrics(SM_CXSCREEN) - 1)));
    in.mi.dy = static_cast<LONG>(std::lround(at.y * 65535.0 / (::GetSystemMetrics(SM_CYSCREEN) - 1)));
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return in;
}

}  // namespace

void MoveMouseTo(POINT screen) {
    INPUT in = MouseInput(screen, 0);
    ::SendInput(1, &in, sizeof in);
    Pump(50);
}

void LeftButton(POINT screen, bool down) {
    INPUT in = MouseInput(screen, down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    ::SendInput(1, &in, sizeof in);
}

// Presses and releases go in at once: the list follows a press in a loop of its own, waiting
// for the release.
void ClickAt(POINT screen, Button button, int clicks) {
    const DWORD down = button == Button::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    const DWORD up = button == Button::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    MoveMouseTo(screen);
    std::vector<INPUT> inputs;
    for (int i = 0; i < clicks; ++i) {
        inputs.push_back(MouseInput(screen, down));
        inputs.push_back(MouseInput(screen, up));
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Pump(200);
}

void PressKey(WORD vk) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

void TypeCharacter(wchar_t ch) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = static_cast<WORD>(ch);
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

MessageSpy::MessageSpy(HWND window, std::vector<UINT> messages, Look look)
    : window_(window), messages_(std::move(messages)), look_(std::move(look)) {
    for (UINT m : messages_) MSubclass::AttachMessage(this, window_, m);
}

MessageSpy::~MessageSpy() {
    for (UINT m : messages_) MSubclass::DetachMessage(this, window_, m);
}

LRESULT MessageSpy::WindowProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    Seen seen{msg, wParam, {}, {}};
    if (look_) look_(msg, wParam, lParam, seen);
    this->seen.push_back(std::move(seen));
    return 0;
}

void ListViewTest::SetUp() {
    form.Load();
    lv = std::make_unique<zephListViewCtl>();
}

void ListViewTest::TearDown() {
    lv.reset();
    form.Unload();
    SetComCtlVersionOverride(std::nullopt);
    EXPECT_EQ(ListItemRecord::LiveCount(), 0u);
}

void ListViewTest::Make(const PropertyBag& bag) {
    ASSERT_TRUE(PlaceOnForm(*lv, form, {120, 120, 5000, 3000}, bag));
}

std::wstring ListViewTest::RawText(int item0, int subItem) const {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = buffer;
    item.cchTextMax = 512;
    Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item0), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

}  // namespace kal::test

namespace kal::test {

POINT ListViewTest::ItemPoint(int item0) const {
    RECT r{};
    r.left = LVIR_LABEL;
    Send(LVM_GETITEMRECT, static_cast<WPARAM>(item0), reinterpret_cast<LPARAM>(&r));
    return ListPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

POINT ListViewTest::ListPoint(int x, int y) const {
    POINT p{x, y};
    ::ClientToScreen(List(), &p);
    return p;
}

void ListViewTest::ShowInFront() {
    form.Show();
    // Real input goes to the active window: wait until the form is in front and the list has
    // the focus (a loaded desktop may take a while to hand them over).
    const auto deadline = ::GetTickCount() + 3000;
    do {
        ::SetForegroundWindow(form.hWnd());
        ::SetFocus(lv->hWnd());
        Pump(20);
    } while ((::GetForegroundWindow() != form.hWnd() || ::GetFocus() != lv->hWnd()) &&
             static_cast<int>(deadline - ::GetTickCount()) > 0);
    Pump(50);
}

}  // namespace kal::test
