// Random walks of the profile editor: seeded sequences of the user's actions, live mode, Reset
// and changes of the card from outside, on cards that differ in what matters, from new profiles
// and from stored profiles of random accepted codes. After every step the walk checks, from
// outside the editor and against its own small record:
// - what Save writes keeps every group the user did not change byte for byte as stored;
// - a change from outside changes only the controls of that value;
// - in live mode the card holds what Save writes for each group the user chose;
// - Live Mode off and Cancel put the card back as it was when live mode began.
// The user's steps include the editor's three dialogs, and changes from outside include the tray's
// volume keys and changes that come within a second of the editor's own send.
// CI walks seeds 1 to 40; KALVENOR_WALK_SEED=N replays one seed, KALVENOR_WALK_SEEDS=N walks N
// seeds from KALVENOR_WALK_FROM (1); KALVENOR_WALK_TRACE=name logs one value after each step.
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

#include "device/linevalues.h"
#include "editor/customcontrolsdialog.h"
#include "tests/editor/follow_fixture.h"
#include "tests/editor/profile_codes.h"

using namespace kal;
using namespace kal::testing;

namespace {

// The values one choice sets together: a line's two volume channels; any other value alone.
std::wstring GroupOf(const std::wstring& name) {
    if (name.size() == 11 && name.rfind(L"_mixer", 0) == 0 && name[10] == L'0') return name.substr(0, 9) + L"00";
    return name;
}

// The program's own values of a profile, which the card doesn't hold.
bool ProfileOnly(const std::wstring& name) {
    return name == L"Shortcut" || name == L"CustomIcon" || name == L"VolIgnoreForValidation" ||
           name == L"NoVolChangeOnSameOut";
}

std::wstring LineGroup(int line) { return MixerValueName(1, line, 0, 0); }

// A control the user acts on and the value groups it chooses.
struct Target {
    Control* control;
    std::vector<std::wstring> groups;
    int tab = 0;  // -1: a control of an open dialog
};

class EditorWalk : public FollowCardFixture {
protected:
    std::mt19937 rng_;
    std::wostringstream log_;
    bool failed_ = false;
    std::wstring profile_;                      // "" for a new profile
    State stored_;                              // the stored profile, or Save as the editor opened
    std::set<std::wstring> chosen_;             // groups the user changed and did not undo
    std::set<std::wstring> followed_;           // groups the card changed from outside while live
    std::set<std::wstring> movedSinceLive_;     // likewise, since live mode last began
    std::map<std::wstring, Bytes> cardAtLive_;  // the card when live mode began
    std::vector<std::wstring> cardNames_;       // the values the walk reads off the card
    std::vector<Target> targets_;

    int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }
    void Note(const std::wstring& step) { log_ << L"\n  " << step; }

    void Fail(const std::wstring& what) {
        if (failed_) return;
        failed_ = true;
        ADD_FAILURE() << Narrow(L"walk failed: " + what + L"\n steps:" + log_.str());
    }

    static int Failures() {
        return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
    }

    frmProfile& Ed() { return *ProfileEditor(); }
    bool Live() { return ProfileEditor() && !Ed().LiveProfileName().empty(); }

    std::map<std::wstring, Bytes> Card() {
        std::map<std::wstring, Bytes> card;
        for (const std::wstring& n : cardNames_) card[n] = GetProfileValue(L"", n);
        return card;
    }

    // A stored profile of random accepted codes, made on the present card.
    State RandomProfile() {
        State values;
        for (const codes::Row& row : codes::MatrixRows())
            for (const std::wstring& name : row.names)
                if (Chance(80))
                    values[name] = row.codes[static_cast<std::size_t>(Pick(static_cast<int>(row.codes.size())))];
        return values;
    }

