#include "editor/portable/profilename.h"

#include <algorithm>
#include <string_view>

namespace kal {

bool IsForbiddenNameChar(wchar_t c) { return std::wstring_view(L"\\/&?*").find(c) != std::wstring_view::npos; }

std::wstring StripForbiddenNameChars(const std::wstring& text) {
    std::wstring out = text;
    out.erase(std::remove_if(out.begin(), out.end(), IsForbiddenNameChar), out.end());
    return out;
}

bool PresetNameLengthBeeps(std::size_t length, bool hasSelection, wchar_t typed) {
    return length == kPresetNameBeepLength && !hasSelection && typed != L'\b';
}

}  // namespace kal
