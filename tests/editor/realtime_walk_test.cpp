// Random walks of the real-time settings window on every supported model, opened with echo
// cancellation off or on: seeded sequences of the user's choices on every control (the effect
// panels opened first), by the mouse and by the keyboard, its three dialogs, every kind of
// change from outside that the editor's walk makes, through the real notifications and the
// program's refresh (for a share of the seeds on its own clock), and meetings of the user's
// change and another program's on the same value or part. After every step the walk
// checks, from outside the window:
// - the window shows what the card and Windows hold: every user change reached the card and
//   every outside change was followed, the boxes of the effects the output offers included;
// - another program's change that meets the user's is not lost;
// - echo cancellation's end (the user's Disable, off from outside) puts back, part by part, what
//   the user's Enable changed and the card still held as the Enable left it, and nothing else;
// - profiles applied by their keys (the program's while the window is open) and, the window
//   closed, from the tray menu, show on the card; the tray's clicks open nothing beside the
//   window; the volume pop-up's sliders set the card, and the window opened again by the
//   pop-up's link or a double click on the icon shows the card, the pop-up closed;
// - a dialog stays open until the user closes it; now and then, each control is enabled as the
//   window opened anew on the same card enables it.
// CI walks seeds 1 to 20; KALVENOR_REALTIME_WALK_SEED=N replays one seed,
// KALVENOR_REALTIME_WALK_SEEDS=N walks N seeds from KALVENOR_REALTIME_WALK_FROM (1);
// KALVENOR_WALK_TRACE=name logs one value, the window's and the card's, after each step.
#include "editor/portable/valueparts.h"
#include "sim/audio_format.h"
#include "tests/editor/walk_fixture.h"
#include "tray/mainform.h"

using namespace kal;
using namespace kal::testing;

namespace {

class RealTimeWalk : public WalkModel {
protected:
    // The card as the user's Enable found it and as the Enable left it; empty otherwise.
    std::map<std::wstring, Bytes> aecFound_, aecLeft_;
    int profilesByKey_ = 0;

    frmProfile& Rt() { return *ProfileEditor(); }

    // Echo cancellation ended: each value the end did not leave to `outside` is, part by part, as
    // the Enable found it where the Enable changed it and the card held it as the Enable left it
    // just before the end (`before`), and else as it stood then.
    void CheckAecEnd(const std::map<std::wstring, Bytes>& before, const std::set<std::wstring>& outside) {
        const auto found = std::exchange(aecFound_, {});
        const auto left = std::exchange(aecLeft_, {});
        for (const auto& [n, was] : found) {
            if (outside.count(n) != 0 || left.count(n) == 0 || before.count(n) == 0) continue;
            const Bytes expected = PutBackParts(n, was, left.at(n), before.at(n));
            if (GetProfileValue(L"", n) != expected)
                return Fail(L"echo cancellation's end left " + n + L" at " + BytesToHex(GetProfileValue(L"", n)) +
                            L", not " + BytesToHex(expected) + L" (found " + BytesToHex(was) + L", left " +
                            BytesToHex(left.at(n)) + L", before the end " + BytesToHex(before.at(n)) + L")");
        }
    }

    // The window opened anew after the speakers' suspension closed it: what the user changed
    // stays on the card; an Enable it didn't see has no way back.
    void AfterSuspension(bool) override {
        Note(L"opened again");
        aecFound_.clear();
        OpenRealTime();
        CollectTargets();
        SeeAec();
    }

    // ---- The checks ----

