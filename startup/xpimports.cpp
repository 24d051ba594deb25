// Windows XP lacks GetTickCount64, which the toolchain's thread library imports. This object
// provides the import slot itself, so the executables load on XP: the system's function where it
// exists, else the 32-bit tick count extended across its wrap-arounds.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/dyncalls.h"

namespace {

ULONGLONG WINAPI TickCount64() {
    static const auto system = kal::dyn::GetTickCount64();
    if (system) return system();
    // High half: wraps seen so far; low half: the last 32-bit count.
    static std::atomic<std::uint64_t> state{0};
    const std::uint32_t now = ::GetTickCount();
    std::uint64_t seen = state.load();
    for (;;) {
        std::uint64_t wraps = seen >> 32;
        const std::uint32_t last = static_cast<std::uint32_t>(seen);
        // A wrap is a large step back; a small one is a concurrent caller's later reading.
        if (now < last && last - now > 0x80000000u) ++wraps;
        const std::uint64_t next = (wraps << 32) | now;
        if (next < seen || state.compare_exchange_weak(seen, next)) return (wraps << 32) | now;
    }
}

}  // namespace

extern "C" {
// The import slot the linker would otherwise take from kernel32's import library.
__attribute__((used)) ULONGLONG(WINAPI* kalGetTickCount64Import)() asm("__imp__GetTickCount64@0") = TickCount64;
}
