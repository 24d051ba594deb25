#include "device/validation.h"

#include "device/profilevalues.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"

namespace kal {

bool ValidateActiveProfile(bool skipVolume) {
    const std::wstring profile = GetActiveProfile();
    if (profile.empty()) return false;
    const ProfileSnapshot stored(profile);
    if (stored.Holds(L"VolIgnoreForValidation")) skipVolume = true;
    // Damaged values are not among the accepted ones: they count as absent.
    const auto values = stored.Accepted();
    for (const auto& [name, value] : values)
        if (!StoredValueMatchesLive(name, value, GetProfileValue(L"", name), skipVolume)) return false;
    return !values.empty();
}

}  // namespace kal
