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
    const auto names = RegEnumValues(RegJoin(gRegProfiles, profile));
    if (names.empty()) return false;
    for (const auto& name : names) {
        if (!StoredValueMatchesLive(name, GetProfileValue(profile, name), GetProfileValue(L"", name), skipVolume))
            return false;
    }
    return true;
}

}  // namespace kal
