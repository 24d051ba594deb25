// A live profile editor whose recording devices change, or whose card changes through the volume
// pop-up or right after the editor's own send: the editor shows the change and keeps what the
// user made elsewhere.
#include <functional>

#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/portable/texts_values.h"
#include "editor/portable/profilebytes.h"
#include "sim/audio_format.h"
#include "tests/editor/follow_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class LiveFollow : public FollowCardFixture {};

// A recording device that goes and comes back while the editor is open, alone or together with
// another: the line keeps what the user made of it, its Set box and its unsaved level, and so
// does the recording source.
TEST_F(LiveFollow, ARecordingDeviceThatGoesAndComesBackKeepsTheUsersLine) {
    UseEditorCard(kD2);
    Load(L"");
    ASSERT_FALSE(gInputLineIds[1].empty());
    Store(L"Rec", MixerValueName(1, 0, 0, 0), L"3C");
    Store(L"Rec", MixerValueName(1, 0, 1, 0), L"3C");
    Store(L"Rec", kMixerInputLineSel, L"00");
    frmProfile& editor = OpenEditor(L"Rec");
    editor.imgTab_Click(1);
    ASSERT_EQ(editor.chkRecordSet[0]->Value(), 1);
    ASSERT_TRUE(User::DragTo(*editor.csliInputLine[0], 25));
    ASSERT_TRUE(User::Click(*editor.chkRecordSet[1]));
    ASSERT_TRUE(User::DragTo(*editor.csliInputLine[1], 70));
    ASSERT_TRUE(User::ChooseOption(*editor.optInputSelect[1]));

    for (int line : {0, 1}) {
        const int endpoint = sim::FindSimEndpoint(gInputLineIds[static_cast<std::size_t>(line)]);
        gLastSelfChange.store(::timeGetTime() - 5000);
        sim::SetSimEndpointState(endpoint, DEVICE_STATE_DISABLED);
        ASSERT_TRUE(PumpUntil([&] { return !editor.chkRecordSet[line]->Enabled(); })) << line;
        EXPECT_FALSE(editor.csliInputLine[line]->Enabled()) << line;
        // Out of service, the device can't be chosen as the recording source.
        EXPECT_FALSE(editor.optInputSelect[line]->Enabled()) << line;
        gLastSelfChange.store(::timeGetTime() - 5000);
        sim::SetSimEndpointState(endpoint, DEVICE_STATE_ACTIVE);
        ASSERT_TRUE(PumpUntil([&] { return editor.chkRecordSet[line]->Enabled(); })) << line;
        EXPECT_EQ(editor.chkRecordSet[line]->Value(), 1) << line;
        EXPECT_TRUE(editor.csliInputLine[line]->Enabled()) << line;
        EXPECT_TRUE(editor.optInputSelect[line]->Enabled()) << line;
    }
    // Both unplugged together, and back together: each row follows its own device.
    for (const DWORD state : {DEVICE_STATE_DISABLED, DEVICE_STATE_ACTIVE}) {
        gLastSelfChange.store(::timeGetTime() - 5000);
        for (int line : {0, 1}) sim::SetSimEndpointState(sim::FindSimEndpoint(gInputLineIds[line]), state);
        const bool on = state == DEVICE_STATE_ACTIVE;
        EXPECT_TRUE(PumpUntil([&] {
            return editor.chkRecordSet[0]->Enabled() == on && editor.chkRecordSet[1]->Enabled() == on;
        })) << state;
    }
    EXPECT_EQ(editor.csliInputLine[0]->Value(), 25);
    EXPECT_EQ(editor.csliInputLine[1]->Value(), 70);
    EXPECT_TRUE(editor.optInputSelect[1]->Value());
    kaltest::DialogAnswerer answers;
    answers.Run([&] { User::Click(editor.Ctl(L"cmdSave")); });
    EXPECT_EQ(RegReadBytes(Profile(L"Rec"), MixerValueName(1, 0, 0, 0)), Bytes{25});
    EXPECT_EQ(RegReadBytes(Profile(L"Rec"), MixerValueName(1, 1, 0, 0)), Bytes{70});
    EXPECT_EQ(RegReadBytes(Profile(L"Rec"), kMixerInputLineSel), Bytes{1});
}

// The real-time window has no Set boxes: the rows another program's output brings are usable at
// once and show the card's gains, as the window opened anew shows them.
TEST_F(LiveFollow, RowsAnotherProgramsOutputBringsAreUsableInTheRealTimeWindow) {
    UseEditorCard(kD2);
    Load(L"");
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
    sim::SetSimLiveValue(L"RearVolL", EncodeChannelGain(-6.0));
    frmProfile& e = OpenRealTime();
    ASSERT_FALSE(e.csliOutputChannel[4]->Enabled());
    const Bytes before = GetProfileValue(L"", L"RearVolL");
    ChangeFromOutside(L"SpeakerConfig", HexToBytes(L"07000000"));
    ASSERT_TRUE(PumpUntil([&] { return e.csliOutputChannel[4]->Enabled(); }, 3000));
    EXPECT_EQ(e.csliOutputChannel[4]->Value(), GetChannelGainPercent(4, L""));
    // Following the card sends nothing back.
    EXPECT_EQ(GetProfileValue(L"", L"RearVolL"), before);
    CloseEditor();
}

