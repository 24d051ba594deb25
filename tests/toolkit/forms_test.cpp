#include "toolkit/forms.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <stdexcept>
#include <typeinfo>
#include <vector>

#include "base/log.h"
#include "tests/common/user_input.h"
#include "tests/toolkit/testwindow.h"
#include "toolkit/tabstrip.h"

using namespace kal;

namespace {

PropertyBag SliderRange(std::int32_t min, std::int32_t max) {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"Min", min, 1);
    bag.Write<std::int32_t>(L"Max", max, 100);
    return bag;
}

// A small form of every kind of control; its handlers count events per control.
class SampleForm : public Form {
public:
    SampleForm() : Form(L"frmSample") {
        Design({L"Sample", 6000, 4500},
               {
                   {ControlType::CommandButton, L"cmdApply", -1, L"&Apply", 120, 120, 1200, 360},
                   {ControlType::CheckBox, L"chkMute", -1, L"Mute", 120, 600, 1500, 300},
                   {ControlType::Frame, L"fraMode", -1, L"Mode", 1800, 120, 2400, 1500},
                   {ControlType::OptionButton, L"optMode", 0, L"Off", 120, 300, 1800, 300, 0, L"fraMode"},
                   {ControlType::OptionButton, L"optMode", 1, L"On", 120, 650, 1800, 300, 0, L"fraMode"},
                   {ControlType::OptionButton, L"optMode", 255, L"Don't Change", 120, 1000, 1800, 300, 0, L"fraMode"},
                   {ControlType::Label, L"lblName", -1, L"&Name", 120, 1000, 100, 300},
                   {ControlType::TextBox, L"txtName", -1, L"", 120, 1000, 1500, 300},
                   {ControlType::ComboBox, L"cboRate", -1, L"", 120, 1440, 1500, 300},
                   {ControlType::ComboBox, L"cboPreset", -1, L"", 4200, 1440, 1500, 300, CBS_DROPDOWN},
                   {ControlType::PictureBox, L"pctPanel", -1, L"", 120, 2000, 4000, 1600},
                   {ControlType::Slider, L"csliVolume", -1, L"", 120, 120, 3000, 450, 0, L"pctPanel",
                    SliderRange(0, 100)},
                   {ControlType::Label, L"lblVolume", -1, L"100%", 120, 700, 1000, 300, 0, L"pctPanel"},
                   {ControlType::Timer, L"timerClose", -1},
               });
    }
    ~SampleForm() override { Unload(); }

    std::map<std::wstring, int> events;
    std::wstring typed;         // characters the editable box's KeyPress saw
    std::vector<WORD> keysUp;   // keys its KeyUp saw
    bool cancelUnload = false;
    int loads = 0, unloads = 0, activations = 0;

protected:
    void OnLoad() override {
        ++loads;
        for (Control* c : Controls()) {
            const std::wstring key = c->Name() + (c->Index() >= 0 ? L"(" + std::to_wstring(c->Index()) + L")" : L"");
            c->Click = [this, key] { ++events[key + L".Click"]; };
            c->Change = [this, key] { ++events[key + L".Change"]; };
        }
        auto& rates = Get<ComboBox>(L"cboRate");
        rates.AddItem(L"44.1 KHz", 44100);
        rates.AddItem(L"48 KHz", 48000);
        auto& presets = Get<ComboBox>(L"cboPreset");
        presets.AddItem(L"Rock");
        presets.AddItem(L"Jazz");
        presets.KeyPress = [this](wchar_t c) { typed += c; };
        presets.KeyUp = [this](WORD key) { keysUp.push_back(key); };
        presets.LostFocus = [this] { ++events[L"cboPreset.LostFocus"]; };
    }
    void OnActivate() override { ++activations; }
    void OnQueryUnload(bool& cancel) override { cancel = cancelUnload; }
    void OnUnload() override { ++unloads; }
};

class Forms : public ::testing::Test {
protected:
    void SetUp() override {
        form.Show();
        test::Pump();
    }
    int Events(const std::wstring& key) { return form.events[key]; }
    SampleForm form;
};

TEST_F(Forms, LoadedFormsAreRegisteredByName) {
    EXPECT_TRUE(IsFormLoaded(L"frmSample"));
    EXPECT_FALSE(IsFormLoaded(L"FRMSAMPLE"));
    EXPECT_FALSE(IsFormLoaded(L"frmsample"));
    EXPECT_EQ(FindForm(L"frmSample"), &form);
    EXPECT_EQ(FindForm(L"FrmSample"), nullptr);
    EXPECT_EQ(form.loads, 1);
    form.Load();
    EXPECT_EQ(form.loads, 1);
    EXPECT_THROW(form.Ctl(L"cmdMissing"), std::out_of_range);
    ASSERT_EQ(form.ControlArray(L"optMode").size(), 3u);
    EXPECT_EQ(form.ControlArray(L"optMode").back()->Index(), 255);

    form.cancelUnload = true;
    EXPECT_FALSE(form.Unload());
    EXPECT_TRUE(IsFormLoaded(L"frmSample"));
    form.cancelUnload = false;
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(IsFormLoaded(L"frmSample"));
    EXPECT_EQ(form.unloads, 1);
    EXPECT_EQ(form.hWnd(), nullptr);
}

