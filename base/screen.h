// The screen's resolution in pixels per logical inch, read from the screen's device context once
// per process (the system fixes it for the session; the manifest's DPI awareness makes it the
// real setting). 96, that is 100 %, when the screen can't tell.
#pragma once

namespace kal {

int ScreenDpiX();  // horizontal (LOGPIXELSX)
int ScreenDpiY();  // vertical (LOGPIXELSY)

}  // namespace kal
