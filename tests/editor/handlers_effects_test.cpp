// The effect panel handlers driven as the user drives them in live mode: the Dolby virtualizer
// gating the effects after it and its mode list, and the ProLogic IIx sliders and their reset
// reaching the card.
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/portable/profilebytes.h"
#include "tests/editor/follow_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class EffectHandlers : public FollowCardFixture {
protected:
    static std::uint8_t Card(const wchar_t* name) { return GetProfileValue(L"", name).at(0); }
    static void Check(frmProfile& editor, const wchar_t* name, int value) {
        auto& box = editor.Get<CheckBox>(name);
        if (box.Value() != value) {
            ASSERT_TRUE(User::Click(box)) << name;
        }
    }
    // A new profile in live mode on the D2 with headphones chosen and Dolby Headphones on.
    frmProfile& OpenWithDolbyHeadphones() {
        UseEditorCard(kD2);
        frmProfile& editor = OpenEditor(L"");
        auto& outputs = editor.Get<ComboBox>(L"cboAnalogOutput");
        EXPECT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0001)));  // headphones
        EXPECT_TRUE(editor.Ctl(L"chkDolbyHeadphones").Enabled());
        Check(editor, L"chkDolbyHeadphones", 1);
        return editor;
    }
};

TEST_F(EffectHandlers, ClearingDolbyHeadphonesSwitchesTheEffectsAfterItOffOnTheCard) {
    frmProfile& editor = OpenWithDolbyHeadphones();
    EXPECT_EQ(Card(L"DHEnable"), 1);
    ASSERT_TRUE(editor.Ctl(L"chkDolby").Enabled());
    Check(editor, L"chkDolby", 1);
    EXPECT_EQ(Card(L"Pl2xParam"), 1);

    Check(editor, L"chkDolbyHeadphones", 0);
    EXPECT_EQ(Card(L"DHEnable"), 0);
    EXPECT_EQ(Card(L"Pl2xParam"), 0);
    for (const wchar_t* name : {L"chkVSS", L"chkDolby", L"chkNeo"}) {
        EXPECT_EQ(editor.Get<CheckBox>(name).Value(), 0) << name;
        EXPECT_FALSE(editor.Ctl(name).Enabled()) << name;
    }
    EXPECT_FALSE(editor.Ctl(L"cboDolbyHeadphonesMode").Enabled());
    EXPECT_FALSE(editor.Ctl(L"lblDolbyHeadphonesMode").Enabled());
}

// A virtualizer switched on makes usable only the effects after it that the output shows: one the
// output hides stays off on the card, kept for the output that shows it again.
TEST_F(EffectHandlers, AVirtualizerSwitchedOnBringsBackNoEffectTheOutputHides) {
    UseEditorCard(kD2);
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    auto& outputs = *editor.cboAnalogOutput;
    auto& layouts = *editor.cboSpeakersLayout;
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0006)));  // 5.1 on two channels: PLIIx offered
    Check(editor, L"chkDolby", 1);
    ASSERT_TRUE(User::ChooseItem(layouts, IndexOf(layouts, 4)));       // four channels: PLIIx hidden
    ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0001)));  // headphones: still hidden
    ASSERT_FALSE(editor.chkDolby->Enabled());
    ASSERT_EQ(Card(L"Pl2xParam"), 0);
    Check(editor, L"chkDolbyHeadphones", 1);
    EXPECT_EQ(Card(L"DHEnable"), 1);
    EXPECT_TRUE(editor.chkVSS->Enabled());  // shown under the virtualizer
    EXPECT_FALSE(editor.chkDolby->Enabled());
    EXPECT_FALSE(editor.chkNeo->Enabled());
    EXPECT_EQ(Card(L"Pl2xParam"), 0);
    ASSERT_TRUE(User::ChooseItem(layouts, IndexOf(layouts, 2)));  // two channels: under the virtualizer
    EXPECT_TRUE(editor.chkDolby->Enabled());
}

// The speaker shifter's click, on or off as the output or a virtualizer switches it, sends no
// ProLogic IIx the output hides: neither for rear two speakers with Dolby Virtual Speaker switched
// on, nor for headphones chosen with Windows at four channels.
TEST_F(EffectHandlers, TheSpeakerShifterSendsNoProLogicTheOutputHides) {
    const struct {
        const char* what;
        std::intptr_t windows;      // Windows' channels chosen after the effects, if any
        std::intptr_t to;           // the output chosen after 5.1
        const wchar_t* virtualizer;  // switched on afterwards, if any
    } cases[] = {
        {"rear two speakers, then the virtual speaker", 0, 0x0004, L"chkDolbyVirtualSpeaker"},
        {"headphones with Windows at four channels", 4, 0x0001, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UseEditorCard(kD2);
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
        frmProfile& editor = OpenEditor(L"");
        ASSERT_FALSE(editor.LiveProfileName().empty());
        auto& outputs = *editor.cboAnalogOutput;
        ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, 0x0006)));
        Check(editor, L"chkDolby", 1);
        Check(editor, L"chkVSS", 1);
        ASSERT_EQ(Card(L"Pl2xParam"), 1);
        if (c.windows) {
            ASSERT_TRUE(User::ChooseItem(*editor.cboSpeakersLayout, IndexOf(*editor.cboSpeakersLayout, c.windows)));
            ASSERT_FALSE(editor.chkDolby->Enabled());
            EXPECT_EQ(Card(L"Pl2xParam"), 0);
        }
        ASSERT_TRUE(User::ChooseItem(outputs, IndexOf(outputs, c.to)));
        ASSERT_FALSE(editor.chkDolby->Enabled());
        EXPECT_EQ(Card(L"Pl2xParam"), 0);
        if (c.virtualizer) Check(editor, c.virtualizer, 1);
        EXPECT_FALSE(editor.chkDolby->Enabled());
        EXPECT_EQ(Card(L"Pl2xParam"), 0);
        CloseEditor();
    }
}

