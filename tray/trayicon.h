// The tray icon's picture, composed from the card's live state: the output (headphones,
// speakers, digital) or the active profile's own icon, with the mute or the volume overlay, at
// the screen's dpi. Also the window icons every form sets (declared in tray/host.h with the
// other icon helpers the editor shares).
#pragma once
#include <windows.h>

#include <string>

#include "base/hextext.h"
#include "base/raii.h"
#include "tray/host.h"
#include "tray/portable/iconpixels.h"

namespace kal {

// The picture of an icon and back; a picture without alpha takes it from the mask.
IconPixels ReadIconPixels(HICON icon);
UniqueIcon MakeIcon(const IconPixels& pixels);

// A copy with the rectangle made fully transparent; null when it covers the whole icon.
UniqueIcon ClearIconArea(HICON icon, int left, int top, int width, int height);
// Row -1: whether the column is fully transparent in the mask; column -1: the row.
bool IsIconLineTransparent(HICON icon, int row, int column);

// The tray picture for the present state (never null while the resources are present).
UniqueIcon BuildTrayIcon();
// Rebuilds the picture: recreate adds the icon (with the tip), else the shown one changes.
void UpdateTrayIcon(bool recreate);

}  // namespace kal
