#include "toolkit/commondialog.h"

#include <vector>

#include "base/dyncalls.h"
#include "startup/utility.h"
#include "base/errors.h"

namespace kal {

CommonDialogState gCommonDialog;

namespace {

CommonDialogs& SystemDialogs() {
    static CommonDialogs system;
    return system;
}

CommonDialogs* gDialogs = nullptr;

}  // namespace

// The dialogs' library is loaded when a dialog is first shown.
BOOL CommonDialogs::OpenFile(OPENFILENAMEW& dialog) {
    const auto fn = dyn::GetOpenFileNameW();
    return fn && fn(&dialog);
}
BOOL CommonDialogs::SaveFile(OPENFILENAMEW& dialog) {
    const auto fn = dyn::GetSaveFileNameW();
    return fn && fn(&dialog);
}
BOOL CommonDialogs::PickColour(CHOOSECOLORW& dialog) {
    const auto fn = dyn::ChooseColorW();
    return fn && fn(&dialog);
}
DWORD CommonDialogs::ExtendedError() {
    const auto fn = dyn::CommDlgExtendedError();
    return fn ? fn() : 0;
}
int CommonDialogs::Message(HWND owner, const std::wstring& text, UINT type) {
    const std::wstring title = AppExeName();
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), type);
}

CommonDialogs& Dialogs() { return gDialogs ? *gDialogs : SystemDialogs(); }

CommonDialogs* SetCommonDialogs(CommonDialogs* dialogs) {
    CommonDialogs* before = gDialogs;
    gDialogs = dialogs;
    return before;
}

int PageMessage(HWND owner, const std::wstring& text, UINT type) {
    HWND top = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    return Dialogs().Message(top, text, type);
}

std::wstring FilterToNulls(std::wstring_view filter) {
    std::wstring out(filter);
    for (wchar_t& c : out)
        if (c == L'|' || c == L':') c = L'\0';
    out.append(2, L'\0');
    return out;
}

std::wstring FilterEntry(std::wstring_view nullFilter, std::int32_t index) {
    if (index < 1) return L"";
    std::size_t p = 0;
    for (std::int32_t entry = 1;; ++entry) {
        const std::size_t descEnd = nullFilter.find(L'\0', p);
        if (descEnd == std::wstring_view::npos || descEnd == p) return L"";
        const std::size_t patEnd = nullFilter.find(L'\0', descEnd + 1);
        if (patEnd == std::wstring_view::npos) return L"";
        if (entry == index) return std::wstring(nullFilter.substr(p, patEnd - p));
        p = patEnd + 1;
    }
}

std::wstring FileBufferText(std::wstring_view buffer, bool multiSelect) {
    if (multiSelect) {
        const std::size_t pair = buffer.find(std::wstring_view(L"\0\0", 2));
        if (pair != std::wstring_view::npos) return std::wstring(buffer.substr(0, pair));
    }
    return std::wstring(buffer.substr(0, buffer.find(L'\0')));
}

bool ShowOpenFileDialog(OpenFileRequest& r) {
    gCommonDialog.lastResult = 0;
    gCommonDialog.lastError = 0;

    DWORD flags = (r.flags & ~static_cast<DWORD>(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE));
    if (r.mustExist) flags |= OFN_FILEMUSTEXIST;
    if (r.multiSelect) flags |= OFN_ALLOWMULTISELECT;
    if (r.readOnly) flags |= OFN_READONLY;
    if (r.hideReadOnly) flags |= OFN_HIDEREADONLY;

    const std::wstring filter = FilterToNulls(r.filter);
    const std::size_t size = (flags & OFN_ALLOWMULTISELECT) ? 8192 : 260;
    std::vector<wchar_t> file(size + 2, L'\0');
    std::vector<wchar_t> title(size + 2, L'\0');
    r.fileName.copy(file.data(), std::min(r.fileName.size(), size - 1));
    r.fileTitle.copy(title.data(), std::min(r.fileTitle.size(), size - 1));

    // The layout every system version accepts.
    OPENFILENAMEW ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = r.owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(r.filterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(size);
    ofn.lpstrFileTitle = title.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(size);
    ofn.lpstrInitialDir = r.initialFolder.empty() ? nullptr : r.initialFolder.c_str();
    ofn.lpstrTitle = r.title.empty() ? nullptr : r.title.c_str();
    ofn.Flags = flags;
    ofn.lpstrDefExt = r.defaultExtension.empty() ? nullptr : r.defaultExtension.c_str();

    const BOOL result = Dialogs().OpenFile(ofn);
    gCommonDialog.lastResult = result;
    if (!result) {
        // Cancel and failure alike; a failure leaves its code behind.
        gCommonDialog.lastError = Dialogs().ExtendedError();
        r.fileName.clear();
        r.fileTitle.clear();
        r.filter.clear();
        r.flags = 0;
        r.filterIndex = -1;
        return false;
    }
    const std::wstring_view fileView(file.data(), file.size());
    if (ofn.Flags & OFN_ALLOWMULTISELECT) {
        r.fileTitle.clear();
        r.fileName = FileBufferText(fileView, true);
    } else {
        r.fileName = FileBufferText(fileView, false);
        r.fileTitle = FileBufferText(std::wstring_view(title.data(), title.size()), false);
    }
    r.flags = ofn.Flags;
    r.filterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
    r.filter = FilterEntry(filter, r.filterIndex);
    if (ofn.Flags & OFN_READONLY) r.readOnly = true;
    return true;
}

std::wstring ShowFileDialog(const std::wstring& title, const std::wstring& initialFile, const std::wstring& filter,
                            const std::wstring& defaultExt, HWND owner, const std::wstring& initialDir, bool save) {
    constexpr std::size_t kSize = 512;
    std::wstring file = initialFile.substr(0, kSize - 1);
    file.resize(kSize, L'\0');
    std::wstring fileTitle(kSize, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kSize;
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = kSize;
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    const BOOL ok = save ? Dialogs().SaveFile(ofn) : Dialogs().OpenFile(ofn);
    if (!ok) return L"";
    return file.c_str();
}

bool ShowColourDialog(std::int32_t& colour, bool anyColour, bool fullOpen, bool preventFullOpen, HWND owner) {
    DWORD flags = (anyColour ? CC_ANYCOLOR : CC_SOLIDCOLOR) | CC_RGBINIT;
    if (fullOpen) flags |= CC_FULLOPEN;
    if (preventFullOpen) flags |= CC_PREVENTFULLOPEN;
    if (!gCommonDialog.seeded) {
        for (int i = 0; i < 16; ++i) gCommonDialog.customColours[static_cast<std::size_t>(i)] = ::GetSysColor(i);
        gCommonDialog.seeded = true;
    }
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = static_cast<COLORREF>(colour);
    cc.lpCustColors = gCommonDialog.customColours.data();
    cc.Flags = flags;
    const BOOL result = Dialogs().PickColour(cc);
    gCommonDialog.lastResult = result;
    if (result) {
        colour = static_cast<std::int32_t>(cc.rgbResult & 0xFFFFFF);
        return true;
    }
    gCommonDialog.lastError = Dialogs().ExtendedError();
    colour = -1;
    return false;
}

}  // namespace kal
