// The tray icon's picture, composed from the card's live state: the output (headphones,
// speakers, digital) or the active profile's own icon, with the mute or the volume overlay, at
// the screen's dpi. Also the window icons every form sets.
#pragma once
#include <windows.h>

#include <string>

#include "base/hextext.h"
#include "base/raii.h"
#include "tray/portable/iconpixels.h"

namespace kal {

// The program's icon resource.
inline const wchar_t* const kProgramIcon = MAKEINTRESOURCEW(1);

// An icon of the program's resources (by name or number) or, fromFile, of an icon file, at
// cx x cy pixels (0: the system's large-icon size). Null when it can't be loaded.
UniqueIcon LoadIconFromResource(const wchar_t* id, int cx = 0, int cy = 0, bool fromFile = false);
// The window's big and small icons (and first its top-level owner's, when asked).
void SetIcon(HWND window, const wchar_t* id, bool alsoTopOwner = false);

// The picture of an icon and back; a picture without alpha takes it from the mask.
IconPixels ReadIconPixels(HICON icon);
UniqueIcon MakeIcon(const IconPixels& pixels);

// A new icon: `base` with `overlay` drawn over it.
UniqueIcon MergeIcons(HICON overlay, HICON base);
// A copy with the rectangle made fully transparent; null when it covers the whole icon.
UniqueIcon ClearIconArea(HICON icon, int left, int top, int width, int height);
// Row -1: whether the column is fully transparent in the mask; column -1: the row.
bool IsIconLineTransparent(HICON icon, int row, int column);

// `icon` with the volume level drawn over it (volume 0..100); null (created false) when the
// level is 0 pixels and the icon stays as it is.
UniqueIcon ComposeVolumeIcon(HICON icon, Currency volume, bool& created);

// The tray picture for the present state (never null while the resources are present).
UniqueIcon BuildTrayIcon();
// Rebuilds the picture: recreate adds the icon (with the tip), else the shown one changes.
void UpdateTrayIcon(bool recreate);

}  // namespace kal
