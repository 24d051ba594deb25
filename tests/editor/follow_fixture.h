// A live profile editor whose card another program changes: what the editor holds and what
// Save would write, compared entry by entry, and the refresh the program runs after such a change.
#pragma once
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/coreaudio_interfaces.h"
#include "device/displaytexts.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/notify.h"
#include "device/portable/audio_levels.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/customcontrolsdialog.h"
#include "editor/hpampdialog.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/speakerfield.h"
#include "editor/swapsdialog.h"
#include "sim/audio_objects.h"
#include "startup/tables.h"
#include "tests/editor/editor_fixture.h"
#include "tests/tray/dialog_answerer.h"
#include "tests/common/window_probes.h"
#include "tray/hotkeys.h"
#include "tray/traywindows.h"
#include "tray/volumeform.h"

namespace kal::testing {

using State = std::map<std::wstring, std::wstring>;

inline constexpr wchar_t kScratch[] = L"~FollowCheck";

inline std::wstring Key(const Control& c) {
    return c.Index() >= 0 ? c.Name() + L"(" + std::to_wstring(c.Index()) + L")" : c.Name();
}

// What the editor holds: each control's value or selection, what a disabled list or slider
// keeps aside (its tag, when it would bring back another value), and the choices its dialogs
// keep in the editor. Whether an effect's panel is expanded is a view, not a choice.
inline State Held(frmProfile& editor) {
    State held;
    auto aside = [](const Control& c, std::int32_t shown) {
        return c.Enabled() || c.Tag().empty() || c.Tag() == std::to_wstring(shown) ? L"" : L" aside " + c.Tag();
    };
    for (Control* c : editor.Controls()) {
        std::wstring value;
        if (const auto* box = dynamic_cast<ComboBox*>(c))
            value = std::to_wstring(box->ListIndex()) + aside(*c, box->ListIndex());
        else if (const auto* check = dynamic_cast<CheckBox*>(c))
            value = std::to_wstring(check->Value()) + L" tag " + c->Tag();
        else if (const auto* option = dynamic_cast<OptionButton*>(c))
            value = option->Value() ? L"1" : L"0";
        else if (const auto* slider = dynamic_cast<Slider*>(c))
            value = std::to_wstring(slider->Value()) + aside(*c, slider->Value());
        else
            continue;
        if (c->Name().ends_with(L"Expand")) continue;
        held[Key(*c)] = value;
    }
    held[L"HeadphoneLRXchg"] = BytesToHex(editor.GetHeadphoneLRXchg());
    held[L"CenterBassXchg"] = BytesToHex(editor.GetCenterBassXchg());
    held[L"SideRearXchg"] = BytesToHex(editor.GetSideRearXchg());
    for (int j = 0; j < 8; ++j)
        for (int k = 1; k < 4; ++k)
            held[L"custom " + std::to_wstring(j) + L"." + std::to_wstring(k)] =
                std::to_wstring(editor.GetCustomControlsValues(j, k));
    if (const frmHpImpedanceMode* amp = HpImpedanceDialog())
        held[L"cboHpAmp"] = std::to_wstring(amp->cboHpAmp->ListIndex());
    return held;
}

// What Save would write now.
inline State Saved(frmProfile& editor) {
    RegDeleteTree(gRegProfiles, kScratch);
    editor.SaveValues(kScratch, false);
    State saved = StoredValues(kScratch);
    RegDeleteTree(gRegProfiles, kScratch);
    return saved;
}

// The entries of `a` and `b` that differ, leaving out those whose key starts with one of `skip`.
inline std::wstring Differences(const State& a, const State& b, const std::vector<std::wstring>& skip) {
    auto skipped = [&](const std::wstring& key) {
        for (const std::wstring& s : skip)
            if (key == s || (key.rfind(s + L"(", 0) == 0)) return true;
        return false;
    };
    std::set<std::wstring> keys;
    for (const auto& [k, v] : a) keys.insert(k);
    for (const auto& [k, v] : b) keys.insert(k);
    std::wstring out;
    for (const std::wstring& k : keys) {
        if (skipped(k)) continue;
        const auto x = a.find(k), y = b.find(k);
        const std::wstring before = x == a.end() ? L"-" : x->second, after = y == b.end() ? L"-" : y->second;
        if (before != after) out += L"\n  " + k + L": " + before + L" -> " + after;
    }
    return out;
}

// The controls that another output of the card shows or hides: the output, the playback rows,
// the speaker sizes, the effects with their modes and levels, the upmix.
inline std::vector<std::wstring> OutputControls() {
    return {L"cboAnalogOutput",
            L"chkPlaybackSet",
            L"chkPlaybackSetAll",
            L"csliOutputChannel",
            L"cboSpeakerSize",
            L"chkDolbyHeadphones",
            L"chkDolbyVirtualSpeaker",
            L"chkVSS",
            L"chkDolby",
            L"chkNeo",
            L"cboStereoUpmix",
            L"cboDolbyHeadphonesMode",
            L"cboDolbyVirtualSpeakerMode",
            L"csliPL2xWidth",
            L"csliPL2xDepth",
            L"csliNEOWidth",
            L"csliNEODepth",
            L"optPL2xMode",
            L"optNEOMode"};
}

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The box of each effect value: a value whose box is disabled is kept, not shown.
inline const std::map<std::wstring, std::wstring>& EffectBoxes() {
    static const std::map<std::wstring, std::wstring> boxes{{L"DHEnable", L"chkDolbyHeadphones"},
                                                            {L"DHRoom", L"chkDolbyHeadphones"},
                                                            {L"DVSEnable", L"chkDolbyVirtualSpeaker"},
                                                            {L"DVSMode", L"chkDolbyVirtualSpeaker"},
                                                            {L"EnableXear3D", L"chkVSS"},
                                                            {L"Pl2xParam", L"chkDolby"},
                                                            {L"NeoParam", L"chkNeo"}};
    return boxes;
}

// Whether the card's value `n` is what the editor's controls give for it (`saved`: what Save
// writes), as far as they show it: a line of a device out of service, a row out of the profile
// or hidden by the output, a mono line's right channel, custom controls past a line's count, an
// effect the output doesn't offer, a Dolby mode or effect parameters while their effect is off,
// a speaker size or a swap the output doesn't use are kept, not shown; a channel's gain goes
// through the slider's percent, a step either way is the same.
inline bool ShowsAsCard(frmProfile& e, const std::wstring& n, const State& saved, const Bytes& card) {
    const auto w = saved.find(n);
    if (w == saved.end()) return true;
    const Bytes written = HexToBytes(w->second);
    if (card == written) return true;
    if (const auto ref = IsMixerValueName(n) ? ParseMixerValueName(n) : std::nullopt; ref && ref->flow == 1) {
        const int j = ref->line;
        const std::wstring& id = gInputLineIds[static_cast<std::size_t>(j)];
        if (!e.chkRecordSet[j]->Enabled() || e.chkRecordSet[j]->Value() != 1) return true;
        if (ref->control == 0 && ref->channel == 1 && e.csliInputLineBalance[j]->Tag() != L"2") return true;
        const int controls = gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size()) : 0;
        if (ref->control > controls) return true;
        // A line's level goes through the slider's whole percent: a step either way is the same.
        if (ref->control == 0 && card.size() == 1 && written.size() == 1 && std::abs(card[0] - written[0]) <= 1)
            return true;
    }
    if (n == kMixerInputLineSel) {
        const std::uint8_t line = FirstByte(written, 8);
        if (line > 7 || !e.chkRecordSet[line]->Enabled()) return true;
    }
    auto off = [&](const wchar_t* flag) {
        const auto f = saved.find(flag);
        return f == saved.end() || FirstByte(HexToBytes(f->second)) == 0;
    };
    if ((n == L"DHRoom" && off(L"DHEnable")) || (n == L"DVSMode" && off(L"DVSEnable"))) return true;
    const auto* row = std::find(std::begin(gChannelVolumeValues), std::end(gChannelVolumeValues), n);
    const bool gain = row != std::end(gChannelVolumeValues);
    if (gain && !e.chkPlaybackSet[static_cast<std::size_t>(row - std::begin(gChannelVolumeValues))]->Enabled())
        return true;
    const auto& effectBox = EffectBoxes();
    if (const auto box = effectBox.find(n); box != effectBox.end() && !e.Ctl(box->second).Enabled()) return true;
    if ((n == L"Pl2xParam" || n == L"NeoParam") && FirstByte(card) == 0 && FirstByte(written) == 0) return true;
    // The speakers' positions of the layout; the rest of each speaker's record is the driver's own.
    if (n == L"VSpeakerPos" && card.size() == written.size()) {
        for (std::size_t i = 0; i < card.size(); ++i)
            if (i % 16 < 12 && card[i] != written[i]) return false;
        return true;
    }
    if (n == L"SpeakerSize") {
        const auto a = DecodeSpeakerSizes(card), b = DecodeSpeakerSizes(written);
        for (std::size_t i = 0; i < 4; ++i)
            if (e.cboSpeakerSize[i]->Enabled() && a[i] != b[i]) return false;
        return true;
    }
    // ProLogic IIx and NEO:PC by what their panels show: a level between the sliders' steps
    // shows at the nearest; the movie mode has fixed levels, its sliders keep theirs aside.
    if (n == L"Pl2xParam" || n == L"NeoParam") {
        auto decode = n == L"Pl2xParam" ? &DecodePl2xParam : &DecodeNeoParam;
        const EffectParams a = decode(card), b = decode(written);
        if (a.on == b.on && a.movie == b.movie && (a.movie || (a.width == b.width && a.depth == b.depth))) return true;
    }
    // A band past its slider's end shows at the end.
    if (n == L"EqGain" && card.size() == 40) {
        const auto a = DecodeEqGain(card), b = DecodeEqGain(written);
        for (std::size_t i = 0; i < 10; ++i)
            if (std::clamp(a[i], e.csliEQ[i]->Bar().Min(), e.csliEQ[i]->Bar().Max()) != b[i]) return false;
        return true;
    }
    // An encoded digital format is the output: the analog one is kept, not used.
    const auto digital = saved.find(L"SpDigitalOut");
    const std::uint8_t format = digital == saved.end() ? 0 : FirstByte(HexToBytes(digital->second));
    const bool encoded = format != 0 && format != 2;
    if (encoded && (n == L"PanelConfig" || n == L"SpeakerConfig")) return true;
    // The L/R swap is for headphones, centre/bass for analog 5.1 and 7.1, side/rear for 7.1.
    if (n == L"HeadphoneLRXchg" || n == L"CenterBassXchg" || n == L"SideRearXchg") {
        const std::wstring out = e.Output();
        const std::wstring mode = out.size() == 4 ? out.substr(2) : L"";
        const bool used = n == L"HeadphoneLRXchg"  ? mode == L"01" && !encoded
                          : n == L"CenterBassXchg" ? (mode == L"06" || mode == L"07") && !encoded
                                                   : mode == L"07" && !encoded;
        if (!used) return true;
    }
    auto decibels = [](const Bytes& v) { return static_cast<std::int16_t>(v[2] | v[3] << 8); };
    if (gain && card.size() == 4 && written.size() == 4 && std::abs(decibels(card) - decibels(written)) <= 1)
        return true;
    return card == written;
}

