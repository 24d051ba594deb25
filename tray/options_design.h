// The options window's table of controls.
#pragma once
#include <vector>

#include "toolkit/forms.h"

namespace kal {

// Width and height of the window's client area, twips.
inline constexpr int kOptionsWidth = 7800;
inline constexpr int kOptionsHeight = 5760;
// The autostart frame's height with the Windows XP option alone.
inline constexpr int kAutostartFrameHeightXP = 1020;

std::vector<ControlRow> OptionsControls();

}  // namespace kal
