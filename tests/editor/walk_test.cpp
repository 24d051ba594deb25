// Random walks of the profile editor: seeded sequences of the user's actions, live mode, Reset,
// the real Save and changes of the card from outside, on every supported model of the catalogue
// (some refusing a speaker configuration), from new profiles and from stored profiles of random
// accepted codes, some made on another model. After every step the walk checks, from outside the
// editor and against its own small record:
// - what Save writes keeps every group the user did not change byte for byte as stored;
// - a change from outside changes only the controls of that value;
// - in live mode the card holds what Save writes for each group the user chose (under echo
//   cancellation, those it doesn't lock), and the master volume the slider's level;
// - a control is enabled exactly when the user can use it;
// - Live Mode off and Cancel put the card back as it was when live mode began.
// The Save button writes into the profile's own key what the editor would write, under each of
// its questions; the profile, applied from the tray menu, is on the card as the editor shows it,
// and opens again showing what was saved. Save refused (no name, a number, a restore point's
// name, the registry refusing) leaves the editor, the card and every profile as they were; a
// change of only the name's letter case renames the key and touches no other profile. While the
// editor is open the tray's clicks open nothing and the profiles' keys are free for another
// program; once it closes they are the program's again and the tray answers. Changes from
// outside arrive as the card's and Windows' notifications, several within one own-change
// window, and the program's own refresh runs once its wait is over; a share of them meet the user's change of the same value, another
// part of it or the same device, and what the other program set must not be lost. The user
// reaches every control through the user layer: the effect panels opened, the presets, the
// user's own lists, the speaker field, the column boxes, the reset buttons, the shortcut and the
// icon; by the keyboard too (a slider's and a list's keys, Space, an option's arrows, Tab,
// Escape, Enter, the mnemonics, the name typed), and closes the editor by Cancel, its mnemonic
// or its close box. A share of the seeds leave the program's timers to their own clock.
// CI walks seeds 1 to 40; KALVENOR_WALK_SEED=N replays one seed, KALVENOR_WALK_SEEDS=N walks N
// seeds from KALVENOR_WALK_FROM (1); KALVENOR_WALK_TRACE=name logs one value after each step.
#include <cwctype>

