// The master volume, SVN and custom icon handlers driven as the user drives them: the volume
// and balance reaching Windows in live mode, "Use last" and "Don't Change" putting back the
// level from before, SVN's "Don't Change", and choosing, refusing and removing an icon file.
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "base/registry.h"
#include "tests/common/window_probes.h"
#include "tests/editor/editor_fixture.h"
#include "tests/tray/dialog_answerer.h"

using namespace kal;
using namespace kal::testing;

namespace {

class MasterHandlers : public EditorFixture {
protected:
    static double CardVolume() {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, L"");
        return Fixed4ToDouble(volume);
    }
    static double CardBalance() {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, L"");
        return Fixed4ToDouble(balance);
    }
    static std::wstring SourceFile(const std::string& relative) {
        return SourceTreePath(KALVENOR_SOURCE_DIR, relative);
    }
    static kaltest::DialogAnswerer ChooseIcon(frmProfile& editor, const std::wstring& file) {
        kaltest::DialogAnswerer answers;
        answers.fileName = file;
        answers.Run([&] { User::Click(editor.Ctl(L"cmdIconChoose")); });
        return answers;
    }
};

TEST_F(MasterHandlers, OnlySetToSendsTheSlidersLevelTheOtherChoicesPutTheOldLevelBack) {
    UseEditorCard(kD2);
    SetVolumeBalance(60 * kCurrencyScale, 0, 0, 0);
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    auto& volume = editor.Get<Slider>(L"csliVolume");
    auto& balance = editor.Get<Slider>(L"csliMasterBalance");

    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVolume", 1)));
    EXPECT_TRUE(volume.Enabled());
    EXPECT_TRUE(editor.Ctl(L"cmdMasterBalanceReset").Enabled());
    ASSERT_TRUE(User::DragTo(volume, 30));
    EXPECT_NEAR(CardVolume(), 30, 0.6);
    EXPECT_EQ(editor.Ctl(L"lblMasterVolume").Caption(), L"30%");
    const std::wstring db = editor.Ctl(L"lblMasterVolumeDB").Caption();
    EXPECT_EQ(db.substr(db.size() - 2), L"dB");
    EXPECT_NE(db, L"0dB");
    ASSERT_TRUE(User::DragTo(balance, -5));
    EXPECT_NEAR(CardBalance(), -0.5, 0.05);
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdMasterBalanceReset")));
    EXPECT_EQ(balance.Value(), 0);
    EXPECT_NEAR(CardBalance(), 0, 0.05);

    for (int choice : {0, 255}) {
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVolume", 1)));
        ASSERT_TRUE(User::DragTo(volume, 20));
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVolume", choice)));
        EXPECT_FALSE(volume.Enabled()) << choice;
        EXPECT_FALSE(editor.Ctl(L"lblMasterVolume").Enabled()) << choice;
        EXPECT_EQ(volume.Value(), 60) << choice;
        EXPECT_NEAR(CardVolume(), 60, 0.6) << choice;
    }
    // Back to "Set to:": the slider gets its own level again and sends it.
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVolume", 1)));
    EXPECT_EQ(volume.Value(), 20);
    EXPECT_NEAR(CardVolume(), 20, 0.6);
}

// A slider left where it was (a key let go on it, a click on its thumb, the end of a drag) sends
// nothing in live mode: another program's level set meanwhile stays; the next move sends.
TEST_F(MasterHandlers, ASliderLeftWhereItWasSendsNothing) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    auto& volume = editor.Get<Slider>(L"csliVolume");
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVolume", 1)));
    ASSERT_TRUE(User::DragTo(volume, 30));
    ASSERT_NEAR(CardVolume(), 30, 0.6);
    SetVolumeBalance(60 * kCurrencyScale, 0, 0, 0);
    const UINT scroll = volume.Bar().Orientation() == cSlider::Horizontal ? WM_HSCROLL : WM_VSCROLL;
    for (WORD code : {TB_ENDTRACK, TB_THUMBPOSITION})
        ::SendMessageW(volume.Bar().HostWindow(), scroll, MAKEWPARAM(code, 0),
                       reinterpret_cast<LPARAM>(volume.Bar().hWnd()));
    EXPECT_NEAR(CardVolume(), 60, 0.6);
    ASSERT_TRUE(User::DragTo(volume, 40));
    EXPECT_NEAR(CardVolume(), 40, 0.6);
}

