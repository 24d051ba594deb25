// The editor sends the card the parts the user changes: another program's change of another part
// of the same value, or of a value that the control's request carries beside its own, stays on
// the card and shows once the own-change second is over; in a live editor and in the real-time
// window.
#include <functional>

#include "device/mixervalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/speakerfield.h"
#include "tests/editor/follow_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class SendParts : public FollowCardFixture {};

Bytes WithByte(Bytes b, std::size_t at, std::uint8_t value) {
    b.at(at) = value;
    return b;
}

// Another program changes the card's value `name`.
void Outside(const wchar_t* name, const std::function<Bytes(Bytes)>& change) {
    sim::SetSimLiveValue(name, change(GetProfileValue(L"", name)));
}

// An effect's panel opened by its expand box.
bool Expanded(CheckBox& expand) { return expand.Value() == 1 || User::Click(expand); }

std::uint8_t CardByte(const wchar_t* name) { return FirstByte(GetProfileValue(L"", name)); }

std::pair<int, int> CardVolumeBalance() {
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    return {static_cast<int>(std::nearbyint(Fixed4ToDouble(volume))),
            static_cast<int>(std::nearbyint(Fixed4ToDouble(balance * 10)))};
}

// Speaker `speaker`'s record of a layout.
Bytes SpeakerRecord(const Bytes& layout, int speaker) {
    const auto at = static_cast<std::ptrdiff_t>(16 * speaker);
    return layout.size() < static_cast<std::size_t>(at + 16) ? Bytes{} : Bytes(layout.begin() + at, layout.begin() + at + 16);
}

bool ChooseGain(frmProfile& e, std::intptr_t code) {
    if (!User::Click(*e.cmdHpAmp) || !HpImpedanceDialog()) return false;
    ComboBox& gains = *HpImpedanceDialog()->cboHpAmp;
    for (int i = 0; i < gains.ListCount(); ++i)
        if (gains.ItemData(i) == code) return User::ChooseItem(gains, i) && User::Click(*HpImpedanceDialog()->cmdClose);
    return false;
}

