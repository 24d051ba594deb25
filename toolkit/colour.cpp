#include "toolkit/colour.h"

#include <olectl.h>

namespace kal {

std::int32_t TranslateColor(std::uint32_t oleColour, HPALETTE palette) {
    COLORREF rgb = 0;
    if (FAILED(::OleTranslateColor(static_cast<OLE_COLOR>(oleColour), palette, &rgb))) return -1;
    return static_cast<std::int32_t>(rgb);
}

}  // namespace kal
