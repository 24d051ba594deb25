#include "tray/about.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/log.h"
#include "device/audio.h"
#include "device/transport.h"
#include "listview/autosize.h"
#include "listview/formhost.h"
#include "listview/subitems.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/privileges.h"
#include "base/registry.h"
#include "startup/utility.h"
#include "toolkit/colour.h"
#include "toolkit/font.h"
#include "toolkit/commondialog.h"
#include "toolkit/utility.h"
#include "tray/backup.h"
#include "tray/portable/abouttext.h"
#include "tray/portable/menurules.h"
#include "tray/trayicon.h"
#include "tray/update.h"

namespace kal {
namespace {

// The layout is drawn up in pixels at 96 dpi; the form layer takes twips.
constexpr int kTwips = 15;
constexpr int kFormWidth = 600;
constexpr int kFormHeight = 446;
constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kTextLeft = kMargin + kIconSize + 16;
constexpr int kButtonTop = 408;
constexpr int kButtonHeight = 26;

constexpr std::uint32_t kLinkColour = 0x8000000D;   // system highlight
constexpr std::uint32_t kPlainColour = 0x80000008;  // system window text
constexpr int kDriverKeyRow = 3;

constexpr wchar_t kSaveTitle[] = L"Save Complete Diagnostic Info";
constexpr wchar_t kClipboardBusy[] = L" Another program may be using it: please try again.";
constexpr wchar_t kWaveProperty[] = L"{233164C8-1B2C-4C7D-BC68-B671687A2567},1";
// Description and pattern pairs; the array's own terminator ends the list with a second NUL.
constexpr wchar_t kTextFilterPairs[] = L"Text File (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";

FormInstance<frmAbout> gAboutInstance;

ControlRow Row(ControlType type, ControlName control, const wchar_t* caption, int x, int y, int w, int h,
               DWORD style = 0) {
    return ControlRow(type, std::move(control), -1, caption, x * kTwips, y * kTwips, w * kTwips, h * kTwips, style);
}

// Width in pixels of a text in a font.
int TextWidth(const UIFont& font, const std::wstring& text) {
    HDC dc = ::GetDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, font.Handle());
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return size.cx;
}

// True when the clipboard holds the text; false when it could not be opened (another program
// keeps it open) or did not take the text.
bool SetClipboardText(HWND owner, const std::wstring& text) {
    if (!::OpenClipboard(owner)) return false;
    ::EmptyClipboard();
    bool done = false;
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* p = ::GlobalLock(memory)) {
            std::memcpy(p, text.c_str(), bytes);
            ::GlobalUnlock(memory);
            done = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done) ::GlobalFree(memory);  // the clipboard owns it only once taken
    }
    ::CloseClipboard();
    return done;
}

// The current date and time as the user's long date, a blank and the long time.
std::wstring SnapshotTime() {
    wchar_t date[128] = {}, time[128] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, 128);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, 128);
    return std::wstring(date) + L" " + time;
}

// The card's endpoints of one flow (0 playback, 1 recording) as the diagnostic file lists them.
std::vector<EndpointReport> EndpointReports(std::uint32_t flow) {
    std::vector<EndpointReport> reports;
    if (!gAudio) return reports;
    for (const std::wstring& id : gAudio->LinesFromHID(gCardInstanceId, flow)) {
        EndpointReport r;
        r.id = id;
        r.description = gAudio->LineDescription(id, flow);
        r.wave = AudioValueText(gAudio->GetDeviceProperty(id, kWaveProperty));
        r.state = gAudio->DeviceState(id);
        r.lineReport = gAudio->ExploreLine(id, flow);
        reports.push_back(std::move(r));
    }
    return reports;
}

// Text in the system's single-byte code page.
std::string SingleByte(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

// Writes the bytes as the whole file; ERROR_SUCCESS or the system's error code.
DWORD WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return ::GetLastError();
    }
    DWORD written = 0;
    if (!bytes.empty() &&
        (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size()))
        return ::GetLastError();
    return ERROR_SUCCESS;
}

}  // namespace

frmAbout* AboutForm() { return gAboutInstance.Loaded(); }

void ShowAbout() {
    gAboutInstance.ShowInFront();
}