// A Dolby mode list is usable exactly while its effect is offered and on: as loaded, and after the
// output changed from outside, with no click on the effect's box.
TEST_F(EffectHandlers, ADolbyModeListIsEnabledExactlyWhileItsEffectIsOn) {
    const struct {
        const wchar_t* speakers;  // stored and on the card
        const wchar_t* effect;
        std::uint8_t on;
        const wchar_t* outside;  // the output another program switches to, if any
        bool enabled;
    } cases[] = {
        {L"01000000", L"DHEnable", 0, nullptr, false},     {L"01000000", L"DHEnable", 1, nullptr, true},
        {L"04000000", L"DVSEnable", 0, nullptr, false},    {L"04000000", L"DVSEnable", 1, nullptr, true},
        {L"01000000", L"DHEnable", 1, L"06000000", false}, {L"04000000", L"DVSEnable", 1, L"06000000", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << Narrow(c.speakers) << " " << Narrow(c.effect) << " " << int{c.on});
        UseEditorCard(kD2);
        Load(L"");
        gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
        sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"00000000"));
        sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(c.speakers));
        Store(L"Dolby", L"PanelConfig", L"00000000");
        Store(L"Dolby", L"SpeakerConfig", c.speakers);
        Store(L"Dolby", c.effect, c.on ? L"01000000" : L"00000000");
        frmProfile& editor = OpenEditor(L"Dolby");
        const bool dh = std::wstring(c.effect) == L"DHEnable";
        ComboBox& modes = dh ? *editor.cboDolbyHeadphonesMode : *editor.cboDolbyVirtualSpeakerMode;
        Label& label = dh ? *editor.lblDolbyHeadphonesMode : *editor.lblDolbyVirtualSpeakerMode;
        ASSERT_TRUE((dh ? editor.chkDolbyHeadphones : editor.chkDolbyVirtualSpeaker)->Enabled());
        if (c.outside) {
            ClickLive(editor);
            ASSERT_FALSE(editor.LiveProfileName().empty());
            sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(c.outside));
            LetTheRefreshRun();
            ASSERT_EQ(BytesToHex(GetProfileValue(L"", L"SpeakerConfig")), c.outside);
            ASSERT_EQ(editor.Output(), L"00" + std::wstring(c.outside).substr(0, 2));
        }
        EXPECT_EQ(modes.Enabled(), c.enabled);
        EXPECT_EQ(label.Enabled(), c.enabled);
        CloseEditor();
    }
}

TEST_F(EffectHandlers, ProLogicSlidersFollowTheEffectAndTheirResetSendsOncePerChangedSlider) {
    frmProfile& editor = OpenWithDolbyHeadphones();
    ASSERT_TRUE(editor.Ctl(L"chkDolby").Enabled());
    Check(editor, L"chkDolby", 1);
    Check(editor, L"chkPL2xExpand", 1);
    EXPECT_EQ(editor.Ctl(L"chkPL2xExpand").Caption(), L"-");
    ASSERT_TRUE(User::ChooseOption(editor.Get<OptionButton>(L"optPL2xMode", 0)));
    auto& width = editor.Get<Slider>(L"csliPL2xWidth");
    const Bytes before = GetProfileValue(L"", L"Pl2xParam");
    ASSERT_TRUE(User::DragTo(width, 5));
    EXPECT_NE(GetProfileValue(L"", L"Pl2xParam"), before);  // the width follows on the card
    // Off: the sliders show the fixed values; on again: the user's come back.
    Check(editor, L"chkDolby", 0);
    EXPECT_FALSE(width.Enabled());
    EXPECT_EQ(width.Value(), 3);
    EXPECT_FALSE(editor.Ctl(L"optPL2xMode", 0).Enabled());
    Check(editor, L"chkDolby", 1);
    EXPECT_EQ(width.Value(), 5);

    sim::ClearSimRequestLog();
    ASSERT_TRUE(User::Click(editor.Ctl(L"cmdResetPL2xGraphSliders")));
    EXPECT_EQ(width.Value(), 3);
    EXPECT_EQ(Writes().size(), 1u);  // the depth was at 7 already
    SaveWindowScreenshot(editor.hWnd(), L"frmProfile", L"pl2x-expanded");
}

