// The list-view control: a window of its own (the control window) holding one system list
// view (the list window), created from stored properties and offering its rows as objects
// (items.h). The list window carries the control's address in the window property store
// under kListViewObjectProp, where the item objects find their control again on every call.
//
// Item records are owned by the control and keyed by their id (the value the list view holds
// in each item's lParam); an id is only ever looked up in that map, never followed.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <vector>

#include "listview/columns.h"
#include "listview/comctl.h"
#include "listview/dataobject.h"
#include "listview/dragimage.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/portable/design.h"
#include "listview/portable/sortkey.h"
#include "listview/workareas.h"
#include "base/keyed.h"
#include "toolkit/font.h"
#include "toolkit/propbag.h"
#include "base/subclass.h"

namespace kal {

inline constexpr wchar_t kListViewObjectProp[] = L"zephListViewCtl:ObjectPtr";

class zephImageList;
class ListDropSource;
class ListDropTarget;

class zephListViewCtl : private ISubclass, public FontMember {
public:
    zephListViewCtl();
    zephListViewCtl(const zephListViewCtl&) = delete;
    zephListViewCtl& operator=(const zephListViewCtl&) = delete;
    ~zephListViewCtl();

    // Creates the control window inside `parent` (pixels) and the list window in it, with
    // the stored properties applied in their order. The font is the bag's, else `ambientFont`
    // (the container's), else the default font. False when a window can't be created.
    bool Create(HWND parent, int x, int y, int width, int height, const PropertyBag& bag = {},
                const UIFont* ambientFont = nullptr);
    // Stores the properties that differ from their defaults.
    void WriteProperties(PropertyBag& bag) const;
    // Pixels in the parent.
    void Move(int x, int y, int width, int height);

    HWND hWnd() const { return host_; }
    HWND hWndListView() const { return list_; }
    HWND hWndEdit() const;
    const ComCtlVersion& Version() const { return version_; }

    // Raised with a property's name after each change made through its setter.
    std::function<void(const std::wstring&)> PropertyChanged;
    // Raised when the control window changes size (the list has followed it).
    std::function<void()> Resize;

    // ---- Events of the list window. Item indexes are 1-based; coordinates are in ScaleMode
    // units; button 1 left, 2 right, 4 middle; shift state Shift 1, Ctrl 2, Alt 4. A handler
    // that throws loses only its own event. ----
    // A label edit ends with a new text; cancel keeps the old one. Not raised when the user
    // cancels the edit.
    std::function<void(bool& cancel, const std::wstring& newText, cListItem item)> AfterLabelEdit;
    // A label edit is about to open; cancel prevents it.
    std::function<void(bool& cancel, cListItem item)> BeforeLabelEdit;
    // A click (left or right) or double click beside the items.
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(cColumn column)> ColumnClick;
    // A click (left or right) or double click on an item.
    std::function<void(cListItem item)> ItemClick;
    std::function<void(cListItem item)> ItemDblClick;
    // The list receives the key or character as the handler leaves it (0 for none). A
    // character is one UTF-16 unit.
    std::function<void(std::int16_t& keyCode, std::int16_t& shift)> KeyDown;
    std::function<void(wchar_t& charCode)> KeyPress;
    std::function<void(std::int16_t& keyCode, std::int16_t& shift)> KeyUp;
    // Raised on a button press in the list, before the list acts on it.
    std::function<void(std::int16_t button, std::int16_t shift, float x, float y)> MouseDown;
    std::function<void(std::int16_t button, std::int16_t shift, float x, float y)> MouseMove;
    // Raised after a click was reported (ItemClick or Click), with the pressed button.
    std::function<void(std::int16_t button, std::int16_t shift, float x, float y)> MouseUp;
    std::function<void(std::int32_t index)> ItemSelected;
    std::function<void(std::int32_t index)> ItemUnselected;