frmAbout::frmAbout() : Form(L"frmAbout") {
    using T = ControlType;
    constexpr int kWide = kFormWidth - 2 * kMargin;
    constexpr int kTextWide = kFormWidth - kTextLeft - kMargin;
    std::vector<ControlRow> rows = {
        Row(T::Label, KAL_CONTROL(frmAbout, lblVersion), L"", kTextLeft, 14, kTextWide, 18),
        Row(T::Label, KAL_CONTROL(frmAbout, lblAuthor), L"Developed By ", kTextLeft, 36, 90, 16),
        Row(T::Label, KAL_CONTROL(frmAbout, lblAuthorLink), L"the Kalvenor team", kTextLeft + 90, 36, 200, 16),
        Row(T::Label, KAL_CONTROL(frmAbout, lblDescription),
            L"Kalvenor sits in the notification area and looks after your sound card. It keeps profiles of the "
            L"card's and Windows' audio settings and applies them from the tray menu, with a shortcut key, from the "
            L"command line or when Windows starts.",
            kTextLeft, 58, kTextWide, 48),
        Row(T::Label, KAL_CONTROL(frmAbout, lblCredits), L"Credits", kMargin, 116, 200, 18),
        Row(T::Label, KAL_CONTROL(frmAbout, lblCreditText),
            L"Thanks to everyone who tried early versions of Kalvenor and took the time to report what went wrong.",
            kMargin, 136, kWide, 28),
        Row(T::Label, KAL_CONTROL(frmAbout, lblCreditLink), L"Kalvenor on the web", kMargin, 166, 200, 16),
        Row(T::Label, KAL_CONTROL(frmAbout, lblTrademarks),
            L"All product names and trademarks mentioned in this program belong to their respective owners.", kMargin,
            188, kWide, 28),
        Row(T::Label, KAL_CONTROL(frmAbout, lblSystemInfo), L"System Info", kMargin, 218, 200, 18),
        Row(T::CommandButton, KAL_CONTROL(frmAbout, cmdCopyValues), L"Copy System Info", kMargin, kButtonTop, 140,
            kButtonHeight),
        Row(T::CommandButton, KAL_CONTROL(frmAbout, cmdSaveDiagnosticInfo), L"Save Complete Diagnostic Info",
            kMargin + 148, kButtonTop, 200, kButtonHeight),
        Row(T::CommandButton, KAL_CONTROL(frmAbout, cmdClose), L"Close", kFormWidth - kMargin - 90, kButtonTop, 90,
            kButtonHeight),
    };
    Design(FormLayout(L"About", kFormWidth * kTwips, kFormHeight * kTwips, -1, -1,
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN),
           std::move(rows));
}

frmAbout::~frmAbout() { Unload(); }

// ---- Loading and closing ----

void frmAbout::OnLoad() {
    SetIcon(hWnd(), kProgramIcon);
    if (!gUIFont) gUIFont = GetSystemFont();
    ApplySystemFont(this);
    SetCaption(std::wstring(L"About ") + kAppTitle);
    if (gIsXP) cmdSaveDiagnosticInfo->SetEnabled(false);
    UIFont heading = *gUIFont;
    heading.bold = true;
    for (Label* label : {lblVersion, lblCredits, lblSystemInfo}) label->SetFont(heading);
    LayOutButtons();
    LayOutAuthorLine();

    // The icon at the screen's scale, as the text beside it.
    const int iconSize = TwipsToPixelsX(kIconSize * kTwips);
    ilTemp_.reset(::ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 1, 0));
    if (UniqueIcon icon = LoadIconFromResource(kProgramIcon, iconSize, iconSize); icon && ilTemp_)
        ::ImageList_AddIcon(ilTemp_.get(), icon.get());

    lblVersion->SetCaption(GetVersionString());
    // The redirect list comes over plain HTTP: only a web address may become a link the shell
    // opens. The author link opens nothing; its target only tells that the list was reached.
    const std::wstring credit = GetRedirect(2);
    targets_[kCreditLink] = IsWebAddress(credit) ? credit : L"";
    targets_[kAuthorLink] = GetRedirect(0);

    cmdClose->Click = [this] { Unload(); };
    cmdCopyValues->Click = [this] { cmdCopyValues_Click(); };
    cmdSaveDiagnosticInfo->Click = [this] { cmdSaveDiagnosticInfo_Click(); };
    lblCreditLink->Click = [this] { lblCreditLink_Click(); };
    lblAuthorLink->Click = [this] { lblAuthorLink_Click(); };

    FillSystemInfo();
}

void frmAbout::OnUnload() {
    ilTemp_.reset();
    regedit_.reset();
    underlined_ = -1;
}

