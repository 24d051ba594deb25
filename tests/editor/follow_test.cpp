// A profile editor in live mode after changes of the card from outside: for every card value the
// editor follows, in a new and in a stored profile, the card is changed as another program
// would change it and the program's refresh runs: to a new value, back to the value it had, and
// back to it once more after the editor's own send of another value. The one control that
// shows the value follows; every other control, every value a disabled control keeps aside,
// and what Save writes stay as the user left them.
#include "device/portable/texts_values.h"
#include "editor/customcontrolsdialog.h"
#include "tests/editor/follow_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

using CardBytes = std::vector<Bytes>;  // a row's card values, in the order of its names

// One card value (or a pair that changes together) and the control that shows it.
struct Row {
    std::wstring what;
    std::vector<std::wstring> names;  // the card's values, read by GetProfileValue
    int tab = 0;                      // the page of its control
    // The controls (by name, every index) and saved values allowed to change when it follows.
    std::vector<std::wstring> controls;
    std::vector<std::wstring> saved;
    // Puts values on the card as another program would; reads them (by default by name).
    std::function<void(const CardBytes&)> put;
    std::function<CardBytes()> read;
    // CardBytes of the card other than `now` that the control can show; the first is taken.
    std::function<std::vector<CardBytes>(const CardBytes& now)> others;
    // Whether the control follows the card in the editor's present state.
    std::function<bool(frmProfile&)> follows;
    // Whether the control shows these card values.
    std::function<bool(frmProfile&, const CardBytes&)> shows;
    // The user's own choice that puts a value other than `avoid` on the card; false when the
    // control takes none now.
    std::function<bool(frmProfile&, const CardBytes& avoid)> send;
    // The user's send changes more than the follow back undoes (echo cancellation).
    bool sendLeavesMore = false;
    // Run by the user before and after the row (a control that keeps a value aside while off).
    std::function<void(frmProfile&)> before, after;
};

CardBytes Read(const std::vector<std::wstring>& names) {
    CardBytes v;
    for (const std::wstring& n : names) v.push_back(GetProfileValue(L"", n));
    return v;
}

// The driver's value with byte 0 replaced, keeping its length.
Bytes WithFirst(const std::wstring& name, std::uint8_t b) {
    Bytes v = GetProfileValue(L"", name);
    if (v.empty()) v.push_back(0);
    v[0] = b;
    return v;
}

void PutDriver(const std::vector<std::wstring>& names, const CardBytes& v) {
    for (std::size_t i = 0; i < names.size(); ++i) sim::SetSimLiveValue(names[i], v[i]);
}

// A driver value shown by the controls `controls` on page `tab`.
Row DriverRow(std::wstring what, const std::wstring& name, int tab, std::vector<std::wstring> controls) {
    Row r;
    r.what = std::move(what);
    r.names = {name};
    r.tab = tab;
    r.controls = std::move(controls);
    r.saved = r.names;
    r.put = [name](const CardBytes& v) { sim::SetSimLiveValue(name, v[0]); };
    return r;
}

// The same row with FlexBass off meanwhile: its controls keep values aside, another program's
// change of them too, as FlexBass's return sends them (`aside`: whether what a save writes is
// the card's).
Row WithFlexBassOff(Row r, std::function<bool(const Bytes& saved, const Bytes& card)> aside) {
    r.what += L", FlexBass off";
    const std::wstring name = r.names[0];
    r.follows = [](frmProfile&) { return true; };
    r.shows = [name, aside](frmProfile& ed, const CardBytes& v) {
        const State saved = Saved(ed);
        const auto w = saved.find(name);
        return w != saved.end() && aside(HexToBytes(w->second), v[0]);
    };
    r.before = [](frmProfile& ed) { ASSERT_TRUE(User::ChooseOption(*ed.optFlexBass[0])); };
    r.after = [](frmProfile& ed) { ASSERT_TRUE(User::ChooseOption(*ed.optFlexBass[1])); };
    return r;
}

// An effect whose box is off or hidden in the editor of a profile keeps another program's change
// aside for the box's return: what a save writes is the card's (`same` compares the two).
Row AsideWhileUnusable(Row r, std::function<bool(const Bytes& saved, const Bytes& card)> same) {
    const std::wstring name = r.names[0];
    r.shows = [name, same, follows = r.follows, shows = r.shows](frmProfile& ed, const CardBytes& v) {
        if (follows(ed) || ed.RealTimeMode()) return shows(ed, v);
        const State saved = Saved(ed);
        const auto w = saved.find(name);
        return w != saved.end() && same(HexToBytes(w->second), v[0]);
    };
    r.follows = [](frmProfile&) { return true; };
    return r;
}

// A value in a list: the entry carrying it; none for "Don't Change" (the first entry) where the
// list has it.
Row ListRow(std::wstring what, const wchar_t* name, ComboBox& box, int tab, bool number, bool driver = true,
            bool dontChange = true) {
    const int first = dontChange ? 1 : 0;
    Row r = DriverRow(std::move(what), name, tab, {box.Name()});
    const std::wstring n = name;
    auto code = [number](const Bytes& v) -> std::intptr_t { return number ? BytesToUInt32(v) : FirstByte(v); };
    auto bytes = [n, number](std::intptr_t d) {
        return number ? EncodeNumber(static_cast<std::uint32_t>(d)) : WithFirst(n, static_cast<std::uint8_t>(d));
    };
    if (!driver)
        r.put = [n](const CardBytes& v) {
            Bytes data = v[0];
            MixerValue(n, data, true);
        };
    r.others = [&box, code, bytes, first](const CardBytes& now) {
        std::vector<CardBytes> out;
        for (int i = first; i < box.ListCount(); ++i)
            if (box.ItemData(i) != code(now[0])) out.push_back({bytes(box.ItemData(i))});
        return out;
    };
    r.follows = [&box, first](frmProfile&) { return box.Enabled() && box.ListIndex() >= first; };
    r.shows = [&box, code](frmProfile&, const CardBytes& v) { return SelectedItemData(box, -1) == code(v[0]); };
    r.send = [&box, code, first](frmProfile&, const CardBytes& avoid) {
        for (int i = first; i < box.ListCount(); ++i)
            if (box.ItemData(i) != code(avoid[0]) && i != box.ListIndex()) return User::ChooseItem(box, i);
        return false;
    };
    return r;
}

