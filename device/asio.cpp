#include "device/asio.h"

#include <objbase.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "device/portable/packets.h"
#include "base/log.h"
#include "base/registry.h"
#include "base/subclass.h"

namespace kal {

std::wstring gASIODriverName;
GUID gASIOClsid = GUID_NULL;

namespace {

// Slots of the driver's function table: IUnknown's three, then the driver's own methods;
// slot 21 opens its control panel.
constexpr int kTableEntries = 24;
constexpr int kControlPanelSlot = 21;
using ControlPanelFn = long(__thiscall*)(void* driver);

// The driver object, created with its class id as class and interface id alike.
class DriverObject {
public:
    explicit DriverObject(const GUID& clsid) {
        void* out = nullptr;
        if (SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, clsid, &out)) && out) {
            object_ = static_cast<IUnknown*>(out);
            std::memcpy(table_, *reinterpret_cast<void* const* const*>(out), sizeof table_);
        }
    }
    DriverObject(const DriverObject&) = delete;
    DriverObject& operator=(const DriverObject&) = delete;
    ~DriverObject() {
        if (object_) object_->Release();
    }
    explicit operator bool() const { return object_ != nullptr; }
    long ControlPanel() { return reinterpret_cast<ControlPanelFn>(table_[kControlPanelSlot])(object_); }

private:
    IUnknown* object_ = nullptr;
    void* table_[kTableEntries] = {};
};

// Places the driver's panel once its dialog initialisation has run.
class PanelPlacement final : public ISubclass {
public:
    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The panel being watched while its driver call runs (user-interface thread only).
HHOOK gCBTHook = nullptr;
HWND gASIOPanelWnd = nullptr;
PanelPlacement gPanelPlacement;
const std::function<void(HWND)>* gPlaceDialog = nullptr;
bool gPanelBusy = false;

LRESULT PanelPlacement::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = MSubclass::CallOldWindowProc(window, message, wParam, lParam);
    if (gPlaceDialog && *gPlaceDialog) {
        try {
            (*gPlaceDialog)(window);
        } catch (...) {
            LogCaught(L"ASIO panel placement");
        }
    }
    return result;
}

void ReleasePanelWindow() {
    if (!gASIOPanelWnd) return;
    MSubclass::DetachMessage(&gPanelPlacement, gASIOPanelWnd, WM_INITDIALOG);
    gASIOPanelWnd = nullptr;
}

LRESULT CALLBACK ASIOPanelCBTProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND && gASIOPanelWnd && reinterpret_cast<HWND>(wParam) == gASIOPanelWnd)
        ReleasePanelWindow();
    const LRESULT result = ::CallNextHookEx(gCBTHook, code, wParam, lParam);
    if (code == HCBT_CREATEWND && !gASIOPanelWnd) {
        gASIOPanelWnd = reinterpret_cast<HWND>(wParam);
        try {
            MSubclass::AttachMessage(&gPanelPlacement, gASIOPanelWnd, WM_INITDIALOG);
        } catch (...) {
            // The panel opens where the driver puts it.
            LogCaught(L"ASIOPanelCBTProc");
        }
    }
    return result;
}

// The thread's CBT hook for the duration of one panel call.
class PanelHook {
public:
    explicit PanelHook(const std::function<void(HWND)>& place) {
        gPlaceDialog = &place;
        gCBTHook = ::SetWindowsHookExW(WH_CBT, &ASIOPanelCBTProc, nullptr, ::GetCurrentThreadId());
    }
    PanelHook(const PanelHook&) = delete;
    PanelHook& operator=(const PanelHook&) = delete;
    ~PanelHook() {
        if (gCBTHook) ::UnhookWindowsHookEx(gCBTHook);
        gCBTHook = nullptr;
        ReleasePanelWindow();
        gPlaceDialog = nullptr;
    }
};

}  // namespace

void FindASIODriver(ASIOMenuItem* item) {
    for (const std::wstring& name : RegEnumKeys(kASIODriversKey)) {
        const std::wstring key = RegJoin(kASIODriversKey, name);
        const std::wstring description = RegReadText(key, L"Description").value_or(L"");
        if (!ContainsNoCase(name, L"cmasio")) continue;
        GUID clsid{};
        const std::wstring clsidText = RegReadText(key, L"CLSID").value_or(L"");
        if (FAILED(::IIDFromString(clsidText.c_str(), &clsid))) continue;
        if (!DriverObject(clsid)) continue;
        gASIODriverName = description;
        gASIOClsid = clsid;
        if (item) {
            item->SetCaption(description + L" Control Panel...");
            item->SetEnabled(true);
        }
        return;
    }
}

bool ShowASIOControlPanel(const std::function<void(HWND)>& placeDialog) {
    if (gPanelBusy) return false;
    gPanelBusy = true;
    bool shown = false;
    {
        DriverObject driver(gASIOClsid);
        if (driver) {
            PanelHook hook(placeDialog);
            driver.ControlPanel();
            shown = true;
        }
    }
    gPanelBusy = false;
    return shown;
}

}  // namespace kal
