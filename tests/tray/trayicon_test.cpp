// The tray icon's picture from the program's icon resources and the card's live state.
#include "tests/tray/tray_fixture.h"

#include "tests/startup/product_state.h"

#include "base/com.h"
#include "device/coreaudio_interfaces.h"
#include "device/displaytexts.h"
#include "device/mixervalues.h"
#include "sim/audio_objects.h"
#include "tray/formopeners.h"
#include "tray/portable/trayrules.h"
#include "tray/trayicon.h"
#include "tray/volumeform.h"

using namespace kal;
using namespace kal::testing;

namespace {

class TrayIcon : public TrayFixture {};

const wchar_t* const kResourceIcons[] = {L"HP",          L"HP_WIN10",          L"SPEAKERS",    L"SPEAKERS_WIN10",
                                         L"SPDIF",       L"SPDIF_WIN10",       L"KV_MUTE",     L"KV_MUTE_WIN10",
                                         L"KV_VOLUME_H", L"KV_VOLUME_H_WIN10", L"KV_VOLUME_V", L"KV_VOLUME_V_WIN10"};

TEST_F(TrayIcon, ResourceIconsHaveMasksThatMatchTheirAlpha) {
    for (int size : {16, 24}) {
        for (const wchar_t* name : kResourceIcons) {
            SCOPED_TRACE(::testing::Message() << ::testing::PrintToString(std::wstring(name)) << " " << size);
            UniqueIcon icon = LoadIconFromResource(name, size, size);
            ASSERT_TRUE(icon);
            const IconPixels p = ReadIconPixels(icon.get());
            ASSERT_EQ(p.width, size);
            int drawn = 0;
            for (std::size_t i = 0; i < p.argb.size(); ++i) {
                EXPECT_EQ(p.transparent[i], (p.argb[i] >> 24) == 0) << "pixel " << i;
                drawn += p.transparent[i] ? 0 : 1;
            }
            EXPECT_GT(drawn, 0);
        }
    }
    EXPECT_TRUE(LoadIconFromResource(kProgramIcon, 32, 32));
}

TEST_F(TrayIcon, OutputPicturesLeaveRoomForTheirLevelBar) {
    // Headphones take the top: the bar runs along the bottom; speakers the left: a bar at the right.
    UniqueIcon hp = LoadIconFromResource(L"HP", 16, 16);
    const IconPixels h = ReadIconPixels(hp.get());
    EXPECT_TRUE(UseHorizontalVolumeBar(EmptyRightColumns(h), EmptyBottomRows(h)));
    UniqueIcon sp = LoadIconFromResource(L"SPEAKERS", 16, 16);
    const IconPixels s = ReadIconPixels(sp.get());
    EXPECT_FALSE(UseHorizontalVolumeBar(EmptyRightColumns(s), EmptyBottomRows(s)));
    EXPECT_TRUE(IsIconLineTransparent(sp.get(), -1, 15));
    EXPECT_FALSE(IsIconLineTransparent(sp.get(), -1, 4));
    EXPECT_TRUE(IsIconLineTransparent(hp.get(), 15, -1));
}

TEST_F(TrayIcon, VolumeOverlayGrowsWithTheVolume) {
    UniqueIcon base = LoadIconFromResource(L"SPEAKERS", 16, 16);
    const IconPixels plain = ReadIconPixels(base.get());
    bool created = true;
    EXPECT_FALSE(ComposeVolumeIcon(base.get(), 2 * kCurrencyScale, created));  // rounds to 0 px
    EXPECT_FALSE(created);
    auto drawnInRightColumns = [](const IconPixels& p) {
        int n = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = p.width - 3; x < p.width; ++x) n += p.Clear(x, y) ? 0 : 1;
        return n;
    };
    UniqueIcon full = ComposeVolumeIcon(base.get(), 100 * kCurrencyScale, created);
    ASSERT_TRUE(created);
    UniqueIcon half = ComposeVolumeIcon(base.get(), 50 * kCurrencyScale, created);
    ASSERT_TRUE(created);
    const IconPixels f = ReadIconPixels(full.get()), h = ReadIconPixels(half.get());
    EXPECT_EQ(drawnInRightColumns(plain), 0);
    EXPECT_EQ(drawnInRightColumns(f), 3 * 16);
    EXPECT_EQ(drawnInRightColumns(h), 3 * 8);
    // The half bar fills from the bottom.
    EXPECT_FALSE(h.Clear(15, 15));
    EXPECT_TRUE(h.Clear(15, 0));
    // The picture underneath is kept.
    EXPECT_EQ(f.At(2, 8), plain.At(2, 8));
}

