// OLE colours: a value with the high bit set names a system colour.
#pragma once
#include <windows.h>

#include <cstdint>

namespace kal {

constexpr std::uint32_t kSysButtonFace = 0x8000000F;

// The RGB value of an OLE colour; -1 when it can't be translated.
std::int32_t TranslateColor(std::uint32_t oleColour, HPALETTE palette = nullptr);

}  // namespace kal