    // The window shows what the card holds; the master volume and balance by their sliders' whole
    // steps, the speaker field by its speakers' places.
    void CheckShown() {
        frmProfile& e = Rt();
        const State saved = Saved(e);
        const bool locked = OptionSelected(e.optAEC, 1);
        if (locked != AecOn()) return Fail(L"the window shows echo cancellation " + std::wstring(locked ? L"on" : L"off"));
        if (e.imgTab[0]->Enabled() == locked || e.imgTab[2]->Enabled() == locked)
            return Fail(L"the pages echo cancellation locks are " + std::wstring(locked ? L"open" : L"locked"));
        for (const std::wstring& n : cardNames_) {
            // The master volume and balance by the sliders, below.
            if (n == MixerValueName(0, 0, 0, 0) || n == MixerValueName(0, 0, 1, 0)) continue;
            // While echo cancellation holds, a save gives the locked pages as before it.
            if ((locked && LockedPage(n)) || lateValues_.count(GroupOf(n))) continue;
            // A recording line's level and balance by its sliders' steps: another program's
            // balance between them shows at the nearest.
            if (const auto ref = IsMixerValueName(n) ? ParseMixerValueName(n) : std::nullopt;
                ref && ref->flow == 1 && ref->control == 0) {
                if (const std::wstring shown = LineShownAsCard(ref->line); !shown.empty()) return Fail(shown);
                continue;
            }
            if (!ShowsAsCard(e, n, saved, GetProfileValue(L"", n)))
                return Fail(L"the card holds " + n + L" " + BytesToHex(GetProfileValue(L"", n)) + L", the window " +
                            saved.at(n));
        }
        // The boxes of the effects the output offers, locked or not, as the card has each effect
        // on or off (one the output doesn't offer shows the output's default).
        for (const auto& [value, box, panel] : EffectBoxesOf(e)) {
            const Bytes card = GetProfileValue(L"", value);
            const int b = static_cast<int>(std::wcstol(panel->Tag().c_str(), nullptr, 10));
            if (!card.empty() && (b == 3 || b == 4) && box->Value() != (FirstByte(card) != 0 ? 1 : 0))
                return Fail(L"the window shows " + Key(*box) + L" " + std::to_wstring(box->Value()) +
                            L", the card holds " + value + L" " + BytesToHex(card));
        }
        // The output and the two pages, locked or not.
        const std::wstring output = HexPad(FirstByte(GetProfileValue(L"", L"PanelConfig")), 2) +
                                    HexPad(FirstByte(GetProfileValue(L"", L"SpeakerConfig")), 2);
        if (e.Output() != output)
            return Fail(L"the card's output is " + output + L", the window's " + e.Output());
        if (!OptionSelected(e.optEQ, FirstByte(GetProfileValue(L"", L"EqEnable"))))
            return Fail(L"the window shows another equalizer state");
        if (!OptionSelected(e.optFlexBass, FirstByte(GetProfileValue(L"", L"BassManagement"))))
            return Fail(L"the window shows another FlexBass state");
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, L"");
        if (e.csliVolume->Value() != Whole(volume))
            return Fail(L"the window shows the master volume " + std::to_wstring(e.csliVolume->Value()));
        // A step either way is the same; at the lowest levels the channels hold no tenth of a
        // balance.
        if (std::abs(e.csliMasterBalance->Value() - Whole(balance * 10)) > (e.csliVolume->Value() < 10 ? 20 : 1))
            return Fail(L"the window shows the master balance " + std::to_wstring(e.csliMasterBalance->Value()) +
                        L", the card's is " + std::to_wstring(Whole(balance * 10)));
    }

    // Each effect's value, its box and the panel whose tag holds how the output offers it.
    static std::vector<std::tuple<const wchar_t*, CheckBox*, Control*>> EffectBoxesOf(frmProfile& e) {
        return {{L"DHEnable", e.chkDolbyHeadphones, e.chkDolbyHeadphones},
                {L"DVSEnable", e.chkDolbyVirtualSpeaker, e.chkDolbyVirtualSpeaker},
                {L"EnableXear3D", e.chkVSS, &e.Ctl(L"pctVSS")},
                {L"Pl2xParam", e.chkDolby, &e.Ctl(L"pctDolby")},
                {L"NeoParam", e.chkNeo, &e.Ctl(L"pctNeo")}};
    }

    // Which controls are enabled; the user lists' buttons follow the name typed, which a new
    // window doesn't have.
    // A hidden control, or one of a locked page, can't be reached: only those shown count.
    static std::map<std::wstring, bool> EnabledControls(frmProfile& e) {
        std::map<std::wstring, bool> enabled;
        for (Control* c : e.Controls()) {
            if (!c->Window() || !::IsWindowVisible(c->Window()) || c->Name().ends_with(L"Add") ||
                c->Name().ends_with(L"Delete"))
                continue;
            bool reachable = true;
            for (int i = 0; i < 4; ++i)
                if (::IsChild(e.Ctl(L"pctTabContent", i).Window(), c->Window()))
                    reachable = e.imgTab[static_cast<std::size_t>(i)]->Enabled();
            if (reachable) enabled[Key(*c)] = c->Enabled();
        }
        return enabled;
    }

