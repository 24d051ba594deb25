#include "tests/toolkit/pages/pagetest.h"

#include <prsht.h>
#include "startup/utility.h"
#include "base/errors.h"

namespace kal::test {
namespace {

constexpr wchar_t kDistort[] =
    L"Changing size of the image list will distort any images you have added.\r\n\r\nAre you sure you want to do this?";
constexpr wchar_t kDistortApply[] =
    L"Changing size of the image list will distort any images you have added.\r\n\r\nAre you sure?";
constexpr wchar_t kInvalidSize[] = L"Please enter a valid icon size.";

class ControlPage : public PageTest {
protected:
    TextBox& SizeBox(int i) { return Control().Get<TextBox>(L"txtIconSize", i); }
    ComboBox& Depth() { return Control().Get<ComboBox>(L"cboColourDepth"); }
    bool ClickSize(int i) {
        const bool done = User::Click(Control().Get<CommandButton>(L"cmdSize", i));
        Pump();
        return done;
    }
};

TEST_F(ControlPage, ShowsTheSelectedList) {
    list.SetIconSizeX(24);
    list.SetIconSizeY(32);
    list.Clear();
    Open();
    EXPECT_EQ(SizeBox(0).Text(), L"24");
    EXPECT_EQ(SizeBox(1).Text(), L"32");
    ASSERT_EQ(Depth().ListCount(), 6);
    EXPECT_EQ(Depth().List(3), L"65,000 colours (16 bit)");
    EXPECT_EQ(Depth().ItemData(3), 16);
    EXPECT_EQ(Depth().ListIndex(), 5);  // 32 bit
    EXPECT_EQ(Control().LastDepthEntry(), 5);
    EXPECT_EQ(Control().Get<Label>(L"lblVersion").Caption().rfind(AppExeName() + L".OCX     Version: ", 0), 0u);
    EXPECT_FALSE(ApplyEnabled());  // showing the list is no edit
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Control().ToolTips().ToolText(Control().Ctl(L"cmdSize", 2).Window()), L"32 x 32 Image list");
}

TEST_F(ControlPage, SizeAppliedThroughATemporaryFileThatIsGoneAfterwards) {
    AddSolid(0xFF0000, L"a");
    AddSolid(0x00FF00, L"bb");
    AddSolid(0x0000FF, L"ccc");
    const auto before = TempFilesStartingWith(L"ILS");
    // While the list is re-created its images wait in a file of their own.
    std::vector<std::wstring> duringClear;
    std::uintmax_t savedBytes = 0;
    list.PropertyChanged = [&](const wchar_t* name) {
        if (std::wstring(name) != L"Images" || !duringClear.empty()) return;
        duringClear = TempFilesStartingWith(L"ILS");
        for (const auto& f : duringClear)
            if (std::find(before.begin(), before.end(), f) == before.end()) {
                WIN32_FILE_ATTRIBUTE_DATA data{};
                if (::GetFileAttributesExW((TempFolderPath() + f).c_str(), GetFileExInfoStandard, &data))
                    savedBytes = data.nFileSizeLow;
            }
    };
    Open();
    dialogs.answers = {IDYES};
    ASSERT_TRUE(ClickSize(2));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kDistort);
    EXPECT_EQ(dialogs.messages[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(SizeBox(0).Text(), L"32");
    EXPECT_EQ(SizeBox(1).Text(), L"32");
    EXPECT_EQ(list.IconSizeX(), 16);  // nothing applied yet
    EXPECT_TRUE(ApplyEnabled());

    dialogs.answers = {IDYES};
    Press(PSBTN_APPLYNOW);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, kDistortApply);
    EXPECT_EQ(duringClear.size(), before.size() + 1);
    EXPECT_GT(savedBytes, 16u);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(list.hIml(), &cx, &cy));
    EXPECT_EQ(cx, 32);
    EXPECT_EQ(cy, 32);
    EXPECT_EQ(list.IconSizeX(), 32);
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
    // Keys survive, the one-character key too.
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"a", L"bb", L"ccc"}));
    EXPECT_EQ(TempFilesStartingWith(L"ILS"), before);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_FALSE(frame->PageChanged(0));
}

