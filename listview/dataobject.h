// The data of an OLE drag as the list-view control's drag events see it: a DataObject over
// any data object a drop delivers (this program's or another's), and the data object the
// control offers when one of its items is dragged out.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "base/com.h"
#include "listview/comobject.h"

namespace kal {

using DataBytes = std::vector<std::uint8_t>;

class ListDataObject;

class DataObject {
public:
    explicit DataObject(ComPtr<IDataObject> data);

    // The bytes in a format; none when the object has no data in it (errors of a foreign
    // object count as none).
    std::optional<DataBytes> GetData(std::uint16_t format) const;
    bool GetFormat(std::uint16_t format) const;
    // Stores the bytes in a format. Without bytes, on the control's own data object, the
    // format is only announced: a target that asks for it has the source's OLESetData event
    // supply the data.
    void SetData(std::uint16_t format, std::optional<DataBytes> bytes = {});
    // Removes all formats from the control's own data object.
    void Clear();

    IDataObject* get() const { return data_.get(); }

private:
    ComPtr<IDataObject> data_;
    ListDataObject* own_ = nullptr;  // the same object, when it is the control's own
};

// The control's own data object: formats with their bytes in global memory. A format announced
// without bytes is asked of `supply` when a target wants it.
class ListDataObject final : public ComObject<IDataObject> {
public:
    static ComPtr<ListDataObject> Create();

    void Set(std::uint16_t format, std::optional<DataBytes> bytes);
    void Clear() { formats_.clear(); }
    std::function<void(std::uint16_t format)> supply;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ListDataObject() = default;
    // The control's own object answers to an identifier of its own too.
    bool Answers(REFIID iid) const override;
    static bool Takes(const FORMATETC* format);

    std::map<std::uint16_t, std::optional<DataBytes>> formats_;
};

}  // namespace kal