TEST_F(Forms, UserActionsRaiseOneEventPerChange) {
    EXPECT_TRUE(User::Click(form.Ctl(L"cmdApply")));
    EXPECT_EQ(Events(L"cmdApply.Click"), 1);

    auto& mute = form.Get<CheckBox>(L"chkMute");
    EXPECT_TRUE(User::Click(mute));
    EXPECT_EQ(mute.Value(), 1);
    EXPECT_TRUE(User::Click(mute));
    EXPECT_EQ(mute.Value(), 0);
    EXPECT_EQ(Events(L"chkMute.Click"), 2);

    auto& on = form.Get<OptionButton>(L"optMode", 1);
    auto& off = form.Get<OptionButton>(L"optMode", 0);
    EXPECT_TRUE(User::ChooseOption(on));
    EXPECT_TRUE(User::ChooseOption(on));  // already chosen: no second event
    EXPECT_TRUE(User::ChooseOption(off));
    EXPECT_TRUE(off.Value());
    EXPECT_FALSE(on.Value());
    EXPECT_EQ(Events(L"optMode(1).Click"), 1);
    EXPECT_EQ(Events(L"optMode(0).Click"), 1);

    auto& name = form.Get<TextBox>(L"txtName");
    EXPECT_TRUE(User::SetText(name, L"Kopfhörer"));
    EXPECT_EQ(name.Text(), L"Kopfhörer");
    EXPECT_EQ(Events(L"txtName.Change"), 1);

    auto& rate = form.Get<ComboBox>(L"cboRate");
    EXPECT_TRUE(User::ChooseItem(rate, 1));
    EXPECT_EQ(rate.ListIndex(), 1);
    EXPECT_EQ(rate.ItemData(1), 48000);
    EXPECT_EQ(Events(L"cboRate.Click"), 1);
    EXPECT_FALSE(User::ChooseItem(rate, 5));

    auto& volume = form.Get<Slider>(L"csliVolume");
    EXPECT_TRUE(User::DragTo(volume, 40));
    EXPECT_EQ(volume.Value(), 40);
    EXPECT_EQ(Events(L"csliVolume.Change"), 2);  // the drag and its end
    EXPECT_TRUE(User::Wheel(volume, 2));
    EXPECT_EQ(volume.Value(), 42);
    EXPECT_EQ(Events(L"csliVolume.Change"), 3);

    EXPECT_TRUE(User::Click(form.Ctl(L"lblVolume")));
    EXPECT_EQ(Events(L"lblVolume.Click"), 1);
}

TEST_F(Forms, AHandlerThatThrowsIsReportedWithItsFormAndTheFormCarriesOn) {
    std::vector<std::wstring> lines;
    LogSink before = SetLogSink([&lines](const std::wstring& line) { lines.push_back(line); });
    form.Ctl(L"cmdApply").Click = [] { throw std::out_of_range("no such control"); };
    const bool clicked = User::Click(form.Ctl(L"cmdApply"));
    SetLogSink(std::move(before));
    EXPECT_TRUE(clicked);
    EXPECT_EQ(lines, std::vector<std::wstring>{L"Kalvenor: frmSample window procedure: no such control"});
    EXPECT_TRUE(User::Click(form.Ctl(L"chkMute")));
    EXPECT_EQ(Events(L"chkMute.Click"), 1);
}

TEST_F(Forms, CodeChangesRaiseTheSameEventsOnce) {
    auto& mute = form.Get<CheckBox>(L"chkMute");
    mute.SetValue(1);
    mute.SetValue(1);
    EXPECT_EQ(Events(L"chkMute.Click"), 1);

    form.Get<OptionButton>(L"optMode", 255).SetValue(true);
    form.Get<OptionButton>(L"optMode", 255).SetValue(true);
    EXPECT_EQ(Events(L"optMode(255).Click"), 1);
    form.Get<OptionButton>(L"optMode", 0).SetValue(true);
    EXPECT_FALSE(form.Get<OptionButton>(L"optMode", 255).Value());

    auto& name = form.Get<TextBox>(L"txtName");
    name.SetText(L"Ω");
    name.SetText(L"Ω");
    EXPECT_EQ(Events(L"txtName.Change"), 1);

    auto& rate = form.Get<ComboBox>(L"cboRate");
    rate.SetListIndex(0);
    rate.SetListIndex(0);
    EXPECT_EQ(Events(L"cboRate.Click"), 1);
    EXPECT_EQ(rate.List(0), L"44.1 KHz");

    form.Get<Slider>(L"csliVolume").SetValue(77);
    form.Get<Slider>(L"csliVolume").SetValue(77);
    EXPECT_EQ(Events(L"csliVolume.Change"), 1);
}

