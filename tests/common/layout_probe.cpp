#include "tests/common/layout_probe.h"

#include <gtest/gtest.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <map>
#include <vector>

#include "toolkit/utility.h"

namespace kal::testing {
namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t ch : text) out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

std::string Named(const Control& c) {
    std::wstring name = c.Name();
    if (c.Index() >= 0) name += L"(" + std::to_wstring(c.Index()) + L")";
    return Narrow(name);
}

std::string Fault(const Control& c, const std::wstring& text) { return Named(c) + ": " + Narrow(text); }

RECT InParent(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Text in the control's own font, measured as the control draws it.
class ControlText {
public:
    explicit ControlText(const Control& c) : window_(c.Window()), dc_(::GetDC(window_)) {
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
        if (!font && c.Font()) font = c.Font()->Handle();
        old_ = ::SelectObject(dc_, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    }
    ~ControlText() {
        ::SelectObject(dc_, old_);
        ::ReleaseDC(window_, dc_);
    }
    ControlText(const ControlText&) = delete;
    ControlText& operator=(const ControlText&) = delete;

    // The size of `text` on one line, or broken into lines of `wrapWidth`; `flags` adds
    // DT_NOPREFIX where the control shows '&' as itself.
    SIZE Size(const std::wstring& text, int wrapWidth = 0, UINT flags = 0) const {
        RECT r{0, 0, wrapWidth, 0};
        ::DrawTextW(dc_, text.c_str(), -1, &r, DT_CALCRECT | flags | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
        return {r.right, r.bottom};
    }
    // The pixels from the pen's start to the right edge of what `text` on one line inks, which a
    // last glyph's overhang takes past its advance and a right bearing keeps short of it.
    int InkWidth(const std::wstring& text) const {
        const SIZE size = Size(text);
        const int width = size.cx + size.cy, height = size.cy;
        HDC dc = ::CreateCompatibleDC(dc_);
        HBITMAP bitmap = ::CreateCompatibleBitmap(dc_, width, height);
        const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
        const HGDIOBJ oldFont = ::SelectObject(dc, ::GetCurrentObject(dc_, OBJ_FONT));
        RECT all{0, 0, width, height};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, text.c_str(), -1, &all, DT_SINGLELINE);
        int ink = 0;
        for (int x = width - 1; x >= 0 && !ink; --x)
            for (int y = 0; y < height && !ink; ++y)
                if (::GetPixel(dc, x, y) != RGB(255, 255, 255)) ink = x + 1;
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldBitmap);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        return ink;
    }
    // Where the control draws its text: a button inside its edge (the theme's content area, or 2
    // pixels in); a check box or option button right of its mark and a gap, as the platform's
    // button draws them: the mark as the theme's part is drawn, else as a 12-pixel box at 96 dots
    // per inch and one more for its edge, the gap half the width of a digit in the control's font.
    RECT TextArea(bool button, bool option) const {
        RECT client{};
        ::GetClientRect(window_, &client);
        RECT area = client;
        const HTHEME theme = ::GetWindowTheme(window_);
        if (button) {
            if (!theme ||
                FAILED(::GetThemeBackgroundContentRect(theme, dc_, BP_PUSHBUTTON, PBS_NORMAL, &client, &area)))
                ::InflateRect(&area, -2, -2);
            return area;
        }
        const int part = option ? BP_RADIOBUTTON : BP_CHECKBOX;
        if (theme && FAILED(::GetThemeBackgroundContentRect(theme, dc_, part, 1, &client, &area))) area = client;
        const int box = 12 * ::GetDeviceCaps(dc_, LOGPIXELSX) / 96 + 1;
        SIZE mark{box, box};
        if (!theme || FAILED(::GetThemePartSize(theme, dc_, part, 1, &area, TS_DRAW, &mark))) mark = {box, box};
        INT digit = 0;
        ::GetCharWidth32W(dc_, L'0', L'0', &digit);
        area.left += mark.cx + digit / 2;
        return area;
    }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_;
};

// True when the control's text shows whole; `shown` gets the text that was measured.
bool TextFits(const Control& c, std::wstring& shown) {
    const HWND w = c.Window();
    RECT client{};
    ::GetClientRect(w, &client);
    const ControlText text(c);
    const LONG style = ::GetWindowLongW(w, GWL_STYLE);
    shown = c.Caption();
    switch (c.Type()) {
    case ControlType::Frame:
        // The caption stands on the frame's top edge, 8 pixels in.
        return text.Size(shown.empty() ? L"Xg" : shown).cx + 16 <= client.right;
    case ControlType::Label: {
        if (shown.empty()) return true;
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        const SIZE size =
            (style & SS_CENTERIMAGE) ? text.Size(shown, 0, prefix) : text.Size(shown, client.right, prefix);
        return size.cx <= client.right && size.cy <= client.bottom;
    }
    case ControlType::CheckBox:
    case ControlType::OptionButton:
    case ControlType::CommandButton: {
        if (shown.empty() || (style & (BS_ICON | BS_BITMAP))) return true;
        const bool button = c.Type() == ControlType::CommandButton || (style & BS_PUSHLIKE);
        const RECT area = text.TextArea(button, c.Type() == ControlType::OptionButton);
        const int room = area.right - area.left;
        if (style & BS_MULTILINE) {
            // The text is measured at the area's width, and that block is centred in the area
            // (BS_TOP: 1 pixel below its top); the lines are then laid out again in the
            // block less its 1-pixel margins, where a line as wide as the block breaks once
            // more (Wine), and run down from the block's top to the control's edge.
            const SIZE measured = text.Size(shown, std::max<LONG>(room, 1));
            const SIZE drawn = text.Size(shown, std::max<LONG>(measured.cx - 2, 1));
            const int height = area.bottom - area.top;
            const int top = area.top + ((style & BS_VCENTER) == BS_TOP ? 1 : (height - measured.cy) / 2);
            return measured.cx <= room && drawn.cx <= room && top + std::max(drawn.cy, measured.cy) <= client.bottom;
        }
        const SIZE size = text.Size(shown);
        if (button) return size.cx <= room && size.cy <= client.bottom;
        // A check mark's text starts a pixel into its area (the button's text margin); the
        // control cuts what it inks past its own edge.
        return area.left + 1 + text.InkWidth(shown) <= client.right && size.cy <= client.bottom;
    }
    case ControlType::TextBox: {
        RECT area{};
        ::SendMessageW(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
        wchar_t typed[256] = {};
        ::GetWindowTextW(w, typed, 256);
        shown = typed;
        const SIZE size = text.Size(*typed ? typed : L"Xg", 0, DT_NOPREFIX);
        return size.cx <= area.right - area.left && size.cy <= client.bottom;
    }
    case ControlType::ComboBox: {
        // Every choice fits the box's text area when chosen.
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ::GetComboBoxInfo(w, &info);
        const auto& box = static_cast<const ComboBox&>(c);
        for (int i = 0; i < box.ListCount(); ++i) {
            shown = box.List(i);
            const SIZE item = text.Size(shown, 0, DT_NOPREFIX);
            if (item.cx > info.rcItem.right - info.rcItem.left || item.cy > info.rcItem.bottom - info.rcItem.top)
                return false;
        }
        return true;
    }
    default: return true;
    }
}

}  // namespace

LayoutFaults MeasureLayout(const Form& form, const LayoutByDesign& design) {
    const auto named = [](const std::initializer_list<const wchar_t*>& names, const Control* c) {
        return c && std::any_of(names.begin(), names.end(), [&](const wchar_t* name) { return c->Name() == name; });
    };
    // A window that the form or one of its containers shows: a control of the form's table, or
    // one placed outside it (a list view), named by its class and its place among those.
    struct Shown {
        const Control* control;  // null outside the table
        HWND window, parent;
        RECT place;  // in the parent's client area
        std::string name, fault;
    };
    std::vector<Shown> shown;
    std::set<HWND> containers{form.hWnd()}, tabled;
    for (const Control* c : form.Controls()) {
        if (c->Type() == ControlType::Timer || !::IsWindowVisible(c->Window())) continue;
        tabled.insert(c->Window());
        if (c->Type() == ControlType::Frame || c->Type() == ControlType::PictureBox) containers.insert(c->Window());
        shown.push_back(
            {c, c->Window(), ::GetParent(c->Window()), InParent(c->Window()), Named(*c), Fault(*c, c->Caption())});
    }
    std::map<std::wstring, int> ofClass;
    for (HWND container : containers) {
        for (HWND w = ::GetWindow(container, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
            if (tabled.count(w) || !::IsWindowVisible(w)) continue;
            wchar_t cls[64] = {};
            ::GetClassNameW(w, cls, 64);
            const std::string name = Narrow(std::wstring(cls) + L"#" + std::to_wstring(++ofClass[cls]));
            shown.push_back({nullptr, w, container, InParent(w), name, name + ": "});
        }
    }
    // The window's scroll range: `scrolled` pixels of it lie above the client area, `further`
    // below; the part of the client area on the work area is what the user sees.
    const HWND window = form.hWnd();
    int scrolled = 0, further = 0;
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    if ((::GetWindowLongW(window, GWL_STYLE) & WS_VSCROLL) && ::GetScrollInfo(window, SB_VERT, &bar)) {
        scrolled = bar.nPos - bar.nMin;
        further = std::max(0, bar.nMax - bar.nPos - static_cast<int>(bar.nPage) + 1);
    }
    const RECT work = WorkAreaOf(window);
    RECT client{}, seen{};
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::IntersectRect(&seen, &client, &work);
    LayoutFaults faults;
    for (const Shown& s : shown) {
        const Control* c = s.control;
        const RECT& r = s.place;
        RECT parent{};
        ::GetClientRect(s.parent, &parent);
        if (s.parent == window) {
            parent.top -= scrolled;
            parent.bottom += further;
        }
        if (r.left < parent.left || r.top < parent.top || r.right > parent.right || r.bottom > parent.bottom)
            faults.outside.insert(s.fault);
        // Some position of the scroll bar shows it whole: it lies no lower than `further` pixels
        // below the seen part, no higher than `scrolled` above it, and fits its height. A
        // container that shows controls is judged by them: it need not fit the seen height
        // whole where each of them is reached.
        RECT onScreen = s.place;
        ::MapWindowPoints(s.parent, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
        const bool holds =
            std::any_of(shown.begin(), shown.end(), [&](const Shown& in) { return in.parent == s.window; });
        if (onScreen.left < seen.left || onScreen.right > seen.right ||
            (!holds && onScreen.bottom - onScreen.top > seen.bottom - seen.top) ||
            onScreen.bottom > seen.bottom + further || onScreen.top < seen.top - scrolled)
            faults.unreachable.insert(s.fault);
        for (const Shown& other : shown) {
            RECT both{};
            if (s.name < other.name && other.parent == s.parent && ::IntersectRect(&both, &r, &other.place) &&
                !(c && other.control && c->Name() == other.control->Name() && named(design.stacked, c)))
                faults.overlapping.insert(s.name + " " + other.name);
        }
        if (!c) continue;
        if (c->Type() == ControlType::Frame) {
            // Nothing inside covers the caption.
            const SIZE caption = ControlText(*c).Size(c->Caption().empty() ? L"Xg" : c->Caption());
            const RECT band{8, 0, 8 + caption.cx, caption.cy};
            for (const Shown& inside : shown) {
                RECT both{};
                if (inside.parent == s.window && ::IntersectRect(&both, &band, &inside.place))
                    faults.overlapping.insert(inside.name + " " + s.name);
            }
        }
        std::wstring text;
        if (!TextFits(*c, text) && !named(design.partial, c)) faults.clipped.insert(Fault(*c, text));
    }
    return faults;
}

void ExpectWholeLayout(const Form& form, const std::string& where, const LayoutByDesign& design) {
    const LayoutFaults faults = MeasureLayout(form, design);
    EXPECT_EQ(faults.outside, std::set<std::string>{}) << where << ": controls outside their container";
    EXPECT_EQ(faults.overlapping, std::set<std::string>{}) << where << ": controls on each other";
    EXPECT_EQ(faults.clipped, std::set<std::string>{}) << where << ": texts cut";
    EXPECT_EQ(faults.unreachable, std::set<std::string>{}) << where << ": controls off the work area";
}

}  // namespace kal::testing
