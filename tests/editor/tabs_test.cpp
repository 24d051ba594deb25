// The tabs (switching, hover highlight) and the two text boxes of the top area: the profile
// name refuses \ / & ? * typed or pasted; the shortcut box captures combinations.
#include "tests/editor/editor_fixture.h"

#include <windowsx.h>

#include <cstring>

#include "tray/hotkeys.h"

using namespace kal;
using namespace kal::testing;

namespace {

class EditorTabs : public EditorFixture {};

constexpr std::uint32_t kPlain = 0x80000000;
constexpr std::uint32_t kHover = 0x80000018;

void MoveOver(HWND window, int x, int y) { ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

// A pixel of page `page`'s top row under the middle of tab `tab`.
COLORREF PageTopUnder(frmProfile& editor, int page, int tab) {
    HWND t = editor.Ctl(L"imgTab", tab).Window();
    auto& box = editor.Get<PictureBox>(L"pctTabContent", page);
    RECT r{};
    ::GetClientRect(t, &r);
    POINT middle{r.right / 2, 0};
    ::MapWindowPoints(t, box.Window(), &middle, 1);
    return ::GetPixel(box.hDC(), middle.x, 0);
}

// The current tab stands on its page with nothing between them; the page's edge runs under the
// other tabs.
void ExpectCurrentTabJoinsItsPage(frmProfile& editor) {
    const int current = editor.CurrentTab();
    auto& page = editor.Get<PictureBox>(L"pctTabContent", current);
    Control& tab = editor.Ctl(L"imgTab", current);
    EXPECT_EQ(tab.Top() + tab.Height(), page.Top());
    RECT r{};
    ::GetClientRect(tab.Window(), &r);
    EXPECT_EQ(::GetPixel(editor.Get<PictureBox>(L"imgTab", current).hDC(), r.right / 2, r.bottom - 1), page.BackColor());
    EXPECT_EQ(PageTopUnder(editor, current, current), page.BackColor());
    EXPECT_NE(PageTopUnder(editor, current, (current + 1) % 4), page.BackColor());
}

TEST_F(EditorTabs, ClickingATabShowsItsPageAndHoverHighlightsOnlyOtherTabs) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    EXPECT_EQ(editor.CurrentTab(), 0);
    EXPECT_TRUE(editor.Ctl(L"pctTabContent", 0).Visible());
    for (int i = 1; i < 4; ++i) EXPECT_FALSE(editor.Ctl(L"pctTabContent", i).Visible()) << i;
    ExpectCurrentTabJoinsItsPage(editor);

    // Hovering over another tab highlights it; the pointer on the page takes it back.
    HWND mixer = editor.Ctl(L"imgTab", 1).Window();
    MoveOver(mixer, 10, 10);
    EXPECT_EQ(editor.FindShape(L"rectTab", 1)->fill, kHover);
    MoveOver(editor.Ctl(L"pctTabContent", 0).Window(), 10, 10);
    EXPECT_EQ(editor.FindShape(L"rectTab", 1)->fill, kPlain);
    // The current tab never lights up.
    MoveOver(editor.Ctl(L"imgTab", 0).Window(), 10, 10);
    EXPECT_EQ(editor.FindShape(L"rectTab", 0)->fill, kPlain);

    ASSERT_TRUE(User::Click(editor.Ctl(L"imgTab", 2)));
    EXPECT_EQ(editor.CurrentTab(), 2);
    EXPECT_TRUE(editor.Ctl(L"pctTabContent", 2).Visible());
    EXPECT_FALSE(editor.Ctl(L"pctTabContent", 0).Visible());
    EXPECT_TRUE(editor.FindShape(L"rectTabBackground", 2)->visible);
    EXPECT_FALSE(editor.FindShape(L"rectTabBackground", 0)->visible);
    ExpectCurrentTabJoinsItsPage(editor);
    // Clicking the current tab changes nothing.
    ASSERT_TRUE(User::Click(editor.Ctl(L"imgTab", 2)));
    EXPECT_EQ(editor.CurrentTab(), 2);
    EXPECT_TRUE(editor.Ctl(L"pctTabContent", 2).Visible());

    // A disabled tab is never highlighted.
    editor.Ctl(L"imgTab", 3).SetEnabled(false);
    MoveOver(editor.Ctl(L"imgTab", 3).Window(), 10, 10);
    EXPECT_EQ(editor.FindShape(L"rectTab", 3)->fill, kPlain);
}

TEST_F(EditorTabs, ProfileNameRefusesForbiddenCharactersTypedOrPasted) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    auto& name = editor.Get<TextBox>(L"txtProfileName");
    ::SetFocus(name.Window());
    for (wchar_t c : std::wstring(L"a/b\\c&d?e*f g"))
        ::SendMessageW(name.Window(), WM_CHAR, c, 0);
    EXPECT_EQ(name.Text(), L"abcdef g");

    // Pasted text loses the characters too, and the caret stays after what was pasted.
    name.SetText(L"xy");
    ::SendMessageW(name.Window(), EM_SETSEL, 1, 1);
    ASSERT_TRUE(::OpenClipboard(editor.hWnd()));
    ::EmptyClipboard();
    const std::wstring pasted = L"1/2*3";
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(memory), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
    ::SendMessageW(name.Window(), WM_PASTE, 0, 0);
    EXPECT_EQ(name.Text(), L"x123y");
    DWORD start = 0, end = 0;
    ::SendMessageW(name.Window(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 4u);

    // Focus selects the whole name.
    ::SetFocus(editor.Ctl(L"txtShortcut").Window());
    ::SetFocus(name.Window());
    ::SendMessageW(name.Window(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
}

TEST_F(EditorTabs, ShortcutBoxCapturesTheKeyAndNeverTypedText) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    auto& box = editor.Get<TextBox>(L"txtShortcut");
    EXPECT_TRUE(IsCaptureBox(box.Window()));
    ::SendMessageW(box.Window(), WM_KEYDOWN, VK_F7, 0);
    EXPECT_EQ(box.Text(), KeyCodeToString(VK_F7, GetShiftState()));
    EXPECT_FALSE(box.Text().empty());
    EXPECT_EQ(box.Tag(), HexPad(VK_F7, 2) + L"|" + HexPad(GetShiftState(), 2));
    const std::wstring shown = box.Text();
    ::SendMessageW(box.Window(), WM_CHAR, L'q', 0);
    EXPECT_EQ(box.Text(), shown);
    HWND window = box.Window();
    CloseEditor();
    EXPECT_FALSE(IsCaptureBox(window));
}

}  // namespace
