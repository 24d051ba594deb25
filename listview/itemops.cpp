// The control's item operations, which the item objects call: reading and writing items of
// the list window, the key table and the item records.
#include <cwchar>
#include <vector>

#include "listview/errors.h"
#include "listview/listview.h"

namespace kal {

bool zephListViewCtl::GetItemInfo(int item0, UINT mask, int subItem, LVITEMW& out, std::wstring* text) const {
    out = LVITEMW{};
    out.mask = mask;
    out.iItem = item0;
    out.iSubItem = subItem;
    if (!(mask & LVIF_TEXT) || !text) return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&out)) != 0;
    // The whole text, however long: the buffer grows until the text fits with room to spare.
    std::vector<wchar_t> buffer(261);
    for (;;) {
        out.pszText = buffer.data();
        out.cchTextMax = static_cast<int>(buffer.size());
        buffer[0] = L'\0';
        if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&out))) return false;
        // The list may hand back its own text instead of filling the buffer.
        const wchar_t* got = out.pszText ? out.pszText : L"";
        const std::size_t n = std::wcslen(got);
        if (got != buffer.data() || n + 1 < buffer.size()) {
            text->assign(got, n);
            out.pszText = nullptr;
            out.cchTextMax = static_cast<int>(n);
            return true;
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

void zephListViewCtl::SetItemInfo(LVITEMW item, const std::wstring& text) {
    if (!list_) return;
    std::wstring copy = text;
    if (item.mask & LVIF_TEXT) {
        item.pszText = copy.data();
        item.cchTextMax = static_cast<int>(copy.size() + 1);
    }
    Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    // Shown at once, unless the list is being filled with its drawing switched off: then there
    // is nothing to paint, and asking costs a round trip to the window server per item.
    if (!redrawOff_) ::UpdateWindow(list_);
}

std::wstring zephListViewCtl::ItemText(int item0, int subItem) const {
    LVITEMW item;
    std::wstring text;
    GetItemInfo(item0, LVIF_TEXT, subItem, item, &text);
    return text;
}

void zephListViewCtl::SetItemText(int item0, int subItem, const std::wstring& text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = item0;
    item.iSubItem = subItem;
    SetItemInfo(item, text);
}

bool zephListViewCtl::GetItemStateBit(int item0, UINT bit) const {
    return (static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item0), bit)) & bit) != 0;
}

void zephListViewCtl::SetItemStateBit(int item0, UINT bits, bool value) {
    LVITEMW item{};
    item.stateMask = bits;
    item.state = value ? bits : 0;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item0), reinterpret_cast<LPARAM>(&item));
}

bool zephListViewCtl::ItemInsert(const std::wstring& text, std::int32_t position, std::int32_t icon, LPARAM id) {
    if (!list_) return false;
    std::wstring copy = text;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT;
    item.iItem = position - 1;
    item.pszText = copy.data();
    item.cchTextMax = static_cast<int>(copy.size() + 1);
    item.iImage = icon;
    item.lParam = id;
    const LRESULT before = Send(LVM_GETITEMCOUNT);
    Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return Send(LVM_GETITEMCOUNT) != before;
}

std::int32_t zephListViewCtl::ItemIndexFromId(LPARAM id) const {
    // Rows are mostly asked for again or in turn (a fill, a walk over the list): the row found
    // last and the one after it are tried before the search, which reads every row.
    for (const std::int32_t guess : {lastFoundIndex0_, lastFoundIndex0_ + 1}) {
        LVITEMW item;
        if (guess >= 0 && GetItemInfo(guess, LVIF_PARAM, 0, item) && item.lParam == id) {
            lastFoundIndex0_ = guess;
            return guess + 1;
        }
    }
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = id;
    const auto found =
        static_cast<std::int32_t>(Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (found >= 0) lastFoundIndex0_ = found;
    return found + 1;
}

std::int32_t zephListViewCtl::ItemIndexFromKey(const std::wstring& key) const {
    const auto it = itemKeys_.find(key);
    const std::int32_t index = it == itemKeys_.end() ? 0 : ItemIndexFromId(it->second);
    if (index < 1) RaiseListViewError(kLvSubscript, L"zephListViewCtl");
    return index;
}

void zephListViewCtl::ItemKeyChange(const std::wstring& oldKey, const std::wstring& newKey) {
    const auto it = itemKeys_.find(oldKey);
    if (it == itemKeys_.end()) return;
    const LPARAM id = it->second;
    itemKeys_.erase(it);
    itemKeys_[newKey] = id;
}

std::int32_t zephListViewCtl::HitTestIndex(std::int32_t x, std::int32_t y) const {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    return static_cast<std::int32_t>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) + 1;
}

void zephListViewCtl::ItemUpdate(std::int32_t index) { Send(LVM_UPDATE, static_cast<WPARAM>(index - 1)); }

void zephListViewCtl::ItemStartEdit(std::int32_t index) {
    Send(LVM_EDITLABELW, static_cast<WPARAM>(-1));  // ends an open edit
    Send(LVM_EDITLABELW, static_cast<WPARAM>(index - 1));
}

void zephListViewCtl::ItemEnsureVisible(std::int32_t index) {
    Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index - 1), FALSE);
}

ListItemRecord* zephListViewCtl::Record(LPARAM id) const {
    const auto it = records_.find(id);
    return it == records_.end() ? nullptr : it->second.get();
}

LPARAM zephListViewCtl::AdoptRecord(std::unique_ptr<ListItemRecord> record) {
    const auto id = reinterpret_cast<LPARAM>(record.get());
    records_[id] = std::move(record);
    return id;
}

void zephListViewCtl::ReleaseRecord(LPARAM id) {
    const auto it = records_.find(id);
    if (it == records_.end()) return;
    const auto key = itemKeys_.find(it->second->Key);
    if (key != itemKeys_.end() && key->second == id) itemKeys_.erase(key);
    records_.erase(it);
}

std::optional<cListItem> zephListViewCtl::ItemAt(std::int32_t index0) const {
    LVITEMW item;
    if (index0 < 0 || !GetItemInfo(index0, LVIF_PARAM, 0, item)) return std::nullopt;
    const ListItemRecord* record = Record(item.lParam);
    if (!record) return std::nullopt;
    return cListItem(list_, item.lParam, record->Serial);
}

}  // namespace kal
