// The profile manager's window: its design, loading and closing with the stored size, the
// layout that follows a resize, the minimum size, and the commands. The list's contents are
// filled in editor/profileslist.cpp.
#include "editor/profiles.h"

#include <cmath>
#include <memory>

#include "editor/profileform.h"
#include "listview/autosize.h"
#include "listview/formhost.h"
#include "base/registry.h"
#include "startup/settings.h"
#include "startup/globals.h"
#include "startup/utility.h"
#include "toolkit/font.h"
#include "tray/host.h"

namespace kal {
namespace {

constexpr UINT kDeleteStyle = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;  // 292
constexpr int kInnerWidth = 12510;
constexpr int kInnerHeight = 4425;
constexpr TwipsRect kListDesign{120, 120, 12255, 3735};

FormInstance<frmProfiles> gProfilesInstance;

ControlRow Button(ControlName control, const wchar_t* caption, int left, int width) {
    return ControlRow(ControlType::CommandButton, std::move(control), -1, caption, left, 3960, width, 375, WS_TABSTOP);
}

// The list's stored design: a report with whole-row selection that keeps showing its selection.
PropertyBag ListDesign() {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"View", 1, 0);
    bag.Write<bool>(L"LabelEdit", false, true);
    bag.Write<bool>(L"FullRowSelect", true, false);
    bag.Write<std::int32_t>(L"Appearance", 0, 1);
    bag.Write<bool>(L"HeaderButtons", false, true);
    bag.Write<bool>(L"HeaderTrackSelect", false, true);
    bag.Write<bool>(L"HideSelection", false, true);
    bag.Write<std::wstring>(L"Font", L"MS Sans Serif;8.25;", L"");
    return bag;
}

// The window's outer size in twips.
SIZE OuterTwips(HWND window) {
    WINDOWPLACEMENT place{};
    place.length = sizeof place;
    ::GetWindowPlacement(window, &place);
    // The restored size: a minimized or maximized window keeps its own there.
    const RECT& r = place.rcNormalPosition;
    return {PixelsToTwipsX(r.right - r.left), PixelsToTwipsY(r.bottom - r.top)};
}

// A stored dimension, when it lies in [minimum, screen); a missing one is the minimum.
std::optional<std::int32_t> StoredDimension(const std::optional<Bytes>& stored, std::int32_t minimum,
                                            std::int32_t screen) {
    const Bytes bytes = stored.value_or(EncodeStoredSize(minimum));
    const std::optional<std::int32_t> value = DecodeStoredSize(bytes);
    if (!value || *value < minimum || *value >= screen) return std::nullopt;
    return value;
}

}  // namespace

// ---- Stored sizes ----

Bytes EncodeStoredSize(std::int32_t twips) {
    wchar_t digits[16] = {};
    ::swprintf(digits, 16, L"%X", static_cast<unsigned>(twips < 0 ? 0 : twips));
    return HexToBytes(digits);
}