    void CollectTargets() {
        frmProfile& e = Ed();
        targets_.clear();
        auto add = [&](Control* c, std::vector<std::wstring> groups, int tab) {
            if (c) targets_.push_back({c, std::move(groups), tab});
        };
        const std::wstring master = MixerValueName(0, 0, 0, 0);
        const std::vector<std::wstring> effects{L"DHEnable",     L"DHRoom",    L"DVSEnable", L"DVSMode",
                                                L"EnableXear3D", L"Pl2xParam", L"NeoParam"};
        add(e.cboAnalogOutput, {L"PanelConfig", L"SpeakerConfig"}, 0);
        add(e.chkSPDIF, {L"SpDigitalOut"}, 0);
        add(e.cboSPDIFOutput, {L"SpDigitalOut"}, 0);
        add(e.cboSampleRate, {L"OutputFormat", kMixerSampleRate}, 0);
        add(e.cboSystemSampleRate, {kMixerSampleRate}, 0);
        add(e.chkSyncSampleRates, {kMixerSampleRate}, 0);
        add(e.cboBitDepth, {kMixerBitDepth}, 0);
        add(e.cboStereoUpmix, {L"Dual2D"}, 0);
        add(e.cboSpeakersLayout, {L"SystemSpeakers"}, 0);
        for (CheckBox* box : {e.chkDolbyHeadphones, e.chkDolbyVirtualSpeaker, e.chkVSS, e.chkDolby, e.chkNeo})
            add(box, effects, 0);
        add(e.cboDolbyHeadphonesMode, {L"DHRoom"}, 0);
        add(e.cboDolbyVirtualSpeakerMode, {L"DVSMode"}, 0);
        for (auto* o : e.optPL2xMode) add(o, {L"Pl2xParam"}, 0);
        for (auto* o : e.optNEOMode) add(o, {L"NeoParam"}, 0);
        for (Slider* s : {e.csliPL2xWidth, e.csliPL2xDepth}) add(s, {L"Pl2xParam"}, 0);
        for (Slider* s : {e.csliNEOWidth, e.csliNEODepth}) add(s, {L"NeoParam"}, 0);
        for (auto* o : e.optSVN) add(o, {L"SmartVolumeParams"}, 0);
        for (auto* o : e.optVolume) add(o, {master, L"NoVolChangeOnSameOut"}, 0);
        add(e.csliVolume, {master}, 0);
        add(e.csliMasterBalance, {master}, 0);
        add(e.chkIgnoreVolumeForProfileValidation, {L"VolIgnoreForValidation"}, 0);
        add(e.chkVolumeChangeOnlyOnDifferentOutput, {L"NoVolChangeOnSameOut"}, 0);
        for (int i = 0; i < 8; ++i) {
            const std::wstring gain(gChannelVolumeValues[static_cast<std::size_t>(i)]);
            add(e.chkPlaybackSet[i], {gain}, 1);
            add(e.csliOutputChannel[i], {gain}, 1);
        }
        for (int j = 0; j < 8; ++j) {
            if (gInputLineIds[static_cast<std::size_t>(j)].empty()) continue;
            std::vector<std::wstring> line{LineGroup(j)};
            for (int k = 1; k < 4; ++k) line.push_back(MixerValueName(1, j, 0, k));
            add(e.chkRecordSet[j], line, 1);
            add(e.csliInputLine[j], {LineGroup(j)}, 1);
            add(e.csliInputLineBalance[j], {LineGroup(j)}, 1);
            add(e.chkRecordMonitor[j], {MixerValueName(1, j, 0, gInputLineMonitorControl[static_cast<std::size_t>(j)])},
                1);
        }
        for (auto* o : e.optInputSelect) add(o, {kMixerInputLineSel}, 1);
        for (auto* o : e.optEQ) add(o, {L"EqEnable"}, 2);
        for (auto* o : e.optEQProfile) add(o, {L"EqGain"}, 2);
        for (Slider* s : e.csliEQ) add(s, {L"EqGain"}, 2);
        for (auto* o : e.optFlexBass) add(o, {L"BassManagement"}, 2);
        add(e.csliCrossover, {L"BassCornerFrequency"}, 2);
        for (ComboBox* box : e.cboSpeakerSize) add(box, {L"SpeakerSize"}, 2);
        for (auto* o : e.optAEC) add(o, {L"AEC"}, 3);
    }

    // ---- The user's steps ----

