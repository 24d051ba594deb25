#include "toolkit/pages/controlpage.h"

#include <string>

#include "base/log.h"
#include "resources/version.h"
#include "startup/utility.h"
#include "base/errors.h"
#include "toolkit/images/imageformat.h"
#include "toolkit/commondialog.h"
#include "toolkit/pages/pagehelpers.h"

namespace kal {

namespace {

constexpr wchar_t kDistortQuestion[] =
    L"Changing size of the image list will distort any images you have added.\r\n\r\n"
    L"Are you sure you want to do this?";
constexpr wchar_t kDistortApplyQuestion[] =
    L"Changing size of the image list will distort any images you have added.\r\n\r\nAre you sure?";
constexpr wchar_t kDepthQuestion[] =
    L"Warning - decreasing the colour depth may affect images already stored in the control.  "
    L"Are you sure you want to do this?";
constexpr wchar_t kInvalidSize[] = L"Please enter a valid icon size.";

struct DepthEntry {
    const wchar_t* text;
    std::int32_t bits;
};
constexpr DepthEntry kDepths[] = {
    {L"(Default)", 0},
    {L"16 colour (4 bit)", 4},
    {L"256 colour (8 bit)", 8},
    {L"65,000 colours (16 bit)", 16},
    {L"True Colour (24 bit)", 24},
    {L"Excessive (32 bit)", 32},
};

struct SizeButton {
    const wchar_t* caption;
    const wchar_t* tag;
    const wchar_t* tip;
};
constexpr SizeButton kSizeButtons[] = {
    {L"&16 x 16", L"16", L"16 x 16 Image List"}, {L"&24 x 24", L"24", L"24 x 24 Image List"},
    {L"&32 x 32", L"32", L"32 x 32 Image list"}, {L"&48 x 48", L"48", L"48 x 48 Image List"},
    {L"&72 x 72", L"72", L"72 x 72 Image List"},
};

constexpr COLORREF kBandText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kVersionText = RGB(0xC0, 0xC0, 0xC0);

// A file in the temp folder, deleted when the owner goes whatever happened in between.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

std::vector<ControlRow> ControlRows() {
    std::vector<ControlRow> rows{
        {ControlType::Label, L"lblIconSize", -1, L"Icon &Size:", 60, 600, 2700, 240},
        {ControlType::Label, L"lblX", -1, L"&X", 60, 900, 195, 195},
        {ControlType::TextBox, L"txtIconSize", 0, L"", 240, 840, 720, 330},
        {ControlType::Label, L"lblY", -1, L"&Y", 1080, 900, 195, 195},
        {ControlType::TextBox, L"txtIconSize", 1, L"", 1260, 840, 720, 330},
    };
    for (int i = 0; i < 5; ++i)
        rows.push_back({ControlType::CommandButton, L"cmdSize", i, kSizeButtons[i].caption, 60 + 900 * i, 1260, 855, 315});
    rows.push_back({ControlType::Label, L"lblColourDepth", -1, L"&Colour Depth:", 60, 1800, 2700, 240});
    rows.push_back({ControlType::ComboBox, L"cboColourDepth", -1, L"", 60, 2040, 2715, 315});
    // The black band across the top; drawn beneath the two labels on it.
    rows.push_back({ControlType::Label, L"lblInfo", -1, L"ImageList", 1440, 120, 3255, 195});
    rows.push_back({ControlType::Label, L"lblVersion", -1, L"", 1440, 300, 4215, 195});
    rows.push_back({ControlType::Label, L"lblBack", -1, L"", 60, 60, 5655, 495, WS_BORDER | WS_CLIPSIBLINGS});
    return rows;
}

}  // namespace

ppgControl::ppgControl() : PropertyPage(L"ppgControl") {
    Design({L"Properties", 5790, 3600, 0, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0}, ControlRows());
    bold_.name = L"Tahoma";
    bold_.size = 8.25;
    bold_.bold = true;
}

ppgControl::~ppgControl() { Unload(); }

void ppgControl::OnLoad() {
    UsePageFont();
    ApplyFontToControl(Ctl(L"lblInfo"), bold_);
    ::SetWindowPos(Ctl(L"lblBack").Window(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    bandBrush_.reset(::CreateSolidBrush(RGB(0, 0, 0)));

    tips_.Create(hWnd());
    for (int i = 0; i < 5; ++i) {
        auto& button = Get<CommandButton>(L"cmdSize", i);
        button.SetTag(kSizeButtons[i].tag);
        tips_.AddTool(button.Window(), kSizeButtons[i].tip);
        button.Click = [this, i] { Guarded([&] { SizeClicked(i); }); };
    }
    for (int i = 0; i < 2; ++i) {
        auto& box = Get<TextBox>(L"txtIconSize", i);
        box.Change = [this, i] { SizeBoxChanged(i); };
        MSubclass::AttachMessage(this, box.Window(), WM_CHAR);
        filtered_.push_back(box.Window());
    }
    Get<ComboBox>(L"cboColourDepth").Click = [this] { Guarded([&] { DepthClicked(); }); };
}

void ppgControl::OnUnload() {
    for (HWND h : filtered_) MSubclass::DetachMessage(this, h, WM_CHAR);
    filtered_.clear();
}

bool ppgControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    const auto label = reinterpret_cast<HWND>(lParam);
    const auto dc = reinterpret_cast<HDC>(wParam);
    COLORREF text;
    if (label == Ctl(L"lblInfo").Window())
        text = kBandText;
    else if (label == Ctl(L"lblVersion").Window())
        text = kVersionText;
    else if (label == Ctl(L"lblBack").Window())
        text = kBandText;
    else
        return false;
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, RGB(0, 0, 0));
    result = reinterpret_cast<LRESULT>(bandBrush_.get());
    return true;
}

LRESULT ppgControl::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    if (iMsg == WM_CHAR) {
        auto code = static_cast<std::int32_t>(wParam);
        FilterDigitKey(code);
        if (code == 0) return 0;
        wParam = static_cast<WPARAM>(code);
    }
    return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
}

