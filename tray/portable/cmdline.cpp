#include "tray/portable/cmdline.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

namespace kal {
namespace {

std::wstring TrimBlanks(const std::wstring& text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return L"";
    const auto last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The input line of an input switch: a number (rounded half to even) from 0 to 7.
std::optional<int> InputLine(const std::wstring& value) {
    const std::wstring text = TrimBlanks(value);
    if (text.empty()) return std::nullopt;
    wchar_t* end = nullptr;
    const double number = std::wcstod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(number)) return std::nullopt;
    const double line = std::nearbyint(number);
    if (line < 0 || line > 7) return std::nullopt;
    return static_cast<int>(line);
}

}  // namespace

CommandLineSwitches ParseCommandLine(const std::wstring& arguments) {
    CommandLineSwitches result;
    const std::wstring text = L" " + arguments;
    std::vector<std::wstring> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t sep = text.find(L" /", start);
        pieces.push_back(text.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start));
        if (sep == std::wstring::npos) break;
        start = sep + 2;
    }
    for (const std::wstring& raw : pieces) {
        const std::wstring piece = TrimBlanks(raw);
        if (piece.empty()) continue;
        const std::size_t eq = piece.find(L'=');
        if (eq != std::wstring::npos && piece.find(L'=', eq + 1) != std::wstring::npos) continue;
        const std::wstring name = Lower(piece.substr(0, eq));
        const bool hasValue = eq != std::wstring::npos;
        const std::wstring value = hasValue ? piece.substr(eq + 1) : L"";

        if (name == L"hid") {
            if (!value.empty()) result.hid = value;
        } else if (name == L"subsys") {
            if (!value.empty()) result.subsys = value;
        } else if (name == L"toggleautostart") {
            ++result.toggleAutostart;
        } else if (name == L"profile") {
            result.profileGiven = true;
            result.profileList = value;
        } else if (name == L"mastermute") {
            result.master = MuteMode::Mute;
        } else if (name == L"masterunmute") {
            result.master = MuteMode::Unmute;
        } else if (name == L"mastermutetoggle") {
            result.master = MuteMode::Toggle;
        } else if (name == L"inputmute" || name == L"inputunmute" || name == L"inputmutetoggle") {
            if (const auto line = InputLine(value)) {
                result.inputLine = *line;
                result.inputMode = name == L"inputmute"     ? MuteMode::Mute
                                   : name == L"inputunmute" ? MuteMode::Unmute
                                                            : MuteMode::Toggle;
            }
        }
    }
    return result;
}

std::vector<std::wstring> SplitProfileList(const std::wstring& value) {
    std::vector<std::wstring> names;
    if (value.empty()) return names;
    for (std::size_t start = 0;;) {
        const std::size_t comma = value.find(L',', start);
        names.push_back(value.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    return names;
}

std::wstring ChooseCycledProfile(const std::vector<std::wstring>& candidates, const std::wstring& active) {
    if (candidates.empty()) return L"";
    std::wstring choice = candidates.front();
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i] == active) choice = candidates[(i + 1) % candidates.size()];
    return choice;
}

}  // namespace kal
