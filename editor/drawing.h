// Drawing over GDI+ (the flat interface) for the editor's speaker field, effect graphs and
// panels. Each operation draws into a device context its caller owns, makes its own graphics
// object and deletes every GDI+ object it made before it returns. Colours are OLE colours
// (system colours allowed) with an opacity in percent. GDI+ starts with the first drawing and
// runs until ShutdownGdiplus (the editor closing).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/hextext.h"
#include "toolkit/font.h"

namespace kal {

// The GDI+ start-up token; 0 while GDI+ is not started.
extern ULONG_PTR gGdiplusToken;
void ShutdownGdiplus();

// The RGB value of an OLE colour; 0 when it can't be translated.
std::uint32_t TranslateOleColor(std::uint32_t oleColour);
// The GDI+ colour of an OLE colour with the opacity as alpha.
std::uint32_t ColorToARGB(std::uint32_t oleColour, int opacity);
// Each byte of the colour times |factor|, at most 255.
std::uint32_t ScaleColor(std::uint32_t oleColour, double factor);

// A copy of the bytes as a memory stream (released by the caller); null for no bytes.
IStream* StreamFromBytes(const Bytes& bytes);
// The bytes of a resource of this program; empty when it is missing.
Bytes ResourceBytes(const wchar_t* name, const wchar_t* type);

// The rectangle (0, 0, width, height): filled when asked, then outlined at opacity 100.
void DrawRectangleGdip(HDC dc, std::uint32_t lineColour, float width, float height, int lineWidth, bool filled,
                       std::uint32_t fillColour, int fillOpacity);
// A soft glow of rings around an ellipse centred on (cx, cy), then the ellipse filled.
void DrawShadowEllipse(HDC dc, float cx, float cy, float width, float height, std::uint32_t colour, int opacity,
                       int rings);
// The width wedge of the effect graphs (width 0 to 7), red or grey.
void DrawArcGdip(HDC dc, float cx, float cy, float diameter, int width, bool greyed);
// The depth disc of the effect graphs (depth 0 to 14), in the highlight colour or grey.
void DrawGradientEllipse(HDC dc, float cx, float cy, float diameter, int depth, bool greyed);
// A picture resource at (x, y, width, height), rotated by `angle` degrees around its centre,
// with a framed caption beside it; font null = the interface font at 7 points. Source width
// or height 0 = the picture's own; width or height 0 = the source's. False when nothing was
// drawn (no graphics, the resource did not load).
bool DrawCaptionGdip(const wchar_t* resource, const wchar_t* type, HDC dc, float x, float y, float width, float height,
                     float angle, const std::wstring& caption, const UIFont* font, std::uint32_t captionColour,
                     int opacity, float sourceX = 0, float sourceY = 0, float sourceWidth = 0, float sourceHeight = 0);

// The resource type of the editor's PNG pictures.
inline constexpr wchar_t kPictureType[] = L"PNG";

}  // namespace kal