TEST_F(Forms, EditableComboBoxTakesTypedTextAndRaisesItsKeyEvents) {
    auto& presets = form.Get<ComboBox>(L"cboPreset");
    auto& rate = form.Get<ComboBox>(L"cboRate");
    ASSERT_TRUE(presets.Editable());
    EXPECT_FALSE(rate.Editable());
    EXPECT_FALSE(User::TypeText(rate, L"x"));

    ASSERT_TRUE(User::ChooseItem(presets, 1));
    EXPECT_EQ(presets.Text(), L"Jazz");
    EXPECT_EQ(Events(L"cboPreset.Click"), 1);
    // Typing over the chosen item leaves no item chosen.
    ::SendMessageW(presets.EditWindow(), EM_SETSEL, 0, -1);
    ASSERT_TRUE(User::TypeText(presets, L"Mé\b\bMy"));
    EXPECT_EQ(presets.Text(), L"My");
    EXPECT_EQ(presets.ListIndex(), -1);
    EXPECT_EQ(form.typed, L"Mé\b\bMy");
    ASSERT_EQ(form.keysUp.size(), 6u);
    EXPECT_EQ(form.keysUp[0], 'M');
    EXPECT_EQ(form.keysUp[2], VK_BACK);
    EXPECT_EQ(Events(L"cboPreset.Click"), 1);

    // Text set by code raises no key events; a choice by code still clicks.
    presets.SetText(L"Ω band");
    EXPECT_EQ(presets.Text(), L"Ω band");
    EXPECT_EQ(form.typed.size(), 6u);
    presets.SetListIndex(0);
    EXPECT_EQ(presets.Text(), L"Rock");
    EXPECT_EQ(Events(L"cboPreset.Click"), 2);

    EXPECT_EQ(Events(L"cboPreset.LostFocus"), 0);
    ::SetFocus(form.Ctl(L"cmdApply").Window());
    EXPECT_EQ(Events(L"cboPreset.LostFocus"), 1);

    presets.SetEnabled(false);
    EXPECT_FALSE(User::TypeText(presets, L"x"));
    presets.SetEnabled(true);

    // Loaded again: the new edit part raises the events, the old one is forgotten.
    form.Unload();
    form.typed.clear();
    form.Show();
    auto& again = form.Get<ComboBox>(L"cboPreset");
    ASSERT_TRUE(User::TypeText(again, L"ab"));
    EXPECT_EQ(again.Text(), L"ab");
    EXPECT_EQ(form.typed, L"ab");
}

TEST_F(Forms, DisabledOrHiddenControlsRefuseTheUser) {
    auto& apply = form.Ctl(L"cmdApply");
    apply.SetEnabled(false);
    EXPECT_FALSE(User::Click(apply));
    apply.SetEnabled(true);
    apply.SetVisible(false);
    EXPECT_FALSE(apply.Visible());
    EXPECT_FALSE(User::Click(apply));
    apply.SetVisible(true);

    // A control inside a disabled container, or on a disabled or hidden form.
    form.Ctl(L"fraMode").SetEnabled(false);
    EXPECT_FALSE(User::ChooseOption(form.Get<OptionButton>(L"optMode", 1)));
    form.Ctl(L"fraMode").SetEnabled(true);
    auto& volume = form.Get<Slider>(L"csliVolume");
    volume.SetEnabled(false);
    EXPECT_FALSE(User::Wheel(volume, 1));
    EXPECT_FALSE(User::DragTo(volume, 3));
    volume.SetEnabled(true);
    ::EnableWindow(form.hWnd(), FALSE);
    EXPECT_FALSE(User::SetText(form.Get<TextBox>(L"txtName"), L"x"));
    ::EnableWindow(form.hWnd(), TRUE);
    form.Hide();
    EXPECT_FALSE(User::Click(apply));
    EXPECT_TRUE(form.events.empty());
}

