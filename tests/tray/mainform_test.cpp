// The main form's start-up on the simulated card: detection balloons, the switches, the start-up
// profile and volume, and what unloading leaves behind.
#include "tests/tray/tray_fixture.h"

#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "base/com.h"
#include "base/worker.h"
#include "device/coreaudio_interfaces.h"
#include "device/notify.h"
#include "sim/audio_objects.h"
#include "tests/common/window_probes.h"
#include "toolkit/tooltip.h"
#include "tray/formopeners.h"

using namespace kal;
using namespace kal::testing;

namespace {

class MainForm : public TrayFixture {};

// Each detection problem: exactly its one balloon, a tray icon, and no card functions.
struct DetectionCase {
    const char* name;
    std::wstring subsys;
    bool driverKey;
    bool probeAnswered;
    bool removed;
    bool speakersDisabled;
    std::wstring text;
    DWORD style;
    int action;
};

TEST_F(MainForm, EachDetectionProblemGivesItsOneBalloonAndNoShortcutKeys) {
    const std::wstring dx = L"\r\nA Xonar DX has been detected, but ";
    const DetectionCase cases[] = {
        {"no card", L"", true, true, true, false, L"\r\nNo compatible Xonar hardware has been detected.", 3, 0},
        {"unknown model", L"12345678", true, true, false, false,
         L"\r\nA Xonar sound card has been detected, but the card model can't be recognized by Kalvenor.", 2, 0},
        {"unsupported model", L"83141043", true, true, false, false,
         L"\r\nA Xonar HDAV1.3 has been detected, but the card model is currently not supported by Kalvenor.", 2, 0},
        {"no driver key", L"", false, true, false, false,
         dx + L"the audio driver is not installed. Please install a suitable audio driver.", 2, 4},
        {"no answering interface", L"", true, false, false, false,
         dx + L"the driver configuration appears to be corrupt.\r\nTry uninstalling and reinstalling your drivers.", 2, 0},
        {"speakers disabled", L"", true, true, false, true,
         dx + L"it appears your Xonar Speakers are disabled.\r\n\r\n"
              L"Please enable the Xonar card Speakers output in the sound control panel.",
         2, 0},
    };
    for (const DetectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimCardSetup setup;
        setup.subsys = c.subsys;
        setup.driverKey = c.driverKey;
        setup.probeAnswered = c.probeAnswered;
        UseCard(setup);
        if (c.removed) sim::RemoveSimCardDevice();
        if (c.speakersDisabled) sim::SetSimEndpointState(Endpoint(L"speakers"), 2);
        // A start-up profile that must not be applied.
        RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"A"));
        Store(L"A", L"EqEnable", L"01");
        balloons_.clear();
        adds_ = 0;

        frmKalvenor& form = Load(L"");
        ASSERT_EQ(balloons_.size(), 1u);
        EXPECT_EQ(balloons_[0].title, L"Kalvenor");
        EXPECT_EQ(balloons_[0].text, c.text);
        EXPECT_EQ(balloons_[0].style, c.style);
        EXPECT_EQ(gBalloonAction, c.action);
        EXPECT_EQ(adds_, 1);
        EXPECT_FALSE(form.HotkeysEnabled());
        EXPECT_FALSE(form.MenuItemEnabled(kMenuProfilesEditor));
        EXPECT_FALSE(form.MenuItemEnabled(kMenuRealTimeSettings));
        EXPECT_TRUE(form.MenuItemEnabled(kMenuClose));
        EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"(empty)"});
        EXPECT_EQ(ActiveProfile(), L"<none>");
        form.Unload();
        if (c.speakersDisabled) sim::SetSimEndpointState(Endpoint(L"speakers"), 1);
    }
}

TEST_F(MainForm, GivenCardIdLetsAnUnansweredProbeGoOn) {
    sim::SimCardSetup setup;
    setup.probeAnswered = false;
    UseCard(setup);
    RegWrite(gRegRoot, L"HID", std::wstring(L"VEN_13F6&DEV_8788"));
    frmKalvenor& form = Load(L"/mastermute");
    EXPECT_TRUE(balloons_.empty());
    EXPECT_TRUE(form.HotkeysEnabled());
    EXPECT_TRUE(MasterMuted());
}

TEST_F(MainForm, FailedUpdateBalloonIsTheOnlyOneEvenWithoutCard) {
    sim::RemoveSimCardDevice();
    RegWrite(gRegRoot, L"UpdatePending", Bytes{1});
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text,
              L"\r\nAn attempt to update Kalvenor has failed.\r\n\r\nYou can retry by using the \"Update\" menu.");
    EXPECT_EQ(balloons_[0].style, 2u);
    EXPECT_FALSE(RegReadBytes(gRegRoot, L"UpdatePending").has_value());
}