TEST_F(TrayIcon, ClearingTheWholeIconLeavesNoIcon) {
    UniqueIcon icon = LoadIconFromResource(L"KV_VOLUME_H", 16, 16);
    EXPECT_FALSE(ClearIconArea(icon.get(), 0, 0, 16, 16));
    UniqueIcon part = ClearIconArea(icon.get(), 8, 0, 8, 16);
    ASSERT_TRUE(part);
    EXPECT_TRUE(IsIconLineTransparent(part.get(), -1, 8));
    EXPECT_FALSE(IsIconLineTransparent(part.get(), -1, 7));
}

TEST_F(TrayIcon, MutedOutputShowsTheMuteOverlayAtTheScreensSize) {
    Load(L"");
    gDPI = 144;
    sim::SetSimMute(Endpoint(L"speakers"), true);
    UniqueIcon muted = BuildTrayIcon();
    const IconPixels m = ReadIconPixels(muted.get());
    EXPECT_EQ(m.width, 24);
    UniqueIcon overlay = LoadIconFromResource(L"KV_MUTE", 24, 24);
    const IconPixels o = ReadIconPixels(overlay.get());
    ASSERT_EQ(m.argb.size(), o.argb.size());
    // Where the overlay is opaque the icon shows it.
    int compared = 0;
    for (std::size_t i = 0; i < o.argb.size(); ++i)
        if ((o.argb[i] >> 24) == 0xFF) {
            EXPECT_EQ(m.argb[i], o.argb[i]);
            ++compared;
        }
    EXPECT_GT(compared, 20);
    // Unmuted at volume 100 the level bar is drawn instead.
    sim::SetSimMute(Endpoint(L"speakers"), false);
    SetVolumeBalance(100 * kCurrencyScale, 0, 0, 0);
    gDPI = 96;
    const IconPixels v = ReadIconPixels(BuildTrayIcon().get());
    EXPECT_EQ(v.width, 16);
    EXPECT_EQ(EmptyRightColumns(v), 0);
}

TEST_F(TrayIcon, HeadphonesAndDigitalOutputPickTheirPictures) {
    Load(L"");
    sim::SetSimMute(Endpoint(L"speakers"), true);  // no volume bar: the picture alone decides
    auto sameAs = [](const wchar_t* name) {
        UniqueIcon expected = LoadIconFromResource(name, 16, 16);
        UniqueIcon mute = LoadIconFromResource(gIsWin10 ? L"KV_MUTE_WIN10" : L"KV_MUTE", 16, 16);
        UniqueIcon merged = MergeIcons(mute.get(), expected.get());
        return ReadIconPixels(merged.get()).argb == ReadIconPixels(BuildTrayIcon().get()).argb;
    };
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
    sim::SetSimLiveValue(L"SpDigitalOut", HexToBytes(L"00"));
    EXPECT_TRUE(sameAs(L"HP"));
    EXPECT_FALSE(sameAs(L"SPEAKERS"));
    sim::SetSimLiveValue(L"SpDigitalOut", HexToBytes(L"10"));
    EXPECT_TRUE(sameAs(L"SPDIF"));
    gIsWin10 = true;
    EXPECT_TRUE(sameAs(L"SPDIF_WIN10"));
    // Legacy icons on Windows 10: plain base and mute pictures.
    RegWrite(gRegRoot, L"Win10LegacyIcons", Bytes{1});
    UniqueIcon expected = LoadIconFromResource(L"SPDIF", 16, 16);
    UniqueIcon mute = LoadIconFromResource(L"KV_MUTE", 16, 16);
    UniqueIcon merged = MergeIcons(mute.get(), expected.get());
    EXPECT_EQ(ReadIconPixels(merged.get()).argb, ReadIconPixels(BuildTrayIcon().get()).argb);
}

