// Which sound effects the detected card's driver offers for an output, and how.
#pragma once
#include <string_view>

#include "device/portable/texts_values.h"

namespace kal {

// The behaviour value (0..7) of the effect for the channel count and output mode on the
// detected card (gCardCaps); 0 without a card or for a request the table can't answer.
int EffectBehavior(std::wstring_view effect, int channels, std::wstring_view mode);

}  // namespace kal
