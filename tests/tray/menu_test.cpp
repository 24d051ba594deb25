// The tray menu as the user meets it: the pop-up from the icon, its captions, keys and check
// mark, the shortcut keys (posted and pressed for real), the deferred notifications and exit.
#include "tests/tray/tray_fixture.h"

#include <chrono>
#include <functional>

#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/notify.h"
#include "device/validation.h"
#include "editor/profileform.h"
#include "tests/common/screenshot.h"
#include "tray/formopeners.h"
#include "tray/hotkeys.h"
#include "tray/trayicon.h"
#include "toolkit/utility.h"
#include "tray/traywindows.h"

using namespace kal;
using namespace kal::testing;

namespace {

// What the open tray menu showed, read from inside its loop.
struct SeenMenu {
    bool seen = false;
    std::vector<std::wstring> captions;
    std::vector<UINT> states;
};
SeenMenu gSeenMenu;

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup)) return;
    ::KillTimer(nullptr, id);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        wchar_t text[256] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        gSeenMenu.captions.push_back(text);
        gSeenMenu.states.push_back(::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION));
    }
    gSeenMenu.seen = true;
    ::EndMenu();
}

// True when another window could take the key now, i.e. nobody holds it.
bool KeyIsFree(UINT modifiers, UINT vk) {
    HWND probe = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const bool free = ::RegisterHotKey(probe, 0x7000, modifiers, vk) != 0;
    if (free) ::UnregisterHotKey(probe, 0x7000);
    ::DestroyWindow(probe);
    return free;
}

Currency LiveVolume(int flow) {
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, flow, 0, L"");
    return volume;
}

class TrayMenu : public TrayFixture {
protected:
    void TearDown() override {
        TrayOpeners() = {};
        TrayFixture::TearDown();
    }
};

TEST_F(TrayMenu, IconRightClickPopsUpTheProfilesWithKeysAndTheCheckedActiveOne) {
    Store(L"Rock & Roll", L"EqEnable", L"01");
    Store(L"Rock & Roll", L"Shortcut", L"3106");
    Store(L"Quiet", L"EqEnable", L"00");
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"Quiet"));
    frmKalvenor& form = Load(L"");
    ASSERT_TRUE(form.HotkeysEnabled());
    ASSERT_TRUE(ValidateActiveProfile(false));

    gSeenMenu = {};
    const UINT_PTR reader = ::SetTimer(nullptr, 0, 50, &ReadOpenMenu);
    ::PostMessageW(form.hWnd(), kTrayCallbackMessage, 0, WM_RBUTTONUP);
    ASSERT_TRUE(PumpUntil([] { return gSeenMenu.seen; }));
    ::KillTimer(nullptr, reader);

    // Registry order differs between systems: find each profile's item by its name.
    const auto& names = form.ProfileNames();
    ASSERT_EQ(names.size(), 2u);
    const std::size_t rock = names[0] == L"Rock & Roll" ? 0 : 1, quiet = 1 - rock;
    ASSERT_EQ(names[quiet], L"Quiet");
    const std::vector<std::wstring> tail = {L"", L"&Profiles...", L"&Real Time Settings...",
                                            form.MenuItemCaption(kMenuASIO),
                                            L"", L"Options...", L"", L"&About Kalvenor...", L"&Exit Kalvenor"};
    ASSERT_EQ(gSeenMenu.captions.size(), 2 + tail.size());
    EXPECT_EQ(gSeenMenu.captions[rock], L"Rock && Roll\t" + KeyCodeToString(0x31, 6));
    EXPECT_EQ(KeyCodeToString(0x31, 6), L"CTRL+ALT+1");
    EXPECT_EQ(gSeenMenu.captions[quiet], L"Quiet");
    EXPECT_TRUE(gSeenMenu.states[quiet] & MF_CHECKED);
    EXPECT_FALSE(gSeenMenu.states[rock] & MF_CHECKED);
    EXPECT_EQ(std::vector<std::wstring>(gSeenMenu.captions.begin() + 2, gSeenMenu.captions.end()), tail);
    // The exit item is always there; windows not part of the program leave theirs disabled.
    EXPECT_FALSE(gSeenMenu.states.back() & MF_GRAYED);
    EXPECT_TRUE(gSeenMenu.states[7] & MF_GRAYED);  // Options...
    EXPECT_EQ(::GetMenuDefaultItem(form.PopupRoot(), FALSE, GMDI_USEDISABLED), static_cast<UINT>(kMenuRealTimeSettings));

    // The profile's key is held by the program while it is on the menu.
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_ALT, 0x31));
    // Choosing the item applies the profile of that name, ampersand and all.
    ::SendMessageW(form.hWnd(), WM_COMMAND, MAKEWPARAM(kMenuProfileBase + rock, 0), 0);
    EXPECT_EQ(ActiveProfile(), L"Rock & Roll");
    EXPECT_TRUE(form.ProfileItemChecked(static_cast<int>(rock)));
    EXPECT_FALSE(form.ProfileItemChecked(static_cast<int>(quiet)));

    // A change outside the profile takes the check away at the next rebuild.
    SetVolumeBalance(13 * kCurrencyScale, 0, 0, 0);
    Store(L"Rock & Roll", L"_mixer00000", L"32");
    form.UpdateMenus();
    EXPECT_FALSE(form.ProfileItemChecked(static_cast<int>(rock)));

    // A deleted profile's item goes and its key is given back.
    RegDeleteTree(gRegProfiles, L"Rock & Roll");
    form.UpdateMenus();
    EXPECT_EQ(form.ProfileNames(), std::vector<std::wstring>{L"Quiet"});
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"Quiet"});
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_ALT, 0x31));
}

