// The end of echo cancellation (the user's Disable, off from outside, a profile by its key, the
// real-time window closed at once) puts back what the user's Enable changed where the card still
// holds what the Enable set; what another program or a profile set since stays and shows. In a
// live editor and in the real-time window.
#include <functional>

#include "editor/portable/profilebytes.h"
#include "tests/editor/follow_fixture.h"
#include "tray/mainform.h"

using namespace kal;
using namespace kal::testing;

namespace {

class EchoEnd : public FollowCardFixture {
protected:
    // Other programs' changes of the card, in one second after the program's own.
    void Outside(std::initializer_list<std::pair<const wchar_t*, Bytes>> values) {
        gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
        for (const auto& [name, value] : values) sim::SetSimLiveValue(name, value);
        LetTheSecondPass();
    }
};

std::uint8_t CardByte(const wchar_t* name) { return FirstByte(GetProfileValue(L"", name)); }

bool Disable(frmProfile& e) {
    e.imgTab_Click(3);
    return User::ChooseOption(*e.optAEC[0]);
}

bool EqualizerOn(frmProfile& e) {
    e.imgTab_Click(2);
    return e.RealTimeMode() || e.optEQ[1]->Value() || User::ChooseOption(*e.optEQ[1]);
}

Bytes Rate(std::uint32_t hz) { return Bytes{static_cast<std::uint8_t>(hz), static_cast<std::uint8_t>(hz >> 8), static_cast<std::uint8_t>(hz >> 16), 0}; }

TEST_F(EchoEnd, PutsBackOnlyWhatItsEnableChangedAndTheCardStillHolds) {
    const std::wstring flat = BytesToHex(EncodeEqGain({})), aecOn = BytesToHex(EncodeAEC(true));
    const struct {
        const char* what;
        bool realTimeOnly;
        std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values;  // the card before
        std::function<bool(frmProfile&)> ready;
        std::function<bool(frmProfile&)> whileOn;  // after the Enable
        std::function<bool(frmProfile&)> end;
        std::function<bool()> onCard;
        std::function<bool(frmProfile&)> shows;
    } cases[] = {
        {"a rate set while it holds, then the Disable", false,
         {{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}, {L"OutputFormat", L"80BB0000"}},
         [](frmProfile& e) {
             e.imgTab_Click(0);
             return e.RealTimeMode() || User::ChooseItem(*e.cboSampleRate, IndexOf(*e.cboSampleRate, 48000));
         },
         nullptr,
         [this](frmProfile& e) { return Outside({{L"OutputFormat", Rate(96000)}}), Disable(e); },
         [] { return BytesToUInt32(GetProfileValue(L"", L"OutputFormat")) == 96000 && CardByte(L"SpeakerConfig") == 7 && CardByte(L"EqEnable") == 1; },
         [](frmProfile& e) { return SelectedItemData(*e.cboSampleRate) == 96000 && e.Output() == L"0007"; }},
        {"a band set while it holds, then the Disable", false,
         {{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}, {L"EqGain", flat.c_str()}}, EqualizerOn, nullptr,
         [this](frmProfile& e) {
             Bytes gain = GetProfileValue(L"", L"EqGain");
             std::copy_n(EncodeEqBand(9).begin(), 4, gain.begin() + 20);
             return Outside({{L"EqGain", gain}}), Disable(e);
         },
         [] { return DecodeEqGain(GetProfileValue(L"", L"EqGain"))[5] == 9 && CardByte(L"EqEnable") == 1; },
         [](frmProfile& e) { return e.csliEQ[5]->Value() == 9 && e.optEQ[1]->Value(); }},
        {"off and 7.1 from outside in one second", false, {{L"SpeakerConfig", L"06000000"}, {L"EqEnable", L"01"}},
         EqualizerOn, nullptr,
         [this](frmProfile&) { return Outside({{L"AEC", EncodeAEC(false)}, {L"SpeakerConfig", EncodeCode(7)}}), true; },
         [] { return CardByte(L"SpeakerConfig") == 7 && CardByte(L"EqEnable") == 1; },
         [](frmProfile& e) { return e.Output() == L"0007" && e.optEQ[1]->Value(); }},
        // The profile turns it off, chooses 5.1 and the equalizer off: the window's put-back
        // must not overwrite it in the seconds after.
        {"a profile by its shortcut key", false, {{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}}, EqualizerOn,
         nullptr,
         [this](frmProfile&) {
             for (const auto& [name, hex] : {std::pair{L"AEC", BytesToHex(EncodeAEC(false))}, {L"SpeakerConfig", std::wstring(L"06000000")},
                                             {L"EqEnable", std::wstring(L"00")}, {L"Shortcut", std::wstring(L"7A03")}})
                 RegWrite(RegJoin(gRegProfiles, L"Night"), name, HexToBytes(hex));
             form_->UpdateMenus();
             const std::vector<std::wstring>& menu = form_->ProfileNames();
             const auto item = std::find(menu.begin(), menu.end(), L"Night");
             if (item == menu.end()) return false;
             ::SendMessageW(form_->hWnd(), WM_HOTKEY, kProfileHotkeyBase + (item - menu.begin()), 0);
             LetTheSecondPass();
             Pump(2500);
             LetTheSecondPass();
             return true;
         },
         [] { return CardByte(L"SpeakerConfig") == 6 && CardByte(L"EqEnable") == 0 && !DecodeAEC(GetProfileValue(L"", L"AEC")); },
         [](frmProfile& e) { return e.Output() == L"0006" && e.optEQ[0]->Value(); }},
        // The follow has not reached the window in the second of its own change.
        {"off from outside, then the close box at once", true, {{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}},
         nullptr, nullptr,
         [](frmProfile& e) {
             sim::SetSimLiveValue(L"AEC", EncodeAEC(false));
             sim::WaitForSimNotifications();
             gLastSelfChange.store(::timeGetTime());
             ::SendMessageW(e.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
             return PumpUntil([] { return ProfileEditor() == nullptr; }, 3000);
         },
         [] { return CardByte(L"SpeakerConfig") == 7 && CardByte(L"EqEnable") == 1; }, nullptr},
        {"an equalizer flag of four bytes, off from outside", false,
         {{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01000000"}}, EqualizerOn, nullptr,
         [this](frmProfile&) { return Outside({{L"AEC", EncodeAEC(false)}}), true; },
         [] { return CardByte(L"EqEnable") == 1 && CardByte(L"SpeakerConfig") == 7; },
         [](frmProfile& e) { return e.optEQ[1]->Value() && e.Output() == L"0007"; }},
        // Dolby Virtual Speaker on from outside while headphones hide it: the two speakers of
        // the Enable offer it, and the locked box shows it off.
        {"a hidden effect on at the Enable", false, {{L"SpeakerConfig", L"01000000"}, {L"DVSEnable", L"01000000"}},
         nullptr,
         [](frmProfile& e) { return CardByte(L"DVSEnable") == 0 && e.chkDolbyVirtualSpeaker->Value() == 0; },
         [](frmProfile& e) { return Disable(e); },
         [] { return CardByte(L"SpeakerConfig") == 1 && CardByte(L"DVSEnable") == 1; },
         [](frmProfile& e) { return e.Output() == L"0001"; }},
        // On when the window opened (no Enable of the user's): the Disable leaves the card as it
        // is and the reopened boxes show it.
        {"on at the opening, an effect on", true,
         {{L"SpeakerConfig", L"04000000"}, {L"DVSEnable", L"01000000"}, {L"AEC", aecOn.c_str()}}, nullptr, nullptr,
         [](frmProfile& e) { return Disable(e); },
         [] { return CardByte(L"SpeakerConfig") == 4 && CardByte(L"DVSEnable") == 1; },
         [](frmProfile& e) { return e.chkDolbyVirtualSpeaker->Value() == 1; }},
    };
    for (const bool realTime : {false, true}) {
        for (const auto& c : cases) {
            if (c.realTimeOnly && !realTime) continue;
            SCOPED_TRACE(::testing::Message() << c.what << (realTime ? ", real-time window" : ", live editor"));
            UseEditorCard(kD2);
            Load(L"");
            SetCard(c.values);
            gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
            frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
            ASSERT_FALSE(e.LiveProfileName().empty());
            ASSERT_TRUE(!c.ready || c.ready(e));
            LetTheSecondPass();
            e.imgTab_Click(3);
            ASSERT_TRUE(e.optAEC[1]->Value() || User::ChooseOption(*e.optAEC[1]));
            LetTheSecondPass();
            ASSERT_EQ(CardByte(L"SpeakerConfig"), 4);
            EXPECT_TRUE(!c.whileOn || c.whileOn(e));
            ASSERT_TRUE(c.end(e));
            EXPECT_TRUE(PumpUntil(c.onCard, 3000));
            EXPECT_TRUE(!c.shows || PumpUntil([&] { return c.shows(e); }, 3000));
            CloseEditor();
            RegDeleteTree(gRegProfiles, L"Night");
        }
    }
}

// A live editor shows the output of a profile that names none while the card holds another: the
// Disable brings the card's output back and the editor's own, and Save writes no output.
TEST_F(EchoEnd, TheEditorsOwnChoicesComeBackBesideTheCardsOwn) {
    UseEditorCard(kD2);
    Load(L"");
    SetCard({{L"SpeakerConfig", L"07000000"}, {L"BassCornerFrequency", L"FA000000"}});
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    RegWrite(RegJoin(gRegProfiles, L"Plain"), L"AEC", EncodeAEC(false));
    frmProfile& e = OpenEditor(L"Plain");
    if (e.LiveProfileName().empty()) ClickLive(e);
    ASSERT_FALSE(e.LiveProfileName().empty());
    const std::wstring output = e.Output();
    const std::int32_t crossover = e.csliCrossover->Value();
    ASSERT_NE(output, L"0007");
    ASSERT_NE(crossover, 0xFA);
    LetTheSecondPass();
    e.imgTab_Click(3);
    ASSERT_TRUE(User::ChooseOption(*e.optAEC[1]));
    LetTheSecondPass();
    ASSERT_TRUE(Disable(e));
    LetTheSecondPass();
    Pump(500);
    EXPECT_EQ(CardByte(L"SpeakerConfig"), 7);
    EXPECT_EQ(CardByte(L"BassCornerFrequency"), 0xFA);
    EXPECT_EQ(e.Output(), output);
    EXPECT_EQ(e.csliCrossover->Value(), crossover);
    e.SaveValues(L"Saved", false);
    const auto saved = kal::testing::StoredValues(L"Saved");
    EXPECT_EQ(saved.count(L"SpeakerConfig"), 0u);
    EXPECT_EQ(saved.count(L"BassCornerFrequency"), 0u);
}

}  // namespace