    // ---- OLE drag and drop. An item dragged out of the list carries the drag data of
    // kListItemDragFormat. Effects are DROPEFFECT_ values; drag-over states 0 enter, 1 leave,
    // 2 over. ----
    // An item's drag is about to start: `allowedEffects` starts as copy and move when
    // OLEDragMode is 2, else none; the drag runs only when it is not none.
    std::function<void(DataObject& data, std::int32_t& allowedEffects)> OLEStartDrag;
    // A drop target asks for a format that was announced without data.
    std::function<void(DataObject& data, std::uint16_t format)> OLESetData;
    // While dragging out; defaultCursors false keeps the system from setting the cursor.
    std::function<void(std::int32_t effect, bool& defaultCursors)> OLEGiveFeedback;
    // Something is dragged over the list (OLEDropMode 1). `effect` starts as the effects the
    // source allows; what the handler leaves of them is the answer.
    std::function<void(DataObject& data, std::int32_t& effect, std::int16_t button, std::int16_t shift, float x,
                       float y, std::int16_t state)>
        OLEDragOver;
    // Something is dropped on the list. When the effect left includes move and the data names a
    // live item of this list, that item moves to the drop point (in group view: into the group
    // of the item under it, or of the nearest item).
    std::function<void(DataObject& data, std::int32_t& effect, std::int16_t button, std::int16_t shift, float x,
                       float y)>
        OLEDragDrop;
    // An item's drag has ended with this effect (none when cancelled).
    std::function<void(std::int32_t effect)> OLECompleteDrag;
    // The live item of this list that drag data names, if any.
    std::optional<cListItem> ItemFromDragData(const DataObject& data) const;

    // ---- Appearance and behaviour ----
    const UIFont& Font() const { return font_; }
    void SetFont(const UIFont& font);
    std::wstring FontName() const { return font_.name; }
    void SetFontName(const std::wstring& name);
    float FontSize() const { return static_cast<float>(font_.size); }
    void SetFontSize(float points);
    // The interface font of the form it is placed on: its face and size (the control's font
    // properties); the style stays the control's own.
    void TakeFont(const UIFont& font) override;

    std::uint32_t ForeColor() const { return d_.ForeColor; }
    void SetForeColor(std::uint32_t oleColour);
    // 0xFFFFFFFF (-1): list and text backgrounds transparent.
    std::uint32_t BackColor() const { return d_.BackColor; }
    void SetBackColor(std::uint32_t oleColour);
    std::int32_t Appearance() const { return d_.Appearance; }
    void SetAppearance(std::int32_t value);
    std::int32_t BorderStyle() const { return d_.BorderStyle; }
    void SetBorderStyle(std::int32_t value);
    bool Enabled() const { return d_.Enabled; }
    void SetEnabled(bool enabled);
    std::int32_t View() const { return d_.View; }
    void SetView(std::int32_t view);

    bool MultiSelect() const { return d_.MultiSelect; }
    void SetMultiSelect(bool value);
    bool HideSelection() const { return d_.HideSelection; }
    void SetHideSelection(bool value);
    bool NoScrollBar() const { return d_.NoScrollBar; }
    void SetNoScrollBar(bool value);
    bool NoColumnHeaders() const { return d_.NoColumnHeaders; }
    void SetNoColumnHeaders(bool value);
    bool AutoArrange() const { return d_.AutoArrange; }
    void SetAutoArrange(bool value);
    bool LabelEdit() const { return d_.LabelEdit; }
    void SetLabelEdit(bool value);

    bool DoubleBuffer() const { return d_.DoubleBuffer; }
    void SetDoubleBuffer(bool value);
    bool SubItemImages() const { return d_.SubItemImages; }
    void SetSubItemImages(bool value);
    bool FlatScrollBar() const { return d_.FlatScrollBar; }
    void SetFlatScrollBar(bool value);
    bool GridLines() const { return d_.GridLines; }
    void SetGridLines(bool value);
    bool OneClickActivate() const { return d_.OneClickActivate; }
    void SetOneClickActivate(bool value);
    bool ItemBorderSelect() const { return d_.ItemBorderSelect; }
    void SetItemBorderSelect(bool value);
    bool InfoTips() const { return d_.InfoTips; }
    void SetInfoTips(bool value);
    bool LabelTips() const { return d_.LabelTips; }
    void SetLabelTips(bool value);
    bool CheckBoxes() const { return d_.CheckBoxes; }
    void SetCheckBoxes(bool value);
    bool TrackSelect() const { return d_.TrackSelect; }
    void SetTrackSelect(bool value);
    bool HeaderDragDrop() const { return d_.HeaderDragDrop; }
    void SetHeaderDragDrop(bool value);
    bool FullRowSelect() const { return d_.FullRowSelect; }
    void SetFullRowSelect(bool value);

    bool CustomDraw() const { return d_.CustomDraw; }
    void SetCustomDraw(bool value);
    bool HeaderButtons() const { return d_.HeaderButtons; }
    void SetHeaderButtons(bool value);
    // The header's items light up under the mouse (its hot-track style).
    bool HeaderTrackSelect() const { return d_.HeaderTrackSelect; }
    void SetHeaderTrackSelect(bool value);
    std::int32_t TileViewItemLines() const;
    void SetTileViewItemLines(std::int32_t lines);

