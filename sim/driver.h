// The simulated card's kernel-streaming driver: its device registration in SetupAPI, the
// property set it answers, its request log, failure injection and the live values tests and
// the demo set. Its state lives in the registry (kSimRoot\Driver) and in the driver's own
// settings key, so it persists across processes.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/hextext.h"

namespace kal::sim {

// How the card is registered; each variant is one of the situations start-up reports.
struct SimCardSetup {
    std::wstring subsys;                // "" = SimModel(); any id, known to the catalogue or not
    bool driverKey = true;              // false: the device has no driver class key
    bool probeAnswered = true;          // false: every card interface refuses the probe
    bool extraRefusingInterfaces = false;  // extra topology interfaces that refuse the probe
};

// Registers the card's device node, driver class key and interfaces; replaces an earlier
// registration of the simulated card. The setup is remembered for later processes.
void InstallSimCardDevice(const SimCardSetup& setup = {});
// Removes the simulated card (device node, interfaces, driver key); requests fail from then on.
void RemoveSimCardDevice();
// Registers the card with the remembered setup unless it is registered as SimModel() or was
// removed.
void EnsureSimCardDevice();
bool SimCardDeviceInstalled();

// The registered card's identity.
std::wstring SimCardInstanceId();
std::wstring SimCardHardwareId();
// Full registry path of the driver class key ("" without one) and of its Settings subkey.
std::wstring SimDriverClassKey();
std::wstring SimDriverSettingsKey();
// Interface paths: topology filter (the one that answers), and the refusing extras.
std::wstring SimTopologyPath();
std::vector<std::wstring> SimRefusingPaths();
// The audio filter's interface path for a reference part ("wave", "topology").
std::wstring SimAudioPath(const std::wstring& reference);

// One request the driver received.
struct SimRequest {
    std::wstring path;
    std::wstring set;  // "{8F9411EA-...}"
    std::uint32_t id = 0;
    std::uint32_t flags = 0;  // 1 get, 2 set
    Bytes bytes;              // what was written, or what a read returned
    std::uint32_t result = 0;
    std::uint32_t time = 0;   // timeGetTime
};
// The latest requests (up to 4096), oldest first.
std::vector<SimRequest> SimRequestLog();
void ClearSimRequestLog();

// The next request for property `id` fails with `code` (once).
void InjectSimFailure(std::uint32_t id, std::uint32_t code);

// The driver's live values (its settings key).
std::optional<Bytes> SimLiveValue(const std::wstring& name);
void SetSimLiveValue(const std::wstring& name, const Bytes& value);

// Speaker configuration codes the trial accepts; nullopt = the model's behaviour table.
void SetSimAcceptedSpeakerConfigs(const std::optional<std::vector<std::uint8_t>>& codes);

// Level meter: whether it is on, and the ten 16.16 dB levels it reports while on.
bool SimMeteringOn();
void SetSimLevels(const std::array<std::int32_t, 10>& levels);

// Registers the simulated card's ASIO driver (key under SOFTWARE\ASIO and the in-process class
// of this process). COM must be initialised on the calling thread.
void InstallSimASIODriver();
void RemoveSimASIODriver();
// Test settings of the ASIO panel: closes itself after `ms` once shown (0 = stays open).
void SetSimASIOPanelAutoClose(unsigned ms);
// How often the panel was shown, and the live driver objects of this process.
int SimASIOPanelShownCount();
long SimASIOObjectCount();

}  // namespace kal::sim
