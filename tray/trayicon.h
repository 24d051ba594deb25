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

// What the tray picture is made of: the output's picture (or the active profile's own file),
// whether the output is usable (else the mute overlay), and the volume drawn over it.
struct TrayIconRecipe {
    std::wstring picture;
    bool fromFile = false;
    bool usable = false;
    bool win10Look = false;  // the output and mute pictures (the legacy-icons setting; never a file's)
    bool win10 = false;      // the volume overlay, which follows the system alone
    bool volumeOverlay = true;
    Currency volume = 0;
    int size = 16;
    bool operator==(const TrayIconRecipe&) const = default;
};
// The recipe for the present state: the card's output and mute, the active profile, the volume.
TrayIconRecipe ReadTrayIconRecipe();
// The tray picture (never null while the resources are present).
UniqueIcon BuildTrayIcon(const TrayIconRecipe& recipe);
UniqueIcon BuildTrayIcon();
// Rebuilds the picture: recreate adds the icon (with the tip), else the shown one changes.
// With `tip`, the tip changes too, in the same request as the picture when both change.
void UpdateTrayIcon(bool recreate, const std::wstring* tip = nullptr);
// Shows the present state in the picture and the tip: after a menu rebuild, and after every
// change of the master output's mute or volume.
void UpdateTrayIconAndTip();

}  // namespace kal
