// The editor sends the card the parts the user changes: another program's change of another part
// of the same value, or of a value that the control's request carries beside its own, stays on
// the card and shows once the own-change second is over; in a live editor and in the real-time
// window.
#include <algorithm>
#include <functional>

#include "device/mixervalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/speakerfield.h"
#include "tests/editor/follow_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class SendParts : public FollowCardFixture {};

// Another program changes the card's value `name`.
void Outside(const wchar_t* name, const std::function<Bytes(Bytes)>& change) {
    sim::SetSimLiveValue(name, change(GetProfileValue(L"", name)));
}

std::uint8_t CardByte(const wchar_t* name) { return FirstByte(GetProfileValue(L"", name)); }

// What the user needs open or chosen before the meeting: a panel's expand box, a live editor's
// choice that makes the profile set the value.
bool Open(CheckBox& box) { return box.Value() == 1 || User::Click(box); }
bool Choose(OptionButton& option) { return option.Value() || User::ChooseOption(option); }
bool EqualizerSet(frmProfile& e) {
    e.imgTab_Click(2);
    return e.RealTimeMode() ||
           (Choose(*e.optEQ[1]) && Choose(e.Get<OptionButton>(L"optEQProfile", 1)) && Choose(*e.optFlexBass[1]));
}

Bytes SpeakerRecord(const Bytes& layout, int speaker) {
    return layout.size() < 16u * (speaker + 1) ? Bytes{} : Bytes(layout.begin() + 16 * speaker, layout.begin() + 16 * speaker + 16);
}

bool ChooseGain(frmProfile& e, std::intptr_t code) {
    if (!User::Click(*e.cmdHpAmp) || !HpImpedanceDialog()) return false;
    ComboBox& gains = *HpImpedanceDialog()->cboHpAmp;
    for (int i = 0; i < gains.ListCount(); ++i)
        if (gains.ItemData(i) == code) return User::ChooseItem(gains, i) && User::Click(*HpImpedanceDialog()->cmdClose);
    return false;
}