// An icon file of the source tree as a Windows path.
std::wstring SourceIcon(const char* name) {
    const std::string unixPath = std::string(KALVENOR_SOURCE_DIR) + "/resources/icons/" + name;
    std::wstring path = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

TEST_F(TrayIcon, CustomIconOnlyWhileTheCardMatchesTheActiveProfile) {
    frmKalvenor& form = Load(L"");
    const std::wstring file = SourceIcon("kv_mute.ico");  // unlike every picture of the program
    RegWrite(Profile(L"Icon"), L"CustomIcon", file + L"|0");
    Store(L"Icon", L"EqEnable", L"01");
    form.SetXonarValues(L"Icon", false, false);
    ASSERT_EQ(ActiveProfile(), L"Icon");
    UniqueIcon custom = LoadIconFromResource(file.c_str(), 16, 16, true);
    ASSERT_TRUE(custom);
    const IconPixels own = ReadIconPixels(custom.get());
    EXPECT_EQ(ReadIconPixels(BuildTrayIcon().get()).argb, own.argb);
    // Changed from outside: the live output's picture again.
    sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"00"));
    EXPECT_NE(ReadIconPixels(BuildTrayIcon().get()).argb, own.argb);
    // A file that can't be loaded falls back to the program's icon.
    RegWrite(Profile(L"Icon"), L"CustomIcon", SourceIcon("missing.ico") + L"|0");
    sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"01"));
    UniqueIcon program = LoadIconFromResource(kProgramIcon, 16, 16);
    EXPECT_EQ(ReadIconPixels(BuildTrayIcon().get()).argb, ReadIconPixels(program.get()).argb);
}

// A custom picture takes the plain mute overlay on Windows 10 too, as it stays plain itself.
TEST_F(TrayIcon, MutedCustomIconTakesThePlainMuteOverlay) {
    gIsWin10 = true;
    frmKalvenor& form = Load(L"");
    const std::wstring file = SourceIcon("music_mode.ico");
    RegWrite(Profile(L"Icon"), L"CustomIcon", file + L"|1");
    Store(L"Icon", L"EqEnable", L"01");
    form.SetXonarValues(L"Icon", false, false);
    sim::SetSimMute(Endpoint(L"speakers"), true);
    UniqueIcon custom = LoadIconFromResource(file.c_str(), 16, 16, true);
    UniqueIcon mute = LoadIconFromResource(L"KV_MUTE", 16, 16);
    UniqueIcon expected = MergeIcons(mute.get(), custom.get());
    EXPECT_EQ(ReadIconPixels(BuildTrayIcon().get()).argb, ReadIconPixels(expected.get()).argb);
}

}  // namespace

TEST_F(TrayIcon, TheShellHearsOnlyOfChangesItCanShow) {
    frmKalvenor& form = Load(L"");
    modifies_.clear();
    // The same picture and tooltip again: nothing to tell.
    form.UpdateTrayIcon(false);
    form.SetTrayTip(L"same");
    form.SetTrayTip(L"same");
    EXPECT_EQ(modifies_, std::vector<UINT>{NIF_TIP});
    // A new volume draws another bar: one change of the picture.
    modifies_.clear();
    SetVolumeBalance(10 * kCurrencyScale, 0, 0, 0);
    form.UpdateTrayIcon(false);
    form.UpdateTrayIcon(false);
    EXPECT_EQ(modifies_, std::vector<UINT>{NIF_ICON});
    // The shell lost the icon for a moment: the picture it missed is sent again.
    const auto shell = [&form](DWORD message) {
        NOTIFYICONDATAW data{};
        data.cbSize = kTrayRecordSize;
        data.hWnd = form.hWnd();
        return ::Shell_NotifyIconW(message, &data);
    };
    ASSERT_TRUE(shell(NIM_DELETE));
    SetVolumeBalance(30 * kCurrencyScale, 0, 0, 0);
    form.UpdateTrayIcon(false);
    ASSERT_TRUE(shell(NIM_ADD));
    modifies_.clear();
    form.UpdateTrayIcon(false);
    EXPECT_EQ(modifies_, std::vector<UINT>{NIF_ICON});
    form_->Unload();
    form_.reset();

    // Without an icon (as under "/noui") nothing is sent at all.
    gNoUI = true;
    modifies_.clear();
    Load(L"/mastermute");
    UpdateTrayIcon(false);
    kal::SetTrayTip(L"tip");
    EXPECT_TRUE(modifies_.empty());
    EXPECT_EQ(adds_, 1);  // the one of the first load
}

