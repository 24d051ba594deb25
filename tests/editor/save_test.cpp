// Saving from the editor: the name checks, overwriting, renaming and copying with their exact
// questions, the settings that name a renamed profile, and a shortcut another profile holds.
#include <algorithm>
#include <functional>
#include <map>
#include <optional>

#include "base/registry.h"
#include "editor/hpampdialog.h"
#include "startup/settings.h"
#include "startup/utility.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/refused_writes.h"
#include "tests/tray/dialog_answerer.h"

using namespace kal;
using namespace kal::testing;

namespace {

constexpr wchar_t kSaved[] = L"Profile successfully saved.";
constexpr wchar_t kNotSaved[] = L"The profile could not be saved: the registry refused to store it.";

class EditorSave : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        UseEditorCard(kD2);
    }
    // Saves under `name`, pressing `buttons` in the message boxes in turn, then `button`.
    kaltest::DialogAnswerer Save(frmProfile& editor, const std::wstring& name, int button,
                                 std::vector<int> buttons = {}) {
        kaltest::DialogAnswerer answers;
        answers.button = button;
        answers.buttons = std::move(buttons);
        editor.Get<TextBox>(L"txtProfileName").SetText(name);
        answers.Run([&] { User::Click(editor.Ctl(L"cmdSave")); });
        return answers;
    }
    static void ChooseShortcut(frmProfile& editor) {
        editor.Get<TextBox>(L"txtShortcut").SetText(L"CTRL+SHIFT+F11");
        editor.Get<TextBox>(L"txtShortcut").SetTag(L"7A|03");
    }
    static void MakeActiveAndDefault(const std::wstring& profile) {
        RegWrite(gRegRoot, L"ActiveProfile", profile);
        RegWrite(gRegRoot, L"DefaultProfile", profile);
    }
    // The last message box's text; "" when none came, which the check then reports.
    static std::wstring LastText(const kaltest::DialogAnswerer& a) { return a.seen.empty() ? L"" : a.seen.back().text; }
    // Every stored profile with its values, restore points left out.
    static std::map<std::wstring, std::map<std::wstring, std::wstring>> StoredProfiles() {
        std::map<std::wstring, std::map<std::wstring, std::wstring>> out;
        for (const std::wstring& key : RegEnumKeys(gRegProfiles))
            if (key.find(L"~Live") == std::wstring::npos) out[key] = Values(key);
        return out;
    }
    static std::vector<std::wstring> Texts(const kaltest::DialogAnswerer& a) {
        std::vector<std::wstring> out;
        for (const auto& s : a.seen) out.push_back(s.text);
        return out;
    }
};

TEST_F(EditorSave, NamesThatAreEmptyOrNumericAreRefused) {
    frmProfile& editor = OpenEditor(L"");
    auto answers = Save(editor, L"", IDOK);
    ASSERT_EQ(Texts(answers), std::vector<std::wstring>{L"Please provide a profile name."});
    EXPECT_EQ(answers.seen[0].title, L"Create New Profile");
    answers = Save(editor, L"12", IDOK);
    EXPECT_EQ(Texts(answers), std::vector<std::wstring>{L"Please provide an alphanumeric profile name."});
    EXPECT_NE(ProfileEditor(), nullptr);
    EXPECT_FALSE(RegKeyExists(Profile(L"12")));
    answers = Save(editor, L"12a", IDOK);
    EXPECT_EQ(Texts(answers), std::vector<std::wstring>{kSaved});
    EXPECT_TRUE(RegKeyExists(Profile(L"12a")));
    EXPECT_EQ(ProfileEditor(), nullptr);
}

TEST_F(EditorSave, ANewProfileOverwritesAnExistingOneOnlyWhenAskedTo) {
    Store(L"Old", L"EqGain", std::wstring(gEqPresetGains[3]).c_str());
    frmProfile& editor = OpenEditor(L"");
    auto answers = Save(editor, L"Old", IDNO);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].title, kAppTitle);
    EXPECT_EQ(answers.seen[0].text,
              L"A profile already exists with the provided name. Do you want to overwrite the existing profile?\r\n");
    EXPECT_NE(ProfileEditor(), nullptr);
    EXPECT_TRUE(RegReadBytes(Profile(L"Old"), L"EqGain"));

    answers = Save(editor, L"Old", IDYES);
    EXPECT_EQ(LastText(answers), kSaved);
    // Only the editor's values are left: the old gains went with the old key.
    EXPECT_FALSE(RegReadBytes(Profile(L"Old"), L"EqGain"));
    EXPECT_TRUE(RegReadBytes(Profile(L"Old"), L"SpeakerConfig"));
}

