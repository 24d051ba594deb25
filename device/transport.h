// The card driver's property transport and card discovery: every read and write of a driver
// setting goes through SendDriverProperty; discovery finds the card's device, its driver class
// key and the interface path of its topology filter in SetupAPI.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

#include "device/portable/packets.h"
#include "base/hextext.h"

namespace kal {

// The property set put at the head of every request (chosen from the driver's "Driver" text).
extern PropertySetId gDriverPropertySet;
// Interface path of the card's topology filter; "" when no card was found.
extern std::wstring gCardInterfacePath;
// While set, every request does nothing and reports success (reads too).
extern bool gSuspendDriverWrites;
// timeGetTime() just before the program's last own change; 0 until the first. Read by
// notification callbacks on other threads.
extern std::atomic<std::uint32_t> gLastSelfChange;
// The hardware-id pattern searched with; replaced by the matched hardware id.
extern std::wstring gCardHID;
// The card's full device instance id once its interface was found.
extern std::wstring gCardInstanceId;

// The card's hardware id family, and the pattern searched when no other is configured.
inline constexpr wchar_t kCardHardwareFamily[] = L"VEN_13F6&DEV_8788";

// One property request with `data` as the value buffer (a read fills it). Path "" means
// gCardInterfacePath. 0, 6 when the device can't be opened, else the request's system error.
std::uint32_t SendDriverProperty(std::uint32_t id, Bytes& data, bool isGet, const std::wstring& path = L"");

// While one lives, the requests of its thread keep each interface they open open for the next
// ones: the many requests of a profile switch open the card once. Scopes nest; the outermost
// closes what was kept.
class CardInterfaceScope {
public:
    CardInterfaceScope();
    ~CardInterfaceScope();
    CardInterfaceScope(const CardInterfaceScope&) = delete;
    CardInterfaceScope& operator=(const CardInterfaceScope&) = delete;

private:
    std::map<std::wstring, HANDLE> kept_;
    bool outermost_;
};

// Mode 0: the card's topology filter that answers the probe (instanceText becomes its device
// instance id). Mode 1: the card's audio filter path less its reference part. "" when none.
std::wstring FindCardInterfacePath(std::wstring& instanceText, int mode);

// The SPDRP_* property `code` of the first present device whose hardware id contains the
// upper-cased hardwareIdText; hardwareIdText becomes that hardware id ("" when none matched).
std::wstring GetDeviceRegistryProperty(DWORD code, std::wstring& hardwareIdText);

// True when the driver answers a read of its NEO parameters.
bool DriverQuery38();

// The card's device and driver: gCardHID becomes the hardware id of the first present device
// that contains `pattern`, or, when none does and `subsys` is known, the card's id built from
// it; when the device has a driver, gDriverClassKey, gDriverSettingsKey and the property set
// that the driver's "Driver" text calls for.
// A search of the same inputs started by StartCardDiscovery gives its result instead.
void DiscoverCard(const std::wstring& pattern, const std::wstring& subsys);

// Starts the device search of DiscoverCard on the worker thread, so that it runs beside other
// start-up work; it changes nothing of the program's state. The next DiscoverCard takes the
// result when its inputs are the same, else searches again. Without a worker thread it does
// nothing.
void StartCardDiscovery(const std::wstring& pattern, const std::wstring& subsys);

// The interface of the card (gCardHID) that answers the driver's probe: gCardInterfacePath, and
// gCardInstanceId becomes its device instance id. False when none answers.
bool FindCardInterface();

// The live value of a driver setting: the driver's settings key, else the default of
// gDriverDefaults, else one zero byte.
Bytes LiveDriverValue(std::wstring_view name);

}  // namespace kal
