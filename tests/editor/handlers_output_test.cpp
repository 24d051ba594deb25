// The Output page, FlexBass and AEC handlers driven as the user drives them, against the
// simulated card in live mode: what reaches the card (and how many packets) per action, the
// restore point's value for "Don't Change", the own-change gate of the Windows speaker layout,
// and echo cancellation switched on and off again.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/transport.h"
#include "editor/controlvalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/swapsdialog.h"
#include "device/profilevalues.h"
#include "base/log.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "tests/editor/follow_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class OutputHandlers : public FollowCardFixture {
protected:
    static std::wstring Live(const wchar_t* name) {
        return BytesToHex(GetProfileValue(L"", name));
    }
    // Lets the next Windows change count as the user's, not as the echo of the program's own.
    static void ForgetOwnChange() { gLastSelfChange.store(::timeGetTime() - 5000); }
    static int WindowsSpeakers() { return gAudio->GetSpeakers(gPlaybackLineIds[0]); }
    // A new profile on a card with the 7.1 output chosen and the digital output switched on.
    frmProfile& OpenWithDigitalOutput() {
        UseEditorCard(kD2);
        frmProfile& editor = OpenEditor(L"");
        auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
        EXPECT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0007)));
        auto& spdif = editor.Get<CheckBox>(L"chkSPDIF");
        if (spdif.Value() == 0) {
            EXPECT_TRUE(User::Click(spdif));
        }
        return editor;
    }
};

TEST_F(OutputHandlers, SpeakerSizesAndFlexBassSendOnePacketPerChannel) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0006)));  // 5.1: all but the side pair
    editor.imgTab_Click(2);

    EXPECT_FALSE(editor.Ctl(L"csliCrossover").Enabled());
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 1)));
    EXPECT_EQ(Live(L"BassManagement").substr(0, 2), L"01");
    EXPECT_TRUE(editor.Ctl(L"csliCrossover").Enabled());
    EXPECT_TRUE(editor.Ctl(L"cboSpeakerSize", 1).Enabled());
    EXPECT_FALSE(editor.Ctl(L"cboSpeakerSize", 3).Enabled());
    // One request for FlexBass with its crossover, then one per output channel.
    EXPECT_EQ(Writes().size(), 1u + 8u);

    auto& centre = editor.Get<ComboBox>(L"cboSpeakerSize", 1);
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseItem(centre, 1 - centre.ListIndex()));
    EXPECT_EQ(Writes().size(), 1u);  // the centre only; the subwoofer keeps its size
    auto& front = editor.Get<ComboBox>(L"cboSpeakerSize", 0);
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseItem(front, 1 - front.ListIndex()));
    EXPECT_EQ(Writes().size(), 2u);

    // The crossover follows its slider; FlexBass off parks it at the driver's default.
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::DragTo(editor.Get<Slider>(L"csliCrossover"), 150));
    EXPECT_EQ(editor.Ctl(L"lblCrossoverValue").Caption(), L"150 Hz");
    EXPECT_EQ(Live(L"BassCornerFrequency").substr(0, 2), L"96");
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 0)));
    EXPECT_EQ(editor.Get<Slider>(L"csliCrossover").Value(),
              Nth(HexToBytes(gDriverDefaults.At(L"BassCornerFrequency")), 0));
    // The card keeps the crossover that Save writes.
    EXPECT_EQ(Live(L"BassManagement").substr(0, 2), L"00");
    EXPECT_EQ(Live(L"BassCornerFrequency").substr(0, 2), L"96");
    EXPECT_FALSE(editor.Ctl(L"cboSpeakerSize", 0).Enabled());
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 1)));
    EXPECT_EQ(editor.Get<Slider>(L"csliCrossover").Value(), 150);
}

