// The profile manager as the user meets it: the rows with their output, key, summary and icon,
// the default profile's mark, the bold active profile following the card, the buttons and their
// keys, deleting with the question, and the window's size kept in the settings.
#include "tests/editor/profiles_fixture.h"

#include "device/displaytexts.h"
#include "listview/formhost.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "tests/common/window_probes.h"
#include "tests/tray/dialog_answerer.h"
#include "tray/hotkeys.h"
#include "tray/options.h"
#include "tray/trayicon.h"
#include "tray/update.h"

using namespace kal;
using namespace kal::testing;

namespace {

class ProfileManager : public ProfilesFixture {};

std::wstring SourceFile(const char* relative) { return SourceTreePath(KALVENOR_SOURCE_DIR, relative); }

std::vector<std::uint8_t> IconPixelsAt(const zephImageList& icons, int index) {
    UniqueIcon icon(::ImageList_GetIcon(icons.hIml(), index, ILD_NORMAL));
    const IconPixels p = ReadIconPixels(icon.get());
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t px : p.argb)
        for (int s = 0; s < 32; s += 8) bytes.push_back(static_cast<std::uint8_t>(px >> s));
    return bytes;
}

TEST_F(ProfileManager, WithoutProfilesTheListIsEmptyAndOnlyNewDefaultAndCloseWork) {
    RegDeleteValue(gRegRoot, L"Profiles,LastWidth");
    frmProfiles& manager = OpenManager();
    EXPECT_EQ(manager.Caption(), GetVersionString() + L" - Profiles");
    EXPECT_EQ(manager.Profiles().ListItems().Count(), 0);
    cColumns columns = manager.Profiles().Columns();
    ASSERT_EQ(columns.Count(), 4);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(columns.item(i).Text(), (std::vector<std::wstring>{L"Name", L"Output", L"Shortcut", L"Description"}[i - 1]));
    for (const wchar_t* off : {L"cmdEdit", L"cmdDelete", L"cmdActivate"}) EXPECT_FALSE(Enabled(manager, off)) << off;
    for (const wchar_t* on : {L"cmdNew", L"cmdDefaultProfile", L"cmdClose"}) EXPECT_TRUE(Enabled(manager, on)) << on;
    EXPECT_FALSE(User::Click(manager.Ctl(L"cmdEdit")));

    // The list has the keys from the opening on; those of the disabled buttons do nothing: no
    // question, no editor.
    EXPECT_EQ(::GetFocus(), manager.Profiles().hWndListView());
    kaltest::DialogAnswerer answers;
    answers.Run([&] {
        PressKey(VK_DELETE);
        PressKey(VK_RETURN);
        PumpForms(300);
    });
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(ProfileEditor(), nullptr);

    // A first opening: the designed size, centred on the screen.
    RECT r{};
    ::GetWindowRect(manager.hWnd(), &r);
    EXPECT_EQ(r.right - r.left, TwipsToPixelsX(kProfilesMinWidth));
    EXPECT_EQ(r.bottom - r.top, TwipsToPixelsY(kProfilesMinHeight));
    EXPECT_NEAR(r.left, (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2, 1);
    EXPECT_NEAR(r.top, (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 1);
    SaveWindowScreenshot(manager.hWnd(), L"frmProfiles", L"empty");

    // The window comes again after closing, with the buttons working on the new rows.
    EXPECT_TRUE(User::Click(manager.Ctl(L"cmdClose")));
    EXPECT_EQ(ProfilesForm(), nullptr);
    Store(L"Music", L"EqEnable", L"01");
    frmProfiles& again = OpenManager();
    EXPECT_EQ(Names(again), std::vector<std::wstring>{L"Music"});
    EXPECT_TRUE(Row(again, L"Music").Selected());
    EXPECT_TRUE(Enabled(again, L"cmdEdit"));
}

TEST_F(ProfileManager, RowsShowOutputKeySummaryAndIconsWithTheDefaultMarked) {
    Store(L"Phones", L"PanelConfig", L"01000000");
    Store(L"Phones", L"SpeakerConfig", L"01000000");
    Store(L"Phones", L"SpDigitalOut", L"00000000");
    Store(L"Cinema", L"PanelConfig", L"00000000");
    Store(L"Cinema", L"SpeakerConfig", L"06000000");
    Store(L"Cinema", L"Shortcut", L"3106");
    Store(L"Cinema", L"EqEnable", L"01");
    Store(L"Digital", L"SpDigitalOut", L"10000000");
    Store(L"Digital", L"SpeakerConfig", L"01000000");
    Store(L"Bare", L"EqEnable", L"00");
    Store(L"Own", L"SpeakerConfig", L"01000000");
    RegWrite(Profile(L"Own"), L"CustomIcon", SourceFile("resources/icons/program.ico") + L"|0");
    Store(L"Gone", L"SpeakerConfig", L"07000000");
    RegWrite(Profile(L"Gone"), L"CustomIcon", std::wstring(L"Z:\\no\\such\\file.ico|1"));
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"Phones"));

    frmProfiles& manager = OpenManager();
    EXPECT_EQ(Names(manager).size(), 6u);
    EXPECT_EQ(Cell(manager, L"Phones", 1), L"Front HP");
    EXPECT_EQ(Cell(manager, L"Cinema", 1), L"Rear 5.1");
    EXPECT_EQ(Cell(manager, L"Cinema", 2), L"CTRL+ALT+1");
    EXPECT_EQ(Cell(manager, L"Digital", 1), L"SPDIF DDL");
    EXPECT_EQ(Cell(manager, L"Gone", 1), L"7.1");
    // Nothing stored about the output: no text made up from the driver's defaults.
    EXPECT_EQ(Cell(manager, L"Bare", 1), L"");
    EXPECT_EQ(Cell(manager, L"Bare", 2), L"");
    EXPECT_EQ(Cell(manager, L"Cinema", 3), ProfileSummary(L"Cinema"));
    EXPECT_FALSE(Cell(manager, L"Cinema", 3).empty());

    // Images: HP, SPEAKERS, SPDIF, the one usable custom icon, then all four again marked.
    const zephImageList& icons = manager.ProfileIcons();
    ASSERT_EQ(icons.ImageCount(), 8);
    EXPECT_EQ(Row(manager, L"Phones").IconIndex(), 0 + 4);  // the default: its marked twin
    EXPECT_EQ(Row(manager, L"Cinema").IconIndex(), 1);
    EXPECT_EQ(Row(manager, L"Digital").IconIndex(), 2);
    EXPECT_EQ(Row(manager, L"Bare").IconIndex(), 1);
    EXPECT_EQ(Row(manager, L"Own").IconIndex(), 3);
    EXPECT_EQ(Row(manager, L"Gone").IconIndex(), 1);
    // The unloadable icon file is forgotten; the working one stays.
    EXPECT_FALSE(RegReadText(Profile(L"Gone"), L"CustomIcon"));
    EXPECT_TRUE(RegReadText(Profile(L"Own"), L"CustomIcon"));
    // The twin is the same picture with the mark drawn over it.
    for (int i = 0; i < 4; ++i) EXPECT_NE(IconPixelsAt(icons, i), IconPixelsAt(icons, i + 4)) << i;
    UniqueIcon mark = LoadIconFromResource(L"KV_SELECT", 32, 32);
    ASSERT_TRUE(mark);
    UniqueIcon plain(::ImageList_GetIcon(icons.hIml(), 1, ILD_NORMAL));
    UniqueIcon merged = MergeIcons(mark.get(), plain.get());
    UniqueIcon twin(::ImageList_GetIcon(icons.hIml(), 5, ILD_NORMAL));
    EXPECT_EQ(ReadIconPixels(merged.get()).argb, ReadIconPixels(twin.get()).argb);

    // Each row carries the interface font's face and size.
    ASSERT_TRUE(gUIFont);
    const auto font = Row(manager, L"Bare").Font();
    ASSERT_TRUE(font);
    EXPECT_EQ(font->name, gUIFont->name);
    EXPECT_EQ(font->size, gUIFont->size);
    SaveWindowScreenshot(manager.hWnd(), L"frmProfiles", L"rows");

    // Another default moves the mark.
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"Own"));
    manager.UpdateProfiles(L"Own", false);
    EXPECT_EQ(Row(manager, L"Own").IconIndex(), 3 + 4);
    EXPECT_EQ(Row(manager, L"Phones").IconIndex(), 0);
    EXPECT_TRUE(Row(manager, L"Own").Selected());
}

