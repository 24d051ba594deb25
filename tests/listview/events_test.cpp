// The control's events as the user raises them: real mouse clicks and key presses under Xvfb,
// label editing through a dialog manager, item drawing checked by its pixels, info tips.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "listview/columns.h"
#include "tests/listview/fixture.h"
#include "toolkit/colour.h"

using namespace kal;
using namespace kal::test;

namespace {

// A form whose window counts the commands the dialog manager would send it for Enter and Esc.
class CommandForm : public Form {
public:
    CommandForm() : Form(L"frmListViewEvents") { Design(FormLayout(L"List view events", 6000, 3600, 600, 600), {}); }
    ~CommandForm() override { Unload(); }
    int commands = 0;

protected:
    bool HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == WM_COMMAND) ++commands;
        return false;
    }
};

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.Load();
        PropertyBag bag = ProfilesDesign();
        bag.Write<bool>(L"LabelEdit", true, false);
        bag.Write<bool>(L"HeaderButtons", true, false);
        ASSERT_TRUE(PlaceOnForm(lv, form, {120, 120, 5400, 3000}, bag));
        for (const wchar_t* name : {L"Name", L"Output", L"Shortcut"}) lv.Columns().Add({}, std::wstring(name), name);
        for (const wchar_t* name : {L"Music", L"Movie", L"Games"}) lv.ListItems().Add({}, {}, name);
        Listen();
    }
    void TearDown() override {
        form.Unload();
    }

    HWND List() const { return lv.hWndListView(); }
    POINT ItemPoint(int item0) const {
        RECT r{};
        r.left = LVIR_LABEL;
        ::SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(item0), reinterpret_cast<LPARAM>(&r));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ClientToScreen(List(), &p);
        return p;
    }
    POINT ListPoint(int x, int y) const {
        POINT p{x, y};
        ::ClientToScreen(List(), &p);
        return p;
    }
    void ShowInFront() {
        form.Show();
        Front();
        ::SetFocus(lv.hWnd());
        Pump(100, form.hWnd());
    }
    // Real keys reach the foreground window only: another process's window may have come up.
    void Front() {
        ::SetForegroundWindow(form.hWnd());
        PumpUntil([&] { return ::GetForegroundWindow() == form.hWnd(); }, 1000, form.hWnd());
    }
    // The events since the last call.
    // The events raised so far. `awaitFirst`: input was just sent, so wait for its first event
    // (a busy machine is slow to deliver input), then until no event has come for a while.
    std::vector<std::wstring> Take(bool awaitFirst = true) {
        if (awaitFirst) PumpUntil([this] { return !log.empty(); }, 3000, form.hWnd());
        for (std::size_t seen = ~std::size_t{0}; seen != log.size();) {
            seen = log.size();
            Pump(150, form.hWnd());
        }
        std::vector<std::wstring> seen;
        seen.swap(log);
        return seen;
    }

    void Listen() {
        auto mouse = [this](const wchar_t* name) {
            return [this, name](std::int16_t button, std::int16_t, float x, float y) {
                log.push_back(std::wstring(name) + L" " + std::to_wstring(button));
                lastX = x;
                lastY = y;
            };
        };
        lv.MouseDown = mouse(L"MouseDown");
        lv.MouseUp = mouse(L"MouseUp");
        lv.Click = [this] { log.push_back(L"Click"); };
        lv.DblClick = [this] { log.push_back(L"DblClick"); };
        lv.ItemClick = [this](cListItem item) { log.push_back(L"ItemClick " + item.Text()); };
        lv.ItemDblClick = [this](cListItem item) { log.push_back(L"ItemDblClick " + item.Text()); };
        lv.ColumnClick = [this](cColumn column) { log.push_back(L"ColumnClick " + column.Key()); };
        lv.ItemSelected = [this](std::int32_t i) { log.push_back(L"Selected " + std::to_wstring(i)); };
        lv.ItemUnselected = [this](std::int32_t i) { log.push_back(L"Unselected " + std::to_wstring(i)); };
        lv.KeyDown = [this](std::int16_t& key, std::int16_t&) { log.push_back(L"KeyDown " + std::to_wstring(key)); };
        lv.KeyUp = [this](std::int16_t& key, std::int16_t&) { log.push_back(L"KeyUp " + std::to_wstring(key)); };
        lv.BeforeLabelEdit = [this](bool& cancel, cListItem item) {
            log.push_back(L"BeforeLabelEdit " + item.Text());
            cancel = refuseEdit;
        };
        lv.AfterLabelEdit = [this](bool& cancel, const std::wstring& text, cListItem item) {
            log.push_back(L"AfterLabelEdit " + item.Text() + L" -> " + text);
            cancel = refuseText;
        };
    }

    CommandForm form;
    zephListViewCtl lv;
    std::vector<std::wstring> log;
    float lastX = 0, lastY = 0;
    bool refuseEdit = false, refuseText = false;
};

