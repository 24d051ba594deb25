#include "toolkit/utility.h"
#include "toolkit/commondialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/testwindow.h"
#include "toolkit/forms.h"
#include "base/propstore.h"

using namespace kal;

namespace {

class PlainForm : public Form {
public:
    explicit PlainForm(const std::wstring& name) : Form(name) {
        Design({name, 3000, 2000},
               {{ControlType::OptionButton, L"optSVN", 0, L"Disable", 120, 120, 1500, 300},
                {ControlType::OptionButton, L"optSVN", 1, L"Enable", 120, 480, 1500, 300},
                {ControlType::OptionButton, L"optSVN", 255, L"Don't Change", 120, 840, 1500, 300},
                {ControlType::Slider, L"csliVolume", -1, L"", 120, 1200, 2000, 400}});
    }
    ~PlainForm() override { Unload(); }
};

std::intptr_t LC(const Form& f) { return GetWindowProp(f.hWnd(), HandleText(f.hWnd()) + L"LC"); }
bool Enabled(const Form& f) { return ::IsWindowEnabled(f.hWnd()) != FALSE; }

class ModalState : public ::testing::Test {
protected:
    void SetUp() override {
        main.SetMainForm(true);
        for (PlainForm* f : {&main, &a, &b, &c}) f->Show();
    }
    PlainForm main{L"frmMain"}, a{L"frmA"}, b{L"frmB"}, c{L"frmC"};
};

TEST_F(ModalState, NestedModalFormsReleaseExactlyWhatTheyHeld) {
    b.Hide();  // b is opened from a later
    SetModalState(a, true);
    EXPECT_TRUE(IsModal(a));
    EXPECT_TRUE(Enabled(main));
    EXPECT_TRUE(Enabled(b));
    EXPECT_FALSE(Enabled(c));
    SetModalState(a, true);  // already modal: nothing changes
    EXPECT_EQ(LC(c), 1);

    b.Show();
    SetModalState(b, true);
    EXPECT_EQ(LC(a), 1);
    EXPECT_EQ(LC(c), 2);
    EXPECT_TRUE(Enabled(b));  // the modal form itself stays usable
    EXPECT_FALSE(Enabled(a));

    SetModalState(b, false);
    EXPECT_TRUE(Enabled(a));
    EXPECT_EQ(LC(a), 0);
    EXPECT_EQ(LC(c), 1);
    EXPECT_FALSE(Enabled(c));
    EXPECT_TRUE(Enabled(b));

    SetModalState(a, false);
    for (PlainForm* f : {&main, &a, &b, &c}) {
        EXPECT_TRUE(Enabled(*f)) << f->Name().c_str();
        EXPECT_EQ(WindowPropCount(f->hWnd()), 0u) << f->Name().c_str();
    }
    SetModalState(a, false);  // not modal: nothing changes
    EXPECT_TRUE(Enabled(b));
}

TEST_F(ModalState, OnlyFormsTheRaiseDisabledAreReleased) {
    c.Hide();
    SetModalState(a, true);
    EXPECT_TRUE(Enabled(c));  // hidden: neither counted nor disabled
    EXPECT_EQ(LC(c), 0);
    // A form shown while a is modal was never disabled; lowering leaves it alone.
    c.Show();
    // A held form hidden meanwhile is still released.
    b.Hide();
    SetModalState(a, false);
    EXPECT_TRUE(Enabled(b));
    EXPECT_EQ(LC(b), 0);
    EXPECT_TRUE(Enabled(c));
    EXPECT_EQ(LC(c), 0);
}

TEST_F(ModalState, UnloadingAModalFormReleasesTheOthers) {
    SetModalState(b, true);
    EXPECT_FALSE(Enabled(a));
    b.Unload();
    EXPECT_TRUE(Enabled(a));
    EXPECT_TRUE(Enabled(c));
}

TEST_F(ModalState, ADialogIsModalFromItsActivationUntilItUnloads) {
    struct Dialog : ModalDialog {
        Dialog() : ModalDialog(L"frmDialog") { Design({L"Dialog", 3000, 2000}, {}); }
        ~Dialog() override { Unload(); }
    } dialog;
    dialog.Show();
    ::SendMessageW(dialog.hWnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(IsModal(dialog));
    EXPECT_FALSE(Enabled(a));
    EXPECT_TRUE(Enabled(main));
    dialog.Unload();
    EXPECT_FALSE(IsModal(dialog));
    EXPECT_TRUE(Enabled(a));
    EXPECT_TRUE(Enabled(c));
}

TEST(FormUtilities, FindSetOptionGivesTheIndexNotThePosition) {
    PlainForm f(L"frmOptionsTest");
    f.Load();
    EXPECT_EQ(FindSetOption(f, L"optSVN"), -1);
    f.Get<OptionButton>(L"optSVN", 255).SetValue(true);
    EXPECT_EQ(FindSetOption(f, L"optSVN"), 255);
    f.Get<OptionButton>(L"optSVN", 1).SetValue(true);
    EXPECT_EQ(FindSetOption(f, L"optSVN"), 1);
    EXPECT_EQ(FindSetOption(f, L"optMissing"), -1);
}

TEST(FormUtilities, WheelIncrementReachesEverySliderWhenSet) {
    PlainForm f(L"frmWheelTest");
    f.Load();
    auto& slider = f.Get<Slider>(L"csliVolume").Bar();
    EXPECT_EQ(slider.WheelIncrement(), 1);
    gWheelIncrement = 0;
    ApplyWheelIncrement(f);
    EXPECT_EQ(slider.WheelIncrement(), 1);
    gWheelIncrement = 7;
    ApplyWheelIncrement(f);
    EXPECT_EQ(slider.WheelIncrement(), 7);
    gWheelIncrement = 0;
}

TEST(FormUtilities, DefaultMenuItemOfTheFirstMenu) {
    PlainForm f(L"frmMenuBar");
    f.Load();
    EXPECT_FALSE(SetDefaultMenuItem(f, 0));  // no menu bar
    HMENU bar = ::CreateMenu();
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, 1, L"One");
    ::AppendMenuW(popup, MF_STRING, 2, L"Two");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"File");
    ::SetMenu(f.hWnd(), bar);
    EXPECT_TRUE(SetDefaultMenuItem(f, 1));
    EXPECT_EQ(::GetMenuDefaultItem(popup, TRUE, 0), 1u);
}

