// A function of a system library that only some paths of the program need (file dialogs, the
// update's downloads): the library is loaded on the first call instead of at start-up, which
// keeps it and everything it pulls in out of every start.
#pragma once
#include <windows.h>

namespace kal {

template <typename Fn>
class LazyProc {
public:
    constexpr LazyProc(const wchar_t* library, const char* name) : library_(library), name_(name) {}
    // Null when the library or the function is missing.
    Fn get() {
        if (!resolved_) {
            resolved_ = true;
            if (HMODULE module = ::LoadLibraryW(library_))
                fn_ = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name_)));
        }
        return fn_;
    }

private:
    const wchar_t* library_;
    const char* name_;
    Fn fn_ = nullptr;
    bool resolved_ = false;
};

}  // namespace kal