using V = std::vector<std::wstring>;

std::wstring Join(const V& v) {
    std::wstring s;
    for (const auto& e : v) s += e + L"; ";
    return s;
}

}  // namespace

TEST_F(EventsTest, ClicksRaiseMouseDownTheClickThenMouseUp) {
    ShowInFront();
    ClickAt(ItemPoint(1));
    EXPECT_EQ(Join(Take()), Join({L"MouseDown 1", L"Selected 2", L"ItemClick Movie", L"MouseUp 1"}));
    RECT r{};
    r.left = LVIR_LABEL;
    ::SendMessageW(List(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    EXPECT_NEAR(lastX, PixelsToTwipsX((r.left + r.right) / 2), 15);  // twips, the control's ScaleMode
    EXPECT_NEAR(lastY, PixelsToTwipsY((r.top + r.bottom) / 2), 15);

    ClickAt(ItemPoint(2), Button::Right);
    EXPECT_EQ(Join(Take()), Join({L"MouseDown 2", L"Unselected 2", L"Selected 3", L"ItemClick Games", L"MouseUp 2"}));

    RECT client{};
    ::GetClientRect(List(), &client);
    ClickAt(ListPoint(client.right / 2, client.bottom - 10));  // below the items
    EXPECT_EQ(Join(Take()), Join({L"MouseDown 1", L"Unselected 3", L"Click", L"MouseUp 1"}));

    ClickAt(ItemPoint(0), Button::Left, 2);
    EXPECT_EQ(Join(Take()),
              Join({L"MouseDown 1", L"Selected 1", L"ItemClick Music", L"MouseUp 1", L"ItemDblClick Music"}));
}

TEST_F(EventsTest, HeaderClickNamesItsColumn) {
    ShowInFront();
    HWND header = reinterpret_cast<HWND>(::SendMessageW(List(), LVM_GETHEADER, 0, 0));
    RECT r{};
    ::SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(header, &p);
    ClickAt(p);
    EXPECT_EQ(Join(Take()), Join({L"ColumnClick Output"}));
}

TEST_F(EventsTest, ArrowKeysUnselectThenSelectAndEnterStaysWithTheList) {
    ShowInFront();
    lv.ListItems().item(1).SetSelected(true);
    Take(false);
    PressKey(VK_DOWN);
    EXPECT_EQ(Join(Take()), Join({L"KeyDown 40", L"Unselected 1", L"Selected 2", L"KeyUp 40"}));
    PressKey(VK_UP);
    EXPECT_EQ(Join(Take()), Join({L"KeyDown 38", L"Unselected 2", L"Selected 1", L"KeyUp 38"}));

    // Through the dialog manager, as the form layer's loop runs: Enter reaches the list and
    // never becomes the form's OK command.
    PressKey(VK_RETURN);
    EXPECT_EQ(Join(Take()), Join({L"KeyDown 13", L"KeyUp 13"}));
    EXPECT_EQ(form.commands, 0);
}

TEST_F(EventsTest, KeyPressMayChangeTheCharacterTheListReceives) {
    ShowInFront();
    lv.ListItems().item(1).SetSelected(true);
    wchar_t given = 0;
    lv.KeyPress = [&](wchar_t& ch) {
        given = ch;
        ch = 0;
    };
    PressKey('G');
    EXPECT_TRUE(PumpUntil([&] { return given != 0; }, 3000, form.hWnd()));
    Pump(100, form.hWnd());
    EXPECT_EQ(given, 'g');
    EXPECT_TRUE(lv.ListItems().item(1).Selected());  // the list saw no letter to search for
    lv.KeyPress = nullptr;
    PressKey('G');
    // "Games", found by its first letter.
    EXPECT_TRUE(PumpUntil([&] { return lv.ListItems().item(3).Selected(); }, 3000, form.hWnd()));
}

TEST_F(EventsTest, CharactersFromU8000UpReachKeyPressAndTheListWhole) {
    // A CJK ideograph and a Hangul syllable, both above U+7FFF.
    lv.ListItems().Add({}, {}, L"\u8a9e\u5f59");
    lv.ListItems().Add({}, {}, L"\ud55c\uae00");
    ShowInFront();
    lv.ListItems().item(1).SetSelected(true);
    std::vector<wchar_t> given;
    lv.KeyPress = [&](wchar_t& ch) { given.push_back(ch); };
    TypeCharacter(L'\u8a9e');
    EXPECT_TRUE(PumpUntil([&] { return lv.ListItems().item(4).Selected(); }, 3000, form.hWnd()));
    // Typed after a pause, the next character starts a new search.
    Pump(1500, form.hWnd());
    TypeCharacter(L'\ud55c');
    EXPECT_TRUE(PumpUntil([&] { return lv.ListItems().item(5).Selected(); }, 3000, form.hWnd()));
    // A character beyond the first plane comes as its two surrogate halves.
    TypeCharacter(L'\xd83c');
    TypeCharacter(L'\xdfb5');
    EXPECT_TRUE(PumpUntil([&] { return given.size() == 4; }, 3000, form.hWnd()));
    EXPECT_EQ(given, (std::vector<wchar_t>{L'\u8a9e', L'\ud55c', L'\xd83c', L'\xdfb5'}));
}

TEST_F(EventsTest, LabelEditEndsWithEnterOrEscapeInsideTheDialogManager) {
    ShowInFront();
    cListItem movie = lv.ListItems().item(2);
    movie.StartEdit();
    HWND edit = lv.hWndEdit();
    ASSERT_TRUE(edit);
    EXPECT_EQ(::GetFocus(), edit);
    ::SetWindowTextW(edit, L"Films");
    PressKey(VK_RETURN);
    // The edit selects its item; the key's release reaches the list once the edit is over.
    EXPECT_EQ(Join(Take()),
              Join({L"Selected 2", L"BeforeLabelEdit Movie", L"AfterLabelEdit Movie -> Films", L"KeyUp 13"}));
    EXPECT_EQ(movie.Text(), L"Films");
    EXPECT_FALSE(lv.hWndEdit());

    // Escape cancels: no new text, nothing raised after the edit, the label stays.
    Front();
    movie.StartEdit();
    ASSERT_TRUE(lv.hWndEdit());
    ::SetWindowTextW(lv.hWndEdit(), L"Discarded");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(Join(Take()), Join({L"BeforeLabelEdit Films", L"KeyUp 27"}));
    EXPECT_EQ(movie.Text(), L"Films");
    EXPECT_FALSE(lv.hWndEdit());
    EXPECT_EQ(form.commands, 0);  // neither key became the form's OK or Cancel
    // After the edit, focus given to the control goes to the list again.
    ::SetFocus(lv.hWnd());
    EXPECT_EQ(::GetFocus(), List());

    // The handlers may refuse the edit or its text.
    refuseText = true;
    Front();
    movie.StartEdit();
    ::SetWindowTextW(lv.hWndEdit(), L"Refused");
    PressKey(VK_RETURN);
    Take();
    EXPECT_EQ(movie.Text(), L"Films");
    refuseEdit = true;
    movie.StartEdit();
    EXPECT_FALSE(lv.hWndEdit());
}

TEST_F(EventsTest, EndOfAnEditWithoutTextRaisesNothing) {
    NMLVDISPINFOW info{};
    info.hdr.hwndFrom = List();
    info.hdr.code = LVN_ENDLABELEDITW;
    info.item.iItem = 0;
    info.item.pszText = nullptr;
    EXPECT_EQ(::SendMessageW(lv.hWnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)), 0);
    wchar_t text[] = L"Tunes";
    info.item.pszText = text;
    EXPECT_EQ(::SendMessageW(lv.hWnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)), 1);
    EXPECT_EQ(Join(Take()), Join({L"AfterLabelEdit Music -> Tunes"}));
}

TEST_F(EventsTest, InfoTipIsTheItemsToolTipText) {
    lv.ListItems().item(1).SetToolTipText(L"Speakers, equalizer on");
    wchar_t buffer[1024] = L"Music";
    NMLVGETINFOTIPW tip{};
    tip.hdr.hwndFrom = List();
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.pszText = buffer;
    tip.cchTextMax = 1024;
    tip.iItem = 0;
    ::SendMessageW(lv.hWnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(buffer, L"Speakers, equalizer on");

    // No text of its own: the list's tip stays.
    wcscpy(buffer, L"Movie");
    tip.iItem = 1;
    ::SendMessageW(lv.hWnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(buffer, L"Movie");

    // Never past the buffer the list gives.
    tip.iItem = 0;
    tip.cchTextMax = 9;
    ::SendMessageW(lv.hWnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(buffer, L"Speakers");
}
