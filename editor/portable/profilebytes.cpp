#include "editor/portable/profilebytes.h"

#include <cmath>
#include <cstring>

#include "device/portable/audio_levels.h"

namespace kal {
namespace {

constexpr std::uint8_t kMovieFlag = 0x80;
constexpr wchar_t kAecOff[] = L"000000000000000000000000000000000000A0400000004200002040000080420F00000400000000";
constexpr wchar_t kAecOn[] = L"000000000000000001000000000000000000A0400000004200002040000080420F00000400000000";

std::uint8_t ByteAt(const Bytes& value, std::size_t i) { return i < value.size() ? value[i] : 0; }

std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

std::int16_t ClampInt16(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -32768.0)) return -32768;
    if (r > 32767.0) return 32767;
    return static_cast<std::int16_t>(r);
}

Bytes DecibelEntry(std::int16_t decibels) {
    const auto u = static_cast<std::uint16_t>(decibels);
    return {0, 0, static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8)};
}

std::uint8_t LevelByte(Currency level) {
    const double whole = std::nearbyint(Fixed4ToDouble(level));
    if (!(whole >= 0.0)) return 0;
    return whole > 255.0 ? 255 : static_cast<std::uint8_t>(whole);
}

}  // namespace

Bytes EncodeCode(std::uint8_t code) { return {code, 0, 0, 0}; }
Bytes EncodeFlag(bool on) { return EncodeCode(on ? 1 : 0); }

Bytes EncodeNumber(std::uint32_t number) {
    Bytes out(4, 0);
    PutUInt32(out, 0, number);
    return out;
}

std::uint8_t FirstByte(const Bytes& value, std::uint8_t fallback) { return value.empty() ? fallback : value[0]; }

Bytes EncodePl2xParam(bool on, bool movie, int width, int depth, bool aecOn) {
    Bytes out(20, 0);
    out[0] = on ? 1 : 0;
    out[4] = movie ? 3 : 2;
    out[8] = movie ? 7 : ClampByte(depth);
    out[12] = aecOn ? 5 : movie ? 3 : ClampByte(width);
    if (movie) out[11] = out[15] = out[19] = kMovieFlag;
    return out;
}

Bytes EncodeNeoParam(bool on, bool movie, int width, int depth) {
    Bytes out(16, 0);
    out[0] = on ? 1 : 0;
    out[4] = movie ? 1 : 2;
    // The quotient is taken in double precision and stored as a single, as the card expects.
    const auto ratio = static_cast<float>(static_cast<double>(movie ? 4 : width) / 7.0);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &ratio, sizeof bits);
    PutUInt32(out, 8, bits);
    out[12] = movie ? 7 : ClampByte(depth);
    return out;
}

EffectParams DecodePl2xParam(const Bytes& value) {
    EffectParams p;
    p.on = ByteAt(value, 0) == 1;
    p.movie = ByteAt(value, 11) != 0;
    p.width = ByteAt(value, 12);
    p.depth = ByteAt(value, 8);
    return p;
}

EffectParams DecodeNeoParam(const Bytes& value) {
    EffectParams p;
    p.on = ByteAt(value, 0) == 1;
    p.movie = ByteAt(value, 4) != 2;
    const std::uint32_t bits = BytesToUInt32(value, 8);
    float ratio = 0;
    std::memcpy(&ratio, &bits, sizeof ratio);
    const double width = std::nearbyint(static_cast<double>(ratio) * 7.0);
    p.width = std::isfinite(width) && width >= 0 && width <= 255 ? static_cast<int>(width) : 0;
    p.depth = ByteAt(value, 12);
    return p;
}

Bytes EncodeEqBand(int decibels) { return DecibelEntry(ClampInt16(decibels)); }

Bytes EncodeEqGain(const std::array<int, 10>& decibels) {
    Bytes out;
    out.reserve(40);
    for (int db : decibels) {
        const Bytes band = EncodeEqBand(db);
        out.insert(out.end(), band.begin(), band.end());
    }
    return out;
}

std::array<int, 10> DecodeEqGain(const Bytes& value) {
    std::array<int, 10> bands{};
    if (value.size() != 40) return bands;
    for (std::size_t i = 0; i < 10; ++i)
        bands[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(value[4 * i + 2] | value[4 * i + 3] << 8));
    return bands;
}

Bytes EncodeSpeakerSize(const std::array<bool, 4>& large) {
    static constexpr std::uint8_t kBits[4] = {0x03, 0x04, 0x30, 0xC0};
    std::uint8_t mask = 0;
    for (std::size_t i = 0; i < 4; ++i)
        if (large[i]) mask |= kBits[i];
    return EncodeCode(mask);
}

std::array<bool, 4> DecodeSpeakerSizes(const Bytes& value) {
    std::array<bool, 4> large{};
    const std::uint8_t mask = FirstByte(value);
    for (std::size_t i = 0; i < 4; ++i) large[i] = (mask >> (2 * i)) & 1;
    return large;
}

Bytes EncodeChannelGain(double decibels) { return DecibelEntry(ClampInt16(decibels)); }

Bytes EncodeAEC(bool on) { return HexToBytes(on ? kAecOn : kAecOff); }

bool DecodeAEC(const Bytes& value) { return value.size() == 40 && value[8] == 1; }

std::pair<std::uint8_t, std::uint8_t> EncodeVolumePair(Currency volume, Currency balance, bool useLast) {
    if (useLast) return {255, 255};
    Currency left = 0, right = 0;
    ChannelsBalance(left, right, volume, balance, true);
    return {LevelByte(left), LevelByte(right)};
}

std::optional<Bytes> EncodeShortcut(const std::wstring& stored) {
    std::wstring hex;
    for (wchar_t c : stored)
        if (c != L'|') hex += c;
    if (hex.size() != 4) return std::nullopt;
    try {
        return HexToBytes(hex);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::wstring EncodeCustomIcon(const std::wstring& file, bool overlay) { return file + (overlay ? L"|1" : L"|0"); }

bool IsChannelAvailable(int channel, int channels) {
    switch (channel) {
    case 0:
    case 1: return true;
    case 2:
    case 3: return channels >= 5;
    case 4:
    case 5: return channels >= 3;
    case 6:
    case 7: return channels >= 7;
    default: return false;
    }
}

}  // namespace kal