    // Each control is enabled as the window opened anew on the same card enables it: every path
    // (the user's, an outside change, echo cancellation's lock) gives the load's rule.
    void CheckEnabledAsOpened() {
        const std::map<std::wstring, bool> now = EnabledControls(Rt());
        const State held = Held(Rt());
        Note(L"opened anew");
        std::wstring differ;
        // The rates kept in step load as the rates stand; the system's list follows that box.
        const int sync = Rt().chkSyncSampleRates->Value();
        CloseEditor();
        OpenRealTime();
        CollectTargets();
        // The new window didn't see the user's Enable: its Disable leaves the card as it is.
        aecFound_.clear();
        const bool syncAsBefore = sync == Rt().chkSyncSampleRates->Value();
        // A box the output doesn't offer opens at the output's default: the effects' controls
        // that follow the boxes count only while every box shows as before.
        bool effectsAsBefore = true;
        for (const auto& [value, box, panel] : EffectBoxesOf(Rt()))
            effectsAsBefore = effectsAsBefore && held.at(Key(*box)) == Held(Rt()).at(Key(*box));
        auto effectControl = [](const std::wstring& key) {
            for (const wchar_t* part : {L"Dolby", L"VSS", L"Neo", L"NEO", L"PL2x"})
                if (key.find(part) != std::wstring::npos) return true;
            return false;
        };
        for (const auto& [key, enabled] : EnabledControls(Rt()))
            if (const auto was = now.find(key);
                was != now.end() && was->second != enabled && (syncAsBefore || key != L"cboSystemSampleRate") &&
                (effectsAsBefore || !effectControl(key)))
                differ += L"\n  " + key + (was->second ? L" was enabled" : L" was disabled");
        if (!differ.empty())
            Fail(L"the window opened anew enables its controls otherwise:" + differ + L"\n and shows" +
                 Differences(held, Held(Rt()), {}));
    }

    // The values on the pages echo cancellation locks.
    static bool LockedPage(const std::wstring& n) {
        static const std::set<std::wstring> locked{
            L"SystemSpeakers", kMixerBitDepth, kMixerSampleRate, L"OutputFormat",     L"Dual2D",
            L"PanelConfig",    L"SpeakerConfig", L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg",
            L"SpDigitalOut",   L"DVSEnable",     L"DVSMode",         L"DHEnable",       L"DHRoom",
            L"EnableXear3D",   L"VSpeakerPos",   L"Pl2xParam",       L"NeoParam",       L"EqEnable",
            L"EqGain",         L"BassManagement", L"BassCornerFrequency", L"SpeakerSize"};
        return locked.count(n) != 0 || n.rfind(L"HpImpedanceMode", 0) == 0;
    }

    // Echo cancellation as the card has it now. Only the user's Enable saves what its Disable
    // puts back; on at the opening or from outside, the Disable leaves the card as it is.
    void SeeAec() {
        if (!AecOn()) aecFound_.clear();
    }

    // ---- The user's steps ----

    // A control of the window; a page echo cancellation locks can't be reached.
    bool UserStep() {
        frmProfile& e = Rt();
        std::vector<std::pair<Control*, int>> targets;
        for (Control* c : e.Controls()) {
            // The dialogs' buttons are the dialog step's; the Close button ends the walk.
            const bool button = dynamic_cast<CommandButton*>(c) && c != e.cmdCancel && c != e.cmdAnalogOutputSettings &&
                                c != e.cmdHpAmp && c->Name() != L"cmdRecordExtraOptions";
            if (!dynamic_cast<ComboBox*>(c) && !dynamic_cast<CheckBox*>(c) && !dynamic_cast<OptionButton*>(c) &&
                !dynamic_cast<Slider*>(c) && !button && c->Name() != L"VSSSpeaker")
                continue;
            if (c->Name().ends_with(L"Expand") || !c->Window()) continue;
            int tab = -1;
            for (int i = 0; i < 4; ++i)
                if (::IsChild(e.Ctl(L"pctTabContent", i).Window(), c->Window())) tab = i;
            targets.emplace_back(c, tab);
        }
        const auto [c, tab] = targets[static_cast<std::size_t>(Pick(static_cast<int>(targets.size())))];
        if (tab >= 0) {
            // The tab of a card without echo cancellation isn't shown.
            const Control& tabImage = *e.imgTab[static_cast<std::size_t>(tab)];
            if (!tabImage.Enabled() || !tabImage.Visible()) return false;
            e.imgTab_Click(tab);
        }
        const bool aecBefore = AecOn();
        const auto cardBefore = Card();
        bool undo = Chance(30);
        if (!UserChanges(*c, PickFn(), undo, NoteFn()))
            return false;
        if (c->Name() == L"optAEC" && !undo) {
            if (!aecBefore && AecOn()) {
                aecFound_ = cardBefore;
                aecLeft_ = Card();
            }
            if (aecBefore && !AecOn()) CheckAecEnd(cardBefore, {});
        }
        return true;
    }