    const std::wstring& BackgroundPicture() const { return d_.BackgroundPicture; }
    void SetBackgroundPicture(const std::wstring& file);
    bool TileBackgroundPicture() const { return d_.TileBackgroundPicture; }
    void SetTileBackgroundPicture(bool value);
    std::int32_t BackgroundPictureXOffset() const { return d_.BackgroundPictureXOffset; }
    void SetBackgroundPictureXOffset(std::int32_t percent);
    std::int32_t BackgroundPictureYOffset() const { return d_.BackgroundPictureYOffset; }
    void SetBackgroundPictureYOffset(std::int32_t percent);

    std::int32_t OLEDragMode() const { return d_.OLEDragMode; }
    void SetOLEDragMode(std::int32_t value);
    std::int32_t OLEDropMode() const { return d_.OLEDropMode; }
    void SetOLEDropMode(std::int32_t value);

    // ---- Scale ----
    std::int32_t ScaleMode() const { return d_.ScaleMode; }
    void SetScaleMode(std::int32_t mode);
    // The control window's inner size in ScaleMode units.
    float ScaleWidth() const;
    float ScaleHeight() const;
    std::pair<float, float> PixelsToScale(double x, double y) const;
    // Rounded half to even.
    std::pair<std::int32_t, std::int32_t> ScaleToPixels(double x, double y) const;

    // ---- The rows ----
    cListItems ListItems() const { return cListItems(list_); }
    // The item at a point in ScaleMode units, if any.
    std::optional<cListItem> HitTest(float x, float y) const;
    std::optional<cListItem> TopItem() const;
    std::optional<cListItem> SelectedItem() const;
    std::int32_t ListItemsPerPage() const;
    std::int32_t OriginX() const;
    std::int32_t OriginY() const;
    void Refresh();

    // ---- Groups: nothing below common controls 6 ----
    std::optional<cItemGroups> ItemGroups() const;

    // ---- Work areas of the icon views ----
    cWorkAreas WorkAreas() const { return cWorkAreas(list_); }

    // ---- Columns ----
    cColumns Columns() const { return cColumns(list_); }
    // Sizes the column (0-based; -1 every column) to fit its texts and its caption.
    void AutoResizeColumn(std::int32_t column);

    // ---- Arrangement, scrolling, icon spacing and image lists ----
    // Arranges the icons (an LVA_ code).
    void Arrange(std::int32_t code);
    // Scrolls by the offset in pixels.
    void Scroll(std::int32_t x, std::int32_t y);
    // Icon spacing in pixels; a value below 1 keeps the list's own spacing on that axis.
    std::int32_t IconSpaceX() const { return iconSpaceX_; }
    void SetIconSpaceX(std::int32_t pixels);
    std::int32_t IconSpaceY() const { return iconSpaceY_; }
    void SetIconSpaceY(std::int32_t pixels);
    // One of the image lists: 0 large icons, 1 small icons, 2 state icons, 0x8000 column
    // headers, 0x8001 tile view. The caller keeps the list alive while the control uses it. A
    // null list (or an image-list control without images) changes nothing; another `which`
    // does nothing.
    void SetImageList(std::int32_t which, HIMAGELIST list);
    void SetImageList(std::int32_t which, const zephImageList* list);

    // Records alive in this control (one per list item).
    std::size_t RecordCount() const { return records_.size(); }

private:
    friend class cListItems;
    friend class cListItem;
    friend class cColumns;
    friend class cColumn;
    friend class cSubItems;
    friend class cSubItem;
    friend class cItemGroups;
    friend class cItemGroup;
    friend class cWorkAreas;
    friend class cWorkArea;
    friend class ListDropSource;
    friend class ListDropTarget;
    friend ResolvedItem ResolveItem(HWND, LPARAM, std::int32_t, const wchar_t*, const wchar_t*, const wchar_t*);

    static LRESULT CALLBACK HostProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool CreateListView();
    void DestroyListView();
    void OnHostDestroyed();
    // The list fills the control window's client area.
    void FitList();
    void ApplyAll();
    void Changed(const wchar_t* name);
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HWND Header() const;

    // Style helpers; nothing without a list window.
    void SetStyleBits(DWORD add, DWORD remove);
    void SetExStyleBits(DWORD add, DWORD remove);
    void SetListExStyleBits(DWORD add, DWORD remove);
    void SetStyleFlag(DWORD bit, bool set) { SetStyleBits(set ? bit : 0, set ? 0 : bit); }
    void SetListExFlag(DWORD bit, bool set) { SetListExStyleBits(set ? bit : 0, set ? 0 : bit); }
    void SetHeaderFlag(DWORD bit, bool set);
    void ApplyBorder();
    void ApplyFont();
    void EnableWindows();
    void ApplyColours();
    void ApplyForeColor();
    void ApplyBackColor();
    void ApplyView();
    void ApplyBackgroundPicture();
    template <typename T>
    void SetPictureOption(T& field, T value, const wchar_t* name);