TEST_F(MasterHandlers, SetToStartsFromTheLevelShownNotFromFullVolume) {
    UseEditorCard(kD2);
    Store(L"UseLast", MixerValueName(0, 0, 0, 0), L"FF");
    Store(L"UseLast", MixerValueName(0, 0, 1, 0), L"FF");
    Store(L"NoVolume", L"SmartVolumeParams", L"01000000");
    // A new profile (in live mode), one with "Use last" and one without a volume all show the
    // card's level; "Set to:" starts from it.
    for (const wchar_t* profile : {L"", L"UseLast", L"NoVolume"}) {
        SetVolumeBalance(60 * kCurrencyScale, -3 * (kCurrencyScale / 10), 0, 0);
        frmProfile& editor = OpenEditor(profile);
        auto& volume = editor.Get<Slider>(L"csliVolume");
        auto& balance = editor.Get<Slider>(L"csliMasterBalance");
        EXPECT_EQ(volume.Value(), 60) << profile;
        ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optVolume", 1))) << profile;
        EXPECT_EQ(volume.Value(), 60) << profile;
        EXPECT_EQ(balance.Value(), -3) << profile;
        EXPECT_NEAR(CardVolume(), 60, 0.6) << profile;
        CloseEditor();
    }
}

TEST_F(MasterHandlers, SvnDontChangePutsBackOnlyWhatTheRestorePointHolds) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    ExpectDontChangePutsBackTheRestorePoint(editor, L"optSVN", L"SmartVolumeParams", editor.LiveProfileName());
}

TEST_F(MasterHandlers, AnIconIsChosenAFileThatIsNoIconIsRefusedAndDeleteClearsTheOverlay) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    EXPECT_FALSE(editor.Ctl(L"cmdIconDelete").Enabled());
    EXPECT_FALSE(editor.Ctl(L"chkVolumeOverlay").Enabled());
    editor.imgTab_Click(2);

    const std::wstring icon = SourceFile("resources/icons/kv_mute.ico");
    auto answers = ChooseIcon(editor, icon);
    ASSERT_FALSE(answers.seen.empty());
    EXPECT_EQ(answers.seen[0].title, L"Choose Icon");
    EXPECT_TRUE(answers.seen[0].fileDialog);
    EXPECT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(editor.IconFile(), icon);
    EXPECT_TRUE(editor.ProfileIcon32());
    EXPECT_TRUE(editor.Ctl(L"cmdIconDelete").Enabled());
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkVolumeOverlay")));
    EXPECT_EQ(editor.Get<CheckBox>(L"chkVolumeOverlay").Value(), 1);

    const std::wstring text = SourceFile("README.md");
    answers = ChooseIcon(editor, text);
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[1].title, editor.Caption());
    EXPECT_EQ(answers.seen[1].text, text + L" is not a valid icon file.");
    EXPECT_EQ(editor.IconFile(), icon);
    EXPECT_TRUE(editor.ProfileIcon32());
    EXPECT_EQ(editor.Get<CheckBox>(L"chkVolumeOverlay").Value(), 1);
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"icon-overlay");

    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdIconDelete")));
    EXPECT_EQ(editor.IconFile(), L"");
    EXPECT_FALSE(editor.ProfileIcon32());
    EXPECT_FALSE(editor.Ctl(L"cmdIconDelete").Enabled());
    EXPECT_EQ(editor.Get<CheckBox>(L"chkVolumeOverlay").Value(), 0);
    EXPECT_FALSE(editor.Ctl(L"chkVolumeOverlay").Enabled());
    // The next icon starts without the overlay.
    ChooseIcon(editor, icon);
    EXPECT_EQ(editor.IconFile(), icon);
    EXPECT_EQ(editor.Get<CheckBox>(L"chkVolumeOverlay").Value(), 0);
}

}  // namespace