    // A dialog opened, a choice or two made in it, the second of the own change let pass (the
    // program's refresh runs), maybe a volume key pressed; it stays open until the user closes
    // it by its button or its close box.
    void DialogStep() {
        frmProfile& e = Rt();
        int kind = 0;
        Control* opener = PickDialogOpener(e, PickFn(), NoteFn(), kind);
        if (!opener) return;
        auto open = [kind] { return OpenDialog(kind); };
        if (!User::Click(*opener) || !open()) return Fail(L"the dialog did not open");
        std::vector<Control*> choices;
        for (Control* c : open()->Controls())
            if ((dynamic_cast<OptionButton*>(c) || dynamic_cast<ComboBox*>(c)) && User::CanAct(*c)) choices.push_back(c);
        for (int n = 1 + Pick(2); n > 0 && !choices.empty(); --n) {
            bool undo = Chance(30);
            UserChanges(*choices[static_cast<std::size_t>(Pick(static_cast<int>(choices.size())))],
                        PickFn(), undo, NoteFn());
            if (Chance(50)) {
                Note(L"a second passes");
                LetTheSecondPass();
            }
            if (!open()) return Fail(L"the dialog closed after a choice");
            CheckShown();
            if (failed_) return;
        }
        if (Chance(30)) {
            Note(L"volume key");
            ::SendMessageW(form_->hWnd(), WM_HOTKEY, Chance(50) ? 1 : 2, 0);
            LetTheSecondPass();
            if (!open()) return Fail(L"the dialog closed after a volume key");
        }
        if (!UserClosesDialog(kind, PickFn(), NoteFn()))
            return Fail(L"the dialog stayed open");
    }

    // ---- Changes from outside ----

    // One or two changes from outside, maybe within the second of the window's own send; the
    // notifications and the program's refresh then run.
    void OutsideStep() {
        const bool ownWindow = IsSelfChange() && Chance(25);
        std::vector<Outside> changes{RandomOutside()};
        if (Chance(30)) changes.push_back(RandomOutside());
        sim::WaitForSimNotifications();
        Pump(20);
        const bool aecBefore = AecOn();
        const auto cardBefore = Card();
        const std::optional<unsigned> posts = PutOutside(changes, ownWindow, true);
        if (failed_) return;
        LetTheRefreshRun(posts);
        if (Suspended(changes, false)) return;
        NoteLate(changes, posts.has_value());
        CheckOutsideShown(changes, true);
        // Off from outside after the user's Enable: the values the outside step set stay.
        if (aecBefore && !AecOn() && !aecFound_.empty()) {
            std::set<std::wstring> outside;
            for (const auto& [n, was] : cardBefore)
                for (const Outside& o : changes)
                    if (n != L"AEC" && GroupOf(n) == GroupOf(o.name)) outside.insert(n);
            if (!ProfileEditor()) return;
            CheckAecEnd(cardBefore, outside);
            if (failed_) return;
        }
        if (ProfileEditor()) SeeAec();
    }

    // A stored profile of an output, the equalizer's state and maybe echo cancellation, with a
    // shortcut key, on the tray menu.
    std::pair<std::wstring, std::map<std::wstring, Bytes>> TrayProfile() {
        static const std::uint8_t outputs[] = {1, 4, 6, 7};
        const std::wstring name = L"Walk by tray " + std::to_wstring(++profilesByKey_);
        std::map<std::wstring, Bytes> values{{L"SpeakerConfig", EncodeCode(outputs[Pick(4)])},
                                             {L"EqEnable", Bytes{static_cast<std::uint8_t>(Pick(2))}}};
        if (gCardCaps && gCardCaps->AEC) values[L"AEC"] = EncodeAEC(Chance(30));
        for (const auto& [n, v] : values) RegWrite(Profile(name), n, v);
        RegWrite(Profile(name), L"Shortcut", HexToBytes(L"7A03"));
        form_->UpdateMenus();
        Note(L"a profile: output " + std::to_wstring(FirstByte(values[L"SpeakerConfig"])) + L", equalizer " +
             std::to_wstring(FirstByte(values[L"EqEnable"])) +
             (values.count(L"AEC") ? L", echo cancellation " + std::to_wstring(DecodeAEC(values[L"AEC"])) : L""));
        return {name, values};
    }

