// The parts of the card's values that the user changes one at a time: each part is a mask of
// the value's bits. A send to the card goes part by part, so that a part another program changed
// meanwhile stays as the card holds it.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "base/hextext.h"

namespace kal {

// The parts of value `name` at `size` bytes, each a mask as long as the value; a value without
// parts of its own is one part, the whole value.
//   EqGain: the ten bands; SpeakerSize: the four boxes' bits; VSpeakerPos: each speaker's record;
//   Pl2xParam, NeoParam: the switch, the mode (with the movie marks), the depth, the width.
std::vector<Bytes> ValueParts(std::wstring_view name, std::size_t size);

// The index of the part of `name` that is the effect's switch, mode, width or depth.
enum class GraphPart : std::size_t { Switch = 0, Mode = 1, Depth = 2, Width = 3 };

// The bits of `mask` from `from`, the others from `onto`; a value of another size: `from` whole.
Bytes MergeParts(const Bytes& onto, const Bytes& from, const Bytes& mask);

// Whether any bit is set.
bool AnyBit(const Bytes& mask);

// Whether `a` and `b` differ in the bits of `part` (bytes past either's end don't count).
bool PartDiffers(const Bytes& a, const Bytes& b, const Bytes& part);

// Echo cancellation's end: value `name` as it goes back, from what the Enable found (`before`),
// what it left (`set`) and what the card holds (`now`). Each part the Enable changed that the card
// still holds as the Enable left it comes back as found; every other part stays as the card
// holds it. Values of unequal sizes count whole.
Bytes PutBackParts(std::wstring_view name, const Bytes& before, const Bytes& set, const Bytes& now);

}  // namespace kal