// A playback row the user set, hidden by another program's headphones and brought back by its
// 5.1: the card holds the level the row shows, also when Live Mode went off and on meanwhile.
TEST_F(LiveFollow, APlaybackRowBroughtBackFromOutsideIsOnTheCard) {
    for (const bool offAndOn : {false, true}) {
        SCOPED_TRACE(offAndOn ? "live mode off and on" : "live mode on");
        UseEditorCard(kD2);
        Load(L"");
        SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"06000000"}});
        frmProfile& editor = OpenEditor(L"");
        ASSERT_FALSE(editor.LiveProfileName().empty());
        editor.imgTab_Click(1);
        ASSERT_TRUE(User::Click(*editor.chkPlaybackSet[4]));
        ASSERT_TRUE(User::DragTo(*editor.csliOutputChannel[4], 40));
        ASSERT_EQ(GetChannelGainPercent(4, L""), 40);
        sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
        LetTheRefreshRun();
        ASSERT_FALSE(editor.chkPlaybackSet[4]->Enabled());
        if (offAndOn) {
            ClickLive(editor);
            ClickLive(editor);
            ASSERT_FALSE(editor.LiveProfileName().empty());
        }
        sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"06000000"));
        LetTheRefreshRun();
        ASSERT_TRUE(editor.chkPlaybackSet[4]->Enabled());
        EXPECT_EQ(editor.csliOutputChannel[4]->Value(), 40);
        EXPECT_EQ(GetChannelGainPercent(4, L""), 40);
        CloseEditor();
    }
}

// A change from outside less than a second after the editor's own send, which the program's
// refresh then takes for the editor's own, shows once that second is over, with no later change:
// also one that moves back what the user's own change moved.
TEST_F(LiveFollow, AChangeFromOutsideRightAfterAnOwnSendShowsWhenTheOwnChangeWindowEnds) {
    const struct {
        const wchar_t* what;
        const wchar_t* card;
        const wchar_t* profile;  // "" new; else stored with headphones and no panel, then made live
        const wchar_t* value;    // on the card before, and what another program sets
        Bytes before, outside;
        std::function<bool(frmProfile&)> choose;  // the user's own change
        std::function<bool(frmProfile&)> shows;
    } cases[] = {
        {L"card rate", kD2, L"", L"OutputFormat", EncodeNumber(48000), EncodeNumber(44100),
         [](frmProfile& e) { return User::ChooseItem(*e.cboSampleRate, IndexOf(*e.cboSampleRate, 96000)); },
         [](frmProfile& e) { return SelectedItemData(*e.cboSampleRate) == 44100; }},
        // The user switches the headphones to the front panel; another program moves them back.
        {L"panel", kSTX, L"", L"PanelConfig", EncodeCode(0), EncodeCode(0),
         [](frmProfile& e) { return User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, 0x0101)); },
         [](frmProfile& e) { return e.Output() == L"0001"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.what));
        UseEditorCard(c.card);
        Load(L"");
        sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
        sim::SetSimLiveValue(c.value, c.before);
        Store(L"Movie", L"SpeakerConfig", L"01000000");
        frmProfile& editor = OpenEditor(c.profile);
        if (!editor.Tag().empty()) ClickLive(editor);
        ASSERT_FALSE(editor.LiveProfileName().empty());
        ASSERT_TRUE(c.choose(editor));
        ASSERT_NE(GetProfileValue(L"", c.value), c.outside);
        sim::SetSimLiveValue(c.value, c.outside);
        ASSERT_TRUE(IsSelfChange());
        EXPECT_TRUE(PumpUntil([&] { return c.shows(editor); }, 3000));
        CloseEditor();
    }
}

// A mode another program switches on and off: Dolby Digital Live gone again brings back the
// analog output's panels in a live editor; echo cancellation on shows in the real-time window
// as the card has it, the output and the equalizer included.
TEST_F(LiveFollow, AModeSwitchedFromOutsideShowsTheCardsOwnState) {
    UseEditorCard(kD2);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"01000000"}});
    sim::SetSimLiveValue(L"EqEnable", Bytes{1});
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    ASSERT_TRUE(editor.chkDolbyHeadphones->Enabled());
    for (std::uint8_t format : {0x10, 0x00}) {
        sim::SetSimLiveValue(L"SpDigitalOut", EncodeCode(format));
        LetTheRefreshRun();
    }
    EXPECT_TRUE(editor.chkDolbyHeadphones->Enabled());
    EXPECT_TRUE(editor.cboAnalogOutput->Enabled());
    EXPECT_EQ(editor.fraEnhancements->Caption(), L"Analog Out &Enhancements");
    CloseEditor();

    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"07000000"));
    frmProfile& rt = OpenRealTime();
    sim::SetSimLiveValue(L"AEC", EncodeAEC(true));
    LetTheRefreshRun();
    EXPECT_TRUE(OptionSelected(rt.optAEC, 1));
    EXPECT_EQ(rt.Output(), L"0007");
    EXPECT_TRUE(OptionSelected(rt.optEQ, 1));
}

