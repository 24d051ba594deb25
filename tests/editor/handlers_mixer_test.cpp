// The Mixer page handlers driven as the user drives them in live mode: a channel's gain or a
// recording line's level reaching the card, the restore point's value coming back when its row is
// taken out, the monitoring switch, the row resets and the column boxes.
#include <mmdeviceapi.h>

#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/profilevalues.h"
#include "device/trayservices.h"
#include "startup/tables.h"
#include "tests/editor/editor_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class MixerHandlers : public EditorFixture {};

TEST_F(MixerHandlers, AChannelTakenOutOfTheProfileGetsTheRestorePointsGainBack) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    editor.imgTab_Click(1);
    const std::wstring name(gChannelVolumeValues[0]);
    const Bytes original = GetProfileValue(L"", name);
    auto& set = editor.Get<CheckBox>(L"chkPlaybackSet", 0);
    auto& slider = editor.Get<Slider>(L"csliOutputChannel", 0);
    ASSERT_EQ(set.Value(), 0);
    // A new profile sets no channel: the rows are shown disabled until their box is checked.
    EXPECT_FALSE(slider.Enabled());
    EXPECT_FALSE(editor.Ctl(L"lblOutputChannelVolume", 0).Enabled());
    const int before = slider.Value();

    ASSERT_TRUE(User::Click(set));
    EXPECT_TRUE(slider.Enabled());
    EXPECT_TRUE(editor.Ctl(L"lblOutputChannelVolume", 0).Enabled());
    // One box of several enabled ones: the column box turns grayed and changes no row.
    EXPECT_EQ(editor.Get<CheckBox>(L"chkPlaybackSetAll").Value(), 2);
    EXPECT_EQ(editor.Get<CheckBox>(L"chkPlaybackSet", 1).Value(), 0);

    const int target = before > 50 ? 20 : 80;
    ASSERT_TRUE(User::DragTo(slider, target));
    EXPECT_EQ(editor.Ctl(L"lblOutputChannelVolume", 0).Caption(), std::to_wstring(target) + L"%");
    EXPECT_NE(GetProfileValue(L"", name), original);

    ASSERT_TRUE(User::Click(set));
    EXPECT_FALSE(slider.Enabled());
    EXPECT_EQ(slider.Value(), before);
    EXPECT_EQ(GetProfileValue(L"", name), original);

    // The column box sets every enabled row; the row handlers send each channel.
    auto& all = editor.Get<CheckBox>(L"chkPlaybackSetAll");
    ASSERT_TRUE(User::Click(all));
    for (int i = 0; i < 8; ++i) {
        const auto& row = editor.Get<CheckBox>(L"chkPlaybackSet", i);
        if (row.Enabled()) {
            EXPECT_EQ(row.Value(), all.Value()) << i;
        }
    }
}

TEST_F(MixerHandlers, ANewProfileShowsEveryChannelAtZeroDecibelsWhateverTheCardsOutput) {
    UseEditorCard(kD2);
    // The card's gains away from 0 dB, and an output the list doesn't offer (the front panel of
    // a card without one): nothing chosen, so the output's handler never reloads the channels.
    for (const auto name : gChannelVolumeValues) sim::SetSimLiveValue(std::wstring(name), HexToBytes(L"0000F6FF"));
    sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"01000000"));
    frmProfile& editor = OpenEditor(L"");
    ASSERT_EQ(editor.Get<ComboBox>(L"cboAnalogOutput").ListIndex(), -1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(editor.Get<CheckBox>(L"chkPlaybackSet", i).Value(), 0) << i;
        EXPECT_EQ(editor.Get<Slider>(L"csliOutputChannel", i).Value(), editor.ChannelUnityLevel()) << i;
    }
}

