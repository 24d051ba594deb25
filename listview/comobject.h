// The control's small COM objects (ComObject, base/com.h) and how the control raises its events.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <utility>

#include "base/com.h"
#include "base/log.h"

namespace kal {

// Calls an event's handler; what it throws stays here, inside the window procedure or the
// COM method that raised it.
template <typename F, typename... A>
void Raise(const F& handler, A&&... args) {
    if (!handler) return;
    try {
        handler(std::forward<A>(args)...);
    } catch (...) {
        LogCaught(L"list view event handler");
    }
}

}  // namespace kal
