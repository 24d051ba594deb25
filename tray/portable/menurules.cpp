#include "tray/portable/menurules.h"

#include <algorithm>
#include <cwctype>

namespace kal {

std::uint32_t ShiftToHotkeyModifiers(std::uint8_t mask) {
    std::uint32_t mods = 0;
    if (mask & kMaskAlt) mods |= kModAlt;
    if (mask & kMaskCtrl) mods |= kModControl;
    if (mask & kMaskShift) mods |= kModShift;
    return mods;
}

std::wstring ModifierPrefix(std::uint8_t mask) {
    std::wstring text;
    if (mask & kMaskCtrl) text += L"CTRL+";
    if (mask & kMaskAlt) text += L"ALT+";
    if (mask & kMaskShift) text += L"SHIFT+";
    return text;
}

bool IsModifierKey(std::uint8_t vk) { return vk == 16 || vk == 17 || vk == 18; }

std::wstring CaptureTag(std::uint8_t vk, std::uint8_t mask) { return HexPad(vk, 2) + L"|" + HexPad(mask, 2); }

std::optional<Bytes> CaptureTagBytes(const std::wstring& tag) {
    if (tag.empty()) return Bytes{0, 0};
    if (tag.size() != 5 || tag[2] != L'|') return std::nullopt;
    const std::wstring hex = tag.substr(0, 2) + tag.substr(3, 2);
    if (!std::all_of(hex.begin(), hex.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; })) return std::nullopt;
    return HexToBytes(hex);
}

CaptureKey ClassifyCaptureKey(std::uint32_t vk) {
    if (vk == 0x2E) return CaptureKey::Clear;
    if (vk == 8 || (vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x73 || vk == 0x7B) return CaptureKey::Swallow;
    return CaptureKey::Capture;
}

std::optional<Currency> ParseStep(const std::wstring& text) {
    std::size_t i = 0, end = text.size();
    while (i < end && text[i] == L' ') ++i;
    while (end > i && text[end - 1] == L' ') --end;
    bool negative = false;
    if (i < end && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    Currency whole = 0, fraction = 0;
    int decimals = 0, digits = 0;
    bool separator = false;
    for (; i < end; ++i) {
        const wchar_t c = text[i];
        if (c == L'.' || c == L',') {
            if (separator) return std::nullopt;
            separator = true;
        } else if (c >= L'0' && c <= L'9') {
            ++digits;
            if (!separator) {
                whole = whole * 10 + (c - L'0');
                if (whole > 1000000000) return std::nullopt;
            } else if (decimals < 4) {
                fraction = fraction * 10 + (c - L'0');
                ++decimals;
            }
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    for (; decimals < 4; ++decimals) fraction *= 10;
    const Currency value = whole * kCurrencyScale + fraction;
    return negative ? -value : value;
}

Currency StepVolume(Currency volume, Currency step, bool up) {
    const Currency next = up ? volume + step : volume - step;
    return std::clamp<Currency>(next, 0, 100 * kCurrencyScale);
}

std::wstring MenuCaptionText(const std::wstring& name) {
    std::wstring text;
    for (wchar_t c : name) {
        text += c;
        if (c == L'&') text += L'&';
    }
    return text;
}

bool IsWebAddress(const std::wstring& line) {
    auto startsWith = [&line](const wchar_t* prefix) {
        const std::wstring p(prefix);
        if (line.size() <= p.size()) return false;
        for (std::size_t i = 0; i < p.size(); ++i)
            if (static_cast<wchar_t>(std::towlower(line[i])) != p[i]) return false;
        return true;
    };
    if (!startsWith(L"http://") && !startsWith(L"https://")) return false;
    return std::none_of(line.begin(), line.end(), [](wchar_t c) {
        const auto u = static_cast<std::uint32_t>(c);
        return u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0);
    });
}

namespace {

enum class Edge { None, Left, Top, Right, Bottom };

Edge TaskbarEdge(const TrayPlacement& p) {
    const TrayRect& t = p.taskbar;
    if (!t.Empty()) {
        if (t.Width() >= t.Height())
            return t.top + t.bottom <= p.monitor.top + p.monitor.bottom ? Edge::Top : Edge::Bottom;
        return t.left + t.right <= p.monitor.left + p.monitor.right ? Edge::Left : Edge::Right;
    }
    if (p.work.bottom < p.monitor.bottom) return Edge::Bottom;
    if (p.work.top > p.monitor.top) return Edge::Top;
    if (p.work.left > p.monitor.left) return Edge::Left;
    if (p.work.right < p.monitor.right) return Edge::Right;
    return Edge::None;
}

}  // namespace

TrayPoint PlaceNearTray(const TrayPlacement& p) {
    TrayPoint at{p.cursor.x - p.width / 2, p.cursor.y - p.height / 2};
    const Edge edge = TaskbarEdge(p);
    int thickX = 0, thickY = 0;
    if (!p.taskbar.Empty()) {
        if (edge == Edge::Left || edge == Edge::Right) thickX = p.taskbar.Width();
        else thickY = p.taskbar.Height();
    } else {
        thickX = p.monitor.Width() - p.work.Width();
        thickY = p.monitor.Height() - p.work.Height();
    }
    // An icon in the overflow area lies outside the taskbar; an unknown or empty rectangle is
    // no icon at all.
    const bool haveIcon = p.icon && !p.icon->Empty() && !p.taskbar.Empty();
    const TrayRect icon = haveIcon ? *p.icon : TrayRect{};
    const TrayRect& bar = p.taskbar;
    const bool outside = haveIcon && ((edge == Edge::Top && bar.bottom <= icon.top) ||
                                      (edge == Edge::Bottom && bar.top >= icon.bottom) ||
                                      (edge == Edge::Left && bar.right <= icon.left) ||
                                      (edge == Edge::Right && bar.left >= icon.right));

    const int minTop = edge == Edge::Top && outside ? icon.bottom : p.monitor.top + thickY;
    const int maxBottom = edge == Edge::Bottom && outside ? icon.top : p.monitor.bottom - thickY;
    if (at.y < minTop) at.y = minTop;
    if (at.y + p.height > maxBottom) at.y = maxBottom - p.height;

    const int minLeft = edge == Edge::Left && outside ? icon.right : p.monitor.left + thickX;
    const int maxRight = edge == Edge::Right && outside ? icon.left : p.monitor.right - thickX;
    if (at.x < minLeft) at.x = minLeft;
    if (at.x + p.width > maxRight) at.x = maxRight - p.width;
    return at;
}

}  // namespace kal
