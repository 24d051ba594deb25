// Every window of the editor in the interface font, at 96 dots per inch and in a child process
// at 144: each control inside its frame, page or window, apart from the others, its text whole,
// and within the screen's work area at some position of the window's scroll bar. The editor on
// every page with each effect panel opened, for speakers and for headphones; its three dialogs;
// the real-time window; the profile manager. Then the editor used by hand where the screen is
// shorter than it. The scaled tests also run on 1920x1080 and 1366x768 screens less their taskbars
// (the ctest entries editor_1920x1040 and editor_1366x728).
#include "tests/editor/profiles_fixture.h"

#include "editor/customcontrolsdialog.h"
#include "editor/hpampdialog.h"
#include "editor/swapsdialog.h"
#include "listview/formhost.h"
#include "tests/common/layout_probe.h"
#include "tests/tray/dialog_answerer.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"

using namespace kal;
using namespace kal::testing;

namespace {

RECT OnScreen(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

// Whole in the part of the form's client area that lies on the work area.
bool InSight(const Form& form, const Control& c) {
    RECT client{}, seen{}, both{};
    ::GetClientRect(form.hWnd(), &client);
    ::MapWindowPoints(form.hWnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT work = WorkAreaOf(form.hWnd());
    ::IntersectRect(&seen, &client, &work);
    const RECT r = OnScreen(c.Window());
    return ::IntersectRect(&both, &r, &seen) && ::EqualRect(&both, &r);
}

POINT Centre(const Control& c) {
    const RECT r = OnScreen(c.Window());
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class WindowFit : public ProfilesFixture {
protected:
    // The speakers of the shifter's field stand on each other where the layout puts them.
    static constexpr LayoutByDesign kSpeakersStacked{.stacked = {L"VSSSpeaker"}};

    static std::string At(const std::string& window) { return window + " at " + std::to_string(ScreenDpi()) + " dpi"; }

    // Each tab page, then each effect panel of the Output page opened in turn.
    static void ExpectEditorWhole(frmProfile& editor, const std::string& window) {
        static const char* const pages[] = {"Output", "Mixer", "Equalizer / FlexBass", "AEC"};
        for (int i = 0; i < 4; ++i) {
            if (!editor.Ctl(L"imgTab", i).Visible()) continue;
            editor.imgTab_Click(i);
            ExpectWholeLayout(editor, At(window + ", " + pages[i] + " page"), kSpeakersStacked);
        }
        editor.imgTab_Click(0);
        const struct {
            const wchar_t *expand, *mode;
            const char* name;
        } panels[] = {{L"chkVSSExpand", nullptr, "Virtual Speaker Shifter"},
                      {L"chkPL2xExpand", L"optPL2xMode", "Dolby ProLogic IIx"},
                      {L"chkNEOExpand", L"optNEOMode", "DTS NEO:PC"}};
        for (const auto& panel : panels) {
            auto& expand = editor.Get<CheckBox>(panel.expand);
            if (!::IsWindowVisible(expand.Window())) continue;
            expand.SetValue(1);
            // Music mode shows the sliders and their labels too.
            if (panel.mode) editor.Get<OptionButton>(panel.mode, 0).SetValue(true);
            ExpectWholeLayout(editor, At(window + ", " + panel.name + " panel open"), kSpeakersStacked);
            expand.SetValue(0);
        }
    }

    static void ExpectDialogWhole(const Form* dialog, const std::string& window) {
        ASSERT_NE(dialog, nullptr) << window;
        Pump(30);
        ExpectWholeLayout(*dialog, At(window));
    }
};

TEST_F(WindowFit, EveryWindowKeepsItsControlsInsideAndTheirTextsWhole) {
    const bool scaled = InDpiChild();
    gDPI = ScreenDpi();
    ASSERT_EQ(gDPI, scaled ? 144 : 96);
    gUIFont = GetSystemFont();  // as the program starts
    ExpectTheScreenAskedFor();

    // Speakers: the editor of a new profile, the swaps dialog for 7.1, the custom controls of a
    // recording line.
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"07000000"));
    frmProfile& editor = OpenEditor(L"");
    ExpectEditorWhole(editor, "profile editor, speakers");
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdAnalogOutputSettings")));
    ASSERT_NO_FATAL_FAILURE(ExpectDialogWhole(AnalogOutputSettingsDialog(), "analog output settings, 7.1"));
    AnalogOutputSettingsDialog()->Unload();
    editor.imgTab_Click(1);
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkRecordSet", 0)));
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdRecordExtraOptions", 0)));
    ASSERT_NO_FATAL_FAILURE(ExpectDialogWhole(InputLineCustomControlsDialog(), "input line custom controls"));
    InputLineCustomControlsDialog()->Unload();
    CloseEditor();

    // Headphones on a card with a front panel and an amplifier: the editor with their panels and
    // the amplifier's button, its gain dialog.
    UseEditorCard(kSTX);
    Store(L"Amp", L"SpeakerConfig", L"01000000");
    frmProfile& amp = OpenEditor(L"Amp");
    ExpectEditorWhole(amp, "profile editor, headphones");
    ASSERT_TRUE(User::Click(amp.Ctl(L"cmdHpAmp")));
    ExpectDialogWhole(HpImpedanceDialog(), "headphone gain");
    CloseEditor();

    // The real-time window, and its swaps dialog for headphones.
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
    frmProfile& realTime = OpenRealTime();
    ExpectEditorWhole(realTime, "real-time settings");
    ASSERT_TRUE(User::Click(realTime.Ctl(L"cmdAnalogOutputSettings")));
    ASSERT_NO_FATAL_FAILURE(ExpectDialogWhole(AnalogOutputSettingsDialog(), "analog output settings, headphones"));
    AnalogOutputSettingsDialog()->Unload();
    CloseEditor();

    frmProfiles& manager = OpenManager();
    ExpectWholeLayout(manager, At("profile manager"));
    // The profile list, placed outside the manager's table, is measured too: drawn down over the
    // buttons under it, it is reported on them.
    TwipsRect list = PlacementOf(manager.Profiles());
    list.height = manager.cmdNew->Top() + manager.cmdNew->Height() - list.top;
    MoveTo(manager.Profiles(), list);
    const LayoutFaults faults = MeasureLayout(manager);
    for (const char* button : {"cmdNew", "cmdEdit", "cmdDelete"})
        EXPECT_EQ(faults.overlapping.count(std::string("KalvenorListView#1 ") + button), 1u) << button;
    if (scaled) MarkDpiChildDone();
}

TEST(WindowFitScaled, EveryWindowKeepsItsControlsInsideAndTheirTextsWholeAt144Dpi) {
    EXPECT_TRUE(RunTestsAtDpi(L"WindowFit.EveryWindowKeepsItsControlsInsideAndTheirTextsWhole", 144));
}

// A new profile made by hand: at 96 dots per inch the editor fits the screen as designed; at 144
// it is taller than the screen's work area, so it stands on the work area and scrolls. The
// keyboard's focus brings what it reaches into sight, the wheel over the lists scrolls the window
// unless the list has the focus, the wheel brings Save, and a click on it saves the profile.
TEST_F(WindowFit, ANewProfileIsSavedWithTheMouse) {
    const bool scaled = InDpiChild();
    gDPI = ScreenDpi();
    ASSERT_EQ(gDPI, scaled ? 144 : 96);
    gUIFont = GetSystemFont();
    ExpectTheScreenAskedFor();
    UseEditorCard(kD2);
    // A card set to 7.1, which offers the upmix.
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"07000000"));
    frmProfile& editor = OpenEditor(L"");
    const HWND window = editor.hWnd();
    const RECT work = WorkAreaOf(window), outer = OnScreen(window);
    RECT client{};
    ::GetClientRect(window, &client);
    const int designed = TwipsToPixelsY(MakeEditorDesign().layout.height);
    const bool tall = (outer.bottom - outer.top) - client.bottom + designed > work.bottom - work.top;
    ASSERT_EQ(tall, scaled) << "the editor at " << gDPI << " dpi on a screen " << work.bottom - work.top << " high";
    EXPECT_EQ((::GetWindowLongW(window, GWL_STYLE) & WS_VSCROLL) != 0, tall);
    EXPECT_GE(outer.top, work.top);
    EXPECT_LE(outer.bottom, work.bottom);
    if (!tall) {
        EXPECT_EQ(client.bottom, designed);
    }
    Control& save = editor.Ctl(L"cmdSave");
    EXPECT_EQ(InSight(editor, save), !tall);

