#include "toolkit/forms.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>

#include "base/dyncalls.h"
#include "base/log.h"
#include "base/raii.h"
#include "base/screen.h"
#include "startup/utility.h"
#include "base/subclass.h"
#include "toolkit/utility.h"

namespace kal {
namespace {

constexpr wchar_t kFormClass[] = L"KalvenorForm";
constexpr wchar_t kFrameClass[] = L"KalvenorFrame";
constexpr wchar_t kPictureClass[] = L"KalvenorPicture";

// Never destroyed: forms kept in static storage may unload after these would be gone.
std::vector<Form*>& LoadedList() {
    static auto* forms = new std::vector<Form*>;
    return *forms;
}

// Control windows -> their wrappers, for the notifications their containers receive.
std::map<HWND, Control*>& ControlWindows() {
    static auto* windows = new std::map<HWND, Control*>;
    return *windows;
}

Control* ControlOf(HWND h) {
    auto it = ControlWindows().find(h);
    return it == ControlWindows().end() ? nullptr : it->second;
}

int ToPixels(int twips, int dpi) { return static_cast<int>(std::nearbyint(twips * static_cast<double>(dpi) / 1440.0)); }
int ToTwips(int pixels, int dpi) { return static_cast<int>(std::nearbyint(pixels * 1440.0 / dpi)); }

LRESULT CALLBACK LayerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    try {
        return form->Dispatch(hWnd, msg, wParam, lParam);
    } catch (...) {
        LogFormCaught(*form, L"window procedure");
        return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    }
}

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const wchar_t* name : {kFormClass, kFrameClass, kPictureClass}) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = name == kFormClass ? 0 : CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &LayerProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = name;
        ::RegisterClassExW(&wc);
    }
}

// "name" or "name(index)".
void ParseContainer(const std::wstring& text, std::wstring& name, int& index) {
    index = -1;
    name = text;
    const auto open = text.find(L'(');
    if (open != std::wstring::npos && text.back() == L')') {
        name = text.substr(0, open);
        index = std::stoi(text.substr(open + 1, text.size() - open - 2));
    }
}

void PaintFrame(HWND hWnd, const Frame& frame) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hWnd, &ps);
    RECT r;
    ::GetClientRect(hWnd, &r);
    HFONT font = frame.Font() ? frame.Font()->Handle() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    RECT box = r;
    box.top += tm.tmHeight / 2;
    ::DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
    const std::wstring caption = frame.Caption();
    if (!caption.empty()) {
        ::SetBkColor(dc, frame.BackColor());
        ::SetTextColor(dc, ::GetSysColor(::IsWindowEnabled(hWnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        ::SetBkMode(dc, OPAQUE);
        RECT text{8, 0, r.right - 8, tm.tmHeight};
        ::DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE);
    }
    ::SelectObject(dc, old);
    ::EndPaint(hWnd, &ps);
}

// The theme functions, for the buttons that the common controls draw with visual styles (whose
// library has then loaded them already).
struct ThemeFunctions {
    dyn::GetWindowThemeFn window = dyn::GetWindowTheme();
    dyn::DrawThemeBackgroundFn background = dyn::DrawThemeBackground();
    dyn::DrawThemeParentBackgroundFn parent = dyn::DrawThemeParentBackground();
    dyn::IsThemeBackgroundPartiallyTransparentFn transparent = dyn::IsThemeBackgroundPartiallyTransparent();
    dyn::GetThemeBackgroundContentRectFn content = dyn::GetThemeBackgroundContentRect();
    dyn::DrawThemeTextFn text = dyn::DrawThemeText();
    bool Complete() const { return window && background && parent && transparent && content && text; }
};

const ThemeFunctions& Theme() {
    static const ThemeFunctions functions;
    return functions;
}

// A push-like check box or option that is checked shows pressed, even while disabled, where it
// looks like an active button: that one is drawn as a disabled button instead. False for any
// other button, which draws itself.
bool DrawDisabledCheckedPushLike(HWND button, HDC dc) {
    const LONG style = ::GetWindowLongW(button, GWL_STYLE);
    if (!(style & BS_PUSHLIKE) || ::IsWindowEnabled(button) ||
        ::SendMessageW(button, BM_GETCHECK, 0, 0) != BST_CHECKED)
        return false;
    RECT r;
    ::GetClientRect(button, &r);
    RECT inside = r;
    const ThemeFunctions& theme = Theme();
    HTHEME look = theme.window ? theme.window(button) : nullptr;
    if (look && !theme.Complete()) look = nullptr;
    if (look) {
        if (theme.transparent(look, BP_PUSHBUTTON, PBS_DISABLED)) theme.parent(button, dc, nullptr);
        theme.background(look, dc, BP_PUSHBUTTON, PBS_DISABLED, &r, nullptr);
        theme.content(look, dc, BP_PUSHBUTTON, PBS_DISABLED, &r, &inside);
    } else {
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_INACTIVE);
        ::InflateRect(&inside, -3, -3);
    }

    const auto icon = (style & BS_ICON) ? reinterpret_cast<HICON>(::SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0))
                                        : nullptr;
    if (icon) {
        ICONINFO info{};
        int cx = 16, cy = 16;
        if (::GetIconInfo(icon, &info)) {
            BITMAP bm{};
            if (info.hbmColor && ::GetObjectW(info.hbmColor, sizeof bm, &bm)) {
                cx = bm.bmWidth;
                cy = bm.bmHeight;
            }
            if (info.hbmColor) ::DeleteObject(info.hbmColor);
            if (info.hbmMask) ::DeleteObject(info.hbmMask);
        }
        ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, (r.left + r.right - cx) / 2,
                     (r.top + r.bottom - cy) / 2, cx, cy, DST_ICON | DSS_DISABLED);
        return true;
    }

    const int length = ::GetWindowTextLengthW(button);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(::GetWindowTextW(button, caption.data(), length + 1)));
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0));
    SelectGuard selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    UINT flags = DT_CENTER;
    if (style & BS_MULTILINE) {
        // Word-wrapped lines are centred by hand: the system centres single lines only.
        flags |= DT_WORDBREAK;
        RECT measured = inside;
        ::DrawTextW(dc, caption.c_str(), -1, &measured, flags | DT_CALCRECT);
        const int spare = (inside.bottom - inside.top) - (measured.bottom - measured.top);
        if (spare > 0) inside.top += spare / 2;
    } else {
        flags |= DT_SINGLELINE | DT_VCENTER;
    }
    if (look) {
        theme.text(look, dc, BP_PUSHBUTTON, PBS_DISABLED, caption.c_str(), -1, flags, 0, &inside);
    } else {
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextW(dc, caption.c_str(), -1, &inside, flags);
    }
    return true;
}

}  // namespace