TEST_F(MainForm, SuccessfulUpdateOffersTheChangelogAndSuppressesTheProfileBalloon) {
    RegWrite(gRegRoot, L"UpdatePending", Bytes{1});
    RegWrite(gRegRoot, L"UpdateSuccessful", Bytes{1});
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"A"));
    Store(L"A", L"EqEnable", L"01");
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text.find(L"\r\nApplication successfully updated to version "), 0u);
    EXPECT_EQ(gBalloonAction, 5);
    EXPECT_EQ(ActiveProfile(), L"A");
    EXPECT_FALSE(RegReadBytes(gRegRoot, L"UpdateSuccessful").has_value());
}

TEST_F(MainForm, StartupProfileWithAndWithoutStartupVolume) {
    Store(L"A", L"EqEnable", L"01");
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"A"));
    {
        frmKalvenor& form = Load(L"");
        ASSERT_EQ(balloons_.size(), 1u);
        EXPECT_EQ(balloons_[0].text, L"\r\nProfile \"A\" successfully loaded.");
        EXPECT_EQ(balloons_[0].style, 1u);
        EXPECT_EQ(ActiveProfile(), L"A");
        EXPECT_TRUE(form.HotkeysEnabled());
        EXPECT_EQ(form.MenuItemEnabled(kMenuRealTimeSettings), static_cast<bool>(TrayOpeners().realTimeSettings));
        EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"A"});
        EXPECT_TRUE(form.ProfileItemChecked(0));
        form.Unload();
    }
    balloons_.clear();
    RegWrite(gRegRoot, L"DefaultVolume", std::wstring(L"40"));
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    const std::wstring head = L"\r\nProfile \"A\" successfully loaded. Master volume successfully set to 40% / -";
    EXPECT_EQ(balloons_[0].text.substr(0, head.size()), head);
    EXPECT_EQ(balloons_[0].text.substr(balloons_[0].text.size() - 3), L"dB.");
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    EXPECT_EQ(volume, 40 * kCurrencyScale);
}

TEST_F(MainForm, StartupVolumeBalloonOnlyWhenProfileNotificationIsOff) {
    RegWrite(gRegRoot, L"DefaultVolume", std::wstring(L"25"));
    Load(L"");
    EXPECT_TRUE(balloons_.empty());  // DefaultProfileNotify absent counts as set
    form_->Unload();
    RegWrite(gRegRoot, L"DefaultProfileNotify", Bytes{0});
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text.substr(0, 42), L"\r\nMaster volume successfully set to 25% / ");
    // With a start-up profile whose notification is off, the one balloon carries the volume.
    form_->Unload();
    balloons_.clear();
    Store(L"A", L"EqEnable", L"01");
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"A"));
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text.find(L"\r\nMaster volume successfully set to 25%"), 0u);
}

TEST_F(MainForm, StartupVolumeAboveFullIsFullAndOnlyASetVolumeIsReported) {
    RegWrite(gRegRoot, L"DefaultVolume", std::wstring(L"250"));
    RegWrite(gRegRoot, L"DefaultProfileNotify", Bytes{0});
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text.find(L"\r\nMaster volume successfully set to 100% / "), 0u);
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    EXPECT_EQ(volume, 100 * kCurrencyScale);
    // Without the audio object nothing can be set, so nothing is reported as set.
    form_->Unload();
    balloons_.clear();
    RegWrite(gRegRoot, L"DefaultVolume", std::wstring(L"40"));
    ReleaseAudioObject();
    Load(L"");
    for (const auto& b : balloons_) EXPECT_EQ(b.text.find(L"Master volume"), std::wstring::npos) << b.text.c_str();
}

TEST_F(MainForm, StartupVolumeThatCannotBeReadBackIsNotReported) {
    // Windows XP's mixer refusing every control read: the master volume can be neither set nor
    // read back, which must not count as a volume of 0 %.
    ReleaseAudioObject();
    gIsXP = true;
    CreateAudioObject();
    gPlatform.mixerGetControlDetailsW = [](HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD) -> MMRESULT {
        return MMSYSERR_ERROR;
    };
    RegWrite(gRegRoot, L"DefaultProfileNotify", Bytes{0});
    for (const wchar_t* volume : {L"0", L"1"}) {
        SCOPED_TRACE(volume);
        RegWrite(gRegRoot, L"DefaultVolume", std::wstring(volume));
        balloons_.clear();
        EXPECT_TRUE(Load(L"").HotkeysEnabled());
        for (const auto& b : balloons_) EXPECT_EQ(b.text.find(L"Master volume"), std::wstring::npos);
    }
    form_->Unload();
    ReleaseAudioObject();
    gIsXP = false;
}

