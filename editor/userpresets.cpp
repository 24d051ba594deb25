#include "editor/userpresets.h"

#include "base/registry.h"

namespace kal {

bool ComboTextAtLimit(const ComboBox& box, wchar_t typed) {
    if (typed == L'\b' || box.Text().size() != kUserPresetNameLength) return false;
    DWORD start = 0, end = 0;
    if (box.Window()) ::SendMessageW(box.Window(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                                     reinterpret_cast<LPARAM>(&end));
    return start == end;
}

void LimitComboTextLength(const ComboBox& box, wchar_t typed) {
    if (ComboTextAtLimit(box, typed)) ::MessageBeep(MB_OK);
}

std::wstring UserPresetList::Key() const { return kind_.key(); }

ComboBox& UserPresetList::Box() const { return *box_; }

std::wstring UserPresetList::Name() const { return Box().Text(); }

void UserPresetList::Load(const Bytes& current) {
    auto& box = Box();
    box.Clear();
    // The unnamed default value is no preset: a name can't be empty.
    for (const std::wstring& name : RegEnumValues(Key()))
        if (!name.empty()) box.AddItem(name);
    SelectMatching(current);
}

void UserPresetList::SelectMatching(const Bytes& current) {
    auto& box = Box();
    int found = -1;
    // What each name stores now: a restore may have replaced the values since they were listed.
    for (int i = 0; i < box.ListCount() && found < 0; ++i)
        if (RegReadBytes(Key(), box.List(i)) == current) found = i;
    {
        FlagScope matching(matching_);
        box.SetListIndex(found);
    }
    UpdateButtons();
}

void UserPresetList::UpdateButtons() {
    const auto& box = Box();
    // A box switched off with its frame keeps its buttons off.
    const bool usable = box.Enabled();
    const bool chosen = box.ListIndex() >= 0;
    add_->SetEnabled(usable && !chosen && !box.Text().empty());
    remove_->SetEnabled(usable && chosen);
}

std::optional<Bytes> UserPresetList::Chosen() const {
    const std::wstring name = Name();
    if (name.empty()) return std::nullopt;
    auto stored = RegReadBytes(Key(), name);
    if (!stored || stored->size() != kind_.length) return std::nullopt;
    return stored;
}

bool UserPresetList::Ask(const std::wstring& text, UINT icon) const {
    return ::MessageBoxW(form_.hWnd(), text.c_str(), form_.Caption().c_str(), MB_YESNO | MB_DEFBUTTON2 | icon) != IDNO;
}

void UserPresetList::Add(const Bytes& current) {
    const std::wstring name = Name();
    if (name.empty()) return;
    if (RegRead(Key(), name) &&
        !Ask(kind_.existsQuestion + (L"\"" + name + L"\". Do you want to overwrite it?"), MB_ICONEXCLAMATION))
        return;
    RegWrite(Key(), name, current);
    Load(current);
}

void UserPresetList::Delete(const Bytes& current) {
    const std::wstring name = Name();
    if (!Ask(kind_.deleteQuestion + (L"\"" + name + L"\"?"), MB_ICONQUESTION)) return;
    RegDeleteValue(Key(), name);
    Load(current);
}

void UserPresetList::Wire(std::function<void()> click, std::function<Bytes()> current) {
    auto& box = Box();
    box.Click = std::move(click);
    box.KeyPress = [this](wchar_t typed) { KeyPress(typed); };
    box.KeyUp = [this](WORD) { UpdateButtons(); };
    box.LostFocus = [this] { LostFocus(); };
    add_->Click = [this, current] { Add(current()); };
    remove_->Click = [this, current] { Delete(current()); };
}

void UserPresetList::KeyPress(wchar_t typed) const { LimitComboTextLength(Box(), typed); }

void UserPresetList::LostFocus() {
    auto& box = Box();
    const std::wstring text = box.Text();
    if (text.size() > kUserPresetNameLength) box.SetText(text.substr(0, kUserPresetNameLength));
    UpdateButtons();
}

}  // namespace kal