#include "tests/editor/refused_writes.h"
#include "tests/editor/walk_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class EditorWalk : public WalkModel {
protected:
    // One or more changes from outside; with `ownWindow`, right after a user's step that sent
    // in live mode, all within the second after it.
    void OutsideStep(bool ownWindow = false) {
        if (!ownWindow) ShowLateValues();
        std::vector<Outside> changes{RandomOutside()};
        if (ownWindow && Chance(50)) changes.push_back(RandomOutside());
        std::wstring names;
        // What came from outside before and shows at the next refresh.
        std::vector<std::wstring> controls = late_, always;
        bool device = false;
        for (const Outside& o : changes) {
            names += (names.empty() ? L"" : L", ") + o.name;
            controls.insert(controls.end(), o.controls.begin(), o.controls.end());
            always.insert(always.end(), o.always.begin(), o.always.end());
            device = device || o.device;
        }
        // The notifications of the editor's own sends come in within its window, as they do at once.
        sim::WaitForSimNotifications();
        Pump(20);
        if (!ProfileEditor()) return Fail(L"the editor closed");
        const State held = Held(Ed());
        const bool live = Live();
        const std::optional<unsigned> posts = PutOutside(changes, ownWindow, live);
        if (failed_) return;
        LetTheRefreshRun(posts);
        if (Suspended(changes, live)) return;
        if (ownWindow) {
            // A change within the second after the editor's own send shows once the second is
            // over, as any other: a later refresh brings nothing more.
            if (!ProfileEditor()) return Fail(L"the editor closed");
            ShowLateValues();
            const State after = Held(Ed());
            LetTheRefreshRun();
            const std::wstring missed = Differences(after, Held(Ed()), {});
            if (!missed.empty())
                return Fail(L"the editor missed " + names + L", changed within the own-change window:" + missed);
        }
        CheckOutsideShown(changes, live);
        if (failed_) return;
        // Only the controls of the changed values follow, and only while live (a device's row
        // follows its state at any time).
        const std::wstring moved = Differences(held, Held(Ed()), live || device ? controls : always);
        if (!moved.empty()) Fail(L"an outside change of " + names + L" moved other controls:" + moved);
        NoteLate(changes, posts.has_value());
        // A device that comes and goes changes no choice of the profile.
        if (live) NoteFollowed(changes);
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
        // Reset loads the profile's values again; the shortcut and the icon stay as chosen.
        std::set<std::wstring> kept;
        for (const wchar_t* n : {L"Shortcut", L"CustomIcon"})
            if (chosen_.count(n)) kept.insert(n);
        chosen_ = kept;
        followed_.clear();
        movedSinceLive_.clear();
        // Reset loads the profile's key as it stands now: another instance may have rewritten it;
        // a key it deleted loads as a new profile's. The shortcut and the icon are the opening's.
        if (profile_.empty() || !RegKeyExists(Profile(profile_))) {
            stored_ = Saved(Ed());
        } else {
            State now = Values(profile_);
            for (const wchar_t* n : {L"Shortcut", L"CustomIcon"}) {
                now.erase(n);
                if (const auto v = stored_.find(n); v != stored_.end()) now[n] = v->second;
            }
            stored_ = now;
        }
    }

    // Live mode's restore point put back and gone; the profile opens again as stored, the user's
    // changes gone with the window (a profile another instance deleted opens as a new one).
    void AfterSuspension(bool wasLive) override {
        if (wasLive) CheckRestored();
        for (const std::wstring& k : RegEnumKeys(gRegProfiles))
            if (k.find(L"~Live") != std::wstring::npos) return Fail(L"the suspension left the restore point " + k);
        cardAtLive_.clear();
        if (failed_) return;
        Note(L"opened again");
        if (!profile_.empty() && !RegKeyExists(Profile(profile_))) profile_.clear();
        chosen_.clear();
        followed_.clear();
        movedSinceLive_.clear();
        if (profile_.empty()) cardAtLive_ = Card();
        OpenEditor(profile_);
        stored_ = profile_.empty() ? Saved(Ed()) : Values(profile_);
        CollectTargets();
    }

    // ---- The real Save ----

    // The Save button into the profile's own key, its questions answered: the same name, a new
    // name (a copy, or the profile renamed), another profile's name (overwritten, or the name
    // change ignored), a new profile's name (free or overwriting). What Save writes is what the
    // editor would write; then the profile, applied as the tray menu applies it, is on the card
    // as the editor shows it, and the profile opens again showing what was saved. The walk goes
    // on in the reopened editor.
    void SaveStep() {
        frmProfile& e = Ed();
        const bool live = Live();
        ShowLateValues();
        const State expected = Saved(e);
        std::wstring typed = profile_.empty() ? L"Walk" : profile_, target = typed, gone, kept;
        std::vector<int> buttons;
        // Another profile the save may overwrite or must leave alone.
        auto other = [&](const std::wstring& name) {
            RegDeleteTree(gRegProfiles, name);
            for (const auto& [n, v] : RandomProfile()) Store(name, n, v.c_str());
        };
        // A name no profile has, and another profile's.
        std::wstring free = L"Walk", another = L"Other";
        for (int i = 2; RegKeyExists(Profile(free)) || free == profile_; ++i) free = L"Walk" + std::to_wstring(i);
        if (SameName(another, profile_)) another = L"Other2";
        if (profile_.empty()) {
            if (Chance(30)) {
                other(L"Walk");
                buttons = {IDYES};
                Note(L"Save as a new profile over another of its name");
            } else {
                Note(L"Save as a new profile");
            }
        } else {
            // The name typed (0 its own, 1 a free one, 2 another profile's), the answer to the
            // copy-or-rename or overwrite question, whether Save writes under the typed name and
            // whether the profile's old key goes.
            // 3: only the letter case of the name changed, which the registry takes for the same
            // name: the profile exists under the new name.
            struct Way { const wchar_t* note; int name, button; bool intoTyped, oldGone; };
            static constexpr Way kWays[] = {
                {L"Save", 0, 0, true, false},
                {L"Save under a new name, a copy", 1, IDYES, true, false},
                {L"Save under a new name, renamed", 1, IDNO, true, true},
                {L"Save onto another profile", 2, IDYES, true, true},
                {L"Save onto another profile, the name change ignored", 2, IDNO, false, false},
                {L"Save, the name's letter case changed", 3, IDYES, true, true},
                {L"Save, the name's letter case changed, the change ignored", 3, IDNO, false, false}};
            const Way& way = kWays[Pick(7)];
            Note(way.note);
            if (way.name == 2) other(another);
            std::wstring recased = profile_;
            recased[0] = static_cast<wchar_t>(std::iswupper(recased[0]) ? std::towlower(recased[0]) : std::towupper(recased[0]));
            typed = way.name == 0 ? profile_ : way.name == 1 ? free : way.name == 2 ? another : recased;
            target = way.intoTyped ? typed : profile_;
            if (way.button) buttons = {way.button};
            if (way.oldGone) gone = profile_;
            else if (way.name == 1 || way.name == 2) kept = target == typed ? profile_ : typed;
            // Another instance deleted the edited profile: its name in another letter case is a
            // free one, Yes a new profile, No the rename.
            if (way.name == 3 && !RegKeyExists(Profile(profile_))) {
                target = typed;
                gone = way.button == IDNO ? profile_ : L"";
            }
        }
        const State keptValues = kept.empty() ? State{} : Values(kept);
        const std::map<std::wstring, State> profilesBefore = Profiles();
        const std::wstring activeBefore = GetActiveProfile();
        kaltest::DialogAnswerer answers;
        answers.buttons = buttons;
        answers.button = IDYES;
        GiveName(typed);
        if (failed_) return;
        answers.Run([&] { Press(*e.cmdSave); });
        if (answers.seen.empty() || answers.seen.back().text != L"Profile successfully saved.") {
            std::wstring texts;
            for (const auto& seen : answers.seen) texts += L"\n  \"" + seen.text + L"\"";
            return Fail(L"Save did not save; it asked:" + texts);
        }
        if (ProfileEditor()) return Fail(L"the editor stayed open after Save");
        const std::wstring wrong = Differences(expected, Values(target), {});
        if (!wrong.empty()) return Fail(L"Save wrote into " + target + L" other values than the editor's:" + wrong);
        // The keys by their names as the registry spells them: a name whose case changed is the
        // key's new name.
        const std::vector<std::wstring> keys = RegEnumKeys(gRegProfiles);
        auto named = [&](const std::wstring& k) { return std::find(keys.begin(), keys.end(), k) != keys.end(); };
        if (!named(target)) return Fail(L"Save left no key named " + target);
        if (!gone.empty() && gone != target && named(gone)) return Fail(L"Save left " + gone);
        // The saved profile's shortcut key may be taken from the kept profile, and from any other.
        if (const std::wstring changed = Differences(keptValues, Values(kept), {L"Shortcut"});
            !kept.empty() && !changed.empty())
            return Fail(L"Save changed " + kept + L":" + changed);
        for (const auto& [name, values] : profilesBefore) {
            if (SameName(name, target) || SameName(name, gone) || SameName(name, kept) || IsLiveProfileName(name)) continue;
            if (const std::wstring changed = Differences(values, Values(name), {L"Shortcut"}); !changed.empty() || !named(name))
                return Fail(L"Save changed " + name + L", which it was not about:" + changed);
        }
        // The active profile follows its new name.
        if (const std::wstring active = GetActiveProfile();
            active != (!gone.empty() && SameName(activeBefore, gone) ? target : activeBefore))
            return Fail(L"after Save the active profile is " + active + L", was " + activeBefore);
        // Closed, the editor gives the tray back: the profiles' keys, the pop-up and the menu.
        CheckTray();
        CheckTrayAnswers();
        // Live mode ended with the editor.
        if (live) CheckRestored();
        cardAtLive_.clear();
        if (failed_) return;

        // Applied as the tray menu applies it.
        const std::vector<std::wstring>& menu = form_->ProfileNames();
        const auto item = std::find(menu.begin(), menu.end(), target);
        if (item == menu.end()) return Fail(L"the tray menu lacks " + target);
        Note(L"applied from the tray menu");
        ::SendMessageW(form_->hWnd(), WM_COMMAND, MAKEWPARAM(kMenuProfileBase + (item - menu.begin()), 0), 0);
        LetTheRefreshRun();
        const std::map<std::wstring, Bytes> applied = Card();

        // Opened again, the editor shows what was saved: Save writes it anew.
        Note(L"opened again");
        profile_ = target;
        stored_ = Values(target);
        chosen_.clear();
        followed_.clear();
        movedSinceLive_.clear();
        OpenEditor(profile_);
        CollectTargets();
        CheckSave();
        if (failed_) return;
        // The card holds each value the profile sets as the editor shows it.
        for (const auto& [n, v] : applied) {
            if (!stored_.count(n) || !Applied(n)) continue;
            const std::wstring card = BytesToHex(v);
            if (!ShowsAsOnCard(n, stored_, card, false))
                return Fail(L"applied, the card holds " + n + L" " + card + L", the profile " + stored_.at(n));
        }
    }

    static bool SameName(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

    // Every stored profile with its values.
    static std::map<std::wstring, State> Profiles() {
        std::map<std::wstring, State> profiles;
        for (const std::wstring& name : RegEnumKeys(gRegProfiles)) profiles[name] = Values(name);
        return profiles;
    }

    // Save refused: no name, a number, a restore point's name, or the registry refusing to store
    // the profile under its own name (the shortcut's other holder asked and agreeing). The
    // editor stays open showing what it showed, the name as typed, live mode and the card as they
    // were; no profile and no setting naming one changes. A later Save writes what it shows.
    void SaveRefusedStep() {
        frmProfile& e = Ed();
        struct Refusal { const wchar_t* note; const wchar_t* name; const wchar_t* text; };
        static constexpr Refusal kRefusals[] = {
            {L"no name", L"", L"Please provide a profile name."},
            {L"a number", L"12", L"Please provide an alphanumeric profile name."},
            {L"a restore point's name", L"4529679~Live",
             L"Names containing \"~Live\" are kept for the program's own use. Please provide another profile name."},
            {L"the registry refusing", nullptr, L"The profile could not be saved: the registry refused to store it."}};
        const Refusal& r = kRefusals[Pick(4)];
        const std::wstring typed = r.name ? r.name : profile_.empty() ? L"Walk" : profile_;
        Note(L"Save refused: " + std::wstring(r.note));
        // What came from outside before shows first: the refresh after the refusal brings nothing.
        LetTheRefreshRun();
        ShowLateValues();
        const State held = Held(e);
        const auto card = Card();
        const auto profiles = Profiles();
        const std::wstring active = GetActiveProfile(), startup = GetDefaultProfile(), live = e.LiveProfileName();
        kaltest::DialogAnswerer answers;
        answers.button = IDYES;
        e.txtProfileName->SetText(typed);
        {
            std::optional<kaltest::RefusedCalls> refused;
            if (!r.name)
                refused.emplace([](RegCall call, const std::wstring& path, const std::wstring&) {
                    return (call == RegCall::Write || call == RegCall::Rename) &&
                           ::_wcsnicmp(path.c_str(), gRegProfiles.c_str(), gRegProfiles.size()) == 0;
                });
            answers.Run([&] { User::Click(e.Ctl(L"cmdSave")); });
        }
        if (answers.seen.empty() || answers.seen.back().text.rfind(r.text, 0) != 0 ||
            answers.seen.back().text.find(L"Not everything") != std::wstring::npos)
            return Fail(L"Save refused otherwise: \"" + (answers.seen.empty() ? L"" : answers.seen.back().text) + L"\"");
        if (ProfileEditor() != &e) return Fail(L"the editor closed after a refused Save");
        LetTheRefreshRun();
        if (e.txtProfileName->Text() != typed) return Fail(L"a refused Save changed the name to " + e.txtProfileName->Text());
        if (const std::wstring moved = Differences(held, Held(e), {}); !moved.empty())
            return Fail(L"a refused Save changed the editor:" + moved);
        if (e.LiveProfileName() != live) return Fail(L"a refused Save changed live mode");
        for (const auto& [n, was] : card)
            if (GetProfileValue(L"", n) != was)
                return Fail(L"a refused Save changed the card's " + n + L" to " + BytesToHex(GetProfileValue(L"", n)));
        if (Profiles() != profiles) return Fail(L"a refused Save changed the stored profiles");
        if (GetActiveProfile() != active || GetDefaultProfile() != startup)
            return Fail(L"a refused Save changed the active or start-up profile");
    }

    // Whether applying the profile sets value `n` as the editor shows it. The program's own
    // switches the editor doesn't show go to the card as stored; a headphone gain goes with the
    // profile's headphones, when the card's list has it.
    bool Applied(const std::wstring& n) {
        if (n == L"ListenerMode" || n == L"MuteSubwoofer" || n == L"HeadphoneMuteRear") return false;
        // Windows' channels at "Don't Change".
        if (n == L"SystemSpeakers" && FirstByte(HexToBytes(stored_.at(n))) == 0) return false;
        // Windows' rate and bit depth as the lists show them: Windows takes no other format.
        if (n == kMixerSampleRate)
            return Ed().chkSyncSampleRates->Value() == 0 &&
                   SelectedItemData(*Ed().cboSystemSampleRate, -1) ==
                       static_cast<std::intptr_t>(BytesToUInt32(HexToBytes(stored_.at(n))));
        if (n == kMixerBitDepth) return SelectedItemData(*Ed().cboBitDepth, -1) == FirstByte(HexToBytes(stored_.at(n)));
        // Echo cancellation on a card without it, whose page the editor hides; likewise NEO:PC
        // on a card without DTS.
        if (n == L"AEC" && (!gCardCaps || !gCardCaps->AEC)) return false;
        if (n == L"NeoParam" && (!gCardCaps || !gCardCaps->DTS)) return false;
        // ProLogic IIx and NEO:PC both on, which the card can't hold at once: the one applied last
        // is on.
        auto on = [&](const wchar_t* effect) {
            const auto v = stored_.find(effect);
            return v != stored_.end() && FirstByte(HexToBytes(v->second)) != 0;
        };
        if ((n == L"Pl2xParam" || n == L"NeoParam") && on(L"Pl2xParam") && on(L"NeoParam")) return false;
        if (n != L"HpImpedanceModeRear" && n != L"HpImpedanceModeFront") return true;
        const auto panel = stored_.find(L"PanelConfig"), speakers = stored_.find(L"SpeakerConfig");
        if (!gCardCaps || !gCardCaps->HPAmp || panel == stored_.end() || speakers == stored_.end() ||
            FirstByte(HexToBytes(speakers->second)) != 1 || HpImpedanceValueName(HexToBytes(panel->second)) != n)
            return false;
        return FirstByte(HexToBytes(stored_.at(n))) < gCardCaps->AmpGainModes;
    }

    // ---- One walk ----

    void WalkSeed(unsigned seed) {
        rng_.seed(seed);
        log_.str(L"");
        Echo(L"seed " + std::to_wstring(seed));
        failed_ = false;
        chosen_.clear();
        followed_.clear();
        movedSinceLive_.clear();
        cardAtLive_.clear();
        late_.clear();
        // A share of the seeds leave the program's timers to their own clock.
        ownClock_ = seed % 16 == 5;
        const std::wstring model = PickModel();
        const bool stored = Chance(70);
        const std::wstring madeOn = stored && Chance(30) ? PickModel() : model;
        log_ << L"seed " << seed << L", card " << model << (ownClock_ ? L", the program's own clock" : L"");
        State values;
        if (stored) {
            UseEditorCard(madeOn.c_str());
            values = RandomProfile();
            log_ << L", stored profile made on " << madeOn;
        }
        // A card that refuses a speaker configuration on trial: the trials stop there.
        std::optional<std::vector<std::uint8_t>> trials;
        if (Chance(15)) {
            trials = std::vector<std::uint8_t>{1, 3, 4, 6, 7};
            const auto refused = trials->begin() + 2 + Pick(3);
            log_ << L", speaker configuration " << int{*refused} << L" refused";
            trials->erase(refused);
        }
        UseEditorCard(model.c_str(), trials);
        // The card's output: its own, headphones, 5.1 or 7.1 speakers, each offering other dialogs.
        if (Chance(60)) {
            static const std::uint8_t outputs[] = {1, 6, 7};
            const std::uint8_t output = outputs[Pick(3)];
            sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(output));
            log_ << L", output " << int{output};
        }
        // No profile or restore point of an earlier seed reaches the start.
        for (const std::wstring& name : RegEnumKeys(gRegProfiles)) RegDeleteTree(gRegProfiles, name);
        Load(L"");
        ReadCardNames();
        profile_ = stored ? L"Walk" : L"";
        for (const auto& [n, v] : values) Store(L"Walk", n, v.c_str());
        // Another profile with a shortcut key, which the editor may take from it.
        if (Chance(50)) {
            Store(L"Keyed", L"Shortcut", Chance(50) ? L"7A03" : L"4106");
            Store(L"Keyed", L"EqEnable", L"01");
        }
        // The tray as the program has it with these profiles: their keys are its own.
        form_->UpdateMenus();
        CheckTray();
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
        CheckEnabled();
        CheckTray();
        const int steps = 30 + Pick(20);
        for (int step = 0; step < steps && !failed_ && ProfileEditor(); ++step) {
            const int kind = Pick(100);
            // In a window that scrolls the wheel has more to get wrong.
            if (kind < 40 - WheelShare()) {
                const Target& t = targets_[static_cast<std::size_t>(Pick(static_cast<int>(targets_.size())))];
                if (!Act(t, Chance(40))) continue;
            } else if (kind < 46 - WheelShare()) {
                if (!KeyStep()) continue;
            } else if (kind < 46) {
                if (!WheelStep()) continue;
            } else if (kind < 50) {
                if (Chance(30)) SaveRefusedStep();
                else SaveStep();
            } else if (kind < 58) {
                DialogStep();
            } else if (kind < 71) {
                OutsideStep();
            } else if (kind < 73) {
                Note(L"the tray clicked");
                CheckTray();
            } else if (kind < 76) {
                // A user's step that sends, then at once a change from outside.
                const Target& t = targets_[static_cast<std::size_t>(Pick(static_cast<int>(targets_.size())))];
                if (!Live() || !Act(t, Chance(40))) continue;
                OutsideStep(true);
            } else if (kind < 80) {
                if (Live()) MeetingStep();
            } else if (kind < 90) {
                LiveStep();
            } else {
                ResetStep();
            }
            if (failed_ || Failures() != failuresAtStart) break;
            CheckSave();
            CheckLiveCard();
            if (ProfileEditor()) CheckEnabled();
        }
        if (!failed_ && ProfileEditor()) {
            const bool live = Live();
            UserCloses();
            if (live) CheckRestored();
            if (!failed_) CheckTray();
            if (!failed_) CheckTrayAnswers();
        }
        CloseEditor();
    }
};

