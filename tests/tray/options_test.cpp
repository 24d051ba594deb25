// The options window on the running tray program: what each control stores, the shortcut keys
// it registers, and the pages as the user sees them.
#include "tray/options.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

#include "editor/profiles.h"
#include "startup/autostart.h"
#include "startup/utility.h"
#include "tests/common/child.h"
#include "tests/common/layout_probe.h"
#include "tests/common/screenshot.h"
#include "tests/common/window_probes.h"
#include "tests/tray/dialog_answerer.h"
#include "tests/tray/tray_fixture.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/backup.h"
#include "tray/formopeners.h"

using namespace kal;
using namespace kal::testing;

namespace {

class Options : public TrayFixture {
protected:
    void SetUp() override {
        TrayFixture::SetUp();
        Store(L"Alpha", L"Shortcut", L"0000");
        Store(L"Beta", L"Shortcut", L"0000");
        // As the program's start fills it.
        TrayOpeners().options = &ShowOptions;
        Load(L"");
        ASSERT_TRUE(form_->MenuItemEnabled(kMenuOptions));
        TrayOpeners().options();
        ASSERT_NE(OptionsForm(), nullptr);
    }
    void TearDown() override {
        if (OptionsForm()) OptionsForm()->Unload();
        TrayOpeners().options = nullptr;
        TrayFixture::TearDown();
    }