// An editor stand-in: only whether it edits a profile or shows the real-time settings matters.
class EditorStub final : public IInputLineEditor {
public:
    explicit EditorStub(bool realTime) : realTime_(realTime) {}
    bool RealTimeMode() const override { return realTime_; }
    std::wstring ProfileTag() const override { return L""; }
    void InputLineStateChanged(int, bool) override {}
    void ShowRecordingSource(const std::wstring&) override {}
    void RefreshSpeakersAndFormat() override {}

private:
    bool realTime_;
};

TEST_F(TrayMenu, ProfileKeysStayFreeWhileAProfileIsEdited) {
    Store(L"A", L"Shortcut", L"7A03");  // Ctrl+Shift+F11
    frmKalvenor& form = Load(L"");
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    EditorStub editing(false), realTime(true);
    IInputLineEditor* open = &editing;
    WindowRoutes().inputLineEditor = [&open] { return open; };
    form.UpdateMenus();
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    // The menu still shows the key.
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"A\t" + KeyCodeToString(0x7A, 3)});
    open = &realTime;
    form.UpdateMenus();
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    RouteDeviceToWindows();
    // An editor that opens drops the keys itself; the rebuild after it takes them again.
    form.ClearProfileHotkeys();
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    form.UpdateMenus();
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
}

// Rebuilds keep the keys that stay, move a changed one, and take a key another window held
// once it is free.
TEST_F(TrayMenu, RebuildsFollowEachProfileKey) {
    Store(L"A", L"Shortcut", L"7A03");  // Ctrl+Shift+F11
    Store(L"B", L"Shortcut", L"7B03");  // Ctrl+Shift+F12
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::RegisterHotKey(other, 0x7001, MOD_CONTROL | MOD_SHIFT, 0x7B));
    frmKalvenor& form = Load(L"");
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    form.UpdateMenus();
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    ::UnregisterHotKey(other, 0x7001);
    ::DestroyWindow(other);
    form.UpdateMenus();
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7B));
    Store(L"A", L"Shortcut", L"7903");  // Ctrl+Shift+F10
    form.UpdateMenus();
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x79));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7B));
    Store(L"B", L"Shortcut", L"0000");
    form.UpdateMenus();
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7B));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x79));
    // A key two profiles share is the first one's; let go, the other takes it in the same rebuild.
    Store(L"C", L"Shortcut", L"7903");
    form.UpdateMenus();
    Store(L"A", L"Shortcut", L"0000");
    form.UpdateMenus();
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x79));
    Store(L"C", L"Shortcut", L"0000");
    form.UpdateMenus();
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x79));
    // The first profile goes: the others move up one item, each key with its profile.
    Store(L"B", L"Shortcut", L"7A03");
    Store(L"C", L"Shortcut", L"7B03");
    form.UpdateMenus();
    RegDeleteTree(gRegProfiles, L"A");
    form.UpdateMenus();
    ASSERT_EQ(form.ProfileNames(), (std::vector<std::wstring>{L"B", L"C"}));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7A));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, 0x7B));
}