// The buttons that open one of the editor's three dialogs now: the swaps, the headphone gain and
// the recording lines' custom controls. A page echo cancellation locks can't be reached.
inline std::vector<Control*> DialogOpeners(frmProfile& e) {
    std::vector<Control*> openers;
    e.imgTab_Click(0);
    for (Control* c : {static_cast<Control*>(e.cmdAnalogOutputSettings), static_cast<Control*>(e.cmdHpAmp)})
        if (e.imgTab[0]->Enabled() && User::CanAct(*c)) openers.push_back(c);
    e.imgTab_Click(1);
    for (Control* c : e.cmdRecordExtraOptions)
        if (c && User::CanAct(*c)) openers.push_back(c);
    return openers;
}

// Which dialog `opener` opens: 0 the swaps, 1 the headphone gain, 2 a line's custom controls.
inline int DialogKind(frmProfile& e, const Control& opener) {
    return &opener == e.cmdAnalogOutputSettings ? 0 : &opener == e.cmdHpAmp ? 1 : 2;
}

// The open dialog of that kind; null when it is closed.
inline Form* OpenDialog(int kind) {
    if (kind == 1) return HpImpedanceDialog() && HpImpedanceDialog()->Visible() ? HpImpedanceDialog() : nullptr;
    return kind == 0 ? static_cast<Form*>(AnalogOutputSettingsDialog()) : InputLineCustomControlsDialog();
}

