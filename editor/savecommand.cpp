// Saving a profile from the editor: the name checks, another profile holding the same shortcut
// key, overwriting an existing profile, renaming, copying or keeping the edited one. The stored
// profiles change together or not at all: the values are written over the key they replace, then
// what it held besides them goes, then the shortcut leaves the other profile and a renamed
// profile's old key goes. A refused write puts every key back and keeps the editor open.
#include "device/profilevalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/profilename.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/names.h"
#include "startup/utility.h"

#include <map>
#include <set>

namespace kal {
namespace {

constexpr wchar_t kRenamedOntoExisting[] =
    L"You have changed the name of the profile you are editing. A profile already exists with the new name. Do you "
    L"want to save the settings to the other existing profile?\r\n\r\n"
    L"Yes: the existing profile with the new name will be overwritten.\r\n"
    L"No: the current settings will be saved to the profile you originally edited and the name change will be "
    L"ignored.\r\n\r\n"
    L"Cancel: no action will take place.\r\n";
constexpr wchar_t kNotSaved[] = L"The profile could not be saved: the registry refused to store it.";
constexpr wchar_t kRenamedToFree[] =
    L"You have changed the name of the profile you are editing. Do you want to save the settings to a new "
    L"profile?\r\n\r\n"
    L"Yes: a new profile with the new name will be created.\r\n"
    L"No: the profile you originally edited will be renamed.\r\n\r\n"
    L"Cancel: no action will take place.\r\n";

bool SameName(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// The values by name, in any order and any letter case of the names.
bool SameValues(const std::vector<std::pair<std::wstring, RegValue>>& a,
                const std::vector<std::pair<std::wstring, RegValue>>& b) {
    std::map<std::wstring, RegValue, CaseInsensitiveLess> left(a.begin(), a.end()), right(b.begin(), b.end());
    return left == right;
}

// The settings that name the profile `from` (the start-up and the active profile) name `to`
// afterwards, as part of `change`.
bool FollowRename(RegistryChange& change, const std::wstring& from, const std::wstring& to) {
    for (const std::wstring& setting : ProfileNamingSettings())
        if (const auto named = RegReadText(gRegRoot, setting); named && SameName(*named, from))
            if (!change.WriteValue(gRegRoot, setting, to)) return false;
    return true;
}

}  // namespace

bool frmProfile::CheckShortcutInUse(const std::wstring& otherProfile) {
    const std::wstring key = txtShortcut->Text();
    const std::wstring text = L"The shortcut you chose (" + key + L") is already in use by the profile ''" +
                              otherProfile + L"''.\r\nIf you save this profile anyway the shortcut " + key +
                              L" will be assigned to this profile and removed from ''" + otherProfile +
                              L"''.\r\n\r\nDo you want to proceed?";
    return ::MessageBoxW(hWnd(), text.c_str(), Caption().c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}

// The editor's values become profile `name` in one change with taking the shortcut from
// `shortcutFrom` and removing the key `removed` (each skipped when empty). A change of only the
// letter case renames the key by way of a staging name no profile can have; where the system
// can't rename keys, the profile stands whole under the staging key while its key is made anew. "" when stored; else the
// message for the user, with every key as it was when the registry took the undo, and what stands
// where when it didn't.
std::wstring frmProfile::StoreProfile(const std::wstring& name, const std::wstring& removed,
                                      const std::vector<std::wstring>& shortcutFrom) {
    const auto values = ValuesToWrite(false, false);
    const std::wstring key = RegJoin(gRegProfiles, name);
    // The edited profile another instance deleted meanwhile leaves nothing to rename or remove;
    // the settings that named it still follow it to its new name.
    const bool removedStands = !removed.empty() && RegKeyExists(RegJoin(gRegProfiles, removed));
    const bool recased = removedStands && SameName(name, removed);
    const std::wstring staging = RegJoin(gRegProfiles, StagingProfileName(name));
    // Every key the save may touch, as it stands now: what the message compares with.
    std::vector<std::pair<std::wstring, std::vector<std::pair<std::wstring, RegValue>>>> before;
    std::vector<std::wstring> involved{recased ? removed : name};
    if (removedStands && !recased) involved.push_back(removed);
    involved.insert(involved.end(), shortcutFrom.begin(), shortcutFrom.end());
    for (const std::wstring& profile : involved)
        before.emplace_back(profile, RegReadValues(RegJoin(gRegProfiles, profile)));

    RegistryChange change;
    auto takeShortcut = [&] {
        for (const std::wstring& holder : shortcutFrom)
            if (!change.DeleteValue(RegJoin(gRegProfiles, holder), L"Shortcut")) return false;
        return true;
    };
    bool stored;
    if (recased && RegCanRenameKeys()) {
        // The registry renames a key only to a name it doesn't hold yet in any letter case: the
        // key goes by way of the staging name.
        stored = change.Rename(RegJoin(gRegProfiles, removed), StagingProfileName(name)) &&
                 change.Rename(staging, name) && change.Replace(key, values) && takeShortcut();
    } else {
        stored = change.Replace(recased ? staging : key, values) && takeShortcut() &&
                 (!removedStands || change.DeleteTree(RegJoin(gRegProfiles, removed))) &&
                 (!recased || (change.Replace(key, values) && change.DeleteTree(staging)));
    }
    // The settings that named the edited profile follow it to its new name.
    stored = stored && (removed.empty() || FollowRename(change, removed, name));
    if (stored) return L"";
    std::wstring text = kNotSaved;
    if (change.Undo()) {
        if (!Tag().empty()) text += L"\r\n\r\nThe profile ''" + Tag() + L"'' is kept as it was.";
        return text;
    }
    ::OutputDebugStringW((L"Kalvenor: a refused save of " + name + L" could not be undone whole\n").c_str());
    // What stands where: each key the save touched, and the staging key when it is left.
    text += L" Not everything could be put back as it was:";
    std::set<std::wstring, CaseInsensitiveLess> told;
    for (const auto& [profile, was] : before) {
        const std::wstring path = RegJoin(gRegProfiles, profile);
        if (!told.insert(profile).second) continue;
        const bool exists = RegKeyExists(path);
        if (!exists && was.empty()) continue;
        const auto now = RegReadValues(path);
        std::wstring shown = profile;
        if (exists)
            for (const std::wstring& k : RegEnumKeys(gRegProfiles))
                if (SameName(k, profile)) shown = k;
        text += L"\r\n- ''" + shown + L"'': ";
        if (!exists) text += L"deleted.";
        else if (SameValues(now, values)) text += L"holds the settings you edited.";
        else if (SameValues(now, was)) text += L"as it was.";
        else text += L"changed in part.";
    }
    // The staging key holds the edits, or the profile as it was where the rename to its new
    // name and the rename back were both refused.
    if (RegKeyExists(staging)) {
        const auto now = RegReadValues(staging);
        text += L"\r\n- ''" + StagingProfileName(name) + L"'': ";
        if (SameValues(now, values)) text += L"holds the settings you edited.";
        else if (SameValues(now, before.front().second)) text += L"holds ''" + removed + L"'' as it was.";
        else text += L"holds part of the settings you edited.";
    }
    return text;
}

void frmProfile::cmdSave_Click() {
    auto& nameBox = *txtProfileName;
    std::wstring name = nameBox.Text();
    const std::wstring caption = Caption();
    auto refuse = [&](const wchar_t* text) {
        ::MessageBoxW(hWnd(), text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(nameBox.Window());
    };
    if (name.empty()) return refuse(L"Please provide a profile name.");
    if (IsNumericName(name)) return refuse(L"Please provide an alphanumeric profile name.");
    if (IsReservedProfileName(name))
        return refuse(L"Names containing \"~Live\" are kept for the program's own use. Please provide another "
                      L"profile name.");

    // Every other profile holding the chosen key as the tray reads it (an older backup or an
    // outside edit may have given it to several, or stored it with more bytes); restore points
    // don't count.
    std::vector<std::wstring> holders;
    const auto key = EncodeShortcut(txtShortcut->Tag());
    if (key && FirstByte(*key) != 0) {
        for (const std::wstring& profile : RegEnumKeys(gRegProfiles))
            if (!IsLiveProfileName(profile) && ShortcutKey(GetProfileValue(profile, L"Shortcut")) == ShortcutKey(*key))
                holders.push_back(profile);
    }
    auto holdersOtherThan = [&](const std::wstring& profile) {
        std::vector<std::wstring> out;
        for (const std::wstring& h : holders)
            if (!SameName(h, profile)) out.push_back(h);
        return out;
    };
    // The profiles the shortcut moves from, once the user agrees.
    std::vector<std::wstring> shortcutFrom;
    auto takeShortcut = [&](const std::vector<std::wstring>& from) {
        if (from.empty()) return true;
        std::wstring names;
        for (const std::wstring& h : from) names += (names.empty() ? L"" : L"'', ''") + h;
        if (!CheckShortcutInUse(names)) return false;
        shortcutFrom = from;
        return true;
    };

    const bool exists = RegKeyExists(RegJoin(gRegProfiles, name));
    const std::wstring tag = Tag();
    // The edited profile's key when the save renames it away; the editor stays bound to its
    // profile until the save is done.
    std::wstring removed;
    if (tag.empty()) {
        if (exists &&
            ::MessageBoxW(hWnd(),
                          L"A profile already exists with the provided name. Do you want to overwrite the existing "
                          L"profile?\r\n",
                          kAppTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
        if (!takeShortcut(exists ? holdersOtherThan(name) : holders)) return;
    } else if (name == tag) {
        if (!takeShortcut(holdersOtherThan(name))) return;
    } else {
        const int answer = ::MessageBoxW(hWnd(), exists ? kRenamedOntoExisting : kRenamedToFree, caption.c_str(),
                                         MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
        if (answer == IDCANCEL) return;
        std::vector<std::wstring> asked;
        if (exists && answer == IDYES) {
            // Onto the other profile: the edited one goes.
            asked = holdersOtherThan(name);
            removed = tag;
        } else if (exists) {
            // The name change ignored.
            name = tag;
            asked = holdersOtherThan(tag);
        } else if (answer == IDYES) {
            // A new profile beside the edited one.
            asked = holders;
        } else {
            // Renamed.
            asked = holdersOtherThan(tag);
            removed = tag;
        }
        if (!takeShortcut(asked)) return;
    }
    if (const std::wstring failure = StoreProfile(name, removed, shortcutFrom); !failure.empty()) {
        ::MessageBoxW(hWnd(), failure.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    LastProfileName = name;
    ::MessageBoxW(hWnd(), L"Profile successfully saved.", caption.c_str(), MB_OK | MB_ICONINFORMATION);
    Unload();
}

}  // namespace kal