// The user's change, another program's change within its second, the user's next change.
TEST_F(SendParts, AnotherProgramsPartBesideTheUsersStaysOnTheCardAndShows) {
    const Bytes moved = EncodeSpeakerRecord({0.25f, -0.5f});
    const std::wstring flat = BytesToHex(EncodeEqGain({}));
    const auto flatPreset = static_cast<std::size_t>(
        std::find(gEqPresetGains.begin(), gEqPresetGains.end(), flat) - gEqPresetGains.begin());
    ASSERT_LT(flatPreset, gEqPresetGains.size());
    const struct {
        const char* what;
        const wchar_t* card;
        std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values;  // the card before
        std::function<bool(frmProfile&)> ready;
        std::function<bool(frmProfile&, int)> choose;  // the user's change 0, then 1
        std::function<void()> outside;
        std::function<bool()> onCard;
        std::function<bool(frmProfile&)> shows;
    } cases[] = {
        {"equalizer bands", kD2, {{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}, {L"EqGain", flat.c_str()}},
         EqualizerSet,
         [](frmProfile& e, int n) { return User::DragTo(*e.csliEQ[n], n == 0 ? 4 : 3); },
         [] { Outside(L"EqGain", [](Bytes b) { return std::copy_n(EncodeEqBand(7).begin(), 4, b.begin() + 20), b; }); },
         [] { return DecodeEqGain(GetProfileValue(L"", L"EqGain")) == std::array<int, 10>{4, 3, 0, 0, 0, 7}; },
         [](frmProfile& e) { return e.csliEQ[5]->Value() == 7; }},
        // A preset sets every band, one whose slider already stood at its value too.
        {"a preset over a band", kD2, {{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}, {L"EqGain", flat.c_str()}},
         EqualizerSet,
         [flatPreset](frmProfile& e, int n) {
             return n == 0 ? User::DragTo(*e.csliEQ[0], 4) : User::ChooseOption(*e.optLoadEQPreset[flatPreset]);
         },
         [] { Outside(L"EqGain", [](Bytes b) { return std::copy_n(EncodeEqBand(9).begin(), 4, b.begin() + 20), b; }); },
         [flat] { return BytesToHex(GetProfileValue(L"", L"EqGain")) == flat; },
         [flatPreset](frmProfile& e) { return e.csliEQ[5]->Value() == 0 && e.optLoadEQPreset[flatPreset]->Value(); }},
        {"speaker sizes", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"BassManagement", L"01000000"}, {L"SpeakerSize", L"00000000"}}, EqualizerSet,
         [](frmProfile& e, int n) { return User::ChooseItem(*e.cboSpeakerSize[n == 0 ? 0 : 3], 1); },
         [] { Outside(L"SpeakerSize", [](Bytes b) { return b.at(0) |= 0x30, b; }); },
         [] { return CardByte(L"SpeakerSize") == 0xF3; }, [](frmProfile& e) { return e.cboSpeakerSize[2]->ListIndex() == 1; }},
        {"ProLogic IIx depth beside the width", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"Pl2xParam", L"0100000002000000050000000300000000000000"}},
         [](frmProfile& e) { return Open(*e.chkPL2xExpand) && Open(*e.chkDolby); },
         [](frmProfile& e, int n) { return User::DragTo(*e.csliPL2xWidth, n == 0 ? 2 : 6); },
         [] { Outside(L"Pl2xParam", [](Bytes b) { return b.at(8) = 2, b; }); },
         [] {
             const EffectParams p = DecodePl2xParam(GetProfileValue(L"", L"Pl2xParam"));
             return p.on && p.width == 6 && p.depth == 2;
         },
         [](frmProfile& e) { return e.csliPL2xDepth->Value() == 2 && e.csliPL2xWidth->Value() == 6; }},
        // Switched off, the effect shows the movie mode's levels and sends none of them.
        {"ProLogic IIx's switch beside its width", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"Pl2xParam", L"0100000002000000050000000500000000000000"}},
         [](frmProfile& e) { return Open(*e.chkPL2xExpand) && Open(*e.chkDolby); },
         [](frmProfile& e, int n) { return n == 0 ? User::DragTo(*e.csliPL2xDepth, 2) : User::Click(*e.chkDolby); },
         [] { Outside(L"Pl2xParam", [](Bytes b) { return b.at(12) = 6, b; }); },
         [] {
             const EffectParams p = DecodePl2xParam(GetProfileValue(L"", L"Pl2xParam"));
             return !p.on && p.width == 6 && p.depth == 2;
         },
         [](frmProfile& e) { return e.chkDolby->Value() == 0; }},
        {"NEO:PC's switch beside its width", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"NeoParam", L"01000000020000000000000005000000"}},
         [](frmProfile& e) { return Open(*e.chkNEOExpand) && Open(*e.chkNeo); },
         [](frmProfile& e, int n) { return n == 0 ? User::DragTo(*e.csliNEODepth, 2) : User::Click(*e.chkNeo); },
         [] {
             Outside(L"NeoParam", [](const Bytes& b) {
                 const EffectParams p = DecodeNeoParam(b);
                 return EncodeNeoParam(p.on, p.movie, 6, p.depth);
             });
         },
         [] {
             const EffectParams p = DecodeNeoParam(GetProfileValue(L"", L"NeoParam"));
             return !p.on && p.width == 6 && p.depth == 2;
         },
         [](frmProfile& e) { return e.chkNeo->Value() == 0; }},
        {"NEO:PC width beside the depth", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"NeoParam", L"01000000020000000000000005000000"}},
         [](frmProfile& e) { return Open(*e.chkNEOExpand) && Open(*e.chkNeo); },
         [](frmProfile& e, int n) { return User::DragTo(*e.csliNEODepth, n == 0 ? 2 : 6); },
         [] {
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
         [](frmProfile& e) { return Open(*e.chkVSSExpand) && Open(*e.chkVSS) && Choose(*e.optVSSLayout[1]); },
         [](frmProfile& e, int n) { return DragSpeaker(e, n, 0, 30), true; },
         [moved] { Outside(L"VSpeakerPos", [&](Bytes b) { return std::copy(moved.begin(), moved.end(), b.begin() + 80), b; }); },
         [moved] { return SpeakerRecord(GetProfileValue(L"", L"VSpeakerPos"), 5) == moved; },
         [moved](frmProfile& e) { return SpeakerRecord(e.EncodeVSpeakerPos(), 5) == moved; }},
        {"the master balance beside the volume", kD2, {{L"SpeakerConfig", L"07000000"}},
         [](frmProfile& e) { return Choose(*e.optVolume[1]); },
         [](frmProfile& e, int n) { return User::DragTo(*e.csliVolume, n == 0 ? 40 : 60); },
         [] { OtherProgramsVolume(gPlaybackLineIds[0])->SetChannelVolumeLevelScalar(1, 0.2f, nullptr); },
         [] {
             Currency volume = 0, balance = 0;
             GetProfileVolumeBalance(volume, balance, 0, 0, L"");
             return volume == 60 * kCurrencyScale && balance == -kCurrencyScale / 2;
         },
         [](frmProfile& e) { return e.csliVolume->Value() == 60 && e.csliMasterBalance->Value() == -5; }},
        {"Dolby Headphones' switch beside its room", kD2,
         {{L"SpeakerConfig", L"01000000"}, {L"DHEnable", L"01000000"}, {L"DHRoom", L"01000000"}},
         [](frmProfile& e) { return Open(*e.chkDolbyHeadphones); },
         [](frmProfile& e, int n) {
             return User::ChooseItem(*e.cboDolbyHeadphonesMode, IndexOf(*e.cboDolbyHeadphonesMode, n == 0 ? 2 : 3));
         },
         [] { sim::SetSimLiveValue(L"DHEnable", EncodeFlag(false)); },
         [] { return CardByte(L"DHEnable") == 0 && CardByte(L"DHRoom") == 3; },
         [](frmProfile& e) { return e.chkDolbyHeadphones->Value() == 0; }},
        {"FlexBass's switch beside the crossover", kD2,
         {{L"SpeakerConfig", L"07000000"}, {L"BassManagement", L"01000000"}, {L"BassCornerFrequency", L"50000000"}},
         EqualizerSet, [](frmProfile& e, int n) { return User::DragTo(*e.csliCrossover, n == 0 ? 100 : 120); },
         [] { sim::SetSimLiveValue(L"BassManagement", EncodeFlag(false)); },
         [] { return CardByte(L"BassManagement") == 0 && CardByte(L"BassCornerFrequency") == 120; },
         [](frmProfile& e) { return e.optFlexBass[0]->Value(); }},
        {"the headphones' panel beside their gain", kSTX, {{L"SpeakerConfig", L"01000000"}, {L"PanelConfig", L"00000000"}},
         [](frmProfile&) { return true; }, [](frmProfile& e, int n) { return ChooseGain(e, n == 0 ? 1 : 2); },
         [] { sim::SetSimLiveValue(L"PanelConfig", EncodeCode(1)); },
         [] { return CardByte(L"PanelConfig") == 1 && CardByte(L"HpImpedanceModeFront") == 2; },
         [](frmProfile& e) { return e.Output() == L"0101"; }},
        // Headphones on the other panel: showing that panel's gain sends nothing to the one the
        // card is still on.
        {"the gain of the panel the headphones leave", kDG,
         {{L"SpeakerConfig", L"01000000"}, {L"PanelConfig", L"00000000"}, {L"HpImpedanceModeFront", L"00000000"},
          {L"HpImpedanceModeRear", L"02000000"}},
         [](frmProfile&) { return true; },
         [](frmProfile& e, int n) { return User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, n == 0 ? 0x0104 : 0x0001)); },
         [] { sim::SetSimLiveValue(L"HpImpedanceModeFront", EncodeCode(1)); },
         [] { return CardByte(L"PanelConfig") == 0 && CardByte(L"HpImpedanceModeFront") == 1; },
         [](frmProfile& e) { return e.Output() == L"0001"; }},
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