    // The target changed to another value; with `undo`, chosen back again. False when the control
    // takes no such change now.
    bool Act(const Target& t, bool undo) {
        if (t.tab >= 0) {
            // A locked page can't be reached.
            if (!Ed().imgTab[static_cast<std::size_t>(t.tab)]->Enabled()) return false;
            Ed().imgTab_Click(t.tab);
        }
        Control& c = *t.control;
        if (!User::CanAct(c)) return false;
        const std::wstring what = Key(c);
        if (auto* box = dynamic_cast<ComboBox*>(&c)) {
            const int before = box->ListIndex();
            if (box->ListCount() < 2) return false;
            int to = Pick(box->ListCount());
            if (to == before) to = (to + 1) % box->ListCount();
            Note(what + L" entry " + std::to_wstring(to) + (undo ? L" and back" : L""));
            if (!User::ChooseItem(*box, to)) return false;
            if (undo && (before < 0 || !User::ChooseItem(*box, before))) undo = false;
        } else if (auto* check = dynamic_cast<CheckBox*>(&c)) {
            Note(what + L" clicked" + (undo ? L" twice" : L""));
            if (!User::Click(*check)) return false;
            if (undo && !User::Click(*check)) undo = false;
        } else if (auto* option = dynamic_cast<OptionButton*>(&c)) {
            if (option->Value()) return false;
            // The option chosen before, for the undo.
            OptionButton* was = nullptr;
            for (Control* other : c.Parent().Controls())
                if (auto* o = dynamic_cast<OptionButton*>(other); o && o->Name() == c.Name() && o->Value()) was = o;
            Note(what + L" chosen" + (undo ? L" and back" : L""));
            if (!User::ChooseOption(*option)) return false;
            if (undo && (!was || !User::ChooseOption(*was))) undo = false;
        } else if (auto* slider = dynamic_cast<Slider*>(&c)) {
            const std::int32_t before = slider->Value(), low = slider->Bar().Min(), high = slider->Bar().Max();
            std::int32_t to = low + Pick(high - low + 1);
            if (to == before) to = to == high ? low : high;
            Note(what + L" to " + std::to_wstring(to) + (undo ? L" and back" : L""));
            if (!User::DragTo(*slider, to)) return false;
            if (undo && !User::DragTo(*slider, before)) undo = false;
        } else {
            return false;
        }
        if (!undo) chosen_.insert(t.groups.begin(), t.groups.end());
        return true;
    }

    // ---- The editor's dialogs ----

