#include "toolkit/commondialog.h"

#include "tests/common/checked.h"
#include "tests/toolkit/pages/pagetest.h"

namespace kal::test {
namespace {

using kal::testing::Nth;

class CommonDialog : public ::testing::Test {
protected:
    void SetUp() override { previous = SetCommonDialogs(&dialogs); }
    void TearDown() override { SetCommonDialogs(previous); }
    ScriptedDialogs dialogs;
    CommonDialogs* previous = nullptr;
};

TEST_F(CommonDialog, CancelClearsTheOutputs) {
    OpenFileRequest r;
    r.fileName = L"start.ico";
    r.filter = L"Icons|*.ICO";
    r.flags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_NOCHANGEDIR;
    r.mustExist = r.hideReadOnly = true;
    dialogs.extendedError = 0x3002;  // the buffer was too small
    EXPECT_FALSE(ShowOpenFileDialog(r));
    ASSERT_EQ(dialogs.openSeen.size(), 1u);
    EXPECT_EQ(dialogs.openSeen[0].ofn.Flags,
              static_cast<DWORD>(OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_EQ(dialogs.openSeen[0].ofn.nMaxFile, 260u);
    EXPECT_EQ(dialogs.openSeen[0].file, L"start.ico");
    EXPECT_EQ(r.filterIndex, -1);
    EXPECT_EQ(r.flags, 0u);
    EXPECT_EQ(r.fileName, L"");
    EXPECT_EQ(r.filter, L"");
    EXPECT_EQ(gCommonDialog.lastResult, 0);
    EXPECT_EQ(gCommonDialog.lastError, 0x3002u);
}

TEST_F(CommonDialog, ChosenFileTitleFilterAndReadOnly) {
    dialogs.openFile.push_back([](OPENFILENAMEW& ofn) {
        wcscpy_s(ofn.lpstrFile, ofn.nMaxFile, L"C:\\pics\\arrow.cur");
        wcscpy_s(ofn.lpstrFileTitle, ofn.nMaxFileTitle, L"arrow.cur");
        ofn.nFilterIndex = 2;
        ofn.Flags |= OFN_READONLY;
        return TRUE;
    });
    OpenFileRequest r;
    r.filter = L"Icons|*.ICO|Cursors|*.CUR";
    EXPECT_TRUE(ShowOpenFileDialog(r));
    EXPECT_EQ(r.fileName, L"C:\\pics\\arrow.cur");
    EXPECT_EQ(r.fileTitle, L"arrow.cur");
    EXPECT_EQ(r.filterIndex, 2);
    EXPECT_EQ(r.filter, std::wstring(L"Cursors\0*.CUR", 13));
    EXPECT_TRUE(r.readOnly);
    EXPECT_EQ(gCommonDialog.lastResult, 1);
}

TEST_F(CommonDialog, MultiSelectionKeepsTheNames) {
    dialogs.openFile.push_back(ChooseFiles(L"C:\\pics", {L"a.ico", L"b.ico"}));
    OpenFileRequest r;
    r.fileTitle = L"ignored";
    r.multiSelect = true;
    EXPECT_TRUE(ShowOpenFileDialog(r));
    EXPECT_EQ(Nth(dialogs.openSeen, 0).ofn.nMaxFile, 8192u);
    EXPECT_EQ(r.fileName, std::wstring(L"C:\\pics\0a.ico\0b.ico", 19));
    EXPECT_EQ(r.fileTitle, L"");
}

TEST_F(CommonDialog, ColourDialogSeedsAndKeepsCustomColours) {
    gCommonDialog.seeded = false;
    dialogs.colours.push_back([](CHOOSECOLORW& cc) {
        cc.lpCustColors[15] = RGB(9, 9, 9);
        cc.rgbResult = RGB(1, 2, 3);
        return TRUE;
    });
    std::int32_t colour = RGB(4, 5, 6);
    EXPECT_TRUE(ShowColourDialog(colour, false, false, true, nullptr));
    EXPECT_EQ(colour, static_cast<std::int32_t>(RGB(1, 2, 3)));
    const CHOOSECOLORW first = Nth(dialogs.colourSeen, 0);
    EXPECT_EQ(first.Flags, static_cast<DWORD>(CC_SOLIDCOLOR | CC_RGBINIT | CC_PREVENTFULLOPEN));
    EXPECT_EQ(first.rgbResult, RGB(4, 5, 6));
    EXPECT_EQ(gCommonDialog.customColours[3], ::GetSysColor(3));
    EXPECT_EQ(gCommonDialog.customColours[15], RGB(9, 9, 9));

    EXPECT_FALSE(ShowColourDialog(colour, true, false, false, nullptr));  // cancelled
    EXPECT_EQ(colour, -1);
    EXPECT_EQ(gCommonDialog.customColours[15], RGB(9, 9, 9));  // not seeded again
}

TEST_F(CommonDialog, FormsFileDialogSavesOrOpensThroughTheSameInterface) {
    const std::wstring filter(L"Backup\0*.kbf\0", 14);
    dialogs.saveAs = L"C:\\users\\backup.kbf";
    EXPECT_EQ(ShowFileDialog(L"Save", L"Kalvenor Settings", filter, L"kbf", nullptr, L"", true), L"C:\\users\\backup.kbf");
    ASSERT_EQ(dialogs.saveSeen.size(), 1u);
    EXPECT_EQ(dialogs.saveSeen[0], L"Kalvenor Settings");
    EXPECT_TRUE(dialogs.openSeen.empty());

    dialogs.openFile.push_back([](OPENFILENAMEW& ofn) {
        EXPECT_TRUE(ofn.Flags & OFN_OVERWRITEPROMPT);
        wcscpy_s(ofn.lpstrFile, ofn.nMaxFile, L"C:\\old.kbf");
        return TRUE;
    });
    EXPECT_EQ(ShowFileDialog(L"Restore", L"", filter, L"kbf", nullptr, L"", false), L"C:\\old.kbf");
    EXPECT_EQ(dialogs.openSeen.size(), 1u);
    EXPECT_EQ(ShowFileDialog(L"Restore", L"", filter, L"kbf", nullptr, L"", false), L"");  // cancelled
    EXPECT_EQ(dialogs.saveSeen.size(), 1u);
}

}  // namespace
}  // namespace kal::test