TEST_F(MainForm, ProfileThatDoesNotExistIsReportedNotLoaded) {
    Load(L"/profile=Nope");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].style, 2u);
    EXPECT_NE(balloons_[0].text.find(L"\"Nope\""), std::wstring::npos);
    EXPECT_EQ(balloons_[0].text.find(L"successfully"), std::wstring::npos);
    EXPECT_EQ(ActiveProfile(), L"<none>");
    form_->Unload();
    balloons_.clear();
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"Gone"));
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text, L"\r\nProfile \"Gone\" could not be loaded: no profile of that name exists.");
    EXPECT_EQ(balloons_[0].style, 2u);
    // A profile that exists but holds no values is not called missing.
    form_->Unload();
    balloons_.clear();
    Store(L"Gone", L"EqEnable", L"01");
    RegDeleteValue(Profile(L"Gone"), L"EqEnable");
    ASSERT_TRUE(RegKeyExists(Profile(L"Gone")));
    Load(L"");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text, L"\r\nProfile \"Gone\" could not be loaded: it holds no settings.");
    EXPECT_EQ(balloons_[0].style, 2u);
    EXPECT_EQ(ActiveProfile(), L"<none>");
}

TEST_F(MainForm, ProfileSwitchCyclesFromTheActiveProfile) {
    for (const wchar_t* name : {L"A", L"B", L"C"}) Store(name, L"EqEnable", L"01");
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"B"));
    Load(L"/profile");
    EXPECT_EQ(ActiveProfile(), L"C");
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text, L"\r\nProfile \"C\" successfully loaded.");
    form_->Unload();
    Load(L"/profile");
    EXPECT_EQ(ActiveProfile(), L"A");
    form_->Unload();
    Load(L"/profile=C,B");
    EXPECT_EQ(ActiveProfile(), L"C");
}

TEST_F(MainForm, InputSwitchMutesTheChosenRecordingLine) {
    Load(L"/inputmutetoggle=0 /masterunmute");
    ASSERT_FALSE(gInputLineIds[0].empty());
    const int line = sim::FindSimEndpoint(gInputLineIds[0]);
    ASSERT_GE(line, 0);
    EXPECT_TRUE(sim::SimMute(line));
    EXPECT_FALSE(MasterMuted());
}

TEST_F(MainForm, NoUICarriesOutTheSwitchesWithoutIconAndUnloads) {
    Store(L"A", L"EqEnable", L"01");
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"B"));
    Store(L"B", L"EqEnable", L"00");
    gNoUI = true;
    frmKalvenor& form = Load(L"/noui /profile=a /mastermute");
    EXPECT_TRUE(form.Loaded());
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(adds_, 0);
    EXPECT_TRUE(balloons_.empty());
    EXPECT_EQ(ActiveProfile(), L"A");  // the key's own spelling
    EXPECT_TRUE(MasterMuted());
    EXPECT_EQ(sim::SimLiveValue(L"EqEnable"), Bytes{1});
}

TEST_F(MainForm, NoUIWithoutProfileSwitchAppliesNoDefaultProfile) {
    Store(L"B", L"EqEnable", L"01");
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"B"));
    gNoUI = true;
    Load(L"/noui");
    RunMessageLoop();
    EXPECT_EQ(ActiveProfile(), L"<none>");
    EXPECT_TRUE(Writes().empty());
}

TEST_F(MainForm, TaskbarRestartBringsTheIconBackAlsoWithoutCard) {
    sim::RemoveSimCardDevice();
    frmKalvenor& form = Load(L"");
    ASSERT_EQ(adds_, 1);
    ASSERT_NE(gTaskbarCreatedMsg, 0u);
    ::SendMessageW(form.hWnd(), gTaskbarCreatedMsg, 0, 0);
    EXPECT_EQ(adds_, 2);
    form.Unload();
    // Once the form is gone nothing answers it.
    EXPECT_EQ(gTaskbarCreatedMsg, 0u);
}

