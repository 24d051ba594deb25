// Inside the simulated driver: where its state lives and small registry helpers.
#pragma once
#include <cstdint>
#include <string>

#include "sim/state.h"

namespace kal::sim {

// kSimRoot\Driver: setup, registration, log and test settings of the simulated driver.
inline std::wstring SimDriverStateKey() { return kSimRoot + L"\\Driver"; }
// Interface path -> "answers" / "refuses".
inline std::wstring SimInterfacesKey() { return SimDriverStateKey() + L"\\Interfaces"; }

bool CreateRegKey(const std::wstring& path);
bool WriteDword(const std::wstring& path, const std::wstring& name, std::uint32_t value);

}  // namespace kal::sim
