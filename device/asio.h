// The card's ASIO driver: found among the registered ASIO drivers at start-up, its control
// panel opened on request. The driver is an in-process object called through its function
// table with typed pointers (object in ecx for its own methods, stdcall for IUnknown's).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace kal {

// The found driver's "Description" and class id; empty / GUID_NULL until found.
extern std::wstring gASIODriverName;
extern GUID gASIOClsid;

// Where the registered ASIO drivers live.
inline constexpr wchar_t kASIODriversKey[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\ASIO";

// The tray menu item that opens the panel: FindASIODriver labels and enables it.
class ASIOMenuItem {
public:
    virtual ~ASIOMenuItem() = default;
    virtual void SetCaption(const std::wstring& caption) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// The menu item's caption before a driver is found.
inline constexpr wchar_t kASIOMenuDefaultCaption[] = L"ASIO Control Panel...";

// Looks for the first registered driver whose key name contains "cmasio" and whose object can
// be created; on success keeps its name and class id and labels and enables `item` (may be
// null). Nothing changes when none is found.
void FindASIODriver(ASIOMenuItem* item);

// Opens the found driver's control panel and returns when it closes. The first window the
// driver creates on this thread during the call is watched and `placeDialog` is called for it
// once its dialog initialisation has run. A request while a panel is open does nothing.
// False when no panel was opened (busy, or the driver could not be created).
bool ShowASIOControlPanel(const std::function<void(HWND)>& placeDialog);

}  // namespace kal
