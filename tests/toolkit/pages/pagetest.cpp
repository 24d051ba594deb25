#include "tests/toolkit/pages/pagetest.h"

#include <prsht.h>

namespace kal::test {

std::function<BOOL(OPENFILENAMEW&)> ChooseFiles(const std::wstring& folder, const std::vector<std::wstring>& names) {
    return [folder, names](OPENFILENAMEW& ofn) {
        std::wstring text;
        if (names.size() == 1) {
            text = folder + L"\\" + names.front();
            text.push_back(L'\0');
        } else {
            text = folder;
            text.push_back(L'\0');
            for (const auto& n : names) {
                text += n;
                text.push_back(L'\0');
            }
        }
        text.push_back(L'\0');
        if (text.size() > ofn.nMaxFile) return FALSE;
        std::copy(text.begin(), text.end(), ofn.lpstrFile);
        return TRUE;
    };
}

void PageTest::SetUp() {
    previous = SetCommonDialogs(&dialogs);
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    frame = std::make_unique<PropertyFrame>(L"ilTest", std::vector<zephImageList*>{&list});
    frame->AddPage<ppgControl>();
    frame->AddPage<ppgImages>();
}

void PageTest::TearDown() {
    frame.reset();
    if (owner) ::DestroyWindow(owner);
    SetCommonDialogs(previous);
}

void PageTest::Open(int page) {
    ASSERT_NE(frame->Open(owner), nullptr);
    Pump();
    if (page != 0) SelectPage(page);
}

void PageTest::Pump() {
    for (int i = 0; i < 3; ++i) frame->Pump();
}

void PageTest::SelectPage(int page) {
    PropSheet_SetCurSel(frame->hWnd(), nullptr, page);
    Pump();
}

bool PageTest::ApplyEnabled() const {
    HWND apply = ::GetDlgItem(frame->hWnd(), 0x3021);
    return apply && ::IsWindowEnabled(apply);
}

void PageTest::Press(int button) {
    PropSheet_PressButton(frame->hWnd(), button);
    Pump();
}

void PageTest::AddSolid(std::uint32_t rgb, const wchar_t* key) {
    const int size = list.IconSizeX();
    UniqueIcon icon(MakeIcon(size, list.IconSizeY(), [rgb](int, int) { return 0xFF000000u | rgb; }));
    ASSERT_TRUE(list.AddFromHandle(icon.get(), IMAGE_ICON, key ? std::optional<std::wstring>(key) : std::nullopt));
}

std::uint32_t PageTest::ImageColour(int i) const {
    const int w = list.IconSizeX(), h = list.IconSizeY();
    Canvas c(w, h);
    ::ImageList_Draw(list.hIml(), i, c.dc(), 0, 0, ILD_TRANSPARENT);
    return c.Rgb(w / 2, h / 2);
}

std::vector<std::uint32_t> PageTest::ImageColours() const {
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < list.ImageCount(); ++i) colours.push_back(ImageColour(i));
    return colours;
}

std::vector<std::wstring> PageTest::Keys() const {
    std::vector<std::wstring> keys;
    for (int i = 1; i <= list.ImageCount(); ++i) keys.push_back(list.ItemKey(i));
    return keys;
}

}  // namespace kal::test