TEST_F(Forms, TablesAreInTwips) {
    HDC dc = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(nullptr, dc);
    RECT r;
    ::GetWindowRect(form.Ctl(L"cmdApply").Window(), &r);
    EXPECT_EQ(r.right - r.left, ::MulDiv(1200, dpiX, 1440));
    EXPECT_EQ(form.Ctl(L"cmdApply").Width(), 1200);
    EXPECT_NEAR(form.Ctl(L"optMode", 1).Top(), 650, 1440 / 96);  // within a pixel
    ::GetClientRect(form.hWnd(), &r);
    EXPECT_EQ(r.right, ::MulDiv(6000, dpiX, 1440));
    form.Ctl(L"cmdApply").Move(1440, 0, 720, 360);
    EXPECT_EQ(form.Ctl(L"cmdApply").Left(), 1440);
    EXPECT_EQ(form.Ctl(L"cmdApply").Width(), 720);
    // Children sit in their containers.
    EXPECT_EQ(::GetParent(form.Ctl(L"optMode", 0).Window()), form.Ctl(L"fraMode").Window());
    EXPECT_EQ(::GetParent(form.Ctl(L"csliVolume").Window()), form.Ctl(L"pctPanel").Window());
}

TEST_F(Forms, ControlsAddedAtRunTimeJoinTheirArrayUntilTheFormUnloads) {
    UIFont font;
    font.name = L"Liberation Sans";
    form.SetFont(font);
    Control& added = form.AddControl({ControlType::OptionButton, L"optMode", 2, L"Auto", 120, 1350, 1800, 300, 0,
                                      L"fraMode"});
    EXPECT_EQ(::GetParent(added.Window()), form.Ctl(L"fraMode").Window());
    ASSERT_NE(added.Font(), nullptr);
    EXPECT_EQ(added.Font()->name, L"Liberation Sans");
    EXPECT_EQ(form.ControlArray(L"optMode").size(), 4u);
    // One group with the designed members.
    form.Get<OptionButton>(L"optMode", 1).SetValue(true);
    EXPECT_TRUE(User::ChooseOption(dynamic_cast<OptionButton&>(added)));
    EXPECT_FALSE(form.Get<OptionButton>(L"optMode", 1).Value());
    EXPECT_THROW(form.AddControl({ControlType::OptionButton, L"optMode", 2}), std::invalid_argument);
    // The next load has the design only.
    form.Unload();
    EXPECT_THROW(form.AddControl({ControlType::OptionButton, L"optMode", 3}), std::logic_error);
    form.Load();
    EXPECT_EQ(form.Find(L"optMode", 2), nullptr);
}

// A form that holds its controls as typed members bound from its rows.
class BoundForm : public Form {
public:
    explicit BoundForm(bool wrongType = false) : Form(L"frmBound") {
        ControlRow mute{
            ControlType::CheckBox,
            wrongType ? ControlName(L"chkMute", Bind(&BoundForm::lblWrong)) : KAL_CONTROL(BoundForm, chkMute),
            -1,
            L"Mute",
            120,
            600,
            1500,
            300};
        Design({L"Bound", 6000, 4500},
               {
                   ControlRow(ControlType::CommandButton, KAL_CONTROL(BoundForm, cmdApply), -1, L"&Apply", 120, 120,
                              1200, 360),
                   mute,
                   ControlRow(ControlType::Frame, L"fraMode", -1, L"Mode", 1800, 120, 2400, 1500),
                   ControlRow(ControlType::OptionButton, KAL_CONTROL(BoundForm, optMode), 0, L"Off", 120, 300, 1800,
                              300, 0, L"fraMode"),
                   ControlRow(ControlType::OptionButton, KAL_CONTROL(BoundForm, optMode), 255, L"Don't Change", 120,
                              650, 1800, 300, 0, L"fraMode"),
                   ControlRow(ControlType::Label, KAL_CONTROL(BoundForm, lblBand), 1, L"0dB", 120, 2000, 1000, 300),
               });
    }
    ~BoundForm() override { Unload(); }

    CommandButton* cmdApply = nullptr;
    CheckBox* chkMute = nullptr;
    Label* lblWrong = nullptr;
    std::vector<OptionButton*> optMode;
    std::array<Label*, 2> lblBand{};
};

TEST(FormsBinding, RowsBindTheirControlsToTypedMembersOnEveryLoad) {
    BoundForm form;
    EXPECT_EQ(form.cmdApply, nullptr);
    form.Load();
    ASSERT_NE(form.cmdApply, nullptr);
    EXPECT_EQ(form.cmdApply, &form.Get<CommandButton>(L"cmdApply"));
    EXPECT_EQ(form.chkMute, &form.Get<CheckBox>(L"chkMute"));
    ASSERT_EQ(form.optMode.size(), 256u);
    EXPECT_EQ(form.optMode[0], &form.Get<OptionButton>(L"optMode", 0));
    EXPECT_EQ(form.optMode[255], &form.Get<OptionButton>(L"optMode", 255));
    EXPECT_EQ(form.optMode[1], nullptr);
    EXPECT_EQ(form.lblBand[0], nullptr);
    EXPECT_EQ(form.lblBand[1], &form.Get<Label>(L"lblBand", 1));
    // A later load binds the new controls.
    form.Unload();
    form.Load();
    EXPECT_EQ(form.cmdApply, &form.Get<CommandButton>(L"cmdApply"));
    EXPECT_EQ(form.optMode[255], &form.Get<OptionButton>(L"optMode", 255));

    // A member of another type than its row's control fails the load.
    BoundForm wrong(true);
    EXPECT_THROW(wrong.Load(), std::bad_cast);
    wrong.Unload();
}

