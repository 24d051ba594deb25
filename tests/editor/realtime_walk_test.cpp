// Random walks of the real-time settings window: seeded sequences of the user's choices, its three
// dialogs, changes of the card from outside through the real notifications and the program's
// refresh, and the tray's volume keys, on cards that differ in what matters, opened with echo
// cancellation off or on. After every step the walk checks, from outside the window:
// - the window shows what the card and Windows hold: every user change reached the card and
//   every outside change was followed;
// - echo cancellation's Disable puts back the output, equalizer and FlexBass it locked;
// - a dialog stays open until the user closes it.
// CI walks seeds 1 to 10; KALVENOR_REALTIME_WALK_SEED=N replays one seed,
// KALVENOR_REALTIME_WALK_SEEDS=N walks N seeds from KALVENOR_REALTIME_WALK_FROM (1).
#include <random>
#include <sstream>

#include "editor/customcontrolsdialog.h"
#include "sim/audio_format.h"
#include "tests/editor/follow_fixture.h"
#include "tests/editor/profile_codes.h"

using namespace kal;
using namespace kal::testing;

namespace {

// The output and the two pages echo cancellation locks.
const wchar_t* const kAecLocked[] = {L"PanelConfig", L"SpeakerConfig", L"EqEnable", L"BassManagement"};

class RealTimeWalk : public FollowCardFixture {
protected:
    std::mt19937 rng_;
    std::wostringstream log_;
    bool failed_ = false;
    std::vector<std::wstring> cardNames_;
    // What the card held when echo cancellation locked the pages; empty while it is off.
    std::map<std::wstring, Bytes> aecSaved_;

    int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }
    std::function<int(int)> PickFn() { return [this](int n) { return Pick(n); }; }
    std::function<void(const std::wstring&)> NoteFn() { return [this](const std::wstring& s) { Note(s); }; }
    void Note(const std::wstring& step) { log_ << L"\n  " << step; }

    void Fail(const std::wstring& what) {
        if (failed_) return;
        failed_ = true;
        ADD_FAILURE() << Narrow(L"real-time walk failed: " + what + L"\n steps:" + log_.str());
    }

    frmProfile& Rt() { return *ProfileEditor(); }
    static bool AecOn() {
        const Bytes aec = GetProfileValue(L"", L"AEC");
        return aec.size() == 40 && aec[8] == 1;
    }

    std::map<std::wstring, Bytes> Card(const std::vector<std::wstring>& names) {
        std::map<std::wstring, Bytes> card;
        for (const std::wstring& n : names) card[n] = GetProfileValue(L"", n);
        return card;
    }
    std::map<std::wstring, Bytes> AecLockedCard() {
        return Card(std::vector<std::wstring>(std::begin(kAecLocked), std::end(kAecLocked)));
    }

    // ---- The checks ----

    // The window shows what the card holds; the master volume by its slider's whole percent.
    void CheckShown() {
        frmProfile& e = Rt();
        const State saved = Saved(e);
        const bool locked = OptionSelected(e.optAEC, 1);
        if (locked != AecOn()) return Fail(L"the window shows echo cancellation " + std::wstring(locked ? L"on" : L"off"));
        if (e.imgTab[0]->Enabled() == locked || e.imgTab[2]->Enabled() == locked)
            return Fail(L"the pages echo cancellation locks are " + std::wstring(locked ? L"open" : L"locked"));
        for (const std::wstring& n : cardNames_) {
            // The master volume by the slider's percent, below; the speaker field's positions go
            // through its pixels.
            if (n == MixerValueName(0, 0, 0, 0) || n == MixerValueName(0, 0, 1, 0) || n == L"VSpeakerPos") continue;
            // While echo cancellation holds, a save gives the locked pages as before it.
            if (locked && LockedPage(n)) continue;
            if (!ShowsAsCard(e, n, saved, GetProfileValue(L"", n)))
                return Fail(L"the card holds " + n + L" " + BytesToHex(GetProfileValue(L"", n)) + L", the window " +
                            saved.at(n));
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
        if (e.csliVolume->Value() != static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(volume))))
            return Fail(L"the window shows the master volume " + std::to_wstring(e.csliVolume->Value()));
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

