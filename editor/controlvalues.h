// Small helpers of the editor and its dialogs for putting stored values into controls: a list
// entry by item data and an option by index, each leaving the control as it is when the value
// has no entry (a damaged or hand-edited value never selects something else).
#pragma once
#include <cstdint>
#include <string>

#include "toolkit/forms.h"

namespace kal {

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

}  // namespace kal