void frmAbout::LayOutButtons() {
    // Each of the two buttons as wide as its caption needs, side by side from the left. Text is
    // measured in the screen's pixels, the layout's room in twips.
    int left = kMargin * kTwips;
    for (CommandButton* button : {cmdCopyValues, cmdSaveDiagnosticInfo}) {
        const int width = PixelsToTwipsX(TextWidth(*gUIFont, button->Caption())) + 28 * kTwips;
        button->Move(left, kButtonTop * kTwips, width, kButtonHeight * kTwips);
        left += width + 8 * kTwips;
    }
}

void frmAbout::LayOutAuthorLine() {
    // The author link right after the words before it.
    Label& author = *lblAuthor;
    Label& link = *lblAuthorLink;
    const int width = PixelsToTwipsX(TextWidth(*gUIFont, author.Caption()) + 1);
    author.Move(author.Left(), author.Top(), width, author.Height());
    link.Move(author.Left() + width, link.Top(), PixelsToTwipsX(TextWidth(*gUIFont, link.Caption()) + 2),
              link.Height());
    Label& credit = *lblCreditLink;
    credit.Move(credit.Left(), credit.Top(), PixelsToTwipsX(TextWidth(*gUIFont, credit.Caption()) + 2),
                credit.Height());
}

void frmAbout::OnFontApplied() {
    if (systemInfo_.hWndListView()) AutoSizeColumns(systemInfo_);
}

void frmAbout::FillSystemInfo() {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"View", 1, 0);  // report
    bag.Write<bool>(L"FullRowSelect", true, false);
    bag.Write<bool>(L"LabelEdit", false, true);
    bag.Write<bool>(L"HideSelection", false, true);
    if (!PlaceOnForm(systemInfo_, *this, {kMargin * kTwips, 238 * kTwips, (kFormWidth - 2 * kMargin) * kTwips, 160 * kTwips},
                     bag))
        return;
    systemInfo_.ItemDblClick = [this](cListItem item) { SystemInfo_ItemDblClick(item.index()); };

    SystemFacts facts;
    if (gCardCaps) facts.cardCaption = gCardCaps->Caption;
    if (!gDriverClassKey.empty())
        facts.driverVersion =
            RegReadText(L"HKEY_LOCAL_MACHINE\\" + gDriverClassKey, L"DriverVersion").value_or(L"");
    facts.driverClassKey = gDriverClassKey;
    facts.cardInstanceId = gCardInstanceId;
    try {
        facts.osCaption = GetOSCaption();
    } catch (...) {
        // Without an answer from the system the row only lacks its caption.
        LogCaught(L"frmAbout system caption");
    }
    facts.wow64 = IsWow64();
    facts.localeId = ::GetUserDefaultLCID();

    cColumns columns = systemInfo_.Columns();
    columns.Add({}, {}, L"Property");
    columns.Add({}, {}, L"Value");
    cListItems items = systemInfo_.ListItems();
    for (const SystemInfoRow& row : SystemInfoRows(facts))
        items.Add({}, {}, row.property).SubItems().item(1).SetCaption(row.value);
    AutoSizeColumns(systemInfo_);
}

// ---- The system information ----

std::wstring frmAbout::SystemInfoText() const {
    std::vector<SystemInfoRow> rows;
    if (!systemInfo_.hWndListView()) return {};
    const cListItems items = systemInfo_.ListItems();
    for (std::int32_t i = 1; i <= items.Count(); ++i) {
        const cListItem item = items.item(i);
        rows.push_back({item.Text(), item.SubItems().item(1).Caption()});
    }
    return kal::SystemInfoText(rows);
}

