// A loaded form holding one list-view control, and helpers to read its windows back.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "listview/formhost.h"
#include "listview/listview.h"
#include "base/errors.h"
#include "toolkit/forms.h"
#include "base/subclass.h"

namespace kal::test {

class HostForm : public Form {
public:
    HostForm();
    ~HostForm() override { Unload(); }
};

// The stored design of the profile manager's list.
PropertyBag ProfilesDesign();

// The error `f` raises; a failure when it raises none.
std::optional<ToolkitError> Raised(const std::function<void()>& f);
// The number and the class part of the source of the error `f` raises ("" when none).
std::pair<std::int32_t, std::wstring> ErrorOf(const std::function<void()>& f);

// Runs the thread's messages through the dialog manager of `dialog` (when given) as the form
// layer's loop does, until `done` holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, int milliseconds = 3000, HWND dialog = nullptr);
void Pump(int milliseconds, HWND dialog = nullptr);

// Real input, as the user gives it: a click of a button at a point of the screen (twice for a
// double click), a key pressed and let go.
enum class Button { Left, Right };
void ClickAt(POINT screen, Button button = Button::Left, int clicks = 1);
void MoveMouseTo(POINT screen);
// The left button pressed or let go at a point of the screen, without waiting.
void LeftButton(POINT screen, bool down);
void PressKey(WORD vk);
// A character typed as the user's input method gives it (a key of its own, not a virtual key).
void TypeCharacter(wchar_t ch);

// What the control sends to a list window: messages of interest are recorded with their
// arguments (and, through `look`, what their records hold) and then handled by the list as
// usual. Removed when it goes.
class MessageSpy final : public ISubclass {
public:
    struct Seen {
        UINT msg;
        WPARAM wParam;
        std::vector<LONG> data;  // what `look` read from the message's record
        std::wstring text;
    };
    using Look = std::function<void(UINT msg, WPARAM wParam, LPARAM lParam, Seen& seen)>;
    MessageSpy(HWND window, std::vector<UINT> messages, Look look = {});
    ~MessageSpy();
    MessageSpy(const MessageSpy&) = delete;
    MessageSpy& operator=(const MessageSpy&) = delete;

    std::vector<Seen> seen;

    // The list handles each message after the spy has seen it.
    std::int32_t MsgResponse() const override { return MsgResponsePostProcess; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND window_;
    std::vector<UINT> messages_;
    Look look_;
};

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Make(const PropertyBag& bag = {});

    HWND List() const { return lv->hWndListView(); }
    DWORD Style() const { return static_cast<DWORD>(::GetWindowLongW(List(), GWL_STYLE)); }
    DWORD ExStyle() const { return static_cast<DWORD>(::GetWindowLongW(List(), GWL_EXSTYLE)); }
    DWORD HostExStyle() const { return static_cast<DWORD>(::GetWindowLongW(lv->hWnd(), GWL_EXSTYLE)); }
    DWORD ListEx() const { return static_cast<DWORD>(::SendMessageW(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)); }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageW(List(), msg, w, l); }
    // The text the list window holds for an item (0-based) and sub-item.
    std::wstring RawText(int item0, int subItem = 0) const;
    // The screen point in the middle of an item's label (0-based), or at a point of the list.
    POINT ItemPoint(int item0) const;
    POINT ListPoint(int x, int y) const;
    // Shows the form in front, with the keyboard focus on the list.
    void ShowInFront();

    HostForm form;
    std::unique_ptr<zephListViewCtl> lv;
};

}  // namespace kal::test
