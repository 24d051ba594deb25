// The characters a profile name may not hold (it becomes a registry key name and a menu text).
#pragma once
#include <cstddef>
#include <string>

namespace kal {

// \ / & ? *
bool IsForbiddenNameChar(wchar_t c);
// The text without those characters.
std::wstring StripForbiddenNameChars(const std::wstring& text);

// A name that reads as a number ("12", "-1.5", "1e3", "&H1F", blanks around it): refused as a
// profile name. "12a" is a name.
bool IsNumericName(const std::wstring& text);

// Preset names typed into the editable preset lists: the system beeps when a character is typed
// into a text of exactly 250 characters with nothing selected (Backspace excepted). The
// character is still typed; past 250 characters nothing beeps any more.
inline constexpr std::size_t kPresetNameBeepLength = 250;
bool PresetNameLengthBeeps(std::size_t length, bool hasSelection, wchar_t typed);

}  // namespace kal