TEST_F(TrayMenu, PostedShortcutKeysToggleMutesAndStepVolumesWithinRange) {
    Store(L"A", L"EqEnable", L"01");
    RegWrite(gRegRoot, L"PlayBackMasterVolumeIncreaseStep", std::wstring(L"2"));
    RegWrite(gRegRoot, L"MicVolumeDecreaseStep", std::wstring(L"1.5"));
    frmKalvenor& form = Load(L"");
    HWND w = form.hWnd();
    const bool masterMuted = MasterMuted();
    ::SendMessageW(w, WM_HOTKEY, 0, 0);
    EXPECT_NE(MasterMuted(), masterMuted);
    ::SendMessageW(w, WM_HOTKEY, 0, 0);
    EXPECT_EQ(MasterMuted(), masterMuted);
    const bool micMuted = sim::SimMute(Endpoint(L"mic"));
    ::SendMessageW(w, WM_HOTKEY, 3, 0);
    EXPECT_NE(sim::SimMute(Endpoint(L"mic")), micMuted);

    SetVolumeBalance(99 * kCurrencyScale, 0, 0, 0);
    ::SendMessageW(w, WM_HOTKEY, 1, 0);
    EXPECT_EQ(LiveVolume(0), 100 * kCurrencyScale);
    SetVolumeBalance(1 * kCurrencyScale, 0, 0, 0);
    ::SendMessageW(w, WM_HOTKEY, 2, 0);  // the default step of 2
    EXPECT_EQ(LiveVolume(0), 0);
    SetVolumeBalance(50 * kCurrencyScale, 0, 1, 0);
    ::SendMessageW(w, WM_HOTKEY, 5, 0);
    // 48.5 on a scale of whole percent.
    EXPECT_LE(LiveVolume(1), 49 * kCurrencyScale);
    EXPECT_GE(LiveVolume(1), 48 * kCurrencyScale);
    // A step that is no number changes nothing.
    RegWrite(gRegRoot, L"MicVolumeIncreaseStep", std::wstring(L"lots"));
    const Currency before = LiveVolume(1);
    ::SendMessageW(w, WM_HOTKEY, 4, 0);
    EXPECT_EQ(LiveVolume(1), before);

    // A profile's key applies the profile on its menu item.
    ::SendMessageW(w, WM_HOTKEY, kProfileHotkeyBase, 0);
    EXPECT_EQ(ActiveProfile(), L"A");
}

TEST_F(TrayMenu, FixedKeysAreRegisteredFromTheirValuesAndDroppedWithTheSpeakers) {
    RegWrite(gRegRoot, L"Shortcut0", HexToBytes(L"7807"));  // Ctrl+Alt+Shift+F9
    RegWrite(gRegRoot, L"Shortcut2", HexToBytes(L"0006"));  // no key
    frmKalvenor& form = Load(L"");
    ASSERT_TRUE(form.HotkeysEnabled());
    EXPECT_FALSE(KeyIsFree(MOD_ALT | MOD_CONTROL | MOD_SHIFT, 0x78));
    EXPECT_EQ(FixedShortcutKey(2), HexToBytes(L"0006"));
    EXPECT_EQ(FixedShortcutKey(4), HexToBytes(L"0000"));

    // The speakers switched off through the audio system: its balloon, and the keys go.
    Pump(1100);  // out of the start-up's own-change window
    balloons_.clear();
    sim::SetSimEndpointState(Endpoint(L"speakers"), 2);
    sim::WaitForSimNotifications();
    ASSERT_TRUE(PumpUntil([&] { return !form.HotkeysEnabled(); }));
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text,
              L"\r\nYour Xonar Speakers are now disabled.\r\n\r\nAll features are suspended until Speakers output is enabled again.");
    EXPECT_TRUE(KeyIsFree(MOD_ALT | MOD_CONTROL | MOD_SHIFT, 0x78));
    EXPECT_FALSE(gDeviceStatePending.load() || gPropertyValuePending.load());
    sim::SetSimEndpointState(Endpoint(L"speakers"), 1);
    sim::WaitForSimNotifications();
    ASSERT_TRUE(PumpUntil([&] { return form.HotkeysEnabled(); }));
    EXPECT_FALSE(KeyIsFree(MOD_ALT | MOD_CONTROL | MOD_SHIFT, 0x78));
}

