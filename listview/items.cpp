#include "listview/items.h"

#include "listview/errors.h"
#include "listview/listview.h"
#include "base/propstore.h"

namespace kal {
namespace {

std::size_t gLiveRecords = 0;
// Items, groups and work areas draw their serials from this one counter.
std::int32_t gItemSerials = 0;

std::int32_t ArgToLong(const ListArg& arg, const wchar_t* className) {
    const auto number = arg.Number();
    const auto value = number ? ToLong(*number) : std::nullopt;
    if (!value) RaiseListViewError(kLvTypeMismatch, className);
    return *value;
}

}  // namespace

ListItemRecord::ListItemRecord() { ++gLiveRecords; }
ListItemRecord::~ListItemRecord() { --gLiveRecords; }
std::size_t ListItemRecord::LiveCount() { return gLiveRecords; }

std::int32_t NextItemId() { return NextSerial(gItemSerials); }

zephListViewCtl& ListViewOwner(HWND owner, const wchar_t* className) {
    if (!::IsWindow(owner)) RaiseListViewError(kLvUnloaded, className);
    auto* control = reinterpret_cast<zephListViewCtl*>(GetWindowProp(owner, kListViewObjectProp));
    if (!control || !IsLiveListView(control) || control->hWndListView() != owner)
        RaiseListViewError(kLvUnloaded, className);
    return *control;
}

// ---- cListItems ----

zephListViewCtl& cListItems::ResolveOwner() const { return ListViewOwner(owner_, L"cListItems"); }

std::int32_t cListItems::ResolveIndex(zephListViewCtl& owner, const ListArg& index) const {
    if (const auto number = index.Number()) {
        const auto n = ToLong(*number);
        if (!n || *n < 1 || *n > Count()) RaiseListViewError(kLvSubscript, L"cListItems");
        return *n;
    }
    return owner.ItemIndexFromKey(index.Text());
}

cListItem cListItems::Add(std::optional<ListArg> index, std::optional<ListArg> key, const std::wstring& text,
                          std::optional<ListArg> icon, std::optional<ListArg> /*smallIcon*/) {
    zephListViewCtl& c = ResolveOwner();
    auto record = std::make_unique<ListItemRecord>();
    const std::int32_t serial = NextItemId();
    record->Serial = serial;

    if (key) {
        record->Key = key->Text();
        if (c.ItemKeyLookup(record->Key)) RaiseListViewError(kLvDuplicateKey, L"cListItems");
        if (key->Number()) RaiseListViewError(kLvTypeMismatch, L"cListItems");
    } else {
        record->Key = L"C" + std::to_wstring(serial);
    }
    const std::int32_t position = index ? ArgToLong(*index, L"cListItems") : Count() + 1;
    const std::int32_t image = icon ? ArgToLong(*icon, L"cListItems") : -1;

    const std::wstring itemKey = record->Key;
    const LPARAM id = c.AdoptRecord(std::move(record));
    if (!c.ItemInsert(text, position, image, id)) {
        c.ReleaseRecord(id);
        RaiseListViewError(kLvOutOfMemory, L"cListItems");
    }
    c.ItemKeyAdd(itemKey, id);
    return cListItem(owner_, id, serial);
}

void cListItems::Clear() { ResolveOwner().Send(LVM_DELETEALLITEMS); }

std::int32_t cListItems::Count() const { return static_cast<std::int32_t>(ResolveOwner().Send(LVM_GETITEMCOUNT)); }

bool cListItems::Exists(const ListArg& index) const {
    zephListViewCtl& c = ResolveOwner();
    try {
        ResolveIndex(c, index);
        return true;
    } catch (const ToolkitError&) {
        // No such item: the answer, not a failure.
        return false;
    }
}

cListItem cListItems::item(const ListArg& index) const {
    zephListViewCtl& c = ResolveOwner();
    const std::int32_t n = ResolveIndex(c, index);
    LVITEMW found;
    const ListItemRecord* record = c.GetItemInfo(n - 1, LVIF_PARAM, 0, found) ? c.Record(found.lParam) : nullptr;
    // An item that someone put in the list behind the control's back has no record.
    if (!record) RaiseListViewError(kLvNoListItem, L"cListItems");
    return cListItem(owner_, found.lParam, record->Serial);
}

void cListItems::Remove(const ListArg& index) {
    zephListViewCtl& c = ResolveOwner();
    c.Send(LVM_DELETEITEM, static_cast<WPARAM>(ResolveIndex(c, index) - 1));
}

std::int32_t cListItems::CountPerPage() const {
    return static_cast<std::int32_t>(ResolveOwner().Send(LVM_GETCOUNTPERPAGE));
}

void cListItems::SortItems() { ResolveOwner().ItemsSort(); }

// ---- cListItem ----

ResolvedItem ResolveItem(HWND owner, LPARAM id, std::int32_t serial, const wchar_t* unloaded, const wchar_t* gone,
                         const wchar_t* changed) {
    zephListViewCtl& c = ListViewOwner(owner, unloaded);
    const std::int32_t index = c.ItemIndexFromId(id);
    ListItemRecord* record = index > 0 ? c.Record(id) : nullptr;
    if (!record) RaiseListViewError(kLvNoListItem, gone);
    // A later item whose record took the same address.
    if (record->Serial != serial) RaiseListViewError(kLvNoListItem, changed);
    return {c, *record, index};
}

cListItem::Resolved cListItem::ResolveOwner() const {
    return ResolveItem(owner_, id_, serial_, L"cListItems", L"cListItems", L"cListItem");
}

std::wstring cListItem::ToolTipText() const { return ResolveOwner().record.ToolTipText; }
void cListItem::SetToolTipText(const std::wstring& text) { ResolveOwner().record.ToolTipText = text; }

std::wstring cListItem::Text() const {
    const Resolved r = ResolveOwner();
    return r.control.ItemText(r.index - 1, 0);
}

void cListItem::SetText(const std::wstring& text) {
    const Resolved r = ResolveOwner();
    r.control.SetItemText(r.index - 1, 0, text);
}

std::wstring cListItem::Key() const { return ResolveOwner().record.Key; }

void cListItem::SetKey(const std::wstring& key) {
    const Resolved r = ResolveOwner();
    if (r.control.ItemKeyLookup(key)) RaiseListViewError(kLvDuplicateKey, L"cListItem");
    r.control.ItemKeyChange(r.record.Key, key);
    r.record.Key = key;
}

std::int32_t cListItem::index() const {
    const Resolved r = ResolveOwner();
    return r.control.ItemIndexFromKey(r.record.Key);
}

std::int32_t cListItem::itemData() const { return ResolveOwner().record.itemData; }
void cListItem::SetItemData(std::int32_t value) { ResolveOwner().record.itemData = value; }
std::wstring cListItem::Tag() const { return ResolveOwner().record.Tag; }
void cListItem::SetTag(const std::wstring& tag) { ResolveOwner().record.Tag = tag; }

// Colours and font are drawn by the control; the item is redrawn at once.
std::uint32_t cListItem::BackColor() const { return ResolveOwner().record.BackColor; }
void cListItem::SetBackColor(std::uint32_t oleColour) {
    const Resolved r = ResolveOwner();
    r.record.BackColor = oleColour;
    r.control.ItemUpdate(r.index);
}

std::uint32_t cListItem::ForeColor() const { return ResolveOwner().record.ForeColor; }
void cListItem::SetForeColor(std::uint32_t oleColour) {
    const Resolved r = ResolveOwner();
    r.record.ForeColor = oleColour;
    r.control.ItemUpdate(r.index);
}

std::optional<UIFont> cListItem::Font() const { return ResolveOwner().record.Font; }
void cListItem::SetFont(std::optional<UIFont> font) {
    const Resolved r = ResolveOwner();
    r.record.Font = std::move(font);
    r.control.ItemUpdate(r.index);
}

std::int32_t cListItem::ItemNumber(UINT mask, int LVITEMW::*field) const {
    const Resolved r = ResolveOwner();
    LVITEMW item;
    r.control.GetItemInfo(r.index - 1, mask, 0, item);
    return item.*field;
}

void cListItem::SetItemNumber(UINT mask, int LVITEMW::*field, std::int32_t value) {
    const Resolved r = ResolveOwner();
    LVITEMW item{};
    item.mask = mask;
    item.iItem = r.index - 1;
    item.*field = value;
    r.control.SetItemInfo(item);
}

std::int32_t cListItem::IconIndex() const { return ItemNumber(LVIF_IMAGE, &LVITEMW::iImage); }
void cListItem::SetIconIndex(std::int32_t image) { SetItemNumber(LVIF_IMAGE, &LVITEMW::iImage, image); }
std::int32_t cListItem::Indent() const { return ItemNumber(LVIF_INDENT, &LVITEMW::iIndent); }
void cListItem::SetIndent(std::int32_t indent) { SetItemNumber(LVIF_INDENT, &LVITEMW::iIndent, indent); }

std::int32_t cListItem::StateIconIndex() const {
    const Resolved r = ResolveOwner();
    const auto state = static_cast<UINT>(
        r.control.Send(LVM_GETITEMSTATE, static_cast<WPARAM>(r.index - 1), LVIS_STATEIMAGEMASK));
    return static_cast<std::int32_t>((state & LVIS_STATEIMAGEMASK) >> 12);
}

void cListItem::SetStateIconIndex(std::int32_t image) {
    const Resolved r = ResolveOwner();
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(static_cast<UINT>(image) & 0xF);
    r.control.Send(LVM_SETITEMSTATE, static_cast<WPARAM>(r.index - 1), reinterpret_cast<LPARAM>(&item));
}

bool cListItem::Checked() const {
    const Resolved r = ResolveOwner();
    const auto state = static_cast<UINT>(r.control.Send(LVM_GETITEMSTATE, static_cast<WPARAM>(r.index - 1), 0xF000));
    return (state & 0x2000) == 0x2000;
}

void cListItem::SetChecked(bool checked) {
    const Resolved r = ResolveOwner();
    LVITEMW item{};
    item.stateMask = 0x3000;
    item.state = checked ? 0x2000 : 0x1000;
    r.control.Send(LVM_SETITEMSTATE, static_cast<WPARAM>(r.index - 1), reinterpret_cast<LPARAM>(&item));
}

bool cListItem::Hot() const {
    const Resolved r = ResolveOwner();
    return r.control.Send(LVM_GETHOTITEM) == r.index - 1;
}

void cListItem::SetHot(bool hot) {
    const Resolved r = ResolveOwner();
    if (hot) r.control.Send(LVM_SETHOTITEM, static_cast<WPARAM>(r.index - 1));
}

bool cListItem::Cut() const {
    const Resolved r = ResolveOwner();
    return r.control.GetItemStateBit(r.index - 1, LVIS_CUT);
}

void cListItem::SetCut(bool cut) {
    const Resolved r = ResolveOwner();
    r.control.SetItemStateBit(r.index - 1, LVIS_CUT, cut);
}

void cListItem::StartEdit() {
    const Resolved r = ResolveOwner();
    r.control.ItemStartEdit(r.index);
}

void cListItem::EnsureVisible() {
    const Resolved r = ResolveOwner();
    r.control.ItemEnsureVisible(r.index);
}

bool cListItem::Selected() const {
    const Resolved r = ResolveOwner();
    return r.control.GetItemStateBit(r.index - 1, LVIS_SELECTED);
}

void cListItem::SetSelected(bool selected) {
    const Resolved r = ResolveOwner();
    r.control.SetItemStateBit(r.index - 1, LVIS_SELECTED | LVIS_FOCUSED, selected);
}

POINT cListItem::Position(zephListViewCtl& c, std::int32_t index) const {
    POINT p{};
    c.Send(LVM_GETITEMPOSITION, static_cast<WPARAM>(index - 1), reinterpret_cast<LPARAM>(&p));
    return p;
}

float cListItem::Top() const {
    const Resolved r = ResolveOwner();
    return r.control.PixelsToScale(0, Position(r.control, r.index).y).second;
}

void cListItem::SetTop(float top) {
    const Resolved r = ResolveOwner();
    POINT p = Position(r.control, r.index);
    p.y = r.control.ScaleToPixels(0, top).second;
    r.control.Send(LVM_SETITEMPOSITION32, static_cast<WPARAM>(r.index - 1), reinterpret_cast<LPARAM>(&p));
}

float cListItem::Left() const {
    const Resolved r = ResolveOwner();
    return r.control.PixelsToScale(Position(r.control, r.index).x, 0).first;
}

cSubItems cListItem::SubItems() const {
    ResolveOwner();
    return cSubItems(owner_, id_, serial_);
}

void cListItem::SetLeft(float left) {
    const Resolved r = ResolveOwner();
    POINT p = Position(r.control, r.index);
    p.x = r.control.ScaleToPixels(left, 0).first;
    r.control.Send(LVM_SETITEMPOSITION32, static_cast<WPARAM>(r.index - 1), reinterpret_cast<LPARAM>(&p));
}

}  // namespace kal
