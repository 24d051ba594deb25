// The simulated card's audio side: its Core Audio endpoints with their signal paths, and the
// state of their controls. The state lives in the registry (kSimRoot\Audio) so that it persists
// across processes; the endpoints themselves are fixed.
#pragma once
#include <windows.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kal::sim {

enum class SimPartKind { Connector, Volume, Mute, Agc, Selector };

struct SimPartDesc {
    SimPartKind kind;
    std::wstring name;
    UINT localId;
    GUID subtype;
};

struct SimEndpointDesc {
    std::wstring key;          // short name: the state's registry subkey and the tests' handle
    std::wstring id;           // the endpoint identifier
    EDataFlow flow;
    bool onCard;               // the card's own endpoint, or one of another device
    std::wstring description;  // device description property
    std::wstring friendlyName;
    std::wstring filter;       // last part of the filter reference ("cp_topo", "cp_wave")
    UINT channels;
    // The signal path from the jack: [0] the adapter's connector that the endpoint's connector
    // leads to, then the parts in the direction a walk follows (towards the converter), the
    // last one the converter's bridge connector (a software connector, where walks end).
    std::vector<SimPartDesc> path;
};

// In a fixed order: the render endpoints, then the capture endpoints.
const std::vector<SimEndpointDesc>& SimAudioEndpoints();
// -1 when there is none.
int FindSimEndpoint(const std::wstring& idOrKey);
// The endpoint's hardware identity text ("{1}." + its device instance id).
std::wstring SimEndpointHardwareIdentity(const SimEndpointDesc& e);
// The filter reference property text (device interface path with the filter's name).
std::wstring SimEndpointFilterReference(const SimEndpointDesc& e);
// Local id of the card's recording input selector, shared by all its inputs.
UINT SimSelectorLocalId();
// Volume range of every endpoint, in dB.
constexpr float kSimMinDB = -96.0f, kSimMaxDB = 0.0f, kSimStepDB = 0.5f;
// A channel level (0..1, linear in decibels) and its decibels.
inline float ScalarToDB(float scalar) { return kSimMinDB + (kSimMaxDB - kSimMinDB) * scalar; }
inline float DBToScalar(float db) { return (db - kSimMinDB) / (kSimMaxDB - kSimMinDB); }

// Names the card's driver registers for its pin categories (MediaCategories "Name").
struct SimMediaCategory {
    const wchar_t* guid;
    const wchar_t* name;
};
const std::vector<SimMediaCategory>& SimMediaCategories();
// Writes them under HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\MediaCategories.
void WriteSimMediaCategories();

// State.
std::wstring SimAudioStateKey();
void ResetSimAudioState();
float SimChannelLevel(int endpoint, UINT channel);
void SetSimChannelLevel(int endpoint, UINT channel, float level);
// The driver's record of the card's master volume, kept in step with the speakers' front
// channels: MasterVolL and MasterVolR in its settings key hold each channel's attenuation in
// decibels (0 at full volume) as a signed 16.16 number, stored little-endian as the driver's
// other numbers are. Nothing without a settings key.
void WriteSimMasterVolume();
bool SimMute(int endpoint);
void SetSimMute(int endpoint, bool mute);
bool SimAgcEnabled(int endpoint, UINT localId);
void SetSimAgcEnabled(int endpoint, UINT localId, bool enabled);
UINT SimSelectorSelection();
void SetSimSelectorSelection(UINT localId);
// Key of the card input whose part the selector points at; "" when none.
std::wstring SimSelectedInputKey();
DWORD SimEndpointState(int endpoint);
// Changes the state and reports it to the registered notification clients. An endpoint that
// leaves the active state ends the registrations of its volume callbacks, as the system's
// endpoint objects become invalid with it.
void SetSimEndpointState(int endpoint, DWORD state);
std::wstring SimDefaultEndpoint(EDataFlow flow, ERole role);
// Changes the default and reports it.
void SetSimDefaultEndpoint(EDataFlow flow, ERole role, const std::wstring& id);

// Fault injection: the endpoint's signal path leads back to its first part instead of ending.
void SetSimTopologyLoop(const std::wstring& key);
bool SimTopologyLoops(int endpoint);

// Notification clients registered with any simulated enumerator. Notifications are delivered
// on the simulation's own notification thread, never on the caller's.
void AddSimNotificationClient(IMMNotificationClient* client);
void RemoveSimNotificationClient(IMMNotificationClient* client);
std::size_t SimNotificationClientCount();
void RaiseSimDefaultDeviceChanged(EDataFlow flow, ERole role, const std::wstring& id);
void RaiseSimDeviceStateChanged(const std::wstring& id, DWORD state);
void RaiseSimPropertyValueChanged(const std::wstring& id, const PROPERTYKEY& key);
void RaiseSimDeviceAdded(const std::wstring& id);
void RaiseSimDeviceRemoved(const std::wstring& id);
// Endpoint volume callbacks by endpoint. A change of an endpoint's mute or levels made through
// one of its objects is reported to every callback of the endpoint on the same thread, with the
// event context the change came with: those of this process, and (through a record in the
// simulation's registry state) those of every other process of the simulation.
void AddSimVolumeCallback(int endpoint, IAudioEndpointVolumeCallback* callback);
void RemoveSimVolumeCallback(int endpoint, IAudioEndpointVolumeCallback* callback);
void DropSimVolumeCallbacks(int endpoint);
std::size_t SimVolumeCallbackCount();
void RaiseSimVolumeChanged(int endpoint, LPCGUID context);
// Blocks until every notification raised so far has been delivered.
void WaitForSimNotifications();
// The notification thread starts with the first callback or notification. When it can't be
// started (the system has no room for another thread) the failure is logged and nothing throws:
// a change itself stands, its notification is not delivered, and the next one tries again.
// Tests: while set, the start fails so.
void FailSimThreadStarts(bool fail);

}  // namespace kal::sim
