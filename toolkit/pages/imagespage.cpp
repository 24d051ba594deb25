#include "toolkit/pages/imagespage.h"

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <windowsx.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/bitmaps.h"
#include "base/log.h"
#include "toolkit/colour.h"
#include "toolkit/images/imageformat.h"
#include "toolkit/commondialog.h"
#include "toolkit/pages/pagehelpers.h"

namespace kal {

namespace {

constexpr wchar_t kAddFilter[] =
    L"ImageList Pictures (*.ICO;*.CUR;*.ANI;*.BMP;*.DIB;*.GIF)|*.ICO;*.CUR;*.ANI;*.BMP;*.GIF|"
    L"Icon Files (*.ICO)|*.ICO|Cursor Files (*.CUR;*.ANI)|*.CUR;*.ANI;|Bitmap Files (*.BMP;*.DIB)|*.BMP;*.DIB|"
    L"GIF Files (*.GIF)|*.GIF|All Files (*.*)|*.*";
constexpr wchar_t kClearQuestion[] = L"Are you sure you want to remove all icons?";
constexpr COLORREF kAutomaticFill = 0xFFFF00;  // cyan
constexpr std::uint32_t kMaxFrames = 0x7FFF;    // no more images than a list counts

constexpr wchar_t kFraColour[] = L"fraTransparentColour";
constexpr wchar_t kFraCurrent[] = L"fraCurrent";

std::vector<ControlRow> ImagesRows() {
    return {
        {ControlType::Frame, kFraColour, -1, L"", 60, 0, 5655, 2055},
        {ControlType::Label, L"lblBitmapColour", -1, L"Bitmap &Transparent Colour (set before adding bitmaps or GIFs):",
         120, 180, 5355, 315, 0, kFraColour},
        {ControlType::OptionButton, L"optTransparentColour", 0, L"&Set Automatically from Top-Left Pixel of Image", 180,
         420, 5115, 255, 0, kFraColour},
        {ControlType::OptionButton, L"optTransparentColour", 1, L"Use Co&lour:", 180, 660, 5115, 195, 0, kFraColour},
        {ControlType::Label, L"lblRGB", 0, L"Re&d:", 480, 960, 495, 195, 0, kFraColour},
        {ControlType::TextBox, L"txtRGB", 0, L"0", 1080, 900, 795, 315, 0, kFraColour},
        {ControlType::Label, L"lblRGB", 1, L"&Green:", 480, 1260, 555, 195, 0, kFraColour},
        {ControlType::TextBox, L"txtRGB", 1, L"255", 1080, 1200, 795, 315, 0, kFraColour},
        {ControlType::Label, L"lblRGB", 2, L"&Blue:", 480, 1560, 555, 195, 0, kFraColour},
        {ControlType::TextBox, L"txtRGB", 2, L"255", 1080, 1500, 795, 315, 0, kFraColour},
        {ControlType::Label, L"lblColor", -1, L"", 1980, 900, 1155, 915, WS_BORDER, kFraColour},
        {ControlType::CommandButton, L"cmdPickColour", -1, L"&Pick...", 3180, 900, 1035, 315, 0, kFraColour},
        {ControlType::Frame, kFraCurrent, -1, L"", 60, 2040, 5655, 915},
        {ControlType::Label, L"lblItemIndex", -1, L"I&ndex:", 120, 240, 555, 195, 0, kFraCurrent},
        {ControlType::TextBox, L"txtIndex", -1, L"", 720, 180, 1215, 315, ES_READONLY, kFraCurrent},
        {ControlType::CommandButton, L"cmdBack", -1, L"3", 2040, 180, 315, 315, 0, kFraCurrent},
        {ControlType::CommandButton, L"cmdNext", -1, L"4", 2355, 180, 315, 315, 0, kFraCurrent},
        {ControlType::Label, L"lblItemKey", -1, L"&Key:", 2820, 240, 435, 195, 0, kFraCurrent},
        {ControlType::TextBox, L"txtKey", -1, L"", 3240, 180, 2175, 345, 0, kFraCurrent},
        {ControlType::CommandButton, L"cmdAdd", -1, L"&Add...", 120, 4260, 1035, 315},
        {ControlType::CommandButton, L"cmdRemove", -1, L"&Remove...", 1200, 4260, 1035, 315},
        {ControlType::CommandButton, L"cmdMoveDown", -1, L"<<", 2340, 4260, 1035, 315},
        {ControlType::CommandButton, L"cmdMoveUp", -1, L">>", 3420, 4260, 1035, 315},
        {ControlType::CommandButton, L"cmdClear", -1, L"&Clear...", 4680, 4260, 1035, 315},
        {ControlType::CheckBox, L"chkSetKeys", -1, L"&Set Keys from Filename(s)", 3240, 600, 2235, 195, 0, kFraCurrent},
    };
}

// The scroll bar's place in twips (it is no control of the form layer).
constexpr RECT kScrollTwips{90, 3840, 90 + 5610, 3840 + 195};

std::wstring Upper(std::wstring text) {
    if (!text.empty()) ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

Bytes ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return {};
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The window's place in its parent's client area.
RECT RectInParent(HWND h) {
    RECT r{};
    ::GetWindowRect(h, &r);
    ::MapWindowPoints(nullptr, ::GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Releases a COM interface.
template <typename T>
struct ComRelease {
    T* p = nullptr;
    ~ComRelease() {
        if (p) p->Release();
    }
};

// A 24-bit copy of a bitmap; null when it cannot be made.
HBITMAP PlainCopy(HBITMAP source) {
    BITMAP info{};
    if (!::GetObjectW(source, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) return nullptr;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    UniqueDC from(::CreateCompatibleDC(nullptr));
    UniqueDC to(::CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    UniqueBitmap copy(::CreateDIBSection(to.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!from || !to || !copy) return nullptr;
    SelectGuard in(from.get(), source);
    SelectGuard out(to.get(), copy.get());
    if (!in.Ok() || !out.Ok()) return nullptr;
    if (!::BitBlt(to.get(), 0, 0, info.bmWidth, height, from.get(), 0, 0, SRCCOPY)) return nullptr;
    out.Restore();
    return copy.release();
}

}  // namespace

// ---- PageScrollBar ----

void PageScrollBar::Create(HWND parent, const RECT& r) {
    hwnd_ = ::CreateWindowExW(0, WC_SCROLLBARW, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetScrollRange(hwnd_, SB_CTL, 0, 32767, FALSE);
}

std::int32_t PageScrollBar::Value() const { return hwnd_ ? ::GetScrollPos(hwnd_, SB_CTL) : 0; }

void PageScrollBar::SetValue(std::int32_t value) {
    if (hwnd_) ::SetScrollPos(hwnd_, SB_CTL, std::clamp(value, 0, Max()), TRUE);
}

std::int32_t PageScrollBar::Max() const {
    int low = 0, high = 0;
    if (hwnd_) ::GetScrollRange(hwnd_, SB_CTL, &low, &high);
    return high;
}

void PageScrollBar::SetMax(std::int32_t max) {
    if (!hwnd_) return;
    const std::int32_t value = Value();
    ::SetScrollRange(hwnd_, SB_CTL, 0, std::max(max, 0), TRUE);
    if (value > Max()) SetValue(Max());
}

void PageScrollBar::SetEnabled(bool enabled) {
    if (hwnd_) ::EnableWindow(hwnd_, enabled);
}

bool PageScrollBar::Scroll(WORD request, WORD thumb) {
    const std::int32_t before = Value();
    std::int32_t value = before;
    switch (request) {
    case SB_LINELEFT: value -= small_; break;
    case SB_LINERIGHT: value += small_; break;
    case SB_PAGELEFT: value -= large_; break;
    case SB_PAGERIGHT: value += large_; break;
    case SB_LEFT: value = 0; break;
    case SB_RIGHT: value = Max(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        value = ::GetScrollInfo(hwnd_, SB_CTL, &info) ? info.nTrackPos : thumb;
        break;
    }
    default: return false;
    }
    SetValue(value);
    return Value() != before;
}

// ---- ppgImages ----

ppgImages::ppgImages() : PropertyPage(L"ppgImages") {
    Design({L"Images", 5790, 4650, 0, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0}, ImagesRows());
    symbols_.name = L"Marlett";
    symbols_.size = 9;
}

ppgImages::~ppgImages() { Unload(); }

void ppgImages::OnLoad() {
    const UIFont font = UsePageFont();
    ApplyFontToControl(Ctl(L"cmdBack"), symbols_);
    ApplyFontToControl(Ctl(L"cmdNext"), symbols_);

    hscScroll_.Create(hWnd(), RECT{TwipsToPixelsX(kScrollTwips.left), TwipsToPixelsY(kScrollTwips.top),
                                TwipsToPixelsX(kScrollTwips.right), TwipsToPixelsY(kScrollTwips.bottom)});
    ::SetWindowPos(hscScroll_.hWnd(), Handle(kFraCurrent), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (HWND h = hscScroll_.hWnd()) ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font.Handle()), 0);

    sample_ = rgbBack_ = keyBack_ = ::GetSysColor(COLOR_BTNFACE);
    rgbText_ = rgbLabelText_ = ::GetSysColor(COLOR_BTNSHADOW);
    EnsureSurface();

    tips_.Create(hWnd());
    const std::pair<const wchar_t*, const wchar_t*> tips[] = {
        {L"cmdPickColour", L"Choose Transparent Colour"}, {L"cmdBack", L"Select Previous Icon"},
        {L"cmdNext", L"Select Next Icon"},                {L"cmdAdd", L"Add One or More Images"},
        {L"cmdRemove", L"Remove Selected Image"},         {L"cmdMoveDown", L"Move Selected Image Back"},
        {L"cmdMoveUp", L"Move Selected Image Forward"},   {L"cmdClear", L"Clear the Image List"},
    };
    for (const auto& [name, text] : tips) tips_.AddTool(Handle(name), text);

    auto on = [this](const wchar_t* name, void (ppgImages::*handler)()) {
        Ctl(name).Click = [this, handler] { Guarded([&] { (this->*handler)(); }); };
    };
    on(L"cmdAdd", &ppgImages::AddClicked);
    on(L"cmdRemove", &ppgImages::RemoveClicked);
    on(L"cmdClear", &ppgImages::ClearClicked);
    on(L"cmdMoveDown", &ppgImages::MoveBack);
    on(L"cmdMoveUp", &ppgImages::MoveForward);
    on(L"cmdBack", &ppgImages::BackClicked);
    on(L"cmdNext", &ppgImages::NextClicked);
    on(L"cmdPickColour", &ppgImages::PickColourClicked);
    Ctl(L"txtKey").Change = [this] { KeyChanged(); };
    for (int i = 0; i < 3; ++i) Ctl(L"txtRGB", i).Change = [this] { Guarded([&] { ColourBoxChanged(); }); };
    for (int i = 0; i < 2; ++i)
        Ctl(L"optTransparentColour", i).Click = [this, i] { Guarded([&] { TransparencyClicked(i); }); };

    for (const wchar_t* frame : {kFraColour, kFraCurrent})
        for (UINT msg : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) hooked_.emplace_back(Handle(frame), msg);
    for (int i = 0; i < 3; ++i) hooked_.emplace_back(Handle(L"txtRGB", i), WM_CHAR);
    for (const auto& [h, msg] : hooked_) MSubclass::AttachMessage(this, h, msg);
}

void ppgImages::OnUnload() {
    for (const auto& [h, msg] : hooked_) MSubclass::DetachMessage(this, h, msg);
    hooked_.clear();
    if (surfaceDc_) ::SelectObject(surfaceDc_.get(), surfaceOld_);
    surfaceDc_.reset();
    surface_.reset();
    surfaceBits_ = nullptr;
    surfaceSize_ = SIZE{};
}

void ppgImages::EnsureSurface() {
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    const SIZE want{std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
    if (surfaceDc_ && want.cx == surfaceSize_.cx && want.cy == surfaceSize_.cy) return;
    if (surfaceDc_) ::SelectObject(surfaceDc_.get(), surfaceOld_);
    const BITMAPINFO bi = TopDown32BitInfo(want.cx, want.cy);
    surfaceDc_.reset(::CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    surface_.reset(::CreateDIBSection(surfaceDc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    surfaceBits_ = static_cast<std::uint32_t*>(bits);
    surfaceOld_ = ::SelectObject(surfaceDc_.get(), surface_.get());
    surfaceSize_ = want;
    RECT all{0, 0, want.cx, want.cy};
    ::FillRect(surfaceDc_.get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
}

COLORREF ppgImages::SurfacePixel(int x, int y) const {
    if (!surfaceBits_ || x < 0 || y < 0 || x >= surfaceSize_.cx || y >= surfaceSize_.cy) return CLR_INVALID;
    ::GdiFlush();
    const std::uint32_t p = surfaceBits_[y * surfaceSize_.cx + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool ppgImages::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hWnd(), &ps);
        if (surfaceDc_)
            ::BitBlt(dc, strip_.left, strip_.top, strip_.right - strip_.left, strip_.bottom - strip_.top,
                     surfaceDc_.get(), strip_.left, strip_.top, SRCCOPY);
        ::EndPaint(hWnd(), &ps);
        result = 0;
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Guarded([&] { MousePressed(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); });
        result = 0;
        return true;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == hscScroll_.hWnd() && hscScroll_.Enabled()) {
            if (hscScroll_.Scroll(LOWORD(wParam), HIWORD(wParam))) Guarded([&] { Scrolled(); });
            result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

HBRUSH ppgImages::Brush(COLORREF colour) {
    for (const auto& [c, brush] : brushes_)
        if (c == colour) return static_cast<HBRUSH>(brush.get());
    if (brushes_.size() >= 16) brushes_.erase(brushes_.begin());
    brushes_.emplace_back(colour, UniqueGdiObject(::CreateSolidBrush(colour)));
    return static_cast<HBRUSH>(brushes_.back().second.get());
}

LRESULT ppgImages::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    if (iMsg == WM_CHAR) {
        auto code = static_cast<std::int32_t>(wParam);
        FilterDigitKey(code);
        if (code == 0) return 0;
        return MSubclass::CallOldWindowProc(hWnd, iMsg, static_cast<WPARAM>(code), lParam);
    }
    if (iMsg == WM_CTLCOLOREDIT || iMsg == WM_CTLCOLORSTATIC) {
        const auto child = reinterpret_cast<HWND>(lParam);
        const auto dc = reinterpret_cast<HDC>(wParam);
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        auto paint = [&](COLORREF text, COLORREF back) {
            ::SetTextColor(dc, text);
            ::SetBkColor(dc, back);
            return reinterpret_cast<LRESULT>(Brush(back));
        };
        for (int i = 0; i < 3; ++i) {
            if (child == Handle(L"txtRGB", i)) return paint(rgbText_, rgbBack_);
            if (child == Handle(L"lblRGB", i)) return paint(rgbLabelText_, face);
        }
        if (child == Handle(L"lblColor")) return paint(sample_, sample_);
        if (child == Handle(L"txtKey")) return paint(::GetSysColor(COLOR_WINDOWTEXT), keyBack_);
        if (child == Handle(L"txtIndex")) return paint(::GetSysColor(COLOR_WINDOWTEXT), face);
    }
    return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
}

// ---- Host notifications ----

void ppgImages::Initialize() {
    current_ = 0;
    ColourBoxChanged();
    hscScroll_.SetEnabled(false);
    auto& automatic = Get<OptionButton>(L"optTransparentColour", 0);
    if (automatic.Value())
        TransparencyClicked(0);
    else
        automatic.SetValue(true);
}

void ppgImages::SelectionChanged() {
    zephImageList* list = Selected();
    keyBack_ = ::GetSysColor(list && list->ImageCount() > 0 ? COLOR_WINDOW : COLOR_BTNFACE);
    ::InvalidateRect(Handle(L"txtKey"), nullptr, TRUE);
    DrawImageStrip();
}

bool ppgImages::ApplyChanges() {
    if (current_ > -1) CommitKeyEdit();
    DrawImageStrip();
    return true;
}

// ---- Drawing ----

void ppgImages::DrawImageStrip() {
    EnsureSurface();
    HDC dc = surfaceDc_.get();
    const RECT frame = RectInParent(Handle(kFraCurrent));
    const RECT bar = RectInParent(hscScroll_.hWnd());
    strip_ = RECT{frame.left, frame.bottom + 8, frame.right, bar.bottom + 2};

    RECT fill = strip_;
    const std::int32_t window = TranslateColor(0x80000000u | COLOR_WINDOW);
    UniqueGdiObject background(::CreateSolidBrush(static_cast<COLORREF>(window)));
    ::FillRect(dc, &fill, static_cast<HBRUSH>(background.get()));
    ::DrawEdge(dc, &fill, EDGE_SUNKEN, BF_RECT);

    const RECT area{strip_.left + 2, strip_.top + 2, strip_.right - 4, strip_.bottom - 4};
    UniqueGdiObject clip(::CreateRectRgn(area.left, area.top, area.right, area.bottom));
    ::SelectClipRgn(dc, static_cast<HRGN>(clip.get()));

    zephImageList* list = Selected();
    HIMAGELIST images = list ? list->hIml() : nullptr;
    int count = 0;
    if (images) {
        count = ::ImageList_GetImageCount(images);
        if (current_ >= count) current_ = count - 1;
        int cx = 0, cy = 0;
        ::ImageList_GetIconSize(images, &cx, &cy);
        const int cell = cx + 2;
        const int visible = cell > 0 ? (area.right - area.left) / cell : 0;
        if (count <= visible) {
            hscScroll_.SetValue(0);
            hscScroll_.SetEnabled(false);
        } else {
            hscScroll_.SetMax((count - visible) * cell);
            hscScroll_.SetSmallChange(cell);
            hscScroll_.SetLargeChange(8 * cell);
            hscScroll_.SetEnabled(true);
        }
        int x = area.left - hscScroll_.Value();
        for (int i = 0; i < count; ++i) {
            if (x + cx > area.left) {
                ::ImageList_Draw(images, i, dc, x, area.top + 2, ILD_TRANSPARENT);
                if (i == current_) {
                    RECT mark{x - 2, area.top, x + cx + 2, area.top + cy + 4};
                    ::DrawEdge(dc, &mark, EDGE_RAISED, BF_RECT);
                }
            }
            x += cell;
            if (x > area.right) break;
        }
    }
    const bool next = current_ < count - 1;
    const bool back = current_ >= 1;
    Ctl(L"cmdNext").SetEnabled(next);
    Ctl(L"cmdBack").SetEnabled(back);
    Ctl(L"cmdMoveUp").SetEnabled(next);
    Ctl(L"cmdMoveDown").SetEnabled(back);
    Ctl(L"cmdRemove").SetEnabled(count >= 1);

    ::SelectClipRgn(dc, nullptr);
    clip.reset();

    auto& index = Get<TextBox>(L"txtIndex");
    auto& key = Get<TextBox>(L"txtKey");
    // Writing the key box is no edit of the user's.
    key.SetTag(L"POPULATE");
    if (count != 0) {
        index.SetText(std::to_wstring(current_ + 1) + L" of " + std::to_wstring(list->ImageCount()));
        index.SetEnabled(true);
        if (current_ >= 0 && current_ < list->ImageCount()) {
            try {
                key.SetText(list->ItemKey(current_ + 1));
            } catch (const ToolkitError&) {
                LogCaught(L"ppgImages showing the image's key");
            }
        }
        key.SetEnabled(true);
    } else {
        index.SetText(L"");
        index.SetEnabled(false);
        key.SetText(L"");
        key.SetEnabled(false);
    }
    key.SetTag(L"");
    ::InvalidateRect(hWnd(), &strip_, FALSE);
}

void ppgImages::EnsureCurrentVisible(int direction) {
    zephImageList* list = Selected();
    if (!list || !list->hIml() || list->ImageCount() < 1 || !hscScroll_.Enabled()) return;
    const int value = hscScroll_.Value();
    const int origin = strip_.left - value;
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(list->hIml(), &cx, &cy);
    if (direction == 1) {
        if ((current_ + 1) * (cx + 2) + origin <= strip_.right) return;
        hscScroll_.SetValue(value + cx + 4 < hscScroll_.Max() ? value + cx + 4 : hscScroll_.Max());
    } else if (direction == -1) {
        if ((cx + 2) * current_ + origin >= strip_.left) return;
        hscScroll_.SetValue(value <= cx + 4 ? 0 : value - (cx + 4));
    }
}

void ppgImages::CommitKeyEdit() {
    auto& key = Get<TextBox>(L"txtKey");
    if (key.Tag() != L"CHANGED" || current_ < 0) return;
    if (zephImageList* list = Selected()) {
        try {
            list->SetItemKey(current_ + 1, key.Text());
        } catch (const ToolkitError& e) {
            PageMessage(hWnd(), e.Description(), MB_OK | MB_ICONINFORMATION);
        }
    }
    key.SetTag(L"");
}

void ppgImages::ShowTransparentColour() {
    if (Get<OptionButton>(L"optTransparentColour", 1).Value()) {
        sample_ = RGB(ColourComponent(Get<TextBox>(L"txtRGB", 0).Text()),
                      ColourComponent(Get<TextBox>(L"txtRGB", 1).Text()),
                      ColourComponent(Get<TextBox>(L"txtRGB", 2).Text()));
    } else {
        sample_ = ::GetSysColor(COLOR_BTNFACE);
    }
    ::InvalidateRect(Handle(L"lblColor"), nullptr, TRUE);
}

// ---- Adding ----

void ppgImages::AddCursorFrames(const std::wstring& file, std::int32_t insertBefore, const std::wstring& key) {
    zephImageList* list = Selected();
    if (!list) return;
    const int cx = list->IconSizeX(), cy = list->IconSizeY();
    UniqueCursor cursor(static_cast<HCURSOR>(::LoadImageW(nullptr, file.c_str(), IMAGE_CURSOR, cx, cy, LR_LOADFROMFILE)));
    if (!cursor) return;
    UniqueDC display(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    UniqueDC memory(display ? ::CreateCompatibleDC(display.get()) : nullptr);
    if (!memory) return;

    // A plain cursor draws as any step: never count beyond what the file holds.
    const std::uint32_t limit = std::min(AnimatedCursorSteps(ReadFileBytes(file)).value_or(1), kMaxFrames);
    int frames = 0;
    while (static_cast<std::uint32_t>(frames) < limit &&
           ::DrawIconEx(memory.get(), 0, 0, cursor.get(), 0, 0, static_cast<UINT>(frames), nullptr, DI_NORMAL))
        ++frames;
    if (frames == 0) return;

    UniqueBitmap strip(::CreateCompatibleBitmap(display.get(), frames * cx, cy));
    if (!strip) return;
    const COLORREF fillColour =
        Get<OptionButton>(L"optTransparentColour", 0).Value() ? kAutomaticFill : sample_;
    {
        SelectGuard select(memory.get(), strip.get());
        UniqueGdiObject brush(::CreateSolidBrush(fillColour));
        RECT all{0, 0, frames * cx, cy};
        ::FillRect(memory.get(), &all, static_cast<HBRUSH>(brush.get()));
        for (int i = 0; i < frames; ++i)
            ::DrawIconEx(memory.get(), i * cx, 0, cursor.get(), cx, cy, static_cast<UINT>(i), nullptr, DI_NORMAL);
    }
    list->AddFromHandle(strip.get(), IMAGE_BITMAP, key, static_cast<std::int32_t>(fillColour), KeyOrIndex(insertBefore));
}

bool ppgImages::AddPicture(const std::wstring& file, std::int32_t insertBefore, const std::wstring& key,
                           std::int32_t transparent) {
    zephImageList* list = Selected();
    const Bytes data = ReadFileBytes(file);
    if (!list || data.empty()) return false;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, data.size());
    if (!memory) return false;
    if (void* p = ::GlobalLock(memory)) {
        std::copy(data.begin(), data.end(), static_cast<std::uint8_t*>(p));
        ::GlobalUnlock(memory);
    }
    ComRelease<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream.p))) {
        ::GlobalFree(memory);
        return false;
    }
    ComRelease<IPicture> picture;
    if (FAILED(::OleLoadPicture(stream.p, static_cast<LONG>(data.size()), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture.p))) ||
        !picture.p)
        return false;
    OLE_HANDLE handle = 0;
    if (FAILED(picture.p->get_Handle(&handle)) || !handle) return false;
    // The loader may hand out 32-bit pixels with an alpha channel, which the list would take in
    // place of the transparent colour: the picture goes in as plain 24-bit pixels.
    UniqueBitmap plain(PlainCopy(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle))));
    try {
        list->AddFromHandle(plain ? plain.get() : reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP,
                            key, transparent, KeyOrIndex(insertBefore));
    } catch (const ToolkitError&) {
        LogCaught(L"ppgImages adding a picture");
    }
    return true;
}

void ppgImages::AddClicked() {
    zephImageList* list = Selected();
    if (!list) return;
    OpenFileRequest request;
    request.mustExist = true;
    request.filter = kAddFilter;
    request.filterIndex = 1;
    request.title = L"Choose Icon to add";
    request.defaultExtension = L"ICO";
    request.owner = Handle(L"cmdAdd");
    request.flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    if (!ShowOpenFileDialog(request) || request.fileName.empty()) return;

    // Whatever was added shows, also when the list raises an error part way.
    struct Finish {
        ppgImages& page;
        zephImageList& list;
        ~Finish() {
            try {
                const std::int32_t count = list.ImageCount();
                if (page.current_ > count - 1) page.current_ = count - 1;
                if (page.current_ < 0) page.current_ = 0;
                page.DrawImageStrip();
            } catch (const ToolkitError&) {
                LogCaught(L"ppgImages showing the added images");
            }
            page.MarkChanged();
        }
    } finish{*this, *list};

    const bool setKeys = Get<CheckBox>(L"chkSetKeys").Value() == 1;
    const std::int32_t transparent =
        Get<OptionButton>(L"optTransparentColour", 0).Value() ? -1 : static_cast<std::int32_t>(sample_);
    for (const std::wstring& file : SplitFileSelection(request.fileName)) {
        const std::int32_t before = list->ImageCount();
        const std::wstring extension = Upper(FileExtensionPart(file));
        const std::wstring key = setKeys ? Upper(FileTitlePart(file)) : std::wstring();
        const std::int32_t insertBefore = current_ + 1;
        if (extension == L"ICO") {
            list->AddFromFile(file, IMAGE_ICON, key, false, -1, KeyOrIndex(insertBefore));
        } else if (extension == L"CUR") {
            list->AddFromFile(file, IMAGE_CURSOR, key, false, -1, KeyOrIndex(insertBefore));
        } else if (extension == L"ANI") {
            const std::wstring question =
                L"Do you want to load all frames of the animated cursor file '" + file + L"'?";
            if (PageMessage(hWnd(), question, MB_YESNO | MB_ICONQUESTION) == IDYES)
                AddCursorFrames(file, insertBefore, key);
            else
                list->AddFromFile(file, IMAGE_CURSOR, key, false, -1, KeyOrIndex(insertBefore));
        } else if (extension == L"BMP" || extension == L"DIB") {
            list->AddFromFile(file, IMAGE_BITMAP, key, false, transparent, KeyOrIndex(insertBefore));
        } else {
            AddPicture(file, insertBefore, key, transparent);
        }

        const std::int32_t after = list->ImageCount();
        if (after == before) {
            PageMessage(hWnd(),
                        L"The file '" + file + L"' could not be loaded.  Please check whether this is a valid image.",
                        MB_OK | MB_ICONINFORMATION);
        } else if (after > before + 1 && setKeys) {
            // Appended when the list was empty or had no current image; else put before the
            // current image.
            const bool appended = before == 0 || current_ < 0;
            const std::int32_t first = appended ? before + 1 : current_ + 1;
            std::int32_t counter = 1;
            for (std::int32_t position = first; position < first + (after - before); ++position)
                list->SetItemKey(position, UniqueKey(key, counter, [&](const std::wstring& k) { return list->KeyExists(k); }));
        }
    }
}

// ---- Editing ----

void ppgImages::RemoveClicked() {
    zephImageList* list = Selected();
    if (!list || !list->hIml()) return;
    if (list->ImageCount() > 0) {
        try {
            list->RemoveImage(current_ + 1);
        } catch (const ToolkitError&) {
            LogCaught(L"ppgImages removing an image");
        }
    } else {
        Ctl(L"cmdRemove").SetEnabled(false);
    }
    DrawImageStrip();
}

void ppgImages::ClearClicked() {
    zephImageList* list = Selected();
    if (PageMessage(hWnd(), kClearQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (list) list->Clear();
    DrawImageStrip();
    MarkChanged();
}

void ppgImages::MoveBack() {
    zephImageList* list = Selected();
    if (!list || !list->hIml() || list->ImageCount() == 0 || current_ < 1) return;
    CommitKeyEdit();
    list->SwapOrCopyImage(current_ + 1, current_, ILCF_SWAP);
    --current_;
    EnsureCurrentVisible(-1);
    DrawImageStrip();
    MarkChanged();
}

void ppgImages::MoveForward() {
    zephImageList* list = Selected();
    if (!list || !list->hIml() || list->ImageCount() == 0 || current_ < 0 || list->ImageCount() <= current_ + 1)
        return;
    CommitKeyEdit();
    list->SwapOrCopyImage(current_ + 1, current_ + 2, ILCF_SWAP);
    ++current_;
    EnsureCurrentVisible(1);
    DrawImageStrip();
    MarkChanged();
}

void ppgImages::BackClicked() {
    zephImageList* list = Selected();
    if (!list || !list->hIml() || list->ImageCount() == 0) {
        Ctl(L"cmdBack").SetEnabled(false);
        return;
    }
    CommitKeyEdit();
    --current_;
    EnsureCurrentVisible(-1);
    DrawImageStrip();
}

void ppgImages::NextClicked() {
    zephImageList* list = Selected();
    if (!list || !list->hIml() || list->ImageCount() == 0) {
        Ctl(L"cmdNext").SetEnabled(false);
        return;
    }
    if (current_ >= list->ImageCount()) return;
    CommitKeyEdit();
    ++current_;
    EnsureCurrentVisible(1);
    DrawImageStrip();
}

void ppgImages::KeyChanged() {
    auto& key = Get<TextBox>(L"txtKey");
    if (key.Tag() == L"POPULATE") return;
    MarkChanged();
    key.SetTag(L"CHANGED");
}

void ppgImages::ColourBoxChanged() {
    CommitKeyEdit();
    ShowTransparentColour();
}

void ppgImages::TransparencyClicked(int option) {
    const bool manual = option == 1;
    rgbBack_ = ::GetSysColor(manual ? COLOR_WINDOW : COLOR_BTNFACE);
    rgbText_ = ::GetSysColor(manual ? COLOR_WINDOWTEXT : COLOR_BTNSHADOW);
    rgbLabelText_ = rgbText_;
    for (int i = 0; i < 3; ++i) {
        ::SendMessageW(Handle(L"txtRGB", i), EM_SETREADONLY, manual ? FALSE : TRUE, 0);
        ::InvalidateRect(Handle(L"txtRGB", i), nullptr, TRUE);
        ::InvalidateRect(Handle(L"lblRGB", i), nullptr, TRUE);
    }
    if (manual) {
        ShowTransparentColour();
    } else {
        sample_ = ::GetSysColor(COLOR_BTNFACE);
        ::InvalidateRect(Handle(L"lblColor"), nullptr, TRUE);
    }
    Ctl(L"cmdPickColour").SetEnabled(manual);
}

void ppgImages::PickColourClicked() {
    std::int32_t colour = TranslateColor(sample_);
    if (!ShowColourDialog(colour, true, true, false, Handle(L"cmdPickColour"))) return;
    const auto rgb = static_cast<COLORREF>(colour);
    Get<TextBox>(L"txtRGB", 0).SetText(std::to_wstring(GetRValue(rgb)));
    Get<TextBox>(L"txtRGB", 1).SetText(std::to_wstring(GetGValue(rgb)));
    Get<TextBox>(L"txtRGB", 2).SetText(std::to_wstring(GetBValue(rgb)));
    ShowTransparentColour();
}

void ppgImages::MousePressed(int x, int y) {
    CommitKeyEdit();
    zephImageList* list = Selected();
    if (!list || !list->hIml()) return;
    if (x < strip_.left || x > strip_.right || y < strip_.top || y > strip_.bottom) return;
    if (hscScroll_.Enabled()) x += hscScroll_.Value();
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(list->hIml(), &cx, &cy);
    const int index = (x - strip_.left) / (cx + 2);
    if (index >= 0 && index <= list->ImageCount()) {
        current_ = index;
        DrawImageStrip();
    }
}

void ppgImages::Scrolled() {
    CommitKeyEdit();
    DrawImageStrip();
}

}  // namespace kal
