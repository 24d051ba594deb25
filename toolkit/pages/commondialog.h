// The open-file and colour dialogs of the image list's property pages, and the modal windows
// they show (those dialogs and message boxes) behind one replaceable interface, so that code
// driving the pages can answer them.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstdint>
#include <string>

namespace kal {

// The system's dialogs and message boxes; a replacement answers them itself.
class PageDialogs {
public:
    virtual ~PageDialogs() = default;
    virtual BOOL OpenFile(OPENFILENAMEW& dialog);
    virtual BOOL PickColour(CHOOSECOLORW& dialog);
    virtual DWORD ExtendedError();
    // A message box; returns IDOK, IDYES, IDNO...
    virtual int Message(HWND owner, const std::wstring& text, UINT type);
};

// The interface in use.
PageDialogs& Dialogs();
// Puts `dialogs` in use (null: the system's); returns the one used before.
PageDialogs* SetPageDialogs(PageDialogs* dialogs);

// A message box without a title of its own: the program's name stands there.
int PageMessage(HWND owner, const std::wstring& text, UINT type);

// What the dialog functions leave behind for the caller to inspect.
struct CommonDialogState {
    std::int32_t lastResult = 0;      // the dialog function's result
    std::uint32_t lastError = 0;      // the common dialogs' extended error
    std::array<COLORREF, 16> customColours{};
    bool seeded = false;              // custom colours taken from the system colours once
};
extern CommonDialogState gCommonDialog;

// Arguments of the open-file dialog; the out fields are written back.
struct OpenFileRequest {
    std::wstring fileName;    // in: initial; out: the chosen file or the multi-selection text
    std::wstring fileTitle;   // in: initial; out: the chosen file's title
    bool mustExist = false;
    bool multiSelect = false;
    bool readOnly = false;    // in: check the box; out: the box was left checked
    bool hideReadOnly = false;
    std::wstring filter;      // in: "description|pattern|..."; out: the chosen entry
    std::int32_t filterIndex = 1;  // in: entry to preselect (1-based); out: chosen, -1 after cancel
    std::wstring initialFolder;
    std::wstring title;
    std::wstring defaultExtension;
    HWND owner = nullptr;
    DWORD flags = 0;          // in: further OFN_ flags; out: after the dialog, 0 after cancel
};

// True when the user chose a file.
bool ShowOpenFileDialog(OpenFileRequest& request);
// `colour` in: initial RGB; out: the chosen RGB, -1 after cancel. True on OK.
bool ShowColourDialog(std::int32_t& colour, bool anyColour, bool fullOpen, bool preventFullOpen, HWND owner);

}  // namespace kal
