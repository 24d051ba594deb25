// The user's own named presets of one kind (equalizer gain profiles, speaker layouts): one
// binary value each under a key of the settings, listed in an editable combo box whose text
// names the preset to add, overwrite or delete, with its Add and Delete buttons.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "base/hextext.h"
#include "startup/settings.h"
#include "toolkit/forms.h"

namespace kal {

// Holds a variable at a value for its lifetime, then puts back what it held.
template <class T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value) : variable_(variable), was_(std::exchange(variable, std::move(value))) {}
    ~ScopedValue() { variable_ = std::move(was_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& variable_;
    T was_;
};

// Sets a flag for its lifetime.
class FlagScope : public ScopedValue<bool> {
public:
    explicit FlagScope(bool& flag) : ScopedValue<bool>(flag, true) {}
};

// Names at most this long are kept: the box's text is cut to it when the box loses the focus.
inline constexpr std::size_t kUserPresetNameLength = 250;

struct UserPresetKind {
    std::wstring (*key)();    // the key of the values
    std::size_t length;       // bytes of a stored preset; a value of any other length is not loaded
    const wchar_t* existsQuestion;  // before the quoted name, asked before overwriting
    const wchar_t* deleteQuestion;  // before the quoted name, asked before deleting
};

inline constexpr UserPresetKind kEqUserProfiles{&EqPresetsKey, 40, L"A gain profile already exists with the name ",
                                                L"Do you want to delete the gain profile "};
inline constexpr UserPresetKind kVssUserLayouts{&VssPresetsKey, 128,
                                                L"A Virtual Speaker Shifter layout already exists with the name ",
                                                L"Do you want to delete the Virtual Speaker Shifter layout "};

// Whether a typed character should warn that the name is full: the text holds exactly the
// length limit, nothing of it is selected, and the key is not Backspace. The character is
// typed all the same.
bool ComboTextAtLimit(const ComboBox& box, wchar_t typed);
// Beeps when ComboTextAtLimit.
void LimitComboTextLength(const ComboBox& box, wchar_t typed);

// One kind's list on a form: the editable combo box and its Add and Delete buttons. It holds the
// form's members, read on every call, so one list serves every load of the form.
class UserPresetList {
public:
    UserPresetList(Form& form, const UserPresetKind& kind, ComboBox* const& box, CommandButton* const& add,
                   CommandButton* const& remove)
        : form_(form), kind_(kind), box_(box), add_(add), remove_(remove) {}

    std::wstring Key() const;
    // Lists every stored name, then selects the one equal to `current`.
    void Load(const Bytes& current);
    // Selects the first item whose stored bytes equal `current`, none when no item does; then
    // refreshes the buttons. The box's Click handler does nothing meanwhile (Matching()).
    void SelectMatching(const Bytes& current);
    bool Matching() const { return matching_; }
    // Add while no item is chosen and a name is typed; Delete while an item is chosen; both
    // off while the box is.
    void UpdateButtons();
    // The stored preset the box names, when it has exactly the kind's length.
    std::optional<Bytes> Chosen() const;
    // Stores `current` under the typed name (asking before overwriting) and lists again.
    void Add(const Bytes& current);
    // Deletes the named preset unless the user answers No, and lists again.
    void Delete(const Bytes& current);
    // Sets the events of the box and its buttons: `click` runs on a choice in the box, and
    // `current` gives the bytes the controls show now.
    void Wire(std::function<void()> click, std::function<Bytes()> current);
    // The box's KeyPress (the length warning) and LostFocus (the cut to the length limit).
    void KeyPress(wchar_t typed) const;
    void LostFocus();

private:
    ComboBox& Box() const;
    std::wstring Name() const;
    bool Ask(const std::wstring& text, UINT icon) const;

    Form& form_;
    const UserPresetKind& kind_;
    ComboBox* const& box_;
    CommandButton* const& add_;
    CommandButton* const& remove_;
    bool matching_ = false;
};

}  // namespace kal