int TwipsToPixelsX(int twips) { return ToPixels(twips, ScreenDpiX()); }
int TwipsToPixelsY(int twips) { return ToPixels(twips, ScreenDpiY()); }
int PixelsToTwipsX(int pixels) { return ToTwips(pixels, ScreenDpiX()); }
int PixelsToTwipsY(int pixels) { return ToTwips(pixels, ScreenDpiY()); }

// ---- Control ----

Control::Control(Form& form, const ControlRow& row)
    : form_(form), name_(row.name), index_(row.index), type_(row.type) {}

Control::~Control() {
    if (hwnd_) ControlWindows().erase(hwnd_);
}

HWND Control::CreateChild(const wchar_t* cls, DWORD style, DWORD exStyle, const ControlRow& row, HWND container) {
    const bool own = cls == kFrameClass || cls == kPictureClass;
    EnsureCommonControls();
    hwnd_ = ::CreateWindowExW(exStyle, cls, row.caption.c_str(), WS_CHILD | WS_VISIBLE | style | row.style,
                              TwipsToPixelsX(row.left), TwipsToPixelsY(row.top) - ScrolledBy(container),
                              TwipsToPixelsX(row.width), TwipsToPixelsY(row.height), container, nullptr,
                              ::GetModuleHandleW(nullptr), own ? &form_ : nullptr);
    if (hwnd_) ControlWindows()[hwnd_] = this;
    return hwnd_;
}

bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
void Control::SetEnabled(bool enabled) {
    if (hwnd_) ::EnableWindow(hwnd_, enabled);
}
bool Control::Visible() const { return hwnd_ && (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void Control::SetVisible(bool visible) {
    if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

std::wstring Control::Caption() const {
    if (!hwnd_) return L"";
    const int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd_, text.data(), n + 1)));
    return text;
}
void Control::SetCaption(const std::wstring& caption) {
    if (!hwnd_) return;
    ::SetWindowTextW(hwnd_, caption.c_str());
    if (type_ == ControlType::Frame) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

namespace {
RECT RectInParent(HWND h) {
    RECT r{};
    if (!h) return r;
    ::GetWindowRect(h, &r);
    ::MapWindowPoints(nullptr, ::GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

int Control::ScrolledBy(HWND container) const { return container && container == form_.hWnd() ? form_.ScrollTop() : 0; }

int Control::Left() const { return PixelsToTwipsX(RectInParent(hwnd_).left); }
int Control::Top() const {
    return hwnd_ ? PixelsToTwipsY(RectInParent(hwnd_).top + ScrolledBy(::GetParent(hwnd_))) : 0;
}
int Control::Width() const {
    const RECT r = RectInParent(hwnd_);
    return PixelsToTwipsX(r.right - r.left);
}
int Control::Height() const {
    const RECT r = RectInParent(hwnd_);
    return PixelsToTwipsY(r.bottom - r.top);
}
void Control::Move(int left, int top, int width, int height) {
    if (!hwnd_) return;
    ::MoveWindow(hwnd_, TwipsToPixelsX(left), TwipsToPixelsY(top) - ScrolledBy(::GetParent(hwnd_)),
                 TwipsToPixelsX(width), TwipsToPixelsY(height), TRUE);
}

void Control::SetFont(const UIFont& font) {
    font_ = font;
    if (HWND h = hWnd()) ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
    if (hwnd_ && hwnd_ != hWnd()) ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
}

void Control::RaiseClick() {
    if (Click) Click();
}
void Control::RaiseChange() {
    if (Change) Change();
}

// ---- Simple controls ----

Label::Label(Form& form, const ControlRow& row, HWND container) : Control(form, row) {
    CreateChild(WC_STATICW, SS_NOTIFY, 0, row, container);
}
void Label::OnCommand(WORD code) {
    if (code == STN_CLICKED) RaiseClick();
}

CommandButton::CommandButton(Form& form, const ControlRow& row, HWND container) : Control(form, row) {
    CreateChild(WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0, row, container);
}
void CommandButton::OnCommand(WORD code) {
    if (code == BN_CLICKED) RaiseClick();
}

CheckBox::CheckBox(Form& form, const ControlRow& row, HWND container) : Control(form, row) {
    CreateChild(WC_BUTTONW, BS_3STATE | WS_TABSTOP, 0, row, container);
}
int CheckBox::Value() const {
    const LRESULT s = hwnd_ ? ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) : 0;
    return s == BST_CHECKED ? 1 : s == BST_INDETERMINATE ? 2 : 0;
}
void CheckBox::SetValue(int value) {
    if (!hwnd_ || value == Value()) return;
    ::SendMessageW(hwnd_, BM_SETCHECK, value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED, 0);
    RaiseClick();
}
void CheckBox::OnCommand(WORD code) {
    if (code == BN_CLICKED) SetValue(Value() == 1 ? 0 : 1);
}

OptionButton::OptionButton(Form& form, const ControlRow& row, HWND container) : Control(form, row) {
    CreateChild(WC_BUTTONW, BS_RADIOBUTTON | WS_TABSTOP, 0, row, container);
}
bool OptionButton::Value() const { return hwnd_ && ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void OptionButton::SetValue(bool value) {
    if (!hwnd_) return;
    if (!value) {
        ::SendMessageW(hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
        return;
    }
    const bool was = Value();
    for (Control* c : form_.ControlArray(name_))
        if (c != this && c->Window()) ::SendMessageW(c->Window(), BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageW(hwnd_, BM_SETCHECK, BST_CHECKED, 0);
    if (!was) RaiseClick();
}
void OptionButton::OnCommand(WORD code) {
    if (code == BN_CLICKED) SetValue(true);
}

TextBox::TextBox(Form& form, const ControlRow& row, HWND container) : Control(form, row) {
    CreateChild(WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, row, container);
}
void TextBox::SetText(const std::wstring& text) {
    if (!hwnd_ || text == Text()) return;
    const int before = changes_;
    ::SetWindowTextW(hwnd_, text.c_str());
    // A multi-line box does not notify a text set by code.
    if (changes_ == before) {
        ++changes_;
        RaiseChange();
    }
}
void TextBox::OnCommand(WORD code) {
    if (code == EN_CHANGE) {
        ++changes_;
        RaiseChange();
    }
}

// The typed keys of an editable box's edit part, passed on to the box's events before the edit
// part takes them.
class ComboBox::EditHook final : public ISubclass {
public:
    explicit EditHook(ComboBox& box) : box_(box) {}
    std::int32_t MsgResponse() const override { return MsgResponsePostProcess; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND, UINT iMsg, WPARAM wParam, LPARAM) override {
        if (iMsg == WM_CHAR && box_.KeyPress) box_.KeyPress(static_cast<wchar_t>(wParam));
        if (iMsg == WM_KEYUP && box_.KeyUp) box_.KeyUp(static_cast<WORD>(wParam));
        return 0;
    }

private:
    ComboBox& box_;
};

ComboBox::ComboBox(Form& form, const ControlRow& row, HWND container) : Control(form, row) {
    ControlRow dropped = row;
    dropped.height = row.height + 3000;  // room for the list when it drops down
    const bool editable = (row.style & 3) == CBS_DROPDOWN;
    dropped.style &= ~static_cast<DWORD>(3);
    CreateChild(WC_COMBOBOXW, (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) | WS_VSCROLL | WS_TABSTOP,
                0, dropped, container);
    if (!editable || !hwnd_) return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!::GetComboBoxInfo(hwnd_, &info) || !info.hwndItem) return;
    edit_ = info.hwndItem;
    editHook_ = std::make_unique<EditHook>(*this);
    try {
        MSubclass::AttachMessage(editHook_.get(), edit_, WM_CHAR);
        MSubclass::AttachMessage(editHook_.get(), edit_, WM_KEYUP);
    } catch (...) {
        // Typing still works; only its events are missing.
        LogFormCaught(form, L"combo box edit hook");
        UnhookEdit();
        edit_ = info.hwndItem;
    }
}
ComboBox::~ComboBox() { UnhookEdit(); }
void ComboBox::UnhookEdit() {
    if (editHook_ && edit_) {
        MSubclass::DetachMessage(editHook_.get(), edit_, WM_CHAR);
        MSubclass::DetachMessage(editHook_.get(), edit_, WM_KEYUP);
    }
    edit_ = nullptr;
}
void ComboBox::Detach() {
    UnhookEdit();
    Control::Detach();
}
std::wstring ComboBox::Text() const {
    // While a choice's Click runs, the edit part may still show the text before it.
    const int i = ListIndex();
    return i >= 0 ? List(i) : Caption();
}
void ComboBox::SetText(const std::wstring& text) {
    if (hwnd_) ::SetWindowTextW(hwnd_, text.c_str());
}
void ComboBox::AddItem(const std::wstring& text, std::intptr_t itemData) {
    if (!hwnd_) return;
    const LRESULT i = ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (i >= 0) ::SendMessageW(hwnd_, CB_SETITEMDATA, i, itemData);
}
void ComboBox::Clear() {
    if (hwnd_) ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}
int ComboBox::ListCount() const { return hwnd_ ? static_cast<int>(::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)) : 0; }
std::wstring ComboBox::List(int i) const {
    if (!hwnd_ || i < 0 || i >= ListCount()) return L"";
    const LRESULT n = ::SendMessageW(hwnd_, CB_GETLBTEXTLEN, i, 0);
    if (n < 0) return L"";
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    ::SendMessageW(hwnd_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}
std::intptr_t ComboBox::ItemData(int i) const {
    return hwnd_ ? static_cast<std::intptr_t>(::SendMessageW(hwnd_, CB_GETITEMDATA, i, 0)) : 0;
}
int ComboBox::ListIndex() const { return hwnd_ ? static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)) : -1; }
void ComboBox::SetListIndex(int i) {
    if (!hwnd_ || i == ListIndex()) return;
    ::SendMessageW(hwnd_, CB_SETCURSEL, i, 0);
    RaiseClick();
}
void ComboBox::OnCommand(WORD code) {
    if (code == CBN_SELCHANGE) RaiseClick();
    if (code == CBN_KILLFOCUS && LostFocus) LostFocus();
}

Frame::Frame(Form& form, const ControlRow& row, HWND container)
    : Control(form, row), back_(::GetSysColor(COLOR_BTNFACE)) {
    CreateChild(kFrameClass, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, row, container);
}

void Frame::SetBackColor(COLORREF colour) {
    back_ = colour;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

// The caption is drawn in the font, so a new font shows at once.
void Frame::SetFont(const UIFont& font) {
    Control::SetFont(font);
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

// ---- Picture box ----

PictureBox::PictureBox(Form& form, const ControlRow& row, HWND container)
    : Control(form, row), back_(::GetSysColor(COLOR_BTNFACE)) {
    CreateChild(kPictureClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, row, container);
}

PictureBox::~PictureBox() { Detach(); }

void PictureBox::Detach() {
    if (dc_) {
        ::SelectObject(dc_, oldBitmap_);
        ::DeleteDC(dc_);
        dc_ = nullptr;
    }
    if (bitmap_) {
        ::DeleteObject(bitmap_);
        bitmap_ = nullptr;
    }
    Control::Detach();
}

void PictureBox::EnsureBuffer() {
    if (!hwnd_) return;
    RECT r;
    ::GetClientRect(hwnd_, &r);
    const SIZE want{std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1)};
    if (dc_ && want.cx == size_.cx && want.cy == size_.cy) return;
    HDC screen = ::GetDC(hwnd_);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, want.cx, want.cy);
    ::ReleaseDC(hwnd_, screen);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    // Keep what was drawn when the box grows or shrinks.
    RECT all{0, 0, want.cx, want.cy};
    HBRUSH brush = ::CreateSolidBrush(back_);
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    if (dc_) {
        ::BitBlt(dc, 0, 0, std::min(want.cx, size_.cx), std::min(want.cy, size_.cy), dc_, 0, 0, SRCCOPY);
        ::SelectObject(dc_, oldBitmap_);
        ::DeleteDC(dc_);
        ::DeleteObject(bitmap_);
    }
    dc_ = dc;
    bitmap_ = bmp;
    oldBitmap_ = old;
    size_ = want;
}

HDC PictureBox::hDC() {
    EnsureBuffer();
    return dc_;
}

void PictureBox::SetBackColor(COLORREF colour) {
    back_ = colour;
    Cls();
}

void PictureBox::Cls() {
    EnsureBuffer();
    if (!dc_) return;
    RECT all{0, 0, size_.cx, size_.cy};
    HBRUSH brush = ::CreateSolidBrush(back_);
    ::FillRect(dc_, &all, brush);
    ::DeleteObject(brush);
    Refresh();
}

void PictureBox::Refresh() {
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::PaintTo(HDC target) {
    EnsureBuffer();
    if (dc_) ::BitBlt(target, 0, 0, size_.cx, size_.cy, dc_, 0, 0, SRCCOPY);
    if (Paint) Paint(target);
}

void PictureBox::OnCommand(WORD code) {
    if (code == STN_CLICKED) RaiseClick();
}

// ---- Slider ----

Slider::Slider(Form& form, const ControlRow& row, HWND container)
    : Control(form, row), bar_(std::make_unique<cSlider>()) {
    bar_->Change = [this](std::int32_t) { RaiseChange(); };
    bar_->Create(container, TwipsToPixelsX(row.left), TwipsToPixelsY(row.top) - ScrolledBy(container),
                 TwipsToPixelsX(row.width), TwipsToPixelsY(row.height), row.properties);
    hwnd_ = bar_->HostWindow();
    if (hwnd_) ControlWindows()[hwnd_] = this;
}

void Slider::SetEnabled(bool enabled) { bar_->SetEnabled(enabled); }

// ---- Timer ----

ControlRow TimerRow(ControlName control, int interval) {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"Interval", interval, 0);
    bag.Write<bool>(L"Enabled", false, true);
    return ControlRow(ControlType::Timer, std::move(control), -1, {}, 0, 0, 0, 0, 0, {}, std::move(bag));
}

Timer::Timer(Form& form, const ControlRow& row)
    : Control(form, row), id_(reinterpret_cast<UINT_PTR>(this)) {
    interval_ = row.properties.Read<std::int32_t>(L"Interval", 0);
    enabled_ = row.properties.Read<bool>(L"Enabled", true);
    Arm();
}

void Timer::Arm() {
    HWND owner = form_.hWnd();
    if (!owner) return;
    ::KillTimer(owner, id_);
    if (enabled_ && interval_ > 0) ::SetTimer(owner, id_, static_cast<UINT>(interval_), nullptr);
}

void Timer::SetInterval(int milliseconds) {
    interval_ = milliseconds;
    Arm();
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Arm();
}

void Timer::Fire() {
    if (Tick) Tick();
}

void Timer::Detach() {
    if (form_.hWnd()) ::KillTimer(form_.hWnd(), id_);
    Control::Detach();
}

// ---- Form ----

void LogFormCaught(const Form& form, const wchar_t* where) noexcept {
    try {
        LogCaught(form.Name() + L" " + where);
    } catch (...) {
        LogCaught(where);
    }
}

Form::Form(std::wstring name) : name_(std::move(name)) {}

Form::~Form() {
    if (Loaded()) {
        DestroyWindowAndControls();
        auto& forms = LoadedList();
        forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    }
    for (FontMember* m : fontMembers_) m->form_ = nullptr;
}

FontMember::~FontMember() {
    if (form_) form_->RemoveFontMember(*this);
}

void Form::AddFontMember(FontMember& member) {
    if (member.form_ == this) return;
    if (member.form_) member.form_->RemoveFontMember(member);
    fontMembers_.push_back(&member);
    member.form_ = this;
}

void Form::RemoveFontMember(FontMember& member) {
    fontMembers_.erase(std::remove(fontMembers_.begin(), fontMembers_.end(), &member), fontMembers_.end());
    member.form_ = nullptr;
}

void Form::Design(FormLayout layout, std::vector<ControlRow> controls) {
    layout_ = std::move(layout);
    table_ = std::move(controls);
}

bool Form::Visible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void Form::Load() {
    if (Loaded()) return;
    RegisterClasses();
    controls_.clear();
    RECT r{0, 0, TwipsToPixelsX(layout_.width), TwipsToPixelsY(layout_.height)};
    const DWORD style = layout_.style & ~WS_VISIBLE;
    ::AdjustWindowRectEx(&r, style, FALSE, layout_.exStyle);
    const int x = layout_.left < 0 ? CW_USEDEFAULT : TwipsToPixelsX(layout_.left);
    const int y = layout_.left < 0 ? CW_USEDEFAULT : TwipsToPixelsY(layout_.top);
    hwnd_ = ::CreateWindowExW(layout_.exStyle | WS_EX_CONTROLPARENT, kFormClass, layout_.caption.c_str(), style, x, y,
                              r.right - r.left, r.bottom - r.top, parent_,
                              style & WS_CHILD ? nullptr : CreationMenu(), ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) throw std::runtime_error("form window can't be created");
    LoadedList().push_back(this);
    scrollTop_ = 0;
    contentHeight_ = TwipsToPixelsY(layout_.height);
    FitToWorkArea();

    for (const ControlRow& row : table_) controls_.push_back(MakeBoundControl(row));
    OnLoad();
}

std::unique_ptr<Control> Form::MakeControl(const ControlRow& row) {
    HWND container = hwnd_;
    if (!row.container.empty()) {
        std::wstring name;
        int index;
        ParseContainer(row.container, name, index);
        container = Ctl(name, index).Window();
    }
    switch (row.type) {
    case ControlType::Label: return std::make_unique<Label>(*this, row, container);
    case ControlType::CommandButton: return std::make_unique<CommandButton>(*this, row, container);
    case ControlType::CheckBox: return std::make_unique<CheckBox>(*this, row, container);
    case ControlType::OptionButton: return std::make_unique<OptionButton>(*this, row, container);
    case ControlType::TextBox: return std::make_unique<TextBox>(*this, row, container);
    case ControlType::ComboBox: return std::make_unique<ComboBox>(*this, row, container);
    case ControlType::Frame: return std::make_unique<Frame>(*this, row, container);
    case ControlType::PictureBox: return std::make_unique<PictureBox>(*this, row, container);
    case ControlType::Slider: return std::make_unique<Slider>(*this, row, container);
    case ControlType::Timer: return std::make_unique<Timer>(*this, row);
    }
    throw std::invalid_argument("unknown control type");
}

std::unique_ptr<Control> Form::MakeBoundControl(const ControlRow& row) {
    std::unique_ptr<Control> c = MakeControl(row);
    if (row.bind) row.bind(*this, *c);
    return c;
}

Control& Form::AddControl(const ControlRow& row) {
    if (!Loaded()) throw std::logic_error("a control is added to a loaded form");
    if (Find(row.name, row.index)) throw std::invalid_argument("the control exists already");
    controls_.push_back(MakeBoundControl(row));
    Control& c = *controls_.back();
    if (font_) ApplyFontToControl(c, *font_);
    return c;
}

void Form::DestroyWindowAndControls() {
    for (auto& c : controls_)
        if (c->Type() == ControlType::Timer) c->Detach();
    for (auto& c : controls_)
        if (c->Window()) ControlWindows().erase(c->Window());
    HWND h = std::exchange(hwnd_, nullptr);
    if (h) {
        ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        ::DestroyWindow(h);
    }
    // The wrappers stay until the next load or the form's end: an event handler may be the one
    // unloading the form.
    for (auto& c : controls_) c->Detach();
}

bool Form::Unload() {
    if (!Loaded()) return true;
    bool cancel = false;
    OnQueryUnload(cancel);
    if (cancel) return false;
    if (IsModal(*this)) SetModalState(*this, false);
    OnUnload();
    DestroyWindowAndControls();
    auto& forms = LoadedList();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    return true;
}

void Form::Show() {
    Load();
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
}

void Form::Hide() {
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

std::wstring Form::Caption() const {
    if (!hwnd_) return layout_.caption;
    const int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd_, text.data(), n + 1)));
    return text;
}

void Form::SetCaption(const std::wstring& caption) {
    layout_.caption = caption;
    if (hwnd_) ::SetWindowTextW(hwnd_, caption.c_str());
}

Control* Form::Find(const std::wstring& name, int index) const {
    for (const auto& c : controls_)
        if (c->Index() == index && EqualsNoCase(c->Name(), name)) return c.get();
    return nullptr;
}

Control& Form::Ctl(const std::wstring& name, int index) const {
    if (Control* c = Find(name, index)) return *c;
    throw std::out_of_range("no such control");
}

std::vector<Control*> Form::Controls() const {
    std::vector<Control*> all;
    for (const auto& c : controls_) all.push_back(c.get());
    return all;
}

std::vector<Control*> Form::ControlArray(const std::wstring& name) const {
    std::vector<Control*> members;
    for (const auto& c : controls_)
        if (c->Index() >= 0 && EqualsNoCase(c->Name(), name)) members.push_back(c.get());
    std::sort(members.begin(), members.end(), [](Control* a, Control* b) { return a->Index() < b->Index(); });
    return members;
}

LRESULT Form::Dispatch(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == hwnd_) {
        LRESULT result = 0;
        if (HandleMessage(msg, wParam, lParam, result)) return result;
        // The window's own scroll bar (a slider's arrives with its window in lParam).
        if ((msg == WM_MOUSEWHEEL || (msg == WM_VSCROLL && !lParam)) && Scroll(msg, wParam)) return 0;
    }
    switch (msg) {
    case WM_COMMAND:
        if (lParam) {
            if (Control* c = ControlOf(reinterpret_cast<HWND>(lParam))) {
                c->OnCommand(HIWORD(wParam));
                return 0;
            }
        }
        break;
    case WM_TIMER:
        if (hWnd == hwnd_) {
            for (const auto& c : controls_)
                if (auto* t = dynamic_cast<Timer*>(c.get()); t && t->Id() == wParam) {
                    t->Fire();
                    return 0;
                }
        }
        break;
    case WM_ACTIVATE:
        if (hWnd == hwnd_ && LOWORD(wParam) != WA_INACTIVE) OnActivate();
        break;
    case WM_GETDLGCODE:
        // A frame's caption is a label to the dialog manager: its mnemonic reaches the frame.
        if (dynamic_cast<Frame*>(ControlOf(hWnd))) return DLGC_STATIC;
        break;
    case WM_NEXTDLGCTL:
        // The dialog manager moves the focus with it for a mnemonic of a label or a frame (to the
        // control after it) and for an arrow key that leaves an option group; a form is no dialog
        // box, so it does what the dialog box's own procedure would: the given control, or the
        // next or previous one in the tab order, an edit box with all of its text selected.
        if (hWnd == hwnd_) {
            const HWND focus = ::GetFocus();
            HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : nullptr;
            // A frame its mnemonic focused hands the focus on to its first control.
            if (!LOWORD(lParam) && !wParam && dynamic_cast<Frame*>(ControlOf(focus)))
                if (HWND inner = ::GetNextDlgTabItem(focus, nullptr, FALSE); inner && ::IsChild(focus, inner)) next = inner;
            if (!next && !LOWORD(lParam)) next = ::GetNextDlgTabItem(hwnd_, focus, wParam != 0);
            if (next && ::IsChild(hwnd_, next)) {
                if (::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(next, EM_SETSEL, 0, -1);
                ::SetFocus(next);
            }
            return 0;
        }
        break;
    case WM_CLOSE:
        if (hWnd == hwnd_) {
            Unload();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (dynamic_cast<PictureBox*>(ControlOf(hWnd))) return 1;
        if (auto* frame = dynamic_cast<Frame*>(ControlOf(hWnd))) {
            RECT r;
            ::GetClientRect(hWnd, &r);
            const UniqueGdiObject brush(::CreateSolidBrush(frame->BackColor()));
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(brush.get()));
            return 1;
        }
        break;
    case WM_PAINT:
        if (Control* c = ControlOf(hWnd)) {
            if (auto* pic = dynamic_cast<PictureBox*>(c)) {
                PAINTSTRUCT ps;
                HDC dc = ::BeginPaint(hWnd, &ps);
                pic->PaintTo(dc);
                ::EndPaint(hWnd, &ps);
                return 0;
            }
            if (auto* frame = dynamic_cast<Frame*>(c)) {
                PaintFrame(hWnd, *frame);
                return 0;
            }
        }
        break;
    case WM_LBUTTONUP:
        if (auto* pic = dynamic_cast<PictureBox*>(ControlOf(hWnd))) pic->OnCommand(STN_CLICKED);
        break;
    case WM_NOTIFY: {
        const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lParam);
        if (!draw || draw->hdr.code != NM_CUSTOMDRAW || draw->dwDrawStage != CDDS_PREERASE) break;
        const Control* c = ControlOf(draw->hdr.hwndFrom);
        if (c && (c->Type() == ControlType::CheckBox || c->Type() == ControlType::OptionButton) &&
            DrawDisabledCheckedPushLike(draw->hdr.hwndFrom, draw->hdc))
            return CDRF_SKIPDEFAULT;
        break;
    }
    default:
        break;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

void ModalDialog::OnActivate() { SetModalState(*this, true); }
void ModalDialog::OnQueryUnload(bool& /*cancel*/) { SetModalState(*this, false); }

// ---- Registry and loop ----

bool IsFormLoaded(const std::wstring& name) { return FindForm(name) != nullptr; }

// Form names compare exactly: "frmprofile" is not "frmProfile".
Form* FindForm(const std::wstring& name) {
    for (Form* f : LoadedList())
        if (f->Name() == name) return f;
    return nullptr;
}

std::vector<Form*> LoadedForms() { return LoadedList(); }

Form* MainForm() {
    for (Form* f : LoadedList())
        if (f->IsMainForm()) return f;
    return nullptr;
}

int RunMessageLoop() {
    MSG msg;
    while (!LoadedList().empty()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return -1;
        if (FormDialogMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

// ---- Acting as the user ----

namespace User {

bool CanAct(const Control& control) {
    HWND h = control.Window();
    if (!h || !::IsWindow(h) || !::IsWindowVisible(h)) return false;
    // Up the parent chain only: an owned window (a modal sheet) acts while its owner is disabled.
    for (; h; h = ::GetAncestor(h, GA_PARENT))
        if (!::IsWindowEnabled(h)) return false;
    return true;
}

bool Click(Control& control) {
    if (!CanAct(control)) return false;
    switch (control.Type()) {
    case ControlType::CommandButton:
    case ControlType::CheckBox:
    case ControlType::OptionButton:
        ::SendMessageW(control.Window(), BM_CLICK, 0, 0);
        return true;
    case ControlType::Label:
    case ControlType::PictureBox:
        control.OnCommand(STN_CLICKED);
        return true;
    default:
        return false;
    }
}

bool SetText(TextBox& box, const std::wstring& text) {
    if (!CanAct(box)) return false;
    ::SetWindowTextW(box.Window(), text.c_str());
    return true;
}

bool ChooseOption(OptionButton& option) { return Click(option); }

bool ChooseItem(ComboBox& box, int index) {
    if (!CanAct(box) || index < 0 || index >= box.ListCount()) return false;
    ::SendMessageW(box.Window(), CB_SETCURSEL, index, 0);
    // As the list reports a choice made with the mouse or the keyboard.
    ::SendMessageW(::GetParent(box.Window()), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(box.Window()), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(box.Window()));
    return true;
}

bool TypeText(ComboBox& box, const std::wstring& text) {
    HWND edit = box.EditWindow();
    if (!CanAct(box) || !edit) return false;
    ::SetFocus(edit);
    for (const wchar_t c : text) {
        const SHORT scan = ::VkKeyScanW(c);
        const WPARAM key = scan == -1 ? 0 : static_cast<WPARAM>(scan & 0xFF);
        ::SendMessageW(edit, WM_KEYDOWN, key, 1);
        ::SendMessageW(edit, WM_CHAR, c, 1);
        ::SendMessageW(edit, WM_KEYUP, key, 0xC0000001);
    }
    return true;
}

bool DragTo(Slider& slider, std::int32_t value) {
    if (!CanAct(slider)) return false;
    cSlider& bar = slider.Bar();
    HWND tb = bar.hWnd();
    if (!tb) return false;
    const std::int32_t pos = bar.ValueFromPosition(value);
    const UINT msg = bar.Orientation() == cSlider::Horizontal ? WM_HSCROLL : WM_VSCROLL;
    ::SendMessageW(tb, TBM_SETPOS, TRUE, pos);
    ::SendMessageW(bar.HostWindow(), msg, MAKEWPARAM(TB_THUMBTRACK, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(tb));
    ::SendMessageW(bar.HostWindow(), msg, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(tb));
    return true;
}

bool Wheel(Slider& slider, int notches) {
    if (!CanAct(slider) || !slider.Bar().hWnd()) return false;
    ::SendMessageW(slider.Bar().hWnd(), WM_MOUSEWHEEL,
                   MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(notches * WHEEL_DELTA))), 0);
    return true;
}

}  // namespace User
}  // namespace kal
