// The characters a profile name may not hold (it becomes a registry key name and a menu text).
#pragma once
#include <string>

namespace kal {

// \ / & ? *
bool IsForbiddenNameChar(wchar_t c);
// The text without those characters.
std::wstring StripForbiddenNameChars(const std::wstring& text);

// A name that reads as a number ("12", "-1.5", "1e3", "&H1F", blanks around it): refused as a
// profile name. "12a" is a name.
bool IsNumericName(const std::wstring& text);

}  // namespace kal
