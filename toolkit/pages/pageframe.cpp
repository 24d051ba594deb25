#include "toolkit/pages/pageframe.h"

#include <commctrl.h>

#include <algorithm>

#include "base/log.h"
#include "base/raii.h"
#include "base/screen.h"
#include "toolkit/commondialog.h"

namespace kal {

// ---- PropertyPage ----

zephImageList* PropertyPage::Selected() const {
    if (!host_ || host_->SelectedControls().empty()) return nullptr;
    return host_->SelectedControls().front();
}

void PropertyPage::MarkChanged() {
    if (host_) host_->SetChanged(true);
}

void PropertyPage::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const ToolkitError& e) {
        if (host_) host_->ReportError(e.Description());
        else LogCaught(L"property page handler");
    }
}

UIFont PropertyPage::UsePageFont() {
    UIFont font;
    font.name = L"Tahoma";
    font.size = 8.25;
    SetFont(font);
    for (Control* c : Controls()) ApplyFontToControl(*c, font);
    return font;
}

// ---- PropertyFrame ----

namespace {

constexpr wchar_t kPageFont[] = L"MS Shell Dlg";
constexpr WORD kPageFontPoints = 8;

// Dialog units of the pages' font for a size in pixels, rounded up.
SIZE PixelsToDialogUnits(int cx, int cy) {
    const ScreenDC screen;
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(kPageFontPoints, ScreenDpiY(), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(lf.lfFaceName, kPageFont, LF_FACESIZE);
    UniqueGdiObject font(::CreateFontIndirectW(&lf));
    const SelectGuard selected(screen.get(), font.get());
    TEXTMETRICW tm{};
    ::GetTextMetricsW(screen.get(), &tm);
    SIZE extent{};
    constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    ::GetTextExtentPoint32W(screen.get(), kAlphabet, 52, &extent);
    const int baseX = std::max<int>(1, (extent.cx / 26 + 1) / 2);
    const int baseY = std::max<int>(1, tm.tmHeight);
    return SIZE{(cx * 4 + baseX - 1) / baseX, (cy * 8 + baseY - 1) / baseY};
}

// An empty child dialog of the given size, as a sheet page is made from.
std::vector<WORD> PageTemplate(const SIZE& pixels) {
    const SIZE units = PixelsToDialogUnits(pixels.cx, pixels.cy);
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* head = reinterpret_cast<DLGTEMPLATE*>(t.data());
    head->style = WS_CHILD | DS_CONTROL | DS_SETFONT | DS_3DLOOK;
    head->cdit = 0;
    head->cx = static_cast<short>(units.cx);
    head->cy = static_cast<short>(units.cy);
    t.push_back(0);  // no menu
    t.push_back(0);  // the standard class
    t.push_back(0);  // no title
    t.push_back(kPageFontPoints);
    for (const wchar_t* c = kPageFont; *c; ++c) t.push_back(static_cast<WORD>(*c));
    t.push_back(0);
    return t;
}

}  // namespace

PropertyFrame::PropertyFrame(std::wstring caption, std::vector<zephImageList*> selection)
    : caption_(std::move(caption)), selection_(std::move(selection)) {}

PropertyFrame::~PropertyFrame() {
    if (sheet_) ::DestroyWindow(std::exchange(sheet_, nullptr));
    for (auto& site : sites_)
        if (site->page->Loaded()) Destroyed(*site);
}

void PropertyFrame::AddPage(std::unique_ptr<PropertyPage> page) {
    auto site = std::make_unique<Site>();
    site->frame = this;
    site->page = std::move(page);
    site->page->SetHost(site.get());
    const SIZE twips = site->page->PageSize();
    site->dialogTemplate = PageTemplate(SIZE{TwipsToPixelsX(twips.cx), TwipsToPixelsY(twips.cy)});
    sites_.push_back(std::move(site));
}

bool PropertyFrame::ShowModal(HWND owner) { return Run(owner, false) >= 0 && closedWithOk_; }

HWND PropertyFrame::Open(HWND owner) {
    const INT_PTR result = Run(owner, true);
    sheet_ = result > 0 ? reinterpret_cast<HWND>(result) : nullptr;
    return sheet_;
}

INT_PTR PropertyFrame::Run(HWND owner, bool modeless) {
    closedWithOk_ = false;
    std::vector<std::wstring> titles;
    titles.reserve(sites_.size());
    std::vector<PROPSHEETPAGEW> pages;
    for (auto& site : sites_) {
        titles.push_back(site->page->PageCaption());
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        page.pResource = reinterpret_cast<const DLGTEMPLATE*>(site->dialogTemplate.data());
        page.pfnDlgProc = &PageProc;
        page.pszTitle = titles.back().c_str();
        page.lParam = reinterpret_cast<LPARAM>(site.get());
        pages.push_back(page);
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP | (modeless ? PSH_MODELESS : 0);
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = pages.data();
    const INT_PTR result = ::PropertySheetW(&header);
    if (!modeless) sheet_ = nullptr;
    return result;
}

bool PropertyFrame::Pump() {
    if (!sheet_) return false;
    MSG msg;
    while (sheet_ && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (PropSheet_IsDialogMessage(sheet_, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (sheet_ && !PropSheet_GetCurrentPageHwnd(sheet_)) {
        ::DestroyWindow(std::exchange(sheet_, nullptr));
        return false;
    }
    return sheet_ != nullptr;
}

INT_PTR CALLBACK PropertyFrame::PageProc(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    try {
        if (msg == WM_INITDIALOG) {
            auto* site = reinterpret_cast<Site*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
            ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(site));
            site->frame->Created(*site, dialog);
            return TRUE;
        }
        auto* site = reinterpret_cast<Site*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (!site) return FALSE;
        switch (msg) {
        case WM_NOTIFY: {
            const INT_PTR result = site->frame->Notify(*site, *reinterpret_cast<const NMHDR*>(lParam));
            if (result < 0) return FALSE;
            ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_DESTROY:
            site->frame->Destroyed(*site);
            ::SetWindowLongPtrW(dialog, DWLP_USER, 0);
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        LogCaught(L"property page dialog procedure");
        return FALSE;
    }
}

INT_PTR PropertyFrame::Notify(Site& site, const NMHDR& header) {
    switch (header.code) {
    case PSN_APPLY:
        if (!Apply(site)) return PSNRET_INVALID_NOCHANGEPAGE;
        if (reinterpret_cast<const PSHNOTIFY&>(header).lParam) closedWithOk_ = true;
        return PSNRET_NOERROR;
    default:
        return -1;
    }
}

void PropertyFrame::Created(Site& site, HWND dialog) {
    site.dialog = dialog;
    sheet_ = ::GetParent(dialog);
    PropertyPage& page = *site.page;
    page.SetParentWindow(dialog);
    page.Load();
    ::ShowWindow(page.hWnd(), SW_SHOWNA);
    page.Initialize();
    page.SelectionChanged();
    if (site.changed) PropSheet_Changed(sheet_, dialog);
}

void PropertyFrame::Destroyed(Site& site) {
    if (!site.page->Loaded()) return;
    site.page->Terminate();
    site.page->Unload();
    site.dialog = nullptr;
}

bool PropertyFrame::Apply(Site& site) {
    if (!site.changed) return true;
    bool applied = false;
    try {
        applied = site.page->ApplyChanges();
    } catch (const ToolkitError& e) {
        site.ReportError(e.Description());
    }
    if (applied) site.SetChanged(false);
    return applied;
}

void PropertyFrame::Site::SetChanged(bool value) {
    changed = value;
    if (!dialog || !frame->sheet_) return;
    if (value)
        PropSheet_Changed(frame->sheet_, dialog);
    else
        PropSheet_UnChanged(frame->sheet_, dialog);
}

void PropertyFrame::Site::ReportError(const std::wstring& description) {
    PageMessage(dialog ? dialog : frame->sheet_, description, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace kal