    // An exception fails the test and lets the suite go on.
    frmOptions& F() { return OptionsForm() ? *OptionsForm() : throw std::runtime_error("no Options window"); }
    template <typename T>
    T& C(const wchar_t* name, int index = -1) {
        return F().Get<T>(name, index);
    }
    static std::wstring Text(const wchar_t* name) { return RegReadText(gRegRoot, name).value_or(L"<none>"); }
    static std::wstring Hex(const wchar_t* name) {
        const auto b = RegReadBytes(gRegRoot, name);
        return b ? BytesToHex(*b) : L"<none>";
    }
    void Screenshot(int page, const wchar_t* state) {
        F().imgTab_Click(page);
        Pump(100);
        SaveWindowScreenshot(F().hWnd(), L"frmOptions", state);
    }
};

// Another window of the process, to see whether a key is still taken.
struct OtherWindow {
    HWND h = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ~OtherWindow() {
        ::UnregisterHotKey(h, 1);
        ::DestroyWindow(h);
    }
    bool CanRegister(UINT vk) {
        const bool ok = ::RegisterHotKey(h, 1, 0, vk);
        ::UnregisterHotKey(h, 1);
        return ok;
    }
};

void PressKey(TextBox& box, UINT vk) { ::SendMessageW(box.hWnd(), WM_KEYDOWN, vk, 1); }

void SetPixelWidth(HWND window, int width) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::SetWindowPos(window, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The narrowest width at which the button draws its caption as it does with room to spare.
int NarrowestWholeWidth(HWND button) {
    const auto paint = [button](int width) {
        SetPixelWidth(button, width);
        return PaintClient(button, WM_PRINTCLIENT, PRF_CLIENT | PRF_ERASEBKGND);
    };
    RECT r{};
    ::GetWindowRect(button, &r);
    const PaintedClient roomy = paint(r.right - r.left + 200);
    const COLORREF back = roomy.At(roomy.width - 1, roomy.height / 2);
    int ink = 0;
    for (int y = 0; y < roomy.height; ++y)
        for (int x = 0; x < roomy.width; ++x)
            if (roomy.At(x, y) != back) ink = std::max(ink, x);
    for (int width = ink + 1;; ++width) {
        const PaintedClient drawn = paint(width);
        bool same = true;
        for (int y = 0; y < drawn.height && same; ++y)
            for (int x = 0; x <= ink && same; ++x) same = drawn.At(x, y) == roomy.At(x, y);
        if (same) return width;
    }
}

}  // namespace

TEST_F(Options, ATabClickedShowsItsPageStandingOnIt) {
    EXPECT_EQ(F().CurrentTab(), 0);
    ASSERT_TRUE(User::Click(C<PictureBox>(L"imgTab", 3)));
    EXPECT_EQ(F().CurrentTab(), 3);
    for (int i = 0; i < frmOptions::kTabCount; ++i)
        EXPECT_EQ(F().Ctl(L"pctTabContent", i).Visible(), i == 3) << i;
    // Tab and page read as one sheet: no edge between them, the page's edge under the others.
    auto& page = C<PictureBox>(L"pctTabContent", 3);
    auto& tab = C<PictureBox>(L"imgTab", 3);
    EXPECT_EQ(tab.Top() + tab.Height(), page.Top());
    RECT r{};
    ::GetClientRect(tab.Window(), &r);
    EXPECT_EQ(::GetPixel(tab.hDC(), r.right / 2, r.bottom - 1), page.BackColor());
    for (int i : {2, 3}) {
        POINT middle{r.right / 2, 0};
        ::MapWindowPoints(F().Ctl(L"imgTab", i).Window(), page.Window(), &middle, 1);
        EXPECT_EQ(::GetPixel(page.hDC(), middle.x, 0) == page.BackColor(), i == 3) << i;
    }
}

TEST_F(Options, StartupProfileAndVolumeStoreAtOnce) {
    F().imgTab_Click(1);
    auto& load = C<CheckBox>(L"chkStartupAudio", 0);
    auto& list = C<ComboBox>(L"cboDefaultProfile");
    EXPECT_FALSE(list.Enabled());
    ASSERT_TRUE(User::Click(load));
    EXPECT_EQ(Text(L"DefaultProfile"), L"Alpha");
    EXPECT_EQ(Hex(L"DefaultProfileNotify"), L"01");
    ASSERT_TRUE(User::ChooseItem(list, 1));
    EXPECT_EQ(Text(L"DefaultProfile"), L"Beta");
    ASSERT_TRUE(User::Click(C<CheckBox>(L"chkDefaultProfileNotify")));
    EXPECT_EQ(Hex(L"DefaultProfileNotify"), L"00");

    auto& volume = C<CheckBox>(L"chkStartupAudio", 1);
    auto& slider = C<Slider>(L"csliDefaultVolume");
    EXPECT_FALSE(User::DragTo(slider, 40));  // off: the slider only shows the present volume
    EXPECT_EQ(Text(L"DefaultVolume"), L"<none>");
    ASSERT_TRUE(User::Click(volume));
    EXPECT_EQ(Hex(L"DefaultVolumeNotify"), L"01");
    ASSERT_TRUE(User::DragTo(slider, 40));
    EXPECT_EQ(Text(L"DefaultVolume"), L"40");
    EXPECT_EQ(F().Ctl(L"lblStartupAudioVolume").Caption().substr(0, 6), L"40% / ");
    Screenshot(1, L"startup");

    // A fresh window shows what is stored.
    F().Unload();
    TrayOpeners().options();
    EXPECT_EQ(C<CheckBox>(L"chkStartupAudio", 0).Value(), 1);
    EXPECT_EQ(C<ComboBox>(L"cboDefaultProfile").List(C<ComboBox>(L"cboDefaultProfile").ListIndex()), L"Beta");
    EXPECT_EQ(C<CheckBox>(L"chkDefaultProfileNotify").Value(), 0);
    EXPECT_EQ(C<Slider>(L"csliDefaultVolume").Value(), 40);
    EXPECT_EQ(Text(L"DefaultVolume"), L"40");

    F().imgTab_Click(1);
    ASSERT_TRUE(User::Click(C<CheckBox>(L"chkStartupAudio", 0)));
    ASSERT_TRUE(User::Click(C<CheckBox>(L"chkStartupAudio", 1)));
    for (const wchar_t* name : {L"DefaultProfile", L"DefaultProfileNotify", L"DefaultVolume", L"DefaultVolumeNotify"})
        EXPECT_FALSE(RegRead(gRegRoot, name)) << name;
    EXPECT_FALSE(C<CheckBox>(L"chkDefaultVolumeNotify").Enabled());
}

TEST_F(Options, InterfaceSettingsTakeEffect) {
    gIsWin10 = true;
    F().Unload();
    TrayOpeners().options();
    F().imgTab_Click(2);
    ASSERT_TRUE(User::Click(C<CheckBox>(L"chkLegacyIconsUnderWin10")));
    EXPECT_EQ(Hex(L"Win10LegacyIcons"), L"01");

    ASSERT_TRUE(User::DragTo(C<Slider>(L"csliWheelIncrement"), 5));
    EXPECT_EQ(Text(L"SliderWheelIncrement"), L"5");
    EXPECT_EQ(gWheelIncrement, 5);

    auto& size = C<ComboBox>(L"cboInterfaceFontSize");
    EXPECT_EQ(size.List(0), L"<Use System Size>");
    ASSERT_EQ(size.List(7), L"12");
    ASSERT_TRUE(User::ChooseItem(size, 7));
    EXPECT_EQ(Text(L"UIFontSize"), L"12");
    ASSERT_TRUE(gUIFont);
    EXPECT_EQ(gUIFont->size, 12);
    ASSERT_NE(F().Ctl(L"cmdClose").Font(), nullptr);
    EXPECT_EQ(F().Ctl(L"cmdClose").Font()->size, 12);
    auto& face = C<ComboBox>(L"cboInterfaceFontName");
    ASSERT_GT(face.ListCount(), 1);
    ASSERT_TRUE(User::ChooseItem(face, 1));
    EXPECT_EQ(Text(L"UIFont"), face.List(1));
    EXPECT_EQ(gUIFont->name, face.List(1));
    Screenshot(2, L"interface");
    ASSERT_TRUE(User::ChooseItem(size, 0));
    ASSERT_TRUE(User::ChooseItem(face, 0));
    EXPECT_FALSE(RegRead(gRegRoot, L"UIFontSize"));
    EXPECT_FALSE(RegRead(gRegRoot, L"UIFont"));

    // A stored size the list lacks shows the system entry and leaves the face alone.
    RegWrite(gRegRoot, L"UIFontSize", std::wstring(L"5"));
    RegWrite(gRegRoot, L"UIFont", face.List(1));
    F().Unload();
    TrayOpeners().options();
    EXPECT_EQ(C<ComboBox>(L"cboInterfaceFontSize").ListIndex(), 0);
    EXPECT_EQ(C<ComboBox>(L"cboInterfaceFontName").ListIndex(), 1);
    gWheelIncrement = 0;
}

TEST_F(Options, ACapturedShortcutReplacesTheOldKeyAtOnce) {
    ASSERT_TRUE(form_->HotkeysEnabled());
    F().imgTab_Click(3);
    auto& box = C<TextBox>(L"txtShortcuts", 0);
    OtherWindow other;
    PressKey(box, VK_F7);
    EXPECT_EQ(Hex(L"Shortcut0"), L"7600");
    EXPECT_EQ(box.Tag(), L"76|00");
    EXPECT_FALSE(other.CanRegister(VK_F7));
    PressKey(box, VK_F8);
    EXPECT_EQ(Hex(L"Shortcut0"), L"7700");
    EXPECT_TRUE(other.CanRegister(VK_F7));
    EXPECT_FALSE(other.CanRegister(VK_F8));
    Screenshot(3, L"shortcuts");
    // Keys of the same name (numpad "/" and "/") replace each other too.
    PressKey(box, VK_DIVIDE);
    const std::wstring name = box.Text();
    PressKey(box, VK_OEM_2);
    ASSERT_EQ(box.Text(), name);
    EXPECT_EQ(Hex(L"Shortcut0"), L"BF00");
    EXPECT_TRUE(other.CanRegister(VK_DIVIDE));
    EXPECT_FALSE(other.CanRegister(VK_OEM_2));
    PressKey(box, VK_DELETE);
    EXPECT_EQ(box.Text(), L"");
    EXPECT_FALSE(RegRead(gRegRoot, L"Shortcut0"));
    EXPECT_TRUE(other.CanRegister(VK_OEM_2));
}

TEST_F(Options, StepBoxesStayInRangeAndDropTheDefault) {
    F().imgTab_Click(3);
    auto& plus = C<CommandButton>(L"cmdStepPlus", 0);
    auto& minus = C<CommandButton>(L"cmdStepMinus", 0);
    auto& box = C<TextBox>(L"txtPlayBackMasterVolumeIncreaseStep");
    EXPECT_EQ(box.Text(), L"2%");
    ASSERT_TRUE(User::Click(plus));
    EXPECT_EQ(Text(L"PlayBackMasterVolumeIncreaseStep"), L"3");
    EXPECT_EQ(box.Text(), L"3%");
    ASSERT_TRUE(User::Click(minus));
    EXPECT_FALSE(RegRead(gRegRoot, L"PlayBackMasterVolumeIncreaseStep"));
    for (int i = 0; i < 3; ++i) User::Click(minus);
    EXPECT_EQ(Text(L"PlayBackMasterVolumeIncreaseStep"), L"1");
    for (int i = 0; i < 12; ++i) User::Click(C<CommandButton>(L"cmdStepPlus", 3));
    EXPECT_EQ(Text(L"MicVolumeDecreaseStep"), L"10");
    EXPECT_EQ(C<TextBox>(L"txtMicVolumeDecreaseStep").Text(), L"10%");
}

TEST_F(Options, AutostartOptionsWriteTheRunValue) {
    F().imgTab_Click(1);
    DisableAutostart(0);
    auto& user = C<OptionButton>(L"optStartupAuto", 1);
    ASSERT_TRUE(User::ChooseOption(user));
    std::wstring command;
    EXPECT_NE(FindRunValue(command), L"");
    EXPECT_TRUE(user.Value());
    ASSERT_TRUE(User::ChooseOption(C<OptionButton>(L"optStartupAuto", 0)));
    EXPECT_EQ(FindRunValue(command), L"");
    EXPECT_FALSE(C<OptionButton>(L"optStartupAuto", 3).Visible());
}

TEST_F(Options, UninstallAsksAndNoKeepsEverything) {
    RegWrite(gRegRoot, L"Keep", std::wstring(L"me"));
    Screenshot(0, L"general");
    kaltest::DialogAnswerer answer;
    answer.button = IDNO;
    answer.Run([&] { User::Click(F().Ctl(L"cmdUninstall")); });
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].title, L"Uninstall Kalvenor");
    EXPECT_NE(answer.seen[0].text.find(L"Do you confirm the uninstall operation?"), std::wstring::npos);
    EXPECT_EQ(Text(L"Keep"), L"me");
    EXPECT_NE(OptionsForm(), nullptr);
}