    // ---- Notifications from the list window (notify.cpp, events.cpp) ----
    LRESULT OnNotify(NMHDR* header);
    LRESULT OnDeleteItem(NMHDR* header);
    LRESULT OnClick(NMHDR* header);
    LRESULT OnDblClick(NMHDR* header);
    LRESULT OnCustomDraw(NMHDR* header);
    LRESULT OnItemChanged(NMHDR* header);
    LRESULT OnBeginLabelEdit(NMHDR* header);
    LRESULT OnEndLabelEdit(NMHDR* header);
    LRESULT OnColumnClick(NMHDR* header);
    LRESULT OnGetInfoTip(NMHDR* header);

    // ---- Input messages of the list window, through subclassing (events.cpp) ----
    std::int32_t MsgResponse() const override;
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;
    void AttachListMessages();
    void DetachListMessages();
    // The key of a dialog manager's message that the list (or its open edit box) takes before
    // the dialog does: Enter and the eight navigation keys.
    static bool IsListKey(const MSG* message);
    LRESULT OnButtonDown(HWND hWnd, UINT iMsg, LPARAM lParam);
    // Focus arriving at the control window goes on to the open edit box, else the list.
    void PassFocus();
    // The item under the cursor, if any; `p` receives the cursor in list client pixels.
    std::optional<cListItem> ItemAtCursor(POINT& p) const;

    // ---- Column operations (columnops.cpp); column numbers 1-based ----
    std::int32_t ColumnCount() const;
    bool GetColumnInfo(std::int32_t column, LVCOLUMNW& info) const;
    bool SetColumnInfo(std::int32_t column, const LVCOLUMNW& info);
    bool ColumnKeyCheck(const std::wstring& key) const;
    // Error 8 when no column has the key.
    std::int32_t ColumnKeyLookup(const std::wstring& key) const;
    std::int32_t ColumnIndexFromId(std::int32_t id) const;
    std::int32_t ColumnInsert(std::int32_t id, const std::wstring& key, std::int32_t position0,
                              const std::wstring& text, const std::optional<ListArg>& iconArgument,
                              std::int32_t icon, float width);
    void ColumnRemove(std::int32_t column);
    bool IsHeaderImageIndexValid(std::int32_t image) const;

    void ApplyIconSpacing();

    // ---- Item operations (itemops.cpp); indexes 1-based unless named 0-based ----
    // The item's fields under `mask`, its whole text too when asked for; false when the list
    // has no such item.
    bool GetItemInfo(int item0, UINT mask, int subItem, LVITEMW& out, std::wstring* text = nullptr) const;
    // Sends the record back (its text when LVIF_TEXT is in the mask) and repaints.
    void SetItemInfo(LVITEMW item, const std::wstring& text = {});
    // The text of an item (0-based) or of one of its sub-items, read and written whole.
    std::wstring ItemText(int item0, int subItem) const;
    void SetItemText(int item0, int subItem, const std::wstring& text);
    bool GetItemStateBit(int item0, UINT bit) const;
    void SetItemStateBit(int item0, UINT bits, bool value);
    bool ItemInsert(const std::wstring& text, std::int32_t position, std::int32_t icon, LPARAM id);
    std::int32_t ItemIndexFromId(LPARAM id) const;
    // Raises error 6 when the key is in no entry or its item is gone.
    std::int32_t ItemIndexFromKey(const std::wstring& key) const;
    bool ItemKeyLookup(const std::wstring& key) const { return itemKeys_.count(key) != 0; }
    void ItemKeyAdd(const std::wstring& key, LPARAM id) { itemKeys_[key] = id; }
    void ItemKeyChange(const std::wstring& oldKey, const std::wstring& newKey);
    std::int32_t HitTestIndex(std::int32_t x, std::int32_t y) const;
    void ItemUpdate(std::int32_t index);
    void ItemStartEdit(std::int32_t index);
    void ItemEnsureVisible(std::int32_t index);
    // The record of an id; null for an id this control does not hold.
    ListItemRecord* Record(LPARAM id) const;
    LPARAM AdoptRecord(std::unique_ptr<ListItemRecord> record);
    void ReleaseRecord(LPARAM id);
    std::optional<cListItem> ItemAt(std::int32_t index0) const;