// A thumb let go where it stood, on a slider not moved since the window opened too, sends
// nothing: another program's finer balance, which the slider shows in tenths, stays on the card.
TEST_F(SendParts, AThumbLetGoWhereItStoodSendsNothing) {
    const auto level = [] {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, L"");
        return std::pair{volume, balance};
    };
    for (const bool realTime : {false, true}) {
        SCOPED_TRACE(realTime ? "real-time window" : "live editor");
        UseEditorCard(kD2);
        Load(L"");
        SetCard({{L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}});
        frmProfile& e = realTime ? OpenRealTime() : OpenEditor(L"");
        ASSERT_TRUE(Choose(*e.optVolume[1]) && EqualizerSet(e));
        LetTheSecondPass();
        const auto other = OtherProgramsVolume(gPlaybackLineIds[0]);
        other->SetChannelVolumeLevelScalar(0, 1.0f, nullptr);
        other->SetChannelVolumeLevelScalar(1, 0.98f, nullptr);
        LetTheSecondPass();
        ASSERT_TRUE(PumpUntil([&] { return e.csliVolume->Value() == 100 && e.csliMasterBalance->Value() == 0; }, 3000));
        const auto before = level();
        ASSERT_EQ(before.second, -kCurrencyScale / 50);
        const Bytes eq = GetProfileValue(L"", L"EqGain");
        sim::ClearSimRequestLog();
        for (Slider* s : {e.csliEQ[3], e.csliVolume, e.csliMasterBalance}) ASSERT_TRUE(User::DragTo(*s, s->Value()));
        EXPECT_TRUE(sim::SimRequestLog().empty());
        EXPECT_EQ(level(), before);
        EXPECT_EQ(GetProfileValue(L"", L"EqGain"), eq);
        CloseEditor();
    }
}

}  // namespace
