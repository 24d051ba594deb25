#include "device/restorepoints.h"

#include <algorithm>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/mixervalues.h"
#include "device/portable/texts_values.h"
#include "device/profilevalues.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/names.h"

namespace kal {
namespace {

// The value that marks a restore point put back whole whose key could not be deleted.
constexpr wchar_t kPutBackMark[] = L"~PutBack";

bool MarkedPutBack(const std::wstring& name) {
    return RegRead(RegJoin(gRegProfiles, name), kPutBackMark).has_value();
}

// A restore point put back whole goes; where its delete is refused it is marked as put back, and
// only where the mark is refused too does it stay.
bool Remove(const std::wstring& name) {
    if (!RegKeyExists(RegJoin(gRegProfiles, name))) return true;
    return RegDeleteTree(gRegProfiles, name) || RegWrite(RegJoin(gRegProfiles, name), kPutBackMark, Bytes{1});
}

// A recording source that names a device out of service: Windows can't make it the source while
// it is out, so nothing can put it back, and it is no refusal.
bool SourceOutOfService(const std::wstring& name, const Bytes& stored) {
    if (name != kMixerInputLineSel || stored.empty() || stored[0] >= gInputLineIds.size()) return false;
    const std::wstring& line = gInputLineIds[stored[0]];
    constexpr std::uint32_t kActive = 1;  // DEVICE_STATE_ACTIVE
    return !line.empty() && gAudio && gAudio->DeviceState(line) != kActive;
}

}  // namespace

std::vector<std::wstring> KeptRestorePoints() {
    std::vector<RegSubkey> points;
    for (RegSubkey& key : RegEnumSubkeys(gRegProfiles)) {
        if (!IsRestorePointName(key.name)) continue;
        // Put back already: nothing more to do with it than to delete it.
        if (MarkedPutBack(key.name) && RegDeleteTree(gRegProfiles, key.name)) continue;
        if (!MarkedPutBack(key.name)) points.push_back(std::move(key));
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const RegSubkey& a, const RegSubkey& b) { return a.lastWritten < b.lastWritten; });
    std::vector<std::wstring> names;
    for (const RegSubkey& key : points) names.push_back(key.name);
    return names;
}

PutBackOutcome PutBackRestorePoint(const std::wstring& name, const StoredValues& fallback, const ApplyProfile& apply) {
    PutBackOutcome outcome;
    bool whole = false;
    StoredValues values = RegReadValues(RegJoin(gRegProfiles, name), &whole);
    std::wstring source = name;
    if (!whole || values.empty()) {
        // The values recorded with the restore point serve, from a key of their own.
        values = fallback;
        source = L"~" + name;
        RegDeleteTree(gRegProfiles, source);
        bool written = !values.empty();
        for (const auto& [value, bytes] : values) written = written && RegWrite(RegJoin(gRegProfiles, source), value, bytes);
        if (!written) {
            RegDeleteTree(gRegProfiles, source);
            outcome.unread = outcome.kept = true;
            return outcome;
        }
    }
    if (gCardCaps && gCardCaps->HPAmp)
        if (const std::wstring gain = ApplyOtherPanelGain(source); !gain.empty()) outcome.refused.push_back(gain);
    const bool applied = apply(source, outcome.refused);
    // Each value as the card and Windows hold it now: one that didn't come back was refused.
    for (const auto& [value, stored] : values) {
        const std::optional<Bytes> wanted = StoredProfileValue(source, value);
        if (!wanted || SourceOutOfService(value, *wanted)) continue;
        // The program's own values are no setting of the card's; the rest compare as a profile
        // is checked against the card.
        if (const Bytes live = GetProfileValue(L"", value); live == *wanted || StoredValueMatchesLive(value, *wanted, live, false))
            continue;
        if (std::find(outcome.refused.begin(), outcome.refused.end(), value) == outcome.refused.end())
            outcome.refused.push_back(value);
    }
    if (source != name) RegDeleteTree(gRegProfiles, source);
    if (!applied) outcome.unread = true;
    outcome.kept = !outcome.refused.empty() || outcome.unread || !Remove(name);
    return outcome;
}

std::wstring NotPutBackText(const PutBackOutcome& outcome) {
    if (outcome.unread) return L"the card's earlier settings could not be read";
    std::wstring names;
    for (const std::wstring& name : outcome.refused) names += (names.empty() ? L"" : L", ") + name;
    return names.empty() ? L"the card's earlier settings could not be removed once they were back" : L"the card refused " + names;
}

}  // namespace kal