TEST_F(EffectHandlers, AnEffectSwitchedOnAfterLoadingKeepsTheProfilesSliders) {
    UseEditorCard(kD2);
    Store(L"Off", L"PanelConfig", L"00000000");
    Store(L"Off", L"SpeakerConfig", L"03000000");  // four speakers: both upmixes offered
    Store(L"Off", L"Pl2xParam", BytesToHex(EncodePl2xParam(false, false, 5, 9, false)).c_str());
    Store(L"Off", L"NeoParam", BytesToHex(EncodeNeoParam(false, false, 2, 10)).c_str());
    frmProfile& editor = OpenEditor(L"Off");
    ASSERT_TRUE(editor.Ctl(L"chkDolby").Enabled());
    EXPECT_FALSE(editor.Ctl(L"csliPL2xWidth").Enabled());
    Check(editor, L"chkDolby", 1);
    EXPECT_EQ(editor.Get<Slider>(L"csliPL2xWidth").Value(), 5);
    EXPECT_EQ(editor.Get<Slider>(L"csliPL2xDepth").Value(), 9);
    if (!editor.NeoParamSupported()) return;
    ASSERT_TRUE(editor.Ctl(L"chkNeo").Enabled());
    Check(editor, L"chkNeo", 1);
    EXPECT_EQ(editor.Get<Slider>(L"csliNEOWidth").Value(), 2);
    EXPECT_EQ(editor.Get<Slider>(L"csliNEODepth").Value(), 10);
}

TEST_F(EffectHandlers, AnEffectBoxTakingTheFocusOpensItsPanelAndLeavesAnOpenOneOpen) {
    frmProfile& editor = OpenWithDolbyHeadphones();
    const std::pair<const wchar_t*, const wchar_t*> boxes[] = {
        {L"chkDolby", L"chkPL2xExpand"}, {L"chkNeo", L"chkNEOExpand"}, {L"chkVSS", L"chkVSSExpand"}};
    for (const auto& [effect, expand] : boxes) {
        ASSERT_TRUE(editor.Ctl(effect).Enabled()) << effect;
        Check(editor, expand, 0);
        ::SetFocus(editor.Ctl(L"cboAnalogOutput").Window());
        EXPECT_EQ(editor.Get<CheckBox>(expand).Value(), 0) << expand;
        ::SetFocus(editor.Ctl(effect).Window());
        Pump(5);
        EXPECT_EQ(editor.Get<CheckBox>(expand).Value(), 1) << expand;
        EXPECT_EQ(editor.Ctl(expand).Caption(), L"-") << expand;
        // The effect itself is not switched by the focus.
        EXPECT_EQ(editor.Get<CheckBox>(effect).Value(), 0) << effect;
        ::SetFocus(editor.Ctl(L"cboAnalogOutput").Window());
        ::SetFocus(editor.Ctl(effect).Window());
        EXPECT_EQ(editor.Get<CheckBox>(expand).Value(), 1) << expand;
    }
}

}  // namespace

// ProLogic IIx and NEO:PC as stored open usable exactly while their box is on: off, the mode
// buttons, levels and their labels are unusable and the levels show the fixed movie ones while
// the stored ones are kept for Save; on, the stored levels are shown to move.
TEST_F(EffectHandlers, AStoredGraphEffectOpensUsableExactlyWhileItIsOn) {
    UseEditorCard(kD2);
    for (const bool pl2x : {true, false}) {
        for (const bool on : {false, true}) {
            SCOPED_TRACE(std::string(pl2x ? "PL2x" : "NEO") + (on ? " on" : " off"));
            const wchar_t* name = pl2x ? L"Pl2xParam" : L"NeoParam";
            const Bytes stored = pl2x ? EncodePl2xParam(on, false, 5, 10, false) : EncodeNeoParam(on, false, 5, 10);
            RegDeleteTree(gRegProfiles, L"Graph");
            RegWrite(RegJoin(gRegProfiles, L"Graph"), name, stored);
            frmProfile& e = OpenEditor(L"Graph");
            Slider& width = pl2x ? *e.csliPL2xWidth : *e.csliNEOWidth;
            Slider& depth = pl2x ? *e.csliPL2xDepth : *e.csliNEODepth;
            for (Control* c : ControlList{pl2x ? e.optPL2xMode[0] : e.optNEOMode[0],
                                          pl2x ? e.optPL2xMode[1] : e.optNEOMode[1], &width, &depth,
                                          pl2x ? e.lblPL2xWidthWide : e.lblNEOWidthWide})
                EXPECT_EQ(c->Enabled(), on) << Narrow(Key(*c));
            EXPECT_EQ(width.Value(), on ? 5 : pl2x ? 3 : 4);
            EXPECT_EQ(depth.Value(), on ? 10 : 7);
            EXPECT_EQ(Saved(e)[name], BytesToHex(stored));
            CloseEditor();
        }
    }
}