    // The profile's tray menu item; -1 when the menu lacks it.
    int MenuItemOf(const std::wstring& name) {
        const std::vector<std::wstring>& menu = form_->ProfileNames();
        const auto item = std::find(menu.begin(), menu.end(), name);
        return item == menu.end() ? -1 : static_cast<int>(item - menu.begin());
    }

    // The card holds what the applied profile set (the profile stands whole: echo
    // cancellation's end included); the profile then goes.
    void CheckApplied(const std::wstring& name, const std::map<std::wstring, Bytes>& values, const wchar_t* how) {
        RegDeleteTree(gRegProfiles, name);
        form_->UpdateMenus();
        aecFound_.clear();
        for (const auto& [n, v] : values)
            if (const Bytes card = GetProfileValue(L"", n);
                n == L"AEC" ? DecodeAEC(card) != DecodeAEC(v) : FirstByte(card) != FirstByte(v))
                return Fail(L"the profile " + std::wstring(how) + L" set " + n + L" " + BytesToHex(v) +
                            L", the card holds " + BytesToHex(card));
    }

    // A stored profile applied by its shortcut key, the program's own while the window is open:
    // the card holds what the profile set once the window's refresh ran.
    void ProfileByKeyStep() {
        const auto [name, values] = TrayProfile();
        const int item = MenuItemOf(name);
        if (item < 0) return Fail(L"the tray menu lacks the profile");
        Note(L"  by its key");
        if (KeyIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11)) return Fail(L"the profile's key is not the program's");
        ::SendMessageW(form_->hWnd(), WM_HOTKEY, kProfileHotkeyBase + item, 0);
        LetTheRefreshRun();
        LetTheSecondPass();
        CheckApplied(name, values, L"by its key");
    }

    // The tray beside the window: its clicks open nothing while the window is open. Now and then
    // the user closes the window, applies a profile from the tray menu, moves the volume pop-up's
    // sliders, and opens the window again by the pop-up's link or a double click on the icon: it
    // shows the card (checked after the step), the pop-up closed.
    void TrayStep() {
        Note(L"the tray clicked");
        CheckTray();
        if (failed_ || Chance(40)) return;
        UserCloses();
        if (failed_) return;
        CheckTray();
        if (Chance(60)) {
            const auto [name, values] = TrayProfile();
            const int item = MenuItemOf(name);
            if (item < 0) return Fail(L"the tray menu lacks the profile");
            Note(L"  from the tray menu");
            if (!ClickTray(WM_RBUTTONUP).menu) return Fail(L"a right click on the tray opened no menu");
            ::SendMessageW(form_->hWnd(), WM_COMMAND, MAKEWPARAM(kMenuProfileBase + item, 0), 0);
            LetTheRefreshRun();
            CheckApplied(name, values, L"from the menu");
            if (failed_) return;
        }
        bool byLink = false;
        if (Chance(60)) {
            Note(L"the volume pop-up");
            if (!ClickTray(WM_LBUTTONUP).popup) return Fail(L"a left click on the tray opened no volume pop-up");
            frmVolume& popup = *VolumePopup();
            const int volume = Pick(101), balance = Pick(21) - 10;
            Note(L"  volume " + std::to_wstring(volume) + L", balance " + std::to_wstring(balance));
            User::DragTo(*popup.csliMasterBalance, balance);
            User::DragTo(*popup.csliVolume, volume);
            Currency v = 0, b = 0;
            GetProfileVolumeBalance(v, b, 0, 0, L"");
            if (Whole(v) != volume) return Fail(L"the pop-up's slider set the master volume " + std::to_wstring(Whole(v)));
            byLink = Chance(50);
            if (byLink) {
                Note(L"  its Settings link");
                User::Click(*popup.lblSettings);
                Pump(100);
            } else {
                popup.Unload();
            }
        }
        if (!byLink) {
            Note(L"a double click on the tray");
            ClickTray(WM_LBUTTONDBLCLK);
        }
        if (!ProfileEditor() || !Rt().RealTimeMode()) return Fail(L"the tray opened no real-time window");
        if (VolumePopup()) return Fail(L"the volume pop-up stayed open beside the window");
        // The new window didn't see the user's Enable: its Disable leaves the card as it is.
        aecFound_.clear();
        CollectTargets();
        SeeAec();
    }

    // ---- One walk ----

    void WalkSeed(unsigned seed) {
        rng_.seed(seed);
        log_.str(L"");
        Echo(L"seed " + std::to_wstring(seed));
        failed_ = false;
        lateValues_.clear();
        ownClock_ = seed % 16 == 5;
        const std::wstring model = PickModel();
        log_ << L"seed " << seed << L", card " << model << (ownClock_ ? L", the program's own clock" : L"");
        UseEditorCard(model.c_str());
        if (Chance(60)) {
            static const std::uint8_t outputs[] = {1, 6, 7};
            const std::uint8_t output = outputs[Pick(3)];
            sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(output));
            log_ << L", output " << int{output};
        }
        for (const wchar_t* flag : {L"EqEnable", L"BassManagement"}) {
            Bytes on = GetProfileValue(L"", flag);
            if (on.empty() || Chance(50)) continue;
            on[0] = 1;
            sim::SetSimLiveValue(flag, on);
        }
        if (gCardCaps && gCardCaps->AEC && Chance(25)) {
            sim::SetSimLiveValue(L"AEC", EncodeAEC(true));
            log_ << L", echo cancellation on";
        }
        Load(L"");
        ReadCardNames();
        aecFound_.clear();
        OpenRealTime();
        CollectTargets();
        SeeAec();
        CheckShown();
        const int failuresAtStart = Failures();
        const int steps = 25 + Pick(15);
        for (int step = 0; step < steps && !failed_ && ProfileEditor(); ++step) {
            const int kind = Pick(100);
            const bool aecBefore = AecOn();
            if (kind < WheelShare()) {
                if (!WheelStep()) continue;
            } else if (kind < WheelShare() + 6) {
                if (!KeyStep()) continue;
            } else if (kind < 48) {
                if (!UserStep()) continue;
                if (Chance(30)) {
                    Note(L"a second passes");
                    LetTheSecondPass();
                }
            } else if (kind < 58) {
                MeetingStep();
                // Echo cancellation met by another program's change: its end is not the user's.
                if (aecBefore != AecOn()) aecFound_.clear();
            } else if (kind < 70) {
                DialogStep();
            } else if (kind < 73) {
                ProfileByKeyStep();
            } else if (kind < 77) {
                TrayStep();
            } else {
                OutsideStep();
            }
            if (failed_ || Failures() != failuresAtStart) break;
            if (const char* t = std::getenv("KALVENOR_WALK_TRACE"); t && ProfileEditor()) {
                const std::wstring n(t, t + std::strlen(t));
                const State s = Saved(Rt());
                const auto w = s.find(n);
                Note(L"    " + n + L" window " + (w == s.end() ? L"-" : w->second) + L", card " +
                     BytesToHex(GetProfileValue(L"", n)) + L", AEC " + BytesToHex(GetProfileValue(L"", L"AEC")) + L" out " + Rt().Output());
            }
            CheckShown();
            if (!failed_ && ProfileEditor()) CheckEnabled();
            // Echo cancellation coming or going relocks and reopens the pages: always compared then.
            if (!failed_ && ProfileEditor() && (Chance(15) || aecBefore != AecOn())) CheckEnabledAsOpened();
        }
        if (!failed_ && ProfileEditor()) UserCloses();
        CloseEditor();
    }
};

TEST_F(RealTimeWalk, RandomWalksKeepTheWindowsContract) {
    const bool scaled = InDpiChild();
    for (unsigned seed : scaled ? WalkSeeds("KALVENOR_SCALED_REALTIME_WALK", 5) : WalkSeeds("KALVENOR_REALTIME_WALK", 20)) {
        WalkSeed(seed);
        if (::testing::Test::HasFatalFailure()) return;
    }
    if (scaled) MarkDpiChildDone();
}

// At 144 dots per inch (in a child process), where the window may scroll.
TEST(RealTimeWalkScaled, RandomWalksAt144Dpi) {
    EXPECT_TRUE(RunTestsAtDpi(L"RealTimeWalk.RandomWalksKeepTheWindowsContract", 144, kScaledWalk));
}

}  // namespace
