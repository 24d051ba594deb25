// The editor's lists and tabs follow the card: sample rates, bit depths, analog outputs offered
// by the speaker trials, S/PDIF modes, the AEC tab and the headphone amplifier's button; the
// trials leave the card's own configuration as it was.
#include "tests/editor/editor_fixture.h"

#include "device/audio.h"
#include "device/portable/texts.h"
#include "editor/drawing.h"
#include "base/registry.h"
#include "tests/common/window_probes.h"
#include "toolkit/font.h"
#include "tray/hotkeys.h"

using namespace kal;
using namespace kal::testing;

namespace {

class EditorSetUp : public EditorFixture {};

const std::vector<std::wstring> kAllRates = {L"Don't Change", L"44.1 KHz", L"48 KHz", L"96 KHz", L"192 KHz"};

TEST_F(EditorSetUp, CardWithEverythingButTheFrontPanel) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    EXPECT_EQ(editor.Caption(), L"Create New Profile");
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboSampleRate")), kAllRates);
    EXPECT_EQ(ItemData(editor.Get<ComboBox>(L"cboSampleRate")), (std::vector<std::intptr_t>{0, 44100, 48000, 96000, 192000}));
    // The Windows rates copy the card's list, item data included.
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboSystemSampleRate")), kAllRates);
    EXPECT_EQ(ItemData(editor.Get<ComboBox>(L"cboSystemSampleRate")), ItemData(editor.Get<ComboBox>(L"cboSampleRate")));
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboStereoUpmix")), (std::vector<std::wstring>{L"Don't Change", L"Disable", L"Enable"}));
    EXPECT_EQ(ItemData(editor.Get<ComboBox>(L"cboStereoUpmix")), (std::vector<std::intptr_t>{-1, 0, 1}));
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboAnalogOutput")),
              (std::vector<std::wstring>{L"Rear Headphones", L"Rear 2 Speakers", L"Rear 4 Speakers", L"Rear 5.1 Speakers",
                                         L"Rear 7.1 Speakers"}));
    EXPECT_EQ(ItemData(editor.Get<ComboBox>(L"cboAnalogOutput")), (std::vector<std::intptr_t>{1, 4, 3, 6, 7}));
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboSPDIFOutput")),
              (std::vector<std::wstring>{L"PCM", L"Dolby Digital Live", L"DTS Interactive"}));
    EXPECT_EQ(ItemData(editor.Get<ComboBox>(L"cboSPDIFOutput")), (std::vector<std::intptr_t>{2, 16, 32}));
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboSpeakersLayout")),
              (std::vector<std::wstring>{L"Don't Change", L"2 Channels (Stereo Sources)", L"4 Channels",
                                         L"6 Channels (5.1 Sources)", L"8 Channels (Games, 7.1 Sources)"}));
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboDolbyHeadphonesMode")),
              (std::vector<std::wstring>{L"DH-1 Studio", L"DH-2 Cinema", L"DH-3 Hall"}));
    EXPECT_EQ(ItemData(editor.Get<ComboBox>(L"cboDolbyVirtualSpeakerMode")), (std::vector<std::intptr_t>{5, 6}));
    EXPECT_TRUE(editor.Ctl(L"imgTab", 3).Visible());
    EXPECT_TRUE(editor.FindShape(L"rectTab", 3)->visible);
    EXPECT_FALSE(editor.Ctl(L"cmdHpAmp").Visible());
    // Bit depths: exactly those the card's endpoint takes, in rising order, after "Don't Change".
    std::vector<std::wstring> depths{L"Don't Change"};
    for (std::uint16_t bits : {8, 16, 24, 32})
        if (gAudio->FormatSupported(gPlaybackLineIds[0], 0, 44100, bits, 2)) depths.push_back(std::to_wstring(bits) + L" bit");
    EXPECT_GT(depths.size(), 1u);
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboBitDepth")), depths);
    EXPECT_TRUE(editor.Ctl(L"cboBitDepth").Enabled());
    SaveTabScreenshots(editor, L"new");
}