TEST_F(Forms, PictureBoxKeepsWhatWasDrawnInItsBuffer) {
    auto& pic = form.Get<PictureBox>(L"pctPanel");
    pic.SetBackColor(RGB(0, 0, 255));
    HDC dc = pic.hDC();
    ASSERT_NE(dc, nullptr);
    ::SetPixel(dc, 5, 5, RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(dc, 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(dc, 6, 6), RGB(0, 0, 255));

    // Painting shows the buffer.
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, 50, 50);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    pic.PaintTo(mem);
    EXPECT_EQ(::GetPixel(mem, 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(mem, 20, 20), RGB(0, 0, 255));
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
    ::DeleteDC(mem);

    pic.Cls();
    EXPECT_EQ(::GetPixel(pic.hDC(), 5, 5), RGB(0, 0, 255));
}

// A form twice as tall as the screen's work area: it stands on the work area and scrolls, and its
// controls keep their places in twips whatever the scroll position; once its content fits, the
// bar goes.
class TallForm : public Form {
public:
    explicit TallForm(int height) : Form(L"frmTall") {
        Design({L"Tall", 6000, height},
               {
                   {ControlType::CommandButton, L"cmdTop", -1, L"Top", 120, 120, 1200, 360},
                   {ControlType::CommandButton, L"cmdBottom", -1, L"Bottom", 120, height - 480, 1200, 360},
                   {ControlType::TextBox, L"txtName", -1, L"", 120, 600, 1500, 300},
                   {ControlType::ComboBox, L"cboRate", -1, L"", 120, 1000, 1500, 300},
                   {ControlType::ComboBox, L"cboPreset", -1, L"", 1800, 1000, 1500, 300, CBS_DROPDOWN},
                   {ControlType::Slider, L"csliVolume", -1, L"", 120, 1500, 3000, 450, 0, L"", SliderRange(0, 100)},
               });
    }
    ~TallForm() override { Unload(); }
};

TEST(FormsScrolling, AFormTallerThanTheWorkAreaScrollsAndKeepsItsControlsPlaces) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT work = monitor.rcWork;
    const int height = 2 * PixelsToTwipsY(work.bottom - work.top);
    TallForm form(height);
    form.Show();
    test::Pump();
    const HWND window = form.hWnd();
    const auto top = [&](const wchar_t* name) {
        RECT r{};
        ::GetWindowRect(form.Ctl(name).Window(), &r);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r.top;
    };
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    EXPECT_EQ(outer.top, work.top);
    EXPECT_EQ(outer.bottom, work.bottom);
    EXPECT_TRUE(::GetWindowLongW(window, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(client.right, TwipsToPixelsX(6000));

    ::SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(form.ScrollTop(), TwipsToPixelsY(height) - client.bottom);
    EXPECT_EQ(top(L"cmdBottom"), TwipsToPixelsY(height - 480) - form.ScrollTop());
    EXPECT_NEAR(form.Ctl(L"cmdBottom").Top(), height - 480, 1440 / 96);
    // Moved and added while scrolled: in place once the content is back at its top.
    form.Ctl(L"cmdTop").Move(120, 1440, 1200, 360);
    EXPECT_NEAR(form.Ctl(L"cmdTop").Top(), 1440, 1440 / 96);
    form.AddControl({ControlType::CommandButton, L"cmdAdded", -1, L"Added", 120, 2160, 1200, 360});
    ::SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(form.ScrollTop(), 0);
    EXPECT_EQ(top(L"cmdTop"), TwipsToPixelsY(1440));
    EXPECT_EQ(top(L"cmdAdded"), TwipsToPixelsY(2160));

    // Content that fits: no bar, the designed width, the client area as high as the content.
    ::SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    form.SetContentHeight(3000);
    ::GetClientRect(window, &client);
    EXPECT_FALSE(::GetWindowLongW(window, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(form.ScrollTop(), 0);
    EXPECT_EQ(client.right, TwipsToPixelsX(6000));
    EXPECT_EQ(client.bottom, TwipsToPixelsY(3000));
    EXPECT_EQ(top(L"cmdTop"), TwipsToPixelsY(1440));
}

// The wheel turned over a list or a slider of a scrolled form, as the system delivers it to the
// window under the pointer through the program's loop: a control without the focus keeps its
// value and the form scrolls; the focused control takes the wheel and the form stays.
TEST(FormsScrolling, TheWheelOverAControlWithoutTheFocusScrollsTheForm) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    TallForm form(2 * PixelsToTwipsY(monitor.rcWork.bottom - monitor.rcWork.top));
    form.Show();
    test::Pump();
    auto& rate = form.Get<ComboBox>(L"cboRate");
    auto& preset = form.Get<ComboBox>(L"cboPreset");
    auto& volume = form.Get<Slider>(L"csliVolume");
    for (ComboBox* box : {&rate, &preset}) {
        for (const wchar_t* item : {L"One", L"Two", L"Three"}) box->AddItem(item);
    }
    int events = 0;
    for (Control* c : {static_cast<Control*>(&rate), static_cast<Control*>(&preset), static_cast<Control*>(&volume)})
        c->Click = c->Change = [&] { ++events; };
    // The value a notch may change.
    const auto value = [&](const Control& c) {
        return &c == &volume ? volume.Value() : static_cast<const ComboBox&>(c).ListIndex();
    };
    const HWND name = form.Ctl(L"txtName").Window();
    const struct {
        Control* control;
        HWND focus;
        bool keeps;    // the control takes the wheel
        bool changes;  // and a notch changes its value (an editable list's edit part doesn't)
        bool enabled = true;
        bool button = false;  // the pointer over the list's drop button
    } cases[] = {
        {&rate, name, false, false},
        {&rate, name, false, false, false},
        {&preset, name, false, false},
        {&volume, name, false, false},
        {&rate, volume.hWnd(), false, false},
        // The window itself has the focus: it holds the list, but the list is not picked.
        {&rate, form.hWnd(), false, false},
        {&volume, form.hWnd(), false, false},
        {&rate, rate.hWnd(), true, true},
        {&preset, preset.EditWindow(), true, false},
        {&preset, preset.EditWindow(), true, true, true, true},
        {&volume, volume.hWnd(), true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.control->Name() << (c.keeps ? " with the focus" : " without the focus")
                                          << (c.enabled ? "" : ", disabled") << (c.button ? ", drop button" : "")
                                          << (c.focus == form.hWnd() ? ", the window focused" : ""));
        ::SendMessageW(form.hWnd(), WM_VSCROLL, SB_TOP, 0);
        rate.SetListIndex(1);
        preset.SetListIndex(1);
        volume.SetValue(50);
        c.control->SetEnabled(c.enabled);
        ::SetFocus(c.focus);
        test::Pump();
        events = 0;
        const int before = value(*c.control);
        RECT r{};
        ::GetWindowRect(c.control->hWnd(), &r);
        kal::testing::TurnWheel({c.button ? r.right - 4 : (r.left + r.right) / 2, (r.top + r.bottom) / 2}, -1);
        // The program's loop, the dialog manager's part first.
        kal::testing::PumpUntil([&] { return form.ScrollTop() != 0 || value(*c.control) != before; }, 1000,
                                FormDialogMessage);
        EXPECT_EQ(form.ScrollTop() > 0, !c.keeps);
        EXPECT_EQ(value(*c.control) != before, c.changes);
        EXPECT_EQ(events, c.changes ? 1 : 0);
        c.control->SetEnabled(true);
    }
}

// Alt and a caption's marked letter, as the program's loop hands them to the dialog manager: a
// button's is a press; a label's focuses the control after it, an edit box with its text
// selected; a frame's focuses its first control; a letter no caption marks does nothing.
TEST_F(Forms, MnemonicsReachTheirControls) {
    form.Ctl(L"fraMode").SetCaption(L"&Mode");
    form.Get<TextBox>(L"txtName").SetText(L"abc");
    const struct {
        WORD key;
        const wchar_t* focus;  // the control that has the focus after it
        int presses;           // of the Apply button
    } cases[] = {{'N', L"txtName", 0}, {'M', L"optMode", 0}, {'A', L"cmdApply", 1}, {'Q', L"cmdApply", 1}};
    const HWND start = form.Get<CheckBox>(L"chkMute").Window();
    ::SetForegroundWindow(form.hWnd());
    ::SetFocus(start);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<char>(c.key));
        kal::testing::SendKeys({VK_MENU, c.key}, false);
        kal::testing::SendKeys({VK_MENU, c.key}, true);
        kal::testing::PumpUntil([] { return false; }, 150, FormDialogMessage);
        const Control* focused = nullptr;
        for (Control* ctl : form.Controls())
            if (ctl->Window() == ::GetFocus()) focused = ctl;
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->Name(), c.focus);
        EXPECT_EQ(Events(L"cmdApply.Click"), c.presses);
        if (focused->Name() == L"txtName") {
            DWORD from = 1, to = 0;
            ::SendMessageW(::GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
            EXPECT_EQ(from, 0u);
            EXPECT_EQ(to, 3u);
        }
    }
}

TEST_F(Forms, UpdatingNests) {
    EXPECT_FALSE(form.Updating());
    {
        Form::UpdatingScope outer(form);
        {
            Form::UpdatingScope inner(form);
            EXPECT_TRUE(form.Updating());
        }
        EXPECT_TRUE(form.Updating());
    }
    EXPECT_FALSE(form.Updating());
}

TEST_F(Forms, MessageLoopEndsWhenTheLastFormUnloads) {
    SampleForm second;
    // Two forms: closing the first keeps the loop, the timer of the second then unloads it.
    second.Load();
    auto& timer = second.Get<Timer>(L"timerClose");
    int ticks = 0;
    timer.Tick = [&] {
        if (++ticks == 2) second.Unload();
    };
    timer.SetInterval(10);
    ::PostMessageW(form.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsFormLoaded(L"frmSample"));
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(LoadedForms().empty());
    EXPECT_EQ(RunMessageLoop(), 0);  // nothing loaded: returns at once

    // A form can be loaded again after it unloaded, with fresh controls.
    form.Load();
    EXPECT_EQ(form.loads, 2);
    EXPECT_TRUE(User::Click(form.Ctl(L"cmdApply")) == false);  // loaded, not shown
    form.Show();
    EXPECT_TRUE(User::Click(form.Ctl(L"cmdApply")));
    EXPECT_EQ(Events(L"cmdApply.Click"), 1);
}

}  // namespace

