#include "startup/settings.h"

#include <iterator>

#include "startup/globals.h"
#include "base/keyed.h"
#include "startup/names.h"

namespace kal {
namespace {

constexpr wchar_t kDefaultProfile[] = L"DefaultProfile";
constexpr wchar_t kDefaultProfileNotify[] = L"DefaultProfileNotify";
constexpr wchar_t kDefaultVolume[] = L"DefaultVolume";
constexpr wchar_t kDefaultVolumeNotify[] = L"DefaultVolumeNotify";
constexpr wchar_t kActiveProfile[] = L"ActiveProfile";
constexpr wchar_t kProfilesLastWidth[] = L"Profiles,LastWidth";
constexpr wchar_t kProfilesLastHeight[] = L"Profiles,LastHeight";
constexpr wchar_t kEqPresets[] = L"Presets\\EQ";
constexpr wchar_t kVssPresets[] = L"Presets\\VSS";
constexpr wchar_t kCardHID[] = L"HID";
constexpr wchar_t kLastOutput[] = L"LastOutput";
constexpr wchar_t kLastVolume[] = L"LastVolume";    // + the output's digits
constexpr wchar_t kLastBalance[] = L"LastBalance";  // + the output's digits
constexpr wchar_t kWin10LegacyIcons[] = L"Win10LegacyIcons";
constexpr wchar_t kSliderWheelIncrement[] = L"SliderWheelIncrement";
constexpr wchar_t kUIFont[] = L"UIFont";
constexpr wchar_t kUIFontSize[] = L"UIFontSize";
constexpr wchar_t kShortcut[] = L"Shortcut";  // + the action's number
constexpr wchar_t kUpdatePending[] = L"UpdatePending";
constexpr wchar_t kUpdateSuccessful[] = L"UpdateSuccessful";

std::wstring ReadText(const std::wstring& path, const std::wstring& name, const std::wstring& def) {
    const auto v = RegRead(path, name, def);
    const auto* text = v ? std::get_if<std::wstring>(&*v) : nullptr;
    return text ? *text : std::wstring();
}

// A flag stored as the first byte of a binary value. A value without bytes (empty, or stored as
// text) reads as the flag's default.
bool ReadFlag(const std::wstring& name, bool def) {
    const auto v = RegRead(gRegRoot, name, static_cast<std::uint8_t>(def ? 1 : 0));
    const auto* bytes = v ? std::get_if<Bytes>(&*v) : nullptr;
    if (!bytes || bytes->empty()) return def;
    return (*bytes)[0] == 1;
}

void WriteFlag(const std::wstring& name, bool on) {
    RegWrite(gRegRoot, name, Bytes{static_cast<std::uint8_t>(on ? 1 : 0)});
}

// A flag that is set only by exactly one byte 1.
bool ReadStrictFlag(const std::wstring& name) {
    const auto v = RegReadBytes(gRegRoot, name);
    return v && v->size() == 1 && (*v)[0] == 1;
}

std::optional<std::uint8_t> ReadFirstByte(const std::wstring& name) {
    const auto v = RegReadBytes(gRegRoot, name);
    if (!v || v->empty()) return std::nullopt;
    return (*v)[0];
}

void Remove(const std::wstring& name) { RegDeleteValue(gRegRoot, name); }

std::wstring ShortcutValueName(int action) { return kShortcut + std::to_wstring(action); }

// The step values of the volume actions, indexed by the action's number; the mute toggles have
// none ("").
constexpr const wchar_t* kShortcutSteps[] = {L"",
                                             L"PlayBackMasterVolumeIncreaseStep",
                                             L"PlayBackMasterVolumeDecreaseStep",
                                             L"",
                                             L"MicVolumeIncreaseStep",
                                             L"MicVolumeDecreaseStep"};

std::wstring ShortcutStepValueName(int action) {
    return action >= 0 && action < static_cast<int>(std::size(kShortcutSteps)) ? kShortcutSteps[action] : L"";
}

const wchar_t* FontValueName(UIFontSetting setting) { return setting == UIFontSetting::Face ? kUIFont : kUIFontSize; }

}  // namespace

std::wstring GetDefaultProfile() { return ReadText(gRegRoot, kDefaultProfile, L""); }
void SetDefaultProfile(const std::wstring& profile) { RegWrite(gRegRoot, kDefaultProfile, profile); }
void RemoveDefaultProfile() { Remove(kDefaultProfile); }

std::int16_t GetDefaultVolume() {
    const auto v = RegRead(gRegRoot, kDefaultVolume, std::wstring(L"-1"));
    const auto* text = v ? std::get_if<std::wstring>(&*v) : nullptr;
    const std::int16_t volume = text ? ParseDefaultVolume(*text) : std::int16_t{-1};
    // A percentage: above 100 is full volume, any negative number means none.
    if (volume > 100) return 100;
    return volume < 0 ? std::int16_t{-1} : volume;
}
void SetDefaultVolume(std::int32_t percent) { RegWrite(gRegRoot, kDefaultVolume, std::to_wstring(percent)); }
void RemoveDefaultVolume() { Remove(kDefaultVolume); }

bool GetDefaultProfileNotify() { return ReadFlag(kDefaultProfileNotify, true); }
void SetDefaultProfileNotify(bool on) { WriteFlag(kDefaultProfileNotify, on); }
void RemoveDefaultProfileNotify() { Remove(kDefaultProfileNotify); }
bool GetDefaultVolumeNotify() { return ReadFlag(kDefaultVolumeNotify, true); }
void SetDefaultVolumeNotify(bool on) { WriteFlag(kDefaultVolumeNotify, on); }
void RemoveDefaultVolumeNotify() { Remove(kDefaultVolumeNotify); }

std::wstring GetActiveProfile() { return ReadText(gRegRoot, kActiveProfile, L""); }
void SetActiveProfile(const std::wstring& profile) { RegWrite(gRegRoot, kActiveProfile, profile); }

std::vector<std::wstring> ProfileNamingSettings() { return {kDefaultProfile, kActiveProfile}; }

void GetProfileCustomIcon(const std::wstring& profile, std::wstring& iconFile, bool& volumeOverlay) {
    SplitCustomIcon(ReadText(RegJoin(gRegProfiles, profile), L"CustomIcon", L""), iconFile, volumeOverlay);
}

std::optional<Bytes> GetProfilesLastWidth() { return RegReadBytes(gRegRoot, kProfilesLastWidth); }
std::optional<Bytes> GetProfilesLastHeight() { return RegReadBytes(gRegRoot, kProfilesLastHeight); }
void SetProfilesLastSize(const Bytes& width, const Bytes& height) {
    RegWrite(gRegRoot, kProfilesLastHeight, height);
    RegWrite(gRegRoot, kProfilesLastWidth, width);
}

std::wstring EqPresetsKey() { return RegJoin(gRegRoot, kEqPresets); }
std::wstring VssPresetsKey() { return RegJoin(gRegRoot, kVssPresets); }

std::wstring GetCardHID() { return RegReadText(gRegRoot, kCardHID).value_or(L""); }

std::optional<RegValue> GetLastOutput() { return RegRead(gRegRoot, kLastOutput); }
void SetLastOutput(const Bytes& output) { RegWrite(gRegRoot, kLastOutput, output); }
std::optional<std::uint8_t> GetLastVolume(const std::wstring& output) { return ReadFirstByte(kLastVolume + output); }
std::optional<std::uint8_t> GetLastBalance(const std::wstring& output) { return ReadFirstByte(kLastBalance + output); }
void SetLastVolume(const std::wstring& output, std::uint8_t volume) {
    RegWrite(gRegRoot, kLastVolume + output, Bytes{volume});
}
void SetLastBalance(const std::wstring& output, std::uint8_t balance) {
    RegWrite(gRegRoot, kLastBalance + output, Bytes{balance});
}

bool GetWin10LegacyIcons() { return ReadFlag(kWin10LegacyIcons, false); }
void SetWin10LegacyIcons(bool on) { WriteFlag(kWin10LegacyIcons, on); }

std::int16_t GetSliderWheelIncrement() {
    return ParseWheelIncrement(RegReadText(gRegRoot, kSliderWheelIncrement).value_or(L"1"));
}
void SetSliderWheelIncrement(std::int32_t steps) { RegWrite(gRegRoot, kSliderWheelIncrement, std::to_wstring(steps)); }

std::optional<std::wstring> GetUIFontSetting(UIFontSetting setting) {
    return RegReadText(gRegRoot, FontValueName(setting));
}
void SetUIFontSetting(UIFontSetting setting, const std::wstring& text) {
    RegWrite(gRegRoot, FontValueName(setting), text);
}
void RemoveUIFontSetting(UIFontSetting setting) { Remove(FontValueName(setting)); }

std::optional<Bytes> GetShortcutKey(int action) { return RegReadBytes(gRegRoot, ShortcutValueName(action)); }
void SetShortcutKey(int action, const Bytes& key) { RegWrite(gRegRoot, ShortcutValueName(action), key); }
void RemoveShortcutKey(int action) { Remove(ShortcutValueName(action)); }
std::wstring GetShortcutStep(int action) { return RegReadText(gRegRoot, ShortcutStepValueName(action)).value_or(L"2"); }
void SetShortcutStep(int action, const std::wstring& step) { RegWrite(gRegRoot, ShortcutStepValueName(action), step); }
void RemoveShortcutStep(int action) { Remove(ShortcutStepValueName(action)); }

bool GetUpdatePending() { return ReadStrictFlag(kUpdatePending); }
void SetUpdatePending() { RegWrite(gRegRoot, kUpdatePending, Bytes{0x01}); }
void RemoveUpdatePending() { Remove(kUpdatePending); }
bool GetUpdateSuccessful() { return ReadStrictFlag(kUpdateSuccessful); }
void RemoveUpdateSuccessful() { Remove(kUpdateSuccessful); }

}  // namespace kal