TEST_F(ProfileManager, OutputTextsOfEveryStoredCombination) {
    auto text = [](const wchar_t* spdif, const wchar_t* panel, const wchar_t* speakers) {
        auto value = [](const wchar_t* hex) { return hex ? std::optional<Bytes>(HexToBytes(hex)) : std::nullopt; };
        const OutputSummary out = DescribeOutput(value(spdif), value(panel), value(speakers));
        return out.text + L"#" + std::to_wstring(out.icon);
    };
    EXPECT_EQ(text(L"20000000", L"00000000", L"01000000"), L"SPDIF DTS#2");
    EXPECT_EQ(text(L"03000000", nullptr, nullptr), L"SPDIF DTS#2");
    EXPECT_EQ(text(L"02000000", L"00000000", L"04000000"), L"Rear 2.0#1");
    EXPECT_EQ(text(nullptr, L"01000000", L"03000000"), L"Front 4.0#1");
    EXPECT_EQ(text(nullptr, L"00000000", L"07000000"), L"Rear 7.1#1");
    EXPECT_EQ(text(nullptr, L"00000000", L"09000000"), L"Rear#1");
    EXPECT_EQ(text(nullptr, L"00000000", nullptr), L"Rear#1");
    EXPECT_EQ(text(nullptr, nullptr, L"01000000"), L"HP#0");
    EXPECT_EQ(text(nullptr, nullptr, nullptr), L"#1");
}