// Pictures are composed once per state and shown again from there: each time the shell must get
// the picture of the state it is in, whatever was shown before.
TEST_F(TrayIcon, EveryChangeShowsThePictureOfTheNewState) {
    IconPixels shown;
    SetShellNotifyObserver([&shown](DWORD message, const NOTIFYICONDATAW& data, BOOL) {
        if ((message == NIM_MODIFY || message == NIM_ADD) && (data.uFlags & NIF_ICON))
            shown = ReadIconPixels(data.hIcon);
    });
    frmKalvenor& form = Load(L"");
    const auto showsTheState = [&] {
        form.UpdateTrayIcon(false);
        return shown.width > 0 && shown == ReadIconPixels(BuildTrayIcon().get());
    };
    const auto output = [](const wchar_t* hex) { sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(hex)); };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        output(L"04000000");
        EXPECT_TRUE(showsTheState());
        output(L"01000000");
        EXPECT_TRUE(showsTheState());
        SetVolumeBalance(40 * kCurrencyScale, 0, 0, 0);
        EXPECT_TRUE(showsTheState());
        sim::SetSimMute(Endpoint(L"speakers"), true);
        EXPECT_TRUE(showsTheState());
        sim::SetSimMute(Endpoint(L"speakers"), false);
        SetVolumeBalance(90 * kCurrencyScale, 0, 0, 0);
        EXPECT_TRUE(showsTheState());
        gDPI = round == 0 ? 144 : 96;
        EXPECT_TRUE(showsTheState());
    }
    // Back at the first state: nothing new to show.
    shown = IconPixels();
    form.UpdateTrayIcon(false);
    EXPECT_EQ(shown.width, 0);
    // The shell is told again after it lost the icon ("TaskbarCreated").
    form.UpdateTrayIcon(true);
    EXPECT_EQ(shown, ReadIconPixels(BuildTrayIcon().get()));
}

// A switch to another output changes the picture and the tip: the shell hears of both at once.
TEST_F(TrayIcon, ASwitchSendsItsPictureAndTipInOneChange) {
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"04000000"));
    Store(L"Phones", L"SpeakerConfig", L"01000000");
    frmKalvenor& form = Load(L"");
    modifies_.clear();
    ASSERT_TRUE(form.SetXonarValues(L"Phones", false, false));
    EXPECT_EQ(modifies_, std::vector<UINT>{NIF_ICON | NIF_TIP});
    // The same switch again: nothing new to show.
    modifies_.clear();
    ASSERT_TRUE(form.SetXonarValues(L"Phones", false, false));
    EXPECT_TRUE(modifies_.empty());
}

