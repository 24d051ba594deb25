// The stored properties of the list-view control, their defaults and order, and what they
// make of the list window's styles. No Windows API: the style bits are plain numbers.
#pragma once
#include <cstdint>
#include <string>

#include "toolkit/propbag.h"

namespace kal {

struct ListViewDesign {
    // In the order in which they are read and written; each is left out of the bag while it
    // equals its default. The font is kept by the control (it needs the window system).
    std::uint32_t ForeColor = 0x80000008;  // OLE colours
    std::uint32_t BackColor = 0x80000005;
    std::int32_t View = 0;  // 0 large icons, 1 report, 2 small icons, 3 list, 4 tile
    bool MultiSelect = false;
    bool LabelEdit = true;
    bool GridLines = false;
    bool FullRowSelect = false;
    bool AutoArrange = true;
    std::wstring BackgroundPicture;
    std::int32_t Appearance = 1;   // 0 flat, 1 three-dimensional
    std::int32_t BorderStyle = 1;  // 0 none, 1 fixed single, 2 thin
    bool CheckBoxes = false;
    bool TrackSelect = false;
    bool CustomDraw = true;
    bool Enabled = true;
    bool FlatScrollBar = false;
    bool HeaderButtons = false;
    bool HeaderTrackSelect = true;
    bool HideSelection = true;
    bool InfoTips = true;
    bool LabelTips = false;
    bool NoScrollBar = false;
    bool OneClickActivate = false;
    std::int32_t OLEDropMode = 0;
    std::int32_t OLEDragMode = 0;
    bool ItemBorderSelect = false;
    std::int32_t ScaleMode = 1;  // twips
    bool DoubleBuffer = false;
    bool NoColumnHeaders = false;
    bool TileBackgroundPicture = true;
    std::int32_t BackgroundPictureXOffset = 0;  // percent of the width, untiled picture
    std::int32_t BackgroundPictureYOffset = 0;

    // Kept but never stored.
    bool SubItemImages = false;
    bool HeaderDragDrop = false;

    void Read(const PropertyBag& bag);
    void Write(PropertyBag& bag) const;
};

// The list window's style at creation: the view (tile starts as large icons), the style
// properties and the fixed child, visible, horizontal-scroll and shared-image-list bits.
std::uint32_t CreationStyle(const ListViewDesign& design);

// The low two style bits for a view below common controls 6 (tile falls back to large icons).
std::uint32_t ViewStyle(std::uint32_t style, std::int32_t view);

// What Appearance and BorderStyle make of the borders: the control window's sunken edge, and
// the bits the list window gains and loses.
struct ListBorder {
    bool controlSunken;
    std::uint32_t styleAdd, styleRemove;      // window style
    std::uint32_t exStyleAdd, exStyleRemove;  // extended window style
};
ListBorder BorderFor(std::int32_t appearance, std::int32_t borderStyle);

// Twips in one unit of a ScaleMode (0 user and 1 twips count as twips, 2 points, 3 pixels,
// 4 characters, 5 inches, 6 millimetres, 7 centimetres).
double TwipsPerScaleUnit(std::int32_t scaleMode, bool vertical, double twipsPerPixel);

}  // namespace kal