TEST_F(OutputHandlers, FlexBassSwitchedOnAfterLoadingKeepsTheProfilesCrossoverAndSizes) {
    UseEditorCard(kD2);
    Store(L"Off", L"PanelConfig", L"00000000");
    Store(L"Off", L"SpeakerConfig", L"07000000");
    Store(L"Off", L"BassManagement", L"00000000");
    Store(L"Off", L"BassCornerFrequency", L"50000000");  // 80 Hz
    Store(L"Off", L"SpeakerSize", L"F7000000");          // every box "Large"
    frmProfile& editor = OpenEditor(L"Off");
    editor.imgTab_Click(2);
    auto& crossover = editor.Get<Slider>(L"csliCrossover");
    EXPECT_FALSE(crossover.Enabled());
    EXPECT_EQ(crossover.Value(), 80);
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 1)));
    EXPECT_TRUE(crossover.Enabled());
    EXPECT_EQ(crossover.Value(), 80);
    EXPECT_EQ(editor.Ctl(L"lblCrossoverValue").Caption(), L"80 Hz");
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(editor.Ctl(L"cboSpeakerSize", i).Enabled()) << i;
        EXPECT_EQ(editor.Get<ComboBox>(L"cboSpeakerSize", i).ListIndex(), 1) << i;
    }
    // Changed, then reloaded: FlexBass on again brings the profile's values, not the changes.
    ASSERT_TRUE(User::DragTo(crossover, 150));
    ASSERT_TRUE(User::ChooseItem(editor.Get<ComboBox>(L"cboSpeakerSize", 0), 0));
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdReset")));
    EXPECT_FALSE(crossover.Enabled());
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 1)));
    EXPECT_EQ(crossover.Value(), 80);
    EXPECT_EQ(editor.Get<ComboBox>(L"cboSpeakerSize", 0).ListIndex(), 1);

    // A size kept aside that is no number comes back as the first size, and is reported.
    std::vector<std::wstring> lines;
    struct Capture {
        LogSink previous;
        ~Capture() { SetLogSink(std::move(previous)); }
    } capture{SetLogSink([&lines](const std::wstring& line) { lines.push_back(line); })};
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 0)));
    editor.Get<ComboBox>(L"cboSpeakerSize", 0).SetTag(L"Large");
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 1)));
    EXPECT_EQ(editor.Get<ComboBox>(L"cboSpeakerSize", 0).ListIndex(), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L"Kalvenor: CountIn: no count in the tag \"Large\""), 1);
}

TEST_F(OutputHandlers, DigitalFormatsSwitchTheAnalogSideOffAndPcmBringsItBack) {
    frmProfile& editor = OpenWithDigitalOutput();
    auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
    auto& spdif = editor.Get<CheckBox>(L"chkSPDIF");
    auto& formats = editor.Get<ComboBox>(L"cboSPDIFOutput");
    ASSERT_TRUE(User::Click(spdif));
    EXPECT_FALSE(formats.Enabled());
    EXPECT_EQ(formats.ListIndex(), -1);
    EXPECT_EQ(Live(L"SpDigitalOut").substr(0, 2), L"00");

    ASSERT_TRUE(User::Click(spdif));
    EXPECT_EQ(formats.ListIndex(), 0);
    EXPECT_EQ(Live(L"SpDigitalOut").substr(0, 2), L"02");

    ASSERT_TRUE(User::ChooseItem(formats, IndexOf(formats, 16)));
    EXPECT_EQ(Live(L"SpDigitalOut").substr(0, 2), L"10");
    EXPECT_EQ(editor.Ctl(L"fraEnhancements").Caption(), L"Digital Out &Enhancements");
    for (const wchar_t* name : {L"cboAnalogOutput", L"cmdAnalogOutputSettings", L"cmdHpAmp"}) {
        EXPECT_FALSE(editor.Ctl(name).Enabled()) << name;
    }
    // Dolby Digital Live carries 5.1: the mixer page offers six channels.
    EXPECT_TRUE(editor.Ctl(L"chkPlaybackSet", 5).Enabled());
    EXPECT_FALSE(editor.Ctl(L"chkPlaybackSet", 7).Enabled());

    ASSERT_TRUE(User::ChooseItem(formats, IndexOf(formats, 2)));
    EXPECT_EQ(Live(L"SpDigitalOut").substr(0, 2), L"02");
    EXPECT_EQ(editor.Ctl(L"fraEnhancements").Caption(), L"Analog Out &Enhancements");
    EXPECT_TRUE(outputs.Enabled());
    EXPECT_TRUE(editor.Ctl(L"cmdAnalogOutputSettings").Enabled());  // the 7.1 output's handler ran again
    EXPECT_TRUE(editor.Ctl(L"chkPlaybackSet", 7).Enabled());
}

