// Typed readers of the start-up options and profile settings under the settings key. Each
// call reads the registry; a missing key or value gives the reader's default.
#pragma once
#include <cstdint>
#include <string>

namespace kal {

// Profile applied at start-up ("" for none).
std::wstring GetDefaultProfile();
// Master volume in percent set at start-up; -1 for none.
std::int16_t GetDefaultVolume();
bool GetDefaultProfileNotify();  // true when missing
bool GetDefaultVolumeNotify();   // true when missing
bool GetWin10LegacyIcons();      // false when missing
// The profile last applied, as its key is spelled ("" when none).
std::wstring GetActiveProfile();

// A profile's custom tray icon file and whether the volume overlay is drawn on it.
void GetProfileCustomIcon(const std::wstring& profile, std::wstring& iconFile, bool& volumeOverlay);

// The stored spelling of the profile key whose name equals `name` in any letter case; "" when
// there is none.
std::wstring FindProfileKey(const std::wstring& name);

}  // namespace kal
