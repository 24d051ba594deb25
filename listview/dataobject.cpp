#include "listview/dataobject.h"

#include <shlobj.h>

#include <cstring>

#include "base/log.h"

namespace kal {
namespace {

// Asked of a data object to tell the control's own from another.
// {5B3F1C52-7E0A-4C6D-9A51-3E2D8B6F0C17}
constexpr GUID kIID_ListDataObject = {0x5b3f1c52, 0x7e0a, 0x4c6d, {0x9a, 0x51, 0x3e, 0x2d, 0x8b, 0x6f, 0x0c, 0x17}};

FORMATETC FormatOf(std::uint16_t format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

HGLOBAL GlobalCopy(const DataBytes& bytes) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (!memory) return nullptr;
    if (void* p = ::GlobalLock(memory)) {
        if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
        ::GlobalUnlock(memory);
        return memory;
    }
    ::GlobalFree(memory);
    return nullptr;
}

std::optional<DataBytes> BytesOf(HGLOBAL memory) {
    const SIZE_T size = ::GlobalSize(memory);
    const auto* p = static_cast<const std::uint8_t*>(::GlobalLock(memory));
    if (!p) return std::nullopt;
    DataBytes bytes(p, p + size);
    ::GlobalUnlock(memory);
    return bytes;
}

}  // namespace

// ---- DataObject ----

DataObject::DataObject(ComPtr<IDataObject> data) : data_(std::move(data)) {
    // The own object answers with itself; data_ holds the reference.
    IDataObject* own = nullptr;
    if (data_ && SUCCEEDED(data_->QueryInterface(kIID_ListDataObject, reinterpret_cast<void**>(&own))) && own) {
        own_ = static_cast<ListDataObject*>(own);
        own->Release();
    }
}

std::optional<DataBytes> DataObject::GetData(std::uint16_t format) const {
    if (!data_) return std::nullopt;
    FORMATETC f = FormatOf(format);
    STGMEDIUM medium{};
    if (FAILED(data_->GetData(&f, &medium))) return std::nullopt;
    std::optional<DataBytes> bytes;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) bytes = BytesOf(medium.hGlobal);
    ::ReleaseStgMedium(&medium);
    return bytes;
}

bool DataObject::GetFormat(std::uint16_t format) const {
    FORMATETC f = FormatOf(format);
    return data_ && data_->QueryGetData(&f) == S_OK;
}

void DataObject::SetData(std::uint16_t format, std::optional<DataBytes> bytes) {
    if (own_) {
        own_->Set(format, std::move(bytes));
        return;
    }
    if (!data_ || !bytes) return;
    FORMATETC f = FormatOf(format);
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalCopy(*bytes);
    if (medium.hGlobal && FAILED(data_->SetData(&f, &medium, TRUE))) ::ReleaseStgMedium(&medium);
}

void DataObject::Clear() {
    if (own_) own_->Clear();
}

// ---- ListDataObject ----

ComPtr<ListDataObject> ListDataObject::Create() {
    ComPtr<ListDataObject> object;
    object.attach(new ListDataObject);
    return object;
}

void ListDataObject::Set(std::uint16_t format, std::optional<DataBytes> bytes) { formats_[format] = std::move(bytes); }

bool ListDataObject::Answers(REFIID iid) const { return iid == kIID_ListDataObject; }

bool ListDataObject::Takes(const FORMATETC* format) {
    return format && (format->tymed & TYMED_HGLOBAL) && format->dwAspect == DVASPECT_CONTENT;
}

HRESULT ListDataObject::QueryGetData(FORMATETC* format) {
    if (!Takes(format)) return DV_E_FORMATETC;
    return formats_.count(format->cfFormat) ? S_OK : DV_E_FORMATETC;
}

HRESULT ListDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!medium) return E_POINTER;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    try {
        const std::uint16_t cf = format->cfFormat;
        // Announced without data: the source may supply it now.
        if (!formats_[cf] && supply) supply(cf);
        const auto it = formats_.find(cf);
        if (it == formats_.end() || !it->second) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalCopy(*it->second);
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        LogCaught(L"ListDataObject.GetData");
        return E_UNEXPECTED;
    }
}

HRESULT ListDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT ListDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    if (!Takes(format) || !medium || medium->tymed != TYMED_HGLOBAL || !medium->hGlobal) return DV_E_FORMATETC;
    try {
        const auto bytes = BytesOf(medium->hGlobal);
        if (!bytes) return E_OUTOFMEMORY;
        formats_[format->cfFormat] = *bytes;
    } catch (...) {
        LogCaught(L"ListDataObject.SetData");
        return E_OUTOFMEMORY;
    }
    if (release) ::ReleaseStgMedium(medium);
    return S_OK;
}

HRESULT ListDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    try {
        std::vector<FORMATETC> formats;
        for (const auto& [cf, bytes] : formats_) formats.push_back(FormatOf(cf));
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
    } catch (...) {
        LogCaught(L"ListDataObject.EnumFormatEtc");
        return E_OUTOFMEMORY;
    }
}

}  // namespace kal