// Another output keeps the rows of the channels it still has as the user left them; a channel it
// adds comes as the profile has it.
TEST_F(MixerHandlers, AnotherOutputKeepsTheUsersRowsOfTheChannelsItStillHas) {
    UseEditorCard(kDG, std::vector<std::uint8_t>{1, 3, 4, 6, 7});
    sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"00000000"));
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"04000000"));
    Store(L"Stored", L"PanelConfig", L"00000000");
    Store(L"Stored", L"SpeakerConfig", L"04000000");
    Store(L"Stored", std::wstring(gChannelVolumeValues[4]), L"0000FBFF");  // -5 dB, for 7.1
    for (const std::wstring profile : {L"", L"Stored"}) {
        SCOPED_TRACE(profile);
        frmProfile& editor = OpenEditor(profile);
        editor.imgTab_Click(1);
        auto& set = editor.Get<CheckBox>(L"chkPlaybackSet", 0);
        auto& slider = editor.Get<Slider>(L"csliOutputChannel", 0);
        if (set.Value() == 0) {
            ASSERT_TRUE(User::Click(set));
        }
        const int target = slider.Value() > 50 ? 20 : 80;
        ASSERT_TRUE(User::DragTo(slider, target));
        editor.imgTab_Click(0);
        auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
        ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0007)));
        editor.imgTab_Click(1);
        EXPECT_EQ(set.Value(), 1);
        EXPECT_EQ(slider.Value(), target);
        const auto& rear = editor.Get<CheckBox>(L"chkPlaybackSet", 4);
        EXPECT_TRUE(rear.Enabled());
        EXPECT_EQ(rear.Value(), profile.empty() ? 0 : 1);
        editor.Unload();
    }
}

// The card's own level of recording line i, as a whole percent, and its balance in tenths.
std::pair<int, int> CardInputLine(int i) {
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 1, i, L"");
    return {static_cast<int>(volume / kCurrencyScale), static_cast<int>(balance * 10 / kCurrencyScale)};
}

