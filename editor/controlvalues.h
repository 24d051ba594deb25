// Small helpers of the editor and its dialogs for putting stored values into controls: a list
// entry by item data and an option by index, each leaving the control as it is when the value
// has no entry (a damaged or hand-edited value never selects something else); and the count a
// control keeps in its tag.
#pragma once
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "base/log.h"
#include "toolkit/forms.h"

namespace kal {

// The code of "Don't Change" / "Don't Set" in an option group, a list's item data or a value's
// first byte.
inline constexpr int kDontChange = 255;

// The channel swaps' values, in the order of the swaps dialog: L/R, centre/bass, side/rear.
inline constexpr const wchar_t* kSwapValues[3] = {L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"};

// Selects the first entry carrying `value` (its Click runs); false, selection unchanged, when none.
inline bool SelectItemData(ComboBox& box, std::intptr_t value) {
    for (int i = 0; i < box.ListCount(); ++i) {
        if (box.ItemData(i) == value) {
            box.SetListIndex(i);
            return true;
        }
    }
    return false;
}

// The selected entry's item data, `none` without a selection.
inline std::intptr_t SelectedItemData(const ComboBox& box, std::intptr_t none = 0) {
    const int i = box.ListIndex();
    return i < 0 ? none : box.ItemData(i);
}

// Selects option `index` of the group; false, nothing changed, when the group has no such option.
inline bool SelectOption(const Form& form, const std::wstring& group, int index) {
    auto* option = dynamic_cast<OptionButton*>(form.Find(group, index));
    if (!option) return false;
    option->SetValue(true);
    return true;
}

inline bool OptionSelected(const Form& form, const std::wstring& group, int index) {
    auto* option = dynamic_cast<OptionButton*>(form.Find(group, index));
    return option && option->Value();
}

// The same for a form's bound option group (a std::array or std::vector of options by index,
// a vector with gaps where indices are sparse).
template <typename Group>
OptionButton* OptionAt(const Group& group, int index) {
    static_assert(std::is_convertible_v<typename Group::value_type, OptionButton*>);
    return index >= 0 && static_cast<std::size_t>(index) < group.size() ? group[static_cast<std::size_t>(index)]
                                                                        : nullptr;
}

template <typename Group>
bool SelectOption(const Group& group, int index) {
    OptionButton* option = OptionAt(group, index);
    if (!option) return false;
    option->SetValue(true);
    return true;
}

template <typename Group>
bool OptionSelected(const Group& group, int index) {
    const OptionButton* option = OptionAt(group, index);
    return option && option->Value();
}

// A count kept in a control's tag: 0 for an empty tag, and 0 for one that holds no number (a
// broken invariant, reported).
inline int CountIn(const std::wstring& tag) {
    try {
        return tag.empty() ? 0 : std::max(0, std::stoi(tag));
    } catch (const std::exception&) {
        LogLine(L"CountIn", L"no count in the tag \"" + tag + L"\"");
        return 0;
    }
}

// The index of the group's selected option; -1 when none is.
template <typename Group>
int SelectedOption(const Group& group) {
    for (const OptionButton* option : group)
        if (option && option->Value()) return option->Index();
    return -1;
}

}  // namespace kal
