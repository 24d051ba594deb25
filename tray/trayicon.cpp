#include "tray/trayicon.h"

#include <algorithm>
#include <cstring>
#include <list>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/displaytexts.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/profilevalues.h"
#include "device/validation.h"
#include "startup/globals.h"
#include "startup/settings.h"
#include "tray/balloons.h"
#include "tray/portable/trayrules.h"
#include "base/bitmaps.h"

namespace kal {
namespace {

bool ReadBits(HBITMAP bitmap, int width, int height, std::vector<std::uint32_t>& out) {
    BITMAPINFO bi = TopDown32BitInfo(width, height);
    out.assign(static_cast<std::size_t>(width * height), 0);
    // A memory device context: the screen's costs a trip to the display for every read, and the
    // tray icon reads its pictures several times on the start-up's way to showing it.
    const UniqueDC dc(::CreateCompatibleDC(nullptr));
    return ::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), out.data(), &bi, DIB_RGB_COLORS) == height;
}

}  // namespace

UniqueIcon LoadIconFromResource(const wchar_t* id, int cx, int cy, bool fromFile) {
    if (!id) return UniqueIcon();
    if (cx <= 0) cx = ::GetSystemMetrics(SM_CXICON);
    if (cy <= 0) cy = ::GetSystemMetrics(SM_CYICON);
    HINSTANCE module = fromFile ? nullptr : ::GetModuleHandleW(nullptr);
    const UINT flags = fromFile ? LR_LOADFROMFILE : 0;
    return UniqueIcon(static_cast<HICON>(::LoadImageW(module, id, IMAGE_ICON, cx, cy, flags)));
}