    // The choices of the open dialog: 0 the swaps, 1 the headphone gain, 2 the custom controls
    // of recording line `line`.
    std::vector<Target> DialogTargets(int kind, int line) {
        std::vector<Target> targets;
        if (kind == 0) {
            for (const wchar_t* swap : {L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"})
                for (Control* c : AnalogOutputSettingsDialog()->ControlArray(L"opt" + std::wstring(swap)))
                    if (User::CanAct(*c)) targets.push_back({c, {swap}, -1});
        } else if (kind == 1) {
            targets.push_back({HpImpedanceDialog()->cboHpAmp, {HpImpedanceValueName(Ed().PanelConfig())}, -1});
        } else {
            const frmInputLineCustomControls& d = *InputLineCustomControlsDialog();
            for (std::size_t f = 0; f < d.fraCustomControl.size(); ++f) {
                const std::wstring& n = d.fraCustomControl[f]->Tag();
                if (n.empty()) continue;
                for (Control* c : d.ControlArray(frmInputLineCustomControls::OptionGroup(static_cast<int>(f))))
                    if (User::CanAct(*c)) targets.push_back({c, {MixerValueName(1, line, 0, std::stoi(n))}, -1});
            }
        }
        return targets;
    }

    // A dialog opened, a choice or two made in it, each maybe taken back, and closed by its
    // button or its close box. It sends each choice at once and has no Cancel: a choice taken
    // back is the user's cancel. Out of live mode nothing reaches the card; in live mode only
    // the dialog's own values, as Save writes them ("Don't Set": as the restore point holds
    // them), and a dialog whose choices were all taken back leaves the card as it found it.
    void DialogStep() {
        frmProfile& e = Ed();
        // The buttons that open one now.
        std::vector<Control*> openers;
        // A page echo cancellation locks can't be reached.
        e.imgTab_Click(0);
        for (Control* c : {static_cast<Control*>(e.cmdAnalogOutputSettings), static_cast<Control*>(e.cmdHpAmp)})
            if (e.imgTab[0]->Enabled() && User::CanAct(*c)) openers.push_back(c);
        e.imgTab_Click(1);
        for (Control* c : e.cmdRecordExtraOptions)
            if (c && User::CanAct(*c)) openers.push_back(c);
        if (openers.empty()) return;
        Control& opener = *openers[static_cast<std::size_t>(Pick(static_cast<int>(openers.size())))];
        const int kind = &opener == e.cmdAnalogOutputSettings ? 0 : &opener == e.cmdHpAmp ? 1 : 2;
        const int line = opener.Index();
        e.imgTab_Click(kind == 2 ? 1 : 0);
        Note(L"dialog of " + Key(opener));
        const State held = Held(e);
        const std::map<std::wstring, Bytes> card = Card();
        auto open = [kind]() -> Form* {
            if (kind == 1) return HpImpedanceDialog() && HpImpedanceDialog()->Visible() ? HpImpedanceDialog() : nullptr;
            return kind == 0 ? static_cast<Form*>(AnalogOutputSettingsDialog()) : InputLineCustomControlsDialog();
        };
        if (!User::Click(opener) || !open()) return Fail(L"the dialog did not open");
        const std::vector<Target> targets = DialogTargets(kind, line);
        std::set<std::wstring> acted;
        for (int n = 1 + Pick(2); n > 0 && !targets.empty(); --n) {
            const Target& t = targets[static_cast<std::size_t>(Pick(static_cast<int>(targets.size())))];
            if (Act(t, Chance(40))) acted.insert(t.groups.begin(), t.groups.end());
        }
        Form& dialog = *open();
        if (Chance(50)) {
            Note(L"Close");
            User::Click(dialog.Ctl(L"cmdClose"));
        } else {
            Note(L"close box");
            ::SendMessageW(dialog.hWnd(), WM_CLOSE, 0, 0);
        }
        if (open()) return Fail(L"the dialog stayed open");
        const bool takenBack = Differences(held, Held(e), {}).empty();
        const std::wstring live = Live() ? e.LiveProfileName() : L"";
        const State saved = live.empty() ? State{} : Saved(e);
        for (const auto& [n, was] : card) {
            Bytes expected = was;
            // The dialog's own values: what Save writes, or for "Don't Set" the restore point's.
            // A choice taken back sends the editor's own value again, which the card may not have
            // held (a swap an outside change of the output brought into view).
            if (!live.empty() && acted.count(GroupOf(n))) {
                if (const auto w = saved.find(n); w != saved.end())
                    expected = HexToBytes(w->second);
                else if (ProfileValueExists(live, n))
                    expected = GetProfileValue(live, n);
            }
            if (const Bytes now = GetProfileValue(L"", n); now != expected && !(takenBack && now == was))
                return Fail(L"after the dialog the card holds " + n + L" " + BytesToHex(now) + L", not " +
                            BytesToHex(expected));
        }
    }

    // ---- Changes from outside ----

    struct Outside {
        std::wstring name;                   // the value whose group it changes
        std::vector<std::wstring> controls;  // the controls allowed to follow it
        std::function<void()> put;
        bool device = false;  // a recording device's state: its row shows it, live or not
        // What the editor shows once it took the change in; with `atOnce` it shows it before
        // any refresh runs (the tray's own change tells the editor itself).
        std::function<bool()> shown = nullptr;
        bool atOnce = false;
    };

    // The card's master volume as the editor's slider shows it.
    static bool ShowsMasterVolume(frmProfile& e) {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, L"");
        return e.csliVolume->Value() == static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(volume)));
    }

    Outside RandomOutside() {
        frmProfile& e = Ed();
        auto driver = [&](const wchar_t* name, std::vector<std::wstring> controls) {
            std::vector<std::wstring> codes;
            for (const codes::Row& row : codes::MatrixRows())
                for (const std::wstring& n : row.names)
                    if (n == name) codes = row.codes;
            const std::wstring code =
                codes.empty() ? L"" : codes[static_cast<std::size_t>(Pick(static_cast<int>(codes.size())))];
            Bytes bytes = HexToBytes(code);
            const Bytes now = GetProfileValue(L"", name);
            if (bytes.size() < now.size()) bytes.resize(now.size(), 0);
            return Outside{name, std::move(controls),
                           [name = std::wstring(name), bytes] { sim::SetSimLiveValue(name, bytes); }};
        };
        switch (Pick(10)) {
        case 0: {
            // Another output of the card's list.
            auto& box = *e.cboAnalogOutput;
            const int i = 1 + Pick(box.ListCount() - 1);
            const std::intptr_t code = i < box.ListCount() ? box.ItemData(i) : 4;
            std::vector<std::wstring> controls = OutputControls();
            controls.insert(controls.end(), {L"cmdHpAmp", L"cboHpAmp"});
            return {L"PanelConfig", controls, [code] {
                        sim::SetSimLiveValue(L"PanelConfig", EncodeCode(static_cast<std::uint8_t>(code >> 8)));
                        sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(static_cast<std::uint8_t>(code & 0xFF)));
                    }};
        }
        case 1: {
            // Only a card with echo cancellation has it to change.
            if (!gCardCaps || !gCardCaps->AEC) return RandomOutside();
            // Off after an Enable, the pages it locked come back.
            std::vector<std::wstring> controls = OutputControls();
            controls.insert(controls.end(), {L"optAEC", L"optEQ", L"optFlexBass", L"csliCrossover", L"cboHpAmp"});
            Outside o = driver(L"AEC", controls);
            o.put = [on = Chance(50)] { sim::SetSimLiveValue(L"AEC", EncodeAEC(on)); };
            return o;
        }
        case 2: {
            const std::uint8_t format = Chance(50) ? 0 : (gCardCaps && gCardCaps->Dolby ? 16 : 32);
            // A Dolby or DTS format is an output of its own: the rows and effects follow it.
            std::vector<std::wstring> controls = OutputControls();
            controls.insert(controls.end(), {L"chkSPDIF", L"cboSPDIFOutput"});
            return {L"SpDigitalOut", controls, [format] {
                        Bytes v = GetProfileValue(L"", L"SpDigitalOut");
                        if (v.empty()) v.resize(4);
                        v[0] = format;
                        sim::SetSimLiveValue(L"SpDigitalOut", v);
                    }};
        }
        case 3: {
            const int j = Pick(8);
            const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
            if (id.empty()) return RandomOutside();
            const DWORD state = Chance(40)   ? DEVICE_STATE_ACTIVE
                                : Chance(50) ? DEVICE_STATE_DISABLED
                                             : DEVICE_STATE_UNPLUGGED;
            return {LineGroup(j),
                    {L"chkRecordSet(" + std::to_wstring(j) + L")", L"csliInputLine(" + std::to_wstring(j) + L")",
                     L"csliInputLineBalance(" + std::to_wstring(j) + L")",
                     L"chkRecordMonitor(" + std::to_wstring(j) + L")", L"chkRecordSetAll", L"optInputSelect"},
                    [id, state] { sim::SetSimEndpointState(sim::FindSimEndpoint(id), state); },
                    true,
                    [this, j, state] { return Ed().chkRecordSet[j]->Enabled() == (state == DEVICE_STATE_ACTIVE); }};
        }
        case 4: {
            const float level = static_cast<float>(Pick(101)) / 100.0f;
            return {MixerValueName(0, 0, 0, 0), {L"csliVolume", L"csliMasterBalance"}, [level] {
                        OtherProgramsVolume(gPlaybackLineIds[0])->SetMasterVolumeLevelScalar(level, nullptr);
                    }};
        }
        case 5: return driver(L"EqEnable", {L"optEQ"});
        case 6: return driver(L"BassManagement", {L"optFlexBass", L"csliCrossover", L"cboSpeakerSize"});
        case 7: return driver(L"Dual2D", {L"cboStereoUpmix"});
        case 8: {
            // The tray's volume keys (1 up, 2 down): the program's own change, which a live editor
            // shows at once.
            const WPARAM key = Chance(50) ? 1 : 2;
            return {MixerValueName(0, 0, 0, 0),
                    {L"csliVolume", L"csliMasterBalance"},
                    [this, key] { ::SendMessageW(form_->hWnd(), WM_HOTKEY, key, 0); },
                    false,
                    [this] { return ShowsMasterVolume(Ed()); },
                    true};
        }
        default: return driver(L"EnableXear3D", {L"chkVSS"});
        }
    }

    // With `ownWindow`, right after a user's step that sent in live mode.
    void OutsideStep(bool ownWindow = false) {
        Outside o = RandomOutside();
        Note((ownWindow && IsSelfChange() ? L"at once from outside: " : L"from outside: ") + o.name);
        // The notifications of the editor's own sends come in within its window, as they do at once.
        sim::WaitForSimNotifications();
        Pump(20);
        if (!ProfileEditor()) return Fail(L"the editor closed");
        const State held = Held(Ed());
        const bool live = Live();
        // Otherwise the change comes once the editor's own sends are a second old.
        if (!ownWindow) gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
        o.put();
        if (o.atOnce && live && o.shown && !o.shown()) return Fail(L"the editor does not show " + o.name + L" at once");
        if (ownWindow) {
            // Within the second after the editor's own send the program takes what comes in for
            // its own; once the second is over the editor shows the change as any other.
            sim::WaitForSimNotifications();
            Pump(60);
            // The second passes: the clock moves on and the refresh timer due then fires.
            gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
            ::SendMessageW(form_->hWnd(), WM_TIMER, kTimerUpdateRealTimeData, 0);
            Pump(60);
            if (!ProfileEditor()) return Fail(L"the editor closed");
            const State after = Held(Ed());
            LetTheRefreshRun();
            const std::wstring missed = Differences(after, Held(Ed()), {});
            if (!missed.empty())
                return Fail(L"the editor missed " + o.name + L", changed within the own-change window:" + missed);
        }
        LetTheRefreshRun();
        if (!ProfileEditor()) return Fail(L"the editor closed");
        if ((live || o.device) && o.shown && !PumpUntil(o.shown, 1000))
            return Fail(L"the editor does not show " + o.name);
        // Only the controls of the changed value follow, and only while live.
        const std::wstring moved =
            Differences(held, Held(Ed()), live || o.device ? o.controls : std::vector<std::wstring>{});
        if (!moved.empty()) Fail(L"an outside change of " + o.name + L" moved other controls:" + moved);
        // A device that comes and goes changes no choice of the profile.
        if (!live || o.device) return;
        for (const std::wstring& g :
             {GroupOf(o.name), std::wstring(o.name == L"PanelConfig" ? L"SpeakerConfig" : L"")}) {
            followed_.insert(g);
            movedSinceLive_.insert(g);
        }
    }

    // ---- The checks ----

    // Save keeps each group neither the user nor a follow changed as stored, absent included.
    void CheckSave() {
        const State saved = Saved(Ed());
        // KALVENOR_WALK_TRACE=name logs what Save writes for the value, and the card's, after each step.
        if (const char* t = std::getenv("KALVENOR_WALK_TRACE")) {
            const std::wstring n(t, t + std::strlen(t));
            const auto w = saved.find(n);
            Note(L"    " + n + L" saved " + (w == saved.end() ? L"-" : w->second) + L", card " +
                 BytesToHex(GetProfileValue(L"", n)));
        }
        std::set<std::wstring> names;
        for (const auto& [n, v] : stored_) names.insert(n);
        for (const auto& [n, v] : saved) names.insert(n);
        for (const std::wstring& n : names) {
            const std::wstring g = GroupOf(n);
            if (chosen_.count(g) || followed_.count(g) || chosen_.count(n)) continue;
            const auto s = stored_.find(n);
            const auto w = saved.find(n);
            const std::wstring was = s == stored_.end() ? L"-" : s->second, now = w == saved.end() ? L"-" : w->second;
            // The effect's parameters carry echo cancellation's mark (the width's byte).
            auto aecMark = [&](std::wstring v) { return v.size() == 40 ? v.replace(24, 2, L"..") : v; };
            if (n == L"Pl2xParam" && (chosen_.count(L"AEC") || followed_.count(L"AEC")) && aecMark(was) == aecMark(now))
                continue;
            if (was != now) return Fail(L"Save writes " + n + L" " + was + L" as " + now);
        }
    }

    // In live mode the card holds what Save writes for each group the user chose.
    void CheckLiveCard() {
        if (!Live() || OptionSelected(Ed().optAEC, 1)) return;
        const State saved = Saved(Ed());
        for (const std::wstring& n : cardNames_) {
            const std::wstring g = GroupOf(n);
            if (!chosen_.count(g) || movedSinceLive_.count(g)) continue;
            // The volume of "Use last" and the mixer's format values have their own rules.
            if (g == MixerValueName(0, 0, 0, 0) || n == kMixerSampleRate || n == kMixerBitDepth) continue;
            const auto w = saved.find(n);
            if (w == saved.end()) continue;
            // Chosen back as stored, Save writes the stored bytes, which the controls may not
            // show exactly (a level between the slider's steps, a band past its end).
            if (const auto s = stored_.find(n); s != stored_.end() && s->second == w->second && profile_.size())
                continue;
            // A line of a device out of service can't be set; nor a recording source on one.
            // A row out of the profile shows none of its line's values, a mono line no right
            // channel, and a line no custom control past its count.
            if (const auto ref = IsMixerValueName(n) ? ParseMixerValueName(n) : std::nullopt; ref && ref->flow == 1) {
                const int j = ref->line;
                if (!LineActive(j) || Ed().chkRecordSet[j]->Value() != 1) continue;
                if (ref->control == 0 && ref->channel == 1 && Ed().csliInputLineBalance[j]->Tag() != L"2") continue;
                const std::wstring& id = gInputLineIds[static_cast<std::size_t>(j)];
                const int controls =
                    gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size()) : 0;
                if (ref->control > controls) continue;
            }
            if (n == kMixerInputLineSel && !LineActive(FirstByte(HexToBytes(w->second)))) continue;
            // A Dolby mode counts while its effect is on; the sizes by the four the boxes show.
            auto off = [&](const wchar_t* flag) {
                const auto f = saved.find(flag);
                return f == saved.end() || FirstByte(HexToBytes(f->second)) == 0;
            };
            if ((n == L"DHRoom" && off(L"DHEnable")) || (n == L"DVSMode" && off(L"DVSEnable"))) continue;
            // Likewise a playback row the output hides.
            if (const auto* row = std::find(std::begin(gChannelVolumeValues), std::end(gChannelVolumeValues), n);
                row != std::end(gChannelVolumeValues) &&
                !Ed().chkPlaybackSet[static_cast<std::size_t>(row - std::begin(gChannelVolumeValues))]->Enabled())
                continue;
            // An effect the output doesn't offer is kept, not shown.
            static const std::map<std::wstring, std::wstring> effectBox{{L"DHEnable", L"chkDolbyHeadphones"},
                                                                        {L"DHRoom", L"chkDolbyHeadphones"},
                                                                        {L"DVSEnable", L"chkDolbyVirtualSpeaker"},
                                                                        {L"DVSMode", L"chkDolbyVirtualSpeaker"},
                                                                        {L"EnableXear3D", L"chkVSS"},
                                                                        {L"Pl2xParam", L"chkDolby"},
                                                                        {L"NeoParam", L"chkNeo"}};
            if (const auto box = effectBox.find(n); box != effectBox.end() && !Ed().Ctl(box->second).Enabled())
                continue;
            const Bytes held = GetProfileValue(L"", n);
            // Likewise the parameters of ProLogic IIx and NEO:PC while both say off.
            if ((n == L"Pl2xParam" || n == L"NeoParam") && FirstByte(held) == 0 &&
                FirstByte(HexToBytes(w->second)) == 0)
                continue;
            if (n == L"SpeakerSize") {
                // The sizes by the boxes the output offers; a disabled box keeps its size aside.
                const auto card = DecodeSpeakerSizes(held), save = DecodeSpeakerSizes(HexToBytes(w->second));
                bool same = true;
                for (std::size_t i = 0; i < 4; ++i)
                    same = same && (!Ed().cboSpeakerSize[i]->Enabled() || card[i] == save[i]);
                if (same) continue;
            }
            // A swap the output doesn't use is kept, not shown: the L/R swap is for headphones,
            // centre/bass for analog 5.1 and 7.1, side/rear for 7.1.
            if (n == L"HeadphoneLRXchg" || n == L"CenterBassXchg" || n == L"SideRearXchg") {
                const std::wstring out = Ed().Output();
                const std::wstring mode = out.size() == 4 ? out.substr(2) : L"";
                const bool encoded = Ed().chkSPDIF->Value() == 1 && SelectedItemData(*Ed().cboSPDIFOutput) != 2 &&
                                     Ed().cboSPDIFOutput->ListIndex() != -1;
                const bool used = n == L"HeadphoneLRXchg"  ? mode == L"01" && !encoded
                                  : n == L"CenterBassXchg" ? (mode == L"06" || mode == L"07") && !encoded
                                                           : mode == L"07" && !encoded;
                if (!used) continue;
            }
            // A channel's gain goes through the slider's percent: a step either way is the same.
            const Bytes written = HexToBytes(w->second);
            auto decibels = [](const Bytes& v) { return static_cast<std::int16_t>(v[2] | v[3] << 8); };
            if (std::find(std::begin(gChannelVolumeValues), std::end(gChannelVolumeValues), n) !=
                    std::end(gChannelVolumeValues) &&
                held.size() == 4 && written.size() == 4 && std::abs(decibels(held) - decibels(written)) <= 1)
                continue;
            const std::wstring card = BytesToHex(held);
            if (card != w->second)
                return Fail(L"live: the card holds " + n + L" " + card + L", Save writes " + w->second);
        }
    }

    static bool LineActive(int line) {
        if (line < 0 || line > 7 || gInputLineIds[static_cast<std::size_t>(line)].empty()) return false;
        return sim::SimEndpointState(sim::FindSimEndpoint(gInputLineIds[static_cast<std::size_t>(line)])) ==
               DEVICE_STATE_ACTIVE;
    }

    // After live mode ends the card is as it was when live mode began.
    void CheckRestored() {
        for (const auto& [n, was] : cardAtLive_) {
            // Windows can't make a device out of service the recording source again.
            if (n == kMixerInputLineSel && !LineActive(FirstByte(was, 255))) continue;
            const Bytes now = GetProfileValue(L"", n);
            if (now != was)
                return Fail(L"after live mode " + n + L" is " + BytesToHex(now) + L", was " + BytesToHex(was));
        }
    }

    void LiveStep() {
        const bool on = !Live();
        Note(on ? L"Live Mode on" : L"Live Mode off");
        if (on) cardAtLive_ = Card();
        ClickLive(Ed());
        LetTheRefreshRun();
        if (on && Live()) {
            // Everything the editor shows reached the card.
            movedSinceLive_.clear();
        } else if (!on) {
            CheckRestored();
            cardAtLive_.clear();
        }
    }

    void ResetStep() {
        Note(L"Reset");
        if (!User::Click(Ed().Ctl(L"cmdReset"))) return;
        LetTheRefreshRun();
        chosen_.clear();
        followed_.clear();
        movedSinceLive_.clear();
        if (profile_.empty()) stored_ = Saved(Ed());
    }

    // ---- One walk ----

    void WalkSeed(unsigned seed) {
        rng_.seed(seed);
        log_.str(L"");
        failed_ = false;
        chosen_.clear();
        followed_.clear();
        movedSinceLive_.clear();
        cardAtLive_.clear();
        static const wchar_t* const models[] = {kD2, kDG, kDS, kSTX};
        const wchar_t* model = models[Pick(4)];
        const bool stored = Chance(70);
        const wchar_t* madeOn = stored && Chance(30) ? models[Pick(4)] : model;
        log_ << L"seed " << seed << L", card " << model;
        State values;
        if (stored) {
            UseEditorCard(madeOn);
            values = RandomProfile();
            log_ << L", stored profile made on " << madeOn;
        }
        UseEditorCard(model);
        // The card's output: its own, headphones, 5.1 or 7.1 speakers, each offering other dialogs.
        if (Chance(60)) {
            static const std::uint8_t outputs[] = {1, 6, 7};
            const std::uint8_t output = outputs[Pick(3)];
            sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(output));
            log_ << L", output " << int{output};
        }
        Load(L"");
        cardNames_.clear();
        for (const codes::Row& row : codes::MatrixRows())
            for (const std::wstring& n : row.names)
                if (!ProfileOnly(n) && !GetProfileValue(L"", n).empty()) cardNames_.push_back(n);
        profile_ = stored ? L"Walk" : L"";
        RegDeleteTree(gRegProfiles, L"Walk");
        for (const auto& [n, v] : values) Store(L"Walk", n, v.c_str());
        if (Chance(30)) {
            const int j = Pick(8);
            if (!gInputLineIds[static_cast<std::size_t>(j)].empty()) {
                log_ << L", recording line " << j << L" unplugged";
                sim::SetSimEndpointState(sim::FindSimEndpoint(gInputLineIds[static_cast<std::size_t>(j)]),
                                         DEVICE_STATE_UNPLUGGED);
                sim::WaitForSimNotifications();
            }
        }
        if (!stored) cardAtLive_ = Card();
        frmProfile& editor = OpenEditor(profile_);
        stored_ = stored ? Values(L"Walk") : Saved(editor);
        CollectTargets();
        const int failuresAtStart = Failures();
        CheckSave();
        const int steps = 30 + Pick(20);
        for (int step = 0; step < steps && !failed_ && ProfileEditor(); ++step) {
            const int kind = Pick(100);
            if (kind < 50) {
                const Target& t = targets_[static_cast<std::size_t>(Pick(static_cast<int>(targets_.size())))];
                if (!Act(t, Chance(40))) continue;
            } else if (kind < 58) {
                DialogStep();
            } else if (kind < 73) {
                OutsideStep();
            } else if (kind < 80) {
                // A user's step that sends, then at once a change from outside.
                const Target& t = targets_[static_cast<std::size_t>(Pick(static_cast<int>(targets_.size())))];
                if (!Live() || !Act(t, Chance(40))) continue;
                OutsideStep(true);
            } else if (kind < 90) {
                LiveStep();
            } else {
                ResetStep();
            }
            if (failed_ || Failures() != failuresAtStart) break;
            CheckSave();
            CheckLiveCard();
        }
        if (!failed_ && ProfileEditor()) {
            const bool live = Live();
            Note(L"Cancel");
            CloseEditor();
            if (live) CheckRestored();
        }
        CloseEditor();
    }
};

std::vector<unsigned> Seeds() {
    if (const char* one = std::getenv("KALVENOR_WALK_SEED"))
        return {static_cast<unsigned>(std::strtoul(one, nullptr, 10))};
    unsigned count = 40, from = 1;
    if (const char* many = std::getenv("KALVENOR_WALK_SEEDS"))
        count = static_cast<unsigned>(std::strtoul(many, nullptr, 10));
    if (const char* first = std::getenv("KALVENOR_WALK_FROM"))
        from = static_cast<unsigned>(std::strtoul(first, nullptr, 10));
    std::vector<unsigned> seeds;
    for (unsigned s = from; s < from + count; ++s) seeds.push_back(s);
    return seeds;
}

TEST_F(EditorWalk, RandomWalksKeepTheEditorsContract) {
    for (unsigned seed : Seeds()) {
        WalkSeed(seed);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
