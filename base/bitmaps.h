// The header of a top-down 32-bit bitmap without compression (rows from the top, one 0xAARRGGBB
// value a pixel): the form in which the program composes, reads and draws its pictures.
#pragma once
#include <windows.h>

namespace kal {

inline BITMAPINFO TopDown32BitInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace kal
