// The model of the editor's random walks: the user's steps on the editor's controls and dialogs,
// the program's refresh as it runs in use, and the checks after every step (what Save writes,
// what the card holds in live mode, which controls are enabled, what Live Mode off puts back).
#pragma once
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "device/effects.h"
#include "device/linevalues.h"
#include "editor/customcontrolsdialog.h"
#include "editor/portable/valueparts.h"
#include "startup/names.h"
#include "startup/settings.h"
#include "tests/editor/follow_fixture.h"
#include "tests/editor/profile_codes.h"
#include "tests/editor/profiles_fixture.h"
#include "tray/balloons.h"
#include "tray/formopeners.h"
#include "tray/mainform.h"
#include "tray/portable/menurules.h"

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
    int tab = 0;  // -1: a control of an open dialog; -2: on no page
};

// A walk's child process at another scale answers its own questions.
inline const kaltest::ChildOptions kScaledWalk{.timeoutMs = 3 * 3600 * 1000, .answerBoxes = false};

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
    int scrolled_ = 0;  // wheel steps in a window that scrolls
    // The values changed from outside that show at the next refresh the driver's watcher starts.
    std::set<std::wstring> lateValues_;

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
        // The tray icon opens what the program opens.
        TrayOpeners().volume = &ShowVolumePopup;
        TrayOpeners().realTimeSettings = &ShowRealTimeSettings;
    }
    void TearDown() override {
        if (frmVolume* popup = VolumePopup()) popup->Unload();
        TrayOpeners() = {};
        if (postCounter_) ::UnhookWindowsHookEx(postCounter_);
        FollowCardFixture::TearDown();
    }

    // The program's refresh as it runs in use: Core Audio's notifications are handled, the
    // watcher of the driver's settings posts its change (awaited when `since` counts the posts
    // before a change of the driver's), the second after the program's own sends passes, and the
    // refresh timer due then fires; it runs the refresh only when a post armed it.
    void LetTheRefreshRun(std::optional<unsigned> since = std::nullopt) {
        sim::WaitForSimNotifications();
        if (since && !PumpUntil([&] { return registryPosts_ != *since; }, 10000))
            return Fail(L"no notification came of the driver's change");
        Pump(20);
        if (ownClock_) return WaitOutOwnChange();
        gLastSelfChange.store(::timeGetTime() - 5000);
        FireDeferredTimers();
        AwaitNotificationTimers();
    }

    // What came from outside with no notification of its own shows at the next refresh, which
    // the end of the program's own second may start at any moment. Before the walk holds what the
    // window shows against what a step then does, that refresh runs, as another program's change
    // of the driver would start it: a later one brings nothing new.
    void ShowLateValues() {
        if (late_.empty() && lateValues_.empty()) return;
        if (ownClock_) WaitOutOwnChange();
        FollowCardFixture::LetTheRefreshRun();
        lateValues_.clear();
        late_.clear();
    }

    int Pick(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }
    std::function<int(int)> PickFn() { return [this](int n) { return Pick(n); }; }
    std::function<void(const std::wstring&)> NoteFn() { return [this](const std::wstring& s) { Note(s); }; }
    // KALVENOR_WALK_ECHO=1 also writes each step as it is taken, for a walk that hangs.
    static void Echo(const std::wstring& text) {
        static const bool echo = std::getenv("KALVENOR_WALK_ECHO") != nullptr;
        if (echo) std::fprintf(stderr, "%s\n", Narrow(text).c_str());
    }
    void Note(const std::wstring& step) {
        log_ << L"\n  " << step;
        Echo(L"  " + step);
    }

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

    // One of the models of the catalogue the program supports.
    std::wstring PickModel() {
        if (gCardModels.Empty()) BuildCardCatalogue();
        std::vector<std::wstring> models;
        for (const auto& [subsys, m] : gCardModels)
            if (m->Supported) models.push_back(subsys);
        return models[static_cast<std::size_t>(Pick(static_cast<int>(models.size())))];
    }

    // The values the walk reads off the present card.
    void ReadCardNames() {
        cardNames_.clear();
        for (const codes::Row& row : codes::MatrixRows())
            for (const std::wstring& n : row.names)
                if (!ProfileOnly(n) && !GetProfileValue(L"", n).empty()) cardNames_.push_back(n);
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
        // The effect panels' own controls, the speaker field and the user's own lists, the
        // column boxes and the reset buttons, the shortcut and the icon.
        const std::wstring layout = L"VSpeakerPos";
        for (auto* o : e.optVSSLayout) add(o, {layout}, 0);
        for (auto* o : e.optLoadVSSPreset) add(o, {layout}, 0);
        for (auto* c : e.VSSSpeaker) add(c, {layout}, 0);
        for (auto* c : e.cmdVSSSpeakerDistance) add(c, {layout}, 0);
        add(e.cboVSSUserLayouts, {layout}, 0);
        add(e.cmdVSSUserLayoutAdd, {}, 0);
        add(e.cmdVSSUserLayoutDelete, {}, 0);
        add(e.cmdResetPL2xGraphSliders, {L"Pl2xParam"}, 0);
        add(e.cmdResetNEOGraphSliders, {L"NeoParam"}, 0);
        for (auto* o : e.optLoadEQPreset) add(o, {L"EqGain"}, 2);
        add(e.cboEQUserProfiles, {L"EqGain"}, 2);
        add(e.cmdEQUserProfileAdd, {}, 2);
        add(e.cmdEQUserProfileDelete, {}, 2);
        std::vector<std::wstring> gains(std::begin(gChannelVolumeValues), std::end(gChannelVolumeValues)), lines;
        for (int j = 0; j < 8; ++j)
            if (!gInputLineIds[static_cast<std::size_t>(j)].empty())
                for (int k = 0; k < 4; ++k) lines.push_back(MixerValueName(1, j, 0, k));
        add(e.chkPlaybackSetAll, gains, 1);
        add(e.cmdResetOutputChannels, gains, 1);
        add(e.chkRecordSetAll, lines, 1);
        add(e.cmdResetInputLines, lines, 1);
        for (int j = 0; j < 8; ++j)
            if (!gInputLineIds[static_cast<std::size_t>(j)].empty())
                add(e.cmdInputLineBalanceReset[j], {LineGroup(j)}, 1);
        add(e.cmdMasterBalanceReset, {master}, 0);
        add(e.txtShortcut, {L"Shortcut"}, -2);
        add(e.cmdIconChoose, {L"CustomIcon"}, -2);
        add(e.cmdIconDelete, {L"CustomIcon"}, -2);
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
        bool driver = false;  // a driver's value: the watcher of its settings posts the change
        // No notification tells the program of it: it shows at the next refresh.
        bool late = false;
        // The controls that follow it out of live mode too.
        std::vector<std::wstring> always{};
        // No window shows it: Save keeps the profile's own value.
        bool kept = false;
        // The card's speakers out of service and back: the tray suspends and closes the window.
        bool closes = false;
    };

    // The controls of changes from outside that show at the next refresh.
    std::vector<std::wstring> late_;


    // A driver value set by another program to `bytes`, padded to the length the card has.
    static Outside Driver(const std::wstring& name, Bytes bytes, std::vector<std::wstring> controls) {
        const Bytes now = GetProfileValue(L"", name);
        if (bytes.size() < now.size()) bytes.resize(now.size(), 0);
        Outside o{name, std::move(controls), [name, bytes] { sim::SetSimLiveValue(name, bytes); }};
        o.driver = true;
        return o;
    }

    // One of value `name`'s accepted codes.
    Bytes AcceptedCode(const std::wstring& name) {
        std::vector<std::wstring> codes;
        for (const codes::Row& row : codes::MatrixRows())
            for (const std::wstring& n : row.names)
                if (n == name) codes = row.codes;
        return HexToBytes(codes.empty() ? L"" : codes[static_cast<std::size_t>(Pick(static_cast<int>(codes.size())))]);
    }

    // A driver value set to one of its accepted codes.
    Outside DriverCode(const std::wstring& name, std::vector<std::wstring> controls) {
        return Driver(name, AcceptedCode(name), std::move(controls));
    }

    // One part of a value the user changes part by part, from one of its accepted codes, the
    // other parts as the card holds them: a speaker of the layout, the switch, depth or width of
    // ProLogic IIx or NEO:PC (a mode's sliders only in music mode, where they count). `part` -1:
    // any of them.
    Outside DriverPart(const std::wstring& name, int part, std::vector<std::wstring> controls) {
        const Bytes now = GetProfileValue(L"", name);
        const std::vector<Bytes> parts = ValueParts(name, now.size());
        if (parts.size() < 2) return DriverCode(name, std::move(controls));
        std::vector<int> open;
        const bool graph = name != L"VSpeakerPos";
        const bool music = !(name == L"Pl2xParam" ? DecodePl2xParam(now) : DecodeNeoParam(now)).movie;
        for (int p = 0; p < static_cast<int>(parts.size()); ++p)
            if (!graph || p == static_cast<int>(GraphPart::Switch) ||
                (music && p != static_cast<int>(GraphPart::Mode)))
                open.push_back(p);
        const int p = std::find(open.begin(), open.end(), part) != open.end()
                          ? part
                          : open[static_cast<std::size_t>(Pick(static_cast<int>(open.size())))];
        Bytes code = AcceptedCode(name);
        code.resize(now.size(), 0);
        Bytes mask = parts[static_cast<std::size_t>(p)];
        // A speaker's place: its three coordinates, the record's last word as the card holds it.
        if (!graph)
            for (std::size_t i = 12; i < mask.size(); i += 16)
                for (std::size_t k = i; k < i + 4; ++k) mask[k] = 0;
        Note(L"part " + std::to_wstring(p) + L" of " + name);
        return Driver(name, MergeParts(now, code, mask), std::move(controls));
    }

    // One of the recording lines `which` takes, or -1.
    int PickLine(bool (*which)(int)) {
        std::vector<int> lines;
        for (int j = 0; j < 8; ++j)
            if (which(j)) lines.push_back(j);
        return lines.empty() ? -1 : lines[static_cast<std::size_t>(Pick(static_cast<int>(lines.size())))];
    }
    int ActiveLine() { return PickLine(&LineActive); }

    // Whether recording line `line` is active and has two channels; without `line`, one such
    // line, or -1.
    static bool StereoLine(int line) {
        return LineActive(line) &&
               sim::SimAudioEndpoints()[static_cast<std::size_t>(
                                            sim::FindSimEndpoint(gInputLineIds[static_cast<std::size_t>(line)]))]
                       .channels == 2;
    }
    int StereoLine() { return PickLine(&StereoLine); }

    // The custom controls of recording line `line`; an active line that has some, or -1.
    static int CustomControlCount(int line) {
        const std::wstring& id = gInputLineIds[static_cast<std::size_t>(line)];
        return !id.empty() && gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size())
                                                                  : 0;
    }
    int CustomLine() {
        std::vector<int> lines;
        for (int j = 0; j < 8; ++j)
            if (LineActive(j) && CustomControlCount(j) > 0) lines.push_back(j);
        return lines.empty() ? -1 : lines[static_cast<std::size_t>(Pick(static_cast<int>(lines.size())))];
    }

    // Whether the last closing change found the window closed while the speakers were out, and
    // the card before they went.
    bool suspendedClosed_ = false;
    std::map<std::wstring, Bytes> cardBeforeSuspension_;
    int outsideProfiles_ = 0;

    // The profiles another instance of the program (or its profile manager) keeps: one added, one
    // deleted or renamed, or the edited profile's own key rewritten or deleted. Live mode's
    // restore point and the walk's scratch key are the open editor's own: left alone. The editor
    // doesn't reload: Save writes what it shows.
    Outside ProfilesFromOutside() {
        std::vector<std::wstring> others;
        for (const std::wstring& k : RegEnumKeys(gRegProfiles))
            if (k.rfind(L"Outside ", 0) == 0) others.push_back(k);
        const std::wstring edited = RegKeyExists(Profile(profile_)) && !profile_.empty() ? profile_ : L"";
        const int way = Pick(5);
        std::function<void()> put;
        State values = RandomProfile();
        values.erase(L"Shortcut");
        auto write = [values](const std::wstring& name) {
            RegDeleteTree(gRegProfiles, name);
            for (const auto& [n, v] : values) RegWrite(Profile(name), n, HexToBytes(v));
        };
        if ((way == 3 || way == 4) && !edited.empty()) {
            Note(way == 3 ? L"the edited profile rewritten by another instance" : L"the edited profile deleted by another instance");
            if (way == 3) put = [write, edited] { write(edited); };
            else put = [edited] { RegDeleteTree(gRegProfiles, edited); };
        } else if (way == 1 && !others.empty()) {
            const std::wstring gone = others[static_cast<std::size_t>(Pick(static_cast<int>(others.size())))];
            Note(L"profile " + gone + L" deleted by another instance");
            put = [gone] { RegDeleteTree(gRegProfiles, gone); };
        } else if (way == 2 && !others.empty()) {
            const std::wstring from = others[static_cast<std::size_t>(Pick(static_cast<int>(others.size())))];
            const std::wstring to = L"Outside " + std::to_wstring(++outsideProfiles_);
            Note(L"profile " + from + L" renamed " + to + L" by another instance");
            put = [from, to] {
                for (const std::wstring& n : RegEnumValues(Profile(from)))
                    if (const auto v = RegRead(Profile(from), n)) {
                        if (const auto* text = std::get_if<std::wstring>(&*v)) RegWrite(Profile(to), n, *text);
                        else RegWrite(Profile(to), n, std::get<Bytes>(*v));
                    }
                RegDeleteTree(gRegProfiles, from);
            };
        } else {
            const std::wstring name = L"Outside " + std::to_wstring(++outsideProfiles_);
            Note(L"profile " + name + L" added by another instance");
            put = [write, name] { write(name); };
        }
        Outside o{L"profiles", {}, put};
        o.kept = true;
        return o;
    }

    static std::wstring Indexed(const wchar_t* control, int i) { return control + (L"(" + std::to_wstring(i) + L")"); }

    static bool AecOn() {
        const Bytes aec = GetProfileValue(L"", L"AEC");
        return aec.size() == 40 && aec[8] == 1;
    }

    // While echo cancellation holds the pages, a quarter of the changes from outside are aimed at
    // it, the setting beside the ones it hides.
    Outside RandomOutside() { return OutsideOf(AecOn() && Chance(25) ? 1 : Pick(kOutsideKinds)); }
    static constexpr int kOutsideKinds = 32;

    // A change from outside of kind `kind`; `part`, where not -1, the band, speaker box, channel
    // or recording line it changes, or the part of `value`.
    Outside OutsideOf(int kind, int part = -1, const std::wstring& value = L"") {
        frmProfile& e = Ed();
        // The effects' boxes, modes and levels among what an output shows or hides.
        std::vector<std::wstring> effects = OutputControls();
        std::erase_if(effects, [](const std::wstring& c) {
            return c == L"cboAnalogOutput" || c.starts_with(L"chkPlaybackSet") || c == L"csliOutputChannel" ||
                   c == L"cboSpeakerSize" || c == L"cboStereoUpmix";
        });
        switch (kind) {
        case 0: {
            // Another output of the card's list.
            auto& box = *e.cboAnalogOutput;
            const int i = 1 + Pick(box.ListCount() - 1);
            const std::intptr_t code = i < box.ListCount() ? box.ItemData(i) : 4;
            std::vector<std::wstring> controls = OutputControls();
            controls.insert(controls.end(), {L"cmdHpAmp", L"cboHpAmp"});
            Outside o{L"PanelConfig", controls, [code] {
                          sim::SetSimLiveValue(L"PanelConfig", EncodeCode(static_cast<std::uint8_t>(code >> 8)));
                          sim::SetSimLiveValue(L"SpeakerConfig", EncodeCode(static_cast<std::uint8_t>(code & 0xFF)));
                      }};
            o.driver = true;
            return o;
        }
        case 1: {
            // Only a card with echo cancellation has it to change.
            if (!gCardCaps || !gCardCaps->AEC) return RandomOutside();
            // Off after an Enable, the pages it locked come back.
            std::vector<std::wstring> controls = OutputControls();
            controls.insert(controls.end(), {L"optAEC", L"optEQ", L"optFlexBass", L"csliCrossover", L"cboHpAmp"});
            return Driver(L"AEC", EncodeAEC(Chance(75) ? !AecOn() : AecOn()), controls);
        }
        case 2: {
            // Off, or a format of the card's list. A Dolby or DTS format is an output of its
            // own: the rows and effects follow it.
            auto& formats = *e.cboSPDIFOutput;
            const std::uint8_t format =
                Chance(40) || formats.ListCount() == 0
                    ? 0
                    : static_cast<std::uint8_t>(formats.ItemData(Pick(formats.ListCount())));
            std::vector<std::wstring> controls = OutputControls();
            controls.insert(controls.end(), {L"chkSPDIF", L"cboSPDIFOutput"});
            Bytes v = GetProfileValue(L"", L"SpDigitalOut");
            if (v.empty()) v.resize(4);
            v[0] = format;
            return Driver(L"SpDigitalOut", v, controls);
        }
        case 3: {
            const int j = part >= 0 ? part : Pick(8);
            const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
            if (id.empty()) return RandomOutside();
            const DWORD state = Chance(40)   ? DEVICE_STATE_ACTIVE
                                : Chance(50) ? DEVICE_STATE_DISABLED
                                             : DEVICE_STATE_UNPLUGGED;
            return {LineGroup(j),
                    {Indexed(L"chkRecordSet", j), Indexed(L"csliInputLine", j), Indexed(L"csliInputLineBalance", j),
                     Indexed(L"chkRecordMonitor", j), L"chkRecordSetAll", L"optInputSelect"},
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
        case 5: return DriverCode(L"EqEnable", {L"optEQ"});
        case 6: return DriverCode(L"BassManagement", {L"optFlexBass", L"csliCrossover", L"cboSpeakerSize"});
        case 7: return DriverCode(L"Dual2D", {L"cboStereoUpmix"});
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
        case 9: return DriverCode(L"EnableXear3D", {L"chkVSS"});
        case 10: {
            // An effect or its mode: the boxes under a virtualizer follow it. A card without DTS
            // has no NEO:PC to change.
            static const wchar_t* const names[] = {L"DHEnable", L"DHRoom",    L"DVSEnable", L"DVSMode",
                                                   L"Pl2xParam", L"NeoParam"};
            const wchar_t* name = names[Pick(6)];
            if (name == std::wstring(L"NeoParam") && (!gCardCaps || !gCardCaps->DTS)) return RandomOutside();
            return DriverCode(name, effects);
        }
        case 11: {
            const std::vector<std::wstring> controls{L"csliEQ", L"optLoadEQPreset", L"cboEQUserProfiles"};
            const Bytes now = GetProfileValue(L"", L"EqGain");
            if (part < 0 || now.size() != 40) return DriverCode(L"EqGain", controls);
            // One band moved, the others as the card holds them.
            std::array<int, 10> bands = DecodeEqGain(now);
            bands[static_cast<std::size_t>(part)] = Pick(41) - 20;
            return Driver(L"EqGain", EncodeEqGain(bands), controls);
        }
        case 12: {
            const Bytes now = GetProfileValue(L"", L"SpeakerSize");
            if (part < 0 || now.empty()) return DriverCode(L"SpeakerSize", {L"cboSpeakerSize"});
            // One box's size turned, the others as the card holds them.
            std::array<bool, 4> large = DecodeSpeakerSizes(now);
            large[static_cast<std::size_t>(part)] = !large[static_cast<std::size_t>(part)];
            return Driver(L"SpeakerSize", EncodeSpeakerSize(large), {L"cboSpeakerSize"});
        }
        case 13: return Driver(L"BassCornerFrequency", EncodeCode(static_cast<std::uint8_t>(50 + 10 * Pick(21))),
                               {L"csliCrossover"});
        case 14: return DriverCode(L"SmartVolumeParams", {L"optSVN"});
        case 15: {
            // The card's rate; the Windows rate kept in step with it follows.
            static const std::uint32_t rates[] = {44100, 48000, 96000, 192000};
            const std::uint32_t rate = rates[Pick(gCardCaps && gCardCaps->MaxSampleRate < 192000 ? 3 : 4)];
            return Driver(L"OutputFormat", EncodeNumber(rate),
                          {L"cboSampleRate", L"cboSystemSampleRate", L"chkSyncSampleRates"});
        }
        case 16: {
            static const wchar_t* const swaps[] = {L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"};
            const wchar_t* swap = swaps[Pick(3)];
            return DriverCode(swap, {swap});
        }
        case 17: {
            // The gain of the panel the card has its headphones on.
            const std::wstring name = HpImpedanceValueName(GetProfileValue(L"", L"PanelConfig"));
            if (!gCardCaps || !gCardCaps->HPAmp || GetProfileValue(L"", name).empty()) return RandomOutside();
            Outside o = Driver(name, EncodeCode(static_cast<std::uint8_t>(Pick(gCardCaps->AmpGainModes))), {L"cboHpAmp"});
            // Speakers on that panel hide the gain: the editor shows none.
            o.kept = FirstByte(GetProfileValue(L"", L"SpeakerConfig")) != 1;
            return o;
        }
        case 18: {
            const int i = part >= 0 ? part : Pick(8);
            return Driver(std::wstring(gChannelVolumeValues[static_cast<std::size_t>(i)]),
                          EncodeChannelGain(-1.0 * Pick(30)), {Indexed(L"csliOutputChannel", i)});
        }
        case 19: {
            const int j = part >= 0 && LineActive(part) ? part : ActiveLine();
            if (j < 0) return RandomOutside();
            const float level = static_cast<float>(Pick(101)) / 100.0f;
            const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
            Outside o{LineGroup(j),
                      {Indexed(L"csliInputLine", j), Indexed(L"csliInputLineBalance", j)},
                      [id, level] { OtherProgramsVolume(id)->SetMasterVolumeLevelScalar(level, nullptr); }};
            o.late = true;
            return o;
        }
        case 20: {
            // Another recording source: Windows' default recording device.
            const int j = part >= 0 && LineActive(part) ? part : ActiveLine();
            if (j < 0) return RandomOutside();
            const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
            Outside o{kMixerInputLineSel, {L"optInputSelect"}, [id] {
                          sim::SetSimDefaultEndpoint(eCapture, eConsole, id);
                      }};
            return o;
        }
        case 21: {
            // The speakers' mute, which no profile holds.
            const bool mute = Chance(50);
            return {L"mute", {}, [mute] { OtherProgramsVolume(gPlaybackLineIds[0])->SetMute(mute, nullptr); }};
        }
        case 22: {
            // Windows' speakers for the card's output: the effects and the upmix they offer follow.
            static const std::int16_t channels[] = {2, 4, 6, 8};
            const std::int16_t n = channels[Pick(4)];
            std::vector<std::wstring> controls = effects;
            controls.insert(controls.end(), {L"cboSpeakersLayout", L"cboStereoUpmix"});
            Outside o{L"SystemSpeakers", controls, [n] { gAudio->SetSpeakers(gPlaybackLineIds[0], n); }};
            // With the speaker list on "Don't Change" the effects follow Windows' channels.
            o.always = effects;
            return o;
        }
        case 24: {
            // One speaker of the layout, or one slider or the switch of a surround effect.
            static const wchar_t* const names[] = {L"VSpeakerPos", L"Pl2xParam", L"NeoParam"};
            const std::wstring name = value.empty() ? names[Pick(3)] : value;
            if (name == L"NeoParam" && (!gCardCaps || !gCardCaps->DTS)) return RandomOutside();
            std::vector<std::wstring> controls = effects;
            controls.insert(controls.end(), {L"VSSSpeaker", L"optVSSLayout", L"optLoadVSSPreset", L"cboVSSUserLayouts"});
            return DriverPart(name, part, controls);
        }
        case 25: {
            // The speakers' balance: one channel's level, the other's as it is.
            const UINT channel = part == 0 || part == 1 ? static_cast<UINT>(part) : static_cast<UINT>(Pick(2));
            const float level = static_cast<float>(Pick(101)) / 100.0f;
            return {MixerValueName(0, 0, 0, 0), {L"csliVolume", L"csliMasterBalance"}, [channel, level] {
                        OtherProgramsVolume(gPlaybackLineIds[0])->SetChannelVolumeLevelScalar(channel, level, nullptr);
                    }};
        }
        case 26: {
            // A stereo recording line's balance: one channel's level, the other's as it is.
            const int j = part >= 0 && StereoLine(part) ? part : StereoLine();
            if (j < 0) return RandomOutside();
            const UINT channel = static_cast<UINT>(Pick(2));
            const float level = static_cast<float>(Pick(101)) / 100.0f;
            const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
            Outside o{LineGroup(j),
                      {Indexed(L"csliInputLine", j), Indexed(L"csliInputLineBalance", j)},
                      [id, channel, level] {
                          OtherProgramsVolume(id)->SetChannelVolumeLevelScalar(channel, level, nullptr);
                      }};
            o.late = true;
            return o;
        }
        case 27: {
            // A recording line's custom control (the monitor among them) switched on the card's
            // topology. No notification tells of it.
            const int j = part >= 0 && LineActive(part) && CustomControlCount(part) > 0 ? part : CustomLine();
            if (j < 0) return RandomOutside();
            const std::wstring id = gInputLineIds[static_cast<std::size_t>(j)];
            const int k = 1 + Pick(CustomControlCount(j));
            const std::wstring control = gAudio->ControlName(id, k);
            const int endpoint = sim::FindSimEndpoint(id);
            UINT localId = 0;
            for (const sim::SimPartDesc& p : sim::SimAudioEndpoints()[static_cast<std::size_t>(endpoint)].path)
                if (p.kind == sim::SimPartKind::Agc && p.name == control) localId = p.localId;
            const bool on = Chance(50) ? !sim::SimAgcEnabled(endpoint, localId) : sim::SimAgcEnabled(endpoint, localId);
            Note(L"custom control " + std::to_wstring(k) + L" (" + control + L") of line " + std::to_wstring(j) +
                 (on ? L" on" : L" off"));
            Outside o{MixerValueName(1, j, 0, k),
                      {L"custom " + std::to_wstring(j) + L"." + std::to_wstring(k), Indexed(L"chkRecordMonitor", j)},
                      [endpoint, localId, on] { sim::SetSimAgcEnabled(endpoint, localId, on); }};
            o.late = true;
            return o;
        }
        case 28: {
            // The gain of the panel the card does not have its headphones on: no window shows it.
            const Bytes panel = GetProfileValue(L"", L"PanelConfig");
            if (!gCardCaps || !gCardCaps->HPAmp || panel.empty()) return RandomOutside();
            const std::wstring name = HpImpedanceValueName(Bytes{static_cast<std::uint8_t>(FirstByte(panel) == 0 ? 1 : 0), 0, 0, 0});
            if (GetProfileValue(L"", name).empty()) return RandomOutside();
            Outside o = Driver(name, EncodeCode(static_cast<std::uint8_t>(Pick(gCardCaps->AmpGainModes))), {});
            o.kept = true;
            return o;
        }
        case 29: {
            // Windows' default playback device: another device's speakers, or the card's again.
            const std::wstring speakers = gPlaybackLineIds[0];
            const std::wstring other = sim::SimAudioEndpoints()[static_cast<std::size_t>(
                                                                   sim::FindSimEndpoint(L"other_speakers"))].id;
            const ERole role = static_cast<ERole>(Pick(3));
            const std::wstring to = sim::SimDefaultEndpoint(eRender, role) == speakers ? other : speakers;
            Note(std::wstring(L"the default playback device ") + (to == speakers ? L"the card's" : L"another's"));
            Outside o{L"default playback device", {}, [role, to] { sim::SetSimDefaultEndpoint(eRender, role, to); }};
            o.kept = true;
            return o;
        }
        case 30: {
            // The card's speakers disabled or unplugged, then back in service.
            const DWORD state = Chance(50) ? DEVICE_STATE_DISABLED : DEVICE_STATE_UNPLUGGED;
            Outside o{L"speakers in service", {}, [this, state] {
                          const int speakers = sim::FindSimEndpoint(gPlaybackLineIds[0]);
                          cardBeforeSuspension_ = Card();
                          // The state's timer, whose turn may come late on a loaded machine,
                          // suspends the tray and closes the window, and later resumes it.
                          sim::SetSimEndpointState(speakers, state);
                          sim::WaitForSimNotifications();
                          PumpUntil([] { return ProfileEditor() == nullptr; }, 5000);
                          Pump(20);
                          suspendedClosed_ = ProfileEditor() == nullptr;
                          sim::SetSimEndpointState(speakers, DEVICE_STATE_ACTIVE);
                          sim::WaitForSimNotifications();
                          PumpUntil([] { return !gDeviceStatePending.load(); }, 5000);
                          Pump(20);
                      }};
            o.kept = true;
            o.closes = true;
            return o;
        }
        case 31: return ProfilesFromOutside();
        default: {
            // Windows' format: its rate and bit depth.
            static const std::uint32_t rates[] = {44100, 48000, 96000};
            const std::uint32_t rate = rates[Pick(3)];
            const std::uint16_t bits = Chance(50) ? 16 : 24;
            Outside o{kMixerSampleRate,
                      {L"cboSystemSampleRate", L"cboBitDepth", L"chkSyncSampleRates", L"cboSampleRate"},
                      [rate, bits] { gAudio->SetDeviceFormat(gPlaybackLineIds[0], rate, bits, 0); }};
            return o;
        }
        }
    }

    // The changes from outside put on the card and Windows: with `ownWindow` within the second
    // after the program's own send, else once it is a second old. `follows`: the window follows
    // the card (a live editor, the real-time window), so the tray's own change shows at once.
    // The registry watcher's post count before the changes when a driver's value changed (its
    // post is to be awaited); nullopt also when the step failed.
    std::optional<unsigned> PutOutside(const std::vector<Outside>& changes, bool ownWindow, bool follows) {
        std::wstring names;
        bool driver = false;
        for (const Outside& o : changes) {
            names += (names.empty() ? L"" : L", ") + o.name;
            driver = driver || o.driver;
        }
        Note((ownWindow && IsSelfChange() ? L"at once from outside: " : L"from outside: ") + names);
        if (!ownWindow && ownClock_) WaitOutOwnChange();
        else if (!ownWindow) gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
        const unsigned posts = registryPosts_;
        const std::map<std::wstring, Bytes> before = Card();
        for (const Outside& o : changes) {
            o.put();
            // A window an earlier change of the meeting closed (the speakers out of service)
            // shows nothing.
            if (o.atOnce && follows && o.shown && ProfileEditor() && !o.shown()) {
                Fail(L"the window does not show " + o.name + L" at once");
                return std::nullopt;
            }
        }
        // The watcher posts a change of the driver's values, the speakers' level among them (not
        // Windows' other mixer values and speakers); the registry takes a value set to what it
        // holds for no change.
        const std::wstring left = MixerValueName(0, 0, 0, 0), right = MixerValueName(0, 0, 1, 0);
        bool changed = false;
        for (const auto& [n, was] : Card())
            changed = changed || (was != before.at(n) && ((driver && !IsMixerValueName(n) && n != L"SystemSpeakers") ||
                                                          n == left || n == right));
        return changed ? std::optional<unsigned>(posts) : std::nullopt;
    }

    // Each change the window shows once the program took it in.
    void CheckOutsideShown(const std::vector<Outside>& changes, bool follows) {
        if (!ProfileEditor()) return Fail(L"the window closed");
        for (const Outside& o : changes)
            if ((follows || o.device) && o.shown && !PumpUntil(o.shown, 1000))
                return Fail(L"the window does not show " + o.name);
    }

    // A change from outside aimed at what the user just changed through `t`: the same value,
    // another part of it (a band, a speaker box, a channel), the same device or format, or an
    // effect hidden beside the one shown.
    Outside AimedOutside(const Target& t) {
        const std::wstring n = t.control->Name();
        const int i = t.control->Index();
        auto among = [&](std::initializer_list<int> kinds) { return *(kinds.begin() + Pick(static_cast<int>(kinds.size()))); };
        // Another part than the user's, `count` parts in all.
        auto other = [&](int count) {
            const int j = Pick(count - 1);
            return i < 0 || j < i ? j : j + 1;
        };
        if (n == L"csliEQ") return OutsideOf(11, other(10));
        if (n == L"optLoadEQPreset" || n == L"cboEQUserProfiles" || n == L"optEQ" || n == L"optEQProfile")
            return OutsideOf(among({5, 11}), Pick(10));
        if (n == L"cboSpeakerSize") return OutsideOf(12, other(4));
        if (n == L"optFlexBass" || n == L"csliCrossover") return OutsideOf(among({6, 12, 13}), Pick(4));
        if (n == L"csliOutputChannel" || n == L"chkPlaybackSet" || n == L"chkPlaybackSetAll" ||
            n == L"cmdResetOutputChannels")
            return OutsideOf(18, Chance(50) && i >= 0 ? i : other(8));
        if (n == L"csliInputLineBalance" || n == L"cmdInputLineBalanceReset")
            return OutsideOf(among({19, 26, 26}), i >= 0 && i < 8 ? i : -1);
        if (n == L"chkRecordMonitor") return OutsideOf(among({3, 27, 27}), i >= 0 && i < 8 ? i : -1);
        if (n == L"csliInputLine" || n == L"chkRecordSet" || n == L"optInputSelect")
            return OutsideOf(among({3, 19, 20, 26, 27}), i >= 0 && i < 8 ? i : -1);
        if (n == L"chkRecordSetAll" || n == L"cmdResetInputLines") return OutsideOf(among({3, 19, 26, 27}));
        if (n == L"csliVolume" || n == L"csliMasterBalance" || n == L"optVolume" || n == L"cmdMasterBalanceReset")
            return OutsideOf(among({4, 8, 21, 25, 25, 29, 30}));
        // The profile's own values: another instance changes the profiles.
        if (n == L"txtShortcut" || n.starts_with(L"cmdIcon") || n == L"chkIgnoreVolumeForProfileValidation" ||
            n == L"chkVolumeChangeOnlyOnDifferentOutput")
            return OutsideOf(31);
        // Another speaker of the layout, or another part of the effect the user changed.
        if (n == L"VSSSpeaker") return OutsideOf(24, Chance(70) ? other(8) : -1, L"VSpeakerPos");
        if (n.find(L"PL2x") != std::wstring::npos || n == L"chkDolby") return OutsideOf(24, -1, L"Pl2xParam");
        if (n.find(L"NEO") != std::wstring::npos || n == L"chkNeo") return OutsideOf(24, -1, L"NeoParam");
        if (n == L"cboSystemSampleRate" || n == L"cboBitDepth" || n == L"chkSyncSampleRates" || n == L"cboSpeakersLayout")
            return OutsideOf(among({22, 23}));
        if (n == L"cboSampleRate") return OutsideOf(among({15, 23}));
        if (n == L"cboAnalogOutput") return OutsideOf(among({0, 2, 16, 17, 28, 30}));
        if (n == L"chkSPDIF" || n == L"cboSPDIFOutput") return OutsideOf(among({0, 2}));
        if (n == L"optAEC") return OutsideOf(among({0, 1, 5, 6}));
        if (n == L"cboStereoUpmix") return OutsideOf(among({7, 22}));
        if (n == L"optSVN") return OutsideOf(14);
        // The effects, their modes and levels, the speaker shifter's layout.
        if (n.starts_with(L"chkDolby") || n.starts_with(L"cboDolby") || n == L"chkVSS" || n == L"chkNeo" ||
            n.find(L"PL2x") != std::wstring::npos || n.find(L"NEO") != std::wstring::npos ||
            n.find(L"VSS") != std::wstring::npos)
            return OutsideOf(among({9, 10, 22}));
        return RandomOutside();
    }

    // The window opened again after the speakers' suspension closed it; `restores`: it was an
    // editor in live mode, whose closing put back the restore point.
    virtual void AfterSuspension(bool restores) = 0;

    // Whether `changes` took the card's speakers out of service and back: while they were out
    // the tray suspended its features and closed the window; the walk opens it again.
    bool Suspended(const std::vector<Outside>& changes, bool restores) {
        if (std::none_of(changes.begin(), changes.end(), [](const Outside& o) { return o.closes; })) return false;
        LetTheRefreshRun();
        if (!suspendedClosed_) Fail(L"the window stayed open while the speakers were out of service");
        else if (ProfileEditor()) Fail(L"the window opened again by itself");
        CloseEditor();
        if (failed_) return true;
        // Alone, the suspension and the return leave the card as it was, but for live mode's
        // way back (checked against the card at live mode's start).
        if (changes.size() == 1 && !restores)
            for (const auto& [n, was] : cardBeforeSuspension_)
                if (GetProfileValue(L"", n) != was)
                    return Fail(L"after the speakers' return " + n + L" is " + BytesToHex(GetProfileValue(L"", n)) +
                                L", was " + BytesToHex(was)),
                           true;
        // What another program set after the speakers' return is its own, not live mode's to put back.
        bool returned = false;
        for (const Outside& o : changes) {
            if (returned)
                std::erase_if(cardAtLive_, [&](const auto& v) {
                    return GroupOf(v.first) == GroupOf(o.name) || (o.name == kMixerSampleRate && v.first == kMixerBitDepth);
                });
            returned = returned || o.closes;
        }
        lateValues_.clear();
        late_.clear();
        AfterSuspension(restores);
        return true;
    }

    // The changes that show only at the next refresh; `refreshed`: one ran after a driver's change.
    void NoteLate(const std::vector<Outside>& changes, bool refreshed) {
        if (refreshed) {
            lateValues_.clear();
            late_.clear();
        }
        for (const Outside& o : changes) {
            if (!o.late) continue;
            lateValues_.insert(o.name);
            late_.insert(late_.end(), o.controls.begin(), o.controls.end());
        }
    }

    // The groups of the values a change from outside moved, as the window follows them while
    // live: the choices they change are the card's, not the user's.
    void NoteFollowed(const std::vector<Outside>& changes) {
        for (const Outside& o : changes) {
            if (o.device) continue;
            // What no window shows stays the profile's; the card no longer holds what live mode sent.
            if (o.kept) {
                movedSinceLive_.insert(GroupOf(o.name));
                continue;
            }
            // Another output brings its speakers, Windows' rate its bit depth, and FlexBass the
            // card's crossover and sizes.
            std::vector<std::wstring> groups{GroupOf(o.name)};
            if (o.name == L"PanelConfig") groups.push_back(L"SpeakerConfig");
            if (o.name == kMixerSampleRate) groups.push_back(kMixerBitDepth);
            if (o.name == L"BassManagement" && FirstByte(GetProfileValue(L"", L"BassManagement")) == 1)
                groups.insert(groups.end(), {L"BassCornerFrequency", L"SpeakerSize"});
            for (const std::wstring& g : groups) {
                followed_.insert(g);
                movedSinceLive_.insert(g);
            }
        }
    }

    // The bits of value `n` (`size` bytes) that the user's change through `next` sets: one part
    // where the control changes one (a band, a box's size, a speaker, an effect's slider or its
    // switch, which any effect's box may turn), else the whole value.
    static Bytes UserParts(const Target& next, const std::wstring& n, std::size_t size) {
        const std::wstring c = next.control->Name();
        const std::vector<Bytes> parts = ValueParts(n, size);
        auto part = [&](int p) {
            return p >= 0 && p < static_cast<int>(parts.size()) ? parts[static_cast<std::size_t>(p)] : Bytes(size, 0xFF);
        };
        if ((n == L"EqGain" && c == L"csliEQ") || (n == L"SpeakerSize" && c == L"cboSpeakerSize") ||
            (n == L"VSpeakerPos" && c == L"VSSSpeaker"))
            return part(next.control->Index());
        if (n == L"Pl2xParam" || n == L"NeoParam") {
            if (c == L"csliPL2xWidth" || c == L"csliNEOWidth") return part(static_cast<int>(GraphPart::Width));
            if (c == L"csliPL2xDepth" || c == L"csliNEODepth") return part(static_cast<int>(GraphPart::Depth));
            if (c.starts_with(L"chk")) return part(static_cast<int>(GraphPart::Switch));
        }
        return Bytes(size, 0xFF);
    }

    // Whether the user's change through `next` may have set value `n` over what another program
    // set (`set`; `now` what the card holds): a part-wise value by the parts the user changed.
    static bool SetByUser(const Target& next, const std::wstring& n, const Bytes& set, const Bytes& now) {
        if (next.control->Name() == L"optAEC") return SetByEchoCancellationsSwitch(n, set, now);
        if (std::find(next.groups.begin(), next.groups.end(), GroupOf(n)) == next.groups.end()) return false;
        if (set.size() != now.size()) return true;
        const Bytes mask = UserParts(next, n, now.size());
        for (std::size_t i = 0; i < now.size(); ++i)
            if (((set[i] ^ now[i]) & ~mask[i]) != 0) return false;
        return true;
    }

    // The master volume and balance are one channel pair: the user's volume drag after another
    // program moved the balance keeps that balance, and a balance drag keeps the volume (the
    // louder channel), within the channels' whole-percent rounding and the balance slider's step
    // of a tenth (the window shows the balance to it, and sends what it shows). `set`: the card
    // after the other program's change. An empty text when kept.
    std::wstring MasterKept(const Target& next, const std::map<std::wstring, Bytes>& before,
                            const std::map<std::wstring, Bytes>& set) {
        const std::wstring left = MixerValueName(0, 0, 0, 0), right = MixerValueName(0, 0, 1, 0);
        const std::wstring c = next.control->Name();
        if (!set.count(left) || !set.count(right) || (set.at(left) == before.at(left) && set.at(right) == before.at(right)) ||
            (c != L"csliVolume" && c != L"csliMasterBalance"))
            return L"";
        const double l = FirstByte(set.at(left)), r = FirstByte(set.at(right));
        const double l2 = FirstByte(GetProfileValue(L"", left)), r2 = FirstByte(GetProfileValue(L"", right));
        const double loud = std::max(l, r), loud2 = std::max(l2, r2);
        const std::wstring was = L" (" + std::to_wstring(int(l)) + L"/" + std::to_wstring(int(r)) + L" set, " +
                                 std::to_wstring(int(l2)) + L"/" + std::to_wstring(int(r2)) + L" now)";
        if (c == L"csliMasterBalance")
            return std::abs(loud2 - loud) <= 1 ? L"" : L"the balance drag lost another program's volume" + was;
        if (loud < 2 || loud2 < 1) return L"";
        // The quieter channel against the louder, as the other program left them.
        const double quiet = std::min(l, r), quiet2 = l < r ? l2 : r < l ? r2 : std::min(l2, r2);
        const double low = loud2 * std::max(0.0, (quiet - 0.5) / (loud + 0.5) - 0.05) - 1;
        const double high = loud2 * ((quiet + 0.5) / (loud - 0.5) + 0.05) + 1;
        return quiet2 >= low && quiet2 <= high ? L"" : L"the volume drag lost another program's balance" + was;
    }

    // The user's change and another program's meet: a change aimed at what the user just changed
    // comes within the second after the user's send, and maybe the user changes the same
    // controls again, within that second or after the program took the change in. What the other
    // program set stays on the card, but where the user's later change set it, and the window
    // shows it.
    void MeetingStep() {
        const Target& t = targets_[static_cast<std::size_t>(Pick(static_cast<int>(targets_.size())))];
        if (!Act(t, false) || !IsSelfChange()) return;
        sim::WaitForSimNotifications();
        Pump(20);
        if (!ProfileEditor()) return Fail(L"the window closed");
        const std::map<std::wstring, Bytes> before = Card();
        const bool restores = !Ed().RealTimeMode();
        // A change that moved nothing on the card (a device's state, the mute, a code the card
        // already held) meets nothing: another is aimed, while the second lasts.
        std::vector<Outside> changes;
        std::optional<unsigned> posts;
        std::map<std::wstring, Bytes> set;
        for (int aim = 0; aim < 4 && (aim == 0 || (set == before && IsSelfChange())); ++aim) {
            changes.push_back(Chance(80) ? AimedOutside(t) : RandomOutside());
            const std::optional<unsigned> put = PutOutside({changes.back()}, true, true);
            if (failed_) return;
            if (Suspended({changes.back()}, restores)) return;
            if (!posts) posts = put;
            set = Card();
        }
        const Target* next = nullptr;
        if (Chance(60)) {
            if (Chance(50)) LetTheRefreshRun(posts);
            std::vector<const Target*> siblings;
            for (const Target& s : targets_)
                if (s.control->Name() == t.control->Name()) siblings.push_back(&s);
            const Target* s = siblings[static_cast<std::size_t>(Pick(static_cast<int>(siblings.size())))];
            if (ProfileEditor() && Act(*s, false)) next = s;
        }
        if (failed_ || !ProfileEditor()) return;
        LetTheRefreshRun(posts);
        NoteLate(changes, posts.has_value());
        // A change aimed again at the same value stands for the one before it.
        std::vector<Outside> last;
        for (auto c = changes.rbegin(); c != changes.rend(); ++c)
            if (std::none_of(last.begin(), last.end(), [&](const Outside& o) { return o.name == c->name; }))
                last.push_back(*c);
        CheckOutsideShown(last, true);
        if (failed_) return;
        NoteFollowed(changes);
        if (next)
            if (const std::wstring lost = MasterKept(*next, before, set); !lost.empty()) return Fail(lost);
        for (const auto& [n, v] : set) {
            const Bytes now = GetProfileValue(L"", n);
            if (v == before.at(n) || now == v || (next && SetByUser(*next, n, v, now))) continue;
            return Fail(L"another program's " + n + L" " + BytesToHex(v) + L" is lost: the card holds " +
                        BytesToHex(now));
        }
    }

    // ---- The user's steps ----

    // The target changed to another value; with `undo`, chosen back again. False when the control
    // takes no such change now.
    bool Act(const Target& t, bool undo) {
        if (t.tab >= 0) {
            // A locked page can't be reached.
            const Control& tab = *Ed().imgTab[static_cast<std::size_t>(t.tab)];
            if (!tab.Enabled() || !tab.Visible()) return false;
            Ed().imgTab_Click(t.tab);
        }
        if (!UserChanges(*t.control, PickFn(), undo, NoteFn())) return false;
        if (!undo) chosen_.insert(t.groups.begin(), t.groups.end());
        return true;
    }

    // The percentage of the steps that turn the wheel: more where the window scrolls.
    static int WheelShare() { return InDpiChild() ? 16 : 4; }

    // The wheel turned a notch with the pointer over a control in sight: a list or a slider,
    // maybe disabled, or any other control; the focus on that control (an editable list's edit
    // part, the pointer then maybe over its drop button), on another control or on the window
    // itself. In a window that scrolls the wheel turns the window, and changes nothing, unless
    // the control under the pointer has the focus; that control, or in a window that doesn't
    // scroll any enabled control under the pointer, takes it as the user's choice.
    bool WheelStep() {
        frmProfile& e = Ed();
        // As often over an editable list, a list, a slider or another control.
        const int kind = Pick(4);
        std::vector<const Target*> places;
        for (const Target& t : targets_) {
            const auto* box = dynamic_cast<ComboBox*>(t.control);
            const int k = box ? (box->EditWindow() ? 0 : 1) : dynamic_cast<Slider*>(t.control) ? 2 : 3;
            if (t.tab != -1 && k == kind) places.push_back(&t);
        }
        if (places.empty()) return false;
        const Target& t = *places[static_cast<std::size_t>(Pick(static_cast<int>(places.size())))];
        if (t.tab >= 0) {
            const Control& tab = *e.imgTab[static_cast<std::size_t>(t.tab)];
            if (!tab.Enabled() || !tab.Visible()) return false;
            e.imgTab_Click(t.tab);
        }
        Control& c = *t.control;
        if (c.Window() && !::IsWindowVisible(c.Window()) && OpenPanelOf(c)) Note(Key(c) + L": its panel opened");
        if (!c.Window() || !::IsWindowVisible(c.Window())) return false;
        auto* box = dynamic_cast<ComboBox*>(&c);
        // An editable list (the user's layouts or gain profiles) is made usable first by its option.
        OptionButton* opener = &c == e.cboVSSUserLayouts ? e.optVSSLayout[1] : &c == e.cboEQUserProfiles ? e.optEQProfile[1]
                                                                                                         : nullptr;
        if (opener && !c.Enabled() && User::ChooseOption(*opener)) {
            Note(Key(*opener) + L" chosen");
            chosen_.insert(t.groups.begin(), t.groups.end());
        }
        auto* slider = dynamic_cast<Slider*>(&c);
        // The part a click gives the focus to, and the one the pointer is over.
        HWND part = slider && slider->Bar().hWnd() ? slider->Bar().hWnd() : box && box->EditWindow() ? box->EditWindow()
                                                                                                      : c.Window();
        const bool takes = (box || slider) && c.Enabled();
        const int focus = takes ? Pick(3) : 1 + Pick(2);  // 0 the control, 1 another, 2 the window
        const bool button = focus == 0 && box && box->EditWindow() && Chance(50);
        HWND over = button ? c.Window() : part;
        e.ScrollIntoView(over);
        Pump(20);
        RECT r{};
        ::GetWindowRect(over, &r);
        const POINT at{button ? r.right - 4 : (r.left + r.right) / 2, (r.top + r.bottom) / 2};
        // Covered by another window or out of the client area: the user can't point at it.
        if (c.Enabled() && ::WindowFromPoint(at) != over) return false;
        HWND other = (e.cmdCancel->Window() != part ? e.cmdCancel : e.cmdAnalogOutputSettings)->Window();
        ::SetFocus(focus == 0 ? part : focus == 1 ? other : e.hWnd());
        Pump(20);
        const bool scrolls = (::GetWindowLongW(e.hWnd(), GWL_STYLE) & WS_VSCROLL) != 0;
        scrolled_ += scrolls ? 1 : 0;
        const int top = e.ScrollTop();
        const int notch = scrolls && focus != 0 ? (top == 0 ? -1 : 1) : Chance(50) ? -1 : 1;
        Note(L"wheel " + std::wstring(notch < 0 ? L"down" : L"up") + L" over " + Key(c) +
             (button ? L"'s drop button" : L"") + (c.Enabled() ? L"" : L", disabled") +
             (focus == 0 ? L", focused" : focus == 1 ? L", another control focused" : L", the window focused") +
             (scrolls ? L"; the window scrolls" : L""));
        ShowLateValues();
        const State held = Held(e);
        const std::map<std::wstring, Bytes> card = Card();
        kaltest::DialogAnswerer answers;
        answers.button = IDYES;
        answers.Run([&] {
            TurnWheel(at, notch);
            PumpUntil([&] { return !ProfileEditor() || e.ScrollTop() != top || Held(e) != held; }, 400,
                      FormDialogMessage);
            Pump(20);
        });
        if (!ProfileEditor()) return Fail(L"the window closed"), true;
        const bool turnsWindow = scrolls && focus != 0;
        const std::wstring changed = Differences(held, Held(e), {});
        if (turnsWindow && e.ScrollTop() == top) return Fail(L"the wheel didn't turn the window"), true;
        if (!turnsWindow && e.ScrollTop() != top) return Fail(L"the wheel turned the window, not " + Key(c)), true;
        if ((turnsWindow || !c.Enabled()) && !changed.empty())
            return Fail(L"the wheel over " + Key(c) + L" changed" + changed), true;
        if (turnsWindow || !c.Enabled()) {
            for (const auto& [n, was] : card)
                if (GetProfileValue(L"", n) != was) return Fail(L"the wheel sent " + n + L" to the card"), true;
        } else if (!changed.empty()) {
            chosen_.insert(t.groups.begin(), t.groups.end());
        }
        return true;
    }

    // The user's keyboard: a control focused as a click or Tab focuses it, then a key through the
    // system's input, which the form's dialog manager and the control handle as in the program's
    // loop: a slider's arrows, pages, Home and End, or a click on its channel (a page); a list's
    // arrows, pages, Home and End; Space on a box; an option's arrows or Space; Space or Enter on
    // a button; now and then Tab either way, Escape, Enter off a button or a frame's mnemonic,
    // which only move the focus. A change is the focused control's (an option the focus lands
    // on is chosen): its groups are the user's choice, and the checks after the step hold
    // everything else to what it was.
    bool KeyStep() {
        frmProfile& e = Ed();
        const Target& t = targets_[static_cast<std::size_t>(Pick(static_cast<int>(targets_.size())))];
        Control& c = *t.control;
        auto* slider = dynamic_cast<Slider*>(&c);
        auto* box = dynamic_cast<ComboBox*>(&c);
        auto* option = dynamic_cast<OptionButton*>(&c);
        const bool button = dynamic_cast<CommandButton*>(&c) != nullptr;
        if (t.tab == -1 || (!slider && !box && !option && !button && !dynamic_cast<CheckBox*>(&c))) return false;
        if (t.tab >= 0) {
            const Control& tab = *e.imgTab[static_cast<std::size_t>(t.tab)];
            if (!tab.Enabled() || !tab.Visible()) return false;
            e.imgTab_Click(t.tab);
        }
        if (!User::CanAct(c) && OpenPanelOf(c)) Note(Key(c) + L": its panel opened");
        if (!User::CanAct(c)) return false;
        // An option group is entered at its chosen option.
        Control* focus = &c;
        if (option)
            for (Control* o : c.Parent().Controls())
                if (auto* other = dynamic_cast<OptionButton*>(o);
                    other && other->Name() == c.Name() && other->Value() && User::CanAct(*other))
                    focus = other;
        HWND part = slider && slider->Bar().hWnd() ? slider->Bar().hWnd()
                    : box && box->EditWindow()     ? box->EditWindow()
                                                   : focus->Window();
        struct Press { WORD vk; bool shift, alt, moves; const wchar_t* name; };
        static constexpr Press kSlider[] = {{VK_LEFT, 0, 0, 0, L"Left"},  {VK_RIGHT, 0, 0, 0, L"Right"},
                                            {VK_UP, 0, 0, 0, L"Up"},      {VK_DOWN, 0, 0, 0, L"Down"},
                                            {VK_PRIOR, 0, 0, 0, L"PgUp"}, {VK_NEXT, 0, 0, 0, L"PgDn"},
                                            {VK_HOME, 0, 0, 0, L"Home"},  {VK_END, 0, 0, 0, L"End"},
                                            {0, 0, 0, 0, L"a click on the channel"}};
        static constexpr Press kList[] = {{VK_UP, 0, 0, 0, L"Up"},     {VK_DOWN, 0, 0, 0, L"Down"},
                                          {VK_PRIOR, 0, 0, 0, L"PgUp"}, {VK_NEXT, 0, 0, 0, L"PgDn"},
                                          {VK_HOME, 0, 0, 0, L"Home"},  {VK_END, 0, 0, 0, L"End"}};
        static constexpr Press kOption[] = {{VK_UP, 0, 0, 0, L"Up"},     {VK_DOWN, 0, 0, 0, L"Down"},
                                            {VK_LEFT, 0, 0, 0, L"Left"}, {VK_RIGHT, 0, 0, 0, L"Right"},
                                            {VK_SPACE, 0, 0, 0, L"Space"}};
        static constexpr Press kButton[] = {{VK_SPACE, 0, 0, 0, L"Space"}, {VK_RETURN, 0, 0, 0, L"Enter"}};
        static constexpr Press kBox[] = {{VK_SPACE, 0, 0, 0, L"Space"}};
        // Keys that move the focus and choose nothing: Enter off a button does nothing either.
        static constexpr Press kMove[] = {{VK_TAB, 0, 0, 1, L"Tab"},         {VK_TAB, 1, 0, 1, L"Shift+Tab"},
                                          {VK_ESCAPE, 0, 0, 1, L"Escape"},   {VK_RETURN, 0, 0, 1, L"Enter"},
                                          {'A', 0, 1, 1, L"Alt+A"},          {'D', 0, 1, 1, L"Alt+D"},
                                          {'E', 0, 1, 1, L"Alt+E"},          {'N', 0, 1, 1, L"Alt+N"}};
        auto among = [&](const auto& presses) { return presses[Pick(static_cast<int>(std::size(presses)))]; };
        Press press = Chance(20) ? among(kMove)
                      : slider   ? among(kSlider)
                      : box      ? among(kList)
                      : option   ? among(kOption)
                      : button   ? among(kButton)
                                 : among(kBox);
        if (press.moves && button && press.vk == VK_RETURN) press = kMove[0];
        // The frames' mnemonics are the Output page's.
        if (press.alt && press.vk != 'N' && t.tab != 0) return false;
        e.ScrollIntoView(part);
        Pump(20);
        POINT at{};
        if (press.vk == 0) {
            // A point of the channel beside the thumb, in sight.
            RECT channel{}, thumb{};
            ::SendMessageW(part, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
            ::SendMessageW(part, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            const bool vertical = (::GetWindowLongW(part, GWL_STYLE) & TBS_VERT) != 0;
            // A vertical bar's channel rectangle comes across (x and y swapped).
            if (vertical) channel = {channel.top, channel.left, channel.bottom, channel.right};
            const int from = vertical ? channel.top : channel.left, to = vertical ? channel.bottom : channel.right;
            const int lo = vertical ? thumb.top : thumb.left, hi = vertical ? thumb.bottom : thumb.right;
            std::vector<int> spots;
            if (lo - from > 4) spots.push_back((from + lo) / 2);
            if (to - hi > 4) spots.push_back((hi + to) / 2);
            if (spots.empty()) return false;
            const int spot = spots[static_cast<std::size_t>(Pick(static_cast<int>(spots.size())))];
            at = vertical ? POINT{(thumb.left + thumb.right) / 2, spot} : POINT{spot, (thumb.top + thumb.bottom) / 2};
            ::ClientToScreen(part, &at);
            if (::WindowFromPoint(at) != part) return false;
        }
        Note(L"key " + std::wstring(press.name) + L" on " + Key(*focus));
        ShowLateValues();
        const State held = Held(e);
        const std::map<std::wstring, Bytes> card = Card();
        kaltest::DialogAnswerer answers;
        answers.button = Chance(50) ? IDYES : IDNO;
        answers.fileName = SourceTreePath(KALVENOR_SOURCE_DIR, "resources/icons/kv_mute.ico");
        answers.Run([&] {
            ::SetForegroundWindow(e.hWnd());
            ::SetFocus(part);
            PumpForms(20);
            if (press.vk == 0) {
                ClickScreen(at);
                PumpForms(150);
            } else if (press.alt) {
                PressKey(press.vk, {VK_MENU});
            } else if (press.shift) {
                PressKey(press.vk, {VK_SHIFT});
            } else {
                PressKey(press.vk);
            }
        });
        if (!ProfileEditor()) return Fail(L"the key closed the window"), true;
        // A button the key pressed made its choice, as a click makes it (an icon, a list entry).
        if (button && !press.moves) chosen_.insert(t.groups.begin(), t.groups.end());
        const std::wstring changed = Differences(held, Held(e), {});
        // The control that has the focus now took the key.
        const HWND now = ::GetFocus();
        const Target* chosen = nullptr;
        for (const Target& x : targets_)
            if (x.control->Window() && (x.control->Window() == now || ::IsChild(x.control->Window(), now))) chosen = &x;
        if (changed.empty()) {
            // A key on a list or a box that leaves it as it was chooses what it shows again (a
            // "Don't Change" puts back what live mode found); any other key sends nothing.
            const bool again = chosen && chosen->control == focus && !press.moves && !slider;
            for (const auto& [n, was] : card)
                if (GetProfileValue(L"", n) != was && !again)
                    return Fail(L"the key sent " + n + L" and the window shows no change; the focus is on " +
                                (chosen ? Key(*chosen->control) : L"no choice")), true;
            if (again) chosen_.insert(chosen->groups.begin(), chosen->groups.end());
            return true;
        }
        const bool clicksOption = chosen && dynamic_cast<OptionButton*>(chosen->control);
        if (!chosen || (press.moves && !clicksOption))
            return Fail(L"the key changed" + changed + (chosen ? L"" : L"\n with no choice focused")), true;
        Note(L"    " + Key(*chosen->control) + L" took it");
        if (!std::getenv("SLIP")) chosen_.insert(chosen->groups.begin(), chosen->groups.end());
        return true;
    }

    // A button pressed by the mouse or by its mnemonic (Alt and its caption's marked letter).
    void Press(CommandButton& b) {
        const std::wstring caption = b.Caption();
        const std::size_t mark = caption.find(L'&');
        if (Chance(60) || mark == std::wstring::npos || mark + 1 >= caption.size()) {
            User::Click(b);
            return;
        }
        const auto mnemonic = static_cast<WORD>(std::towupper(caption[mark + 1]));
        Note(std::wstring(L"    by Alt+") + static_cast<wchar_t>(mnemonic));
        ::SetForegroundWindow(Ed().hWnd());
        PressKey(mnemonic, {VK_MENU});
    }

    // The profile's name given as the user gives it: set in the box, or typed over it key by key
    // once its label's mnemonic (Alt+N) gave it the focus, now and then with a character names
    // can't hold, which the box drops.
    void GiveName(const std::wstring& name) {
        frmProfile& e = Ed();
        if (Chance(60)) {
            e.txtProfileName->SetText(name);
            return;
        }
        std::wstring keys = name;
        if (Chance(50)) keys.insert(static_cast<std::size_t>(Pick(static_cast<int>(keys.size()) + 1)), 1, L"\\/&?*"[Pick(5)]);
        Note(L"name typed: " + keys);
        ::SetForegroundWindow(e.hWnd());
        PressKey('N', {VK_MENU});
        if (::GetFocus() != e.txtProfileName->Window()) {
            wchar_t cls[64] = L"", text[64] = L"";
            ::GetClassNameW(::GetFocus(), cls, 64);
            ::GetWindowTextW(::GetFocus(), text, 64);
            return Fail(L"Alt+N does not reach the name box; the focus is on " + std::wstring(cls) + L" \"" + text +
                        L"\", the foreground " + (::GetForegroundWindow() == e.hWnd() ? L"the editor" : L"another window"));
        }
        PressKey(VK_HOME);
        PressKey(VK_END, {VK_SHIFT});
        std::vector<INPUT> typed;
        for (const wchar_t ch : keys)
            for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
                INPUT in{};
                in.type = INPUT_KEYBOARD;
                in.ki.wScan = ch;
                in.ki.dwFlags = KEYEVENTF_UNICODE | up;
                typed.push_back(in);
            }
        ::SendInput(static_cast<UINT>(typed.size()), typed.data(), sizeof(INPUT));
        PumpForms([&] { return e.txtProfileName->Text() == name; }, 1000);
        if (e.txtProfileName->Text() != name)
            Fail(L"typed \"" + keys + L"\", the name box shows \"" + e.txtProfileName->Text() + L"\"");
    }

    // The user closes the window by its Cancel (Close) button, by its mnemonic or its close box.
    void UserCloses() {
        frmProfile& e = Ed();
        if (Chance(50)) {
            Note(L"Cancel pressed");
            Press(*e.cmdCancel);
        } else {
            Note(L"close box");
            ::SendMessageW(e.hWnd(), WM_CLOSE, 0, 0);
        }
        if (ProfileEditor()) Fail(L"the window stayed open");
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
            // A chosen gain saves its panel with it.
            targets.push_back(
                {HpImpedanceDialog()->cboHpAmp, {HpImpedanceValueName(Ed().PanelConfig()), L"PanelConfig"}, -1});
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
        ShowLateValues();
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

    // What echo cancellation's Enable sets, which its end may put back: the output, Windows'
    // channels, each effect's switch, the equalizer's and FlexBass's. Another program's change of
    // any other value or part stays through either.
    static bool SetByEchoCancellationsSwitch(const std::wstring& n, const Bytes& set, const Bytes& now) {
        static const std::set<std::wstring> sets{L"AEC",       L"SystemSpeakers", L"PanelConfig",  L"SpeakerConfig",
                                                 L"DHEnable",  L"DVSEnable",      L"EnableXear3D", L"EqEnable",
                                                 L"BassManagement"};
        if (n == L"Pl2xParam" || n == L"NeoParam") {
            const std::vector<Bytes> parts = ValueParts(n, now.size());
            for (std::size_t p = 0; p < parts.size(); ++p)
                if (p != static_cast<std::size_t>(GraphPart::Switch) && PartDiffers(set, now, parts[p])) return false;
            return true;
        }
        return sets.count(n) != 0;
    }

    // The card's master volume as the editor's slider shows it.
    static bool ShowsMasterVolume(frmProfile& e) {
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 0, 0, L"");
        return e.csliVolume->Value() == static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(volume)));
    }

    // "" when recording line `j`'s sliders show the card's level and balance, or the row is out.
    std::wstring LineShownAsCard(int j) {
        frmProfile& e = Ed();
        if (!e.chkRecordSet[j]->Enabled() || e.chkRecordSet[j]->Value() != 1) return L"";
        Currency volume = 0, balance = 0;
        GetProfileVolumeBalance(volume, balance, 1, j, L"");
        const bool stereo = e.csliInputLineBalance[j]->Tag() == L"2";
        if (!stereo) {
            Currency left = 0, right = 0;
            ChannelsBalance(left, right, volume, balance, true);
            volume = left;
        }
        // The channels hold whole percents: a balance step either way is the same, and at the
        // lowest levels they hold no tenth of a balance.
        if (std::abs(e.csliInputLine[j]->Value() - Whole(volume)) <= 1 &&
            (!stereo || std::abs(e.csliInputLineBalance[j]->Value() - Whole(balance * 10)) <= (Whole(volume) < 10 ? 20 : 1)))
            return L"";
        return L"live: recording line " + std::to_wstring(j) + L" shows " + std::to_wstring(e.csliInputLine[j]->Value()) +
               L", balance " + std::to_wstring(e.csliInputLineBalance[j]->Value()) + L"; the card's are " +
               std::to_wstring(Whole(volume)) + L", " + std::to_wstring(Whole(balance * 10));
    }

    void CheckLiveCard() {
        if (!Live()) return;
        frmProfile& e = Ed();
        const bool aec = OptionSelected(e.optAEC, 1);
        const State saved = Saved(e);
        for (const std::wstring& n : cardNames_) {
            const std::wstring g = GroupOf(n);
            // The user's choices reached the card; what another program changed since is shown.
            if (!followed_.count(g) && (!chosen_.count(g) || movedSinceLive_.count(g))) continue;
            // A change no notification tells of shows at the next refresh.
            if (lateValues_.count(g) || (aec && SetByEchoCancellation(n))) continue;
            // A recording line another program moved shows its level and balance at the sliders'
            // steps, which Save writes (the user's own drag since sends what they show): compared
            // by the sliders.
            if (const auto ref = IsMixerValueName(n) ? ParseMixerValueName(n) : std::nullopt;
                ref && ref->flow == 1 && ref->control == 0 && followed_.count(g)) {
                if (const std::wstring shown = LineShownAsCard(ref->line); !shown.empty()) return Fail(shown);
                continue;
            }
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
    // `saved`, by the rules the real-time walk shares (ShowsAsCard); with `live`, the stored
    // bytes chosen back count as shown (live mode sent the controls' value).
    bool ShowsAsOnCard(const std::wstring& n, const State& saved, const std::wstring& card, bool live) {
        // The master volume has rules of its own ("Use last"); Windows' rate kept in step with
        // the card's is kept aside, not shown.
        if (GroupOf(n) == MixerValueName(0, 0, 0, 0) || (n == kMixerSampleRate && Ed().chkSyncSampleRates->Value() == 1))
            return true;
        const auto w = saved.find(n);
        if (w == saved.end()) return true;
        // Chosen back as stored, Save writes the stored bytes, which the controls may not
        // show exactly (a level between the slider's steps, a band past its end).
        if (const auto s = stored_.find(n); live && s != stored_.end() && s->second == w->second && profile_.size())
            return true;
        // The editor of a profile keeps its crossover aside while FlexBass is off.
        if (n == L"BassCornerFrequency" && !Ed().csliCrossover->Enabled()) return true;
        return ShowsAsCard(Ed(), n, saved, HexToBytes(card));
    }

    void Expect(Control& c, bool usable) {
        if (!failed_ && c.Enabled() != usable)
            Fail(Key(c) + (usable ? L" is disabled, though the user can use it" : L" is enabled, though unusable"));
    }

    // A user list's Add while a name is typed that the list doesn't select, its Delete while
    // one is selected; neither while the list itself is off.
    void ExpectUserListButtons(ComboBox& list, Control& add, Control& remove, bool usable) {
        Expect(list, usable);
        Expect(add, usable && list.ListIndex() < 0 && !list.Text().empty());
        Expect(remove, usable && list.ListIndex() >= 0);
    }

    // The controls that follow the user's own choices, wherever they stand (a locked page, a
    // collapsed panel): a choice's controls are usable while it is made.
    void CheckEnabledByChoice() {
        frmProfile& e = Ed();
        auto expectAll = [&](const std::vector<Control*>& controls, bool usable) {
            for (Control* c : controls) Expect(*c, usable);
        };
        // ProLogic IIx and NEO:PC: the mode buttons while the effect is on, and in Music Mode
        // the width and depth (Movie Mode hides them at its fixed levels); Reset is always offered.
        struct Graph {
            CheckBox* box;
            std::array<OptionButton*, 2> modes;
            std::vector<Control*> levels;
            Control* reset;
        };
        for (const Graph& g :
             {Graph{e.chkDolby, {e.optPL2xMode[0], e.optPL2xMode[1]},
                    {e.csliPL2xWidth, e.csliPL2xDepth, e.lblPL2xWidthNarrow, e.lblPL2xWidthWide,
                     e.lblPL2xDepthFront, e.lblPL2xDepthRear},
                    e.cmdResetPL2xGraphSliders},
              Graph{e.chkNeo, {e.optNEOMode[0], e.optNEOMode[1]},
                    {e.csliNEOWidth, e.csliNEODepth, e.lblNEOWidthNarrow, e.lblNEOWidthWide, e.lblNEODepthFront,
                     e.lblNEODepthRear},
                    e.cmdResetNEOGraphSliders}}) {
            const bool on = g.box->Value() == 1;
            expectAll({g.modes[0], g.modes[1]}, on);
            if (g.modes[0]->Value()) expectAll(g.levels, on);
            Expect(*g.reset, true);
        }
        // The shifter's layout: presets and user layouts while the profile sets it ("Set To:");
        // the choice itself, the speakers and the distance buttons always.
        const bool layout = OptionSelected(e.optVSSLayout, 1);
        expectAll({e.optLoadVSSPreset[0], e.optLoadVSSPreset[1], e.lblVSSPresets}, layout);
        ExpectUserListButtons(*e.cboVSSUserLayouts, *e.cmdVSSUserLayoutAdd, *e.cmdVSSUserLayoutDelete, layout);
        expectAll({e.optVSSLayout[0], e.optVSSLayout[1], e.cmdVSSSpeakerDistance[0], e.cmdVSSSpeakerDistance[1]}, true);
        for (Control* speaker : e.VSSSpeaker) Expect(*speaker, true);
        // The gains, their presets and user profiles while the profile sets them ("Set To:").
        const bool gains = OptionSelected(e.optEQProfile, 1);
        for (Control* c : e.csliEQ) Expect(*c, gains);
        for (Control* c : e.optLoadEQPreset) Expect(*c, gains);
        ExpectUserListButtons(*e.cboEQUserProfiles, *e.cmdEQUserProfileAdd, *e.cmdEQUserProfileDelete, gains);
        // The crossover while FlexBass is on.
        expectAll({e.csliCrossover, e.lblCrossoverValue, e.lblLTECrossoverFrequency}, OptionSelected(e.optFlexBass, 1));
        // The master volume and balance while the profile sets them ("Set to:").
        expectAll({e.csliVolume, e.csliMasterBalance, e.cmdMasterBalanceReset, e.chkVolumeChangeOnlyOnDifferentOutput,
                   e.lblMasterVolume, e.lblMasterVolumeDB, e.lblMasterBalanceL, e.lblMasterBalanceR},
                  OptionSelected(e.optVolume, 1));
        // Choices always open: the volume's and Smart Volume's, the equalizer's state and gain
        // choice, FlexBass, echo cancellation, the S/PDIF switch and Windows' speakers.
        auto open = [&](const auto& options) {
            for (Control* o : options)
                if (o) Expect(*o, true);
        };
        open(e.optVolume), open(e.optSVN), open(e.optEQ), open(e.optEQProfile), open(e.optFlexBass), open(e.optAEC);
        // Echo cancellation's Enable holds the Output and Equalizer pages; a live editor shows
        // another program's on pages it leaves open (following the card chooses nothing).
        if (e.RealTimeMode() || !followed_.count(L"AEC")) expectAll({e.imgTab[0], e.imgTab[2]}, !OptionSelected(e.optAEC, 1));
        expectAll({e.chkIgnoreVolumeForProfileValidation, e.chkSPDIF, e.cboSpeakersLayout, e.imgTab[1]}, true);
        // Windows' format (not on XP, which has none to set): the rate while it isn't kept with
        // the card's.
        expectAll({e.cboBitDepth, e.lblSystemPlayBackQuality}, !gIsXP);
        Expect(*e.cboSystemSampleRate, !gIsXP && e.chkSyncSampleRates->Value() != 1);
        // The sync while the card's rate is one the profile sets (the real-time window's always is).
        if (e.cboSampleRate->ListIndex() >= 0)
            Expect(*e.chkSyncSampleRates, !gIsXP && (e.cboSampleRate->ListIndex() != 0 || e.RealTimeMode()));
        // The icon's Delete and overlay while the profile has an icon.
        expectAll({e.cmdIconDelete, e.chkVolumeOverlay}, !e.IconFile().empty());
        // A recording row's level, monitoring and custom controls while its device is in service
        // and the row is set; its balance only for a two-channel line.
        for (int j = 0; j < 8; ++j) {
            const std::wstring& id = gInputLineIds[static_cast<std::size_t>(j)];
            if (id.empty()) continue;
            Expect(*e.chkRecordSet[j], LineActive(j));
            Expect(*e.optInputSelect[j], LineActive(j));
            const bool set = LineActive(j) && e.chkRecordSet[j]->Value() == 1;
            expectAll({e.csliInputLine[j], e.chkRecordMonitor[j], e.cmdRecordExtraOptions[j], e.lblInputLineVolume[j],
                       e.lblInputLineVolumeDB[j], e.lblInputLineBalanceL[j], e.lblInputLineBalanceR[j]},
                      set);
            expectAll({e.csliInputLineBalance[j], e.cmdInputLineBalanceReset[j]}, set && StereoLine(j));
        }
    }

    // Each control is enabled exactly when the user can use it: a Dolby mode list while its
    // effect's box is on, the S/PDIF format list while the S/PDIF box is on, a playback row
    // where the output has its channel, and its slider while the row is set.
    void CheckEnabled() {
        frmProfile& e = Ed();
        auto expect = [&](Control& c, bool usable) { Expect(c, usable); };
        auto on = [](CheckBox& box) { return box.Enabled() && box.Value() == 1; };
        CheckEnabledByChoice();
        // The Output page's effects while the user can reach it (echo cancellation's lock holds it).
        const bool outputPage = e.imgTab[0]->Enabled();
        if (outputPage) {
            for (Control* c : ControlList{e.cboDolbyHeadphonesMode, e.lblDolbyHeadphonesMode})
                expect(*c, on(*e.chkDolbyHeadphones));
            for (Control* c : ControlList{e.cboDolbyVirtualSpeakerMode, e.lblDolbyVirtualSpeakerMode})
                expect(*c, on(*e.chkDolbyVirtualSpeaker));
        }
        expect(*e.cboSPDIFOutput, on(*e.chkSPDIF));
        // The effect boxes: a box where the output offers its effect, or runs it under a Dolby
        // virtualizer (code 2) while that virtualizer is on.
        const std::array<CheckBox*, 5> effects{e.chkDolbyVirtualSpeaker, e.chkDolbyHeadphones, e.chkVSS, e.chkDolby,
                                               e.chkNeo};
        const std::wstring output = e.Output();
        // A digital format the list lacks (another card's) is the editor's own to know.
        if (output.size() != 4 || (e.chkSPDIF->Value() == 1 && e.cboSPDIFOutput->ListIndex() < 0)) return;
        const Bytes spdif{
            static_cast<std::uint8_t>(e.chkSPDIF->Value() == 1 ? SelectedItemData(*e.cboSPDIFOutput) : 0)};
        const bool encoded = spdif[0] != 0 && spdif[0] != 2;
        const std::wstring mode = !encoded ? output.substr(2) : spdif[0] == 16 ? L"Dolby" : L"DTS";
        const bool virtualizer = on(*e.chkDolbyVirtualSpeaker) || on(*e.chkDolbyHeadphones);
        // An encoded digital format is the output: the analog list is off.
        if (encoded) expect(*e.cboAnalogOutput, false);
        // Stereo upmix where the output offers it, for two channels while Windows' layout is left
        // as it is (or stereo).
        const int upmix = EffectBehavior(L"SUM", e.cboSpeakersLayout->ListIndex() == 0 ? 2 : e.Speakers(), mode);
        expect(*e.cboStereoUpmix, upmix == 3 || upmix == 4);
        const wchar_t* const names[] = {L"DVS", L"DH", L"VSS", L"PL2X", L"NEO"};
        for (std::size_t i = 0; i < effects.size() && outputPage; ++i) {
            const int b = EffectBehavior(names[i], e.Speakers(), mode);
            const bool usable = b == 3 || b == 4 || (i >= 2 && b == 2 && virtualizer);
            if (effects[i]->Enabled() != usable)
                Note(std::wstring(L"    ") + names[i] + L" code " + std::to_wstring(b) + L", mode " + mode + L", " +
                     std::to_wstring(e.Speakers()) + L" speakers");
            expect(*effects[i], usable);
        }
        // The rows belong to the profile's output: under echo cancellation's lock, or while the
        // card's list lacks it, the list doesn't show it.
        if (OptionSelected(e.optAEC, 1) || SelectedItemData(*e.cboAnalogOutput, -1) != std::stoi(output, nullptr, 16))
            return;
        const int channels =
            SpeakerChannelCount(EncodeCode(static_cast<std::uint8_t>(std::stoi(output.substr(2), nullptr, 16))), &spdif)
                .value_or(0);
        for (int i = 0; i < 8; ++i) {
            const bool available = IsChannelAvailable(i, channels);
            expect(*e.chkPlaybackSet[i], available);
            for (Control* c : ControlList{e.csliOutputChannel[i], e.lblOutputChannelVolume[i],
                                          e.lblOutputChannelVolumeDB[i], e.lblOutputChannelCaption[i]})
                expect(*c, available && e.chkPlaybackSet[i]->Value() == 1);
        }
        // A size box while FlexBass is on and the output has its speakers: front, centre, rear, side.
        static constexpr int kAbove[4] = {0, 4, 2, 6};
        for (int i = 0; i < 4; ++i)
            for (Control* c : ControlList{e.cboSpeakerSize[i], e.lblSpeakerSize[i]})
                expect(*c, OptionSelected(e.optFlexBass, 1) && channels > kAbove[i]);
        // An encoded digital format is the output: the analog output's swaps and gain are not used.
        const int speakers = std::stoi(output.substr(2), nullptr, 16);
        expect(*e.cmdAnalogOutputSettings, !encoded && (speakers == 1 || speakers == 6 || speakers == 7));
        if (gCardCaps && gCardCaps->HPAmp) expect(*e.cmdHpAmp, !encoded && speakers == 1);
    }

    static bool LineActive(int line) {
        if (line < 0 || line > 7 || gInputLineIds[static_cast<std::size_t>(line)].empty()) return false;
        return sim::SimEndpointState(sim::FindSimEndpoint(gInputLineIds[static_cast<std::size_t>(line)])) ==
               DEVICE_STATE_ACTIVE;
    }

    // ---- The tray beside the windows ----

    // Whether a tray menu showed; a timer of the menu's own loop sees it and closes it.
    static inline bool menuShown_ = false;
    static void CALLBACK CloseShownMenu(HWND, UINT, UINT_PTR, DWORD) {
        HWND popup = ::FindWindowW(L"#32768", nullptr);
        if (!popup || !::IsWindowVisible(popup)) return;
        menuShown_ = true;
        ::EndMenu();
    }

    // What a click on the tray icon (WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK) opened, past
    // the pop-up's wait for a double click.
    struct TrayAnswer {
        bool menu = false, popup = false;
        frmProfile* window = nullptr;
    };
    TrayAnswer ClickTray(UINT click) {
        menuShown_ = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, &CloseShownMenu);
        ::PostMessageW(form_->hWnd(), kTrayCallbackMessage, 0, click);
        Pump(200);
        ::KillTimer(nullptr, timer);
        return {menuShown_, VolumePopup() != nullptr, ProfileEditor()};
    }

    // The profiles' shortcut keys as the tray reads them (system modifiers, key), less those a
    // fixed action holds.
    static std::set<std::pair<UINT, UINT>> ProfileKeys() {
        std::set<std::pair<UINT, UINT>> keys;
        for (const std::wstring& p : RegEnumKeys(gRegProfiles)) {
            const Bytes k = ShortcutKey(GetProfileValue(p, L"Shortcut"));
            if (!IsLiveProfileName(p) && k[0] != 0) keys.insert({ShiftToHotkeyModifiers(k[1]), k[0]});
        }
        for (int n = 0; n < 6; ++n)
            if (const auto k = GetShortcutKey(n); k && k->size() >= 2 && (*k)[0] != 0)
                keys.erase({ShiftToHotkeyModifiers((*k)[1]), (*k)[0]});
        return keys;
    }

    // The tray as the user finds it. While a profile is edited another program may take the
    // profiles' keys; otherwise they are the program's. While the editor or the real-time
    // window is open, no click on the icon opens anything or changes the window's mode.
    void CheckTray() {
        frmProfile* window = ProfileEditor();
        const bool editing = window && !window->RealTimeMode();
        for (const auto& [modifiers, vk] : ProfileKeys())
            if (KeyIsFree(modifiers, vk) != (editing || !form_->HotkeysEnabled()))
                return Fail(L"the profile key " + KeyCodeToString(static_cast<std::uint8_t>(vk), 0) + L" (" +
                            std::to_wstring(modifiers) + L") is " + (editing ? L"the program's while a profile is edited" : L"free"));
        if (!window) return;
        const bool realTime = window->RealTimeMode();
        for (UINT click : {WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK}) {
            const TrayAnswer a = ClickTray(click);
            if (a.menu || a.popup || a.window != window || window->RealTimeMode() != realTime)
                return Fail(L"a tray click (" + std::to_wstring(click) + L") opened " +
                            (a.menu ? L"the menu" : a.popup ? L"the volume pop-up" : L"another window"));
        }
    }

    // With no window open: a left click opens the volume pop-up (closed again), a right click
    // the menu.
    void CheckTrayAnswers() {
        if (!form_->HotkeysEnabled()) return;
        if (!ClickTray(WM_LBUTTONUP).popup) return Fail(L"a left click on the tray opened no volume pop-up");
        VolumePopup()->Unload();
        if (!ClickTray(WM_RBUTTONUP).menu) return Fail(L"a right click on the tray opened no menu");
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