// A Windows change from another program within the second after the user's own Windows change
// (the rate, then the channels; the channels, then the rate; the rate, then the recording device)
// shows once that second is over, in a live editor and in the real-time window.
TEST_F(LiveFollow, AWindowsChangeFromOutsideWithinTheOwnSecondShowsAfterIt) {
    // Another program's change: the program's own stamp stays as the user's change left it.
    auto outside = [](auto change) {
        const std::uint32_t stamp = gLastSelfChange.load();
        change();
        gLastSelfChange.store(stamp);
    };
    const auto chooseRate = [](frmProfile& e) {
        if (e.chkSyncSampleRates->Value() == 1 && !User::Click(*e.chkSyncSampleRates)) return false;
        return User::ChooseItem(*e.cboSystemSampleRate, IndexOf(*e.cboSystemSampleRate, 96000));
    };
    const struct {
        const char* what;
        std::function<bool(frmProfile&)> choose;
        std::function<void()> change;
        std::function<bool(frmProfile&)> shows;
    } cases[] = {
        {"the rate, then the channels", chooseRate,
         [] { gAudio->SetSpeakers(gPlaybackLineIds[0], 6); },
         [](frmProfile& e) { return SelectedItemData(*e.cboSpeakersLayout) == 6; }},
        {"the channels, then the rate",
         [](frmProfile& e) { return User::ChooseItem(*e.cboSpeakersLayout, IndexOf(*e.cboSpeakersLayout, 4)); },
         [] {
             Bytes rate = EncodeNumber(96000);
             MixerValue(kMixerSampleRate, rate, true);
         },
         [](frmProfile& e) { return SelectedItemData(*e.cboSystemSampleRate) == 96000; }},
        {"the rate, then the recording device", chooseRate,
         [] { sim::SetSimDefaultEndpoint(eCapture, eConsole, gInputLineIds[0]); },
         [](frmProfile& e) { return e.optInputSelect[0]->Value(); }},
    };
    for (const bool realTime : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.what << (realTime ? ", real-time window" : ", live editor"));
            UseEditorCard(kD2);
            Load(L"");
            gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
            Bytes rate = EncodeNumber(48000);
            MixerValue(kMixerSampleRate, rate, true);
            sim::SetSimDefaultEndpoint(eCapture, eConsole, gInputLineIds[1]);
            gLastSelfChange.store(::timeGetTime() - 5000);
            frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
            ASSERT_FALSE(e.LiveProfileName().empty());
            if (!realTime) {
                // The editor follows only lists set to a value, not "Don't Change".
                if (e.chkSyncSampleRates->Value() == 1) {
                    ASSERT_TRUE(User::Click(*e.chkSyncSampleRates));
                }
                ASSERT_TRUE(User::ChooseItem(*e.cboSystemSampleRate, IndexOf(*e.cboSystemSampleRate, 48000)));
                ASSERT_TRUE(User::ChooseItem(*e.cboSpeakersLayout, IndexOf(*e.cboSpeakersLayout, 2)));
                e.imgTab_Click(1);
                ASSERT_TRUE(User::ChooseOption(*e.optInputSelect[1]));
                e.imgTab_Click(0);
                LetTheSecondPass();
            }
            ASSERT_TRUE(c.choose(e));
            Pump(150);
            // 0.15 s after the user's change, however long a loaded machine took over it.
            gLastSelfChange.store(::timeGetTime() - 150);
            outside(c.change);
            EXPECT_TRUE(PumpUntil([&] { return c.shows(e); }, 3000));
            CloseEditor();
        }
    }
}

// While FlexBass is off the crossover and the size lists keep aside what the card holds: FlexBass
// On keeps another program's crossover and rear sizes, set after FlexBass went off or within the
// second of the user's Off, and shows them; in a live editor and in the real-time window.
TEST_F(LiveFollow, FlexBassOnKeepsTheCrossoverAndSizesAnotherProgramSetWhileItWasOff) {
    for (const bool realTime : {false, true}) {
        for (const bool usersOff : {false, true}) {
            for (const bool withinSecond : {false, true}) {
                if (withinSecond && !usersOff) continue;
                SCOPED_TRACE(::testing::Message() << (realTime ? "real-time window" : "live editor")
                                                  << (usersOff ? ", the user's Off" : ", Off from outside")
                                                  << (withinSecond ? " within its second" : ""));
                UseEditorCard(kD2);
                Load(L"");
                SetCard({{L"SpeakerConfig", L"07000000"}, {L"BassManagement", L"01000000"}});
                sim::SetSimLiveValue(L"BassCornerFrequency", EncodeCode(80));
                sim::SetSimLiveValue(L"SpeakerSize", HexToBytes(L"00000000"));
                gAudio->SetSpeakers(gPlaybackLineIds[0], 8);
                frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
                e.imgTab_Click(2);
                if (!realTime) {
                    ASSERT_TRUE(User::ChooseOption(*e.optFlexBass[1]));
                }
                LetTheSecondPass();
                if (usersOff) {
                    ASSERT_TRUE(User::ChooseOption(*e.optFlexBass[0]));
                    if (!withinSecond) LetTheSecondPass();
                } else {
                    ChangeFromOutside(L"BassManagement", HexToBytes(L"00000000"));
                }
                ASSERT_TRUE(PumpUntil([&] { return !e.csliCrossover->Enabled(); }, 3000));
                // Within the second of the user's Off, however long a loaded machine took over it.
                gLastSelfChange.store(withinSecond ? ::timeGetTime() : ::timeGetTime() - kOwnChangeWindowMs);
                sim::SetSimLiveValue(L"BassCornerFrequency", EncodeCode(130));
                sim::SetSimLiveValue(L"SpeakerSize", HexToBytes(L"30000000"));
                if (!withinSecond) LetTheSecondPass();
                ASSERT_TRUE(User::ChooseOption(*e.optFlexBass[1]));
                EXPECT_EQ(FirstByte(GetProfileValue(L"", L"BassCornerFrequency")), 130);
                EXPECT_EQ(BytesToHex(GetProfileValue(L"", L"SpeakerSize")), L"30000000");
                LetTheSecondPass();
                EXPECT_TRUE(PumpUntil([&] { return e.csliCrossover->Value() == 130; }, 3000));
                EXPECT_EQ(e.cboSpeakerSize[2]->ListIndex(), 1);
                CloseEditor();
            }
        }
    }
}

