// The About box on the simulated card: the list's rows, the clipboard copy, the diagnostic file
// with the card's endpoints in several states, the links with and without the redirect list, and
// the registry editor's start key.
#include "tray/about.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "listview/formhost.h"
#include "listview/subitems.h"
#include "startup/privileges.h"
#include "startup/utility.h"
#include "tests/common/checked.h"
#include "tests/common/child.h"
#include "tests/common/httpserver.h"
#include "tests/common/layout_probe.h"
#include "tests/common/screenshot.h"
#include "tests/tray/dialog_answerer.h"
#include "tests/tray/tray_fixture.h"
#include "toolkit/colour.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/formopeners.h"
#include "tray/portable/abouttext.h"
#include "tray/update.h"

using namespace kal;
using namespace kal::testing;

namespace {

std::wstring ClipboardText() {
    std::wstring text = L"<none>";
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = p;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void PutOnClipboard(const std::wstring& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
}

// Keeps the clipboard open from a thread of its own, as another program that holds it does.
class ClipboardHolder {
public:
    ClipboardHolder() {
        thread_ = std::thread([this] {
            opened_ = ::OpenClipboard(nullptr) != FALSE;
            ::SetEvent(ready_);
            ::WaitForSingleObject(release_, 10000);
            if (opened_) ::CloseClipboard();
        });
        ::WaitForSingleObject(ready_, 5000);
    }
    ~ClipboardHolder() {
        ::SetEvent(release_);
        thread_.join();
        ::CloseHandle(ready_);
        ::CloseHandle(release_);
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool Opened() const { return opened_; }

private:
    HANDLE ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool opened_ = false;
    std::thread thread_;
};

std::string FileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Two presses of the left button where the pointer is put, as the user double-clicks.
void DoubleClickAt(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    INPUT in[4]{};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_MOUSE;
        in[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
    }
    ::SendInput(4, in, sizeof(INPUT));
    Pump(300);
}

// The screen point in the middle of a list row's first text (1-based).
POINT RowPoint(frmAbout& about, int row) {
    RECT r{};
    r.left = LVIR_LABEL;
    const HWND list = about.SystemInfo().hWndListView();
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(list, &p);
    return p;
}

// The text colour the form gives a label.
COLORREF LabelTextColour(frmAbout& about, const wchar_t* name) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SendMessageW(about.hWnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(about.Ctl(name).Window()));
    const COLORREF colour = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return colour;
}

// A label's window on the screen and the width of its caption in its own font.
RECT ScreenRect(frmAbout& about, const wchar_t* name) {
    RECT r{};
    ::GetWindowRect(about.Ctl(name).Window(), &r);
    return r;
}

int CaptionWidth(frmAbout& about, const wchar_t* name) {
    const HWND label = about.Ctl(name).Window();
    HDC dc = ::GetDC(label);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring caption = about.Ctl(name).Caption();
    SIZE size{};
    ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    return size.cx;
}

// The room between "Developed By " and the author's name, in pixels.
int AuthorGap(frmAbout& about) {
    return ScreenRect(about, L"lblAuthorLink").left - ScreenRect(about, L"lblAuthor").left -
           CaptionWidth(about, L"lblAuthor");
}

// Where the icon shows: its last row in the window's client area that differs from the
// background beside it, less the top of the version line level with it. Rows from the credits
// down are left out, whose heading stands under the icon.
int IconBottomBelowVersion(frmAbout& about) {
    const HWND window = about.hWnd();
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(50);
    ::GdiFlush();
    ::Sleep(50);  // lets the X server finish drawing before it is read back
    const auto clientTop = [&](const wchar_t* name) {
        RECT r = ScreenRect(about, name);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r.top;
    };
    const int left = TwipsToPixelsX(16 * 15), size = TwipsToPixelsX(32 * 15);
    const int rows = std::max<int>(0, clientTop(L"lblCredits"));
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    HDC screen = ::GetDC(nullptr);
    HDC copy = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, left + size, std::max(rows, 1));
    const HGDIOBJ old = ::SelectObject(copy, bitmap);
    ::BitBlt(copy, 0, 0, left + size, rows, screen, origin.x, origin.y, SRCCOPY);
    int bottom = -1;
    for (int y = 0; y < rows; ++y)
        for (int x = left; x < left + size; ++x)
            if (::GetPixel(copy, x, y) != ::GetPixel(copy, 2, y)) bottom = y;
    ::SelectObject(copy, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(copy);
    ::ReleaseDC(nullptr, screen);
    return bottom - clientTop(L"lblVersion");
}

// The box made to scroll (its content taller than the work area) paints its icon where the
// content around it has gone.
void ExpectTheIconScrollsWithTheContent(frmAbout& about) {
    const int beside = IconBottomBelowVersion(about);
    EXPECT_GT(beside, 0);
    const RECT work = WorkAreaOf(about.hWnd());
    about.SetContentHeight(2 * PixelsToTwipsY(work.bottom - work.top));
    ::SendMessageW(about.hWnd(), WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_GT(about.ScrollTop(), 0);
    EXPECT_EQ(IconBottomBelowVersion(about), beside) << "scrolled by " << about.ScrollTop();
}

// The LastKey value of the registry editor, put back as it was afterwards.
class SavedLastKey {
public:
    SavedLastKey() : saved_(RegRead(frmAbout::kRegeditKey, L"LastKey")) { RegDeleteValue(frmAbout::kRegeditKey, L"LastKey"); }
    ~SavedLastKey() {
        if (saved_) RegWrite(frmAbout::kRegeditKey, L"LastKey", *saved_);
        else RegDeleteValue(frmAbout::kRegeditKey, L"LastKey");
    }
    static std::wstring Now() { return RegReadText(frmAbout::kRegeditKey, L"LastKey").value_or(L"<none>"); }

private:
    std::optional<RegValue> saved_;
};

class About : public TrayFixture {
protected:
    void SetUp() override {
        TrayFixture::SetUp();
        TrayOpeners().about = &ShowAbout;
    }
    void TearDown() override {
        if (AboutForm()) AboutForm()->Unload();
        TrayOpeners().about = nullptr;
        TrayFixture::TearDown();
    }

    // Opens the box from the tray menu of a freshly started program.
    frmAbout& OpenFromMenu() {
        Load(L"");
        EXPECT_TRUE(form_->MenuItemEnabled(kMenuAbout));
        ::SendMessageW(form_->hWnd(), WM_COMMAND, MAKEWPARAM(kMenuAbout, 0), 0);
        // An exception fails the test and lets the suite go on.
        if (!AboutForm()) throw std::runtime_error("no About window");
        return *AboutForm();
    }
    static std::wstring Value(frmAbout& about, int row) {
        return about.SystemInfo().ListItems().item(row).SubItems().item(1).Caption();
    }
};

}  // namespace

TEST_F(About, ListShowsTheCardAndCopyPutsItsTextOnTheClipboard) {
    frmAbout& about = OpenFromMenu();
    ExpectWholeLayout(about, "About box at 96 dpi");
    EXPECT_EQ(about.Caption(), L"About Kalvenor");
    EXPECT_EQ(about.Ctl(L"lblVersion").Caption(), GetVersionString());
    EXPECT_TRUE(about.Ctl(L"cmdSaveDiagnosticInfo").Enabled());

    zephListViewCtl& list = about.SystemInfo();
    ASSERT_EQ(list.Columns().Count(), 2);
    EXPECT_EQ(list.Columns().item(1).Text(), L"Property");
    EXPECT_EQ(list.Columns().item(2).Text(), L"Value");
    ASSERT_EQ(list.ListItems().Count(), 6);
    EXPECT_EQ(list.ListItems().item(1).Text(), L"Sound Card Model");
    EXPECT_EQ(Value(about, 1), L"Xonar DX");
    EXPECT_EQ(Value(about, 2), L"8.1.8.1823");
    EXPECT_EQ(Value(about, 3), gDriverClassKey);
    EXPECT_FALSE(gDriverClassKey.empty());
    EXPECT_EQ(Value(about, 4), gCardInstanceId);
    const std::wstring os = Value(about, 5);
    EXPECT_EQ(os.substr(os.size() - 4), IsWow64() ? L" x64" : L" x86");
    EXPECT_GT(os.size(), 4u);  // Wine answers the caption
    EXPECT_EQ(Value(about, 6), std::to_wstring(::GetUserDefaultLCID()));

    // The columns fill the list's width: the last takes what the first leaves.
    const HWND view = list.hWndListView();
    RECT inside{};
    ::GetClientRect(view, &inside);
    const int first = static_cast<int>(::SendMessageW(view, LVM_GETCOLUMNWIDTH, 0, 0));
    const int last = static_cast<int>(::SendMessageW(view, LVM_GETCOLUMNWIDTH, 1, 0));
    EXPECT_NEAR(first + last, inside.right, 2);
    EXPECT_GT(last, 0);

    PutOnClipboard(L"before");
    kaltest::DialogAnswerer answer;
    answer.Run([&] { ASSERT_TRUE(User::Click(about.Ctl(L"cmdCopyValues"))); });
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text, L"System Info successfully copied to the clipboard.");
    const std::wstring copied = ClipboardText();
    EXPECT_EQ(copied.substr(0, 42), L"Sound Card Model           : Xonar DX\r\nXon");
    EXPECT_EQ(copied.find(L"Operating System Locale ID : " + Value(about, 6)), copied.size() - 29 - Value(about, 6).size());
    EXPECT_NE(copied.find(L"\r\nXonar Driver Registry Key  : " + gDriverClassKey + L"\r\n"), std::wstring::npos);
    EXPECT_NE(Last(copied), L'\n');
    // Another program holds the clipboard: the copy fails, and says so.
    {
        ClipboardHolder held;
        ASSERT_TRUE(held.Opened());
        answer.seen.clear();
        answer.Run([&] { ASSERT_TRUE(User::Click(about.Ctl(L"cmdCopyValues"))); });
    }
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text,
              L"System Info couldn't be copied to the clipboard. Another program may be using it: please try again.");

