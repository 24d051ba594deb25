#include "base/propstore.h"

#include <map>

#include "base/keyed.h"

namespace kal {
namespace {

using Records = std::map<std::wstring, std::intptr_t, CaseInsensitiveLess>;

// Never destroyed: windows and controls in static storage may use it while the process ends.
std::map<std::intptr_t, Records>& WindowProps() {
    static auto* props = new std::map<std::intptr_t, Records>;
    return *props;
}

std::intptr_t Key(const void* hWnd) { return reinterpret_cast<std::intptr_t>(hWnd); }

}  // namespace

std::intptr_t GetWindowProp(const void* hWnd, const std::wstring& name) {
    auto& props = WindowProps();
    auto w = props.find(Key(hWnd));
    if (w == props.end()) return 0;
    auto r = w->second.find(name);
    return r == w->second.end() ? 0 : r->second;
}

int SetWindowProp(const void* hWnd, const std::wstring& name, std::intptr_t value) {
    auto& records = WindowProps()[Key(hWnd)];
    // Keep the spelling of the latest store.
    records.erase(name);
    records.emplace(name, value);
    return 1;
}

void RemoveWindowProp(const void* hWnd, const std::wstring& name) {
    auto& props = WindowProps();
    auto w = props.find(Key(hWnd));
    if (w == props.end()) return;
    w->second.erase(name);
    if (w->second.empty()) props.erase(w);
}

std::size_t WindowPropCount(const void* hWnd) {
    auto& props = WindowProps();
    auto w = props.find(Key(hWnd));
    return w == props.end() ? 0 : w->second.size();
}

std::vector<std::wstring> WindowPropNames(const void* hWnd) {
    std::vector<std::wstring> names;
    auto& props = WindowProps();
    auto w = props.find(Key(hWnd));
    if (w != props.end())
        for (const auto& r : w->second) names.push_back(r.first);
    return names;
}

std::wstring HandleText(const void* hWnd) {
    // Handles are 32-bit values in this program; their text is the signed decimal number.
    return std::to_wstring(static_cast<std::int32_t>(Key(hWnd)));
}

}  // namespace kal