void PressKeys(std::initializer_list<WORD> keys) {
    SendKeys(keys, false);
    SendKeys(keys, true);
}

// A visible window in the foreground, which real key presses need.
class ForegroundWindow {
public:
    ForegroundWindow() {
        window_ = ::CreateWindowExW(0, L"STATIC", L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                    nullptr, nullptr, nullptr);
        ::SetForegroundWindow(window_);
        Pump(100);
    }
    ~ForegroundWindow() { ::DestroyWindow(window_); }
    ForegroundWindow(const ForegroundWindow&) = delete;
    ForegroundWindow& operator=(const ForegroundWindow&) = delete;

private:
    HWND window_;
};

TEST_F(TrayMenu, ARealKeyPressFiresTheRegisteredKey) {
    RegWrite(gRegRoot, L"Shortcut0", HexToBytes(L"7803"));  // Ctrl+Shift+F9: master mute
    Load(L"");
    ForegroundWindow foreground;
    const bool muted = MasterMuted();
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    EXPECT_TRUE(PumpUntil([&] { return MasterMuted() != muted; }));
}

class CaptureForm final : public Form {
public:
    CaptureForm() : Form(L"frmCaptureTest") {
        Design(FormLayout(L"Capture", 3000, 1200), {ControlRow(ControlType::TextBox, L"txtKey", -1, L"", 120, 120, 2400, 300)});
    }
    ~CaptureForm() override { Unload(); }
    TextBox& Box() { return Get<TextBox>(L"txtKey"); }
};

