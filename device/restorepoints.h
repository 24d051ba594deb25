// Live mode's restore points: the card's and Windows' settings as live mode found them, kept under
// the profiles key until they are put back. There is one at a time: a live mode that finds one
// kept starts from it, since it holds the earliest state, the one to come back.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/registry.h"

namespace kal {

using StoredValues = std::vector<std::pair<std::wstring, RegValue>>;

// The restore points kept under the profiles key (keys of the restore point's own form), the
// earliest written first. One put back whole but not deleted is not among them: it goes here.
std::vector<std::wstring> KeptRestorePoints();

// How a put-back went. `refused`: the values the card or Windows did not take back (read back
// after the put-back); `unread`: the restore point could not be read and no values stood in for
// it; `kept`: the restore point stays for the next way back.
struct PutBackOutcome {
    std::vector<std::wstring> refused;
    bool unread = false;
    bool kept = false;
    bool Whole() const { return refused.empty() && !unread && !kept; }
};

// Applies a profile's values, noting the names of those refused; false when nothing was applied.
using ApplyProfile = std::function<bool(const std::wstring& profile, std::vector<std::wstring>& refused)>;

// Puts the card and Windows back from restore point `name`. Where it can't be read whole,
// `fallback` (the values as they were recorded) serves, applied from a temporary key of its own.
// The other panel's headphone gain goes first, then the values through `apply`; every value is
// then read back, and one the card or Windows doesn't hold counts as refused. Put back whole, the
// restore point is deleted; where the delete is refused it is marked as put back, so that nothing
// puts it back again. Otherwise it stays.
PutBackOutcome PutBackRestorePoint(const std::wstring& name, const StoredValues& fallback, const ApplyProfile& apply);

// What the user is told of a put-back that was not whole: the values that stand as live mode left
// them (or that the earlier settings could not be read), without an ending.
std::wstring NotPutBackText(const PutBackOutcome& outcome);

}  // namespace kal
