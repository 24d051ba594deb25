// The profile editor on the simulated card: the tray tests' card, settings key and platform,
// the card discovered as the main form finds it, and the editor opened as its openers do.
#pragma once
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "device/cardlines.h"
#include "device/profilevalues.h"
#include "base/registry.h"
#include "editor/profileform.h"
#include "tests/common/checked.h"
#include "tests/common/screenshot.h"
#include "tests/tray/dialog_answerer.h"
#include "tests/tray/tray_fixture.h"

namespace kal::testing {

inline constexpr wchar_t kD2[] = L"82691043";   // 192 kHz, AEC, Dolby and DTS, no front panel
inline constexpr wchar_t kDG[] = L"84671043";   // 96 kHz, AEC, front panel, headphone amplifier
inline constexpr wchar_t kDS[] = L"838E1043";   // 192 kHz, no AEC, front panel, DTS only
inline constexpr wchar_t kSTX[] = L"835C1043";  // headphone amplifier, Dolby

// The simulated card's values, each as hex bytes, set as another program sets them.
inline void SetCard(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values) {
    for (const auto& [name, hex] : values) sim::SetSimLiveValue(name, HexToBytes(hex));
}

// Every value of a profile: its bytes, text values marked by a leading "sz:".
inline std::map<std::wstring, std::wstring> StoredValues(const std::wstring& profile) {
    std::map<std::wstring, std::wstring> out;
    const std::wstring key = gRegProfiles + L"\\" + profile;
    for (const std::wstring& name : RegEnumValues(key)) {
        const auto v = RegRead(key, name);
        if (!v) continue;
        if (const auto* text = std::get_if<std::wstring>(&*v))
            out[name] = L"sz:" + *text;
        else
            out[name] = BytesToHex(std::get<Bytes>(*v));
    }
    return out;
}

// Drags the speaker field's speaker `index` by (dx, dy) pixels in steps, as the mouse would.
inline void DragSpeaker(frmProfile& editor, int index, int dx, int dy) {
    HWND box = editor.Ctl(L"VSSSpeaker", index).Window();
    ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    const int steps = 10;
    for (int s = 1; s <= steps; ++s) {
        // Each move is relative to the box where it stands now.
        ::SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON,
                       MAKELPARAM(static_cast<short>(12 + dx / steps), static_cast<short>(12 + dy / steps)));
    }
    ::SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(12, 12));
}

class EditorFixture : public TrayFixture {
protected:
    void TearDown() override {
        CloseEditor();
        TrayFixture::TearDown();
    }

    // A fresh card of that model, discovered with its lines; `trials` limits the speaker
    // configurations its driver accepts on trial.
    void UseEditorCard(const wchar_t* subsys, std::optional<std::vector<std::uint8_t>> trials = std::nullopt) {
        sim::SimCardSetup setup;
        setup.subsys = subsys;
        UseCard(setup);
        DiscoverCard(kCardHardwareFamily, L"");
        FindCardInterface();
        gCardCaps = gCardModels.At(subsys);
        FindCardLines();
        if (trials) sim::SetSimAcceptedSpeakerConfigs(trials);
        sim::ClearSimRequestLog();
    }

    // As the profile manager opens it: "" for a new profile, else the profile's name.
    frmProfile& OpenEditor(const std::wstring& profile) {
        frmProfile& editor = ProfileEditorInstance();
        editor.Load();
        editor.SetTag(profile);
        editor.LastProfileName = profile;
        editor.SetUp();
        editor.Show();
        Pump(30);
        return editor;
    }

    // The Live Mode box clicked, `button` pressed in each message box it shows.
    static kaltest::DialogAnswerer ClickLive(frmProfile& editor, int button = IDYES) {
        kaltest::DialogAnswerer answers;
        answers.button = button;
        answers.Run([&] { User::Click(editor.Ctl(L"chkLiveMode")); });
        return answers;
    }

    frmProfile& OpenRealTime() {
        ShowRealTimeSettings();
        Pump(30);
        // An exception fails the test and lets the suite go on.
        if (!ProfileEditor()) throw std::runtime_error("no real-time window");
        return *ProfileEditor();
    }

    static void CloseEditor() {
        if (frmProfile* editor = ProfileEditor()) editor->Unload();
    }

    // A two-way choice in live mode (options 0, 1 and 255 "Don't Change" on `form`): the other
    // value reaches the card, "Don't Change" puts the restore point's value back, and once the
    // restore point lacks the value, "Don't Change" sends nothing.
    void ExpectDontChangePutsBackTheRestorePoint(Form& form, const wchar_t* options, const wchar_t* value,
                                                 const std::wstring& liveProfile) {
        const Bytes original = GetProfileValue(L"", value);
        ASSERT_FALSE(original.empty()) << value;
        const int flip = original[0] == 1 ? 0 : 1;
        ASSERT_TRUE(User::ChooseOption(form.Get<OptionButton>(options, flip))) << options;
        EXPECT_NE(GetProfileValue(L"", value), original) << value;
        ASSERT_TRUE(User::ChooseOption(form.Get<OptionButton>(options, 255))) << options;
        EXPECT_EQ(GetProfileValue(L"", value), original) << value;
        RegDeleteValue(Profile(liveProfile), value);
        ASSERT_TRUE(User::ChooseOption(form.Get<OptionButton>(options, flip))) << options;
        sim::ClearSimRequestLog();
        ASSERT_TRUE(User::ChooseOption(form.Get<OptionButton>(options, 255))) << options;
        EXPECT_TRUE(Writes().empty()) << value;
    }

    static std::map<std::wstring, std::wstring> Values(const std::wstring& profile) { return StoredValues(profile); }

    static std::vector<std::wstring> Items(const ComboBox& box) {
        std::vector<std::wstring> items;
        for (int i = 0; i < box.ListCount(); ++i) items.push_back(box.List(i));
        return items;
    }
    // The list index of the entry carrying `data`; -1 when none.
    static int IndexOf(const ComboBox& box, std::intptr_t data) {
        for (int i = 0; i < box.ListCount(); ++i)
            if (box.ItemData(i) == data) return i;
        return -1;
    }
    static std::vector<std::intptr_t> ItemData(const ComboBox& box) {
        std::vector<std::intptr_t> data;
        for (int i = 0; i < box.ListCount(); ++i) data.push_back(box.ItemData(i));
        return data;
    }

    // Every tab page of the window as a picture, for people to look at.
    static void SaveTabScreenshots(frmProfile& editor, const std::wstring& mode) {
        static const wchar_t* const pages[] = {L"output", L"mixer", L"equalizer", L"aec"};
        for (int i = 0; i < 4; ++i) {
            if (!editor.Ctl(L"imgTab", i).Visible()) continue;
            editor.imgTab_Click(i);
            Pump(60);
            SaveWindowScreenshot(editor.hWnd(), L"frmProfile", mode + L"-" + pages[i]);
        }
        editor.imgTab_Click(0);
    }
};

}  // namespace kal::testing