// A profile without speaker sizes leaves the card's at live start, which another program set while
// live mode was off. The user's size then sends the other boxes as the editor shows them too, as
// Save writes them.
TEST_F(LiveFollow, ASizeTheUserTurnsSendsTheOtherSizesAsShown) {
    UseEditorCard(kD2);
    Load(L"");
    SetCard({{L"SpeakerConfig", L"07000000"}, {L"BassManagement", L"01000000"}, {L"SpeakerSize", L"00000000"}});
    gAudio->SetSpeakers(gPlaybackLineIds[0], 8);
    for (const wchar_t* name : {L"PanelConfig", L"SpeakerConfig", L"BassManagement"})
        Store(L"Sizes", name, BytesToHex(GetProfileValue(L"", name)).c_str());
    frmProfile& e = OpenEditor(L"Sizes");
    e.imgTab_Click(2);
    ASSERT_TRUE(e.cboSpeakerSize[2]->Enabled());
    sim::SetSimLiveValue(L"SpeakerSize", HexToBytes(L"F7000000"));
    ClickLive(e);
    ASSERT_TRUE(User::ChooseItem(*e.cboSpeakerSize[2], 1 - e.cboSpeakerSize[2]->ListIndex()));
    const std::array<bool, 4> card = DecodeSpeakerSizes(GetProfileValue(L"", L"SpeakerSize"));
    EXPECT_EQ(card, DecodeSpeakerSizes(HexToBytes(Saved(e).at(L"SpeakerSize"))));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(card[static_cast<std::size_t>(i)], e.cboSpeakerSize[i]->ListIndex() == 1) << i;
    CloseEditor();
}

// A live editor whose output hides the headphone gain keeps the profile's gain when another
// program changes the card's; headphones on that panel show the card's again.
TEST_F(LiveFollow, AGainTheEditorsOutputHidesStaysTheProfiles) {
    UseEditorCard(kDG);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"04000000"}, {L"HpImpedanceModeRear", L"00000000"}});
    Store(L"Spk", L"PanelConfig", L"00000000");
    Store(L"Spk", L"SpeakerConfig", L"04000000");
    Store(L"Spk", L"HpImpedanceModeRear", L"01000000");
    frmProfile& e = OpenEditor(L"Spk");
    ClickLive(e);
    LetTheSecondPass();
    ChangeFromOutside(L"HpImpedanceModeRear", EncodeCode(2));
    EXPECT_EQ(Saved(e).at(L"HpImpedanceModeRear"), L"01000000");
    ChangeFromOutside(L"SpeakerConfig", EncodeCode(1));
    ChangeFromOutside(L"HpImpedanceModeRear", EncodeCode(0));
    EXPECT_EQ(Saved(e).at(L"HpImpedanceModeRear"), L"00000000");
    CloseEditor();
}

// A recording device back in service shows its line in the real-time window as another program
// left it meanwhile: the sliders' whole percent and tenth of balance go nowhere.
TEST_F(LiveFollow, TheRealTimeWindowShowsARecordingLineBackInServiceAndSendsNothing) {
    UseEditorCard(kD2);
    Load(L"");
    ASSERT_FALSE(gInputLineIds[1].empty());
    frmProfile& e = OpenRealTime();
    e.imgTab_Click(1);
    LetTheSecondPass();
    const int endpoint = sim::FindSimEndpoint(gInputLineIds[1]);
    sim::SetSimEndpointState(endpoint, DEVICE_STATE_DISABLED);
    ASSERT_TRUE(PumpUntil([&] { return !e.chkRecordSet[1]->Enabled(); }));
    auto other = OtherProgramsVolume(gInputLineIds[1]);
    ASSERT_EQ(other->SetChannelVolumeLevelScalar(0, 0.5f, nullptr), S_OK);
    ASSERT_EQ(other->SetChannelVolumeLevelScalar(1, 0.13f, nullptr), S_OK);
    const Bytes left = GetProfileValue(L"", MixerValueName(1, 1, 0, 0)), right = GetProfileValue(L"", MixerValueName(1, 1, 1, 0));
    sim::SetSimEndpointState(endpoint, DEVICE_STATE_ACTIVE);
    ASSERT_TRUE(PumpUntil([&] { return e.chkRecordSet[1]->Enabled(); }));
    LetTheSecondPass();
    EXPECT_EQ(e.csliInputLine[1]->Value(), 50);
    EXPECT_EQ(GetProfileValue(L"", MixerValueName(1, 1, 0, 0)), left);
    EXPECT_EQ(GetProfileValue(L"", MixerValueName(1, 1, 1, 0)), right);
    CloseEditor();
}

// Windows' recording source as the editor's own send left it is no change of another program's:
// Reset in live mode brings back the profile's source on a device out of service, which Windows
// can't take, and the end of the second doesn't show Windows' own over it.
TEST_F(LiveFollow, ResetBringsBackASourceWindowsCannotTakeAndKeepsIt) {
    UseEditorCard(kD2);
    Load(L"");
    ASSERT_FALSE(gInputLineIds[1].empty());
    Store(L"Src", kMixerInputLineSel, L"00");
    sim::SetSimEndpointState(sim::FindSimEndpoint(gInputLineIds[0]), DEVICE_STATE_UNPLUGGED);
    sim::WaitForSimNotifications();
    frmProfile& e = OpenEditor(L"Src");
    ClickLive(e);
    LetTheSecondPass();
    e.imgTab_Click(1);
    ASSERT_TRUE(User::ChooseOption(*e.optInputSelect[1]));
    ASSERT_TRUE(User::Click(e.Ctl(L"cmdReset")));
    EXPECT_TRUE(e.optInputSelect[0]->Value());
    LetTheSecondPass();
    Pump(100);
    EXPECT_TRUE(e.optInputSelect[0]->Value());
    EXPECT_EQ(Saved(e).at(kMixerInputLineSel), L"00");
    CloseEditor();
}

