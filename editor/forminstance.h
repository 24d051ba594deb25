// The one instance of a window of the editor: made on first use, released when it has unloaded
// (the next opening starts from a fresh window); and the height of a window's client area.
#pragma once
#include <windows.h>

#include <memory>

#include "toolkit/forms.h"

namespace kal {

template <typename T>
class FormInstance {
public:
    // The loaded window; null while none is loaded.
    T* Loaded() const { return form_ && form_->Loaded() ? form_.get() : nullptr; }
    // The instance, created when there is none or the last one has unloaded (not loaded by this).
    T& Get() {
        if (form_ && !form_->Loaded()) form_.reset();
        if (!form_) form_ = std::make_unique<T>();
        return *form_;
    }

private:
    std::unique_ptr<T> form_;
};

// Resizes the window so that its client area is `twips` high; its frame and width stay.
inline void SetClientHeight(HWND window, int twips) {
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left,
                   (outer.bottom - outer.top) - client.bottom + TwipsToPixelsY(twips),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kal