    // ---- Group operations (groups.cpp); positions 1-based ----
    ItemGroupRecord* GroupRecord(std::int32_t id) const;
    // Error 9 when the list refuses; the flag keeps the last value the list took.
    void SetGroupsEnabled(bool value);
    bool GroupInsert(const std::wstring& header, std::int32_t position0, std::int32_t id);
    void GroupsClear();
    void GroupRemove(std::int32_t id);
    bool GroupKeyLookup(const std::wstring& key) const { return groupKeys_.count(key) != 0; }
    // Error 6 when no group has the key.
    std::int32_t GroupIdFromKey(const std::wstring& key) const;
    std::int32_t GroupCount() const { return static_cast<std::int32_t>(groupOrder_.size()); }
    // A position from 1 to GroupCount, or a group's key; error 6 (source `className` for a
    // number) when it names no group.
    std::int32_t GroupPosition(const ListArg& index, const wchar_t* className) const;

    // ---- Work-area operations (workareas.cpp) ----
    // The 1-based position of the area with this id; 0 when none.
    std::int32_t WorkAreaIndex(std::int32_t id) const;
    // Gives the list the whole table.
    void ApplyWorkAreas();
    void WorkAreasClear();

    // ---- Drag and drop (dragdrop.cpp) ----
    struct DraggedItemInfo {
        LPARAM id;
        std::int32_t serial;
        std::int32_t index;  // 1-based
    };
    // The live item of this list that the data names.
    std::optional<DraggedItemInfo> DraggedItem(const DataObject& data) const;
    LRESULT OnBeginDrag(NMHDR* header);
    void RunItemDrag();
    bool OnGiveFeedback(DWORD effect);
    void EndDragImage();
    // Registers the list as drop target while OLEDropMode is not 0.
    void ApplyDropMode();
    void RevokeDropTarget();
    DWORD OnDragOver(IDataObject* data, DWORD keys, POINTL pt, DWORD allowed, std::int16_t state);
    void OnDragLeave();
    DWORD OnDrop(IDataObject* data, DWORD keys, POINTL pt, DWORD allowed);
    void ScrollNearEdges(POINT screen);
    void MoveDroppedItem(std::int32_t index, POINT client);
    // The 1-based index of the item whose centre is nearest; -1 for an empty list.
    std::int32_t NearestItemIndex(POINT p) const;

    // ---- Sorting (sort.cpp) ----
    // Sorts by the first column whose SortOrder is not 0; nothing without one.
    void ItemsSort();
    // What an item (0-based, with its id) is compared by under a sort type.
    SortValue SortValueOf(int item0, LPARAM id, std::int32_t sortType, int subItem) const;

    HWND host_ = nullptr;
    HWND list_ = nullptr;
    ComCtlVersion version_;
    ListViewDesign d_;
    UIFont font_;
    bool creating_ = false;
    // Large, small, state, header and tile image lists (set by SetImageList).
    std::array<HIMAGELIST, 5> imageLists_{};
    WORD defaultIconSpaceX_ = 0, defaultIconSpaceY_ = 0;
    std::map<LPARAM, std::unique_ptr<ListItemRecord>> records_;
    std::map<std::wstring, LPARAM, CaseInsensitiveLess> itemKeys_;
    mutable std::int32_t lastFoundIndex0_ = -1;  // where ItemIndexFromId looks first
    bool redrawOff_ = false;                     // WM_SETREDRAW switched the list's drawing off
    // One record per header column, in column order; records past the header's count are
    // left over from removed columns and never read.
    std::vector<ColumnRecord> columns_;
    // Group records by id, their keys, and the groups in their order.
    std::map<std::int32_t, std::unique_ptr<ItemGroupRecord>> groups_;
    std::map<std::wstring, std::int32_t, CaseInsensitiveLess> groupKeys_;
    std::vector<std::int32_t> groupOrder_;
    bool groupsEnabled_ = false;
    std::vector<WorkAreaRecord> workAreas_;
    // The item (0-based) of the last drag start, the image list of its drag and the image.
    std::int32_t draggedIndex_ = -1;
    DragImageList dragList_;
    pcImageListDrag dragImage_;
    ListDropTarget* dropTarget_ = nullptr;
    // The data being dragged over the list, from entering it to leaving or dropping.
    ComPtr<IDataObject> dropData_;
    std::int32_t iconSpaceX_ = 0, iconSpaceY_ = 0;
    bool editing_ = false;
    // The edit box of the open label edit, while subclassed.
    HWND edit_ = nullptr;
    POINT lastMouse_{};
    std::int16_t lastButton_ = 0;
};

// Whether a control of this address is alive (an address read from a window property counts
// only then).
bool IsLiveListView(const zephListViewCtl* control);

}  // namespace kal
