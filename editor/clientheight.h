// The height of a dialog's client area, fitted to its last row of controls.
#pragma once
#include <windows.h>

#include "toolkit/forms.h"

namespace kal {

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