namespace {

// The ids of the running processes of that file name.
std::set<DWORD> ProcessIds(const wchar_t* exeName) {
    std::set<DWORD> ids;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0) ids.insert(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return ids;
}

}  // namespace

TEST_F(Options, UninstallWithTheProfileManagerOpenLeavesNoSettings) {
    // Opened as the user does: the manager's "Default Profile..." button brings up the options.
    F().Unload();
    ShowProfiles();
    ASSERT_NE(ProfilesForm(), nullptr);
    ASSERT_TRUE(User::Click(ProfilesForm()->Ctl(L"cmdDefaultProfile")));
    ASSERT_NE(OptionsForm(), nullptr);
    ASSERT_TRUE(RegKeyExists(gRegRoot));

    F().imgTab_Click(0);
    const std::set<DWORD> explorers = ProcessIds(L"explorer.exe");
    struct Unseal {
        ~Unseal() { SealRegistryKey(L""); }
    } unseal;
    kaltest::DialogAnswerer answer;
    answer.button = IDYES;
    answer.Run([&] { ASSERT_TRUE(User::Click(F().Ctl(L"cmdUninstall"))); });
    // The file manager it opened.
    Pump(500);
    for (DWORD id : ProcessIds(L"explorer.exe")) {
        if (explorers.count(id)) continue;
        if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
            ::TerminateProcess(process, 0);
            ::CloseHandle(process);
        }
    }
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[1].text.substr(0, 24), L"All data has been wiped.");
    EXPECT_FALSE(form_->Loaded());
    EXPECT_EQ(ProfilesForm(), nullptr);
    EXPECT_FALSE(RegKeyExists(gRegRoot));
}

