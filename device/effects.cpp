#include "device/effects.h"

#include "startup/catalogue.h"

namespace kal {

int EffectBehavior(std::wstring_view effect, int channels, std::wstring_view mode) {
    return EffectBehavior(effect, channels, mode, gCardCaps.get());
}

}  // namespace kal
