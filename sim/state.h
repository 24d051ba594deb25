// Where the simulated card keeps its state: in the registry, so that it persists across
// processes (the demo, and end-to-end tests that start KalvenorSim.exe).
#pragma once
#include <string>

namespace kal::sim {

// Root of the simulation's state. Subkeys: "Driver" (the kernel-streaming driver's state),
// "Audio" (endpoints and topology).
inline const std::wstring kSimRoot = L"HKEY_CURRENT_USER\\Software\\KalvenorSim";

// The simulated model's PCI subsystem id (a key of the card catalogue); "82751043" by default.
std::wstring SimModel();
void SetSimModel(const std::wstring& subsys);

}  // namespace kal::sim