TEST_F(MainForm, UnloadReleasesWhatLoadTook) {
    frmKalvenor& form = Load(L"");
    ASSERT_TRUE(form.HotkeysEnabled());
    EXPECT_TRUE(TrayWindowHooked());
    // Its messages reach the form's own handler: the window keeps its class's procedure.
    EXPECT_EQ(::GetWindowLongPtrW(form.hWnd(), GWLP_WNDPROC), ::GetClassLongPtrW(form.hWnd(), GCLP_WNDPROC));
    // The shared tooltip is made when first asked for, not by the load.
    EXPECT_EQ(gToolTip, nullptr);
    clsToolTip* tip = SharedToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SharedToolTip(), tip);
    EXPECT_EQ(::GetWindow(tip->hWnd(), GW_OWNER), form.hWnd());
    EXPECT_EQ(RegistryWatcherCount(), 1u);
    EXPECT_EQ(sim::SimNotificationClientCount(), 1u);
    EXPECT_EQ(sim::SimVolumeCallbackCount(), 1u);
    EXPECT_EQ(TrayServices(), static_cast<ITrayServices*>(&form));
    form.Unload();
    EXPECT_FALSE(TrayWindowHooked());
    EXPECT_FALSE(TrayIconAdded());
    EXPECT_EQ(deletes_, 1);
    EXPECT_EQ(gToolTip, nullptr);
    EXPECT_EQ(SharedToolTip(), nullptr);
    EXPECT_EQ(RegistryWatcherCount(), 0u);
    EXPECT_EQ(sim::SimNotificationClientCount(), 0u);
    EXPECT_EQ(sim::SimVolumeCallbackCount(), 0u);
    EXPECT_EQ(TrayServices(), nullptr);
    EXPECT_EQ(MainTrayForm(), nullptr);
    EXPECT_TRUE(LoadedForms().empty());
}

// A system with no room for another thread: the watch of the driver's settings can't be made,
// and the start-up goes on without it.
TEST_F(MainForm, StartUpGoesOnWhenNoThreadCanBeStarted) {
    Store(L"A", L"EqEnable", L"01");
    Store(L"A", L"Shortcut", L"7A03");                      // Ctrl+Shift+F11
    RegWrite(gRegRoot, L"Shortcut0", HexToBytes(L"7803"));  // Ctrl+Shift+F9: master mute
    RegWrite(gRegRoot, L"DefaultProfile", std::wstring(L"A"));
    StopWorker();
    FailWorkerThreadStarts(true);
    struct Restore {
        ~Restore() { FailWorkerThreadStarts(false); }
    } restore;
    frmKalvenor& form = Load(L"");
    FailWorkerThreadStarts(false);
    EXPECT_EQ(RegistryWatcherCount(), 0u);
    EXPECT_EQ(sim::SimNotificationClientCount(), 1u);
    EXPECT_EQ(sim::SimVolumeCallbackCount(), 1u);
    EXPECT_EQ(ActiveProfile(), L"A");
    EXPECT_EQ(sim::SimLiveValue(L"EqEnable"), Bytes{1});
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text, L"\r\nProfile \"A\" successfully loaded.");
    EXPECT_TRUE(form.HotkeysEnabled());
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11));
    EXPECT_FALSE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"A\tCTRL+SHIFT+F11"});
    EXPECT_TRUE(form.MenuItemEnabled(kMenuProfileBase));
    form.Unload();
    EXPECT_TRUE(KeyIsFree(MOD_CONTROL | MOD_SHIFT, VK_F11));
}

TEST_F(MainForm, SpeakersSwitchedOffAndOnSuspendAndResumeTheMenus) {
    Store(L"A", L"EqEnable", L"01");
    frmKalvenor& form = Load(L"");
    ASSERT_TRUE(form.HotkeysEnabled());
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"A"});
    OnSpeakersOutputChanged(gPlaybackLineIds[0], 2);
    EXPECT_FALSE(form.HotkeysEnabled());
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"(empty)"});
    EXPECT_FALSE(form.MenuItemEnabled(kMenuProfileBase));
    OnSpeakersOutputChanged(gPlaybackLineIds[0], 1);
    EXPECT_TRUE(form.HotkeysEnabled());
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"A"});
    ASSERT_EQ(balloons_.size(), 2u);
    EXPECT_EQ(balloons_[0].text, L"\r\nYour Xonar Speakers are now disabled.\r\n\r\n"
                                 L"All features are suspended until Speakers output is enabled again.");
    EXPECT_EQ(balloons_[1].text, L"\r\nSpeakers output enabled. Normal functionality resumed.");
}

