#include "base/dyncalls.h"

#include <commdlg.h>
#include <dsound.h>
#include <uxtheme.h>
#include <wininet.h>

#include <type_traits>

namespace kal {
namespace {

void* Find(HMODULE module, const char* name) {
    return module ? reinterpret_cast<void*>(::GetProcAddress(module, name)) : nullptr;
}

}  // namespace

bool IsApiAvailable(const wchar_t* module, const char* function) {
    return Find(::GetModuleHandleW(module), function) != nullptr;
}

namespace dyn {

// Looked up at every call: a module that is not loaded yet may be later.
#define KAL_DEFINE_RESIDENT(library, name, type) \
    name##Fn name() { return reinterpret_cast<name##Fn>(Find(::GetModuleHandleW(library), #name)); }
KAL_RESIDENT_FUNCTIONS(KAL_DEFINE_RESIDENT)
#undef KAL_DEFINE_RESIDENT

// Loaded and looked up once; the library stays loaded.
#define KAL_DEFINE_ON_DEMAND(library, name, type)                                              \
    static_assert(std::is_same_v<name##Fn, decltype(&::name)>, "the list's type of " #name);     \
    name##Fn name() {                                                                             \
        static const name##Fn fn = reinterpret_cast<name##Fn>(Find(::LoadLibraryW(library), #name)); \
        return fn;                                                                                \
    }
KAL_ON_DEMAND_FUNCTIONS(KAL_DEFINE_ON_DEMAND)
#undef KAL_DEFINE_ON_DEMAND

}  // namespace dyn
}  // namespace kal