TEST_F(Options, RestoreRefreshesTheWindowAndTheProgram) {
    RegWrite(gRegRoot, L"SliderWheelIncrement", std::wstring(L"4"));
    RegWrite(gRegRoot, L"Shortcut1", Bytes{VK_F9, 0});
    RegWrite(gRegRoot, L"DefaultVolume", std::wstring(L"33"));
    RegWrite(gRegRoot, L"Win10LegacyIcons", Bytes{1});
    RegWrite(gRegRoot, L"Profiles,LastWidth", EncodeStoredSize(kProfilesMinWidth + 1500));
    const std::wstring file = GetTempFolder() + L"options-restore.kbf";
    ASSERT_EQ(WriteBackupFile(file), L"");
    RegDeleteTree(gRegRoot, L"");
    Store(L"Other", L"Shortcut", L"0000");
    // The open profile manager takes the restored size.
    ShowProfiles();
    ASSERT_NE(ProfilesForm(), nullptr);
    const auto managerWidth = [] {
        RECT r{};
        ::GetWindowRect(ProfilesForm()->hWnd(), &r);
        return r.right - r.left;
    };
    ASSERT_EQ(managerWidth(), TwipsToPixelsX(kProfilesMinWidth));

    kaltest::DialogAnswerer answer;
    answer.fileName = file;
    answer.button = IDYES;
    answer.Run([&] { F().cmdRestore_Click(); });
    ::SetCurrentDirectoryW(GetTempFolder().c_str());
    ::DeleteFileW(file.c_str());
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[2].text, L"Restore operation successful.");
    EXPECT_EQ(gWheelIncrement, 4);
    EXPECT_EQ(C<Slider>(L"csliWheelIncrement").Value(), 4);
    EXPECT_EQ(C<Slider>(L"csliDefaultVolume").Value(), 33);
    EXPECT_NE(C<TextBox>(L"txtShortcuts", 1).Text(), L"");
    EXPECT_EQ(C<CheckBox>(L"chkLegacyIconsUnderWin10").Value(), 1);
    EXPECT_EQ(form_->ProfileNames(), (std::vector<std::wstring>{L"Alpha", L"Beta"}));
    OtherWindow other;
    EXPECT_FALSE(other.CanRegister(VK_F9));
    // The refresh wrote nothing back.
    EXPECT_FALSE(RegRead(gRegRoot, L"DefaultVolumeNotify"));
    EXPECT_EQ(managerWidth(), TwipsToPixelsX(kProfilesMinWidth + 1500));
    ProfilesForm()->Unload();
    gWheelIncrement = 0;
}