std::optional<std::int32_t> DecodeStoredSize(const Bytes& bytes) {
    // More than four bytes would be a number past any screen.
    if (bytes.empty() || bytes.size() > 4) return std::nullopt;
    const std::uint32_t value = static_cast<std::uint32_t>(std::wcstoul(BytesToHex(bytes).c_str(), nullptr, 16));
    if (value > 0x7FFFFFFF) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// ---- The instance ----

frmProfiles* ProfilesForm() { return gProfilesInstance.Loaded(); }

void ShowProfiles() {
    gProfilesInstance.ShowInFront();
}

frmProfiles::frmProfiles() : Form(L"frmProfiles") {
    Design(FormLayout(L"Profiles", kInnerWidth, kInnerHeight, -1, -1, WS_OVERLAPPEDWINDOW),
           {Button(KAL_CONTROL(frmProfiles, cmdNew), L"&New", 120, 855),
            Button(KAL_CONTROL(frmProfiles, cmdEdit), L"&Edit", 1080, 855),
            Button(KAL_CONTROL(frmProfiles, cmdDelete), L"Delete", 2040, 855),
            Button(KAL_CONTROL(frmProfiles, cmdActivate), L"&Activate", 3720, 1215),
            Button(KAL_CONTROL(frmProfiles, cmdDefaultProfile), L"Default Profile...", 9600, 1695),
            Button(KAL_CONTROL(frmProfiles, cmdClose), L"&Close", 11520, 855)});
}

frmProfiles::~frmProfiles() { Unload(); }

// ---- Loading and closing ----

void frmProfiles::OnLoad() {
    filled_ = false;
    if (!gUIFont) gUIFont = GetSystemFont();
    if (!PlaceOnForm(list_, *this, kListDesign, ListDesign())) throw std::runtime_error("profile list can't be created");
    // First in the tab order, before the buttons.
    ::SetWindowPos(list_.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    icons_.SetIconSizeX(32);
    icons_.SetIconSizeY(32);
    icons_.SetColourDepth(ILC_COLOR32);
    WireEvents();

    RestoreLastFormSize();
    LayOut();  // the stored size, or the system's frame, may differ from the design's
    SetCaption(GetVersionString() + L" - Profiles");
    list_.SetCustomDraw(true);  // the items' own fonts need it
    for (const wchar_t* column : {L"Name", L"Output", L"Shortcut", L"Description"})
        list_.Columns().Add({}, {}, column, {}, 1440);
    // The columns are fitted by the fill below; fitting the empty list first costs a
    // noticeable part of the opening and its widths would be replaced at once.
    filled_ = true;
    UpdateProfiles(L"", false);
}

void frmProfiles::RestoreLastFormSize() {
    if (!Loaded()) return;
    SetIcon(hWnd(), kProgramIcon);
    ApplySystemFont(this);
    const int screenWidth = PixelsToTwipsX(::GetSystemMetrics(SM_CXSCREEN));
    const int screenHeight = PixelsToTwipsY(::GetSystemMetrics(SM_CYSCREEN));
    SIZE size = OuterTwips(hWnd());
    if (auto height = StoredDimension(GetProfilesLastHeight(), kProfilesMinHeight, screenHeight)) size.cy = *height;
    if (auto width = StoredDimension(GetProfilesLastWidth(), kProfilesMinWidth, screenWidth)) size.cx = *width;
    const int width = TwipsToPixelsX(size.cx), height = TwipsToPixelsY(size.cy);
    ::SetWindowPos(hWnd(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmProfiles::OnActivate() {
    if (Form* volume = FindForm(L"frmVolume")) volume->Unload();
}

void frmProfiles::SaveSize() {
    const SIZE size = OuterTwips(hWnd());
    SetProfilesLastSize(EncodeStoredSize(size.cx), EncodeStoredSize(size.cy));
}

void frmProfiles::OnUnload() {
    SaveSize();
    filled_ = false;
    customIcons_.clear();
}

void frmProfiles::WireEvents() {
    cmdNew->Click = [this] { cmdNew_Click(); };
    cmdEdit->Click = [this] { cmdEdit_Click(); };
    cmdDelete->Click = [this] { cmdDelete_Click(); };
    cmdActivate->Click = [this] { cmdActivate_Click(); };
    cmdDefaultProfile->Click = [this] { cmdDefaultProfile_Click(); };
    cmdClose->Click = [this] { Unload(); };
    list_.ItemDblClick = [this](cListItem) { PressWhenEnabled(*cmdEdit); };
    list_.KeyDown = [this](std::int16_t& key, std::int16_t& shift) {
        if (key == VK_RETURN && shift == 0) PressWhenEnabled(*cmdEdit);
        else if (key == VK_DELETE) PressWhenEnabled(*cmdDelete);
        else if (key == VK_INSERT) PressWhenEnabled(*cmdNew);
    };
    list_.Click = [this] { UpdateButtons(); };
    list_.ItemClick = [this](cListItem) { UpdateButtons(); };
    list_.ItemSelected = [this](std::int32_t) { UpdateButtons(); };
    // Without a selection (the user may take it away by keyboard) the item commands go too.
    list_.ItemUnselected = [this](std::int32_t) { UpdateButtons(); };
}

void frmProfiles::PressWhenEnabled(CommandButton& button) {
    if (button.Enabled() && button.Click) button.Click();
}

void frmProfiles::UpdateButtons() {
    const bool selected = list_.hWndListView() && list_.SelectedItem().has_value();
    for (CommandButton* button : {cmdEdit, cmdDelete, cmdActivate}) button->SetEnabled(selected);
}

// ---- Size ----

bool frmProfiles::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = TwipsToPixelsX(kProfilesMinWidth);
        info->ptMinTrackSize.y = TwipsToPixelsY(kProfilesMinHeight);
        result = 0;
        return true;
    }
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && list_.hWndListView()) LayOut();
        return false;
    case WM_SETFOCUS:
        // The window itself takes no keys: the list, first in the tab order, does.
        if (list_.hWndListView()) {
            ::SetFocus(list_.hWndListView());
            result = 0;
            return true;
        }
        return false;
    default: return false;
    }
}

void frmProfiles::LayOut() {
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    const int innerWidth = PixelsToTwipsX(client.right), innerHeight = PixelsToTwipsY(client.bottom);
    LockRedraw(hWnd(), true);
    const TwipsRect list = PlacementOf(list_);
    const int left = list.left, top = list.top;
    const int gap = cmdNew->Top() - (list.top + list.height);
    MoveTo(list_, {left, top, innerWidth - 2 * left, innerHeight - 2 * top - cmdNew->Height() - gap});
    AutoSizeColumns(list_);

    const int buttonTop = innerHeight - top - cmdNew->Height();
    auto place = [&](CommandButton* c, int x) { c->Move(x, buttonTop, c->Width(), c->Height()); };
    for (CommandButton* c : {cmdNew, cmdEdit, cmdDelete}) place(c, c->Left());
    const int closeLeft = innerWidth - left - cmdClose->Width();
    const int defaultLeft = closeLeft - cmdDefaultProfile->Width() - 225;
    const int deleteRight = cmdDelete->Left() + cmdDelete->Width();
    place(cmdClose, closeLeft);
    place(cmdDefaultProfile, defaultLeft);
    place(cmdActivate, deleteRight + (defaultLeft - deleteRight - cmdActivate->Width()) / 2);
    LockRedraw(hWnd(), false);
}

// ---- Commands ----

void frmProfiles::cmdNew_Click() {
    // A fresh editor's empty Tag means a new profile; the selection is reselected afterwards.
    OpenEditor(L"", list_.SelectedItem() ? CurrentProfile() : L"");
}

void frmProfiles::cmdEdit_Click() {
    const std::wstring name = CurrentProfile();
    if (name.empty()) return;
    SetMouseCursor(SystemCursor::Wait);
    OpenEditor(name, name);
}

void frmProfiles::OpenEditor(const std::wstring& tag, const std::wstring& lastProfileName) {
    // One editor at a time: an open one (the real-time window) only comes to the front.
    if (frmProfile* open = ProfileEditor()) {
        open->Show();
        return;
    }
    frmProfile& editor = ProfileEditorInstance();
    editor.Load();
    editor.SetTag(tag);
    editor.LastProfileName = lastProfileName;
    editor.SetUp();
    editor.Show();
}

void frmProfiles::cmdDelete_Click() {
    const std::wstring name = CurrentProfile();
    if (name.empty()) return;
    const std::wstring text = L"Delete profile \"" + name + L"\"?";
    if (::MessageBoxW(hWnd(), text.c_str(), kAppTitle, kDeleteStyle) != IDYES) return;
    // The window may have gone while the question was open (the program exits).
    if (!Loaded()) return;
    RegDeleteKey(gRegProfiles, name);
    if (EqualsNoCase(GetDefaultProfile(), name)) RemoveDefaultProfile();
    UpdateProfiles(L"", false);
}

void frmProfiles::cmdActivate_Click() {
    const std::wstring name = CurrentProfile();
    if (name.empty()) return;
    if (ITrayHost* main = TrayHost()) main->SetXonarValues(name, false, false);
}

void frmProfiles::cmdDefaultProfile_Click() { ShowOptionsPage(1); }

}  // namespace kal
