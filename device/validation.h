// Whether the card still sounds as the active profile (the one applied last) says: other
// programs, the driver's own panel and Windows may change it afterwards.
#pragma once
#include "device/portable/texts_values.h"

namespace kal {

// True when every value stored in the active profile matches the live state (see
// StoredValueMatchesLive). skipVolume, or the profile's VolIgnoreForValidation, leaves the
// master volume out. False without an active profile or when its key holds no values.
bool ValidateActiveProfile(bool skipVolume);

}  // namespace kal
