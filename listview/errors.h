// Raising the object model's numbered errors.
#pragma once
#include <string>

#include "listview/portable/errortable.h"
#include "base/errors.h"

namespace kal {

// Throws ToolkitError with the code's number and description; the source is the executable's
// name, ".", and `className`.
[[noreturn]] void RaiseListViewError(int code, const std::wstring& className);

}  // namespace kal