// One of the openers, `pick(n)` choosing among n, with its page shown and named through `note`;
// null when none can be reached. `kind` is its dialog's.
inline Control* PickDialogOpener(frmProfile& e, const std::function<int(int)>& pick,
                                 const std::function<void(const std::wstring&)>& note, int& kind) {
    const std::vector<Control*> openers = DialogOpeners(e);
    if (openers.empty()) return nullptr;
    Control* opener = openers[static_cast<std::size_t>(pick(static_cast<int>(openers.size())))];
    kind = DialogKind(e, *opener);
    e.imgTab_Click(kind == 2 ? 1 : 0);
    note(L"dialog of " + Key(*opener));
    return opener;
}

// The user closes the open dialog of that kind by its Close button or by its close box, as
// `pick(2)` says; false when it stays open.
inline bool UserClosesDialog(int kind, const std::function<int(int)>& pick,
                             const std::function<void(const std::wstring&)>& note) {
    Form& dialog = *OpenDialog(kind);
    if (pick(2) == 0) {
        note(L"Close");
        User::Click(dialog.Ctl(L"cmdClose"));
    } else {
        note(L"close box");
        ::SendMessageW(dialog.hWnd(), WM_CLOSE, 0, 0);
    }
    return !OpenDialog(kind);
}

// The user opens the effect panel that holds `c`, collapsed, by its expand box; false when
// there is none to open.
inline bool OpenPanelOf(Control& c) {
    auto* e = dynamic_cast<frmProfile*>(&c.Parent());
    if (!e || !c.Window()) return false;
    for (CheckBox* expand : {e->chkVSSExpand, e->chkPL2xExpand, e->chkNEOExpand}) {
        const HWND panel = ::GetParent(expand->Window());
        if (expand->Value() == 0 && ::IsChild(panel, c.Window()) && User::CanAct(*expand))
            return User::Click(*expand);
    }
    return false;
}

