// The whole journey of a user's day, from the tray: the profile manager from the tray menu, a new
// profile made in the editor under a name outside the ANSI code page, seen in the list and the
// menu, applied to the card, made the start-up profile, another profile deleted, and the program
// started again with the start-up profile applied.
#include "tests/editor/profiles_fixture.h"

#include <algorithm>

#include "base/registry.h"
#include "startup/settings.h"
#include "tests/tray/dialog_answerer.h"
#include "tray/options.h"

using namespace kal;
using namespace kal::testing;

namespace {

// Outside every ANSI code page of Western Europe: a name only the W calls keep whole.
const std::wstring kNewName = L"Ночь \u266B";

// The three settings the user gives the new profile, as the card's driver holds them.
const std::vector<std::pair<std::wstring, std::wstring>> kSettings = {
    {L"SpeakerConfig", L"01000000"}, {L"EqEnable", L"01"}, {L"DHEnable", L"01000000"}};

// The card as it is before the new profile is applied: none of the three settings.
void CardWithoutTheSettings() {
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"04000000"));
    sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"00"));
    sim::SetSimLiveValue(L"DHEnable", HexToBytes(L"00000000"));
}

bool CardHasTheSettings() {
    for (const auto& [name, hex] : kSettings)
        if (sim::SimLiveValue(name) != HexToBytes(hex)) return false;
    return true;
}

class Journey : public ProfilesFixture {
protected:
    // From the tray menu to the new profile stored under kNewName; `create` makes it in the
    // open editor and closes the editor.
    void Run(const std::function<void(frmProfile&)>& create) {
        Store(L"Old", L"EqEnable", L"00");
        Store(L"Old", L"SpeakerConfig", L"04000000");
        CardWithoutTheSettings();
        frmKalvenor* form = &StartProgram();
        ASSERT_TRUE(form->MenuItemEnabled(kMenuProfilesEditor));

        // The manager from the tray menu.
        ASSERT_TRUE(ChooseFromTrayMenu(*form, kMenuProfilesEditor));
        ASSERT_TRUE(PumpForms([] { return ProfilesForm() != nullptr; }));
        frmProfiles* manager = ProfilesForm();
        EXPECT_EQ(Names(*manager), std::vector<std::wstring>{L"Old"});

        // New: the editor for a new profile; the user sets it up and saves it.
        ASSERT_TRUE(User::Click(manager->Ctl(L"cmdNew")));
        ASSERT_TRUE(PumpForms([] { return ProfileEditor() != nullptr; }));
        frmProfile& editor = *ProfileEditor();
        EXPECT_EQ(editor.Caption(), L"Create New Profile");
        EXPECT_EQ(editor.Tag(), L"");
        create(editor);
        ASSERT_TRUE(PumpForms([] { return ProfileEditor() == nullptr; }));
        ASSERT_TRUE(RegKeyExists(Profile(kNewName)));

        // In the list, selected, and on the tray menu, the name whole.
        const std::vector<std::wstring> names = Names(*manager);
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(manager->CurrentProfile(), kNewName);
        EXPECT_EQ(Cell(*manager, kNewName, 1), L"Rear HP");
        const std::vector<std::wstring> menu = form->ProfileMenuCaptions();
        EXPECT_NE(std::find(menu.begin(), menu.end(), kNewName), menu.end());

        // Activate: the card takes the three settings, and the profile turns bold.
        sim::ClearSimRequestLog();
        ASSERT_TRUE(User::Click(manager->Ctl(L"cmdActivate")));
        EXPECT_TRUE(CardHasTheSettings());
        EXPECT_FALSE(Writes().empty());
        EXPECT_EQ(ActiveProfile(), kNewName);
        EXPECT_TRUE(Bold(*manager, kNewName));
        const int checked = static_cast<int>(std::find(form->ProfileNames().begin(), form->ProfileNames().end(), kNewName) -
                                             form->ProfileNames().begin());
        EXPECT_TRUE(form->ProfileItemChecked(checked));

        // "Default Profile...": the start-up page of the options, where the user picks it.
        ASSERT_TRUE(User::Click(manager->Ctl(L"cmdDefaultProfile")));
        frmOptions* options = OptionsForm();
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(options->CurrentTab(), 1);
        auto& startup = options->Get<CheckBox>(L"chkStartupAudio", 0);
        if (startup.Value() != 1) {
            ASSERT_TRUE(User::Click(startup));
        }
        auto& list = options->Get<ComboBox>(L"cboDefaultProfile");
        int at = -1;
        for (int i = 0; i < list.ListCount(); ++i)
            if (list.List(i) == kNewName) at = i;
        ASSERT_GE(at, 0);
        ASSERT_TRUE(User::ChooseItem(list, at));
        EXPECT_EQ(GetDefaultProfile(), kNewName);
        ASSERT_TRUE(User::Click(options->Ctl(L"cmdClose")));
        // The list shows the default's mark.
        EXPECT_EQ(Row(*manager, kNewName).IconIndex(), kIconHeadphones + manager->ProfileIcons().ImageCount() / 2);

        // Delete the other profile, answering the question as the user.
        ClickRow(*manager, L"Old");
        kaltest::DialogAnswerer answers;
        answers.button = IDYES;
        answers.Run([&] { User::Click(manager->Ctl(L"cmdDelete")); });
        ASSERT_EQ(answers.seen.size(), 1u);
        EXPECT_FALSE(RegKeyExists(Profile(L"Old")));
        EXPECT_EQ(Names(*manager), std::vector<std::wstring>{kNewName});
        EXPECT_EQ(form->ProfileMenuCaptions(), std::vector<std::wstring>{kNewName});
        SaveWindowScreenshot(manager->hWnd(), L"frmProfiles", L"journey");

        // Exit from the tray menu; the card drifts away meanwhile; the program starts again.
        ASSERT_TRUE(ChooseFromTrayMenu(*form, kMenuClose));
        ASSERT_TRUE(PumpForms([&] { return !form->Loaded(); }));
        EXPECT_EQ(ProfilesForm(), nullptr);
        CardWithoutTheSettings();
        RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L""));
        form = &StartProgram();
        EXPECT_TRUE(CardHasTheSettings());
        EXPECT_EQ(ActiveProfile(), kNewName);

        // The manager again: the one profile, bold and marked.
        ASSERT_TRUE(ChooseFromTrayMenu(*form, kMenuProfilesEditor));
        ASSERT_TRUE(PumpForms([] { return ProfilesForm() != nullptr; }));
        EXPECT_TRUE(Bold(*ProfilesForm(), kNewName));
        EXPECT_EQ(Row(*ProfilesForm(), kNewName).IconIndex(), kIconHeadphones + ProfilesForm()->ProfileIcons().ImageCount() / 2);
        SaveWindowScreenshot(ProfilesForm()->hWnd(), L"frmProfiles", L"after-restart");
    }
};