// The picture and the tip follow the master output whoever changes it: the fixed keys, the
// volume pop-up, and another program through the system's endpoint volume.
TEST_F(TrayIcon, PictureAndTipFollowTheMasterOutputWhoeverChangesIt) {
    IconPixels shown;
    std::wstring tip;
    SetShellNotifyObserver([&](DWORD message, const NOTIFYICONDATAW& data, BOOL) {
        if (message != NIM_MODIFY && message != NIM_ADD) return;
        if (data.uFlags & NIF_ICON) shown = ReadIconPixels(data.hIcon);
        if (data.uFlags & NIF_TIP) tip = data.szTip;
    });
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"04000000"));
    RegWrite(gRegRoot, L"PlayBackMasterVolumeDecreaseStep", std::wstring(L"30"));
    frmKalvenor& form = Load(L"");
    SetVolumeBalance(80 * kCurrencyScale, 0, 0, 0);
    form.UpdateMenus();
    const auto showsTheState = [&] {
        return shown.width > 0 && shown == ReadIconPixels(BuildTrayIcon().get()) && tip == TrayTooltipText();
    };
    ASSERT_TRUE(showsTheState());
    HWND w = form.hWnd();
    ::SendMessageW(w, WM_HOTKEY, 0, 0);  // master mute
    ASSERT_TRUE(MasterMuted());
    EXPECT_TRUE(showsTheState());
    ::SendMessageW(w, WM_HOTKEY, 0, 0);
    ::SendMessageW(w, WM_HOTKEY, 2, 0);  // master volume down
    EXPECT_TRUE(showsTheState());
    EXPECT_NE(tip.find(L"50%"), std::wstring::npos) << tip;

    TrayOpeners().volume = &ShowVolumePopup;
    form.RegisterGlobalHotkeys(true);
    ::PostMessageW(w, kTrayCallbackMessage, 0, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([] { return VolumePopup() && VolumePopup()->Visible(); }));
    frmVolume& popup = *VolumePopup();
    ASSERT_TRUE(User::Click(popup.Ctl(L"chkMute")));
    ASSERT_TRUE(MasterMuted());
    EXPECT_TRUE(showsTheState());
    ASSERT_TRUE(User::Click(popup.Ctl(L"chkMute")));
    ASSERT_TRUE(User::DragTo(popup.Get<Slider>(L"csliVolume"), 20));
    EXPECT_TRUE(showsTheState());
    EXPECT_NE(tip.find(L"20%"), std::wstring::npos) << tip;
    popup.Unload();
    TrayOpeners() = {};

    // Another program: its own object of the speakers' endpoint volume. Only the mute changes,
    // which touches no driver value: once the refreshes of the changes above have run, only the
    // endpoint's notification can bring it to the icon.
    Pump(300);
    ASSERT_TRUE(showsTheState());
    ComPtr<IMMDeviceEnumerator> enumerator;
    ASSERT_EQ(sim::CreateSimDeviceEnumerator(enumerator.put()), S_OK);
    ComPtr<IMMDevice> device;
    ASSERT_EQ(enumerator->GetDevice(gPlaybackLineIds[0].c_str(), device.put()), S_OK);
    ComPtr<IAudioEndpointVolume> other;
    ASSERT_EQ(device->Activate(kIidAudioEndpointVolume, CLSCTX_ALL, nullptr, other.put_void()), S_OK);
    ASSERT_EQ(other->SetMute(TRUE, nullptr), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return showsTheState() && tip.find(L"Muted") != std::wstring::npos; })) << tip;
    ASSERT_EQ(other->SetMute(FALSE, nullptr), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return showsTheState() && tip.find(L"20%") != std::wstring::npos; })) << tip;
}

// Another instance of the program, run with a switch beside the one in the tray, mutes the
// master output: the tray instance shows it.
TEST_F(TrayIcon, AMuteByAnotherInstanceOfTheProgramIsShown) {
    kaltest::ProductStateLock product;
    std::wstring tip;
    SetShellNotifyObserver([&](DWORD message, const NOTIFYICONDATAW& data, BOOL) {
        if ((message == NIM_MODIFY || message == NIM_ADD) && (data.uFlags & NIF_TIP)) tip = data.szTip;
    });
    frmKalvenor& form = Load(L"");
    SetVolumeBalance(80 * kCurrencyScale, 0, 0, 0);
    form.UpdateMenus();
    Pump(300);
    ASSERT_NE(tip.find(L"80%"), std::wstring::npos) << tip;
    MuteFromAnotherInstance([&](bool muted) {
        EXPECT_TRUE(PumpUntil([&] { return (tip.find(L"Muted") != std::wstring::npos) == muted; })) << tip;
    });
    EXPECT_NE(tip.find(L"80%"), std::wstring::npos) << tip;
}