void SetIcon(HWND window, const wchar_t* id, bool alsoTopOwner) {
    if (!window) return;
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    // Shared icons at the system sizes live as long as the module.
    auto big = static_cast<HICON>(::LoadImageW(module, id, IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                               ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    auto small = static_cast<HICON>(::LoadImageW(module, id, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (alsoTopOwner) {
        HWND top = window;
        for (HWND owner = ::GetWindow(top, GW_OWNER); owner; owner = ::GetWindow(top, GW_OWNER)) top = owner;
        if (top != window) {
            ::SendMessageW(top, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
            ::SendMessageW(top, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        }
    }
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

IconPixels ReadIconPixels(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!::GetObjectW(mask.get(), sizeof bm, &bm)) return {};
    const int width = bm.bmWidth;
    // A monochrome icon keeps its AND and XOR masks one above the other.
    const int height = colour.get() ? bm.bmHeight : bm.bmHeight / 2;
    IconPixels pixels(width, height);
    std::vector<std::uint32_t> maskBits;
    if (!ReadBits(mask.get(), width, colour.get() ? height : height * 2, maskBits)) return {};
    for (std::size_t i = 0; i < pixels.transparent.size(); ++i) pixels.transparent[i] = (maskBits[i] & 0xFFFFFF) != 0;
    if (colour.get()) {
        if (!ReadBits(colour.get(), width, height, pixels.argb)) return {};
    } else {
        for (std::size_t i = 0; i < pixels.argb.size(); ++i)
            pixels.argb[i] = maskBits[i + pixels.argb.size()] & 0xFFFFFF;
    }
    bool hasAlpha = false;
    for (std::uint32_t p : pixels.argb) hasAlpha = hasAlpha || (p >> 24) != 0;
    if (!hasAlpha) AlphaFromMask(pixels);
    return pixels;
}

UniqueIcon MakeIcon(const IconPixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0) return UniqueIcon();
    const BITMAPINFO bi = TopDown32BitInfo(pixels.width, pixels.height);
    void* bits = nullptr;
    UniqueBitmap colour(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour.get() || !bits) return UniqueIcon();
    std::memcpy(bits, pixels.argb.data(), pixels.argb.size() * sizeof(std::uint32_t));
    // Monochrome rows are padded to 16 bits.
    const int stride = (pixels.width + 15) / 16 * 2;
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stride * pixels.height), 0);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (pixels.Clear(x, y)) maskBits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    UniqueBitmap mask(::CreateBitmap(pixels.width, pixels.height, 1, 1, maskBits.data()));
    if (!mask.get()) return UniqueIcon();
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.get();
    info.hbmMask = mask.get();
    return UniqueIcon(::CreateIconIndirect(&info));
}

UniqueIcon MergeIcons(HICON overlay, HICON base) {
    const IconPixels b = ReadIconPixels(base);
    if (b.width == 0) return UniqueIcon();
    return MakeIcon(Over(ReadIconPixels(overlay), b));
}

UniqueIcon ClearIconArea(HICON icon, int left, int top, int width, int height) {
    IconPixels pixels = ReadIconPixels(icon);
    if (pixels.width == 0) return UniqueIcon();
    if (left <= 0 && top <= 0 && left + width >= pixels.width && top + height >= pixels.height) return UniqueIcon();
    ClearArea(pixels, left, top, width, height);
    return MakeIcon(pixels);
}

bool IsIconLineTransparent(HICON icon, int row, int column) {
    return IsLineTransparent(ReadIconPixels(icon), row, column);
}

UniqueIcon ComposeVolumeIcon(HICON icon, Currency volume, bool& created) {
    created = false;
    const int s = ScaleByDPI(16, gDPI);
    const IconPixels base = ReadIconPixels(icon);
    const bool horizontal = UseHorizontalVolumeBar(EmptyRightColumns(base), EmptyBottomRows(base));
    // The overlay follows the system's look alone, whatever the legacy-icons setting says.
    const std::wstring name = Win10Variant(horizontal ? L"KV_VOLUME_H" : L"KV_VOLUME_V", gIsWin10);
    UniqueIcon overlay = LoadIconFromResource(name.c_str(), s, s);
    if (!overlay) return UniqueIcon();
    if (volume < 100 * kCurrencyScale) {
        const int level = VolumeLevelPixels(volume, s);
        if (level <= 0) return UniqueIcon();
        overlay = horizontal ? ClearIconArea(overlay.get(), level, 0, s - level, s)
                             : ClearIconArea(overlay.get(), 0, 0, s, s - level);
        if (!overlay) return UniqueIcon();
    }
    UniqueIcon merged = MergeIcons(overlay.get(), icon);
    created = static_cast<bool>(merged);
    return merged;
}

TrayIconRecipe ReadTrayIconRecipe() {
    TrayIconRecipe recipe;
    const std::wstring& output = gPlaybackLineIds[0];
    const bool active = gIsXP || (gAudio && gAudio->DeviceState(output) == DEVICE_STATE_ACTIVE);
    recipe.usable = active && GetLineMute(output, 0) == 0;

    std::wstring iconFile;
    bool customOverlay = false;
    const std::wstring activeProfile = GetActiveProfile();
    if (!activeProfile.empty()) GetProfileCustomIcon(activeProfile, iconFile, customOverlay);
    if (!iconFile.empty() && ValidateActiveProfile(true)) {
        recipe.picture = iconFile;
        recipe.fromFile = true;
        recipe.volumeOverlay = customOverlay;
    } else {
        const Bytes spdif = GetProfileValue(L"", L"SpDigitalOut");
        const Bytes speakers = GetProfileValue(L"", L"SpeakerConfig");
        recipe.picture = OutputPictureName(spdif.empty() ? 0 : spdif[0], speakers.empty() ? 0 : speakers[0]);
    }
    recipe.win10 = gIsWin10;
    // A user's own picture has no Windows 10 look: its mute overlay stays plain too.
    recipe.win10Look = gIsWin10 && !recipe.fromFile && !GetWin10LegacyIcons();
    recipe.picture = Win10Variant(recipe.picture, recipe.win10Look);
    recipe.size = ScaleByDPI(16, gDPI);
    if (recipe.usable && recipe.volumeOverlay) {
        Currency balance = 0;
        GetProfileVolumeBalance(recipe.volume, balance, 0, 0, L"");
    }
    return recipe;
}

UniqueIcon BuildTrayIcon(const TrayIconRecipe& recipe) {
    const int s = recipe.size;
    UniqueIcon icon = LoadIconFromResource(recipe.picture.c_str(), s, s, recipe.fromFile);
    if (!icon) icon = LoadIconFromResource(kProgramIcon, s, s);
    if (!icon) return icon;

    if (!recipe.usable) {
        const std::wstring mute = Win10Variant(L"KV_MUTE", recipe.win10Look);
        if (UniqueIcon overlay = LoadIconFromResource(mute.c_str(), s, s))
            if (UniqueIcon merged = MergeIcons(overlay.get(), icon.get())) return merged;
        return icon;
    }
    if (recipe.volumeOverlay) {
        bool created = false;
        if (UniqueIcon composed = ComposeVolumeIcon(icon.get(), recipe.volume, created); created) return composed;
    }
    return icon;
}

UniqueIcon BuildTrayIcon() { return BuildTrayIcon(ReadTrayIconRecipe()); }

namespace {
// The picture the shell shows now: a change that composes the same picture sends nothing.
IconPixels gShownPixels;

// Pictures composed from the program's own icons, newest first: switching back and forth
// between outputs composes each picture once. A user's file is read each time (it may change).
struct ComposedIcon {
    TrayIconRecipe recipe;
    UniqueIcon icon;
    IconPixels pixels;
};
std::list<ComposedIcon> gComposed;
constexpr std::size_t kComposedKept = 8;

const ComposedIcon& ComposedFor(const TrayIconRecipe& recipe, ComposedIcon& fresh) {
    if (!recipe.fromFile) {
        const auto kept = std::find_if(gComposed.begin(), gComposed.end(),
                                       [&recipe](const ComposedIcon& c) { return c.recipe == recipe; });
        if (kept != gComposed.end()) {
            gComposed.splice(gComposed.begin(), gComposed, kept);
            return gComposed.front();
        }
    }
    fresh.recipe = recipe;
    fresh.icon = BuildTrayIcon(recipe);
    fresh.pixels = ReadIconPixels(fresh.icon.get());
    if (recipe.fromFile || !fresh.icon || fresh.pixels.width <= 0) return fresh;
    gComposed.push_front(std::move(fresh));
    if (gComposed.size() > kComposedKept) gComposed.pop_back();
    return gComposed.front();
}
}  // namespace

void UpdateTrayIcon(bool recreate, const std::wstring* tip) {
    if (!recreate && !TrayIconAdded()) return;  // no icon to change (also under "/noui")
    // The shell copies the picture.
    ComposedIcon fresh;
    const ComposedIcon& picture = ComposedFor(ReadTrayIconRecipe(), fresh);
    if (recreate) {
        const bool added = AddTrayIcon(0, picture.icon.get(), tip ? *tip : TrayTooltipText());
        gShownPixels = added ? picture.pixels : IconPixels();
        return;
    }
    if (picture.pixels == gShownPixels && picture.pixels.width > 0) {
        if (tip) SetTrayTip(*tip);
        return;
    }
    // A change the shell refused is sent again at the next one; a new tip goes with the picture.
    gShownPixels = SetTrayIcon(picture.icon.get(), tip) ? picture.pixels : IconPixels();
}

void UpdateTrayIconAndTip() {
    if (!TrayIconAdded()) return;
    // The tip and the picture ask the same question of the card.
    ValidationScope validation;
    const std::wstring tip = TrayTooltipText();
    UpdateTrayIcon(false, &tip);
}

}  // namespace kal