// The background colour a control's container gives it for `message` (what the control asks
// before it paints).
COLORREF BackgroundFor(Control& control, UINT message) {
    HWND h = control.Window();
    HDC dc = ::GetDC(h);
    ::SetBkColor(dc, RGB(1, 2, 3));
    ::SendMessageW(::GetParent(h), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h));
    const COLORREF colour = ::GetBkColor(dc);
    ::ReleaseDC(h, dc);
    return colour;
}

// What a frame paints its inside with.
COLORREF FrameInside(Control& frame) {
    const PaintedClient inside = PaintClient(frame.Window(), WM_ERASEBKGND);
    return inside.At(inside.width / 2, inside.height - 3);
}

TEST_F(EditorSetUp, TheLayoutFramesAndThePanelsDetailTakeTheLighterColourTheirButtonsDoNot) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    editor.ExpandVSSPanel(true);
    const COLORREF lighter = ScaleColor(0x8000000F, 1.02);
    ASSERT_NE(lighter, ::GetSysColor(COLOR_BTNFACE));
    for (const wchar_t* name : {L"fraVSSLayouts", L"fraVSSUserLayouts"}) {
        EXPECT_EQ(editor.Get<Frame>(name).BackColor(), lighter) << name;
        EXPECT_EQ(FrameInside(editor.Ctl(name)), lighter) << name;
    }
    // Frames elsewhere keep the window's colour.
    EXPECT_EQ(FrameInside(editor.Ctl(L"fraAnalog")), ::GetSysColor(COLOR_BTNFACE));
    for (const wchar_t* name : {L"pctVSSLayouts", L"pctOptVSSLayout", L"pctVSSUserLayouts"})
        EXPECT_EQ(editor.Get<PictureBox>(name).BackColor(), lighter) << name;
    for (const wchar_t* name : {L"lblVSSPresets", L"lblPL2xWidthNarrow", L"lblPL2xWidthWide", L"lblPL2xDepthFront",
                                L"lblPL2xDepthRear", L"lblNEOWidthNarrow", L"lblNEOWidthWide", L"lblNEODepthFront",
                                L"lblNEODepthRear"})
        EXPECT_EQ(BackgroundFor(editor.Ctl(name), WM_CTLCOLORSTATIC), lighter) << name;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(BackgroundFor(editor.Ctl(L"optVSSLayout", i), WM_CTLCOLORSTATIC), lighter) << i;
        // The preset buttons are not among the tinted controls.
        for (UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN})
            EXPECT_NE(BackgroundFor(editor.Ctl(L"optLoadVSSPreset", i), message), lighter) << i;
    }
}

TEST_F(EditorSetUp, EveryControlFramesIncludedShowsTheInterfaceFont) {
    UseEditorCard(kD2);
    // Opened before anything made the interface font.
    gUIFont.reset();
    frmProfile& editor = OpenEditor(L"");
    ASSERT_TRUE(gUIFont);
    const HFONT font = gUIFont->Handle();
    int frames = 0;
    for (Control* c : editor.Controls()) {
        if (c->Type() == ControlType::Timer || !c->Window()) continue;
        const std::wstring name = c->Name() + L"(" + std::to_wstring(c->Index()) + L")";
        ASSERT_NE(c->Font(), nullptr) << name;
        EXPECT_EQ(c->Font()->Handle(), font) << name;
        if (c->Type() == ControlType::Frame) {
            ++frames;
        } else if (c->Type() != ControlType::PictureBox && c->Type() != ControlType::Slider) {
            EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(c->hWnd(), WM_GETFONT, 0, 0)), font) << name;
        }
    }
    EXPECT_GT(frames, 10);
}

TEST_F(EditorSetUp, ThePlaybackFormatBoxesShowEveryEntryWholeBesideTheirArrow) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    for (const wchar_t* name : {L"cboSampleRate", L"cboBitDepth", L"cboSystemSampleRate"}) {
        auto& box = editor.Get<ComboBox>(name);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(::GetComboBoxInfo(box.Window(), &info)) << name;
        HDC dc = ::GetDC(box.Window());
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(box.Window(), WM_GETFONT, 0, 0)));
        ASSERT_GT(box.ListCount(), 0) << name;
        for (const std::wstring& item : Items(box)) {
            SIZE text{};
            ::GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &text);
            // The box leaves a few pixels before the text.
            EXPECT_LE(text.cx + 4, info.rcItem.right - info.rcItem.left) << name << " " << item;
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(box.Window(), dc);
    }
}