// The speakers output disabled when the program starts, or while it runs, and enabled again:
// another program's mute and unmute are shown from then on.
TEST_F(MainForm, SpeakersEnabledAgainReportTheirMute) {
    std::wstring tip;
    SetShellNotifyObserver([&](DWORD message, const NOTIFYICONDATAW& data, BOOL) {
        if ((message == NIM_MODIFY || message == NIM_ADD) && (data.uFlags & NIF_TIP)) tip = data.szTip;
    });
    const int speakers = Endpoint(L"speakers");
    ComPtr<IMMDeviceEnumerator> enumerator;
    ASSERT_EQ(sim::CreateSimDeviceEnumerator(enumerator.put()), S_OK);
    const auto muteFromOutside = [&](bool mute) {
        ComPtr<IMMDevice> device;
        ComPtr<IAudioEndpointVolume> other;
        return SUCCEEDED(enumerator->GetDevice(gPlaybackLineIds[0].c_str(), device.put())) &&
               SUCCEEDED(device->Activate(kIidAudioEndpointVolume, CLSCTX_ALL, nullptr, other.put_void())) &&
               SUCCEEDED(other->SetMute(mute, nullptr));
    };
    const auto muted = [&] { return tip.find(L"Muted") != std::wstring::npos; };
    // The user switches the output: no change of the program's own is under way.
    const auto switchSpeakers = [&](DWORD state) {
        gLastSelfChange = ::timeGetTime() - 5000;
        sim::SetSimEndpointState(speakers, state);
    };
    for (const bool atStart : {true, false}) {
        SCOPED_TRACE(atStart ? "disabled at the start" : "disabled later");
        if (atStart) sim::SetSimEndpointState(speakers, DEVICE_STATE_DISABLED);
        frmKalvenor& form = Load(L"");
        if (!atStart) {
            ASSERT_TRUE(form.HotkeysEnabled());
            switchSpeakers(DEVICE_STATE_DISABLED);
            ASSERT_TRUE(PumpUntil([&] { return !form.HotkeysEnabled(); }));
        }
        switchSpeakers(DEVICE_STATE_ACTIVE);
        ASSERT_TRUE(PumpUntil([&] { return form.HotkeysEnabled(); }));
        Pump(200);
        ASSERT_FALSE(muted()) << tip;
        EXPECT_EQ(sim::SimVolumeCallbackCount(), 1u);
        ASSERT_TRUE(muteFromOutside(true));
        EXPECT_TRUE(PumpUntil(muted)) << tip;
        ASSERT_TRUE(muteFromOutside(false));
        EXPECT_TRUE(PumpUntil([&] { return !muted(); })) << tip;
        form.Unload();
    }
}

TEST_F(MainForm, WindowsXPWatchesTheSpeakerKeyAndReportsTheVolumeWithoutDecibels) {
    ReleaseAudioObject();
    gIsXP = true;
    CreateAudioObject();
    RegWrite(gRegRoot, L"DefaultVolume", std::wstring(L"30"));
    RegWrite(gRegRoot, L"DefaultProfileNotify", Bytes{0});
    frmKalvenor& form = Load(L"");
    EXPECT_TRUE(form.HotkeysEnabled());
    EXPECT_EQ(RegistryWatcherCount(), 2u);
    EXPECT_EQ(sim::SimNotificationClientCount(), 0u);
    ASSERT_EQ(balloons_.size(), 1u);
    EXPECT_EQ(balloons_[0].text, L"\r\nMaster volume successfully set to 30%.");
    form.Unload();
    EXPECT_EQ(RegistryWatcherCount(), 0u);
    ReleaseAudioObject();
    gIsXP = false;
}

TEST_F(MainForm, MenuFollowsTheStoredProfiles) {
    frmKalvenor& form = Load(L"");
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"(empty)"});
    EXPECT_FALSE(form.MenuItemEnabled(kMenuProfileBase));
    Store(L"A", L"EqEnable", L"01");
    Store(L"B", L"EqEnable", L"00");
    form.UpdateMenus();
    const auto captions = form.ProfileMenuCaptions();
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_TRUE(form.MenuItemEnabled(kMenuProfileBase));
    RegDeleteTree(gRegProfiles, L"A");
    form.UpdateMenus();
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"B"});
    // Choosing the item applies it; so does the hot key of its position.
    ::SendMessageW(form.hWnd(), WM_COMMAND, MAKEWPARAM(kMenuProfileBase, 0), 0);
    EXPECT_EQ(ActiveProfile(), L"B");
    EXPECT_TRUE(form.ProfileItemChecked(0));
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"none"));
    ::SendMessageW(form.hWnd(), WM_HOTKEY, kProfileHotkeyBase + 1, 0);  // no such item
    EXPECT_EQ(ActiveProfile(), L"none");
    ::SendMessageW(form.hWnd(), WM_HOTKEY, kProfileHotkeyBase, 0);
    EXPECT_EQ(ActiveProfile(), L"B");
    // Exit unloads the form.
    ::SendMessageW(form.hWnd(), WM_COMMAND, MAKEWPARAM(kMenuClose, 0), 0);
    EXPECT_FALSE(form.Loaded());
}

}  // namespace
