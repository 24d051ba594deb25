#include "base/screen.h"

#include <windows.h>

#include "base/raii.h"

namespace kal {
namespace {

int ReadScreenDpi(int index) {
    const ScreenDC screen;
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), index) : 0;
    return dpi > 0 ? dpi : 96;
}

}  // namespace

int ScreenDpiX() {
    static const int dpi = ReadScreenDpi(LOGPIXELSX);
    return dpi;
}

int ScreenDpiY() {
    static const int dpi = ReadScreenDpi(LOGPIXELSY);
    return dpi;
}

}  // namespace kal