// With the speaker list on "Don't Change" the effects a 7.1 output offers depend on Windows'
// channels: another program's 8 channels take ProLogic IIx away and its 2 bring it back, in the
// editor of a profile, live or not, with the user's box as it was.
TEST_F(LiveFollow, TheEffectsFollowWindowsChannelsTheSpeakerListLeavesAsTheyAre) {
    for (const bool live : {false, true}) {
        SCOPED_TRACE(live ? "live" : "not live");
        UseEditorCard(kD2);
        Load(L"");
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
        Store(L"Seven", L"PanelConfig", L"00000000");
        Store(L"Seven", L"SpeakerConfig", L"07000000");
        frmProfile& e = OpenEditor(L"Seven");
        if (live) ClickLive(e);
        ASSERT_EQ(e.cboSpeakersLayout->ListIndex(), 0);
        ASSERT_TRUE(e.chkDolby->Enabled());
        ASSERT_TRUE(User::Click(*e.chkDolby));
        for (const int channels : {8, 2}) {
            gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
            gAudio->SetSpeakers(gPlaybackLineIds[0], static_cast<std::int16_t>(channels));
            LetTheSecondPass();
            EXPECT_TRUE(PumpUntil([&] { return e.chkDolby->Enabled() == (channels == 2); }, 3000)) << channels;
        }
        EXPECT_EQ(e.chkDolby->Value(), 1);
        EXPECT_EQ(e.cboSpeakersLayout->ListIndex(), 0);
        CloseEditor();
    }
}

// A Dolby virtualizer the headphones don't offer, switched on by another program: the real-time
// window shows it on, and the effects under it stay as the output has them, as the window opened
// anew shows them.
TEST_F(LiveFollow, AVirtualizerTheOutputHidesLeavesTheEffectsUnderItAsTheyWere) {
    UseEditorCard(kD2);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"},
             {L"SpeakerConfig", L"01000000"},
             {L"DHEnable", L"00000000"},
             {L"DVSEnable", L"00000000"}});
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    frmProfile& e = OpenRealTime();
    ASSERT_FALSE(e.chkDolbyVirtualSpeaker->Enabled());
    const std::array<CheckBox*, 3> under{e.chkVSS, e.chkDolby, e.chkNeo};
    for (CheckBox* box : under) ASSERT_FALSE(box->Enabled()) << Narrow(box->Name());
    ChangeFromOutside(L"DVSEnable", HexToBytes(L"01000000"));
    ASSERT_TRUE(PumpUntil([&] { return e.chkDolbyVirtualSpeaker->Value() == 1; }, 3000));
    for (CheckBox* box : under) EXPECT_FALSE(box->Enabled()) << Narrow(box->Name());
    CloseEditor();
}

// Live, the speaker shifter unusable (under Dolby Headphones off, or an output that hides it), and
// another program switches it on. What brings the box back shows the card's shifter; after a
// Reset, the profile's, which then goes to the card. Either way Save writes what the card holds.
TEST_F(LiveFollow, AnEffectAnotherProgramSwitchedWhileItsBoxWasOffComesBackAsTheCardHasIt) {
    const struct {
        const char* name;
        const wchar_t* speakers;  // the stored output
        bool reset;
        bool byOutput;  // an output that offers the shifter brings it back, else Dolby Headphones on
        int expected;
    } cases[] = {
        {"headphones, Dolby Headphones on", L"01000000", false, false, 1},
        {"headphones, Reset, Dolby Headphones on", L"01000000", true, false, 0},
        {"two speakers, Reset, another output", L"02000000", true, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseEditorCard(kSTX);
        Load(L"");
        SetCard({{L"PanelConfig", L"00000000"},
                 {L"SpeakerConfig", c.speakers},
                 {L"DHEnable", L"00000000"},
                 {L"EnableXear3D", L"00000000"}});
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
        Store(L"Phones", L"PanelConfig", L"00000000");
        Store(L"Phones", L"SpeakerConfig", c.speakers);
        Store(L"Phones", L"EnableXear3D", L"00000000");
        frmProfile& e = OpenEditor(L"Phones");
        ClickLive(e);
        ASSERT_FALSE(e.chkVSS->Enabled());
        ChangeFromOutside(L"EnableXear3D", HexToBytes(L"01000000"));
        if (c.reset) {
            ASSERT_TRUE(User::Click(e.Ctl(L"cmdReset")));
        }
        if (c.byOutput) {
            int offers = -1;
            for (int i = 0; i < e.cboAnalogOutput->ListCount(); ++i)
                if ((e.cboAnalogOutput->ItemData(i) & 0xFF) == 3) offers = i;
            ASSERT_TRUE(User::ChooseItem(*e.cboAnalogOutput, offers));
        } else {
            ASSERT_TRUE(User::Click(*e.chkDolbyHeadphones));
        }
        ASSERT_TRUE(e.chkVSS->Enabled());
        EXPECT_EQ(e.chkVSS->Value(), c.expected);
        EXPECT_EQ(FirstByte(GetProfileValue(L"", L"EnableXear3D")), c.expected);
        EXPECT_EQ(FirstByte(HexToBytes(Saved(e).at(L"EnableXear3D"))), c.expected);
        CloseEditor();
    }
}

// Echo cancellation on over Dolby Digital Live in the real-time window; another program turns the
// digital output off under the lock, then echo cancellation off: the output list is usable again,
// as in the window opened anew.
TEST_F(LiveFollow, TheAnalogOutputComesBackWithTheFormatAnotherProgramSetUnderTheLock) {
    UseEditorCard(kD2);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"06000000"}, {L"SpDigitalOut", L"10000000"}});
    sim::SetSimLiveValue(L"AEC", EncodeAEC(true));
    frmProfile& e = OpenRealTime();
    ASSERT_FALSE(e.cboAnalogOutput->Enabled());
    for (const auto& [name, value] : {std::pair{L"SpDigitalOut", HexToBytes(L"00000000")}, {L"AEC", EncodeAEC(false)}}) {
        ChangeFromOutside(name, value);
    }
    ASSERT_TRUE(PumpUntil([&] { return OptionSelected(e.optAEC, 0); }, 3000));
    EXPECT_TRUE(e.cboAnalogOutput->Enabled());
    CloseEditor();
}

