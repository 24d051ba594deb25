#include "tray/app.h"

#include <memory>

#include "base/log.h"
#include "device/audio.h"
#include "device/trayservices.h"
#include "editor/profileform.h"
#include "editor/profiles.h"
#include "tray/about.h"
#include "tray/formopeners.h"
#include "tray/mainform.h"
#include "tray/options.h"
#include "tray/update.h"
#include "tray/volumeform.h"

namespace kal {

void RouteDeviceToWindows() {
    WindowRoutes() = {[]() -> ITrayServices* { return MainTrayForm(); },
                      []() -> IInputLineEditor* { return ProfileEditor(); }};
}

int RunTrayApplication() {
    // The audio object normally exists already; the main form can't do without it.
    if (!gAudio) CreateAudioObject();
    RouteDeviceToWindows();
    TrayOpeners().volume = &ShowVolumePopup;
    TrayOpeners().profileManager = &ShowProfiles;
    TrayOpeners().realTimeSettings = &ShowRealTimeSettings;
    TrayOpeners().options = &ShowOptions;
    TrayOpeners().about = &ShowAbout;
    TrayOpeners().updateAvailable = &IsUpdateAvailable;
    TrayOpeners().downloadUpdate = &DownloadUpdate;
    TrayOpeners().redirectLine = &GetRedirect;
    const std::wstring arguments = ProgramArguments();
    // The card search runs on the worker while the form makes its window.
    StartCardSearchFor(arguments);
    auto form = std::make_unique<frmKalvenor>(arguments);
    try {
        form->Load();
    } catch (...) {
        LogCaught(L"RunTrayApplication");
        form->Unload();
        return 1;
    }
    return RunMessageLoop();
}

StartupSteps TrayStartupSteps() {
    return {&IsUpdateAvailable, &DownloadUpdate, [] { CreateAudioObject(); }, &ReleaseAudioObject,
            &RunTrayApplication};
}

}  // namespace kal