TEST_F(MixerHandlers, ARecordingLineFollowsItsRowAndComesBackWhenTakenOut) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    editor.imgTab_Click(1);
    // The first line with two channels: it has a balance.
    int line = -1;
    for (int i = 0; i < 8 && line < 0; ++i)
        if (editor.Find(L"chkRecordSet", i) && editor.Ctl(L"chkRecordSet", i).Visible() &&
            editor.Get<Slider>(L"csliInputLineBalance", i).Tag() == L"2")
            line = i;
    ASSERT_GE(line, 0) << "the card has no stereo recording line";
    auto& set = editor.Get<CheckBox>(L"chkRecordSet", line);
    auto& volume = editor.Get<Slider>(L"csliInputLine", line);
    auto& balance = editor.Get<Slider>(L"csliInputLineBalance", line);
    auto& monitor = editor.Get<CheckBox>(L"chkRecordMonitor", line);
    const auto original = CardInputLine(line);
    ASSERT_EQ(set.Value(), 0);
    EXPECT_FALSE(volume.Enabled());
    EXPECT_FALSE(monitor.Enabled());

    ASSERT_TRUE(User::Click(set));
    EXPECT_TRUE(volume.Enabled());
    EXPECT_TRUE(balance.Enabled());
    EXPECT_TRUE(monitor.Enabled());
    EXPECT_TRUE(editor.Ctl(L"cmdInputLineBalanceReset", line).Enabled());
    EXPECT_EQ(editor.Get<CheckBox>(L"chkRecordSetAll").Value(), 2);

    const int target = original.first > 50 ? 30 : 70;
    ASSERT_TRUE(User::DragTo(volume, target));
    EXPECT_EQ(editor.Ctl(L"lblInputLineVolume", line).Caption(), std::to_wstring(target) + L"%");
    EXPECT_EQ(CardInputLine(line).first, target);
    balance.SetValue(-4);
    EXPECT_EQ(CardInputLine(line), std::make_pair(target, -4));
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdInputLineBalanceReset", line)));
    EXPECT_EQ(CardInputLine(line), std::make_pair(target, 0));

    // The monitoring switch is the line's custom control named in the box's tag.
    const int control = std::stoi(monitor.Tag());
    ASSERT_GT(control, 0);
    ASSERT_TRUE(User::Click(monitor));
    EXPECT_EQ(editor.GetCustomControlsValues(line, control), 1);
    EXPECT_EQ(MixerProfileValue(L"", MixerValueName(1, line, 0, control)), Bytes{1});

    // Reset takes only rows that are set.
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdResetInputLines")));
    EXPECT_EQ(volume.Value(), 100);
    EXPECT_EQ(CardInputLine(line).first, 100);
    ASSERT_TRUE(User::DragTo(volume, target));

    // Out of the profile: the monitor box cleared and the card back at the restore point's level.
    ASSERT_TRUE(User::Click(set));
    EXPECT_EQ(monitor.Value(), 0);
    EXPECT_FALSE(monitor.Enabled());
    EXPECT_EQ(editor.GetCustomControlsValues(line, control), 0);
    EXPECT_EQ(MixerProfileValue(L"", MixerValueName(1, line, 0, control)), Bytes{0});
    EXPECT_FALSE(volume.Enabled());
    EXPECT_EQ(volume.Value(), original.first);
    EXPECT_EQ(CardInputLine(line), original);
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdResetInputLines")));
    EXPECT_EQ(volume.Value(), original.first);
    // Back in the profile: the level set before comes back and reaches the card; the balance
    // stays at the restore point's.
    ASSERT_TRUE(User::Click(set));
    EXPECT_TRUE(volume.Enabled());
    EXPECT_EQ(volume.Value(), target);
    EXPECT_EQ(CardInputLine(line), std::make_pair(target, original.second));

    // A one-channel line in the profile: its level is set, it has no balance to reset.
    for (int i = 0; i < 8; ++i) {
        if (!editor.Find(L"chkRecordSet", i) || !editor.Ctl(L"chkRecordSet", i).Enabled() ||
            editor.Get<Slider>(L"csliInputLineBalance", i).Tag() == L"2")
            continue;
        ASSERT_TRUE(User::Click(editor.Ctl(L"chkRecordSet", i)));
        EXPECT_TRUE(editor.Ctl(L"csliInputLine", i).Enabled()) << i;
        EXPECT_FALSE(editor.Ctl(L"cmdInputLineBalanceReset", i).Enabled()) << i;
        break;
    }
}

TEST_F(MixerHandlers, ARecordingInputSwitchedOffElsewhereGreysItsRowWhileTheEditorIsOpen) {
    UseEditorCard(kD2);
    // The program's own routing: device notices reach the editor only while it is loaded.
    EXPECT_EQ(InputLineEditor(), nullptr);
    frmProfile& editor = OpenEditor(L"");
    EXPECT_EQ(InputLineEditor(), static_cast<IInputLineEditor*>(&editor));
    editor.imgTab_Click(1);
    int line = -1;
    for (int i = 0; i < 8 && line < 0; ++i)
        if (!gInputLineIds[static_cast<std::size_t>(i)].empty() && editor.Ctl(L"lblInputLineCaption", i).Enabled())
            line = i;
    ASSERT_GE(line, 0) << "the card has no active recording line";
    const std::wstring id = gInputLineIds[static_cast<std::size_t>(line)];
    OnSpeakersOutputChanged(id, DEVICE_STATE_DISABLED);
    EXPECT_FALSE(editor.Ctl(L"lblInputLineCaption", line).Enabled());
    EXPECT_FALSE(editor.Ctl(L"chkRecordSet", line).Enabled());
    OnSpeakersOutputChanged(id, DEVICE_STATE_ACTIVE);
    EXPECT_TRUE(editor.Ctl(L"lblInputLineCaption", line).Enabled());
    EXPECT_TRUE(editor.Ctl(L"chkRecordSet", line).Enabled());
    CloseEditor();
    EXPECT_EQ(InputLineEditor(), nullptr);
}

}  // namespace