TEST_F(ProfileManager, BoldFollowsTheActiveProfileWhileTheCardStillMatchesIt) {
    Store(L"Loud", L"EqEnable", L"01");
    Store(L"Calm", L"EqEnable", L"00");
    frmKalvenor& form = StartProgram();
    ASSERT_TRUE(form.HotkeysEnabled());
    frmProfiles& manager = OpenManager();
    EXPECT_FALSE(Bold(manager, L"Loud"));

    ClickRow(manager, L"Loud");
    EXPECT_EQ(manager.CurrentProfile(), L"Loud");
    ASSERT_TRUE(User::Click(manager.Ctl(L"cmdActivate")));
    EXPECT_EQ(ActiveProfile(), L"Loud");
    EXPECT_EQ(sim::SimLiveValue(L"EqEnable"), HexToBytes(L"01"));
    EXPECT_TRUE(Bold(manager, L"Loud"));
    EXPECT_FALSE(Bold(manager, L"Calm"));
    SaveWindowScreenshot(manager.hWnd(), L"frmProfiles", L"active");

    // Another program turns the equalizer off: the driver's key changes behind our back.
    sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"00"));
    EXPECT_TRUE(PumpForms([&] { return !Bold(manager, L"Loud"); }, 3000));
    // And back on: the card matches the profile again.
    sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"01"));
    EXPECT_TRUE(PumpForms([&] { return Bold(manager, L"Loud"); }, 3000));
}

TEST_F(ProfileManager, DeleteAsksFirstAndClearsTheDefaultOnlyWhenItNamedTheProfile) {
    Store(L"Keep", L"EqEnable", L"01");
    Store(L"Drop", L"EqEnable", L"00");
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"Keep"));
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Drop"));
    frmProfiles& manager = OpenManager();
    ClickRow(manager, L"Drop");

    kaltest::DialogAnswerer answers;
    answers.button = IDNO;
    answers.Run([&] { User::Click(manager.Ctl(L"cmdDelete")); });
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].title, L"Kalvenor");
    EXPECT_EQ(answers.seen[0].text, L"Delete profile \"Drop\"?");
    EXPECT_TRUE(RegKeyExists(Profile(L"Drop")));

    answers.button = IDYES;
    answers.Run([&] { User::Click(manager.Ctl(L"cmdDelete")); });
    EXPECT_FALSE(RegKeyExists(Profile(L"Drop")));
    EXPECT_EQ(Names(manager), std::vector<std::wstring>{L"Keep"});
    EXPECT_EQ(GetDefaultProfile(), L"Keep");
    EXPECT_EQ(ActiveProfile(), L"Drop");  // the last applied stays as it was
    EXPECT_TRUE(Row(manager, L"Keep").Selected());

    answers.Run([&] { User::Click(manager.Ctl(L"cmdDelete")); });
    EXPECT_FALSE(RegKeyExists(Profile(L"Keep")));
    EXPECT_FALSE(RegReadText(gRegRoot, L"DefaultProfile"));
    EXPECT_FALSE(Enabled(manager, L"cmdDelete"));
}

