// Helpers of the editor's design table: rows given in pixels at 96 dots per inch (15 twips
// each), as the layout is drawn up.
#pragma once
#include <string>

#include "editor/profileform.h"

namespace kal::design {

inline constexpr int kTwips = 15;
// Check boxes that look like push buttons; icon-only buttons.
inline constexpr DWORD kPushLike = BS_PUSHLIKE;
// Push-like check boxes whose caption takes several lines, set from the top: a system that lays
// the lines out again a little narrower than it measured them may need one line more than
// it centred.
inline constexpr DWORD kWrapped = BS_PUSHLIKE | BS_MULTILINE | BS_TOP;

inline ControlRow Row(ControlType type, ControlName control, int index, const wchar_t* caption, int x, int y, int w,
                      int h, const std::wstring& container = {}, DWORD style = 0, PropertyBag bag = {}) {
    return ControlRow(type, std::move(control), index, caption, x * kTwips, y * kTwips, w * kTwips, h * kTwips, style,
                      container, std::move(bag));
}

inline PropertyBag SliderBag(std::int32_t orientation, std::int32_t min, std::int32_t max, std::int32_t value) {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"Orientation", orientation, 0);
    bag.Write<std::int32_t>(L"Min", min, 1);
    bag.Write<std::int32_t>(L"Max", max, 100);
    bag.Write<std::int32_t>(L"Value", value, 1);
    // No value tip windows: the editor's labels show the values.
    bag.Write<bool>(L"Tooltip", false, true);
    return bag;
}

inline Shape Box(const wchar_t* name, int index, int x, int y, int w, int h, const std::wstring& container = {}) {
    Shape s;
    s.name = name;
    s.index = index;
    s.container = container;
    s.twips = {x * kTwips, y * kTwips, (x + w) * kTwips, (y + h) * kTwips};
    return s;
}

inline Shape Line(const wchar_t* name, int index, int x1, int y1, int x2, int y2, const std::wstring& container) {
    Shape s;
    s.name = name;
    s.index = index;
    s.container = container;
    s.line = true;
    s.twips = {x1 * kTwips, y1 * kTwips, x2 * kTwips, y2 * kTwips};
    return s;
}

// "name(index)" of a control array member, as a container.
inline std::wstring Member(const wchar_t* name, int index) {
    return std::wstring(name) + L"(" + std::to_wstring(index) + L")";
}

// Page geometry: each tab page is 520 x 584 pixels.
inline constexpr int kPageWidth = 520;
inline constexpr int kPageHeight = 584;

}  // namespace kal::design
