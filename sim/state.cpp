#include "sim/state.h"

#include "base/registry.h"

namespace kal::sim {

std::wstring SimModel() {
    auto v = RegReadText(kSimRoot, L"Model");
    return v && !v->empty() ? *v : L"82751043";
}

void SetSimModel(const std::wstring& subsys) { RegWrite(kSimRoot, L"Model", subsys); }

}  // namespace kal::sim