// Over Dolby Digital Live the real-time window's Enable sends the two speakers it shows, and the
// end of the lock, in either window, leaves the analog output list off as the format has it.
TEST_F(LiveFollow, UnderAnEncodedFormatTheEnableSendsItsOutputAndTheEndKeepsTheListOff) {
    for (const bool realTime : {true, false}) {
        SCOPED_TRACE(realTime ? "real-time window" : "live editor");
        UseEditorCard(kD2);
        Load(L"");
        SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"06000000"}, {L"SpDigitalOut", L"10000000"}});
        frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
        ASSERT_FALSE(e.LiveProfileName().empty());
        ASSERT_FALSE(e.cboAnalogOutput->Enabled());
        e.imgTab_Click(3);
        ASSERT_TRUE(User::ChooseOption(*e.optAEC[1]));
        if (realTime) {
            EXPECT_EQ(FirstByte(GetProfileValue(L"", L"SpeakerConfig")), 4);
        }
        ASSERT_TRUE(User::ChooseOption(*e.optAEC[0]));
        EXPECT_FALSE(e.cboAnalogOutput->Enabled());
        EXPECT_EQ(FirstByte(GetProfileValue(L"", L"SpeakerConfig")), 6);
        CloseEditor();
    }
}

// An effect another program's output brings into the real-time window shows as the card holds it,
// not as the window opened it while the output hid it.
TEST_F(LiveFollow, AnEffectAnotherProgramsOutputOffersShowsAsTheCardHoldsIt) {
    UseEditorCard(kSTX);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"07000000"}, {L"DHEnable", L"01000000"}});
    frmProfile& e = OpenRealTime();
    ASSERT_FALSE(e.chkDolbyHeadphones->Enabled());
    ChangeFromOutside(L"SpeakerConfig", HexToBytes(L"01000000"));
    ASSERT_TRUE(PumpUntil([&] { return e.chkDolbyHeadphones->Enabled(); }, 3000));
    EXPECT_EQ(e.chkDolbyHeadphones->Value(), 1);
    EXPECT_EQ(FirstByte(GetProfileValue(L"", L"DHEnable")), 1);
    CloseEditor();
}

// The real-time window's headphone gain shows the card's gain of the panel the user's output
// goes to, and the card keeps it.
TEST_F(LiveFollow, TheRealTimeWindowsGainFollowsThePanelTheUserPicks) {
    UseEditorCard(kDG);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"01000000"}});
    sim::SetSimLiveValue(L"HpImpedanceModeRear", EncodeCode(2));
    sim::SetSimLiveValue(L"HpImpedanceModeFront", EncodeCode(0));
    frmProfile& e = OpenRealTime();
    ASSERT_NE(HpImpedanceDialog(), nullptr);
    ASSERT_EQ(SelectedItemData(*HpImpedanceDialog()->cboHpAmp, -1), 2);
    ASSERT_TRUE(User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, 0x0101)));
    LetTheSecondPass();
    EXPECT_EQ(SelectedItemData(*HpImpedanceDialog()->cboHpAmp, -1), 0);
    EXPECT_EQ(FirstByte(GetProfileValue(L"", L"HpImpedanceModeFront")), 0);
    EXPECT_EQ(Saved(e).at(L"HpImpedanceModeFront"), BytesToHex(GetProfileValue(L"", L"HpImpedanceModeFront")));
    // Two speakers on the same panel, another program's gain within the second of that send, and
    // the headphones again: the gain that goes with them is the card's, the other program's.
    ASSERT_TRUE(User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, 0x0104)));
    sim::SetSimLiveValue(L"HpImpedanceModeFront", EncodeCode(1));
    ASSERT_TRUE(User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, 0x0101)));
    LetTheSecondPass();
    EXPECT_EQ(FirstByte(GetProfileValue(L"", L"HpImpedanceModeFront")), 1);
    EXPECT_EQ(SelectedItemData(*HpImpedanceDialog()->cboHpAmp, -1), 1);
    CloseEditor();
}

// Under an encoded digital format (Dolby Digital Live, DTS) the digital output is the output:
// the headphone gain and swaps buttons stay off and the effects are the digital ones, whatever
// the analog output becomes (from outside, Windows' channels from outside, or at load), in a live
// editor and in the real-time window.
TEST_F(LiveFollow, AnEncodedDigitalFormatKeepsTheAnalogButtonsOffOnEveryPath) {
    UseEditorCard(kSTX);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"01000000"}});
    for (const bool realTime : {false, true}) {
        SCOPED_TRACE(realTime ? "real-time window" : "live editor");
        sim::SetSimLiveValue(L"SpDigitalOut", EncodeCode(0));
        frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
        ASSERT_TRUE(User::CanAct(*e.cmdHpAmp));
        auto expectOff = [&](const char* after) {
            SCOPED_TRACE(after);
            EXPECT_FALSE(User::CanAct(*e.cmdHpAmp));
            EXPECT_FALSE(User::CanAct(*e.cmdAnalogOutputSettings));
            EXPECT_EQ(e.fraEnhancements->Caption(), L"Digital Out &Enhancements");
        };
        sim::SetSimLiveValue(L"SpDigitalOut", EncodeCode(0x10));
        LetTheRefreshRun();
        expectOff("the format");
        for (const wchar_t* speakers : {L"06000000", L"01000000"}) {
            sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(speakers));
            LetTheRefreshRun();
            expectOff("the analog output from outside");
        }
        gAudio->SetSpeakers(gPlaybackLineIds[0], 6);
        LetTheRefreshRun();
        expectOff("Windows' channels from outside");
        CloseEditor();
        // The editor: a profile that holds the format.
        Store(L"Dolby", L"SpDigitalOut", L"10000000");
        Store(L"Dolby", L"SpeakerConfig", L"01000000");
        frmProfile& again = realTime ? OpenRealTime() : OpenEditor(L"Dolby");
        EXPECT_FALSE(User::CanAct(*again.cmdHpAmp)) << "at load";
        EXPECT_FALSE(User::CanAct(*again.cmdAnalogOutputSettings)) << "at load";
        CloseEditor();
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    }
}

