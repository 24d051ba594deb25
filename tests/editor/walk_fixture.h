// The model of the editor's random walks: the user's steps on the editor's controls and dialogs,
// the program's refresh as it runs in use, and the checks after every step (what Save writes,
// what the card holds in live mode, which controls are enabled, what Live Mode off puts back).
#pragma once
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "device/linevalues.h"
#include "editor/customcontrolsdialog.h"
#include "tests/editor/follow_fixture.h"
#include "tests/editor/profile_codes.h"

namespace kal::testing {

// The values one choice sets together: a line's two volume channels; any other value alone.
inline std::wstring GroupOf(const std::wstring& name) {
    if (name.size() == 11 && name.rfind(L"_mixer", 0) == 0 && name[10] == L'0') return name.substr(0, 9) + L"00";
    return name;
}

// The program's own values of a profile, which the card doesn't hold.
inline bool ProfileOnly(const std::wstring& name) {
    return name == L"Shortcut" || name == L"CustomIcon" || name == L"VolIgnoreForValidation" ||
           name == L"NoVolChangeOnSameOut";
}

inline std::wstring LineGroup(int line) { return MixerValueName(1, line, 0, 0); }

// A control the user acts on and the value groups it chooses.
struct Target {
    Control* control;
    std::vector<std::wstring> groups;
    int tab = 0;  // -1: a control of an open dialog
};

class WalkModel : public FollowCardFixture {
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

    // The registry watcher's posts this thread has taken from its queue.
    static inline unsigned registryPosts_ = 0;
    HHOOK postCounter_ = nullptr;

    static LRESULT CALLBACK CountPosts(int code, WPARAM removed, LPARAM message) {
        if (code == HC_ACTION && removed == PM_REMOVE && reinterpret_cast<MSG*>(message)->message == kMsgRegistryChanged)
            ++registryPosts_;
        return ::CallNextHookEx(nullptr, code, removed, message);
    }

    void SetUp() override {
        FollowCardFixture::SetUp();
        postCounter_ = ::SetWindowsHookExW(WH_GETMESSAGE, &CountPosts, nullptr, ::GetCurrentThreadId());
    }
    void TearDown() override {
        if (postCounter_) ::UnhookWindowsHookEx(postCounter_);
        FollowCardFixture::TearDown();
    }

    // The program's refresh as it runs in use: Core Audio's notifications are handled, the
    // watcher of the driver's settings posts its change (awaited when `since` counts the posts
    // before a change of the driver's), the second after the program's own sends passes, and the
    // refresh timer due then fires; it runs the refresh only when a post armed it.
    void LetTheRefreshRun(std::optional<unsigned> since = std::nullopt) {
        sim::WaitForSimNotifications();
        if (since && !PumpUntil([&] { return registryPosts_ != *since; }, 3000))
            return Fail(L"no notification came of the driver's change");
        Pump(20);
        gLastSelfChange.store(::timeGetTime() - 5000);
        FireDeferredTimers();
        Pump(20);
    }

    int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }
    std::function<int(int)> PickFn() { return [this](int n) { return Pick(n); }; }
    std::function<void(const std::wstring&)> NoteFn() { return [this](const std::wstring& s) { Note(s); }; }
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
        if (!UserChanges(*t.control, PickFn(), undo, NoteFn())) return false;
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
        int kind = 0;
        Control* opener = PickDialogOpener(e, PickFn(), NoteFn(), kind);
        if (!opener) return;
        const int line = opener->Index();
        const State held = Held(e);
        const std::map<std::wstring, Bytes> card = Card();
        auto open = [kind] { return OpenDialog(kind); };
        if (!User::Click(*opener) || !open()) return Fail(L"the dialog did not open");
        const std::vector<Target> targets = DialogTargets(kind, line);
        std::set<std::wstring> acted;
        for (int n = 1 + Pick(2); n > 0 && !targets.empty(); --n) {
            const Target& t = targets[static_cast<std::size_t>(Pick(static_cast<int>(targets.size())))];
            if (Act(t, Chance(40))) acted.insert(t.groups.begin(), t.groups.end());
        }
        if (!UserClosesDialog(kind, PickFn(), NoteFn()))
            return Fail(L"the dialog stayed open");
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
    // Under echo cancellation the card's output, its format and effects, Windows' format and the
    // equalizer page hold what echo cancellation sets, not what Save writes.
    static bool SetByEchoCancellation(const std::wstring& n) {
        static const std::set<std::wstring> locked{
            L"SystemSpeakers", kMixerBitDepth,  kMixerSampleRate, L"OutputFormat",        L"Dual2D",
            L"PanelConfig",    L"SpeakerConfig", L"HeadphoneLRXchg", L"CenterBassXchg",     L"SideRearXchg",
            L"HpImpedanceModeRear", L"HpImpedanceModeFront", L"SpDigitalOut", L"DVSEnable", L"DVSMode",
            L"DHEnable",       L"DHRoom",        L"EnableXear3D",     L"VSpeakerPos",        L"Pl2xParam",
            L"NeoParam",       L"EqEnable",      L"EqGain",           L"BassManagement",     L"BassCornerFrequency",
            L"SpeakerSize",    L"AEC"};
        return locked.count(n) != 0;
    }

