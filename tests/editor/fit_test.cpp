// Every window of the editor in the interface font, at 96 dots per inch and in a child process
// at 144: each control inside its frame, page or window, and each text whole. The editor on
// every page with each effect panel opened, for speakers and for headphones; its three dialogs;
// the real-time window; the profile manager.
#include "tests/editor/profiles_fixture.h"

#include "editor/customcontrolsdialog.h"
#include "editor/hpampdialog.h"
#include "editor/swapsdialog.h"
#include "tests/common/layout_probe.h"
#include "toolkit/font.h"

using namespace kal;
using namespace kal::testing;

namespace {

class WindowFit : public ProfilesFixture {
protected:
    static std::string At(const std::string& window) { return window + " at " + std::to_string(ScreenDpi()) + " dpi"; }

    // Each tab page, then each effect panel of the Output page opened in turn.
    static void ExpectEditorWhole(frmProfile& editor, const std::string& window) {
        static const char* const pages[] = {"Output", "Mixer", "Equalizer / FlexBass", "AEC"};
        for (int i = 0; i < 4; ++i) {
            if (!editor.Ctl(L"imgTab", i).Visible()) continue;
            editor.imgTab_Click(i);
            ExpectWholeLayout(editor, At(window + ", " + pages[i] + " page"));
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
            ExpectWholeLayout(editor, At(window + ", " + panel.name + " panel open"));
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

    ExpectWholeLayout(OpenManager(), At("profile manager"));
    if (scaled) MarkDpiChildDone();
}

TEST(WindowFitScaled, EveryWindowKeepsItsControlsInsideAndTheirTextsWholeAt144Dpi) {
    EXPECT_TRUE(RunTestsAtDpi(L"WindowFit.EveryWindowKeepsItsControlsInsideAndTheirTextsWhole", 144));
}

}  // namespace
