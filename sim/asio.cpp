// The simulated card's ASIO driver: an in-process class of this process, registered among the
// system's ASIO drivers. Only creation, release and the control panel do anything; the panel
// is a small modal dialog.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "device/audio.h"
#include "sim/driver.h"
#include "base/registry.h"

namespace kal::sim {
namespace {

// {6B1F3C2E-5A0D-4E8B-9C47-2D81F05A6E13}
constexpr CLSID kSimASIOClsid = {0x6B1F3C2E, 0x5A0D, 0x4E8B, {0x9C, 0x47, 0x2D, 0x81, 0xF0, 0x5A, 0x6E, 0x13}};
constexpr wchar_t kASIOKey[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\ASIO";
constexpr wchar_t kSimASIOName[] = L"Simulated Xonar CMASIO";
constexpr wchar_t kSimASIODescription[] = L"Simulated Xonar ASIO";

constexpr long kNotPresent = -1000;
constexpr long kInvalidParameter = -998;

std::atomic<long> gObjects{0};
std::atomic<int> gPanelShown{0};
std::atomic<unsigned> gAutoCloseMs{0};
DWORD gFactoryCookie = 0;

INT_PTR CALLBACK PanelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            ++gPanelShown;
            if (const unsigned ms = gAutoCloseMs) ::SetTimer(dialog, 1, ms, nullptr);
            return TRUE;
        case WM_TIMER:
            ::KillTimer(dialog, 1);
            ::EndDialog(dialog, IDOK);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// An in-memory dialog template: caption, one line of text and an OK button.
std::vector<WORD> PanelTemplate() {
    std::vector<WORD> t;
    auto put = [&t](const wchar_t* s) {
        for (; *s; ++s) t.push_back(static_cast<WORD>(*s));
        t.push_back(0);
    };
    auto putDword = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto align = [&t] {
        if (t.size() % 2) t.push_back(0);
    };
    putDword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER);
    putDword(0);
    t.push_back(2);  // items
    t.push_back(0);
    t.push_back(0);
    t.push_back(200);
    t.push_back(60);
    t.push_back(0);  // no menu
    t.push_back(0);  // default class
    put(L"Simulated Xonar ASIO Control Panel");
    const struct {
        DWORD style;
        short x, y, cx, cy;
        WORD id, cls;
        const wchar_t* text;
    } items[] = {
        {WS_CHILD | WS_VISIBLE, 8, 8, 184, 20, 0xFFFF, 0x0082, L"ASIO buffer settings of the simulated card."},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 75, 36, 50, 14, IDOK, 0x0080, L"OK"},
    };
    for (const auto& item : items) {
        align();
        putDword(item.style);
        putDword(0);
        t.push_back(static_cast<WORD>(item.x));
        t.push_back(static_cast<WORD>(item.y));
        t.push_back(static_cast<WORD>(item.cx));
        t.push_back(static_cast<WORD>(item.cy));
        t.push_back(item.id);
        t.push_back(0xFFFF);
        t.push_back(item.cls);
        put(item.text);
        t.push_back(0);  // no creation data
    }
    return t;
}

// The driver object. Its function table: IUnknown's three, then the driver's methods in the
// order ASIO hosts call them; all but the control panel answer "not present".
class SimASIODriver final : public IUnknown {
public:
    SimASIODriver() { ++gObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, kSimASIOClsid)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) {
            --gObjects;
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    virtual long init(void*) { return 0; }
    virtual void getDriverName(char* name) {
        if (name) lstrcpyA(name, "Simulated Xonar");
    }
    virtual long getDriverVersion() { return 1; }
    virtual void getErrorMessage(char* text) {
        if (text) text[0] = 0;
    }
    virtual long start() { return kNotPresent; }
    virtual long stop() { return kNotPresent; }
    virtual long getChannels(long*, long*) { return kNotPresent; }
    virtual long getLatencies(long*, long*) { return kNotPresent; }
    virtual long getBufferSize(long*, long*, long*, long*) { return kNotPresent; }
    virtual long canSampleRate(double) { return kNotPresent; }
    virtual long getSampleRate(double*) { return kNotPresent; }
    virtual long setSampleRate(double) { return kNotPresent; }
    virtual long getClockSources(void*, long*) { return kNotPresent; }
    virtual long setClockSource(long) { return kNotPresent; }
    virtual long getSamplePosition(void*, void*) { return kNotPresent; }
    virtual long getChannelInfo(void*) { return kNotPresent; }
    virtual long createBuffers(void*, long, long, void*) { return kNotPresent; }
    virtual long disposeBuffers() { return kNotPresent; }
    // Called with the object in ecx; anything else is a caller's fault and shows nothing.
    virtual long controlPanel() {
        if (signature_ != kSignature) return kInvalidParameter;
        const std::vector<WORD> dialog = PanelTemplate();
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()),
                                  nullptr, &PanelProc, 0);
        return 0;
    }
    virtual long future(long, void*) { return kNotPresent; }
    virtual long outputReady() { return kNotPresent; }

private:
    static constexpr std::uint32_t kSignature = 0x4F495341;
    const std::uint32_t signature_ = kSignature;
    std::atomic<long> refs_{1};
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* driver = new (std::nothrow) SimASIODriver;
        if (!driver) return E_OUTOFMEMORY;
        const HRESULT hr = driver->QueryInterface(riid, out);
        driver->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory gFactory;

}  // namespace

void InstallSimASIODriver() {
    const std::wstring key = RegJoin(kASIOKey, kSimASIOName);
    RegWrite(key, L"CLSID", StringFromGUID(kSimASIOClsid));
    RegWrite(key, L"Description", std::wstring(kSimASIODescription));
    if (!gFactoryCookie)
        ::CoRegisterClassObject(kSimASIOClsid, &gFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &gFactoryCookie);
}

void RemoveSimASIODriver() {
    RegDeleteTree(kASIOKey, kSimASIOName);
    if (gFactoryCookie) ::CoRevokeClassObject(gFactoryCookie);
    gFactoryCookie = 0;
}

void SetSimASIOPanelAutoClose(unsigned ms) { gAutoCloseMs = ms; }
int SimASIOPanelShownCount() { return gPanelShown; }
long SimASIOObjectCount() { return gObjects; }

}  // namespace kal::sim
