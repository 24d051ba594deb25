// Owners for Win32 handles.
#pragma once
#include <windows.h>

#include <utility>

namespace kal {

// A handle closed by `Close` when it is not `Invalid`.
template <typename H, H Invalid, auto Close>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(H h) : h_(h) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Invalid));
        return *this;
    }
    ~UniqueResource() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Invalid; }
    H* put() { reset(); return &h_; }
    H release() { return std::exchange(h_, Invalid); }
    void reset(H h = Invalid) {
        if (h_ != Invalid) Close(h_);
        h_ = h;
    }

private:
    H h_ = Invalid;
};

inline void CloseKey(HKEY k) { ::RegCloseKey(k); }
inline void CloseHandleChecked(HANDLE h) { ::CloseHandle(h); }

using UniqueHKey = UniqueResource<HKEY, nullptr, CloseKey>;
using UniqueHandle = UniqueResource<HANDLE, nullptr, CloseHandleChecked>;

}  // namespace kal
