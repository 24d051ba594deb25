// How the tray menu reaches the windows it opens. Each window's own code fills its entry when it
// becomes part of the program; a menu item whose entry is empty stays disabled.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace kal {

struct TrayWindowOpeners {
    // Loads and shows the volume pop-up; returns its window (null when none opened).
    std::function<HWND()> volume;
    // The profile manager, modeless.
    std::function<void()> profileManager;
    // The editor in real-time mode.
    std::function<void()> realTimeSettings;
    // The options window (it restores the arrow cursor), modeless.
    std::function<void()> options;
    // The About box, modeless.
    std::function<void()> about;
    // True when the update server offers a later revision of this version.
    std::function<bool()> updateAvailable;
    // Downloads and starts the self-update; true when the program must end for the updater.
    std::function<bool()> downloadUpdate;
    // Line n of the update server's redirect list ("" when unknown).
    std::function<std::wstring(int)> redirectLine;
};

TrayWindowOpeners& TrayOpeners();

// A form that normally only hides when asked to close implements this; the main form calls
// AllowUnload before unloading it at exit.
class IUnloadOnExit {
public:
    virtual void AllowUnload() = 0;

protected:
    ~IUnloadOnExit() = default;
};

}  // namespace kal