TEST_F(ControlPage, EitherSizeAloneRecreatesTheList) {
    AddSolid(0xFF0000);
    AddSolid(0x0000FF);
    Open();
    ASSERT_TRUE(User::SetText(SizeBox(0), L"24"));
    Pump();
    EXPECT_TRUE(ApplyEnabled());
    dialogs.answers = {IDYES};
    Press(PSBTN_APPLYNOW);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kDistortApply);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(list.hIml(), &cx, &cy));
    EXPECT_EQ(cx, 24);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0xFF0000, 0x0000FF}));
}

TEST_F(ControlPage, EmptyListIsRecreatedWithoutQuestionOrFile) {
    const auto before = TempFilesStartingWith(L"ILS");
    bool fileDuringClear = false;
    list.PropertyChanged = [&](const wchar_t* name) {
        if (std::wstring(name) == L"Images") fileDuringClear = TempFilesStartingWith(L"ILS") != before;
    };
    Open();
    ASSERT_TRUE(ClickSize(3));
    Press(PSBTN_APPLYNOW);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(fileDuringClear);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(list.hIml(), &cx, &cy));
    EXPECT_EQ(cx, 48);
    EXPECT_EQ(cy, 48);
}

TEST_F(ControlPage, NoToTheApplyQuestionPutsTheSizesBack) {
    AddSolid(0xFF0000);
    Open();
    dialogs.answers = {IDYES, IDYES};
    ASSERT_TRUE(ClickSize(4));
    ASSERT_TRUE(User::ChooseItem(Depth(), 4));  // lower depth: asked and accepted
    Pump();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text,
              L"Warning - decreasing the colour depth may affect images already stored in the control.  "
              L"Are you sure you want to do this?");
    dialogs.answers = {IDNO};
    Press(PSBTN_APPLYNOW);
    EXPECT_EQ(SizeBox(0).Text(), L"16");
    EXPECT_EQ(SizeBox(1).Text(), L"16");
    EXPECT_EQ(list.IconSizeX(), 16);
    EXPECT_EQ(list.ColourDepth(), ILC_COLOR32);
    EXPECT_EQ(list.ImageCount(), 1);
    EXPECT_TRUE(frame->PageChanged(0));

    // OK with the question answered No leaves the sheet open.
    dialogs.answers = {IDYES};
    ASSERT_TRUE(ClickSize(4));
    dialogs.answers = {IDNO};
    Press(PSBTN_OK);
    EXPECT_TRUE(frame->IsOpen());
    EXPECT_EQ(list.IconSizeX(), 16);
}

