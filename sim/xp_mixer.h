// The winmm mixers of a Windows XP system with the simulated card: another device's mixer first,
// then the card's, each with a speakers destination and a recording destination whose selector
// (MUX) picks one of its sources. The functions check their arguments as strictly as winmm
// documents them (record sizes, channel and item counts, value ranges), post the change messages
// to windows that opened a handle with a window callback, and keep the control values in the
// registry with the rest of the audio state.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

#include "device/platform.h"

namespace kal::sim {

// Installs the mixer functions.
void InstallSimMixer(Platform& p);

// Device index of the other device's mixer and of the card's.
inline constexpr UINT kSimForeignMixer = 0;
inline constexpr UINT kSimCardMixer = 1;

// Line id of the line with this short name; 0 when none.
DWORD SimMixerLineId(UINT device, const std::wstring& shortName);
// Id of the line's first control of a type, or of the control with this long name; 0 when none.
DWORD SimMixerControlId(UINT device, DWORD lineId, DWORD controlType);
DWORD SimMixerControlIdByName(UINT device, DWORD lineId, const std::wstring& name);
// A control's stored values: one per channel (one for a uniform control) times its items.
std::vector<LONG> SimMixerValues(UINT device, DWORD controlId);
// Sets them as another program would; change messages are posted. False when refused.
bool SetSimMixerValues(UINT device, DWORD controlId, const std::vector<LONG>& values);
// Handles open in this process.
std::size_t SimOpenMixerHandles();

}  // namespace kal::sim