TEST_F(EditorSave, RenamingToAFreeNameRenamesOrCopies) {
    Store(L"First", L"EqEnable", L"01");
    Store(L"Second", L"EqEnable", L"00");
    MakeActiveAndDefault(L"First");
    frmProfile& editor = OpenEditor(L"First");
    auto answers = Save(editor, L"Renamed", IDNO);
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0].title, L"Edit Profile \"First\"");
    EXPECT_EQ(answers.seen[0].text,
              L"You have changed the name of the profile you are editing. Do you want to save the settings to a new "
              L"profile?\r\n\r\nYes: a new profile with the new name will be created.\r\nNo: the profile you "
              L"originally edited will be renamed.\r\n\r\nCancel: no action will take place.\r\n");
    EXPECT_FALSE(RegKeyExists(Profile(L"First")));
    EXPECT_EQ(RegReadBytes(Profile(L"Renamed"), L"EqEnable"), Bytes{1});
    EXPECT_EQ(GetActiveProfile(), L"Renamed");
    EXPECT_EQ(GetDefaultProfile(), L"Renamed");

    frmProfile& again = OpenEditor(L"Second");
    answers = Save(again, L"Copy", IDYES);
    EXPECT_EQ(LastText(answers), kSaved);
    EXPECT_TRUE(RegKeyExists(Profile(L"Second")));
    EXPECT_EQ(RegReadBytes(Profile(L"Copy"), L"EqEnable"), Bytes{0});
    EXPECT_EQ(GetActiveProfile(), L"Renamed");

    // The edited profile deleted by another instance meanwhile: renamed, even by its letter case
    // only, it is saved under the new name and the settings follow; nothing else goes.
    for (const wchar_t* name : {L"RENAMED", L"Elsewhere"}) {
        SCOPED_TRACE(::testing::Message() << "renamed to " << name);
        frmProfile& gone = OpenEditor(L"Renamed");
        RegDeleteTree(gRegProfiles, L"Renamed");
        answers = Save(gone, name, IDNO);
        EXPECT_EQ(LastText(answers), kSaved);
        const std::vector<std::wstring> keys = RegEnumKeys(gRegProfiles);
        EXPECT_NE(std::find(keys.begin(), keys.end(), name), keys.end());
        EXPECT_EQ(RegReadBytes(Profile(name), L"EqEnable"), Bytes{1});
        EXPECT_TRUE(RegKeyExists(Profile(L"Copy")));
        EXPECT_EQ(GetActiveProfile(), name);
        EXPECT_EQ(GetDefaultProfile(), name);
        RegDeleteTree(gRegProfiles, name);
        Store(L"Renamed", L"EqEnable", L"01");
        MakeActiveAndDefault(L"Renamed");
    }
}

TEST_F(EditorSave, RenamingOntoAnotherProfile) {
    Store(L"Mine", L"EqEnable", L"01");
    Store(L"Theirs", L"EqEnable", L"00");
    Store(L"Theirs", L"Dual2D", L"01000000");
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Mine"));
    frmProfile& editor = OpenEditor(L"Mine");
    // Cancel: nothing happens.
    auto answers = Save(editor, L"Theirs", IDCANCEL);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text,
              L"You have changed the name of the profile you are editing. A profile already exists with the new name. "
              L"Do you want to save the settings to the other existing profile?\r\n\r\nYes: the existing profile with "
              L"the new name will be overwritten.\r\nNo: the current settings will be saved to the profile you "
              L"originally edited and the name change will be ignored.\r\n\r\nCancel: no action will take place.\r\n");
    EXPECT_NE(ProfileEditor(), nullptr);
    // No: saved under the original name, the other left alone.
    answers = Save(editor, L"Theirs", IDNO);
    EXPECT_EQ(LastText(answers), kSaved);
    EXPECT_EQ(RegReadBytes(Profile(L"Mine"), L"EqEnable"), Bytes{1});
    EXPECT_EQ(RegReadBytes(Profile(L"Theirs"), L"Dual2D"), HexToBytes(L"01000000"));

    // Yes: the other is replaced, the edited one goes, and the active profile follows it.
    frmProfile& again = OpenEditor(L"Mine");
    answers = Save(again, L"Theirs", IDYES);
    EXPECT_EQ(LastText(answers), kSaved);
    EXPECT_FALSE(RegKeyExists(Profile(L"Mine")));
    EXPECT_EQ(RegReadBytes(Profile(L"Theirs"), L"EqEnable"), Bytes{1});
    EXPECT_FALSE(RegReadBytes(Profile(L"Theirs"), L"Dual2D"));
    EXPECT_EQ(GetActiveProfile(), L"Theirs");
}

