#include "listview/comctl.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/raii.h"

namespace kal {
namespace {

std::optional<ComCtlVersion>& Override() {
    static std::optional<ComCtlVersion> version;
    return version;
}

}  // namespace

ComCtlVersion GetComCtlVersion() {
    if (Override()) return *Override();
    ComCtlVersion v;
    const UniqueModule lib(::LoadLibraryW(L"comctl32.dll"));
    if (!lib) return v;
    const auto get = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(::GetProcAddress(lib.get(), "DllGetVersion")));
    if (!get) return v;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(get(&info))) {
        v.major = static_cast<std::int32_t>(info.dwMajorVersion);
        v.minor = static_cast<std::int32_t>(info.dwMinorVersion);
        v.build = static_cast<std::int32_t>(info.dwBuildNumber);
    }
    return v;
}

void SetComCtlVersionOverride(std::optional<ComCtlVersion> version) { Override() = version; }

}  // namespace kal
