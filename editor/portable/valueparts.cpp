#include "editor/portable/valueparts.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace kal {
namespace {

// A mask of `size` bytes with the bytes `at` set.
Bytes MaskOf(std::size_t size, std::initializer_list<std::pair<std::size_t, std::size_t>> ranges) {
    Bytes mask(size, 0);
    for (const auto& [from, count] : ranges)
        for (std::size_t i = from; i < from + count && i < size; ++i) mask[i] = 0xFF;
    return mask;
}

// Blocks of `block` bytes (the size is a multiple of it).
std::vector<Bytes> Blocks(std::size_t size, std::size_t block) {
    std::vector<Bytes> parts;
    for (std::size_t at = 0; at < size; at += block) parts.push_back(MaskOf(size, {{at, block}}));
    return parts;
}

}  // namespace

std::vector<Bytes> ValueParts(std::wstring_view name, std::size_t size) {
    if (name == L"EqGain" && size == 40) return Blocks(size, 4);
    if (name == L"VSpeakerPos" && size == 128) return Blocks(size, 16);
    if (name == L"SpeakerSize" && size >= 1) {
        // Front (bits 0-1), centre (2), rear (4-5), side (6-7).
        std::vector<Bytes> parts;
        for (std::uint8_t bits : {0x03, 0x04, 0x30, 0xC0}) {
            parts.emplace_back(size, 0);
            parts.back()[0] = bits;
        }
        return parts;
    }
    if (name == L"Pl2xParam" && size == 20)
        return {MaskOf(size, {{0, 4}}), MaskOf(size, {{4, 4}, {11, 1}, {15, 1}, {16, 4}}), MaskOf(size, {{8, 3}}),
                MaskOf(size, {{12, 3}})};
    if (name == L"NeoParam" && size == 16)
        return {MaskOf(size, {{0, 4}}), MaskOf(size, {{4, 4}}), MaskOf(size, {{12, 4}}), MaskOf(size, {{8, 4}})};
    return {Bytes(size, 0xFF)};
}

Bytes MergeParts(const Bytes& onto, const Bytes& from, const Bytes& mask) {
    if (onto.size() != from.size()) return from;
    Bytes out = onto;
    for (std::size_t i = 0; i < out.size() && i < mask.size(); ++i)
        out[i] = static_cast<std::uint8_t>((onto[i] & ~mask[i]) | (from[i] & mask[i]));
    return out;
}

bool PartDiffers(const Bytes& a, const Bytes& b, const Bytes& part) {
    for (std::size_t i = 0; i < part.size() && i < a.size() && i < b.size(); ++i)
        if (((a[i] ^ b[i]) & part[i]) != 0) return true;
    return false;
}

bool AnyBit(const Bytes& mask) {
    return std::any_of(mask.begin(), mask.end(), [](std::uint8_t b) { return b != 0; });
}

Bytes PutBackParts(std::wstring_view name, const Bytes& before, const Bytes& set, const Bytes& now) {
    if (before.size() != set.size() || set.size() != now.size()) return before != set && now == set ? before : now;
    Bytes mask(now.size(), 0);
    for (const Bytes& part : ValueParts(name, now.size()))
        if (PartDiffers(before, set, part) && !PartDiffers(now, set, part)) mask = MergeParts(mask, part, part);
    return MergeParts(now, before, mask);
}

}  // namespace kal