// The user changes control `c` to another value, `pick(n)` choosing among n; with `undo`,
// back again. Says what it does through `note`. False when the control takes no such change
// now; `undo` is cleared when the change could not be taken back.
inline bool UserChanges(Control& c, const std::function<int(int)>& pick, bool& undo,
                        const std::function<void(const std::wstring&)>& note) {
    const std::wstring what = Key(c);
    auto back = [&undo] { return std::wstring(undo ? L" and back" : L""); };
    if (!User::CanAct(c) && OpenPanelOf(c)) note(what + L": its panel opened");
    if (!User::CanAct(c)) return false;
    if (auto* button = dynamic_cast<CommandButton*>(&c)) {
        // A question answered either way; a file dialog given an icon.
        kaltest::DialogAnswerer answers;
        answers.button = pick(2) == 0 ? IDYES : IDNO;
        answers.fileName = SourceTreePath(KALVENOR_SOURCE_DIR, "resources/icons/kv_mute.ico");
        note(what + L" pressed" + (answers.button == IDYES ? L", Yes to a question" : L", No to a question"));
        undo = false;
        bool clicked = false;
        answers.Run([&] { clicked = User::Click(*button); });
        return clicked;
    }
    if (auto* field = dynamic_cast<PictureBox*>(&c); field && c.Name() == L"VSSSpeaker") {
        const int dx = pick(121) - 60, dy = pick(121) - 60;
        note(what + L" dragged by " + std::to_wstring(dx) + L"," + std::to_wstring(dy));
        undo = false;
        DragSpeaker(dynamic_cast<frmProfile&>(c.Parent()), c.Index(), dx, dy);
        return true;
    }
    if (auto* text = dynamic_cast<TextBox*>(&c); text && IsCaptureBox(text->hWnd())) {
        // A key pressed in the shortcut box; Delete clears it.
        static const WPARAM keys[] = {VK_F7, VK_F8, 'K', VK_DELETE};
        const WPARAM key = keys[pick(4)];
        note(what + L" key " + std::to_wstring(key));
        undo = false;
        ::SendMessageW(text->hWnd(), WM_KEYDOWN, key, 0);
        return true;
    }
    if (auto* box = dynamic_cast<ComboBox*>(&c)) {
        // A name typed into a list of the user's own (gain profiles, speaker layouts).
        if (box->Editable() && pick(3) == 0) {
            const std::wstring name = pick(2) == 0 ? L"Mine" : L"Yours";
            note(what + L" typed " + name);
            undo = false;
            return User::TypeText(*box, std::wstring(box->Text().size(), L'\b') + name);
        }
        const int before = box->ListIndex();
        if (box->ListCount() < 2) return false;
        int to = pick(box->ListCount());
        if (to == before) to = (to + 1) % box->ListCount();
        note(what + L" entry " + std::to_wstring(to) + back());
        if (!User::ChooseItem(*box, to)) return false;
        if (undo && (before < 0 || !User::ChooseItem(*box, before))) undo = false;
    } else if (auto* check = dynamic_cast<CheckBox*>(&c)) {
        // A column box's second click doesn't bring back rows that differed.
        if (c.Name().ends_with(L"SetAll")) undo = false;
        note(what + L" clicked" + (undo ? L" twice" : L""));
        if (!User::Click(*check)) return false;
        if (undo && !User::Click(*check)) undo = false;
    } else if (auto* option = dynamic_cast<OptionButton*>(&c)) {
        if (option->Value()) return false;
        // A preset chosen back loads its own values, not what the profile held before.
        if (c.Name().starts_with(L"optLoad")) undo = false;
        OptionButton* was = nullptr;
        for (Control* other : c.Parent().Controls())
            if (auto* o = dynamic_cast<OptionButton*>(other); o && o->Name() == c.Name() && o->Value()) was = o;
        note(what + L" chosen" + back());
        if (!User::ChooseOption(*option)) return false;
        if (undo && (!was || !User::ChooseOption(*was))) undo = false;
    } else if (auto* slider = dynamic_cast<Slider*>(&c)) {
        const std::int32_t before = slider->Value(), low = slider->Bar().Min(), high = slider->Bar().Max();
        std::int32_t to = low + pick(high - low + 1);
        if (to == before) to = to == high ? low : high;
        note(what + L" to " + std::to_wstring(to) + back());
        if (!User::DragTo(*slider, to)) return false;
        if (undo && !User::DragTo(*slider, before)) undo = false;
    } else {
        return false;
    }
    return true;
}