TEST_F(EditorSave, AShortcutHeldByAnotherProfileMovesOnlyWhenTheUserAgrees) {
    Store(L"Holder", L"Shortcut", L"7A03");
    Store(L"12345~Live", L"Shortcut", L"7A03");  // a leftover restore point never counts
    frmProfile& editor = OpenEditor(L"");
    ChooseShortcut(editor);
    auto answers = Save(editor, L"Taker", IDNO);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text,
              L"The shortcut you chose (CTRL+SHIFT+F11) is already in use by the profile ''Holder''.\r\nIf you save "
              L"this profile anyway the shortcut CTRL+SHIFT+F11 will be assigned to this profile and removed from "
              L"''Holder''.\r\n\r\nDo you want to proceed?");
    EXPECT_FALSE(RegKeyExists(Profile(L"Taker")));
    EXPECT_EQ(RegReadBytes(Profile(L"Holder"), L"Shortcut"), HexToBytes(L"7A03"));

    answers = Save(editor, L"Taker", IDYES);
    EXPECT_EQ(LastText(answers), kSaved);
    EXPECT_FALSE(RegReadBytes(Profile(L"Holder"), L"Shortcut"));
    EXPECT_EQ(RegReadBytes(Profile(L"Taker"), L"Shortcut"), HexToBytes(L"7A03"));
}

TEST_F(EditorSave, AnOverwriteCancelledAtTheShortcutLeavesTheExistingProfileAlone) {
    Store(L"Existing", L"EqEnable", L"01");
    Store(L"Holder", L"Shortcut", L"7A03");
    MakeActiveAndDefault(L"Existing");
    frmProfile& editor = OpenEditor(L"");
    ChooseShortcut(editor);
    // Overwrite: yes; take the shortcut: no. Nothing is saved.
    auto answers = Save(editor, L"Existing", IDNO, {IDYES, IDNO});
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_NE(ProfileEditor(), nullptr);
    EXPECT_EQ(RegReadBytes(Profile(L"Existing"), L"EqEnable"), Bytes{1});

    // Another name afterwards is still a new profile: the shortcut is the only question.
    answers = Save(editor, L"Other", IDYES, {IDNO, IDYES});
    ASSERT_FALSE(answers.seen.empty());
    EXPECT_EQ(answers.seen.size(), 1u);
    EXPECT_NE(answers.seen[0].text.find(L"already in use by the profile ''Holder''"), std::wstring::npos);
    EXPECT_FALSE(RegKeyExists(Profile(L"Other")));
    EXPECT_EQ(RegReadBytes(Profile(L"Existing"), L"EqEnable"), Bytes{1});
    EXPECT_EQ(GetActiveProfile(), L"Existing");
    EXPECT_EQ(GetDefaultProfile(), L"Existing");
    answers = Save(editor, L"Other", IDYES);
    EXPECT_EQ(LastText(answers), kSaved);
    EXPECT_TRUE(RegKeyExists(Profile(L"Other")));
    EXPECT_EQ(RegReadBytes(Profile(L"Existing"), L"EqEnable"), Bytes{1});
    EXPECT_EQ(GetActiveProfile(), L"Existing");
}

