// The four tabs over their pages, the hover highlight, and the two text boxes of the top area:
// the profile name (no \ / & ? *, typed or pasted) and the shortcut capture box.
#include "editor/drawing.h"
#include "editor/hooks.h"
#include "editor/portable/profilename.h"
#include "editor/profileform.h"

namespace kal {
namespace {

constexpr std::uint32_t kTabPlain = 0x80000000;
constexpr std::uint32_t kTabHover = 0x80000018;
constexpr std::uint32_t kPageColour = 0x8000000F;

}  // namespace

std::uint32_t frmProfile::TabColour(int index) const {
    if (index == currentTab_) return kPageColour;
    for (const Shape& s : shapes_)
        if (s.name == L"rectTab" && s.index == index && s.fill) return *s.fill;
    return kTabPlain;
}

void frmProfile::PaintTab(int index) {
    auto* tab = dynamic_cast<PictureBox*>(Find(L"imgTab", index));
    if (!tab || !tab->Window()) return;
    tab->SetBackColor(TranslateOleColor(TabColour(index)));
    HDC dc = tab->hDC();
    RECT r{};
    ::GetClientRect(tab->Window(), &r);
    HBRUSH border = ::CreateSolidBrush(TranslateOleColor(ContentBorderColour()));
    ::FrameRect(dc, &r, border);
    ::DeleteObject(border);
    if (index == currentTab_) {
        // The current tab opens into its page.
        RECT open{r.left + 1, r.bottom - 1, r.right - 1, r.bottom};
        HBRUSH page = ::CreateSolidBrush(TranslateOleColor(kPageColour));
        ::FillRect(dc, &open, page);
        ::DeleteObject(page);
    }
    tab->Refresh();
    if (Control* label = Find(L"lblTab", index)) ::InvalidateRect(label->Window(), nullptr, TRUE);
}

void frmProfile::SetTabColour(int index, std::uint32_t colour) {
    Shape* s = FindShape(L"rectTab", index);
    if (!s || (s->fill && *s->fill == colour)) return;
    s->fill = colour;
    PaintTab(index);
}

void frmProfile::ResetTabHover() {
    for (int i = 0; i < static_cast<int>(ControlArray(L"lblTab").size()); ++i)
        if (i != currentTab_) SetTabColour(i, kTabPlain);
}

void frmProfile::imgTab_Click(int index) {
    ResetTabHover();
    if (index == currentTab_) return;
    const int previous = currentTab_;
    SetShapeVisible(L"rectTabBackground", index, true);
    Ctl(L"pctTabContent", index).SetVisible(true);
    SetShapeVisible(L"rectTabBackground", previous, false);
    Ctl(L"pctTabContent", previous).SetVisible(false);
    currentTab_ = index;
    PaintTab(previous);
    PaintTab(index);
}

void frmProfile::imgTab_MouseMove(int index, int x, int y) {
    Control& image = Ctl(L"imgTab", index);
    if (index == currentTab_ || !image.Enabled()) return;
    RECT r{};
    ::GetClientRect(image.Window(), &r);
    if (x >= 0 && x < r.right && y >= 0 && y < r.bottom) SetTabColour(index, kTabHover);
    else ResetTabHover();
}

void frmProfile::WireTabEvents() {
    for (int i = 0; i < 4; ++i) {
        Control& image = Ctl(L"imgTab", i);
        image.Click = [this, i] { imgTab_Click(i); };
        // The caption lets the mouse through to its tab.
        HWND label = Ctl(L"lblTab", i).Window();
        ::SetWindowLongW(label, GWL_STYLE, ::GetWindowLongW(label, GWL_STYLE) & ~SS_NOTIFY);
        hooks_->Watch(image.Window(), Hooks::Kind::Tab, i, {WM_MOUSEMOVE, WM_CTLCOLORSTATIC});
        hooks_->Watch(Ctl(L"pctTabContent", i).Window(), Hooks::Kind::Page, i, {WM_MOUSEMOVE});
        if (i != currentTab_) Ctl(L"pctTabContent", i).SetVisible(false);
    }

    auto& name = Get<TextBox>(L"txtProfileName");
    hooks_->Watch(name.Window(), Hooks::Kind::NameBox, -1, {WM_CHAR, WM_SETFOCUS});
    // Text that arrives without typing (pasted, dropped, set) obeys the same rule.
    name.Change = [this, &name] {
        const std::wstring text = name.Text();
        const std::wstring clean = StripForbiddenNameChars(text);
        if (clean == text) return;
        DWORD start = 0;
        ::SendMessageW(name.Window(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        const auto removed = static_cast<DWORD>(StripForbiddenNameChars(text.substr(0, start)).size());
        ::MessageBeep(MB_OK);
        name.SetText(clean);
        ::SendMessageW(name.Window(), EM_SETSEL, removed, removed);
    };
}

}  // namespace kal