// The seeds of a random walk: `prefix`_SEED=N replays one, `prefix`_SEEDS=N walks N from
// `prefix`_FROM (1); `count` from 1 unless told.
inline std::vector<unsigned> WalkSeeds(const std::string& prefix, unsigned count) {
    auto number = [&](const char* suffix) -> std::optional<unsigned> {
        const char* v = std::getenv((prefix + suffix).c_str());
        return v ? std::optional<unsigned>(static_cast<unsigned>(std::strtoul(v, nullptr, 10))) : std::nullopt;
    };
    if (const auto one = number("_SEED")) return {*one};
    const unsigned from = number("_FROM").value_or(1);
    std::vector<unsigned> seeds;
    for (unsigned s = from; s < from + number("_SEEDS").value_or(count); ++s) seeds.push_back(s);
    return seeds;
}

// Another program's view of one of the card's endpoints.
inline ComPtr<IAudioEndpointVolume> OtherProgramsVolume(const std::wstring& id) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    ComPtr<IMMDevice> device;
    ComPtr<IAudioEndpointVolume> volume;
    if (sim::CreateSimDeviceEnumerator(enumerator.put()) != S_OK ||
        enumerator->GetDevice(id.c_str(), device.put()) != S_OK ||
        device->Activate(kIidAudioEndpointVolume, CLSCTX_ALL, nullptr, volume.put_void()) != S_OK)
        throw std::runtime_error("no endpoint volume");
    return volume;
}

