#include "base/hextext.h"

#include <stdexcept>

namespace kal {
namespace {

int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    throw std::invalid_argument("not a hex digit");
}

constexpr wchar_t kDigits[] = L"0123456789ABCDEF";

}  // namespace

Bytes HexToBytes(std::wstring_view text, bool reversed) {
    std::wstring padded;
    if (text.size() % 2) {
        padded.reserve(text.size() + 1);
        padded.push_back(L'0');
        padded.append(text);
        text = padded;
    }
    const std::size_t n = text.size() / 2;
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t pair = reversed ? n - 1 - i : i;
        out[i] = static_cast<std::uint8_t>(HexDigitValue(text[2 * pair]) * 16 +
                                           HexDigitValue(text[2 * pair + 1]));
    }
    return out;
}

std::wstring BytesToHex(const Bytes& bytes, bool reversed) {
    std::wstring out(bytes.size() * 2, L'0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t at = reversed ? bytes.size() - 1 - i : i;
        out[2 * at] = kDigits[bytes[i] >> 4];
        out[2 * at + 1] = kDigits[bytes[i] & 0xF];
    }
    return out;
}

std::wstring HexPad(std::int32_t value, int digits) {
    if (digits <= 0) return {};
    std::uint32_t u = static_cast<std::uint32_t>(value);
    std::wstring out(static_cast<std::size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0 && u; --i, u >>= 4) out[static_cast<std::size_t>(i)] = kDigits[u & 0xF];
    return out;
}

Currency HexToNumber(std::wstring_view text) {
    if (text.empty() || text.size() > 8) throw std::invalid_argument("not a 32-bit hex number");
    std::uint32_t u = 0;
    for (wchar_t c : text) u = (u << 4) | static_cast<std::uint32_t>(HexDigitValue(c));
    // value / 65536 in units of 1/10000 is value * 625 / 4096, rounded half to even.
    const std::int64_t scaled = static_cast<std::int64_t>(static_cast<std::int32_t>(u)) * 625;
    std::int64_t q = scaled / 4096, r = scaled % 4096;
    if (r < 0) { r += 4096; --q; }
    if (r > 2048 || (r == 2048 && (q & 1))) ++q;
    return q;
}

std::int16_t UIntToInt(std::int32_t value) {
    if (value < 0 || value > 65535) throw std::overflow_error("overflow");
    return static_cast<std::int16_t>(value > 32767 ? value - 65536 : value);
}

std::int32_t IntToUInt(std::int16_t value) { return value < 0 ? value + 65536 : value; }

std::uint32_t BytesToUInt32(const Bytes& bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        if (offset + i < bytes.size()) v |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return v;
}

void PutUInt32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    if (bytes.size() < offset + 4) bytes.resize(offset + 4);
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace kal