TEST_F(SendParts, AnotherProgramsPartBesideTheUsersStaysOnTheCardAndShows) {
    const Bytes moved = EncodeSpeakerRecord({0.25f, -0.5f});
    const struct {
        const char* what;
        const wchar_t* card;
        std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values;  // the card before
        std::function<bool(frmProfile&)> ready;                                  // what the user needs first
        std::function<bool(frmProfile&, int)> choose;                            // the user's change 0, then 1
        std::function<void()> outside;                                           // another program's change
        std::function<bool()> onCard;
        std::function<bool(frmProfile&)> shows;
    } cases[] = {
        {"ProLogic IIx depth beside the width", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"Pl2xParam", L"0100000002000000050000000300000000000000"}},
         [](frmProfile& e) { return Expanded(*e.chkPL2xExpand) && (e.chkDolby->Value() == 1 || User::Click(*e.chkDolby)); },
         [](frmProfile& e, int n) { return User::DragTo(*e.csliPL2xWidth, n == 0 ? 2 : 6); }, [] { Outside(L"Pl2xParam", [](const Bytes& b) { return WithByte(b, 8, 2); }); },
         [] {
             const EffectParams p = DecodePl2xParam(GetProfileValue(L"", L"Pl2xParam"));
             return p.on && p.width == 6 && p.depth == 2;
         },
         [](frmProfile& e) { return e.csliPL2xDepth->Value() == 2 && e.csliPL2xWidth->Value() == 6; }},
        {"NEO:PC width beside the depth", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"NeoParam", L"01000000020000000000000005000000"}},
         [](frmProfile& e) { return Expanded(*e.chkNEOExpand) && (e.chkNeo->Value() == 1 || User::Click(*e.chkNeo)); },
         [](frmProfile& e, int n) { return User::DragTo(*e.csliNEODepth, n == 0 ? 2 : 6); }, [] {
             Outside(L"NeoParam", [](const Bytes& b) {
                 const EffectParams p = DecodeNeoParam(b);
                 return EncodeNeoParam(p.on, p.movie, 6, p.depth);
             });
         },
         [] {
             const EffectParams p = DecodeNeoParam(GetProfileValue(L"", L"NeoParam"));
             return p.on && p.width == 6 && p.depth == 6;
         },
         [](frmProfile& e) { return e.csliNEOWidth->Value() == 6 && e.csliNEODepth->Value() == 6; }},
        {"a speaker of the layout beside the one dragged", kD2,
         {{L"SpeakerConfig", L"01000000"}, {L"DHEnable", L"01000000"}, {L"EnableXear3D", L"01000000"}},
         [](frmProfile& e) {
             return Expanded(*e.chkVSSExpand) && (e.chkVSS->Value() == 1 || User::Click(*e.chkVSS)) &&
                    (e.optVSSLayout[1]->Value() || User::ChooseOption(*e.optVSSLayout[1]));
         },
         [](frmProfile& e, int n) {
             DragSpeaker(e, n, 0, 30);
             return true;
         },
         [moved] {
             Outside(L"VSpeakerPos", [&](Bytes b) {
                 std::copy(moved.begin(), moved.end(), b.begin() + 80);
                 return b;
             });
         },
         [moved] { return SpeakerRecord(GetProfileValue(L"", L"VSpeakerPos"), 5) == moved; },
         [moved](frmProfile& e) { return SpeakerRecord(e.EncodeVSpeakerPos(), 5) == moved; }},
        {"the master balance beside the volume", kD2, {{L"SpeakerConfig", L"07000000"}},
         [](frmProfile& e) { return e.optVolume[1]->Value() || User::ChooseOption(*e.optVolume[1]); },
         [](frmProfile& e, int n) { return User::DragTo(*e.csliVolume, n == 0 ? 40 : 60); },
         [] { OtherProgramsVolume(gPlaybackLineIds[0])->SetChannelVolumeLevelScalar(1, 0.2f, nullptr); },
         [] { return CardVolumeBalance() == std::pair<int, int>{60, -5}; },
         [](frmProfile& e) { return e.csliVolume->Value() == 60 && e.csliMasterBalance->Value() == -5; }},
        {"Dolby Headphones' switch beside its room", kD2,
         {{L"SpeakerConfig", L"01000000"}, {L"DHEnable", L"01000000"}, {L"DHRoom", L"01000000"}},
         [](frmProfile& e) { return e.chkDolbyHeadphones->Value() == 1 || User::Click(*e.chkDolbyHeadphones); },
         [](frmProfile& e, int n) {
             return User::ChooseItem(*e.cboDolbyHeadphonesMode, IndexOf(*e.cboDolbyHeadphonesMode, n == 0 ? 2 : 3));
         },
         [] { sim::SetSimLiveValue(L"DHEnable", EncodeFlag(false)); },
         [] { return CardByte(L"DHEnable") == 0 && CardByte(L"DHRoom") == 3; },
         [](frmProfile& e) { return e.chkDolbyHeadphones->Value() == 0; }},
        {"FlexBass's switch beside the crossover", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"BassManagement", L"01000000"}, {L"BassCornerFrequency", L"50000000"}},
         [](frmProfile& e) {
             e.imgTab_Click(2);
             return e.optFlexBass[1]->Value() || User::ChooseOption(*e.optFlexBass[1]);
         },
         [](frmProfile& e, int n) { return User::DragTo(*e.csliCrossover, n == 0 ? 100 : 120); }, [] { sim::SetSimLiveValue(L"BassManagement", EncodeFlag(false)); },
         [] { return CardByte(L"BassManagement") == 0 && CardByte(L"BassCornerFrequency") == 120; },
         [](frmProfile& e) { return e.optFlexBass[0]->Value(); }},
        {"the headphones' panel beside their gain", kSTX,
         {{L"SpeakerConfig", L"01000000"}, {L"PanelConfig", L"00000000"}},
         [](frmProfile&) { return true; }, [](frmProfile& e, int n) { return ChooseGain(e, n == 0 ? 1 : 2); },
         [] { sim::SetSimLiveValue(L"PanelConfig", EncodeCode(1)); },
         [] { return CardByte(L"PanelConfig") == 1 && CardByte(L"HpImpedanceModeFront") == 2; },
         [](frmProfile& e) { return e.Output() == L"0101"; }},
    };
    for (const bool realTime : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.what << (realTime ? ", real-time window" : ", live editor"));
            UseEditorCard(c.card);
            Load(L"");
            SetCard(c.values);
            // Windows' stereo, which the effects upmix.
            gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
            frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
            ASSERT_FALSE(e.LiveProfileName().empty());
            ASSERT_TRUE(c.ready(e));
            LetTheSecondPass();
            ASSERT_TRUE(c.choose(e, 0));
            // Within the second of the user's change, however long a loaded machine took over it.
            gLastSelfChange.store(::timeGetTime());
            c.outside();
            ASSERT_TRUE(c.choose(e, 1));
            EXPECT_TRUE(c.onCard());
            LetTheSecondPass();
            EXPECT_TRUE(PumpUntil([&] { return c.shows(e); }, 3000));
            CloseEditor();
        }
    }
}

// A preset sets every band: one whose slider already stands at the preset's value goes too, over
// another program's band of the own second, and the preset shows as chosen.
TEST_F(SendParts, APresetSendsEveryBandTheCardDoesNotHold) {
    for (const bool realTime : {false, true}) {
        SCOPED_TRACE(realTime ? "real-time window" : "live editor");
        UseEditorCard(kD2);
        Load(L"");
        SetCard({{L"EqEnable", L"01"}, {L"EqGain", BytesToHex(EncodeEqGain({})).c_str()}});
        frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
        e.imgTab_Click(2);
        if (!realTime) {
            ASSERT_TRUE(User::ChooseOption(*e.optEQ[1]));
            ASSERT_TRUE(User::ChooseOption(e.Get<OptionButton>(L"optEQProfile", 1)));
        }
        LetTheSecondPass();
        ASSERT_TRUE(User::DragTo(*e.csliEQ[0], 4));
        gLastSelfChange.store(::timeGetTime());
        sim::SetSimLiveValue(L"EqGain", EncodeEqGain({4, 0, 0, 0, 0, 9, 0, 0, 0, 0}));
        const int flat = [] {
            for (std::size_t i = 0; i < gEqPresetGains.size(); ++i)
                if (gEqPresetGains[i] == BytesToHex(EncodeEqGain({}))) return static_cast<int>(i);
            return -1;
        }();
        ASSERT_GE(flat, 0);
        ASSERT_TRUE(User::ChooseOption(*e.optLoadEQPreset[static_cast<std::size_t>(flat)]));
        EXPECT_EQ(DecodeEqGain(GetProfileValue(L"", L"EqGain")), (std::array<int, 10>{}));
        LetTheSecondPass();
        EXPECT_EQ(e.csliEQ[5]->Value(), 0);
        EXPECT_TRUE(e.optLoadEQPreset[static_cast<std::size_t>(flat)]->Value());
        CloseEditor();
    }
}

}  // namespace
