#include "toolkit/font.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <optional>

#include "base/screen.h"
#include "startup/globals.h"
#include "startup/settings.h"
#include "toolkit/forms.h"

namespace kal {

std::optional<UIFont> gUIFont;

namespace {

// A decimal number filling the whole text (spaces around it allowed); 0 otherwise.
double ParseSize(const std::wstring& text) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    const double v = std::wcstod(begin, &end);
    if (end == begin) return 0;
    while (*end && std::iswspace(*end)) ++end;
    if (*end || !std::isfinite(v)) return 0;
    return v;
}

// The font height in pixels of a size in points, when it fits a LOGFONT's height field.
std::optional<LONG> FontHeight(double size, int pixelsPerInch) {
    const double height = std::nearbyint(size * pixelsPerInch / 72.0);
    if (!(height > static_cast<double>(LONG_MIN) && height <= static_cast<double>(LONG_MAX))) return std::nullopt;
    return static_cast<LONG>(height);
}

}  // namespace

LOGFONTW MakeLogFont(const UIFont& font, int pixelsPerInch) {
    LOGFONTW lf{};
    // A size too large for the height field gets the system's default height (0).
    lf.lfHeight = -FontHeight(font.size, pixelsPerInch).value_or(0);
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikethrough;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
    return lf;
}

HFONT UIFont::Handle() const {
    const LOGFONTW lf = MakeLogFont(*this, ScreenDpiY());
    if (!handle_ || std::memcmp(&lf, &made_, sizeof lf) != 0) {
        HFONT f = ::CreateFontIndirectW(&lf);
        handle_.reset(f, [](HFONT h) { if (h) ::DeleteObject(h); });
        made_ = lf;
    }
    return handle_.get();
}

UIFont GetSystemFont() {
    UIFont font;
    NONCLIENTMETRICSW metrics{};
    // Windows XP knows the record without its last field.
    metrics.cbSize = gIsXP ? offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth) : sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return font;
    const LOGFONTW& menu = metrics.lfMenuFont;

    const std::wstring face = GetUIFontSetting(UIFontSetting::Face).value_or(L"");
    if (!face.empty()) {
        font.name = face;
    } else {
        font.name = menu.lfFaceName;
        font.bold = menu.lfWeight == FW_BOLD;
        font.italic = menu.lfItalic == 1;
        font.underline = menu.lfUnderline == 1;
        font.strikethrough = menu.lfStrikeOut == 1;
    }

    // A size whose pixel height a font can't hold counts as no size: the system size.
    double size = ParseSize(GetUIFontSetting(UIFontSetting::Size).value_or(L"9"));
    if (!FontHeight(size, ScreenDpiY())) size = 0;
    if (size > 0) {
        font.size = size;
    } else if (menu.lfHeight < 1) {
        font.size = ::MulDiv(-menu.lfHeight, 72, ScreenDpiY());
    } else {
        font.size = menu.lfHeight;
    }
    return font;
}

void ApplyFontToControl(Control& control, const UIFont& font) { control.SetFont(font); }

void ApplySystemFont(Form* form) {
    if (!gUIFont || !form) return;
    gUIFont->Handle();  // made once, shared by every control's copy
    form->SetFont(*gUIFont);
    for (Control* c : form->Controls()) ApplyFontToControl(*c, *gUIFont);
    for (FontMember* m : form->FontMembers()) m->TakeFont(*gUIFont);
    // The controls take the font without drawing: an open window is drawn again whole.
    if (form->hWnd()) ::RedrawWindow(form->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    form->OnFontApplied();
}

}  // namespace kal