// The profiles after a deleted one move up the tray menu, and their keys stay theirs.
TEST_F(ProfileManager, DeleteLeavesTheLaterProfilesTheirKeys) {
    Store(L"A", L"EqEnable", L"01");
    Store(L"B", L"Shortcut", L"3206");  // Ctrl+Alt+2
    Store(L"C", L"Shortcut", L"3306");  // Ctrl+Alt+3
    frmKalvenor& form = StartProgram();
    ASSERT_FALSE(KeyIsFree(MOD_CONTROL | MOD_ALT, 0x32));
    ASSERT_FALSE(KeyIsFree(MOD_CONTROL | MOD_ALT, 0x33));
    ASSERT_TRUE(ChooseFromTrayMenu(form, kMenuProfilesEditor));
    ASSERT_TRUE(PumpForms([] { return ProfilesForm() != nullptr; }));
    frmProfiles& manager = *ProfilesForm();
    ClickRow(manager, L"A");
    kaltest::DialogAnswerer answers;
    answers.button = IDYES;
    answers.Run([&] { User::Click(manager.Ctl(L"cmdDelete")); });
    ASSERT_FALSE(RegKeyExists(Profile(L"A")));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_ALT, 0x32));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_ALT, 0x33));
}

TEST_F(ProfileManager, EnterInsertDeleteAndDoubleClickPressTheButtonsTheyStandFor) {
    Store(L"One", L"EqEnable", L"01");
    frmProfiles& manager = OpenManager();
    ClickRow(manager, L"One");
    auto editorTag = [] { return ProfileEditor() ? std::optional<std::wstring>(ProfileEditor()->Tag()) : std::nullopt; };

    // Enter with Ctrl or Shift is not Enter.
    PressKey(VK_RETURN, {VK_CONTROL});
    PressKey(VK_RETURN, {VK_SHIFT});
    PumpForms(300);
    EXPECT_EQ(ProfileEditor(), nullptr);

    PressKey(VK_RETURN);
    ASSERT_TRUE(PumpForms([] { return ProfileEditor() != nullptr; }));
    EXPECT_EQ(editorTag(), L"One");
    EXPECT_EQ(ProfileEditor()->LastProfileName, L"One");
    EXPECT_EQ(ProfileEditor()->Caption(), L"Edit Profile \"One\"");
    // The editor holds the manager back while it is open.
    EXPECT_FALSE(User::CanAct(manager.Ctl(L"cmdNew")));
    CloseEditor();
    PumpForms(100);
    EXPECT_TRUE(Row(manager, L"One").Selected());

    ClickRow(manager, L"One");
    PressKey(VK_INSERT);
    ASSERT_TRUE(PumpForms([] { return ProfileEditor() != nullptr; }));
    EXPECT_EQ(editorTag(), L"");
    EXPECT_EQ(ProfileEditor()->LastProfileName, L"One");
    EXPECT_EQ(ProfileEditor()->Caption(), L"Create New Profile");
    CloseEditor();

    ClickRow(manager, L"One", 2);
    ASSERT_TRUE(PumpForms([] { return ProfileEditor() != nullptr; }));
    EXPECT_EQ(editorTag(), L"One");
    CloseEditor();

    // Delete with any modifier asks.
    ClickRow(manager, L"One");
    kaltest::DialogAnswerer answers;
    answers.button = IDNO;
    answers.Run([&] {
        PressKey(VK_DELETE, {VK_SHIFT});
        PumpForms([&] { return !answers.seen.empty(); }, 2000);
        PumpForms(100);
    });
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, L"Delete profile \"One\"?");
    EXPECT_TRUE(RegKeyExists(Profile(L"One")));
}

