#include "tray/app.h"

#include <memory>

#include "device/audio.h"
#include "startup/steps.h"
#include "tray/mainform.h"

namespace kal {

int RunTrayApplication() {
    // The audio object normally exists already; the main form can't do without it.
    if (!gAudio) CreateAudioObject();
    auto form = std::make_unique<frmKalvenor>(ProgramArguments());
    try {
        form->Load();
    } catch (...) {
        form->Unload();
        return 1;
    }
    return RunMessageLoop();
}

int RunMainForm() { return RunTrayApplication(); }

}  // namespace kal
