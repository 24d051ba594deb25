// The control's property setters: each stores its value, passes it to the list window when
// there is one, and reports the change by the property's name.
#include "listview/listview.h"

namespace kal {

void zephListViewCtl::SetFont(const UIFont& font) {
    font_ = font;
    ApplyFont();
    Changed(L"Font");
}

void zephListViewCtl::SetFontName(const std::wstring& name) {
    UIFont f = font_;
    f.name = name;
    SetFont(f);
}

void zephListViewCtl::SetFontSize(float points) {
    UIFont f = font_;
    f.size = points;
    SetFont(f);
}

void zephListViewCtl::TakeFont(const UIFont& font) {
    UIFont f = font_;
    f.name = font.name;
    f.size = font.size;
    SetFont(f);
}

// Each of these stores its value, applies it and reports its name.
#define KAL_PROPERTY(Type, Name, apply)            \
    void zephListViewCtl::Set##Name(Type value) { \
        d_.Name = value;                           \
        apply;                                     \
        Changed(L"" #Name);                        \
    }

KAL_PROPERTY(std::uint32_t, ForeColor, ApplyForeColor())
KAL_PROPERTY(std::uint32_t, BackColor, ApplyBackColor())
KAL_PROPERTY(std::int32_t, Appearance, ApplyBorder())
KAL_PROPERTY(std::int32_t, BorderStyle, ApplyBorder())
KAL_PROPERTY(bool, Enabled, EnableWindows())
KAL_PROPERTY(std::int32_t, View, ApplyView())
KAL_PROPERTY(bool, MultiSelect, SetStyleFlag(LVS_SINGLESEL, !value))
KAL_PROPERTY(bool, NoScrollBar, SetStyleFlag(LVS_NOSCROLL, value))
KAL_PROPERTY(bool, NoColumnHeaders, SetStyleFlag(LVS_NOCOLUMNHEADER, value))
KAL_PROPERTY(bool, AutoArrange, SetStyleFlag(LVS_AUTOARRANGE, value))
KAL_PROPERTY(bool, LabelEdit, SetStyleFlag(LVS_EDITLABELS, value))
KAL_PROPERTY(bool, DoubleBuffer, SetListExFlag(LVS_EX_DOUBLEBUFFER, value))
KAL_PROPERTY(bool, SubItemImages, SetListExFlag(LVS_EX_SUBITEMIMAGES, value))
KAL_PROPERTY(bool, FlatScrollBar, SetListExFlag(LVS_EX_FLATSB, value))
KAL_PROPERTY(bool, GridLines, SetListExFlag(LVS_EX_GRIDLINES, value))
KAL_PROPERTY(bool, OneClickActivate, SetListExFlag(LVS_EX_ONECLICKACTIVATE, value))
KAL_PROPERTY(bool, ItemBorderSelect, SetListExFlag(LVS_EX_BORDERSELECT, value))
KAL_PROPERTY(bool, InfoTips, SetListExFlag(LVS_EX_INFOTIP, value))
KAL_PROPERTY(bool, LabelTips, SetListExFlag(LVS_EX_LABELTIP, value))
KAL_PROPERTY(bool, CheckBoxes, SetListExFlag(LVS_EX_CHECKBOXES, value))
KAL_PROPERTY(bool, TrackSelect, SetListExFlag(LVS_EX_TRACKSELECT, value))
KAL_PROPERTY(bool, HeaderDragDrop, SetListExFlag(LVS_EX_HEADERDRAGDROP, value))
KAL_PROPERTY(bool, FullRowSelect, SetListExFlag(LVS_EX_FULLROWSELECT, value))
KAL_PROPERTY(bool, HeaderButtons, SetHeaderFlag(HDS_BUTTONS, value))
KAL_PROPERTY(bool, HeaderTrackSelect, SetHeaderFlag(HDS_HOTTRACK, value))
KAL_PROPERTY(std::int32_t, OLEDropMode, ApplyDropMode())
// Kept only: read by the item drawing, the drag and drop and the scale conversions.
KAL_PROPERTY(bool, CustomDraw, (void)0)
KAL_PROPERTY(std::int32_t, OLEDragMode, (void)0)
KAL_PROPERTY(std::int32_t, ScaleMode, (void)0)

#undef KAL_PROPERTY

// Not reported as changed.
void zephListViewCtl::SetHideSelection(bool value) {
    d_.HideSelection = value;
    SetStyleFlag(LVS_SHOWSELALWAYS, !value);
}

std::int32_t zephListViewCtl::TileViewItemLines() const {
    LVTILEVIEWINFO info{};
    info.cbSize = sizeof info;
    info.dwMask = LVTVIM_COLUMNS;
    Send(LVM_GETTILEVIEWINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info.cLines;
}

// Not reported as changed.
void zephListViewCtl::SetTileViewItemLines(std::int32_t lines) {
    LVTILEVIEWINFO info{};
    info.cbSize = sizeof info;
    info.dwMask = LVTVIM_COLUMNS;
    Send(LVM_GETTILEVIEWINFO, 0, reinterpret_cast<LPARAM>(&info));
    info.cLines = lines;
    Send(LVM_SETTILEVIEWINFO, 0, reinterpret_cast<LPARAM>(&info));
}

void zephListViewCtl::SetBackgroundPicture(const std::wstring& file) {
    d_.BackgroundPicture = file;
    ApplyBackgroundPicture();
    Changed(L"BackgroundPicture");
}

// The three companions of the picture act only on a change, and re-apply a picture that is set.
template <typename T>
void zephListViewCtl::SetPictureOption(T& field, T value, const wchar_t* name) {
    if (value == field) return;
    field = value;
    if (!d_.BackgroundPicture.empty()) ApplyBackgroundPicture();
    Changed(name);
}

void zephListViewCtl::SetTileBackgroundPicture(bool value) {
    SetPictureOption(d_.TileBackgroundPicture, value, L"TileBackgroundPicture");
}
void zephListViewCtl::SetBackgroundPictureXOffset(std::int32_t percent) {
    SetPictureOption(d_.BackgroundPictureXOffset, percent, L"BackgroundPictureXOffset");
}
void zephListViewCtl::SetBackgroundPictureYOffset(std::int32_t percent) {
    SetPictureOption(d_.BackgroundPictureYOffset, percent, L"BackgroundPictureYOffset");
}

}  // namespace kal