TEST_F(EditorSave, AProfilesOwnShortcutAsksOnlyWhenItIsCopied) {
    Store(L"Own", L"Shortcut", L"7A03");
    Store(L"Own", L"EqEnable", L"01");
    frmProfile& editor = OpenEditor(L"Own");
    auto answers = Save(editor, L"Own", IDYES);
    EXPECT_EQ(Texts(answers), std::vector<std::wstring>{kSaved});
    EXPECT_EQ(RegReadBytes(Profile(L"Own"), L"Shortcut"), HexToBytes(L"7A03"));

    // A copy takes the key from the profile it was made from, once the user agrees.
    frmProfile& again = OpenEditor(L"Own");
    answers = Save(again, L"Twin", IDYES);
    ASSERT_EQ(answers.seen.size(), 3u);
    EXPECT_NE(answers.seen[1].text.find(L"already in use by the profile ''Own''"), std::wstring::npos);
    EXPECT_FALSE(RegReadBytes(Profile(L"Own"), L"Shortcut"));
    EXPECT_EQ(RegReadBytes(Profile(L"Twin"), L"Shortcut"), HexToBytes(L"7A03"));
}

// A save the registry refuses at any of its steps (no new key under the profiles key, the
// profile written over or a holder of the shortcut denying writes, the key a rename leaves
// denying its deletion; with keys renamed in place and, as on Windows XP, through a staging key)
// changes no stored profile, no setting and no shortcut, says so and which profile stands, and
// leaves the editor open with its edits; once the registry takes writes again the same save
// stands, and the equalizer set back to "Don't Change" is gone from the profile. A profile named
// like the staging place of a case-only rename ("~MINE") is never touched.
TEST_F(EditorSave, ASaveTheRegistryRefusesAtAnyStepLosesNothing) {
    struct Case {
        const char* what;
        const wchar_t* edited;         // "" for a new profile
        const wchar_t* saveAs;
        std::vector<int> answers;      // the rename or overwrite question, then the shortcut's
        kaltest::Refusals refusals;
        const wchar_t* gone;           // the edited profile's key after the save; nullptr: kept
        const wchar_t* active;         // ActiveProfile afterwards
        bool xp = false;               // keys can't be renamed in place
        bool settingsRefuse = false;   // the settings that name a profile refuse writes
    };
    using R = kaltest::Refusals;
    const Case cases[] = {
        {"same name", L"Mine", L"Mine", {IDYES}, R{true, {L"Mine"}, {}}, nullptr, L"Mine"},
        {"new name", L"", L"Fresh", {IDYES}, R{true, {}, {}}, nullptr, L"Mine"},
        {"new profile over an existing one", L"", L"Theirs", {IDYES, IDYES}, R{true, {L"Theirs"}, {}}, nullptr, L"Mine"},
        {"renamed to a free name", L"Mine", L"Renamed", {IDNO, IDYES}, R{true, {}, {}}, L"Mine", L"Renamed"},
        {"copied to a free name", L"Mine", L"Copy", {IDYES, IDYES}, R{true, {}, {}}, nullptr, L"Mine"},
        {"renamed onto another profile", L"Mine", L"Theirs", {IDYES, IDYES}, R{true, {L"Theirs"}, {}}, L"Mine", L"Theirs"},
        {"renamed, only the case", L"Mine", L"MINE", {IDYES, IDYES}, R{true, {L"Mine"}, {}}, nullptr, L"MINE"},
        {"onto another profile, the shortcut's holder refusing", L"Mine", L"Theirs", {IDYES, IDYES},
         R{true, {L"Holder"}, {}}, L"Mine", L"Theirs"},
        // A new key made, then a later step refused: the new key goes again.
        {"new name, the shortcut's second holder refusing", L"", L"Fresh", {IDYES}, R{false, {L"Holder2"}, {}}, nullptr,
         L"Mine"},
        {"copied, the shortcut's holder refusing", L"Mine", L"Copy", {IDYES, IDYES}, R{false, {L"Holder"}, {}}, nullptr,
         L"Mine"},
        {"renamed to a free name, the old key staying", L"Mine", L"Renamed", {IDNO, IDYES},
         R{false, {}, {L"Mine"}}, L"Mine", L"Renamed"},
        {"renamed onto another profile, the old key staying", L"Mine", L"Theirs", {IDYES, IDYES},
         R{false, {}, {L"Mine"}}, L"Mine", L"Theirs"},
        {"renamed, only the case, the shortcut's holder refusing", L"Mine", L"MINE", {IDYES, IDYES},
         R{false, {L"Holder"}, {}}, nullptr, L"MINE"},
        {"renamed, only the case, through a staging key that can't be made", L"Mine", L"MINE", {IDYES, IDYES}, R{true, {}, {}},
         nullptr, L"MINE", true},
        {"renamed, only the case, through a staging key, the old key staying", L"Mine", L"MINE", {IDYES, IDYES},
         R{false, {}, {L"Mine"}}, nullptr, L"MINE", true},
        {"renamed, only the case, through a staging key, the holder refusing", L"Mine", L"MINE", {IDYES, IDYES},
         R{false, {L"Holder"}, {}}, nullptr, L"MINE", true},
        // The start-up and active profile can't follow the new name: nothing is renamed.
        {"renamed to a free name, the settings refusing", L"Mine", L"Renamed", {IDNO, IDYES}, R{false, {}, {}}, L"Mine",
         L"Renamed", false, true},
        {"renamed onto another profile, the settings refusing", L"Mine", L"Theirs", {IDYES, IDYES}, R{false, {}, {}},
         L"Mine", L"Theirs", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DisableKeyRenaming(c.xp);
        for (const std::wstring& key : RegEnumKeys(gRegProfiles)) RegDeleteTree(gRegProfiles, key);
        Store(L"Mine", L"EqEnable", L"01");
        Store(L"Mine", L"Dual2D", L"01000000");
        Store(L"~MINE", L"EqEnable", L"00");
        Store(L"Theirs", L"EqEnable", L"00");
        Store(L"Theirs", L"SideRearXchg", L"01000000");
        Store(L"Holder", L"Shortcut", L"7A03");
        Store(L"Holder2", L"Shortcut", L"7A03");
        MakeActiveAndDefault(L"Mine");
        frmProfile& editor = OpenEditor(c.edited);
        ChooseShortcut(editor);
        editor.imgTab_Click(2);
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQ", 255)));
        const auto before = StoredProfiles();
        {
            kaltest::RefusedProfileWrites refused(c.refusals);
            std::optional<kaltest::RefusedCalls> settings;
            if (c.settingsRefuse)
                settings.emplace([](RegCall call, const std::wstring& path, const std::wstring&) {
                    return call == RegCall::Write && ::lstrcmpiW(path.c_str(), gRegRoot.c_str()) == 0;
                });
            const auto answers = Save(editor, c.saveAs, IDOK, c.answers);
            EXPECT_EQ(LastText(answers), std::wstring(kNotSaved) +
                                             (*c.edited ? L"\r\n\r\nThe profile ''Mine'' is kept as it was." : L""));
            EXPECT_EQ(answers.seen.size(), c.answers.size() + 1);
            EXPECT_EQ(StoredProfiles(), before);
            EXPECT_EQ(GetActiveProfile(), L"Mine");
            EXPECT_EQ(GetDefaultProfile(), L"Mine");
            if (ProfileEditor() != &editor) {
                ADD_FAILURE() << "the editor closed";
                continue;
            }
            EXPECT_EQ(editor.Get<TextBox>(L"txtProfileName").Text(), c.saveAs);
            EXPECT_TRUE(editor.Get<OptionButton>(L"optEQ", 255).Value());
            EXPECT_EQ(editor.Get<TextBox>(L"txtShortcut").Tag(), L"7A|03");
        }
        const auto answers = Save(editor, c.saveAs, IDOK, c.answers);
        EXPECT_EQ(LastText(answers), kSaved);
        EXPECT_EQ(ProfileEditor(), nullptr);
        const auto saved = Values(c.saveAs);
        EXPECT_EQ(saved.count(L"EqEnable"), 0u);
        EXPECT_EQ(saved.count(L"SideRearXchg"), 0u);
        EXPECT_EQ(Entry(saved, L"Shortcut"), L"7A03");
        // Every holder gives the key up.
        EXPECT_FALSE(RegReadBytes(Profile(L"Holder"), L"Shortcut"));
        EXPECT_FALSE(RegReadBytes(Profile(L"Holder2"), L"Shortcut"));
        EXPECT_EQ(StoredProfiles()[L"~MINE"], before.at(L"~MINE"));
        if (c.gone) {
            EXPECT_FALSE(RegKeyExists(Profile(c.gone)));
        }
        const auto keys = RegEnumKeys(gRegProfiles);
        EXPECT_NE(std::find(keys.begin(), keys.end(), c.saveAs), keys.end()) << "the key keeps the name's case";
        const bool added = std::none_of(before.begin(), before.end(),
                                        [&](const auto& p) { return ::lstrcmpiW(p.first.c_str(), c.saveAs) == 0; });
        EXPECT_EQ(keys.size(), before.size() + (added ? 1 : 0) - (c.gone ? 1 : 0)) << ::testing::PrintToString(keys);
        EXPECT_EQ(GetActiveProfile(), c.active);
        EXPECT_EQ(GetDefaultProfile(), c.active);
    }
    DisableKeyRenaming(false);
}

// An undo refused too keeps every copy and says what stands where: through a staging key (as on
// Windows XP), the new key refused (sealed, as the options' removal of all settings seals them),
// which also refuses making the old key again; the staging key keeps the edited settings.
TEST_F(EditorSave, AnUndoRefusedTooKeepsTheSettingsAndSaysWhereTheyStand) {
    struct Restore {
        ~Restore() {
            SealRegistryKey(L"");
            DisableKeyRenaming(false);
        }
    } restore;
    DisableKeyRenaming(true);
    Store(L"Mine", L"EqEnable", L"01");
    frmProfile& editor = OpenEditor(L"Mine");
    SealRegistryKey(Profile(L"MINE"));
    const auto answers = Save(editor, L"MINE", IDOK, {IDYES});
    EXPECT_EQ(LastText(answers), std::wstring(kNotSaved) +
                                     L" Not everything could be put back as it was:\r\n- ''Mine'': deleted.\r\n- "
                                     L"''~MINE~Live'': holds the settings you edited.");
    EXPECT_NE(ProfileEditor(), nullptr);
    EXPECT_EQ(RegReadBytes(Profile(L"~MINE~Live"), L"EqEnable"), Bytes{1});

    // Renamed in place: the rename to the new name and the rename back both refused leave the
    // profile as it was under the staging name.
    SealRegistryKey(L"");
    DisableKeyRenaming(false);
    RegDeleteTree(gRegProfiles, L"~MINE~Live");
    Store(L"Mine", L"EqEnable", L"01");
    editor.imgTab_Click(2);
    ASSERT_TRUE(User::ChooseOption(*editor.optEQ[0]));
    {
        kaltest::RefusedCalls refused({RegCall::Rename}, L"~MINE~Live");
        EXPECT_EQ(LastText(Save(editor, L"MINE", IDOK, {IDYES})),
                  std::wstring(kNotSaved) + L" Not everything could be put back as it was:\r\n- ''Mine'': deleted.\r\n- "
                                            L"''~MINE~Live'': holds ''Mine'' as it was.");
    }
    EXPECT_EQ(RegReadBytes(Profile(L"~MINE~Live"), L"EqEnable"), Bytes{1});
}

// A name the program keeps for its own keys (restore points, the staging place of a renamed
// profile), in any letter case, is refused in the name box.
TEST_F(EditorSave, ReservedNamesAreRefused) {
    frmProfile& editor = OpenEditor(L"");
    for (const wchar_t* reserved : {L"4529679~Live", L"Mine~live", L"~Mine~LIVE"}) {
        const auto answers = Save(editor, reserved, IDOK);
        EXPECT_EQ(Texts(answers), std::vector<std::wstring>{L"Names containing \"~Live\" are kept for the program's "
                                                            L"own use. Please provide another profile name."});
        EXPECT_FALSE(RegKeyExists(Profile(reserved)));
    }
    EXPECT_NE(ProfileEditor(), nullptr);
}

// A headphone gain this card's list lacks (the list shows no entry) is saved as the profile
// held it, whatever the Save button then does to the stored key: untouched, after the gain
// dialog, with the output moved to the other panel, renamed, and with the stored key changed by
// another program while the editor was open.
TEST_F(EditorSave, AStoredGainTheListLacksIsSavedAsLoaded) {
    UseEditorCard(kDG);  // three gain modes: 03 has no entry
    const std::map<std::wstring, std::wstring> stored{{L"PanelConfig", L"00000000"},
                                                      {L"SpeakerConfig", L"01000000"},
                                                      {L"HpImpedanceModeRear", L"03000000"},
                                                      {L"HpImpedanceModeFront", L"03000000"}};
    struct Case {
        const char* what;
        const wchar_t* saveAs;
        int answer;
        std::function<void(frmProfile&)> act;
        const wchar_t* panel;  // PanelConfig saved
    };
    const Case cases[] = {
        {"untouched", L"Amp", IDOK, [](frmProfile&) {}, L"00000000"},
        {"after the gain dialog", L"Amp", IDOK,
         [](frmProfile& e) {
             ASSERT_TRUE(User::Click(e.Ctl(L"cmdHpAmp")));
             ASSERT_NE(HpImpedanceDialog(), nullptr);
             ASSERT_EQ(HpImpedanceDialog()->Get<ComboBox>(L"cboHpAmp").ListIndex(), -1);
             ASSERT_TRUE(User::Click(HpImpedanceDialog()->Ctl(L"cmdClose")));
         },
         L"00000000"},
        {"output moved to the front panel", L"Amp", IDOK,
         [](frmProfile& e) { ASSERT_TRUE(User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, 0x0101))); },
         L"01000000"},
        {"renamed", L"AmpRenamed", IDNO, [](frmProfile&) {}, L"00000000"},
        {"stored key changed meanwhile", L"Amp", IDOK,
         [](frmProfile&) {
             RegDeleteValue(Profile(L"Amp"), L"HpImpedanceModeRear");
             RegDeleteValue(Profile(L"Amp"), L"HpImpedanceModeFront");
         },
         L"00000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTree(gRegProfiles, L"Amp");
        RegDeleteTree(gRegProfiles, L"AmpRenamed");
        for (const auto& [name, hex] : stored) Store(L"Amp", name, hex.c_str());
        frmProfile& editor = OpenEditor(L"Amp");
        c.act(editor);
        const auto answers = Save(editor, c.saveAs, c.answer);
        EXPECT_EQ(LastText(answers), kSaved);
        const auto saved = Values(c.saveAs);
        EXPECT_EQ(Entry(saved, L"PanelConfig"), c.panel);
        EXPECT_EQ(Entry(saved, L"HpImpedanceModeRear"), L"03000000");
        EXPECT_EQ(Entry(saved, L"HpImpedanceModeFront"), L"03000000");
        CloseEditor();
    }
}

}  // namespace