TEST_F(ControlPage, NonNumericSizeAppliesNothing) {
    AddSolid(0xFF0000);
    Open();
    ASSERT_TRUE(User::SetText(SizeBox(1), L"big"));
    ASSERT_TRUE(User::ChooseItem(Depth(), 5 - 1));
    dialogs.answers = {IDYES};
    Pump();
    dialogs.messages.clear();
    Press(PSBTN_APPLYNOW);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kInvalidSize);
    EXPECT_EQ(dialogs.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(list.ColourDepth(), ILC_COLOR32);
    EXPECT_EQ(list.IconSizeY(), 16);
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(ControlPage, DepthAloneIsStoredWithoutRecreating) {
    Open();
    HIMAGELIST before = list.hIml();
    ASSERT_TRUE(User::ChooseItem(Depth(), 3));
    Pump();
    EXPECT_TRUE(dialogs.messages.empty());  // no images: no question
    Press(PSBTN_APPLYNOW);
    EXPECT_EQ(list.ColourDepth(), 16);
    EXPECT_EQ(list.hIml(), before);
}

TEST_F(ControlPage, LowerDepthAnsweredNoRestoresTheEntry) {
    AddSolid(0xFF0000);
    Open();
    dialogs.answers = {IDNO};
    ASSERT_TRUE(User::ChooseItem(Depth(), 1));
    Pump();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(Depth().ListIndex(), 5);
    EXPECT_EQ(Control().LastDepthEntry(), 5);
    EXPECT_FALSE(ApplyEnabled());
    // A higher entry needs no question.

    ASSERT_TRUE(User::ChooseItem(Depth(), 5));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(ControlPage, SizeBoxesTakeDigitsOnly) {
    Open();
    HWND box = SizeBox(0).Window();
    ::SetWindowTextW(box, L"");
    for (wchar_t c : std::wstring(L"4a8.-")) ::SendMessageW(box, WM_CHAR, c, 0);
    EXPECT_EQ(SizeBox(0).Text(), L"48");
    ::SendMessageW(box, EM_SETSEL, 2, 2);
    ::SendMessageW(box, WM_CHAR, 8, 0);  // Backspace passes
    EXPECT_EQ(SizeBox(0).Text(), L"4");
}

TEST_F(ControlPage, SaveFailureKeepsTheImages) {
    AddSolid(0xFF0000, L"red");
    AddSolid(0x00FF00, L"green");
    wchar_t saved[MAX_PATH] = {};
    const DWORD had = ::GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    Open();
    ASSERT_TRUE(User::SetText(SizeBox(0), L"32"));
    ASSERT_TRUE(User::SetText(SizeBox(1), L"32"));
    ::SetEnvironmentVariableW(L"TMP", L"C:\\kalvenor\\no\\such\\folder");
    dialogs.answers = {IDYES};
    Press(PSBTN_APPLYNOW);
    ::SetEnvironmentVariableW(L"TMP", had ? saved : nullptr);
    ASSERT_EQ(dialogs.messages.size(), 2u);  // the question, then the list's error
    EXPECT_EQ(dialogs.messages[1].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(list.IconSizeX(), 16);
    EXPECT_EQ(list.ImageCount(), 2);
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0xFF0000, 0x00FF00}));
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(ControlPage, SizeNoListCanHaveKeepsTheImagesAndTheirSize) {
    AddSolid(0xFF0000, L"red");
    AddSolid(0x0000FF, L"blue");
    const auto before = TempFilesStartingWith(L"ILS");
    Open();
    ASSERT_TRUE(User::SetText(SizeBox(0), L"0"));
    dialogs.answers = {IDYES};
    Press(PSBTN_APPLYNOW);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, kInvalidSize);
    EXPECT_EQ(list.IconSizeX(), 16);
    EXPECT_EQ(SizeBox(0).Text(), L"16");
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(list.hIml(), &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0xFF0000, 0x0000FF}));
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"red", L"blue"}));
    EXPECT_EQ(TempFilesStartingWith(L"ILS"), before);
}

// The modal frame is driven from a timer of the thread, as its own message loop runs.
struct ModalScript {
    PropertyFrame* frame = nullptr;
    HWND owner = nullptr;
    bool ownerWasDisabled = false;
};
ModalScript gModal;

void CALLBACK EditAndPressOk(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    gModal.ownerWasDisabled = !::IsWindowEnabled(gModal.owner);
    auto& page = static_cast<ppgControl&>(gModal.frame->Page(0));
    // Typed straight into the boxes: the acting-as-user checks count the modal sheet's disabled
    // owner as a disabled parent.
    ::SetWindowTextW(page.Get<TextBox>(L"txtIconSize", 0).Window(), L"20");
    ::SetWindowTextW(page.Get<TextBox>(L"txtIconSize", 1).Window(), L"20");
    PropSheet_PressButton(gModal.frame->hWnd(), PSBTN_OK);
}

TEST_F(ControlPage, ModalFrameAppliesOnOk) {
    gModal = ModalScript{frame.get(), owner};
    ::SetTimer(nullptr, 0, 50, &EditAndPressOk);
    EXPECT_TRUE(frame->ShowModal(owner));
    EXPECT_TRUE(gModal.ownerWasDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(frame->IsOpen());
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(list.hIml(), &cx, &cy));
    EXPECT_EQ(cx, 20);
    EXPECT_EQ(cy, 20);
}

TEST_F(ControlPage, CancelAppliesNothing) {
    Open();
    ASSERT_TRUE(ClickSize(1));
    Press(PSBTN_CANCEL);
    EXPECT_FALSE(frame->IsOpen());
    EXPECT_EQ(list.IconSizeX(), 16);
    EXPECT_FALSE(Control().Loaded());
}

}  // namespace
}  // namespace kal::test