TEST_F(TrayMenu, CaptureBoxRecordsKeysAndIgnoresNavigationAndTyping) {
    CaptureForm form;
    form.Load();
    TextBox& box = form.Box();
    SubclassControl(box);
    ASSERT_TRUE(IsCaptureBox(box.hWnd()));
    HWND w = box.hWnd();
    ::SendMessageW(w, WM_KEYDOWN, 0x41, 0);
    EXPECT_EQ(box.Text(), KeyCodeToString(0x41, 0));
    EXPECT_EQ(box.Tag(), L"41|00");
    ::SendMessageW(w, WM_CHAR, L'a', 0);
    ::SendMessageW(w, WM_KEYDOWN, VK_BACK, 0);
    ::SendMessageW(w, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(box.Tag(), L"41|00");
    EXPECT_EQ(box.Text(), KeyCodeToString(0x41, 0));
    ::SendMessageW(w, WM_KEYDOWN, VK_CONTROL, 0);  // a modifier alone
    EXPECT_EQ(box.Text(), L"");
    EXPECT_EQ(box.Tag(), L"");
    ::SendMessageW(w, WM_KEYDOWN, 0x31, 0);
    ::SendMessageW(w, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(box.Text(), L"");
    EXPECT_EQ(box.Tag(), L"");

    // Pressed for real with its modifiers.
    form.Show();
    ::SetForegroundWindow(form.hWnd());
    ::SetFocus(w);
    Pump(100);
    // The modifiers count while they are held.
    SendKeys({VK_CONTROL, VK_MENU, 0x31}, false);
    EXPECT_TRUE(PumpUntil([&] { return !box.Tag().empty(); }));
    SendKeys({VK_CONTROL, VK_MENU, 0x31}, true);
    Pump(50);
    EXPECT_EQ(box.Tag(), L"31|06");
    EXPECT_EQ(box.Text(), L"CTRL+ALT+1");
    EXPECT_EQ(CaptureTagBytes(box.Tag()), HexToBytes(L"3106"));

    UnsubclassControl(box);
    EXPECT_FALSE(IsCaptureBox(w));
    ::SendMessageW(w, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(box.Tag(), L"31|06");
}

// A profile list stand-in that counts its refreshes.
class ListForm final : public Form, public IProfileListView {
public:
    ListForm() : Form(L"frmProfiles") { Design(FormLayout(L"Profiles"), {}); }
    ~ListForm() override { Unload(); }
    void UpdateProfiles(const std::wstring&, bool) override {}
    std::wstring CurrentProfile() const override { return L""; }
    void UpdateActiveProfile() override { ++refreshes; }
    int refreshes = 0;
};

TEST_F(TrayMenu, BurstOfRegistryChangesRefreshesOnce) {
    frmKalvenor& form = Load(L"");
    ListForm list;
    list.Load();
    // The start-up's own changes are a second old: the refresh doesn't wait for them.
    gLastSelfChange = ::timeGetTime() - kOwnChangeWindowMs;
    ::PostMessageW(form.hWnd(), kMsgRegistryChanged, 0, 0);
    Pump(150);
    const int once = list.refreshes;
    ASSERT_GT(once, 0);
    list.refreshes = 0;
    for (int i = 0; i < 5; ++i) {
        ::PostMessageW(form.hWnd(), kMsgRegistryChanged, 0, 0);
        ::Sleep(3);
    }
    Pump(150);
    EXPECT_EQ(list.refreshes, once);
}

// A form that only hides when asked to close, unless allowed, and records whether the main
// form was still there when it went.
class StubbornForm final : public Form, public IUnloadOnExit {
public:
    StubbornForm() : Form(L"frmHpImpedanceMode") { Design(FormLayout(L"Stubborn"), {}); }
    ~StubbornForm() override {
        allow_ = true;
        Unload();
    }
    void AllowUnload() override { allow_ = true; }
    bool mainFormAtUnload = false;

protected:
    void OnQueryUnload(bool& cancel) override { cancel = !allow_; }
    void OnUnload() override { mainFormAtUnload = MainTrayForm() != nullptr; }

private:
    bool allow_ = false;
};

struct ModalRun {
    HWND owner = nullptr;
    bool returned = false;
    int result = 0;
};
ModalRun gModal;

void CALLBACK OpenMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    gModal.result = ::MessageBoxW(gModal.owner, L"Waiting", L"Kalvenor", MB_YESNO);
    gModal.returned = true;
}

void CALLBACK ChooseExit(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (frmKalvenor* main = MainTrayForm()) ::PostMessageW(main->hWnd(), WM_COMMAND, MAKEWPARAM(kMenuClose, 0), 0);
}

TEST_F(TrayMenu, ExitClosesEveryWindowEvenDuringAModalLoopThenTheMainForm) {
    frmKalvenor& form = Load(L"");
    StubbornForm stubborn;
    stubborn.Load();
    EXPECT_FALSE(stubborn.Unload());  // it refuses on its own
    ListForm list;
    list.Load();
    gModal = {};
    gModal.owner = list.hWnd();
    ::SetTimer(nullptr, 0, 10, &OpenMessageBox);
    ::SetTimer(nullptr, 0, 300, &ChooseExit);
    ASSERT_TRUE(PumpUntil([&] { return !form.Loaded(); }, 5000));
    EXPECT_TRUE(gModal.returned);
    EXPECT_FALSE(list.Loaded());
    EXPECT_FALSE(stubborn.Loaded());
    EXPECT_TRUE(stubborn.mainFormAtUnload);
    EXPECT_TRUE(LoadedForms().empty());
}

TEST_F(TrayMenu, CommandsReachTheirWindowsThroughTheOpeners) {
    int profiles = 0, realTime = 0, options = 0, about = 0, volume = 0;
    std::vector<int> lines;
    TrayOpeners().profileManager = [&] { ++profiles; };
    TrayOpeners().realTimeSettings = [&] { ++realTime; };
    TrayOpeners().options = [&] { ++options; };
    TrayOpeners().about = [&] { ++about; };
    TrayOpeners().volume = [&]() -> HWND {
        ++volume;
        return nullptr;
    };
    TrayOpeners().redirectLine = [&](int n) {
        lines.push_back(n);
        return std::wstring(L"calc.exe");
    };
    frmKalvenor& form = Load(L"");
    EXPECT_TRUE(form.MenuItemEnabled(kMenuProfilesEditor));
    EXPECT_TRUE(form.MenuItemEnabled(kMenuRealTimeSettings));
    EXPECT_TRUE(form.MenuItemEnabled(kMenuOptions));
    // Each item opens its own window and no other.
    const UINT ids[] = {kMenuProfilesEditor, kMenuRealTimeSettings, kMenuOptions, kMenuAbout};
    std::vector<int> expected(std::size(ids), 0);
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        ::SendMessageW(form.hWnd(), WM_COMMAND, MAKEWPARAM(ids[i], 0), 0);
        ++expected[i];
        EXPECT_EQ((std::vector<int>{profiles, realTime, options, about}), expected) << "menu item " << ids[i];
    }

    // A double click within the click delay opens the real-time settings and no pop-up.
    ::SendMessageW(form.hWnd(), kTrayCallbackMessage, 0, WM_LBUTTONUP);
    ::SendMessageW(form.hWnd(), kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    Pump(200);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(realTime, 2);
    ::SendMessageW(form.hWnd(), kTrayCallbackMessage, 0, WM_LBUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return volume == 1; }, 1000));

    // The changelog balloon asks for its line once; a second click asks for nothing.
    gBalloonAction = 5;
    ::SendMessageW(form.hWnd(), kTrayCallbackMessage, 0, NIN_BALLOONUSERCLICK);
    ::SendMessageW(form.hWnd(), kTrayCallbackMessage, 0, NIN_BALLOONUSERCLICK);
    EXPECT_EQ(lines, std::vector<int>{3});
    EXPECT_EQ(gBalloonAction, 0);

    // Without the speakers the card's commands go, the program's own stay.
    form.RegisterGlobalHotkeys(false);
    EXPECT_FALSE(form.MenuItemEnabled(kMenuProfilesEditor));
    EXPECT_FALSE(form.MenuItemEnabled(kMenuRealTimeSettings));
    EXPECT_TRUE(form.MenuItemEnabled(kMenuAbout));
}

