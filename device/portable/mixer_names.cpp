#include "device/portable/mixer_names.h"

#include <cwctype>

#include "base/hextext.h"

namespace kal {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Decimal digits of name[from, from + count), cut at the name's end; nullopt when none remain
// or one is not a digit.
std::optional<int> Digits(std::wstring_view name, std::size_t from, std::size_t count) {
    if (from >= name.size()) return std::nullopt;
    const auto part = name.substr(from, count);
    int value = 0;
    for (wchar_t c : part) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    return value;
}

// A single digit that counts as 0 when the name ends before it.
std::optional<int> OptionalDigit(std::wstring_view name, std::size_t at) {
    if (at >= name.size()) return 0;
    return Digits(name, at, 1);
}

}  // namespace

std::wstring MixerValueName(int flow, int line, int channel, int control) {
    return L"_mixer" + std::to_wstring(flow) + HexPad(line, 2) + std::to_wstring(channel) + std::to_wstring(control);
}

bool IsMixerValueName(std::wstring_view name) {
    constexpr std::wstring_view prefix = L"_mixer";
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::towlower(static_cast<wint_t>(name[i])) != static_cast<wint_t>(prefix[i])) return false;
    return true;
}

std::optional<MixerChannelRef> ParseMixerValueName(std::wstring_view name) {
    if (!IsMixerValueName(name)) return std::nullopt;
    const auto flow = Digits(name, 6, 1);
    const auto line = Digits(name, 7, 2);
    const auto channel = OptionalDigit(name, 9);
    const auto control = OptionalDigit(name, 10);
    if (!flow || !line || !channel || !control) return std::nullopt;
    return MixerChannelRef{*flow == 1 ? 1 : 0, *line, *channel, *control};
}

}  // namespace kal