// The format list is usable exactly while the digital output is on, as loaded too: no format
// reaches the card while the box shows the output off.
TEST_F(OutputHandlers, TheFormatListIsEnabledExactlyWhileTheDigitalOutputIsOn) {
    const struct {
        const wchar_t* stored;
        int box;
        std::intptr_t shown;
    } cases[] = {{L"00000000", 0, -1}, {L"02000000", 1, 2}, {L"20000000", 1, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.stored));
        UseEditorCard(kD2);
        Load(L"");
        Store(L"Digital", L"SpDigitalOut", c.stored);
        frmProfile& editor = OpenEditor(L"Digital");
        ClickLive(editor);
        ASSERT_FALSE(editor.LiveProfileName().empty());
        auto& formats = *editor.cboSPDIFOutput;
        EXPECT_EQ(editor.chkSPDIF->Value(), c.box);
        EXPECT_EQ(formats.Enabled(), c.box == 1);
        EXPECT_EQ(formats.ListIndex() < 0 ? -1 : SelectedItemData(formats), c.shown);
        if (c.box == 0) {
            EXPECT_FALSE(User::ChooseItem(formats, IndexOf(formats, 32)));
            EXPECT_EQ(Live(L"SpDigitalOut").substr(0, 2), L"00");
            ASSERT_TRUE(User::Click(*editor.chkSPDIF));
            EXPECT_TRUE(formats.Enabled());
            EXPECT_EQ(Live(L"SpDigitalOut").substr(0, 2), L"02");
        }
        CloseEditor();
    }
}

TEST_F(OutputHandlers, DontChangeSampleRatePutsBackTheRestorePointsRateOnlyWhenItHoldsOne) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    const std::wstring original = Live(L"OutputFormat");
    auto& rates = editor.Get<ComboBox>(L"cboSampleRate");
    ASSERT_GE(rates.ListCount(), 3);
    const int other = BytesToHex(EncodeNumber(static_cast<std::uint32_t>(rates.ItemData(1)))) == original ? 2 : 1;
    auto& sync = editor.Get<CheckBox>(L"chkSyncSampleRates");

    ASSERT_TRUE(User::ChooseItem(rates, other));
    EXPECT_EQ(Live(L"OutputFormat"), BytesToHex(EncodeNumber(static_cast<std::uint32_t>(rates.ItemData(other)))));
    EXPECT_TRUE(sync.Enabled());
    // Kept in step: the Windows rate follows the card's.
    ASSERT_TRUE(User::Click(sync));
    EXPECT_FALSE(editor.Ctl(L"cboSystemSampleRate").Enabled());
    const auto& system = editor.Get<ComboBox>(L"cboSystemSampleRate");
    EXPECT_EQ(system.ItemData(system.ListIndex()), rates.ItemData(other));

    ASSERT_TRUE(User::ChooseItem(rates, 0));
    EXPECT_EQ(Live(L"OutputFormat"), original);
    EXPECT_EQ(sync.Value(), 0);
    EXPECT_FALSE(sync.Enabled());
    EXPECT_TRUE(editor.Ctl(L"cboSystemSampleRate").Enabled());

    RegDeleteValue(Profile(editor.LiveProfileName()), L"OutputFormat");
    ASSERT_TRUE(User::ChooseItem(rates, other));
    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::ChooseItem(rates, 0));
    EXPECT_TRUE(Writes().empty());
}

TEST_F(OutputHandlers, SpeakerLayoutReachesWindowsEvenRightAfterAnOwnChange) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    const int original = WindowsSpeakers();
    auto& layout = editor.Get<ComboBox>(L"cboSpeakersLayout");
    const std::intptr_t target = original == 8 ? 2 : 8;

    // The user's choice a moment after another own change is no echo of it.
    StampSelfChange();
    ASSERT_TRUE(User::ChooseItem(layout, IndexOf(layout, target)));
    EXPECT_EQ(WindowsSpeakers(), target);

    ForgetOwnChange();
    ASSERT_TRUE(User::ChooseItem(layout, IndexOf(layout, original == 6 ? 4 : 6)));
    EXPECT_EQ(WindowsSpeakers(), original == 6 ? 4 : 6);
    // "Don't Change" puts the restore point's layout back...
    ForgetOwnChange();
    ASSERT_TRUE(User::ChooseItem(layout, 0));
    EXPECT_EQ(WindowsSpeakers(), original);
    // ...and nothing when the restore point's layout reads 0.
    ForgetOwnChange();
    ASSERT_TRUE(User::ChooseItem(layout, IndexOf(layout, target)));
    ASSERT_EQ(WindowsSpeakers(), target);
    RegWrite(Profile(editor.LiveProfileName()), L"SystemSpeakers", Bytes{0});
    ForgetOwnChange();
    ASSERT_TRUE(User::ChooseItem(layout, 0));
    EXPECT_EQ(WindowsSpeakers(), target);
}