void frmAbout::cmdCopyValues_Click() {
    if (!SetClipboardText(hWnd(), SystemInfoText())) {
        const std::wstring text = std::wstring(L"System Info couldn't be copied to the clipboard.") + kClipboardBusy;
        ::MessageBoxW(hWnd(), text.c_str(), kAppTitle, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ::MessageBoxW(hWnd(), L"System Info successfully copied to the clipboard.", kAppTitle, MB_OK | MB_ICONINFORMATION);
}

void frmAbout::cmdSaveDiagnosticInfo_Click() {
    const std::wstring filter(kTextFilterPairs, std::size(kTextFilterPairs));
    const std::wstring file = ShowFileDialog(cmdSaveDiagnosticInfo->Caption(),
                                             AppFolder() + L"\\Kalvenor Diagnostic Info", filter, L"txt", hWnd(), L"", true);
    if (file.empty()) return;
    DeleteFileRetry(file);
    PumpPendingMessages();
    DWORD error = ERROR_SUCCESS;
    try {
        const std::wstring text =
            DiagnosticText(SnapshotTime(), SystemInfoText(), EndpointReports(0), EndpointReports(1));
        error = WriteFileBytes(file, SingleByte(text));
    } catch (const std::exception&) {
        // Shown as a write error below; the line keeps what failed.
        LogCaught(L"cmdSaveDiagnosticInfo_Click");
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (error != ERROR_SUCCESS) {
        ::MessageBoxW(hWnd(), WriteErrorText(file, SystemErrorText(error)).c_str(), kSaveTitle, MB_OK | MB_ICONERROR);
        return;
    }
    ::MessageBoxW(hWnd(), L"Diagnostic Info successfully saved to file.", kSaveTitle, MB_OK | MB_ICONINFORMATION);
}

void frmAbout::SystemInfo_ItemDblClick(std::int32_t index) {
    if (index != kDriverKeyRow || gDriverClassKey.empty() || !IsProcessElevated()) return;
    RegWrite(kRegeditKey, L"LastKey", RegeditLastKey(gDriverClassKey, gDriverSettingsKey));
    std::wstring command = L"regedit -m";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ::CloseHandle(process.hThread);
        regedit_.reset(process.hProcess);
    }
}

// ---- Links ----

Label& frmAbout::LinkLabel(int link) const { return link == kCreditLink ? *lblCreditLink : *lblAuthorLink; }

void frmAbout::lblCreditLink_Click() {
    const std::wstring& target = targets_[kCreditLink];
    if (target.empty()) return;
    WaitCursor wait;
    ShellOpen(target);
}

void frmAbout::lblAuthorLink_Click() {
    if (targets_[kAuthorLink].empty()) return;
    const std::wstring address = AuthorAddress();
    if (!SetClipboardText(hWnd(), address)) {
        ::MessageBoxW(hWnd(),
                      (L"The author's e-mail address: " + address + L"\r\ncouldn't be copied to the clipboard." +
                       kClipboardBusy)
                          .c_str(),
                      kAppTitle, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ::MessageBoxW(hWnd(),
                  (L"The author's e-mail address: " + address +
                   L"\r\nhas been copied in your clipboard.\r\nYou can now paste it in the recipient field of your "
                   L"e-mail application.")
                      .c_str(),
                  kAppTitle, MB_OK | MB_ICONINFORMATION);
}

void frmAbout::Underline(int link) {
    if (link == underlined_) return;
    underlined_ = link;
    for (int i = 0; i < 2; ++i) {
        UIFont font = *gUIFont;
        font.underline = i == link;
        LinkLabel(i).SetFont(font);
        ::InvalidateRect(LinkLabel(i).Window(), nullptr, TRUE);
    }
}

// ---- Painting and the pointer ----

void frmAbout::PaintIcon() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hWnd(), &ps);
    // Level with the version line, which the window's scroll position moves with the content.
    if (ilTemp_ && ::ImageList_GetImageCount(ilTemp_.get()) > 0)
        ::ImageList_Draw(ilTemp_.get(), 0, dc, TwipsToPixelsX(kMargin * kTwips),
                         TwipsToPixelsY(14 * kTwips) - ScrollTop(), ILD_TRANSPARENT);
    ::EndPaint(hWnd(), &ps);
}

bool frmAbout::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    try {
        switch (msg) {
        case WM_PAINT:
            PaintIcon();
            result = 0;
            return true;
        case WM_CTLCOLORSTATIC:
            for (int i = 0; i < 2; ++i) {
                if (reinterpret_cast<HWND>(lParam) != LinkLabel(i).Window()) continue;
                result = ::DefWindowProcW(hWnd(), msg, wParam, lParam);
                const std::int32_t colour = TranslateColor(targets_[i].empty() ? kPlainColour : kLinkColour);
                ::SetTextColor(reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(colour));
                return true;
            }
            return false;
        case WM_SETCURSOR:
            // A static control passes the pointer's arrival on to its parent.
            for (int i = 0; i < 2; ++i) {
                if (reinterpret_cast<HWND>(wParam) != LinkLabel(i).Window()) continue;
                SetMouseCursor(SystemCursor::Hand);
                Underline(i);
                result = TRUE;
                return true;
            }
            return false;
        case WM_MOUSEMOVE:
            SetMouseCursor(SystemCursor::Arrow);
            Underline(-1);
            return false;
        default:
            return false;
        }
    } catch (...) {
        LogCaught(L"frmAbout window procedure");
        return false;
    }
}

}  // namespace kal