// Every page at the screen's scale: controls inside their frames and apart, texts whole.
TEST_F(Options, EveryPageKeepsItsControlsApartAndTheirTextWhole) {
    const bool scaled = InDpiChild();
    gDPI = ScreenDpi();
    ASSERT_EQ(gDPI, scaled ? 144 : 96);
    F().Unload();
    TrayOpeners().options();
    const std::wstring suffix = scaled ? L"-144dpi" : L"-96dpi";
    const wchar_t* const pages[] = {L"general", L"startup", L"interface", L"shortcuts"};
    for (int page = 3; page >= 0; --page) {
        Screenshot(page, (pages[page] + suffix).c_str());
        // The preview shows as much of its long sample text as its box holds.
        ExpectWholeLayout(F(), "options, page " + std::to_string(page) + " at " + std::to_string(gDPI) + " dpi",
                          {.partial = {L"lblInterfaceFontPreview"}});
    }
    // The measure of a check box's and an option's caption agrees with what they draw: whole at
    // the narrowest width that draws all of it, cut one pixel narrower.
    F().imgTab_Click(1);
    for (const auto& [name, index, fault] :
         {std::tuple{L"chkStartupAudio", 1, "chkStartupAudio(1): Set Master Volume To:"},
          {L"optStartupAuto", 1, "optStartupAuto(1): Start With Normal User Privileges (No Admin)"}}) {
        const HWND button = F().Ctl(name, index).Window();
        RECT designed{};
        ::GetWindowRect(button, &designed);
        const int whole = NarrowestWholeWidth(button);
        for (const int width : {whole, whole - 1}) {
            SetPixelWidth(button, width);
            EXPECT_EQ(MeasureLayout(F()).clipped.count(fault), width == whole ? 0u : 1u) << fault << ", " << width;
        }
        SetPixelWidth(button, designed.right - designed.left);
    }
    if (scaled) MarkDpiChildDone();
}