// The journey with the profile written where the editor's Save writes it: the editor opened by
// New is real, and its closing refreshes the manager with the name it saved under. This keeps
// the manager's side of the journey tested whatever the editor's controls do.
TEST_F(Journey, FromTheTrayWithTheProfileStoredWhereTheEditorSavesIt) {
    Run([](frmProfile& editor) {
        Store(kNewName, L"PanelConfig", L"00000000");
        Store(kNewName, L"SpDigitalOut", L"00000000");
        for (const auto& [name, hex] : kSettings) Store(kNewName, name, hex.c_str());
        editor.LastProfileName = kNewName;
        ASSERT_TRUE(User::Click(editor.Ctl(L"cmdCancel")));
    });
}

// The same journey with the user's hands in the editor: the output, the equalizer and Dolby
// Headphones chosen, the name typed, Save pressed and its message acknowledged.
TEST_F(Journey, FromTheTrayThroughTheEditorsSaveButton) {
    Run([](frmProfile& editor) {
        auto& output = editor.Get<ComboBox>(L"cboAnalogOutput");
        int phones = -1;
        for (int i = 0; i < output.ListCount(); ++i)
            if (output.List(i) == L"Rear Headphones") phones = i;
        ASSERT_GE(phones, 0);
        ASSERT_TRUE(User::ChooseItem(output, phones));
        editor.imgTab_Click(2);
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQ", 1)));
        editor.imgTab_Click(0);
        ASSERT_TRUE(User::Click(editor.Ctl(L"chkDolbyHeadphones")));
        ASSERT_TRUE(User::SetText(editor.Get<TextBox>(L"txtProfileName"), kNewName));
        kaltest::DialogAnswerer answers;
        answers.Run([&] { ASSERT_TRUE(User::Click(editor.Ctl(L"cmdSave"))); });
        ASSERT_EQ(answers.seen.size(), 1u);
        EXPECT_EQ(answers.seen[0].text, L"Profile successfully saved.");
        for (const auto& [name, hex] : kSettings) EXPECT_EQ(RegReadBytes(Profile(kNewName), name), HexToBytes(hex)) << name;
    });
}

}  // namespace