    // Echo cancellation as the card has it now: its lock saves what the card holds when it
    // comes on, and lets go when it goes off.
    void SeeAec() {
        if (!AecOn())
            aecSaved_.clear();
        else if (aecSaved_.empty())
            aecSaved_ = AecLockedCard();
    }

    // ---- The user's steps ----

    // A control of the window; a page echo cancellation locks can't be reached.
    bool UserStep() {
        frmProfile& e = Rt();
        std::vector<std::pair<Control*, int>> targets;
        for (Control* c : e.Controls()) {
            if (!dynamic_cast<ComboBox*>(c) && !dynamic_cast<CheckBox*>(c) && !dynamic_cast<OptionButton*>(c) &&
                !dynamic_cast<Slider*>(c))
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
        const auto lockedBefore = AecLockedCard();
        bool undo = Chance(30);
        if (!UserChanges(*c, PickFn(), undo, NoteFn()))
            return false;
        // Echo cancellation's Disable puts back what it locked.
        if (c->Name() == L"optAEC" && !undo) {
            if (!aecBefore && AecOn()) aecSaved_ = lockedBefore;
            if (aecBefore && !AecOn()) {
                for (const auto& [n, was] : aecSaved_)
                    if (GetProfileValue(L"", n) != was)
                        return Fail(L"echo cancellation's Disable left " + n + L" at " +
                                    BytesToHex(GetProfileValue(L"", n)) + L", not " + BytesToHex(was)),
                               true;
                aecSaved_.clear();
            }
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

    // A driver value set to one of its accepted codes.
    void PutCode(const std::wstring& name) {
        std::vector<std::wstring> codes;
        for (const codes::Row& row : codes::MatrixRows())
            for (const std::wstring& n : row.names)
                if (n == name) codes = row.codes;
        if (codes.empty()) return;
        Bytes bytes = HexToBytes(codes[static_cast<std::size_t>(Pick(static_cast<int>(codes.size())))]);
        const Bytes now = GetProfileValue(L"", name);
        if (bytes.size() < now.size()) bytes.resize(now.size(), 0);
        sim::SetSimLiveValue(name, bytes);
    }

    // Another program changes the card or Windows, maybe within the second of the window's own
    // send; the notifications and the program's refresh then run.
    void OutsideStep() {
        frmProfile& e = Rt();
        const bool atOnce = Chance(25);
        if (!atOnce) LetTheSecondPass();
        switch (Pick(11)) {
        case 0: {
            auto& box = *e.cboAnalogOutput;
            const std::intptr_t code = box.ListCount() > 0 ? box.ItemData(Pick(box.ListCount())) : 4;
            Note(L"from outside: output " + std::to_wstring(code));
            sim::SetSimLiveValue(L"PanelConfig", EncodeCode(static_cast<std::uint8_t>(code >> 8)));
            sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(static_cast<std::uint8_t>(code & 0xFF)));
            break;
        }
        case 1: {
            if (!gCardCaps || !gCardCaps->AEC) return OutsideStep();
            const bool on = Chance(50);
            Note(on ? L"from outside: echo cancellation on" : L"from outside: echo cancellation off");
            sim::SetSimLiveValue(L"AEC", EncodeAEC(on));
            break;
        }
        case 2: {
            Bytes v = GetProfileValue(L"", L"SpDigitalOut");
            v.resize(4);
            v[0] = Chance(50) ? 0 : (gCardCaps && gCardCaps->Dolby ? 16 : 32);
            Note(L"from outside: S/PDIF " + std::to_wstring(v[0]));
            sim::SetSimLiveValue(L"SpDigitalOut", v);
            break;
        }
        case 3: {
            const int j = Pick(8);
            const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
            if (id.empty()) return OutsideStep();
            const DWORD state = Chance(50) ? DEVICE_STATE_ACTIVE : DEVICE_STATE_DISABLED;
            Note(L"from outside: recording line " + std::to_wstring(j) + (state == DEVICE_STATE_ACTIVE ? L" on" : L" off"));
            sim::SetSimEndpointState(sim::FindSimEndpoint(id), state);
            break;
        }
        case 4: {
            const WPARAM key = Chance(50) ? 1 : 2;
            Note(key == 1 ? L"volume key up" : L"volume key down");
            ::SendMessageW(form_->hWnd(), WM_HOTKEY, key, 0);
            break;
        }
        case 5: {
            const int percent = Pick(101);
            Note(L"from outside: master volume " + std::to_wstring(percent));
            OtherProgramsVolume(gPlaybackLineIds[0])->SetMasterVolumeLevelScalar(static_cast<float>(percent) / 100.0f,
                                                                                  nullptr);
            break;
        }
        case 6: {
            // Windows' sample rate of the speakers, as another program sets it.
            static const DWORD rates[] = {44100, 48000, 96000};
            const DWORD rate = rates[Pick(3)];
            Note(L"from outside: Windows' rate " + std::to_wstring(rate));
            WAVEFORMATEXTENSIBLE f = sim::SimDeviceFormat(sim::FindSimEndpoint(gPlaybackLineIds[0]));
            f.Format.nSamplesPerSec = rate;
            f.Format.nAvgBytesPerSec = rate * f.Format.nBlockAlign;
            sim::SimPolicySetDeviceFormat(gPlaybackLineIds[0].c_str(), &f.Format, nullptr);
            break;
        }
        default: {
            static const wchar_t* const values[] = {L"EqEnable", L"BassManagement", L"Dual2D", L"EnableXear3D"};
            const wchar_t* name = values[Pick(4)];
            Note(L"from outside: " + std::wstring(name));
            PutCode(name);
            break;
        }
        }
        LetTheSecondPass();
        if (!ProfileEditor()) return Fail(L"the window closed");
        SeeAec();
    }

    // ---- One walk ----

    void WalkSeed(unsigned seed) {
        rng_.seed(seed);
        log_.str(L"");
        failed_ = false;
        static const wchar_t* const models[] = {kD2, kDG, kDS, kSTX};
        const wchar_t* model = models[Pick(4)];
        log_ << L"seed " << seed << L", card " << model;
        UseEditorCard(model);
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
        cardNames_.clear();
        for (const codes::Row& row : codes::MatrixRows())
            for (const std::wstring& n : row.names)
                if (!GetProfileValue(L"", n).empty() && n != L"Shortcut" && n != L"CustomIcon" &&
                    n != L"VolIgnoreForValidation" && n != L"NoVolChangeOnSameOut")
                    cardNames_.push_back(n);
        aecSaved_.clear();
        OpenRealTime();
        SeeAec();
        CheckShown();
        const int steps = 25 + Pick(15);
        for (int step = 0; step < steps && !failed_ && ProfileEditor(); ++step) {
            const int kind = Pick(100);
            if (kind < 55) {
                if (!UserStep()) continue;
                if (Chance(30)) {
                    Note(L"a second passes");
                    LetTheSecondPass();
                }
            } else if (kind < 70) {
                DialogStep();
            } else {
                OutsideStep();
            }
            if (failed_ || ::testing::Test::HasFailure()) break;
            CheckShown();
        }
        CloseEditor();
    }
};

TEST_F(RealTimeWalk, RandomWalksKeepTheWindowsContract) {
    for (unsigned seed : WalkSeeds("KALVENOR_REALTIME_WALK", 10)) {
        WalkSeed(seed);
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