    EXPECT_LE(AuthorGap(about), 2);
    ::SetWindowPos(about.hWnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    Pump(100);
    SaveWindowScreenshot(about.hWnd(), L"frmAbout", L"card");

    // Close unloads; the menu opens a fresh box.
    ASSERT_TRUE(User::Click(about.Ctl(L"cmdClose")));
    EXPECT_EQ(AboutForm(), nullptr);
    ::SendMessageW(form_->hWnd(), WM_COMMAND, MAKEWPARAM(kMenuAbout, 0), 0);
    ASSERT_NE(AboutForm(), nullptr);
    EXPECT_EQ(AboutForm()->SystemInfo().ListItems().Count(), 6);
}

TEST_F(About, TheIconScrollsWithTheContentAroundIt) { ExpectTheIconScrollsWithTheContent(OpenFromMenu()); }

// The list, placed outside the form's table, is measured with the controls: moved down onto
// the buttons' row, it is reported on each button, and on nothing else.
TEST_F(About, TheLayoutMeasurementSeesTheListOverTheButtons) {
    frmAbout& about = OpenFromMenu();
    EXPECT_EQ(MeasureLayout(about).overlapping, std::set<std::string>{});
    TwipsRect at = PlacementOf(about.SystemInfo());
    const Control& close = about.Ctl(L"cmdClose");
    at.top = close.Top() + close.Height() - at.height;
    MoveTo(about.SystemInfo(), at);
    const LayoutFaults faults = MeasureLayout(about);
    EXPECT_EQ(faults.overlapping,
              (std::set<std::string>{"KalvenorListView#1 cmdClose", "KalvenorListView#1 cmdCopyValues",
                                     "KalvenorListView#1 cmdSaveDiagnosticInfo"}));
    EXPECT_EQ(faults.outside, std::set<std::string>{});
}

// The interface font changed while the box is open (by Options): the columns fit it again.
TEST_F(About, ColumnsFitAnInterfaceFontChangedWhileTheBoxIsOpen) {
    frmAbout& about = OpenFromMenu();
    struct Reset {
        std::optional<UIFont> saved = gUIFont;
        ~Reset() { gUIFont = saved; }
    } reset;
    UIFont font;
    font.name = L"Liberation Sans";
    font.size = 16;
    gUIFont = font;
    ApplySystemFont(&about);

    const HWND view = about.SystemInfo().hWndListView();
    HDC dc = ::GetDC(view);
    const HGDIOBJ old = ::SelectObject(dc, gUIFont->Handle());
    LONG widest = 0;
    const cListItems items = about.SystemInfo().ListItems();
    for (std::int32_t i = 1; i <= items.Count(); ++i) {
        const std::wstring text = items.item(i).Text();
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, size.cx);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(view, dc);
    RECT inside{};
    ::GetClientRect(view, &inside);
    const int first = static_cast<int>(::SendMessageW(view, LVM_GETCOLUMNWIDTH, 0, 0));
    const int last = static_cast<int>(::SendMessageW(view, LVM_GETCOLUMNWIDTH, 1, 0));
    EXPECT_GE(first, widest);
    EXPECT_NEAR(first + last, inside.right, 2);
}

// Run by the test below at 144 dots per inch; skipped otherwise.
TEST_F(About, ScaledScreenChild) {
    if (!InDpiChild()) GTEST_SKIP();
    gDPI = ScreenDpi();
    ASSERT_EQ(gDPI, 144);
    frmAbout& about = OpenFromMenu();
    ExpectWholeLayout(about, "About box at 144 dpi");
    // The name follows "Developed By " at once; each button is as wide as its caption needs.
    EXPECT_LE(AuthorGap(about), 2);
    for (const wchar_t* button : {L"cmdCopyValues", L"cmdSaveDiagnosticInfo"}) {
        const RECT r = ScreenRect(about, button);
        EXPECT_NEAR(r.right - r.left, CaptionWidth(about, button) + 28 * 144 / 96, 2) << button;
    }
    // Whole on the screen, also on a low one.
    RECT work{}, box{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(about.hWnd(), &box);
    const int top = std::max<int>(work.top, std::min<int>(40, work.bottom - (box.bottom - box.top)));
    ::SetWindowPos(about.hWnd(), HWND_TOP, 40, top, 0, 0, SWP_NOSIZE);
    Pump(100);
    EXPECT_TRUE(SaveWindowScreenshot(about.hWnd(), L"frmAbout", L"card-144dpi"));
    ExpectTheIconScrollsWithTheContent(about);
    MarkDpiChildDone();
}

TEST(AboutScaled, TheAuthorsNameAndTheButtonsFitTheirTextAt144Dpi) {
    EXPECT_TRUE(RunTestsAtDpi(L"About.ScaledScreenChild", 144));
}

TEST_F(About, WithoutACardTheCardRowsStayEmpty) {
    ClearCardState();
    ShowAbout();
    ASSERT_NE(AboutForm(), nullptr);
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(Value(*AboutForm(), row), L"") << row;
    EXPECT_EQ(AboutForm()->SystemInfoText().substr(0, 31), L"Sound Card Model           : \r\n");
    // The driver-key row has nothing to open.
    SavedLastKey saved;
    AboutForm()->SystemInfo_ItemDblClick(3);
    EXPECT_EQ(SavedLastKey::Now(), L"<none>");
}

TEST_F(About, DiagnosticFileListsTheEndpointsInTheirStates) {
    sim::SetSimEndpointState(Endpoint(L"aux"), DEVICE_STATE_DISABLED);
    sim::SetSimEndpointState(Endpoint(L"cd"), DEVICE_STATE_UNPLUGGED);
    sim::SetSimEndpointState(Endpoint(L"alt"), DEVICE_STATE_NOTPRESENT);
    sim::WaitForSimNotifications();
    frmAbout& about = OpenFromMenu();

    // The name typed without extension gets ".txt"; an older file of that name is replaced.
    const std::wstring typed = GetTempFolder() + L"about-diagnostic";
    const std::wstring file = typed + L".txt";
    { std::ofstream(std::filesystem::path(file), std::ios::binary) << std::string(100000, 'x'); }
    kaltest::DialogAnswerer answer;
    answer.fileName = typed;
    answer.button = IDYES;  // the overwrite question
    answer.Run([&] { ASSERT_TRUE(User::Click(about.Ctl(L"cmdSaveDiagnosticInfo"))); });
    const std::string bytes = FileBytes(file);
    ::DeleteFileW(file.c_str());

    ASSERT_GE(answer.seen.size(), 2u);
    EXPECT_TRUE(answer.seen[0].fileDialog);
    EXPECT_EQ(answer.seen[0].title, L"Save Complete Diagnostic Info");
    const std::wstring proposed = answer.seen[0].proposedName;
    EXPECT_EQ(proposed.substr(proposed.size() - 24), L"Kalvenor Diagnostic Info");
    EXPECT_EQ(answer.seen.back().text, L"Diagnostic Info successfully saved to file.");

    // Single-byte text: the system information, then every endpoint of the card.
    const std::string head = "Kalvenor Diagnostic Info\r\nSnapshot took at ";
    ASSERT_EQ(bytes.substr(0, head.size()), head);
    std::wstring text(bytes.begin(), bytes.end());  // the card's texts are ASCII
    const std::wstring info = about.SystemInfoText() + L"\r\n\r\n\r\nRENDER ENDPOINTS\r\n\r\n";
    EXPECT_NE(text.find(L"\r\n\r\n" + info), std::wstring::npos);
    const std::size_t capture = text.find(L"\r\n\r\nCAPTURE ENDPOINTS\r\n\r\n");
    ASSERT_NE(capture, std::wstring::npos);
    EXPECT_EQ(text.substr(text.size() - 6), L"\r\n\r\n\r\n");

    const auto expectBlock = [&](std::uint32_t flow, const wchar_t* key, const wchar_t* state) {
        const std::wstring id = sim::SimAudioEndpoints()[static_cast<std::size_t>(Endpoint(key))].id;
        const std::wstring block = id + L"\r\n" + gAudio->LineDescription(id, flow) + L"\r\nWave: ";
        const std::size_t at = text.find(block);
        ASSERT_NE(at, std::wstring::npos) << key;
        EXPECT_EQ(at > capture, flow == 1) << key;
        const std::size_t stateAt = text.find(L"\r\nEndpoint state: ", at);
        EXPECT_EQ(text.substr(stateAt + 18, text.find(L"\r\n", stateAt + 18) - stateAt - 18), state) << key;
    };
    expectBlock(0, L"speakers", L"DEVICE_STATE_ACTIVE");
    expectBlock(1, L"aux", L"DEVICE_STATE_DISABLED");
    expectBlock(1, L"cd", L"DEVICE_STATE_UNPLUGGED");
    expectBlock(1, L"alt", L"DEVICE_STATE_NOTPRESENT");
    expectBlock(1, L"line", L"DEVICE_STATE_ACTIVE");
    // Every endpoint of the card, and only those, each once.
    std::size_t blocks = 0;
    for (std::size_t at = text.find(L"\r\nEndpoint state: "); at != std::wstring::npos;
         at = text.find(L"\r\nEndpoint state: ", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, gAudio->LinesFromHID(gCardInstanceId, 0).size() + gAudio->LinesFromHID(gCardInstanceId, 1).size());
}

TEST_F(About, AFileThatCannotBeWrittenIsReported) {
    frmAbout& about = OpenFromMenu();
    const std::wstring file = GetTempFolder() + L"about-locked.txt";
    { std::ofstream(std::filesystem::path(file), std::ios::binary) << "kept"; }
    // Another program holds the file open without sharing it.
    UniqueHandle held(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    kaltest::DialogAnswerer answer;
    answer.fileName = file;
    answer.button = IDYES;
    answer.Run([&] { about.cmdSaveDiagnosticInfo_Click(); });
    held.reset();
    EXPECT_EQ(FileBytes(file), "kept");
    ::DeleteFileW(file.c_str());
    ASSERT_FALSE(answer.seen.empty());
    const std::wstring expected = L"Couldn't write to file \"" + file + L"\": ";
    EXPECT_EQ(answer.seen.back().text.substr(0, expected.size()), expected);
    EXPECT_GT(answer.seen.back().text.size(), expected.size());  // the system's description follows
}

TEST_F(About, WithoutUpdateServerTheLinksHaveNoTargetAndDoNothing) {
    ASSERT_TRUE(UpdateServer().home.empty());  // the product is built without one
    frmAbout& about = OpenFromMenu();
    EXPECT_EQ(about.LinkTarget(frmAbout::kCreditLink), L"");
    EXPECT_EQ(about.LinkTarget(frmAbout::kAuthorLink), L"");
    const auto plain = static_cast<COLORREF>(TranslateColor(0x80000008));
    EXPECT_EQ(LabelTextColour(about, L"lblCreditLink"), plain);
    EXPECT_EQ(LabelTextColour(about, L"lblAuthorLink"), plain);

    PutOnClipboard(L"untouched");
    kaltest::DialogAnswerer answer;
    answer.Run([&] {
        ASSERT_TRUE(User::Click(about.Ctl(L"lblCreditLink")));
        ASSERT_TRUE(User::Click(about.Ctl(L"lblAuthorLink")));
        Pump(200);
    });
    EXPECT_TRUE(answer.seen.empty());
    EXPECT_EQ(ClipboardText(), L"untouched");
}

TEST_F(About, RedirectLinesThatAreNoWebAddressAreNeverOpened) {
    kaltest::HttpServer server;
    const UpdateEndpoints saved = UpdateServer();
    UpdateServer() = UpdateEndpointsAt(server.Address());
    std::string home(UpdateServer().home.begin(), UpdateServer().home.end());
    home = home.substr(home.find('/', 7));
    server.Set(home + "/redirects.dat", "http://127.0.0.1/contact\r\nhttp://127.0.0.1/driver\r\nnotepad.exe\r\n");
    frmAbout& about = OpenFromMenu();
    UpdateServer() = saved;

    EXPECT_EQ(about.LinkTarget(frmAbout::kCreditLink), L"");  // a local program, not a link
    EXPECT_EQ(about.LinkTarget(frmAbout::kAuthorLink), L"http://127.0.0.1/contact");
    EXPECT_EQ(LabelTextColour(about, L"lblCreditLink"), static_cast<COLORREF>(TranslateColor(0x80000008)));
    EXPECT_EQ(LabelTextColour(about, L"lblAuthorLink"), static_cast<COLORREF>(TranslateColor(0x8000000D)));
    ::SetWindowPos(about.hWnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    Pump(100);
    SaveWindowScreenshot(about.hWnd(), L"frmAbout", L"author-link");

    kaltest::DialogAnswerer answer;
    answer.Run([&] {
        ASSERT_TRUE(User::Click(about.Ctl(L"lblCreditLink")));
        Pump(500);
    });
    EXPECT_TRUE(answer.seen.empty());
    EXPECT_EQ(FindProcessId(L"notepad.exe"), 0u);

    // The author link copies the contact address.
    PutOnClipboard(L"before");
    answer.Run([&] { ASSERT_TRUE(User::Click(about.Ctl(L"lblAuthorLink"))); });
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text, L"The author's e-mail address: " + AuthorAddress() +
                                       L"\r\nhas been copied in your clipboard.\r\nYou can now paste it in the "
                                       L"recipient field of your e-mail application.");
    EXPECT_EQ(ClipboardText(), AuthorAddress());
    PutOnClipboard(L"before");
    {
        ClipboardHolder held;
        ASSERT_TRUE(held.Opened());
        answer.Run([&] { ASSERT_TRUE(User::Click(about.Ctl(L"lblAuthorLink"))); });
    }
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[1].text, L"The author's e-mail address: " + AuthorAddress() +
                                       L"\r\ncouldn't be copied to the clipboard. Another program may be using "
                                       L"it: please try again.");
    EXPECT_EQ(ClipboardText(), L"before");
}

TEST_F(About, DriverKeyRowOpensTheRegistryEditorAtTheLiveSettings) {
    ASSERT_TRUE(IsProcessElevated());
    SavedLastKey saved;
    frmAbout& about = OpenFromMenu();
    ::SetWindowPos(about.hWnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    ::SetForegroundWindow(about.hWnd());
    Pump(100);

    DoubleClickAt(RowPoint(about, 2));
    EXPECT_EQ(SavedLastKey::Now(), L"<none>");
    EXPECT_FALSE(about.RegistryEditorProcess());

    DoubleClickAt(RowPoint(about, 3));
    EXPECT_EQ(SavedLastKey::Now(), L"Computer\\HKEY_LOCAL_MACHINE\\" + gDriverClassKey + L"\\" + gDriverSettingsKey);
    // The editor was started; it is not left running.
    const HANDLE editor = about.RegistryEditorProcess();
    ASSERT_TRUE(editor);
    ::TerminateProcess(editor, 0);
    EXPECT_EQ(::WaitForSingleObject(editor, 5000), WAIT_OBJECT_0);
}

// Run by the test below in a child process of a limited user; skipped otherwise.
TEST(AboutChild, LimitedUserDoubleClickOnTheDriverKeyRow) {
    if (!::GetEnvironmentVariableW(L"KALVENOR_ABOUT_CHILD", nullptr, 0)) GTEST_SKIP();
    ASSERT_FALSE(IsProcessElevated());
    gDriverClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e96c-e325-11ce-bfc1-08002be10318}\\0099";
    gDriverSettingsKey = L"Settings";
    ShowAbout();
    ASSERT_NE(AboutForm(), nullptr);
    frmAbout& about = *AboutForm();
    ::SetForegroundWindow(about.hWnd());
    Pump(100);
    DoubleClickAt(RowPoint(about, 3));
    about.SystemInfo_ItemDblClick(3);
    EXPECT_EQ(SavedLastKey::Now(), L"<none>");
    EXPECT_FALSE(about.RegistryEditorProcess());
    about.Unload();
    gDriverClassKey.clear();
}

TEST(AboutLimitedUser, DoubleClickOnTheDriverKeyRowIsIgnored) {
    SavedLastKey saved;
    // User account control on, so that the limited token counts as not elevated.
    UniqueHKey policy;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0,
                                nullptr, 0, KEY_ALL_ACCESS, nullptr, policy.put(), nullptr),
              ERROR_SUCCESS);
    DWORD savedLua = 0, type = 0, size = sizeof savedLua;
    const bool hadLua = ::RegQueryValueExW(policy.get(), L"EnableLUA", nullptr, &type,
                                           reinterpret_cast<BYTE*>(&savedLua), &size) == ERROR_SUCCESS;
    const auto setLua = [&](DWORD value) {
        ::RegSetValueExW(policy.get(), L"EnableLUA", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
    };
    setLua(1);

    UniqueHandle own, limited;
    TOKEN_LINKED_TOKEN linked{};
    DWORD got = 0;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, own.put());
    ::GetTokenInformation(own.get(), TokenLinkedToken, &linked, sizeof linked, &got);
    UniqueHandle linkedToken(linked.LinkedToken);
    ::DuplicateTokenEx(linkedToken.get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, limited.put());
    ::SetEnvironmentVariableW(L"KALVENOR_ABOUT_CHILD", L"1");
    const kaltest::ChildRun run = kaltest::RunChild(
        kaltest::OwnExecutable(), L"--gtest_filter=AboutChild.LimitedUserDoubleClickOnTheDriverKeyRow",
        {.token = limited.get()});
    ::SetEnvironmentVariableW(L"KALVENOR_ABOUT_CHILD", nullptr);
    if (hadLua) setLua(savedLua);
    else ::RegDeleteValueW(policy.get(), L"EnableLUA");

    ASSERT_TRUE(limited);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(SavedLastKey::Now(), L"<none>");
}