TEST_F(EditorSetUp, CardWithFrontPanelAndAmplifierButNo192kHzNorEncoders) {
    UseEditorCard(kDG);
    frmProfile& editor = OpenEditor(L"");
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboSampleRate")),
              (std::vector<std::wstring>{L"Don't Change", L"44.1 KHz", L"48 KHz", L"96 KHz"}));
    EXPECT_EQ(editor.Get<ComboBox>(L"cboSystemSampleRate").ListCount(), 4);
    const auto outputs = ItemData(editor.Get<ComboBox>(L"cboAnalogOutput"));
    ASSERT_GE(outputs.size(), 4u);
    EXPECT_EQ(std::vector<std::intptr_t>(outputs.end() - 2, outputs.end()), (std::vector<std::intptr_t>{0x101, 0x104}));
    EXPECT_EQ(editor.Get<ComboBox>(L"cboAnalogOutput").List(static_cast<int>(outputs.size()) - 2), L"Front Headphones");
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboSPDIFOutput")), std::vector<std::wstring>{L"PCM"});
    // The amplifier's button sits right of the swaps button, which the list makes room for.
    Control& amp = editor.Ctl(L"cmdHpAmp");
    Control& set = editor.Ctl(L"cmdAnalogOutputSettings");
    Control& list = editor.Ctl(L"cboAnalogOutput");
    EXPECT_TRUE(amp.Visible());
    EXPECT_EQ(set.Left(), amp.Left() - amp.Width() - 105);
    EXPECT_EQ(list.Width(), set.Left() - list.Left() - 30);
    EXPECT_TRUE(editor.Ctl(L"imgTab", 3).Visible());
}

TEST_F(EditorSetUp, CardWithoutEchoCancellationHasThreeTabs) {
    UseEditorCard(kDS);
    frmProfile& editor = OpenEditor(L"");
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboSPDIFOutput")), (std::vector<std::wstring>{L"PCM", L"DTS Interactive"}));
    EXPECT_FALSE(editor.Ctl(L"imgTab", 3).Visible());
    EXPECT_FALSE(editor.Ctl(L"lblTab", 3).Visible());
    EXPECT_FALSE(editor.FindShape(L"rectTab", 3)->visible);
    EXPECT_FALSE(editor.FindShape(L"rectTabBackground", 3)->visible);
    // Hidden, it can't be chosen by the user.
    EXPECT_FALSE(User::Click(editor.Ctl(L"imgTab", 3)));
    EXPECT_EQ(editor.CurrentTab(), 0);
}

TEST_F(EditorSetUp, TrialsStopAtTheFirstRefusalAndLeaveTheCardAsItWas) {
    // The card would take 5.1 and 7.1, but refuses four speakers.
    UseEditorCard(kD2, std::vector<std::uint8_t>{0x06, 0x07});
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
    frmProfile& editor = OpenEditor(L"");
    EXPECT_EQ(Items(editor.Get<ComboBox>(L"cboAnalogOutput")),
              (std::vector<std::wstring>{L"Rear Headphones", L"Rear 2 Speakers"}));
    EXPECT_EQ(BytesToHex(Present(sim::SimLiveValue(L"SpeakerConfig"))), L"01000000");
    CloseEditor();

    // Accepted trials change the card's output block; it is put back afterwards.
    UseEditorCard(kD2);
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
    frmProfile& again = OpenEditor(L"");
    EXPECT_EQ(again.Get<ComboBox>(L"cboAnalogOutput").ListCount(), 5);
    EXPECT_EQ(BytesToHex(Present(sim::SimLiveValue(L"SpeakerConfig"))), L"01000000");
}