// A name of 250 to 255 characters changes only its case like any other, renamed in place and
// through a staging key; a shortcut stored with a trailing byte (as an older backup or an outside
// edit leaves it) is held, as the tray reads it.
TEST_F(EditorSave, LongNamesChangeTheirCaseAndAShortcutIsHeldAsTheTrayReadsIt) {
    for (const bool xp : {false, true})
        for (const std::size_t length : {250u, 255u}) {
            SCOPED_TRACE(std::to_string(length) + (xp ? " through a staging key" : " in place"));
            DisableKeyRenaming(xp);
            const std::wstring lower(length, L'q'), upper(length, L'Q');
            Store(lower, L"EqEnable", L"01");
            frmProfile& editor = OpenEditor(lower);
            EXPECT_EQ(LastText(Save(editor, upper, IDOK, {IDYES})), kSaved);
            const auto keys = RegEnumKeys(gRegProfiles);
            EXPECT_NE(std::find(keys.begin(), keys.end(), upper), keys.end());
            EXPECT_EQ(std::count_if(keys.begin(), keys.end(), [&](const std::wstring& k) { return k.size() >= length; }), 1);
            RegDeleteTree(gRegProfiles, upper);
        }
    DisableKeyRenaming(false);
    Store(L"Holder", L"Shortcut", L"7A0300");
    frmProfile& editor = OpenEditor(L"");
    ChooseShortcut(editor);
    const auto answers = Save(editor, L"Taker", IDYES);
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_NE(answers.seen[0].text.find(L"already in use by the profile ''Holder''"), std::wstring::npos);
    EXPECT_FALSE(RegReadBytes(Profile(L"Holder"), L"Shortcut"));
    EXPECT_EQ(RegReadBytes(Profile(L"Taker"), L"Shortcut"), HexToBytes(L"7A03"));
}