// What the volume pop-up asks of a live editor after each of its changes: the editor shows
// that change and keeps every choice the user made elsewhere.
TEST_F(LiveFollow, ThePopupsChangesShowInALiveEditorThatKeepsTheUsersChoices) {
    UseEditorCard(kD2);
    Load(L"");
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"07000000"));
    gAudio->SetSpeakers(gPlaybackLineIds[0], 8);
    SetVolumeBalance(50 * kCurrencyScale, 0, 0, 0);
    Store(L"Evening", L"SmartVolumeParams", L"00000000");
    Store(L"Evening", L"PanelConfig", L"00000000");
    Store(L"Evening", L"SpeakerConfig", L"07000000");
    Store(L"Evening", L"SystemSpeakers", L"08");
    Store(L"Evening", MixerValueName(0, 0, 0, 0), L"32");
    Store(L"Evening", MixerValueName(0, 0, 1, 0), L"32");
    frmProfile& editor = OpenEditor(L"Evening");
    ClickLive(editor);
    ASSERT_FALSE(editor.LiveProfileName().empty());
    // Elsewhere: 96 kHz, Windows' channels and the equalizer at "Don't Change", a playback row
    // set; "Set to:" 48.
    auto& rates = *editor.cboSampleRate;
    ASSERT_TRUE(User::ChooseItem(rates, IndexOf(rates, 96000)));
    ASSERT_TRUE(User::ChooseItem(*editor.cboSpeakersLayout, 0));
    editor.imgTab_Click(2);
    ASSERT_TRUE(User::ChooseOption(*editor.optEQ[255]));
    editor.imgTab_Click(1);
    ASSERT_TRUE(User::Click(*editor.chkPlaybackSet[3]));
    ASSERT_TRUE(User::DragTo(*editor.csliVolume, 48));
    const State held = Held(editor);
    const State saved = Saved(editor);

    frmVolume& popup = ShowVolumePopup() ? *VolumePopup() : throw std::runtime_error("no pop-up");
    PositionNearTray(popup.hWnd(), true);
    auto ItemOf = [](ComboBox& box, const std::wstring& text) {
        for (int i = 0; i < box.ListCount(); ++i)
            if (box.List(i) == text) return i;
        return -1;
    };
    // Each change, the controls that may show it, and what it shows.
    struct Step {
        const char* what;
        std::function<bool()> act;
        std::vector<std::wstring> controls;
        std::function<bool()> shows;
    };
    const Step steps[] = {
        {"volume",
         [&] { return User::DragTo(popup.Get<Slider>(L"csliVolume"), 30); },
         {L"csliVolume"},
         [&] { return editor.csliVolume->Value() == 30 && editor.optVolume[1]->Value(); }},
        {"SVN",
         [&] { return User::Click(popup.Ctl(L"chkSVN")); },
         {L"optSVN"},
         [&] { return editor.optSVN[1]->Value(); }},
        {"Windows channels",
         [&] {
             auto& channels = popup.Get<ComboBox>(L"cboAudioChannels");
             return User::ChooseItem(channels, ItemOf(channels, L"6 Ch."));
         },
         {},
         [&] { return editor.cboSpeakersLayout->ListIndex() == 0; }},
        // The pop-up's output turns the speaker shifter and the upmix off on the card.
        {"output",
         [&] {
             auto& outputs = popup.Get<ComboBox>(L"cboAnalogOutput");
             return User::ChooseItem(outputs, ItemOf(outputs, L"RP 2.0"));
         },
         OutputControls(), [&] { return editor.Output() == L"0004"; }},
    };
    std::vector<std::wstring> changing;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(step.act());
        EXPECT_TRUE(step.shows());
        changing.insert(changing.end(), step.controls.begin(), step.controls.end());
        EXPECT_EQ(Differences(held, Held(editor), changing), L"");
    }
    popup.Unload();
    // The row the two speakers hide keeps its box; the choices made elsewhere are saved as made.
    EXPECT_EQ(editor.chkPlaybackSet[3]->Value(), 1);
    const State after = Saved(editor);
    auto stored = [](const State& state, const std::wstring& name) {
        const auto it = state.find(name);
        return it == state.end() ? std::wstring(L"-") : it->second;
    };
    EXPECT_EQ(stored(after, L"OutputFormat"), stored(saved, L"OutputFormat"));
    EXPECT_EQ(stored(after, L"EqEnable"), L"-");
    EXPECT_EQ(stored(after, L"SystemSpeakers"), L"-");
    EXPECT_EQ(stored(after, MixerValueName(0, 0, 0, 0)), L"1E");
    EXPECT_EQ(stored(after, L"SmartVolumeParams"), L"01000000");
}

}  // namespace
// Live, headphones with Dolby Headphones off, and another program sets its room: the mode list keeps
// it aside. Dolby Headphones on, the user's or another program's, shows the card's room, and Save
// writes it.
TEST_F(LiveFollow, ARoomAnotherProgramSetWhileDolbyHeadphonesWasOffComesBackWithIt) {
    for (const bool usersOn : {false, true}) {
        SCOPED_TRACE(usersOn ? "the user's On" : "On from outside");
        UseEditorCard(kSTX);
        Load(L"");
        const std::pair<const wchar_t*, const wchar_t*> values[] = {
            {L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"01000000"}, {L"DHEnable", L"00000000"},
            {L"DHRoom", L"01000000"}};
        for (const auto& [name, value] : values) {
            SetCard({{name, value}});
            Store(L"Phones", name, value);
        }
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
        frmProfile& e = OpenEditor(L"Phones");
        ClickLive(e);
        ASSERT_FALSE(e.cboDolbyHeadphonesMode->Enabled());
        ChangeFromOutside(L"DHRoom", HexToBytes(L"03000000"));
        // The list that is off keeps showing the user's room.
        EXPECT_EQ(SelectedItemData(*e.cboDolbyHeadphonesMode, -1), 1);
        if (usersOn) {
            ASSERT_TRUE(User::Click(*e.chkDolbyHeadphones));
        } else {
            ChangeFromOutside(L"DHEnable", HexToBytes(L"01000000"));
            ASSERT_TRUE(PumpUntil([&] { return e.chkDolbyHeadphones->Value() == 1; }, 3000));
        }
        EXPECT_EQ(SelectedItemData(*e.cboDolbyHeadphonesMode, -1), 3);
        EXPECT_EQ(FirstByte(GetProfileValue(L"", L"DHRoom")), 3);
        EXPECT_EQ(Saved(e).at(L"DHRoom"), L"03000000");
        CloseEditor();
    }
}

