// The common dialogs (open, save, colour) and the message boxes shown around them, behind one
// replaceable interface, so that code driving the forms and pages can answer them. The dialogs'
// library is bound here only.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kal {

// The system's dialogs and message boxes; a replacement answers them itself.
class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;
    virtual BOOL OpenFile(OPENFILENAMEW& dialog);
    virtual BOOL SaveFile(OPENFILENAMEW& dialog);
    virtual BOOL PickColour(CHOOSECOLORW& dialog);
    virtual DWORD ExtendedError();
    // A message box; returns IDOK, IDYES, IDNO...
    virtual int Message(HWND owner, const std::wstring& text, UINT type);
};

// The interface in use.
CommonDialogs& Dialogs();
// Puts `dialogs` in use (null: the system's); returns the one used before.
CommonDialogs* SetCommonDialogs(CommonDialogs* dialogs);

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

// The dialog's texts; no window needed.
// A dialog filter in the "description|pattern|..." form as the system wants it: every "|" and
// ":" a NUL, two NULs at the end.
std::wstring FilterToNulls(std::wstring_view filter);
// Entry `index` (1-based) of a NUL-separated filter: its description and pattern joined by a
// NUL; "" when there is no such entry.
std::wstring FilterEntry(std::wstring_view nullFilter, std::int32_t index);

// What an open-file buffer holds: with multi-selection, the text up to its first pair of NULs
// (the folder and the chosen names separated by single NULs), or up to its first NUL when there
// is no pair; otherwise the text up to its first NUL.
std::wstring FileBufferText(std::wstring_view buffer, bool multiSelect);

// True when the user chose a file.
bool ShowOpenFileDialog(OpenFileRequest& request);

// The forms' open or save dialog (a save asks before overwriting); the chosen path, "" when
// cancelled. `filter` holds NUL-separated description and pattern pairs.
std::wstring ShowFileDialog(const std::wstring& title, const std::wstring& initialFile, const std::wstring& filter,
                            const std::wstring& defaultExt, HWND owner, const std::wstring& initialDir, bool save);
// `colour` in: initial RGB; out: the chosen RGB, -1 after cancel. True on OK.
bool ShowColourDialog(std::int32_t& colour, bool anyColour, bool fullOpen, bool preventFullOpen, HWND owner);

}  // namespace kal
