#include "device/validation.h"

#include "device/profilevalues.h"
#include "startup/globals.h"
#include "startup/registry.h"
#include "startup/settings.h"

namespace kal {

bool ValidateActiveProfile(bool skipVolume) {
    const std::wstring profile = GetActiveProfile();
    if (profile.empty()) return false;
    if (ProfileValueExists(profile, L"VolIgnoreForValidation")) skipVolume = true;
    bool holdsAny = false;
    for (const auto& name : RegEnumValues(RegJoin(gRegProfiles, profile))) {
        if (!ProfileValueExists(profile, name)) continue;  // damaged: counts as absent
        holdsAny = true;
        if (!StoredValueMatchesLive(name, GetProfileValue(profile, name), GetProfileValue(L"", name), skipVolume))
            return false;
    }
    return holdsAny;
}

}  // namespace kal
