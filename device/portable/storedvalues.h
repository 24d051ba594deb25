// Which stored profile values may reach the card or Windows. A profile value is written by the
// editor, by a restored backup, by an older version or by hand; one that is not binary, has
// another length than the setting's default, or holds a code the setting does not have, is
// damaged: it is not applied and counts as absent everywhere (validation, summaries, editor).
#pragma once
#include <string_view>

#include "base/hextext.h"

namespace kal {

// `binary` is null for a value stored as text. Values the program keeps for itself (the
// shortcut, the custom icon, the presence flags) and names that reach neither the card nor
// Windows are always acceptable.
bool IsAcceptableStoredValue(std::wstring_view name, const Bytes* binary);

}  // namespace kal