// The real-time window changes only what the user moves: bands another program set past the
// sliders' ends stay on the card when the user moves another band, and a side level the user set
// stays on the card while the user's headphones or encoded digital format hide its row, so that
// another program's output that brings the channel back finds it as the row shows it.
TEST_F(LiveFollow, TheRealTimeWindowKeepsOnTheCardWhatItsControlsCannotShow) {
    const struct {
        const char* what;
        std::function<bool(frmProfile&)> hide;  // the user's choice that takes the side channels
        const wchar_t* value;                   // another program's change that brings them back
        const wchar_t* back;
    } cases[] = {
        {"headphones",
         [](frmProfile& e) { return User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, 0x0001)); },
         L"SpeakerConfig", L"07000000"},
        {"Dolby Digital Live",
         [](frmProfile& e) {
             return User::Click(*e.chkSPDIF) && User::ChooseItem(*e.cboSPDIFOutput, IndexOf(*e.cboSPDIFOutput, 0x10));
         },
         L"SpDigitalOut", L"00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UseEditorCard(kD2);
        Load(L"");
        SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"07000000"}, {L"SpDigitalOut", L"00000000"},
                 {L"EqEnable", L"01"}});
        gAudio->SetSpeakers(gPlaybackLineIds[0], 8);
        frmProfile& e = OpenRealTime();
        e.imgTab_Click(2);
        ChangeFromOutside(L"EqGain", EncodeEqGain({0, 0, 0, 0, 0, 24, 0, 0, 0, -24}));
        ASSERT_EQ(e.csliEQ[5]->Value(), 20);
        ASSERT_TRUE(User::DragTo(*e.csliEQ[8], -18));
        LetTheSecondPass();
        EXPECT_EQ(DecodeEqGain(GetProfileValue(L"", L"EqGain")),
                  (std::array<int, 10>{0, 0, 0, 0, 0, 24, 0, 0, -18, -24}));

        e.imgTab_Click(1);
        ASSERT_TRUE(User::DragTo(*e.csliOutputChannel[7], 10));
        e.imgTab_Click(0);
        ASSERT_TRUE(c.hide(e));
        LetTheSecondPass();
        ASSERT_FALSE(e.csliOutputChannel[7]->Enabled());
        EXPECT_EQ(GetChannelGainPercent(7, L""), 10);
        ChangeFromOutside(c.value, HexToBytes(c.back));
        ASSERT_TRUE(e.csliOutputChannel[7]->Enabled());
        EXPECT_EQ(e.csliOutputChannel[7]->Value(), 10);
        EXPECT_EQ(GetChannelGainPercent(7, L""), 10);
        CloseEditor();
    }
}

// A read of Windows' format that fails once is no change of the speakers: the list keeps the
// user's choice, Save writes it, and the list follows Windows' next good read.
TEST_F(LiveFollow, AFailedReadOfWindowsFormatIsNoChange) {
    for (const bool realTime : {false, true}) {
        SCOPED_TRACE(realTime ? "real-time window" : "live editor");
        UseEditorCard(kD2);
        Load(L"");
        SetCard({{L"SpeakerConfig", L"07000000"}, {L"Dual2D", L"00000000"}});
        gAudio->SetSpeakers(gPlaybackLineIds[0], 8);
        frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
        ASSERT_TRUE(User::ChooseItem(*e.cboSpeakersLayout, IndexOf(*e.cboSpeakersLayout, 6)));
        LetTheSecondPass();
        sim::FailNextSimFormatRead();
        ChangeFromOutside(L"Dual2D", EncodeCode(1));
        EXPECT_EQ(SelectedItemData(*e.cboSpeakersLayout, -1), 6);
        if (!realTime) {
            EXPECT_EQ(Saved(e).at(L"SystemSpeakers"), L"06");
        }
        gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
        LetTheSecondPass();
        EXPECT_TRUE(PumpUntil([&] { return SelectedItemData(*e.cboSpeakersLayout, -1) == 2; }, 3000));
        CloseEditor();
    }
}

// Another program's layout whose speakers stand where the live editor shows them, a last word
// aside (the driver need not keep it as a profile holds it): the editor keeps its own bytes, and
// Save writes the profile's layout.
TEST_F(LiveFollow, ALayoutAtTheFieldsPlacesKeepsTheProfilesBytes) {
    UseEditorCard(kD2);
    Load(L"");
    Bytes layout = HexToBytes(std::wstring(kVssDefaultLayout));
    layout[15] = 7;
    Store(L"Room", L"VSpeakerPos", BytesToHex(layout).c_str());
    frmProfile& e = OpenEditor(L"Room");
    ClickLive(e);
    Bytes other = layout;
    other[15] = 0;
    other[12] = 2;
    ChangeFromOutside(L"VSpeakerPos", other);
    EXPECT_EQ(Saved(e).at(L"VSpeakerPos"), BytesToHex(layout));
    CloseEditor();
}
