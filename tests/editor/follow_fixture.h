// A live profile editor whose card another program changes: what the editor holds and what
// Save would write, compared entry by entry, and the refresh the program runs after such a change.
#pragma once
#include <cmath>
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
#include "editor/hpampdialog.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/speakerfield.h"
#include "editor/swapsdialog.h"
#include "sim/audio_objects.h"
#include "startup/tables.h"
#include "tests/editor/editor_fixture.h"
#include "tests/tray/dialog_answerer.h"
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
    const std::wstring key = gRegProfiles + L"\\" + kScratch;
    RegDeleteTree(gRegProfiles, kScratch);
    editor.SaveValues(kScratch, false);
    State saved;
    for (const std::wstring& name : RegEnumValues(key))
        saved[name] = BytesToHex(RegReadBytes(key, name).value_or(Bytes{}));
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
        Pump(20);
        TimerUpdateRealTimeData();
        Pump(20);
    }

    static void ClickLive(frmProfile& editor) {
        kaltest::DialogAnswerer answers;
        answers.button = IDYES;
        answers.Run([&] { User::Click(editor.Ctl(L"chkLiveMode")); });
    }
};

}  // namespace kal::testing
