// Hex text and number conversions. Byte strings travel inside the program as upper-case hex
// text, two digits per byte in storage order, so little-endian numbers read low byte first
// ("44AC0000" is 44100).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kal {

using Bytes = std::vector<std::uint8_t>;

// Fixed-point number with four decimals: a count of 1/10000.
using Currency = std::int64_t;
constexpr Currency kCurrencyScale = 10000;

// (digits + 1) / 2 bytes; an odd digit count gets a leading "0". Reversed: byte 0 is the
// last digit pair. Throws std::invalid_argument for a pair that is not hex; "" gives no bytes.
Bytes HexToBytes(std::wstring_view text, bool reversed = false);

// Upper-case hex of every byte; reversed lists the last byte first.
std::wstring BytesToHex(const Bytes& bytes, bool reversed = false);

// Exactly `digits` hex digits (0 to 255) of a signed 32-bit value: negatives as their
// two's complement, longer forms lose their leading digits.
std::wstring HexPad(std::int32_t value, int digits);

// A signed 32-bit 16.16 fixed-point number in ordinary hex notation (most significant digit
// first), rounded half to even to four decimals.
Currency HexToNumber(std::wstring_view text);

// 0..65535 to signed 16 bits; throws std::overflow_error outside that range.
std::int16_t UIntToInt(std::int32_t value);
// Signed 16 bits to 0..65535.
std::int32_t IntToUInt(std::int16_t value);

// Upper bound of a byte array: -1 when it is empty.
inline int SafeUBound(const Bytes& bytes) { return static_cast<int>(bytes.size()) - 1; }

// Little-endian numbers in byte arrays; missing bytes read as 0.
std::uint32_t BytesToUInt32(const Bytes& bytes, std::size_t offset = 0);
void PutUInt32(Bytes& bytes, std::size_t offset, std::uint32_t value);

}  // namespace kal