TEST_F(EditorSetUp, WindowsXPHasNoWindowsFormatAndNoDecibels) {
    UseEditorCard(kD2);
    gIsXP = true;
    frmProfile& editor = OpenEditor(L"");
    EXPECT_EQ(editor.Get<ComboBox>(L"cboBitDepth").ListCount(), 0);
    EXPECT_EQ(editor.Get<ComboBox>(L"cboSystemSampleRate").ListCount(), 0);
    EXPECT_FALSE(editor.Ctl(L"cboBitDepth").Enabled());
    EXPECT_EQ(editor.Get<CheckBox>(L"chkSyncSampleRates").Value(), 0);
    EXPECT_FALSE(editor.Ctl(L"lblMasterVolumeDB").Visible());
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(editor.Ctl(L"lblInputLineVolumeDB", i).Visible()) << i;
    gIsXP = false;
}

TEST_F(EditorSetUp, EditingShowsTheProfilesNameAndShortcut) {
    UseEditorCard(kD2);
    Store(L"Quiet", L"Shortcut", L"5102");
    Store(L"Plain", L"EqEnable", L"01");
    Store(L"Zero", L"Shortcut", L"0006");
    frmProfile& editor = OpenEditor(L"Quiet");
    EXPECT_EQ(editor.Caption(), L"Edit Profile \"Quiet\"");
    EXPECT_EQ(editor.Get<TextBox>(L"txtProfileName").Text(), L"Quiet");
    EXPECT_EQ(editor.Get<TextBox>(L"txtShortcut").Text(), KeyCodeToString(0x51, 2));
    EXPECT_EQ(editor.Ctl(L"txtShortcut").Tag(), L"51|02");
    const auto rates = Items(editor.Get<ComboBox>(L"cboSampleRate"));
    ASSERT_FALSE(rates.empty());
    EXPECT_EQ(rates.front(), L"Don't Change");
    for (const wchar_t* profile : {L"Plain", L"Zero"}) {
        CloseEditor();
        frmProfile& other = OpenEditor(profile);
        EXPECT_EQ(other.Get<TextBox>(L"txtShortcut").Text(), L"") << profile;
        EXPECT_EQ(other.Ctl(L"txtShortcut").Tag(), L"") << profile;
    }
}

// An icon file of the source tree as a Windows path.
std::wstring SourceIcon(const char* name) { return SourceTreePath(KALVENOR_SOURCE_DIR, std::string("resources/icons/") + name); }

bool BoxHasPicture(frmProfile& editor, const wchar_t* box) {
    auto& picture = editor.Get<PictureBox>(box);
    const COLORREF back = picture.BackColor();
    HDC dc = picture.hDC();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (::GetPixel(dc, x, y) != back && ::GetPixel(dc, x, y) != CLR_INVALID) return true;
    return false;
}

TEST_F(EditorSetUp, TheIconChosenStaysWhenTheWindowRepaints) {
    UseEditorCard(kD2);
    const std::wstring stored = SourceIcon("kv_mute.ico");
    RegWrite(Profile(L"Icon"), L"CustomIcon", stored + L"|0");
    frmProfile& editor = OpenEditor(L"Icon");
    EXPECT_EQ(editor.IconFile(), stored);
    EXPECT_TRUE(BoxHasPicture(editor, L"pctIcon32"));
    // The user removes it; the window is covered and uncovered.
    editor.SetProfileIcon(L"", false);
    ::RedrawWindow(editor.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(50);
    EXPECT_EQ(editor.IconFile(), L"");
    EXPECT_FALSE(BoxHasPicture(editor, L"pctIcon32"));
    // Nothing is written before the profile is saved.
    EXPECT_EQ(RegReadText(Profile(L"Icon"), L"CustomIcon").value_or(L""), stored + L"|0");
    CloseEditor();

    // A stored icon that can't be drawn is forgotten.
    RegWrite(Profile(L"Gone"), L"CustomIcon", std::wstring(L"Z:\\no\\such\\file.ico|1"));
    frmProfile& gone = OpenEditor(L"Gone");
    EXPECT_FALSE(gone.ProfileIcon32());
    EXPECT_FALSE(RegReadText(Profile(L"Gone"), L"CustomIcon").has_value());
}

}  // namespace