    // SVN enabled with a click.
    Control& svn = editor.Ctl(L"optSVN", 1);
    ASSERT_TRUE(InSight(editor, svn));
    ClickScreen(Centre(svn));
    ASSERT_TRUE(PumpForms([&] { return editor.Get<OptionButton>(L"optSVN", 1).Value(); }));

    // Tab from Live Mode reaches Save, and Tab from Cancel the name box at the top.
    ::SetFocus(editor.Ctl(L"chkLiveMode").Window());
    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), save.Window());
    EXPECT_TRUE(InSight(editor, save));
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    ASSERT_EQ(::GetFocus(), editor.Ctl(L"cmdCancel").Window());
    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), editor.Ctl(L"txtProfileName").Window());
    EXPECT_TRUE(InSight(editor, editor.Ctl(L"txtProfileName")));
    EXPECT_EQ(InSight(editor, save), !tall);

    // In a window that scrolls, the wheel over a list that the user has not picked scrolls the
    // window: the list keeps its choice, and neither Windows nor the card (live mode sends each
    // choice at once) hear of it. The list with the focus takes the wheel.
    if (tall) {
        ASSERT_FALSE(editor.LiveProfileName().empty());
        // Windows' speakers set to stereo.
        ASSERT_TRUE(User::ChooseItem(*editor.cboSpeakersLayout, IndexOf(*editor.cboSpeakersLayout, 2)));
        PumpForms(50);
        const auto speakers = [] { return gAudio->GetSpeakers(gPlaybackLineIds[0]); };
        const auto turn = [&](ComboBox& list) {
            ::SendMessageW(editor.hWnd(), WM_VSCROLL, SB_TOP, 0);
            PumpForms(50);
            EXPECT_TRUE(InSight(editor, list));
            sim::ClearSimRequestLog();
            const int top = editor.ScrollTop(), chosen = list.ListIndex();
            TurnWheel(Centre(list), -1);
            PumpForms([&] { return editor.ScrollTop() != top || list.ListIndex() != chosen; }, 1000);
            return editor.ScrollTop() != top;
        };
        for (ComboBox* list : {editor.cboSpeakersLayout, editor.cboStereoUpmix}) {
            const int chosen = list->ListIndex(), channels = speakers();
            EXPECT_TRUE(turn(*list)) << list->Name();
            EXPECT_EQ(list->ListIndex(), chosen);
            EXPECT_EQ(speakers(), channels);
            EXPECT_EQ(Writes(), std::vector<std::wstring>{});
        }
        ComboBox& upmix = *editor.cboStereoUpmix;
        const int chosen = upmix.ListIndex();
        ASSERT_LT(chosen + 1, upmix.ListCount());
        ::SetFocus(upmix.Window());
        EXPECT_FALSE(turn(upmix));
        EXPECT_EQ(upmix.ListIndex(), chosen + 1);
        EXPECT_NE(Writes(), std::vector<std::wstring>{});
        ::SetFocus(editor.Ctl(L"txtProfileName").Window());
    }

    // A name; the wheel brings Save into sight, and a click on it saves, while the focus stays
    // in the name box that the wheel took out of sight.
    ASSERT_TRUE(User::SetText(editor.Get<TextBox>(L"txtProfileName"), L"Tall"));
    for (int notch = 0; notch < 10 && !InSight(editor, save); ++notch) {
        TurnWheel(Centre(svn), -1);
        PumpForms(100);
    }
    ASSERT_TRUE(InSight(editor, save));
    SaveWindowScreenshot(window, L"frmProfile", scaled ? L"scrolled-to-save-144dpi" : L"save-96dpi");
    kaltest::DialogAnswerer().Run([&] {
        ClickScreen(Centre(save));
        PumpForms([] { return ProfileEditor() == nullptr; });
    });
    // Saved and closed. (In the child process the parent answers the message box as well.)
    EXPECT_EQ(ProfileEditor(), nullptr);
    EXPECT_EQ(RegReadBytes(Profile(L"Tall"), L"SmartVolumeParams"), HexToBytes(L"01000000"));
    if (scaled) MarkDpiChildDone();
}

TEST(WindowFitScaled, ANewProfileIsSavedWithTheMouseAt144Dpi) {
    EXPECT_TRUE(RunTestsAtDpi(L"WindowFit.ANewProfileIsSavedWithTheMouse", 144));
}

}  // namespace