// A two-way choice in options 0 and 1 (with 255 "Don't Change" where the group has it).
template <typename Group>
Row OptionRow(std::wstring what, const wchar_t* name, const Group& group, int tab, std::function<Bytes(bool)> encode,
              std::function<bool(const Bytes&)> decode) {
    Row r = DriverRow(std::move(what), name, tab, {group[0]->Name()});
    r.others = [encode, decode](const CardBytes& now) { return std::vector<CardBytes>{{encode(!decode(now[0]))}}; };
    r.follows = [&group](frmProfile&) { return OptionSelected(group, 0) || OptionSelected(group, 1); };
    r.shows = [&group, decode](frmProfile&, const CardBytes& v) { return OptionSelected(group, decode(v[0]) ? 1 : 0); };
    r.send = [&group, decode](frmProfile&, const CardBytes& avoid) {
        return User::ChooseOption(*group[decode(avoid[0]) ? 0 : 1]);
    };
    return r;
}

// A switch in a check box.
Row CheckRow(std::wstring what, const wchar_t* name, CheckBox& box, int tab) {
    Row r = DriverRow(std::move(what), name, tab, {box.Name()});
    const std::wstring n = name;
    r.others = [n](const CardBytes& now) {
        return std::vector<CardBytes>{{WithFirst(n, FirstByte(now[0]) == 1 ? 0 : 1)}};
    };
    r.follows = [&box](frmProfile&) { return box.Enabled(); };
    r.shows = [&box](frmProfile&, const CardBytes& v) { return box.Value() == (FirstByte(v[0]) == 1 ? 1 : 0); };
    r.send = [&box](frmProfile&, const CardBytes& avoid) {
        return box.Value() == (FirstByte(avoid[0]) == 1 ? 1 : 0) && User::Click(box);
    };
    return r;
}

// A choice the user makes for a row and takes back after it: option `index` of the group.
void ChooseForTheRow(Row& r, const std::function<OptionButton&(frmProfile&, int)>& option, int index, int otherwise) {
    auto chosen = std::make_shared<bool>(false);
    r.before = [option, index, chosen](frmProfile& ed) {
        *chosen = !option(ed, index).Value();
        if (*chosen) {
            ASSERT_TRUE(User::ChooseOption(option(ed, index)));
        }
    };
    r.after = [option, otherwise, chosen](frmProfile& ed) {
        if (*chosen) {
            ASSERT_TRUE(User::ChooseOption(option(ed, otherwise)));
        }
    };
}

// The same row under an output that offers its control where the editor's output `e` offers
// none: chosen by the user before the row and taken back after it.
Row UnderOutput(Row r, frmProfile& e, std::function<bool(frmProfile&)> offered) {
    if (offered(e)) return r;
    auto kept = std::make_shared<int>(-1);
    r.before = [offered, kept, inner = r.before](frmProfile& ed) {
        ComboBox& outputs = *ed.cboAnalogOutput;
        *kept = -1;
        for (int i = 0; i < outputs.ListCount() && !offered(ed); ++i) {
            if (i == outputs.ListIndex()) continue;
            if (*kept < 0) *kept = outputs.ListIndex();
            ASSERT_TRUE(User::ChooseItem(outputs, i));
        }
        ASSERT_TRUE(offered(ed)) << "no output offers it";
        if (inner) inner(ed);
    };
    r.after = [kept, inner = r.after](frmProfile& ed) {
        if (inner) inner(ed);
        if (*kept >= 0) {
            ASSERT_TRUE(User::ChooseItem(*ed.cboAnalogOutput, *kept));
        }
    };
    return r;
}

int ItemOf(const ComboBox& box, std::intptr_t data) {
    for (int i = 0; i < box.ListCount(); ++i)
        if (box.ItemData(i) == data) return i;
    return -1;
}

// The headphone gain's list entry `index`, chosen in its dialog.
bool ChooseHpGain(frmProfile& ed, int index) {
    if (!User::Click(*ed.cmdHpAmp)) return false;
    frmHpImpedanceMode* amp = HpImpedanceDialog();
    if (!amp) return false;
    Pump(30);
    const bool chosen = User::ChooseItem(*amp->cboHpAmp, index);
    User::Click(amp->Ctl(L"cmdClose"));
    return chosen;
}

// Option `option` (0, 1, 255 "Don't Set") of recording line j's custom control k, chosen in its dialog.
bool ChooseCustomControl(frmProfile& ed, int j, int k, int option) {
    if (!ed.cmdRecordExtraOptions[j]->Enabled() || !User::Click(*ed.cmdRecordExtraOptions[j])) return false;
    frmInputLineCustomControls* dialog = InputLineCustomControlsDialog();
    if (!dialog) return false;
    Pump(30);
    bool chosen = false;
    for (std::size_t f = 0; f < dialog->fraCustomControl.size(); ++f)
        if (dialog->fraCustomControl[f]->Tag() == std::to_wstring(k))
            chosen = User::ChooseOption(
                dialog->Get<OptionButton>(frmInputLineCustomControls::OptionGroup(static_cast<int>(f)), option));
    User::Click(dialog->Ctl(L"cmdClose"));
    return chosen;
}

class FollowCard : public FollowCardFixture {
protected:
    std::vector<Row> Rows(frmProfile& e);