void ppgControl::Initialize() {
    Get<Label>(L"lblVersion")
        .SetCaption(AppExeName() + L".OCX     Version: " + std::to_wstring(KALVENOR_VERSION_MAJOR) + L"." +
                    std::to_wstring(KALVENOR_VERSION_MINOR) + L" (Revision: " +
                    std::to_wstring(KALVENOR_VERSION_REVISION) + L")");
    auto& depth = Get<ComboBox>(L"cboColourDepth");
    depth.Clear();
    for (const DepthEntry& e : kDepths) depth.AddItem(e.text, e.bits);
}

void ppgControl::ShowSizes(std::int32_t x, std::int32_t y) {
    auto& box0 = Get<TextBox>(L"txtIconSize", 0);
    auto& box1 = Get<TextBox>(L"txtIconSize", 1);
    box0.SetTag(L"CHANGING");
    box1.SetTag(L"CHANGING");
    box0.SetText(std::to_wstring(x));
    box1.SetText(std::to_wstring(y));
    box0.SetTag(L"");
    box1.SetTag(L"");
}

void ppgControl::SelectionChanged() {
    zephImageList* list = Selected();
    if (!list) return;
    ShowSizes(list->IconSizeX(), list->IconSizeY());
    auto& depth = Get<ComboBox>(L"cboColourDepth");
    depth.SetTag(L"CHANGING");
    int match = -1;
    for (int i = 0; i < depth.ListCount() && match < 0; ++i)
        if (depth.ItemData(i) == list->ColourDepth()) match = i;
    if (match >= 0)
        depth.SetListIndex(match);
    else
        ::SendMessageW(depth.Window(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    depth.SetTag(L"");
}

void ppgControl::SizeClicked(int index) {
    zephImageList* list = Selected();
    const std::int32_t size = std::stoi(Ctl(L"cmdSize", index).Tag());
    if (list && list->ImageCount() != 0 && (list->IconSizeX() != size || list->IconSizeY() != size)) {
        if (PageMessage(hWnd(), kDistortQuestion, MB_YESNO | MB_ICONQUESTION) == IDNO) return;
    }
    Get<TextBox>(L"txtIconSize", 0).SetText(std::to_wstring(size));
    Get<TextBox>(L"txtIconSize", 1).SetText(std::to_wstring(size));
}

void ppgControl::SizeBoxChanged(int index) {
    if (Ctl(L"txtIconSize", index).Tag().empty()) MarkChanged();
}

void ppgControl::DepthClicked() {
    auto& depth = Get<ComboBox>(L"cboColourDepth");
    const int entry = depth.ListIndex();
    zephImageList* list = Selected();
    if (entry < lastDepthEntry_ && list && list->ImageCount() > 0) {
        if (PageMessage(hWnd(), kDepthQuestion, MB_YESNO | MB_ICONQUESTION) == IDNO) {
            depth.SetTag(L"CHANGING");
            depth.SetListIndex(lastDepthEntry_);
            depth.SetTag(L"");
            return;
        }
    }
    if (depth.Tag().empty()) MarkChanged();
    lastDepthEntry_ = entry;
}

bool ppgControl::ApplyChanges() {
    auto& box0 = Get<TextBox>(L"txtIconSize", 0);
    auto& box1 = Get<TextBox>(L"txtIconSize", 1);
    const std::optional<std::int32_t> width = NumericKeyValue(box0.Text());
    const std::optional<std::int32_t> height = NumericKeyValue(box1.Text());
    if (!width || !height) {
        PageMessage(hWnd(), kInvalidSize, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    zephImageList* list = Selected();
    if (!list) return true;

    // Either size re-creates the list: images kept at the old size would be stretched when the
    // list is next loaded.
    bool hasImages = false;
    bool recreate = false;
    if (list->IconSizeX() != *width || list->IconSizeY() != *height) {
        if (list->ImageCount() > 0) {
            hasImages = true;
            if (PageMessage(hWnd(), kDistortApplyQuestion, MB_YESNO | MB_ICONQUESTION) == IDNO) {
                box0.SetText(std::to_wstring(list->IconSizeX()));
                box1.SetText(std::to_wstring(list->IconSizeY()));
                return false;
            }
        }
        recreate = true;
    }

    // The images go to the file before anything changes, so a failure to write it loses nothing.
    TemporaryFile temp(recreate && hasImages ? GetTempFileNameWithPrefix(L"ILS") : std::wstring());
    if (recreate && hasImages) list->SaveToFile(temp.Path());

    const std::int32_t oldX = list->IconSizeX(), oldY = list->IconSizeY(), oldDepth = list->ColourDepth();
    list->SetIconSizeX(*width);
    list->SetIconSizeY(*height);
    const int entry = Get<ComboBox>(L"cboColourDepth").ListIndex();
    if (entry >= 0) list->SetColourDepth(static_cast<std::int32_t>(Get<ComboBox>(L"cboColourDepth").ItemData(entry)));

    if (!recreate) return true;
    bool rebuilt = false;
    try {
        rebuilt = Recreate(*list, temp.Path(), hasImages, oldX, oldY, oldDepth);
    } catch (const ToolkitError&) {
        ShowSizes(oldX, oldY);
        throw;
    }
    if (!rebuilt) {
        // No list can be made at that size.
        ShowSizes(oldX, oldY);
        PageMessage(hWnd(), kInvalidSize, MB_OK | MB_ICONINFORMATION);
    }
    return rebuilt;
}

bool ppgControl::Recreate(zephImageList& list, const std::wstring& file, bool hasImages, std::int32_t oldX,
                          std::int32_t oldY, std::int32_t oldDepth) {
    const std::int32_t count = list.ImageCount();
    const std::vector<std::wstring> keys(list.Keys().begin(), list.Keys().end());
    // The file keeps no key of one character; the keys are put back from here.
    auto reload = [&] {
        list.Clear();
        if (!list.hIml()) return false;
        if (!hasImages) return true;
        if (!list.LoadFromFile(file) || list.ImageCount() != count) return false;
        for (std::int32_t i = 0; i < count && static_cast<std::size_t>(i) < keys.size(); ++i)
            if (list.ItemKey(i + 1) != keys[static_cast<std::size_t>(i)]) list.SetItemKey(i + 1, keys[static_cast<std::size_t>(i)]);
        return true;
    };
    std::optional<ToolkitError> failure;
    bool ok = false;
    try {
        ok = reload();
    } catch (const ToolkitError& e) {
        failure = e;
    }
    if (ok) return true;

    // Back to the old size with the images as they were.
    list.SetIconSizeX(oldX);
    list.SetIconSizeY(oldY);
    list.SetColourDepth(oldDepth);
    try {
        reload();
    } catch (const ToolkitError&) {
        LogCaught(L"ppgControl putting the old size back");
    }
    if (failure) throw *failure;
    return false;
}

}  // namespace kal