TEST(OptionsScaled, EveryPageKeepsItsControlsApartAndTheirTextWholeAt144Dpi) {
    EXPECT_TRUE(RunTestsAtDpi(L"Options.EveryPageKeepsItsControlsApartAndTheirTextWhole", 144));
}

// Run by the test below in a child process of a limited user; skipped otherwise.
TEST(OptionsChild, UninstallOfALimitedUser) {
    if (!::GetEnvironmentVariableW(L"KALVENOR_OPTIONS_CHILD", nullptr, 0)) GTEST_SKIP();
    TestSettingsRoot settings(kTrayRoot);
    RegWrite(gRegRoot, L"Keep", std::wstring(L"me"));
    ShowOptions();
    ASSERT_NE(OptionsForm(), nullptr);
    frmOptions& form = *OptionsForm();
    EXPECT_FALSE(form.Ctl(L"optStartupAuto", 0).Enabled());
    EXPECT_FALSE(form.Ctl(L"optStartupAuto", 1).Enabled());
    EXPECT_TRUE(form.Get<OptionButton>(L"optStartupAuto", 2).Value());
    form.imgTab_Click(1);
    Pump(100);
    SaveWindowScreenshot(form.hWnd(), L"frmOptions", L"startup-limited-user");
    form.cmdUninstall_Click();  // the parent answers the box
    EXPECT_EQ(RegReadText(gRegRoot, L"Keep"), L"me");
    form.Unload();
}

TEST(OptionsLimitedUser, UninstallIsRefusedWhileTheTaskIsOutOfReach) {
    std::optional<kaltest::ChildRun> found;
    ASSERT_TRUE(kaltest::WithUacSwitchedOn([&] {
        DisableAutostart(0);
        EnableAutostart(2);
        ::SetEnvironmentVariableW(L"KALVENOR_OPTIONS_CHILD", L"1");
        found =
            kaltest::RunChildLimited(kaltest::OwnExecutable(), L"--gtest_filter=OptionsChild.UninstallOfALimitedUser");
        ::SetEnvironmentVariableW(L"KALVENOR_OPTIONS_CHILD", nullptr);
        DisableAutostart(0);
    }));
    ASSERT_TRUE(found);
    const kaltest::ChildRun& run = *found;
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, L"Uninstall Kalvenor");
    EXPECT_EQ(run.boxes[0].text,
              L"The current autostart option can only be removed by an Admin account, but Kalvenor is running with just "
              L"normal user rights. Please restart Kalvenor elevated.\r\n\r\nUninstall operation aborted.");
}