// Answers the file dialog once it is up.
WPARAM gDialogAnswer = IDCANCEL;
std::wstring gDialogFile;
BOOL CALLBACK FindDialog(HWND h, LPARAM out) {
    wchar_t cls[16] = {};
    ::GetClassNameW(h, cls, 16);
    if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(h)) {
        *reinterpret_cast<HWND*>(out) = h;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    ::KillTimer(nullptr, id);
    ::PostMessageW(dialog, WM_COMMAND, gDialogAnswer, 0);
}

TEST(FormUtilities, FileDialogGivesTheChosenPathOrNothing) {
    test::TestWindow owner;
    gDialogAnswer = IDCANCEL;
    ::SetTimer(nullptr, 0, 50, &AnswerDialog);
    EXPECT_EQ(ShowFileDialog(L"Restore", L"backup.kbf", std::wstring(L"Backup\0*.kbf\0", 14), L"kbf", owner.hWnd(),
                             L"C:\\windows", false),
              L"");

    gDialogAnswer = IDOK;
    ::SetTimer(nullptr, 0, 50, &AnswerDialog);
    const std::wstring chosen = ShowFileDialog(L"Save", L"C:\\windows\\kalvenor-test.kbf",
                                               std::wstring(L"Backup\0*.kbf\0", 14), L"kbf", owner.hWnd(), L"", true);
    EXPECT_EQ(chosen.size() > 4 ? chosen.substr(chosen.size() - 17) : chosen, L"kalvenor-test.kbf");
}

}  // namespace