TEST_F(OutputHandlers, EchoCancellationOnThenOffRestoresEveryControlItChanged) {
    UseEditorCard(kDG);
    frmProfile& editor = OpenEditor(L"");
    auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0101)));  // front headphones
    static const wchar_t* const effects[] = {L"chkDolbyHeadphones", L"chkDolbyVirtualSpeaker", L"chkVSS", L"chkDolby",
                                             L"chkNeo"};
    std::map<std::wstring, int> checked;
    for (const wchar_t* name : effects) {
        auto& box = editor.Get<CheckBox>(name);
        if (box.Enabled() && box.Visible() && box.Value() == 0) User::Click(box);
        checked[name] = box.Value();
    }
    editor.imgTab_Click(2);
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQ", 1)));
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optFlexBass", 1)));

    editor.imgTab_Click(3);
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optAEC", 1)));
    EXPECT_EQ(Live(L"AEC").substr(16, 2), L"01");
    EXPECT_EQ(outputs.ItemData(outputs.ListIndex()), 0x0104);  // two speakers on the front panel
    EXPECT_FALSE(outputs.Enabled());
    for (const wchar_t* name : effects) {
        EXPECT_EQ(editor.Get<CheckBox>(name).Value(), 0) << name;
        EXPECT_FALSE(editor.Ctl(name).Enabled()) << name;
    }
    EXPECT_TRUE(OptionSelected(editor, L"optEQ", 0));
    EXPECT_TRUE(OptionSelected(editor, L"optFlexBass", 0));
    EXPECT_FALSE(editor.Ctl(L"imgTab", 0).Enabled());
    EXPECT_FALSE(editor.Ctl(L"imgTab", 2).Enabled());
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"aec-on");

    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optAEC", 0)));
    EXPECT_EQ(Live(L"AEC").substr(16, 2), L"00");
    EXPECT_EQ(outputs.ItemData(outputs.ListIndex()), 0x0101);
    EXPECT_EQ(Live(L"SpeakerConfig").substr(0, 2), L"01");
    EXPECT_TRUE(outputs.Enabled());
    for (const wchar_t* name : effects) {
        EXPECT_EQ(editor.Get<CheckBox>(name).Value(), checked[name]) << name;
    }
    EXPECT_TRUE(OptionSelected(editor, L"optEQ", 1));
    EXPECT_TRUE(OptionSelected(editor, L"optFlexBass", 1));
    EXPECT_TRUE(editor.Ctl(L"imgTab", 0).Enabled());
    EXPECT_TRUE(editor.Ctl(L"imgTab", 2).Enabled());
}

TEST_F(OutputHandlers, EchoCancellationOverADigitalFormatStillClosesTheSwapsDialog) {
    frmProfile& editor = OpenWithDigitalOutput();
    auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
    auto& formats = editor.Get<ComboBox>(L"cboSPDIFOutput");
    ASSERT_TRUE(User::ChooseItem(formats, IndexOf(formats, 16)));  // Dolby Digital Live
    // The dialog, opened for the 7.1 output, holds the window while it is open: AEC is switched
    // on as its handler would be.
    AnalogOutputSettingsDialogInstance().Show();
    Pump(10);
    ASSERT_NE(AnalogOutputSettingsDialog(), nullptr);
    editor.Get<OptionButton>(L"optAEC", 1).SetValue(true);
    EXPECT_EQ(outputs.ItemData(outputs.ListIndex()), 0x0004);
    EXPECT_EQ(AnalogOutputSettingsDialog(), nullptr);
}

TEST_F(OutputHandlers, ResetAfterEchoCancellationForgetsTheSavedOutput) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0007)));
    editor.imgTab_Click(2);
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optEQ", 1)));
    editor.imgTab_Click(3);
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optAEC", 1)));
    EXPECT_EQ(outputs.ItemData(outputs.ListIndex()), 0x0004);
    editor.CommandReset(false);
    // The reset's own switch-off restores the output and enables the pages again; afterwards a
    // fresh switch-on saves the state anew.
    EXPECT_TRUE(editor.Ctl(L"imgTab", 0).Enabled());
    EXPECT_TRUE(OptionSelected(editor, L"optAEC", 0));
    EXPECT_TRUE(outputs.Enabled());
    // The state saved before the reset is gone: a switch-off handled now brings back neither
    // its output nor its equalizer.
    editor.imgTab_Click(0);
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0006)));
    editor.Ctl(L"optAEC", 0).Click();
    EXPECT_EQ(outputs.ItemData(outputs.ListIndex()), 0x0006);
    EXPECT_FALSE(OptionSelected(editor, L"optEQ", 1));
}

}  // namespace
