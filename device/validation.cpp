#include "device/validation.h"

#include <optional>
#include <utility>

#include "device/profilevalues.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"

namespace kal {

namespace {

// The answers given inside the open scope: the profile asked about, per skipVolume.
struct ScopeAnswers {
    bool open = false;
    std::optional<std::pair<std::wstring, bool>> answers[2];
};

ScopeAnswers& Answers() {
    static ScopeAnswers answers;
    return answers;
}

bool CompareWithCard(const std::wstring& profile, bool skipVolume) {
    const ProfileSnapshot stored = ProfileSnapshot::Kept(profile);
    if (stored.Holds(L"VolIgnoreForValidation")) skipVolume = true;
    // Damaged values are not among the accepted ones: they count as absent.
    const auto values = stored.Accepted();
    for (const auto& [name, value] : values)
        if (!StoredValueMatchesLive(name, value, GetProfileValue(L"", name), skipVolume)) return false;
    return !values.empty();
}

}  // namespace

ValidationScope::ValidationScope() : outermost_(!Answers().open) {
    if (outermost_) Answers() = ScopeAnswers{true, {}};
}

ValidationScope::~ValidationScope() {
    if (outermost_) Answers() = ScopeAnswers{};
}

bool ValidateActiveProfile(bool skipVolume) {
    const std::wstring profile = GetActiveProfile();
    if (profile.empty()) return false;
    ScopeAnswers& scope = Answers();
    if (!scope.open) return CompareWithCard(profile, skipVolume);
    auto& answer = scope.answers[skipVolume ? 1 : 0];
    if (!answer || answer->first != profile) answer = std::make_pair(profile, CompareWithCard(profile, skipVolume));
    return answer->second;
}

}  // namespace kal