// Run by the test below at 144 dots per inch; skipped otherwise.
TEST_F(TrayMenu, ScaledScreenChild) {
    if (!InDpiChild()) GTEST_SKIP();
    gDPI = ScreenDpi();
    ASSERT_EQ(gDPI, 144);
    TrayOpeners().realTimeSettings = &ShowRealTimeSettings;
    frmKalvenor& form = Load(L"");
    ::SendMessageW(form.hWnd(), WM_COMMAND, MAKEWPARAM(kMenuRealTimeSettings, 0), 0);
    ASSERT_TRUE(PumpUntil([] { return ProfileEditor() && ProfileEditor()->Visible(); }));
    frmProfile& editor = *ProfileEditor();
    static const wchar_t* const pages[] = {L"output", L"mixer", L"equalizer", L"aec"};
    for (int i = 0; i < 4; ++i) {
        if (!editor.Ctl(L"imgTab", i).Visible()) continue;
        editor.imgTab_Click(i);
        Pump(60);
        const std::wstring state = std::wstring(L"realtime-") + pages[i] + L"-144dpi";
        EXPECT_TRUE(SaveWindowScreenshot(editor.hWnd(), L"frmProfile", state));
    }
    editor.Unload();
    MarkDpiChildDone();
}

TEST(TrayMenuScaled, RealTimeSettingsAt144Dpi) { EXPECT_TRUE(RunTestsAtDpi(L"TrayMenu.ScaledScreenChild", 144)); }

TEST_F(TrayMenu, PopupBesideTheIconStaysOnTheMonitorWithoutAnIconRectangle) {
    Load(L"");
    // The fallback placement is what this checks: the shell here can't tell the icon's rectangle.
    const RECT icon = GetNotifyIconRect();
    ASSERT_TRUE(::IsRectEmpty(&icon));
    HWND popup = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 180, 120, nullptr, nullptr,
                                   nullptr, nullptr);
    POINT corners[] = {{0, 0}, {100000, 100000}, {-100000, 100000}};
    for (const POINT& at : corners) {
        ::SetCursorPos(at.x, at.y);
        PositionNearTray(popup, true);
        RECT placed{};
        ::GetWindowRect(popup, &placed);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        ::GetMonitorInfoW(::MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &info);
        EXPECT_TRUE(::IsWindowVisible(popup));
        EXPECT_GE(placed.left, info.rcMonitor.left);
        EXPECT_GE(placed.top, info.rcMonitor.top);
        EXPECT_LE(placed.right, info.rcMonitor.right);
        EXPECT_LE(placed.bottom, info.rcMonitor.bottom);
        EXPECT_EQ(placed.right - placed.left, 180);
    }
    ::DestroyWindow(popup);
}

}  // namespace