TEST_F(ProfileManager, ResizeMovesTheButtonsAndTheSizeIsStoredForTheNextOpening) {
    Store(L"Wide", L"EqEnable", L"01");
    frmProfiles& manager = OpenManager();
    // The window refuses to become smaller than designed.
    ::SetWindowPos(manager.hWnd(), nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    RECT r{};
    ::GetWindowRect(manager.hWnd(), &r);
    EXPECT_EQ(r.right - r.left, TwipsToPixelsX(kProfilesMinWidth));
    EXPECT_EQ(r.bottom - r.top, TwipsToPixelsY(kProfilesMinHeight));

    ::SetWindowPos(manager.hWnd(), nullptr, 0, 0, 1000, 420, SWP_NOMOVE | SWP_NOZORDER);
    PumpForms(50);
    RECT client{};
    ::GetClientRect(manager.hWnd(), &client);
    const int innerWidth = PixelsToTwipsX(client.right), innerHeight = PixelsToTwipsY(client.bottom);
    const TwipsRect list = PlacementOf(manager.Profiles());
    EXPECT_NEAR(list.width, innerWidth - 240, 15);
    Control& newButton = manager.Ctl(L"cmdNew");
    EXPECT_NEAR(newButton.Top(), innerHeight - 120 - 375, 15);
    EXPECT_NEAR(list.top + list.height, newButton.Top() - 105, 30);  // the designed gap stays
    Control& close = manager.Ctl(L"cmdClose");
    Control& byDefault = manager.Ctl(L"cmdDefaultProfile");
    Control& activate = manager.Ctl(L"cmdActivate");
    EXPECT_NEAR(close.Left() + close.Width(), innerWidth - 120, 15);
    EXPECT_NEAR(byDefault.Left() + byDefault.Width(), close.Left() - 225, 15);
    const int deleteRight = manager.Ctl(L"cmdDelete").Left() + manager.Ctl(L"cmdDelete").Width();
    EXPECT_NEAR(activate.Left() - deleteRight, byDefault.Left() - (activate.Left() + activate.Width()), 30);
    for (const wchar_t* name : {L"cmdEdit", L"cmdDelete", L"cmdActivate", L"cmdDefaultProfile", L"cmdClose"})
        EXPECT_EQ(manager.Ctl(name).Top(), newButton.Top()) << name;
    EXPECT_EQ(manager.Ctl(L"cmdEdit").Left(), 1080);
    // The last column takes what the others leave.
    cColumns columns = manager.Profiles().Columns();
    float sum = 0;
    for (int i = 1; i <= 4; ++i) sum += columns.item(i).Width();
    EXPECT_LE(sum, static_cast<float>(list.width));
    SaveWindowScreenshot(manager.hWnd(), L"frmProfiles", L"resized");

    // 1000 x 420 pixels are 15000 x 6300 twips: hex 3A98 and 189C, stored as their digit pairs.
    manager.Unload();
    EXPECT_EQ(RegReadBytes(gRegRoot, L"Profiles,LastWidth"), HexToBytes(L"3A98"));
    EXPECT_EQ(RegReadBytes(gRegRoot, L"Profiles,LastHeight"), HexToBytes(L"189C"));

    frmProfiles& again = OpenManager();
    ::GetWindowRect(again.hWnd(), &r);
    EXPECT_EQ(r.right - r.left, 1000);
    EXPECT_EQ(r.bottom - r.top, 420);
    EXPECT_NEAR(r.left, (::GetSystemMetrics(SM_CXSCREEN) - 1000) / 2, 1);
    again.Unload();

    // A stored size as large as the screen is not taken; the other dimension still is.
    const int screenTwips = PixelsToTwipsX(::GetSystemMetrics(SM_CXSCREEN));
    RegWrite(gRegRoot, L"Profiles,LastWidth", EncodeStoredSize(screenTwips));
    frmProfiles& third = OpenManager();
    ::GetWindowRect(third.hWnd(), &r);
    EXPECT_LT(r.right - r.left, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, 420);
}

TEST_F(ProfileManager, StoredSizesReadBackAsTheyWereWritten) {
    EXPECT_EQ(EncodeStoredSize(4965), HexToBytes(L"1365"));
    EXPECT_EQ(EncodeStoredSize(12750), HexToBytes(L"31CE"));
    EXPECT_EQ(EncodeStoredSize(900), HexToBytes(L"0384"));
    // Five digits no longer fit two bytes: a third byte keeps the number whole.
    EXPECT_EQ(EncodeStoredSize(70000), HexToBytes(L"011170"));
    for (std::int32_t n : {4965, 12750, 900, 65535, 70000}) EXPECT_EQ(DecodeStoredSize(EncodeStoredSize(n)), n);
    EXPECT_EQ(DecodeStoredSize({}), std::nullopt);
    EXPECT_EQ(DecodeStoredSize(HexToBytes(L"0102030405")), std::nullopt);
}

TEST_F(ProfileManager, DefaultProfileButtonOpensTheStartupPageAndActivationClosesThePopup) {
    frmProfiles& manager = OpenManager();
    ASSERT_TRUE(User::Click(manager.Ctl(L"cmdDefaultProfile")));
    ASSERT_NE(OptionsForm(), nullptr);
    EXPECT_EQ(OptionsForm()->CurrentTab(), 1);

    // A stand-in for the volume pop-up: the manager's activation closes it.
    class Popup final : public Form {
    public:
        Popup() : Form(L"frmVolume") { Design(FormLayout(L"Volume"), {}); }
        ~Popup() override { Unload(); }
    } popup;
    popup.Show();
    PumpForms(50);
    ::SetForegroundWindow(manager.hWnd());
    ::SendMessageW(manager.hWnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(popup.Loaded());
}

}  // namespace