namespace {

// Carries out its work while loading and unloads itself, as a run without user interface does.
class SelfClosingForm : public Form {
public:
    SelfClosingForm() : Form(L"frmSelfClosing") {}
    ~SelfClosingForm() override { Unload(); }
    int unloads = 0;

protected:
    void OnLoad() override { Unload(); }
    void OnUnload() override { ++unloads; }
};

TEST(FormsLifetime, FormUnloadingItselfWhileLoadingEndsTheLoopAtOnce) {
    SelfClosingForm form;
    form.Load();
    EXPECT_FALSE(IsFormLoaded(L"frmSelfClosing"));
    EXPECT_EQ(form.unloads, 1);
    EXPECT_EQ(RunMessageLoop(), 0);
}

}  // namespace

namespace {

constexpr COLORREF kEdge = RGB(10, 20, 30);

// Three tabs over their pages; the middle one starts current.
class TabbedForm : public Form {
public:
    TabbedForm() : Form(L"frmTabbed") {
        std::vector<ControlRow> rows;
        for (int i = 0; i < 3; ++i) {
            const std::wstring tab = L"imgTab(" + std::to_wstring(i) + L")";
            rows.emplace_back(ControlType::PictureBox, L"imgTab", i, L"", 120 + i * 1500, 120, 1470, 420);
            rows.emplace_back(ControlType::Label, L"lblTab", i, L"Tab " + std::to_wstring(i), 60, 45, 1350, 330,
                              SS_CENTER, tab);
            rows.emplace_back(ControlType::PictureBox, L"pctTabContent", i, L"", 120, 540, 4800, 2400);
        }
        Design({L"Tabbed", 5400, 3300}, std::move(rows));
    }
    ~TabbedForm() override { Unload(); }
    TabStrip strip{*this};
    std::vector<std::pair<int, int>> switches;
    std::vector<int> highlights;

protected:
    void OnLoad() override {
        strip.Switched = [this](int previous, int current) { switches.emplace_back(previous, current); };
        strip.HighlightChanged = [this](int index) { highlights.push_back(index); };
        strip.Attach(1, kEdge);
    }
    void OnUnload() override { strip.Detach(); }
};

class Tabs : public ::testing::Test {
protected:
    void SetUp() override {
        form.Show();
        test::Pump();
    }
    PictureBox& Tab(int i) { return form.Get<PictureBox>(L"imgTab", i); }
    PictureBox& Page(int i) { return form.Get<PictureBox>(L"pctTabContent", i); }
    // A pixel of page i's top edge under the middle of tab t.
    COLORREF PageTopUnder(int i, int t) {
        RECT r{};
        ::GetClientRect(Tab(t).Window(), &r);
        POINT middle{r.right / 2, 0};
        ::MapWindowPoints(Tab(t).Window(), Page(i).Window(), &middle, 1);
        return ::GetPixel(Page(i).hDC(), middle.x, 0);
    }
    // A pixel of tab t's middle column, `fromBottom` pixels above its foot.
    COLORREF TabPixel(int t, int fromBottom) {
        RECT r{};
        ::GetClientRect(Tab(t).Window(), &r);
        return ::GetPixel(Tab(t).hDC(), r.right / 2, r.bottom - 1 - fromBottom);
    }
    void MoveOver(Control& c, int x, int y) { ::SendMessageW(c.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    TabbedForm form;
};

TEST_F(Tabs, ClickingATabShowsOnlyItsPageAndTheCurrentTabJoinsItsPage) {
    TabStrip& strip = form.strip;
    EXPECT_EQ(strip.Count(), 3);
    EXPECT_EQ(strip.Current(), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Page(i).Visible(), i == 1) << i;

    // The current tab is its page's colour down to its foot, and the page's top edge is open under
    // it; the page's edge runs along the foot of the others, which stand lower.
    const COLORREF page = Page(1).BackColor();
    EXPECT_EQ(TabPixel(1, 0), page);
    EXPECT_EQ(PageTopUnder(1, 1), page);
    EXPECT_EQ(PageTopUnder(1, 0), kEdge);
    EXPECT_EQ(PageTopUnder(1, 2), kEdge);
    RECT r{};
    ::GetClientRect(Tab(0).Window(), &r);
    EXPECT_EQ(::GetPixel(Tab(1).hDC(), r.right / 2, 0), kEdge);
    EXPECT_NE(::GetPixel(Tab(0).hDC(), r.right / 2, 0), kEdge);
    EXPECT_NE(TabPixel(0, 0), page);

    // The captions let the mouse through: a click on a tab selects it.
    EXPECT_FALSE(::GetWindowLongW(form.Ctl(L"lblTab", 0).Window(), GWL_STYLE) & SS_NOTIFY);
    ASSERT_TRUE(User::Click(Tab(2)));
    EXPECT_EQ(strip.Current(), 2);
    EXPECT_TRUE(Page(2).Visible());
    EXPECT_FALSE(Page(1).Visible());
    EXPECT_EQ(form.switches, (std::vector<std::pair<int, int>>{{1, 2}}));
    EXPECT_EQ(TabPixel(2, 0), Page(2).BackColor());
    EXPECT_NE(TabPixel(1, 0), Page(1).BackColor());
    EXPECT_EQ(PageTopUnder(2, 2), Page(2).BackColor());
    EXPECT_EQ(PageTopUnder(2, 1), kEdge);

    // The current tab again, or no tab: nothing changes.
    strip.Select(2);
    strip.Select(3);
    strip.Select(-1);
    EXPECT_EQ(strip.Current(), 2);
    EXPECT_EQ(form.switches.size(), 1u);
}

TEST_F(Tabs, OnlyATabThatIsNeitherCurrentNorDisabledLightsUpUnderThePointer) {
    TabStrip& strip = form.strip;
    MoveOver(Tab(0), 5, 5);
    EXPECT_EQ(strip.Hovered(), 0);
    EXPECT_EQ(strip.Highlight(0), TabStrip::kHover);
    EXPECT_EQ(TabPixel(0, 0), static_cast<COLORREF>(::GetSysColor(COLOR_INFOBK)));
    // Its caption is drawn on its colour.
    HDC dc = ::GetDC(nullptr);
    ::SendMessageW(Tab(0).Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(form.Ctl(L"lblTab", 0).Window()));
    EXPECT_EQ(::GetBkColor(dc), static_cast<COLORREF>(::GetSysColor(COLOR_INFOBK)));
    ::ReleaseDC(nullptr, dc);
    // The pointer on the page takes the highlight off.
    MoveOver(Page(1), 5, 5);
    EXPECT_EQ(strip.Hovered(), -1);
    EXPECT_EQ(strip.Highlight(0), TabStrip::kPlain);
    EXPECT_EQ(form.highlights, (std::vector<int>{0, 0}));

    MoveOver(Tab(1), 5, 5);  // the current tab
    EXPECT_EQ(strip.Hovered(), -1);
    Tab(2).SetEnabled(false);
    MoveOver(Tab(2), 5, 5);
    EXPECT_EQ(strip.Hovered(), -1);
    // A disabled tab's caption is grey.
    dc = ::GetDC(nullptr);
    ::SendMessageW(Tab(2).Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(form.Ctl(L"lblTab", 2).Window()));
    EXPECT_EQ(::GetTextColor(dc), static_cast<COLORREF>(::GetSysColor(COLOR_GRAYTEXT)));
    ::ReleaseDC(nullptr, dc);
    Tab(2).SetEnabled(true);
    MoveOver(Tab(2), 5, 5);
    EXPECT_EQ(strip.Hovered(), 2);
    // Outside the tab (the pointer captured elsewhere) counts as leaving it.
    MoveOver(Tab(2), -1, 5);
    EXPECT_EQ(strip.Hovered(), -1);
    // A switch takes the highlight off first.
    MoveOver(Tab(0), 5, 5);
    strip.Select(0);
    EXPECT_EQ(strip.Hovered(), -1);
    EXPECT_EQ(strip.Current(), 0);
}

}  // namespace