    // The card's master volume as the editor's slider shows it.
    static bool ShowsMasterVolume(frmProfile& e) {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, L"");
        return e.csliVolume->Value() == static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(volume)));
    }

    void CheckLiveCard() {
        if (!Live()) return;
        frmProfile& e = Ed();
        const bool aec = OptionSelected(e.optAEC, 1);
        const State saved = Saved(e);
        for (const std::wstring& n : cardNames_) {
            const std::wstring g = GroupOf(n);
            if (!chosen_.count(g) || movedSinceLive_.count(g) || (aec && SetByEchoCancellation(n))) continue;
            const std::wstring card = BytesToHex(GetProfileValue(L"", n));
            if (!ShowsAsOnCard(n, saved, card, true))
                return Fail(L"live: the card holds " + n + L" " + card + L", Save writes " + saved.at(n));
        }
        // The master volume "Set to:" a level the user chose: the card's, as the slider shows it;
        // unless the profile leaves the volume of the same output as it is.
        const std::wstring master = MixerValueName(0, 0, 0, 0);
        if (chosen_.count(master) && !movedSinceLive_.count(master) && OptionSelected(e.optVolume, 1) &&
            e.chkVolumeChangeOnlyOnDifferentOutput->Value() != 1 && !ShowsMasterVolume(e))
            return Fail(L"live: the card's master volume is not the slider's " + std::to_wstring(e.csliVolume->Value()));
    }

    // Whether the card's `card` holds value `n` as the editor shows it and Save writes it in
    // `saved`; true also for what the editor doesn't show. With `live`, the stored bytes
    // chosen back count as shown (live mode sent the controls' value).
    bool ShowsAsOnCard(const std::wstring& n, const State& saved, const std::wstring& card, bool live) {
        {
            const std::wstring g = GroupOf(n);
            // The master volume has rules of its own ("Use last"); Windows' rate kept in step with
            // the card's is kept aside, not shown.
            if (g == MixerValueName(0, 0, 0, 0) || (n == kMixerSampleRate && Ed().chkSyncSampleRates->Value() == 1))
                return true;
            const auto w = saved.find(n);
            if (w == saved.end()) return true;
            // Chosen back as stored, Save writes the stored bytes, which the controls may not
            // show exactly (a level between the slider's steps, a band past its end).
            if (const auto s = stored_.find(n); live && s != stored_.end() && s->second == w->second && profile_.size())
                return true;
            // A line of a device out of service can't be set; nor a recording source on one.
            // A row out of the profile shows none of its line's values, a mono line no right
            // channel, and a line no custom control past its count.
            if (const auto ref = IsMixerValueName(n) ? ParseMixerValueName(n) : std::nullopt; ref && ref->flow == 1) {
                const int j = ref->line;
                if (!LineActive(j) || Ed().chkRecordSet[j]->Value() != 1) return true;
                if (ref->control == 0 && ref->channel == 1 && Ed().csliInputLineBalance[j]->Tag() != L"2") return true;
                const std::wstring& id = gInputLineIds[static_cast<std::size_t>(j)];
                const int controls =
                    gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size()) : 0;
                if (ref->control > controls) return true;
            }
            if (n == kMixerInputLineSel && !LineActive(FirstByte(HexToBytes(w->second)))) return true;
            // A Dolby mode counts while its effect is on; the sizes by the four the boxes show.
            auto off = [&](const wchar_t* flag) {
                const auto f = saved.find(flag);
                return f == saved.end() || FirstByte(HexToBytes(f->second)) == 0;
            };
            if ((n == L"DHRoom" && off(L"DHEnable")) || (n == L"DVSMode" && off(L"DVSEnable"))) return true;
            // Likewise a playback row the output hides.
            if (const auto* row = std::find(std::begin(gChannelVolumeValues), std::end(gChannelVolumeValues), n);
                row != std::end(gChannelVolumeValues) &&
                !Ed().chkPlaybackSet[static_cast<std::size_t>(row - std::begin(gChannelVolumeValues))]->Enabled())
                return true;
            // An effect the output doesn't offer is kept, not shown.
            const auto& effectBox = EffectBoxes();
            if (const auto box = effectBox.find(n); box != effectBox.end() && !Ed().Ctl(box->second).Enabled())
                return true;
            const Bytes held = HexToBytes(card);
            // Likewise the parameters of ProLogic IIx and NEO:PC while both say off.
            if ((n == L"Pl2xParam" || n == L"NeoParam") && FirstByte(held) == 0 &&
                FirstByte(HexToBytes(w->second)) == 0)
                return true;
            // The crossover while FlexBass is off is kept aside.
            if (n == L"BassCornerFrequency" && !Ed().csliCrossover->Enabled()) return true;
            // The speakers' positions of the layout; the rest of each speaker's record is the
            // driver's own.
            if (n == L"VSpeakerPos" && held.size() == HexToBytes(w->second).size()) {
                const Bytes save = HexToBytes(w->second);
                bool same = true;
                for (std::size_t i = 0; i < held.size(); ++i) same = same && (i % 16 >= 12 || held[i] == save[i]);
                return same;
            }
            if (n == L"SpeakerSize") {
                // The sizes by the boxes the output offers; a disabled box keeps its size aside.
                const auto card = DecodeSpeakerSizes(held), save = DecodeSpeakerSizes(HexToBytes(w->second));
                bool same = true;
                for (std::size_t i = 0; i < 4; ++i)
                    same = same && (!Ed().cboSpeakerSize[i]->Enabled() || card[i] == save[i]);
                if (same) return true;
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
                if (!used) return true;
            }
            // A channel's gain goes through the slider's percent: a step either way is the same.
            const Bytes written = HexToBytes(w->second);
            auto decibels = [](const Bytes& v) { return static_cast<std::int16_t>(v[2] | v[3] << 8); };
            if (std::find(std::begin(gChannelVolumeValues), std::end(gChannelVolumeValues), n) !=
                    std::end(gChannelVolumeValues) &&
                held.size() == 4 && written.size() == 4 && std::abs(decibels(held) - decibels(written)) <= 1)
                return true;
            return card == w->second;
        }
    }

    // Each control is enabled exactly when the user can use it: a Dolby mode list while its
    // effect's box is on, the S/PDIF format list while the S/PDIF box is on, a playback row
    // where the output has its channel, and its slider while the row is set.
    void CheckEnabled() {
        frmProfile& e = Ed();
        auto expect = [&](Control& c, bool usable) {
            if (!failed_ && c.Enabled() != usable)
                Fail(Key(c) + (usable ? L" is disabled, though the user can use it" : L" is enabled, though unusable"));
        };
        auto on = [](CheckBox& box) { return box.Enabled() && box.Value() == 1; };
        expect(*e.cboDolbyHeadphonesMode, on(*e.chkDolbyHeadphones));
        expect(*e.cboDolbyVirtualSpeakerMode, on(*e.chkDolbyVirtualSpeaker));
        expect(*e.cboSPDIFOutput, on(*e.chkSPDIF));
        // The rows belong to the profile's output: under echo cancellation's lock, or while the
        // card's list lacks it, the list doesn't show it.
        const std::wstring output = e.Output();
        if (output.size() != 4 || OptionSelected(e.optAEC, 1) ||
            SelectedItemData(*e.cboAnalogOutput, -1) != std::stoi(output, nullptr, 16))
            return;
        // A digital format the list lacks (another card's) is the editor's own to know.
        if (e.chkSPDIF->Value() == 1 && e.cboSPDIFOutput->ListIndex() < 0) return;
        const Bytes spdif{
            static_cast<std::uint8_t>(e.chkSPDIF->Value() == 1 ? SelectedItemData(*e.cboSPDIFOutput) : 0)};
        const int channels =
            SpeakerChannelCount(EncodeCode(static_cast<std::uint8_t>(std::stoi(output.substr(2), nullptr, 16))), &spdif)
                .value_or(0);
        for (int i = 0; i < 8; ++i) {
            const bool available = IsChannelAvailable(i, channels);
            expect(*e.chkPlaybackSet[i], available);
            expect(*e.csliOutputChannel[i], available && e.chkPlaybackSet[i]->Value() == 1);
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
};

}  // namespace kal::testing
