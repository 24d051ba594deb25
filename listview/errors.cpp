#include "listview/errors.h"

#include "startup/utility.h"

namespace kal {

void RaiseListViewError(int code, const std::wstring& className) {
    const ListViewErrorEntry& e = ListViewErrorOf(code);
    throw ToolkitError(e.number, AppExeName() + L"." + className, e.description);
}

}  // namespace kal
