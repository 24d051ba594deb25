// Whether the card still sounds as the active profile (the one applied last) says: other
// programs, the driver's own panel and Windows may change it afterwards.
#pragma once
#include "device/portable/texts_values.h"

namespace kal {

// True when every value stored in the active profile matches the live state (see
// StoredValueMatchesLive). skipVolume, or the profile's VolIgnoreForValidation, leaves the
// master volume out. False without an active profile or when its key holds no values.
bool ValidateActiveProfile(bool skipVolume);

// While one is alive (the outermost of nested ones counts), ValidateActiveProfile compares the
// card with a profile only once per profile and skipVolume and answers again from that: for work
// that asks several times while nothing changes the card, a menu rebuild with its tray tip and
// icon. User-interface thread only.
class ValidationScope {
public:
    ValidationScope();
    ~ValidationScope();
    ValidationScope(const ValidationScope&) = delete;
    ValidationScope& operator=(const ValidationScope&) = delete;

private:
    bool outermost_;
};

}  // namespace kal
