// The page tests' fixture: a real image list, the two pages in their property sheet (shown
// modeless so the test drives it), and scripted answers for the dialogs and message boxes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/toolkit/images/gdi_helpers.h"
#include "tests/toolkit/pages/testfiles.h"
#include "toolkit/commondialog.h"
#include "toolkit/pages/controlpage.h"
#include "toolkit/pages/imagespage.h"
#include "toolkit/pages/pageframe.h"

namespace kal::test {

// Answers the dialogs from queues and records the message boxes.
class ScriptedDialogs : public CommonDialogs {
public:
    struct Shown {
        std::wstring text;
        UINT type;
    };
    std::deque<int> answers;  // message box results; IDOK when empty
    std::vector<Shown> messages;
    std::deque<std::function<BOOL(OPENFILENAMEW&)>> openFile;  // cancel when empty
    std::deque<std::function<BOOL(CHOOSECOLORW&)>> colours;    // cancel when empty
    // What an open-file dialog was given, its texts copied while they live.
    struct OpenSeen {
        OPENFILENAMEW ofn;
        std::wstring filter;  // NULs kept
        std::wstring file;    // initial file name
        std::wstring title;
        std::wstring defaultExtension;
    };
    std::vector<OpenSeen> openSeen;
    std::vector<CHOOSECOLORW> colourSeen;
    DWORD extendedError = 0;

    BOOL OpenFile(OPENFILENAMEW& dialog) override {
        OpenSeen seen{dialog, {}, dialog.lpstrFile ? dialog.lpstrFile : L"", dialog.lpstrTitle ? dialog.lpstrTitle : L"",
                      dialog.lpstrDefExt ? dialog.lpstrDefExt : L""};
        for (const wchar_t* p = dialog.lpstrFilter; p && (p[0] || p[1]); ++p) seen.filter.push_back(*p);
        openSeen.push_back(seen);
        if (openFile.empty()) return FALSE;
        auto answer = std::move(openFile.front());
        openFile.pop_front();
        return answer(dialog);
    }
    // Save dialogs: the file names they were given; each is answered with `saveAs` ("" cancels).
    std::vector<std::wstring> saveSeen;
    std::wstring saveAs;
    BOOL SaveFile(OPENFILENAMEW& dialog) override {
        saveSeen.emplace_back(dialog.lpstrFile ? dialog.lpstrFile : L"");
        if (saveAs.empty()) return FALSE;
        wcscpy_s(dialog.lpstrFile, dialog.nMaxFile, saveAs.c_str());
        return TRUE;
    }
    BOOL PickColour(CHOOSECOLORW& dialog) override {
        colourSeen.push_back(dialog);
        if (colours.empty()) return FALSE;
        auto answer = std::move(colours.front());
        colours.pop_front();
        return answer(dialog);
    }
    DWORD ExtendedError() override { return extendedError; }
    int Message(HWND, const std::wstring& text, UINT type) override {
        messages.push_back({text, type});
        if (answers.empty()) return IDOK;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Chooses files in the open-file dialog as the system's Explorer dialog reports them.
std::function<BOOL(OPENFILENAMEW&)> ChooseFiles(const std::wstring& folder, const std::vector<std::wstring>& names);

class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the frame on the given page.
    void Open(int page = 0);
    void Pump();
    void SelectPage(int page);
    bool ApplyEnabled() const;
    // Presses a sheet button (PSBTN_...) and runs the messages.
    void Press(int button);

    ppgControl& Control() { return static_cast<ppgControl&>(frame->Page(0)); }
    ppgImages& Images() { return static_cast<ppgImages&>(frame->Page(1)); }

    // Adds a solid icon of the list's size and the colour.
    void AddSolid(std::uint32_t rgb, const wchar_t* key = nullptr);
    // The colour at the centre of image i (0-based), drawn on grey.
    std::uint32_t ImageColour(int i) const;
    std::vector<std::uint32_t> ImageColours() const;
    std::vector<std::wstring> Keys() const;

    zephImageList list;
    ScriptedDialogs dialogs;
    CommonDialogs* previous = nullptr;
    std::unique_ptr<PropertyFrame> frame;
    HWND owner = nullptr;
};

// 0xRRGGBB of a COLORREF.
inline std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

}  // namespace kal::test
