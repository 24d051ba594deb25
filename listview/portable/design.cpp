#include "listview/portable/design.h"

namespace kal {
namespace {

// Window and list-view style bits.
constexpr std::uint32_t kBorder = 0x00800000;
constexpr std::uint32_t kStaticEdge = 0x00020000;
constexpr std::uint32_t kClientEdge = 0x00000200;
constexpr std::uint32_t kChildVisibleHScrollShared = 0x50100040;
constexpr std::uint32_t kSingleSel = 0x4;
constexpr std::uint32_t kShowSelAlways = 0x8;
constexpr std::uint32_t kAutoArrange = 0x100;
constexpr std::uint32_t kEditLabels = 0x200;
constexpr std::uint32_t kNoScroll = 0x2000;
constexpr std::uint32_t kNoColumnHeader = 0x4000;

// Calls f(name, field, default) for each stored property in order.
template <typename Design, typename F>
void EachStored(Design& d, F&& f) {
    f(L"ForeColor", d.ForeColor, 0x80000008u);
    f(L"BackColor", d.BackColor, 0x80000005u);
    f(L"View", d.View, 0);
    f(L"MultiSelect", d.MultiSelect, false);
    f(L"LabelEdit", d.LabelEdit, true);
    f(L"GridLines", d.GridLines, false);
    f(L"FullRowSelect", d.FullRowSelect, false);
    f(L"AutoArrange", d.AutoArrange, true);
    f(L"BackgroundPicture", d.BackgroundPicture, std::wstring());
    f(L"Appearance", d.Appearance, 1);
    f(L"BorderStyle", d.BorderStyle, 1);
    f(L"CheckBoxes", d.CheckBoxes, false);
    f(L"TrackSelect", d.TrackSelect, false);
    f(L"CustomDraw", d.CustomDraw, true);
    f(L"Enabled", d.Enabled, true);
    f(L"FlatScrollBar", d.FlatScrollBar, false);
    f(L"HeaderButtons", d.HeaderButtons, false);
    f(L"HeaderTrackSelect", d.HeaderTrackSelect, true);
    f(L"HideSelection", d.HideSelection, true);
    f(L"InfoTips", d.InfoTips, true);
    f(L"LabelTips", d.LabelTips, false);
    f(L"NoScrollBar", d.NoScrollBar, false);
    f(L"OneClickActivate", d.OneClickActivate, false);
    f(L"OLEDropMode", d.OLEDropMode, 0);
    f(L"OLEDragMode", d.OLEDragMode, 0);
    f(L"ItemBorderSelect", d.ItemBorderSelect, false);
    f(L"ScaleMode", d.ScaleMode, 1);
    f(L"DoubleBuffer", d.DoubleBuffer, false);
    f(L"NoColumnHeaders", d.NoColumnHeaders, false);
    f(L"TileBackgroundPicture", d.TileBackgroundPicture, true);
    f(L"BackgroundPictureXOffset", d.BackgroundPictureXOffset, 0);
    f(L"BackgroundPictureYOffset", d.BackgroundPictureYOffset, 0);
}

}  // namespace

void ListViewDesign::Read(const PropertyBag& bag) {
    EachStored(*this, [&](const wchar_t* name, auto& field, auto def) {
        using T = std::remove_reference_t<decltype(field)>;
        field = bag.Read<T>(name, static_cast<T>(def));
    });
}

void ListViewDesign::Write(PropertyBag& bag) const {
    EachStored(*this, [&](const wchar_t* name, const auto& field, auto def) {
        using T = std::remove_cvref_t<decltype(field)>;
        bag.Write<T>(name, field, static_cast<T>(def));
    });
}

std::uint32_t CreationStyle(const ListViewDesign& d) {
    std::uint32_t style = static_cast<std::uint32_t>(d.View) & ~4u;
    if (!d.MultiSelect) style |= kSingleSel;
    if (d.LabelEdit) style |= kEditLabels;
    if (!d.HideSelection) style |= kShowSelAlways;
    if (d.AutoArrange) style |= kAutoArrange;
    if (d.NoScrollBar) style |= kNoScroll;
    if (d.NoColumnHeaders) style |= kNoColumnHeader;
    return style | kChildVisibleHScrollShared;
}

std::uint32_t ViewStyle(std::uint32_t style, std::int32_t view) {
    return (style & ~3u) | (static_cast<std::uint32_t>(view) & ~4u & 3u);
}

ListBorder BorderFor(std::int32_t appearance, std::int32_t borderStyle) {
    const std::uint32_t edges = kStaticEdge | kClientEdge;
    if (appearance == 0) {
        // Flat: the list draws a plain line, or nothing.
        if (borderStyle < 1) return {false, 0, kBorder, 0, edges};
        return {false, kBorder, 0, 0, edges};
    }
    if (borderStyle == 1) return {true, 0, kBorder, 0, edges};
    if (borderStyle == 2) return {false, 0, kBorder, kStaticEdge, kClientEdge};
    return {false, 0, kBorder, 0, edges};
}

double TwipsPerScaleUnit(std::int32_t scaleMode, bool vertical, double twipsPerPixel) {
    switch (scaleMode) {
    case 2: return 20.0;
    case 3: return twipsPerPixel;
    case 4: return vertical ? 240.0 : 120.0;
    case 5: return 1440.0;
    case 6: return 1440.0 / 25.4;
    case 7: return 1440.0 / 2.54;
    default: return 1.0;
    }
}

}  // namespace kal
