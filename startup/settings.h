// Typed readers and writers of the values under the settings key: each value's name is written
// here and nowhere else. Each call reads or writes the registry; a missing key or value gives the
// reader's default. Writers create the key when it is missing; "Remove" deletes the value.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/hextext.h"
#include "base/registry.h"

namespace kal {

// ---- Start-up profile and volume ----

// Profile applied at start-up ("" for none). Stored as text.
std::wstring GetDefaultProfile();
void SetDefaultProfile(const std::wstring& profile);
void RemoveDefaultProfile();
// Master volume in percent set at start-up; -1 for none. Stored as decimal text.
std::int16_t GetDefaultVolume();
void SetDefaultVolume(std::int32_t percent);
void RemoveDefaultVolume();
// Flags stored as one byte (1 on, 0 off); a value without bytes reads as the default.
bool GetDefaultProfileNotify();  // true when missing
void SetDefaultProfileNotify(bool on);
void RemoveDefaultProfileNotify();
bool GetDefaultVolumeNotify();  // true when missing
void SetDefaultVolumeNotify(bool on);
void RemoveDefaultVolumeNotify();

// ---- Profiles ----

// The profile last applied, as its key is spelled ("" when none). Stored as text.
std::wstring GetActiveProfile();
// The names of the settings under gRegRoot that name a profile: the start-up and the active one.
std::vector<std::wstring> ProfileNamingSettings();
void SetActiveProfile(const std::wstring& profile);

// A profile's custom tray icon file and whether the volume overlay is drawn on it.
void GetProfileCustomIcon(const std::wstring& profile, std::wstring& iconFile, bool& volumeOverlay);

// The profiles window's last outer width and height, each in its stored bytes; nullopt when
// missing or not binary.
std::optional<Bytes> GetProfilesLastWidth();
std::optional<Bytes> GetProfilesLastHeight();
void SetProfilesLastSize(const Bytes& width, const Bytes& height);

// The keys of the user's own equalizer presets and speaker layouts (one binary value each).
std::wstring EqPresetsKey();
std::wstring VssPresetsKey();

// ---- Card ----

// The card's hardware id kept from an earlier run ("" when missing or not text).
std::wstring GetCardHID();

// The output of the last saved volume (its panel and speaker configuration bytes). A value
// stored as text is given as text.
std::optional<RegValue> GetLastOutput();
void SetLastOutput(const Bytes& output);
// Volume (0..100) and balance (0..200, 100 centred) last saved for an output, named by its
// two configuration digits; nullopt when missing, empty or not binary.
std::optional<std::uint8_t> GetLastVolume(const std::wstring& output);
std::optional<std::uint8_t> GetLastBalance(const std::wstring& output);
void SetLastVolume(const std::wstring& output, std::uint8_t volume);
void SetLastBalance(const std::wstring& output, std::uint8_t balance);

// ---- Interface ----

bool GetWin10LegacyIcons();  // false when missing; a one-byte flag like the notify flags
void SetWin10LegacyIcons(bool on);

// Slider steps per wheel notch, stored as decimal text; 1 when missing or no 16-bit number.
std::int16_t GetSliderWheelIncrement();
void SetSliderWheelIncrement(std::int32_t steps);

// The interface font's face and size in points, as the user chose them from the lists; nullopt
// when missing or not text (the system's).
enum class UIFontSetting { Face, Size };
std::optional<std::wstring> GetUIFontSetting(UIFontSetting setting);
void SetUIFontSetting(UIFontSetting setting, const std::wstring& text);
void RemoveUIFontSetting(UIFontSetting setting);

// ---- Shortcut keys of the fixed actions (numbered as ShortcutAction) ----

// The two stored bytes {key, modifier mask}; nullopt when missing or not binary.
std::optional<Bytes> GetShortcutKey(int action);
void SetShortcutKey(int action, const Bytes& key);
void RemoveShortcutKey(int action);
// A volume action's step in percent as stored text; "2" when missing or not text.
std::wstring GetShortcutStep(int action);
void SetShortcutStep(int action, const std::wstring& step);
void RemoveShortcutStep(int action);

// ---- Self-update ----

// Flags of one byte 1, set before the update starts and by the updater when it succeeded;
// any other value reads as not set.
bool GetUpdatePending();
void SetUpdatePending();
void RemoveUpdatePending();
bool GetUpdateSuccessful();
void RemoveUpdateSuccessful();

}  // namespace kal