    // Every row through its cells; `profile` names the editor in failures.
    void RunMatrix(frmProfile& editor, const std::wstring& profile) {
        std::vector<Row> rows = Rows(editor);
        // Every value the editor follows has its row.
        std::set<std::wstring, std::less<>> covered;
        for (const Row& r : rows) covered.insert(r.names.begin(), r.names.end());
        for (const std::wstring& name : editor.CardValueNames())
            EXPECT_TRUE(covered.count(name)) << Narrow(profile + L": no row for " + name);
        for (Row& row : rows) {
            SCOPED_TRACE(Narrow(profile + L", " + row.what));
            Cells(editor, row);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }

    void Cells(frmProfile& editor, Row& row) {
        editor.imgTab_Click(row.tab);
        const State heldOuter = Held(editor), savedOuter = Saved(editor);
        if (row.before) row.before(editor);
        auto read = [&] { return row.read ? row.read() : Read(row.names); };
        const CardBytes start = read();
        const State held = Held(editor), saved = Saved(editor);
        const bool follows = row.follows(editor);
        // 1. A new value.
        const std::vector<CardBytes> others = row.others(start);
        ASSERT_FALSE(others.empty());
        row.put(others[0]);
        ASSERT_EQ(read(), others[0]) << "the card took the new value";
        LetTheRefreshRun();
        if (follows) {
            EXPECT_TRUE(row.shows(editor, others[0])) << "new value not shown";
        }
        EXPECT_EQ(Differences(held, Held(editor), follows ? row.controls : std::vector<std::wstring>{}), L"")
            << "controls changed by a new value";
        EXPECT_EQ(Differences(saved, Saved(editor), follows ? row.saved : std::vector<std::wstring>{}), L"")
            << "saved values changed by a new value";
        // 2. Back to the value it had: everything as before.
        row.put(start);
        LetTheRefreshRun();
        EXPECT_EQ(Differences(held, Held(editor), {}), L"") << "controls after the value came back";
        EXPECT_EQ(Differences(saved, Saved(editor), {}), L"") << "saved values after the value came back";
        // 3. The user's own send, and the card back to the value it had before it.
        editor.imgTab_Click(row.tab);
        if (row.send && row.send(editor, start)) {
            const CardBytes sent = read();
            EXPECT_NE(sent, start) << "the user's choice reached the card";
            const State heldSent = Held(editor), savedSent = Saved(editor);
            row.put(start);
            LetTheRefreshRun();
            EXPECT_TRUE(row.shows(editor, start)) << "the value back after an own send not shown";
            if (follows && !row.sendLeavesMore) {
                EXPECT_EQ(Differences(held, Held(editor), {}), L"") << "controls after the own send and back";
                EXPECT_EQ(Differences(saved, Saved(editor), {}), L"") << "saved values after the own send and back";
            } else {
                EXPECT_EQ(Differences(heldSent, Held(editor), row.controls), L"") << "controls after the own send";
                EXPECT_EQ(Differences(savedSent, Saved(editor), row.saved), L"") << "saved after the own send";
            }
        }
        if (!row.after) return;
        // What the control kept aside comes back.
        editor.imgTab_Click(row.tab);
        row.after(editor);
        EXPECT_EQ(Differences(heldOuter, Held(editor), {}), L"") << "controls after the control is back";
        EXPECT_EQ(Differences(savedOuter, Saved(editor), {}), L"") << "saved values after the control is back";
    }
};

std::vector<Row> FollowCard::Rows(frmProfile& e) {
    std::vector<Row> rows;
    auto code = [](bool on) { return EncodeCode(on ? 1 : 0); };
    auto first = [](const Bytes& v) { return FirstByte(v) == 1; };

    // Master panel.
    rows.push_back(OptionRow(L"SVN", L"SmartVolumeParams", e.optSVN, 0, code, first));
    {
        Row r;
        r.what = L"master volume";
        r.names = {MixerValueName(0, 0, 0, 0), MixerValueName(0, 0, 1, 0)};
        r.controls = {L"csliVolume", L"csliMasterBalance"};
        r.saved = r.names;
        r.put = [](const CardBytes& v) {
            auto other = OtherProgramsVolume(gPlaybackLineIds[0]);
            for (UINT c = 0; c < 2; ++c) other->SetChannelVolumeLevelScalar(c, FirstByte(v[c]) / 100.0f, nullptr);
        };
        r.others = [](const CardBytes& now) {
            auto moved = [](const Bytes& level) {
                return Bytes{
                    static_cast<std::uint8_t>(FirstByte(level) > 50 ? FirstByte(level) - 20 : FirstByte(level) + 20)};
            };
            return std::vector<CardBytes>{{moved(now[0]), moved(now[1])}};
        };
        r.follows = [](frmProfile&) { return true; };
        r.shows = [](frmProfile& ed, const CardBytes& v) {
            Currency volume = 0, balance = 0;
            GetProfileVolumeBalance(volume, balance, 0, 0, [&](const std::wstring& name) {
                return name == MixerValueName(0, 0, 0, 0) ? v[0] : v[1];
            });
            return ed.csliVolume->Value() == static_cast<int>(std::nearbyint(Fixed4ToDouble(volume))) &&
                   ed.csliMasterBalance->Value() == static_cast<int>(std::nearbyint(Fixed4ToDouble(balance * 10)));
        };
        r.send = [](frmProfile& ed, const CardBytes& avoid) {
            if (!ed.optVolume[1]->Value() && !User::ChooseOption(*ed.optVolume[1])) return false;
            const int level = FirstByte(avoid[0]) > 50 ? 35 : 65;
            return User::DragTo(*ed.csliVolume, level);
        };
        // Setting a level takes "Set to:" too.
        r.sendLeavesMore = true;
        rows.push_back(r);
        Row balance = r;
        balance.what = L"master balance";
        balance.others = [](const CardBytes& now) {
            const std::uint8_t l = FirstByte(now[0]);
            return std::vector<CardBytes>{{Bytes{l}, Bytes{static_cast<std::uint8_t>(l / 2)}}};
        };
        balance.send = [](frmProfile& ed, const CardBytes&) {
            if (!ed.optVolume[1]->Value() && !User::ChooseOption(*ed.optVolume[1])) return false;
            return User::DragTo(*ed.csliMasterBalance, ed.csliMasterBalance->Value() == -4 ? 4 : -4);
        };
        rows.push_back(balance);
        Row mute;
        mute.what = L"master mute";
        mute.put = [](const CardBytes& v) {
            OtherProgramsVolume(gPlaybackLineIds[0])->SetMute(FirstByte(v[0]), nullptr);
        };
        mute.read = [] { return CardBytes{Bytes{static_cast<std::uint8_t>(MasterMuted() ? 1 : 0)}}; };
        mute.others = [](const CardBytes& now) {
            return std::vector<CardBytes>{{Bytes{static_cast<std::uint8_t>(!now[0][0])}}};
        };
        mute.follows = [](frmProfile&) { return false; };
        mute.shows = [](frmProfile&, const CardBytes&) { return true; };
        rows.push_back(mute);
    }
    // Output page.
    rows.push_back(ListRow(L"Windows channels", L"SystemSpeakers", *e.cboSpeakersLayout, 0, false, false));
    rows.back().put = [](const CardBytes& v) { gAudio->SetSpeakers(gPlaybackLineIds[0], FirstByte(v[0])); };
    rows.push_back(ListRow(L"card sample rate", L"OutputFormat", *e.cboSampleRate, 0, true));
    rows.back().controls.push_back(L"cboSystemSampleRate");
    rows.back().controls.push_back(L"chkSyncSampleRates");
    const Row cardRate = rows.back();
    rows.push_back(ListRow(L"Windows bit depth", kMixerBitDepth, *e.cboBitDepth, 0, false, false));
    rows.push_back(ListRow(L"Windows sample rate", kMixerSampleRate, *e.cboSystemSampleRate, 0, true, false));
    if (e.chkSyncSampleRates->Enabled()) {
        // The rates kept in step meanwhile. Windows' disabled list shows Windows' own rate: the
        // card's rate from outside leaves it, the user's rate moves it with the card's.
        auto kept = std::make_shared<int>(-1);
        auto sync = [kept](frmProfile& ed) {
            *kept = ed.cboSystemSampleRate->ListIndex();
            ASSERT_TRUE(User::Click(*ed.chkSyncSampleRates));
        };
        auto unsync = [kept](frmProfile& ed) {
            ASSERT_TRUE(User::Click(*ed.chkSyncSampleRates));
            if (ed.cboSystemSampleRate->ListIndex() != *kept) {
                ASSERT_TRUE(User::ChooseItem(*ed.cboSystemSampleRate, *kept));
            }
        };
        Row synced = rows.back();
        synced.what += L", synced";
        synced.follows = [](frmProfile& ed) { return ed.cboSystemSampleRate->ListIndex() >= 1; };
        synced.before = sync;
        synced.after = unsync;
        rows.push_back(synced);
        Row cardSynced = cardRate;
        cardSynced.what += L", synced";
        cardSynced.controls = {L"cboSampleRate"};
        cardSynced.sendLeavesMore = true;
        cardSynced.before = sync;
        cardSynced.after = unsync;
        rows.push_back(cardSynced);
    }
    rows.push_back(UnderOutput(ListRow(L"stereo upmix", L"Dual2D", *e.cboStereoUpmix, 0, false), e,
                               [](frmProfile& ed) { return ed.cboStereoUpmix->Enabled(); }));
    {
        Row r;
        r.what = L"analog output";
        r.names = {L"PanelConfig", L"SpeakerConfig"};
        r.controls = OutputControls();
        r.saved = {L"PanelConfig", L"SpeakerConfig", L"SpeakerSize", L"Dual2D",  L"DVSEnable",
                   L"DHEnable",    L"EnableXear3D",  L"Pl2xParam",   L"NeoParam"};
        for (std::wstring_view channel : gChannelVolumeValues) r.saved.emplace_back(channel);
        r.put = [names = r.names](const CardBytes& v) { PutDriver(names, v); };
        auto& box = *e.cboAnalogOutput;
        r.others = [&box](const CardBytes& now) {
            // Two speakers first: the output narrows.
            std::vector<CardBytes> out;
            const std::intptr_t at = FirstByte(now[0]) * 256 + FirstByte(now[1]);
            for (std::intptr_t wanted : {std::intptr_t{4}, std::intptr_t{7}, std::intptr_t{1}})
                for (int i = 0; i < box.ListCount(); ++i)
                    if (box.ItemData(i) == wanted && wanted != at)
                        out.push_back({EncodeCode(static_cast<std::uint8_t>(wanted >> 8)),
                                       EncodeCode(static_cast<std::uint8_t>(wanted & 0xFF))});
            return out;
        };
        r.follows = [&box](frmProfile&) { return box.Enabled(); };
        r.shows = [&box](frmProfile& ed, const CardBytes& v) {
            // The rows of the channels the output lacks are shown out of the profile.
            const Bytes spdif = GetProfileValue(L"", L"SpDigitalOut");
            const int channels = SpeakerChannelCount(v[1], &spdif).value_or(0);
            for (int i = 0; i < 8; ++i)
                if (!IsChannelAvailable(i, channels) &&
                    (ed.chkPlaybackSet[i]->Enabled() || ed.csliOutputChannel[i]->Enabled()))
                    return false;
            return SelectedItemData(box, -1) == FirstByte(v[0]) * 256 + FirstByte(v[1]);
        };
        rows.push_back(r);
        // The same speakers on the other panel, where the list has them: only the panel changes,
        // and the headphone gain list shows that panel's gain.
        Row panel = r;
        panel.what += L", other panel";
        panel.others = [&box](const CardBytes& now) {
            const std::intptr_t other = (FirstByte(now[0]) * 256 + FirstByte(now[1])) ^ 0x100;
            std::vector<CardBytes> out;
            if (ItemOf(box, other) >= 0)
                out.push_back({EncodeCode(static_cast<std::uint8_t>(other >> 8)),
                               EncodeCode(static_cast<std::uint8_t>(other & 0xFF))});
            return out;
        };
        panel.controls.push_back(L"cboHpAmp");
        if (!panel.others(Read(panel.names)).empty()) rows.push_back(panel);
        // The same with the effects the output offers away from their defaults: each box it
        // offers switched over, else each Dolby virtualizer it offers switched on.
        Row effects = r;
        effects.what += L", effects chosen";
        auto kept = std::make_shared<std::vector<int>>();
        auto boxes = [](frmProfile& ed) {
            return std::array<CheckBox*, 5>{ed.chkDolbyHeadphones, ed.chkDolbyVirtualSpeaker, ed.chkVSS, ed.chkDolby,
                                            ed.chkNeo};
        };
        effects.before = [kept, boxes](frmProfile& ed) {
            const auto all = boxes(ed);
            kept->clear();
            for (CheckBox* b : all) kept->push_back(b->Value());
            bool chosen = false;
            for (std::size_t i = 2; i < all.size(); ++i)
                if (all[i]->Enabled() && all[i]->Visible()) chosen = User::Click(*all[i]) || chosen;
            for (std::size_t i = 0; i < 2 && !chosen; ++i)
                if (all[i]->Enabled() && all[i]->Value() == 0) {
                    ASSERT_TRUE(User::Click(*all[i])) << Narrow(all[i]->Name());
                }
        };
        // Back as they were: a virtualizer switched off takes the effects after it along.
        effects.after = [kept, boxes](frmProfile& ed) {
            const auto all = boxes(ed);
            for (std::size_t i = 0; i < all.size(); ++i)
                if (all[i]->Value() != (*kept)[i]) {
                    ASSERT_TRUE(User::Click(*all[i])) << Narrow(all[i]->Name());
                }
        };
        rows.push_back(effects);
    }
    {
        Row r = CheckRow(L"digital output", L"SpDigitalOut", *e.chkSPDIF, 0);
        r.controls.push_back(L"cboSPDIFOutput");
        r.others = [](const CardBytes& now) {
            return std::vector<CardBytes>{{WithFirst(L"SpDigitalOut", FirstByte(now[0]) == 0 ? 2 : 0)}};
        };
        r.shows = [&e](frmProfile&, const CardBytes& v) {
            return e.chkSPDIF->Value() == (FirstByte(v[0]) != 0 ? 1 : 0) &&
                   SelectedItemData(*e.cboSPDIFOutput, 0) == FirstByte(v[0]);
        };
        r.send = [](frmProfile& ed, const CardBytes& avoid) {
            return ed.chkSPDIF->Value() == (FirstByte(avoid[0]) != 0 ? 1 : 0) && User::Click(*ed.chkSPDIF);
        };
        rows.push_back(r);
    }
    // The Dolby virtualizers: a box and a mode list each (no "Don't Change" there).
    const struct {
        const wchar_t *what, *enable, *mode;
        CheckBox* box;
        ComboBox* modes;
    } dolby[] = {
        {L"Dolby Virtual Speaker", L"DVSEnable", L"DVSMode", e.chkDolbyVirtualSpeaker, e.cboDolbyVirtualSpeakerMode},
        {L"Dolby Headphones", L"DHEnable", L"DHRoom", e.chkDolbyHeadphones, e.cboDolbyHeadphonesMode}};
    for (const auto& d : dolby) {
        // Under an output that offers the box; the mode list is offered while the box is on.
        auto offered = [box = d.box](frmProfile&) { return box->Enabled(); };
        Row r = CheckRow(d.what, d.enable, *d.box, 0);
        r.controls = {d.box->Name(), d.modes->Name(), L"chkVSS", L"chkDolby", L"chkNeo"};
        rows.push_back(UnderOutput(r, e, offered));
        Row mode = ListRow(std::wstring(d.what) + L" mode", d.mode, *d.modes, 0, false, true, false);
        auto switched = std::make_shared<bool>(false);
        mode.before = [box = d.box, switched](frmProfile&) {
            *switched = box->Value() == 0;
            if (*switched) {
                ASSERT_TRUE(User::Click(*box));
            }
        };
        mode.after = [box = d.box, switched](frmProfile&) {
            if (*switched) {
                ASSERT_TRUE(User::Click(*box));
            }
        };
        rows.push_back(UnderOutput(mode, e, offered));
    }
    rows.push_back(AsideWhileUnusable(CheckRow(L"speaker shifter", L"EnableXear3D", *e.chkVSS, 0),
                                      [](const Bytes& s, const Bytes& c) { return FirstByte(s) == FirstByte(c); }));
    {
        Row r = DriverRow(L"speaker layout", L"VSpeakerPos", 0, {L"VSSSpeaker", L"optLoadVSSPreset", L"optVSSLayout"});
        r.others = [](const CardBytes& now) {
            // The same speakers in the reverse order: every place another.
            const auto points = DecodeSpeakerLayout(now[0]);
            if (!points) return std::vector<CardBytes>{};
            Bytes layout;
            for (auto it = points->rbegin(); it != points->rend(); ++it) {
                const Bytes record = EncodeSpeakerRecord(*it);
                layout.insert(layout.end(), record.begin(), record.end());
            }
            return std::vector<CardBytes>{{layout}};
        };
        r.follows = [](frmProfile& ed) { return OptionSelected(ed.optVSSLayout, 1); };
        r.send = [](frmProfile& ed, const CardBytes&) { return User::Click(*ed.cmdVSSSpeakerDistance[0]); };
        r.shows = [](frmProfile& ed, const CardBytes& v) {
            const auto shown = DecodeSpeakerLayout(ed.EncodeVSpeakerPos()), card = DecodeSpeakerLayout(v[0]);
            if (!shown || !card) return false;
            for (std::size_t i = 0; i < shown->size(); ++i)
                if (std::abs((*shown)[i].x - (*card)[i].x) > 0.05f || std::abs((*shown)[i].y - (*card)[i].y) > 0.05f)
                    return false;
            return true;
        };
        // The profile sets a layout meanwhile, in the expanded panel.
        ChooseForTheRow(
            r,
            [](frmProfile& ed, int i) -> OptionButton& {
                if (ed.chkVSSExpand->Value() != 1) ed.chkVSSExpand->SetValue(1);
                return *ed.optVSSLayout[i];
            },
            1, 0);
        rows.push_back(r);
    }
    for (const bool pl2x : {true, false}) {
        if (!pl2x && !e.NeoParamSupported()) continue;
        Row r =
            DriverRow(pl2x ? L"ProLogic IIx" : L"NEO:PC", pl2x ? L"Pl2xParam" : L"NeoParam", 0,
                      pl2x ? std::vector<std::wstring>{L"chkDolby", L"optPL2xMode", L"csliPL2xWidth", L"csliPL2xDepth"}
                           : std::vector<std::wstring>{L"chkNeo", L"optNEOMode", L"csliNEOWidth", L"csliNEODepth"});
        auto encode = [pl2x](const EffectParams& p) {
            return pl2x ? EncodePl2xParam(p.on, p.movie, p.width, p.depth, false)
                        : EncodeNeoParam(p.on, p.movie, p.width, p.depth);
        };
        auto decode = [pl2x](const Bytes& v) { return pl2x ? DecodePl2xParam(v) : DecodeNeoParam(v); };
        // Switched over with the levels it has.
        r.others = [encode, decode](const CardBytes& now) {
            EffectParams p = decode(now[0]);
            p.on = !p.on;
            return std::vector<CardBytes>{{encode(p)}};
        };
        CheckBox& box = pl2x ? *e.chkDolby : *e.chkNeo;
        r.follows = [&box](frmProfile&) { return box.Enabled(); };
        r.shows = [pl2x, decode](frmProfile& ed, const CardBytes& v) {
            const EffectParams p = decode(v[0]);
            CheckBox& check = pl2x ? *ed.chkDolby : *ed.chkNeo;
            const auto& modes = pl2x ? ed.optPL2xMode : ed.optNEOMode;
            Slider& width = pl2x ? *ed.csliPL2xWidth : *ed.csliNEOWidth;
            Slider& depth = pl2x ? *ed.csliPL2xDepth : *ed.csliNEODepth;
            return check.Value() == (p.on ? 1 : 0) && OptionSelected(modes, p.movie ? 1 : 0) &&
                   (!width.Enabled() || (width.Value() == p.width && depth.Value() == p.depth));
        };
        rows.push_back(
            AsideWhileUnusable(r, [decode](const Bytes& s, const Bytes& c) { return decode(s).on == decode(c).on; }));
        // Its levels, while the user has it on in Music mode.
        Row levels = r;
        levels.what += L" levels";
        levels.others = [encode, decode](const CardBytes& now) {
            EffectParams p = decode(now[0]);
            p.width = p.width == 5 ? 2 : 5;
            p.depth = p.depth == 3 ? 6 : 3;
            return std::vector<CardBytes>{{encode(p)}};
        };
        // What the user switches for it, and switches back afterwards.
        struct Switched {
            bool on = false, music = false;
        };
        auto switched = std::make_shared<Switched>();
        levels.before = [&box, switched, pl2x](frmProfile& ed) {
            const auto& modes = pl2x ? ed.optPL2xMode : ed.optNEOMode;
            *switched = {box.Enabled() && box.Value() == 0, box.Enabled() && modes[1]->Value()};
            if (switched->on) {
                ASSERT_TRUE(User::Click(box));
            }
            if (switched->music) {
                ASSERT_TRUE(User::ChooseOption(*modes[0]));
            }
        };
        levels.after = [&box, switched, pl2x](frmProfile& ed) {
            if (switched->music) {
                ASSERT_TRUE(User::ChooseOption(*(pl2x ? ed.optPL2xMode : ed.optNEOMode)[1]));
            }
            if (switched->on) {
                ASSERT_TRUE(User::Click(box));
            }
        };
        levels.send = [pl2x](frmProfile& ed, const CardBytes& avoid) {
            Slider& width = pl2x ? *ed.csliPL2xWidth : *ed.csliNEOWidth;
            const EffectParams p = pl2x ? DecodePl2xParam(avoid[0]) : DecodeNeoParam(avoid[0]);
            return width.Enabled() && User::DragTo(width, p.width == 4 ? 6 : 4);
        };
        rows.push_back(levels);
    }
    // Equalizer page.
    rows.push_back(OptionRow(
        L"equalizer", L"EqEnable", e.optEQ, 2, [](bool on) { return Bytes{static_cast<std::uint8_t>(on ? 1 : 0)}; },
        first));
    {
        Row r = DriverRow(L"equalizer gains", L"EqGain", 2, {L"csliEQ", L"optLoadEQPreset", L"cboEQUserProfiles"});
        r.others = [](const CardBytes& now) {
            std::array<int, 10> bands = DecodeEqGain(now[0]);
            bands[3] = bands[3] == 6 ? -6 : 6;
            return std::vector<CardBytes>{{EncodeEqGain(bands)}};
        };
        r.follows = [](frmProfile&) { return true; };
        r.shows = [](frmProfile& ed, const CardBytes& v) { return ed.csliEQ[3]->Value() == DecodeEqGain(v[0])[3]; };
        r.send = [](frmProfile& ed, const CardBytes& avoid) {
            return User::DragTo(*ed.csliEQ[5], DecodeEqGain(avoid[0])[5] == 4 ? -4 : 4);
        };
        // The profile sets the gains meanwhile.
        ChooseForTheRow(
            r, [](frmProfile& ed, int i) -> OptionButton& { return *ed.optEQProfile[i]; }, 1, 0);
        rows.push_back(r);
    }
    rows.push_back(OptionRow(
        L"FlexBass", L"BassManagement", e.optFlexBass, 2, [](bool on) { return EncodeFlag(on); }, first));
    rows.back().controls = {L"optFlexBass", L"csliCrossover", L"cboSpeakerSize"};
    rows.back().saved = {L"BassManagement", L"BassCornerFrequency", L"SpeakerSize"};
    {
        Row r = DriverRow(L"crossover", L"BassCornerFrequency", 2, {L"csliCrossover"});
        r.others = [](const CardBytes& now) {
            return std::vector<CardBytes>{{WithFirst(L"BassCornerFrequency", FirstByte(now[0]) == 120 ? 80 : 120)}};
        };
        r.follows = [](frmProfile& ed) { return ed.csliCrossover->Enabled(); };
        r.shows = [](frmProfile& ed, const CardBytes& v) { return ed.csliCrossover->Value() == FirstByte(v[0]); };
        r.send = [](frmProfile& ed, const CardBytes& avoid) {
            return ed.csliCrossover->Enabled() &&
                   User::DragTo(*ed.csliCrossover, FirstByte(avoid[0]) == 100 ? 150 : 100);
        };
        rows.push_back(r);
        rows.push_back(WithFlexBassOff(r, [](const Bytes& s, const Bytes& c) { return FirstByte(s) == FirstByte(c); }));
    }
    {
        Row r = DriverRow(L"speaker sizes", L"SpeakerSize", 2, {L"cboSpeakerSize"});
        r.others = [](const CardBytes& now) {
            std::array<bool, 4> large = DecodeSpeakerSizes(now[0]);
            for (bool& l : large) l = !l;
            return std::vector<CardBytes>{{EncodeSpeakerSize(large)}};
        };
        r.follows = [](frmProfile& ed) { return ed.cboSpeakerSize[0]->Enabled(); };
        r.shows = [](frmProfile& ed, const CardBytes& v) {
            const std::array<bool, 4> large = DecodeSpeakerSizes(v[0]);
            for (int i = 0; i < 4; ++i)
                if (ed.cboSpeakerSize[i]->Enabled() && ed.cboSpeakerSize[i]->ListIndex() != (large[i] ? 1 : 0))
                    return false;
            return true;
        };
        r.send = [](frmProfile& ed, const CardBytes& avoid) {
            auto& front = *ed.cboSpeakerSize[0];
            const int other = DecodeSpeakerSizes(avoid[0])[0] ? 0 : 1;
            return front.Enabled() && User::ChooseItem(front, other);
        };
        rows.push_back(r);
        rows.push_back(WithFlexBassOff(
            r, [](const Bytes& s, const Bytes& c) { return DecodeSpeakerSizes(s) == DecodeSpeakerSizes(c); }));
    }
    // Mixer page: the playback channels.
    for (int i = 0; i < 8; ++i) {
        Row r = DriverRow(L"playback channel " + std::to_wstring(i),
                          std::wstring(gChannelVolumeValues[static_cast<std::size_t>(i)]), 1,
                          {Key(*e.csliOutputChannel[i])});
        r.others = [](const CardBytes& now) {
            const Bytes a = EncodeChannelGain(-6.0), b = EncodeChannelGain(-12.0);
            return std::vector<CardBytes>{{now[0] == a ? b : a}};
        };
        r.follows = [i](frmProfile& ed) {
            return ed.chkPlaybackSet[i]->Enabled() && ed.chkPlaybackSet[i]->Value() == 1;
        };
        r.shows = [i](frmProfile& ed, const CardBytes&) {
            return ed.csliOutputChannel[i]->Value() == GetChannelGainPercent(i, L"");
        };
        r.send = [i](frmProfile& ed, const CardBytes&) {
            Slider& slider = *ed.csliOutputChannel[i];
            return slider.Enabled() && User::DragTo(slider, slider.Value() == 40 ? 60 : 40);
        };
        rows.push_back(r);
    }
    // The recording lines: levels, the monitoring switch and the further controls.
    for (int j = 0; j < 8; ++j) {
        const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
        if (id.empty()) continue;
        Row r;
        r.what = L"recording line " + std::to_wstring(j);
        r.names = {MixerValueName(1, j, 0, 0), MixerValueName(1, j, 1, 0)};
        r.tab = 1;
        r.controls = {Key(*e.csliInputLine[j]), Key(*e.csliInputLineBalance[j])};
        r.saved = r.names;
        r.put = [id](const CardBytes& v) {
            auto other = OtherProgramsVolume(id);
            UINT channels = 0;
            other->GetChannelCount(&channels);
            for (UINT c = 0; c < channels && c < 2; ++c)
                other->SetChannelVolumeLevelScalar(c, FirstByte(v[c]) / 100.0f, nullptr);
        };
        r.read = [names = r.names, id] {
            CardBytes v = Read(names);
            UINT channels = 0;
            OtherProgramsVolume(id)->GetChannelCount(&channels);
            if (channels < 2) v.resize(1);
            return v;
        };
        r.others = [](const CardBytes& now) {
            CardBytes v = now;
            for (Bytes& b : v) b = Bytes{static_cast<std::uint8_t>(FirstByte(now[0]) > 50 ? 20 : 80)};
            return std::vector<CardBytes>{v};
        };
        r.follows = [j](frmProfile& ed) { return ed.chkRecordSet[j]->Enabled() && ed.chkRecordSet[j]->Value() == 1; };
        r.shows = [j](frmProfile& ed, const CardBytes&) {
            Currency volume = 0, balance = 0;
            GetProfileVolumeBalance(volume, balance, 1, j, L"");
            return ed.csliInputLine[j]->Value() == static_cast<int>(std::nearbyint(Fixed4ToDouble(volume)));
        };
        r.send = [j](frmProfile& ed, const CardBytes&) {
            Slider& slider = *ed.csliInputLine[j];
            return slider.Enabled() && User::DragTo(slider, slider.Value() == 30 ? 70 : 30);
        };
        rows.push_back(r);
        // The same while the editor has the device out of service: its disabled row keeps the
        // user's level.
        Row inactive = r;
        inactive.what += L", device inactive";
        inactive.before = [j](frmProfile& ed) { ed.InputLineStateChanged(j, false); };
        inactive.after = [j](frmProfile& ed) { ed.InputLineStateChanged(j, true); };
        rows.push_back(inactive);
        const int monitor = gInputLineMonitorControl[static_cast<std::size_t>(j)];
        for (int k = 1; k <= CountIn(e.cmdRecordExtraOptions[j]->Tag()); ++k) {
            const std::wstring name = MixerValueName(1, j, 0, k);
            Row c;
            c.what = L"recording line " + std::to_wstring(j) + L" control " + std::to_wstring(k);
            c.names = {name};
            c.tab = 1;
            c.controls = {Key(*e.chkRecordMonitor[j]), L"custom " + std::to_wstring(j) + L"." + std::to_wstring(k)};
            c.saved = c.names;
            c.put = [name](const CardBytes& v) {
                Bytes data = v[0];
                MixerValue(name, data, true);
            };
            c.others = [](const CardBytes& now) {
                return std::vector<CardBytes>{{Bytes{static_cast<std::uint8_t>(!FirstByte(now[0]))}}};
            };
            const bool isMonitor = k == monitor;
            c.follows = [j, k, isMonitor](frmProfile& ed) {
                return ed.chkRecordSet[j]->Enabled() && ed.chkRecordSet[j]->Value() == 1 &&
                       (isMonitor || ed.GetCustomControlsValues(j, k) != 255);
            };
            c.shows = [j, k, isMonitor](frmProfile& ed, const CardBytes& v) {
                return isMonitor ? ed.chkRecordMonitor[j]->Value() == FirstByte(v[0])
                                 : ed.GetCustomControlsValues(j, k) == FirstByte(v[0]);
            };
            if (isMonitor) {
                c.send = [j](frmProfile& ed, const CardBytes&) {
                    return ed.chkRecordMonitor[j]->Enabled() && User::Click(*ed.chkRecordMonitor[j]);
                };
            } else {
                c.send = [j, k](frmProfile& ed, const CardBytes& avoid) {
                    return ChooseCustomControl(ed, j, k, FirstByte(avoid[0]) == 1 ? 0 : 1);
                };
                // The profile sets the control meanwhile, to the card's value, where its line is set.
                auto chosen = std::make_shared<bool>(false);
                c.before = [j, k, name, chosen](frmProfile& ed) {
                    *chosen = ed.chkRecordSet[j]->Value() == 1 && ed.GetCustomControlsValues(j, k) == 255;
                    if (*chosen) {
                        ASSERT_TRUE(ChooseCustomControl(ed, j, k, FirstByte(GetProfileValue(L"", name))));
                    }
                };
                c.after = [j, k, chosen](frmProfile& ed) {
                    if (*chosen) {
                        ASSERT_TRUE(ChooseCustomControl(ed, j, k, 255));
                    }
                };
            }
            rows.push_back(c);
        }
    }
    // The swaps, chosen in their dialog.
    static const wchar_t* const kSwaps[3] = {L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"};
    for (int i = 0; i < 3; ++i) {
        const std::wstring name = kSwaps[i];
        Row r = DriverRow(name, name, 0, {name});
        r.others = [name](const CardBytes& now) {
            return std::vector<CardBytes>{{WithFirst(name, FirstByte(now[0]) == 1 ? 0 : 1)}};
        };
        auto swap = [i](frmProfile& ed) {
            return i == 0 ? ed.GetHeadphoneLRXchg() : i == 1 ? ed.GetCenterBassXchg() : ed.GetSideRearXchg();
        };
        r.follows = [swap](frmProfile& ed) { return FirstByte(swap(ed)) != 255; };
        r.shows = [swap](frmProfile& ed, const CardBytes& v) { return FirstByte(swap(ed)) == FirstByte(v[0]); };
        r.send = [name](frmProfile& ed, const CardBytes& avoid) {
            if (!User::Click(*ed.cmdAnalogOutputSettings)) return false;
            frmAnalogOutputSettings* dialog = AnalogOutputSettingsDialog();
            if (!dialog) return false;
            Pump(30);
            const bool sent =
                User::ChooseOption(dialog->Get<OptionButton>(L"opt" + name, FirstByte(avoid[0]) == 1 ? 0 : 1));
            User::Click(dialog->Ctl(L"cmdClose"));
            return sent;
        };
        rows.push_back(r);
    }
    // The headphone gain of either panel, chosen in its dialog.
    if (gCardCaps && gCardCaps->HPAmp) {
        for (const wchar_t* gain : {L"HpImpedanceModeRear", L"HpImpedanceModeFront"}) {
            const std::wstring name = gain;
            Row r = DriverRow(name, name, 0, {L"cboHpAmp"});
            r.saved = {L"HpImpedanceModeRear", L"HpImpedanceModeFront"};
            r.others = [name](const CardBytes& now) {
                return std::vector<CardBytes>{{WithFirst(name, FirstByte(now[0]) == 1 ? 2 : 1)}};
            };
            r.follows = [name](frmProfile&) {
                const frmHpImpedanceMode* amp = HpImpedanceDialog();
                return amp && amp->cboHpAmp->ListIndex() > 0 &&
                       HpImpedanceValueName(GetProfileValue(L"", L"PanelConfig")) == name;
            };
            r.shows = [](frmProfile&, const CardBytes& v) {
                const frmHpImpedanceMode* amp = HpImpedanceDialog();
                return amp && FirstByte(amp->HpAmp()) == FirstByte(v[0]);
            };
            r.send = [name](frmProfile& ed, const CardBytes& avoid) {
                const frmHpImpedanceMode* amp = HpImpedanceDialog();
                return amp && HpImpedanceValueName(GetProfileValue(L"", L"PanelConfig")) == name &&
                       ChooseHpGain(ed, ItemOf(*amp->cboHpAmp, FirstByte(avoid[0]) == 1 ? 2 : 1));
            };
            // The user's headphones on the gain's panel meanwhile, with a gain chosen for them.
            const std::intptr_t headphones = name == L"HpImpedanceModeFront" ? 0x0101 : 0x0001;
            auto output = std::make_shared<int>(-1);
            auto gainChosen = std::make_shared<bool>(false);
            r.before = [headphones, output, gainChosen](frmProfile& ed) {
                ComboBox& outputs = *ed.cboAnalogOutput;
                *output = SelectedItemData(outputs, -1) == headphones ? -1 : outputs.ListIndex();
                if (*output >= 0) {
                    ASSERT_TRUE(User::ChooseItem(outputs, ItemOf(outputs, headphones)));
                }
                const frmHpImpedanceMode* amp = HpImpedanceDialog();
                *gainChosen = !amp || amp->cboHpAmp->ListIndex() <= 0;
                if (*gainChosen) {
                    ASSERT_TRUE(ChooseHpGain(ed, 1));
                }
            };
            r.after = [output, gainChosen](frmProfile& ed) {
                if (*gainChosen) {
                    ASSERT_TRUE(ChooseHpGain(ed, 0));
                }
                if (*output >= 0) {
                    ASSERT_TRUE(User::ChooseItem(*ed.cboAnalogOutput, *output));
                }
            };
            rows.push_back(r);
        }
    }
    // Echo cancellation last: the user's Enable locks the Output and Equalizer pages.
    {
        Row r = OptionRow(
            L"echo cancellation", L"AEC", e.optAEC, 3, [](bool on) { return EncodeAEC(on); },
            [](const Bytes& v) { return v.size() == 40 && v[8] == 1; });
        // Its state is part of the ProLogic IIx value; its pages' lock shows on the output list.
        r.saved.push_back(L"Pl2xParam");
        r.controls.push_back(L"cboAnalogOutput");
        // Switched on by another program meanwhile: the user's Disable then puts back nothing
        // (no Enable of the user's saved anything) and leaves the equalizer and FlexBass alone.
        Row outside = r;
        outside.what += L", on from outside";
        outside.before = [put = r.put](frmProfile&) {
            put({EncodeAEC(true)});
            LetTheRefreshRun();
        };
        outside.after = [put = r.put](frmProfile&) {
            put({EncodeAEC(false)});
            LetTheRefreshRun();
        };
        rows.push_back(outside);
        // The user's Enable, then echo cancellation off from outside: what the Enable locked
        // comes back as the user's Disable would bring it back.
        rows.push_back(r);
    }
    return rows;
}

TEST_F(FollowCard, ANewProfileFollowsExactlyWhatChangedOnTheCard) {
    UseEditorCard(kD2);
    Load(L"");
    SetCard({{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"07000000"}, {L"BassManagement", L"01000000"}});
    SetVolumeBalance(40 * kCurrencyScale, 0, 0, 0);
    frmProfile& editor = OpenEditor(L"");
    ASSERT_FALSE(editor.LiveProfileName().empty());
    // Elsewhere: every playback row set, "Set to:" 48 and then "Use last", which keeps 48 aside.
    editor.imgTab_Click(1);
    ASSERT_TRUE(User::Click(editor.Ctl(L"chkPlaybackSetAll")));
    ASSERT_TRUE(User::ChooseOption(*editor.optVolume[1]));
    ASSERT_TRUE(User::DragTo(*editor.csliVolume, 48));
    ASSERT_TRUE(User::ChooseOption(*editor.optVolume[0]));
    for (int j : {0, 1}) {
        ASSERT_TRUE(User::Click(*editor.chkRecordSet[j]));
    }
    RunMatrix(editor, L"new profile");
}

TEST_F(FollowCard, AStoredProfileFollowsExactlyWhatChangedOnTheCard) {
    UseEditorCard(kSTX);
    Load(L"");
    SetVolumeBalance(50 * kCurrencyScale, 0, 0, 0);
    // Headphones on the rear panel with a gain, FlexBass with large speakers, 48 kHz, SVN on,
    // the master volume, both front channels and the microphone.
    for (const auto& [name, hex] :
         std::initializer_list<std::pair<std::wstring, const wchar_t*>>{{L"PanelConfig", L"00000000"},
                                                                        {L"SpeakerConfig", L"01000000"},
                                                                        {L"HpImpedanceModeRear", L"01000000"},
                                                                        {L"HeadphoneLRXchg", L"01000000"},
                                                                        {L"BassManagement", L"01000000"},
                                                                        {L"SpeakerSize", L"F7000000"},
                                                                        {L"OutputFormat", L"80BB0000"},
                                                                        {L"SmartVolumeParams", L"01000000"},
                                                                        {L"EqEnable", L"01"},
                                                                        {MixerValueName(0, 0, 0, 0), L"30"},
                                                                        {MixerValueName(0, 0, 1, 0), L"30"},
                                                                        {L"WaveOutVolL", L"0000FAFF"},
                                                                        {L"WaveOutVolR", L"0000FAFF"},
                                                                        {MixerValueName(1, 0, 0, 0), L"3C"},
                                                                        {MixerValueName(1, 0, 1, 0), L"3C"}})
        Store(L"Stored", name, hex);
    frmProfile& editor = OpenEditor(L"Stored");
    ClickLive(editor);
    ASSERT_FALSE(editor.LiveProfileName().empty());
    // Elsewhere: the equalizer at "Don't Change"; an upmix chosen under 7.1 speakers, which the
    // headphones keep aside.
    editor.imgTab_Click(0);
    auto& outputs = *editor.cboAnalogOutput;
    const int headphones = outputs.ListIndex();
    ASSERT_TRUE(User::ChooseItem(outputs, ItemOf(outputs, 0x0007)));
    ASSERT_TRUE(User::ChooseItem(*editor.cboStereoUpmix, editor.cboStereoUpmix->ListCount() - 1));
    ASSERT_TRUE(User::ChooseItem(outputs, headphones));
    editor.imgTab_Click(2);
    ASSERT_TRUE(User::ChooseOption(*editor.optEQ[255]));
    RunMatrix(editor, L"stored profile");
}

}  // namespace