class FollowCardFixture : public EditorFixture {
protected:
    // The program's refresh after a change from outside: the own changes of the editor are old
    // by then, Core Audio's notifications have been handled, and the refresh that the watcher of
    // the driver's settings starts runs (it is also the refresh of the values that raise no
    // notification of their own).
    static void LetTheRefreshRun() {
        gLastSelfChange.store(::timeGetTime() - 5000);
        sim::WaitForSimNotifications();
        AwaitNotificationTimers();
        TimerUpdateRealTimeData();
        Pump(20);
    }

    // The notifications taken in have had their timers run: on a loaded machine a timer's turn
    // may come well after a fixed pause.
    static void AwaitNotificationTimers() {
        Pump(20);
        PumpUntil([] {
            return !gDefaultDevicePending.load() && !gPropertyValuePending.load() && !gDeviceStatePending.load() &&
                   !gVolumeNotificationPending.load();
        }, 5000);
    }

    // Another program sets a card value after the second of the program's own change, and the
    // next second passes.
    void ChangeFromOutside(const std::wstring& name, const Bytes& value) {
        gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
        sim::SetSimLiveValue(name, value);
        LetTheSecondPass();
    }

    // The second after the program's own change passes: the notifications of its sends have come
    // in, the clock moves on and the refresh timer due then fires (the watcher of the driver's
    // settings armed it, and the program's timer put it off to the end of the second).
    void LetTheSecondPass() {
        sim::WaitForSimNotifications();
        Pump(60);
        if (ownClock_) return WaitOutOwnChange();
        gLastSelfChange.store(::timeGetTime() - kOwnChangeWindowMs);
        FireDeferredTimers();
        Pump(40);
        AwaitNotificationTimers();
    }

    // With the program's own clock: the own-change second runs out as the clock goes, and the
    // timers it put off fire on their own.
    bool ownClock_ = false;
    static void WaitOutOwnChange() {
        PumpUntil([] { return !IsSelfChange(); }, 2 * kOwnChangeWindowMs);
        Pump(40);
        AwaitNotificationTimers();
    }

    // The timers that wait out the own-change second, due now that the walk moved the clock on
    // (one not armed does nothing).
    void FireDeferredTimers() {
        for (UINT_PTR id : {kTimerOnDefaultDeviceChanged, kTimerOnPropertyValueChanged, kTimerUpdateRealTimeData})
            ::SendMessageW(form_->hWnd(), WM_TIMER, id, 0);
    }
};

}  // namespace kal::testing