std::vector<unsigned> Seeds() { return WalkSeeds("KALVENOR_WALK", 40); }

// Paths the walk reaches too rarely to keep in CI, each bringing back what the user or the
// profile made: what Save writes (and in live mode the card) afterwards.
TEST_F(EditorWalk, RarePathsBringBackWhatTheUserMade) {
    struct Case {
        const char* what;
        const wchar_t* card;
        State stored;
        std::function<void(frmProfile&)> act;
        // The values Save then writes as stored; in live mode also the card's.
        std::vector<std::wstring> kept;
        bool live = false;
        // The values the card's lines add to the stored profile.
        std::function<State()> lines = [] { return State{}; };
    };
    // A recording line with custom controls on the card.
    auto customLine = [] {
        for (int j = 0; j < 8; ++j)
            if (!gInputLineIds[static_cast<std::size_t>(j)].empty() &&
                gAudio->CustomControls.Contains(gInputLineIds[static_cast<std::size_t>(j)]))
                return j;
        return -1;
    };
    const std::vector<Case> cases = {
        {"the S/PDIF box off and on brings back DTS",
         kD2,
         {{L"SpDigitalOut", L"20000000"}},
         [](frmProfile& e) {
             ASSERT_TRUE(User::Click(*e.chkSPDIF));
             ASSERT_TRUE(User::Click(*e.chkSPDIF));
         },
         {L"SpDigitalOut"}},
        {"the S/PDIF box off, its loaded format one the list lacks, brings back the analog output's rows",
         kDG,
         {{L"SpDigitalOut", L"10000000"}, {L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"04000000"}},
         [](frmProfile& e) {
             ASSERT_EQ(e.cboSPDIFOutput->ListIndex(), -1);
             ASSERT_TRUE(e.chkPlaybackSet[2]->Enabled());
             ASSERT_TRUE(User::Click(*e.chkSPDIF));
             for (int i = 2; i < 8; ++i) EXPECT_FALSE(e.chkPlaybackSet[i]->Enabled()) << i;
             EXPECT_TRUE(e.cboAnalogOutput->Enabled());
             EXPECT_EQ(e.fraEnhancements->Caption(), L"Analog Out &Enhancements");
         },
         {}},
        {"the rate sync on and off brings back Windows' rate",
         kD2,
         {{L"OutputFormat", BytesToHex(EncodeNumber(48000))}, {kMixerSampleRate, BytesToHex(EncodeNumber(96000))}},
         [](frmProfile& e) {
             ASSERT_TRUE(User::Click(*e.chkSyncSampleRates));
             ASSERT_TRUE(User::Click(*e.chkSyncSampleRates));
         },
         {kMixerSampleRate}},
        {"\"Don't Set\" on a custom control of a row set after the load",
         kD2,
         {},
         [&](frmProfile& e) {
             const int j = customLine();
             ASSERT_GE(j, 0);
             e.imgTab_Click(1);
             ASSERT_TRUE(User::Click(*e.chkRecordSet[j]));
             ASSERT_TRUE(User::Click(*e.cmdRecordExtraOptions[j]));
             frmInputLineCustomControls* d = InputLineCustomControlsDialog();
             ASSERT_NE(d, nullptr);
             ASSERT_FALSE(d->fraCustomControl.empty());
             const int k = std::stoi(d->fraCustomControl[0]->Tag());
             ASSERT_TRUE(User::ChooseOption(d->Get<OptionButton>(frmInputLineCustomControls::OptionGroup(0), 255)));
             User::Click(d->Ctl(L"cmdClose"));
             // Out of the profile at the load, the control's stored value is not the user's.
             const std::wstring control = MixerValueName(1, j, 0, k);
             ASSERT_EQ(Saved(e).count(control), 0u) << Narrow(control);
         },
         {},
         false,
         // The line out of the profile, its first control stored.
         [&] {
             const int j = customLine();
             return j < 0 ? State{} : State{{MixerValueName(1, j, 0, 1), L"01"}};
         }},
        {"echo cancellation turned off from outside in live mode sends the pages it unlocked",
         kD2,
         {{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"07000000"}, {L"EqEnable", L"01"}},
         [this](frmProfile& e) {
             e.imgTab_Click(3);
             ASSERT_TRUE(User::ChooseOption(*e.optAEC[1]));
             LetTheRefreshRun();
             ASSERT_NE(GetProfileValue(L"", L"SpeakerConfig"), HexToBytes(L"07000000"));
             gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
             const unsigned posts = registryPosts_;
             sim::SetSimLiveValue(L"AEC", EncodeAEC(false));
             LetTheRefreshRun(posts);
             ASSERT_TRUE(OptionSelected(e.optAEC, 0));
         },
         {L"SpeakerConfig", L"EqEnable"},
         true},
        {"echo cancellation turned off from outside in live mode leaves the rows its output hid as the profile sets them",
         kD2,
         {{L"PanelConfig", L"00000000"}, {L"SpeakerConfig", L"07000000"}, {std::wstring(gChannelVolumeValues[5]), L"00000800"}},
         [this](frmProfile& e) {
             e.imgTab_Click(3);
             ASSERT_TRUE(User::ChooseOption(*e.optAEC[1]));
             const unsigned posts = registryPosts_;
             sim::SetSimLiveValue(L"AEC", EncodeAEC(false));
             LetTheRefreshRun(posts);
             ASSERT_TRUE(OptionSelected(e.optAEC, 0));
         },
         {std::wstring(gChannelVolumeValues[5])},
         true},
        {"stored headphone gains the card's list lacks, after the gain dialog, the output on the other panel",
         kSTX,
         {{L"PanelConfig", L"00000000"},
          {L"SpeakerConfig", L"01000000"},
          {L"HpImpedanceModeRear", L"FE000000"},
          {L"HpImpedanceModeFront", L"04000000"}},
         [](frmProfile& e) {
             ASSERT_TRUE(User::Click(*e.cmdHpAmp));
             ASSERT_NE(HpImpedanceDialog(), nullptr);
             User::Click(HpImpedanceDialog()->Ctl(L"cmdClose"));
             ASSERT_TRUE(User::ChooseItem(*e.cboAnalogOutput, IndexOf(*e.cboAnalogOutput, 0x0101)));
         },
         {L"HpImpedanceModeRear", L"HpImpedanceModeFront"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseEditorCard(c.card);
        Load(L"");
        for (const std::wstring& name : RegEnumKeys(gRegProfiles)) RegDeleteTree(gRegProfiles, name);
        for (const auto& [n, v] : c.stored) Store(L"Rare", n, v.c_str());
        for (const auto& [n, v] : c.lines()) Store(L"Rare", n, v.c_str());
        frmProfile& e = OpenEditor(L"Rare");
        if (c.live) ClickLive(e);
        c.act(e);
        if (!ProfileEditor()) continue;
        const State saved = Saved(e);
        for (const std::wstring& n : c.kept) {
            EXPECT_EQ(saved.count(n) ? saved.at(n) : L"-", c.stored.at(n)) << Narrow(n);
            if (c.live) {
                EXPECT_EQ(BytesToHex(GetProfileValue(L"", n)), c.stored.at(n)) << Narrow(n) << " on the card";
            }
        }
        CloseEditor();
    }
}

// At 144 dots per inch (in a child process) the editor is taller than the screen and scrolls:
// the walks' wheel turns the window unless the control under the pointer has the focus.
TEST_F(EditorWalk, RandomWalksKeepTheEditorsContract) {
    const bool scaled = InDpiChild();
    const std::vector<unsigned> seeds = scaled ? WalkSeeds("KALVENOR_SCALED_WALK", 8) : Seeds();
    for (unsigned seed : seeds) {
        WalkSeed(seed);
        if (::testing::Test::HasFatalFailure()) return;
    }
    if (scaled) {
        EXPECT_TRUE(seeds.empty() || scrolled_ > 0) << "no walk's window scrolled";
        MarkDpiChildDone();
    }
}

TEST(EditorWalkScaled, RandomWalksAt144DpiInAWindowThatScrolls) {
    EXPECT_TRUE(RunTestsAtDpi(L"EditorWalk.RandomWalksKeepTheEditorsContract", 144, kScaledWalk));
}

}  // namespace
