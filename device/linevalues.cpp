#include "device/linevalues.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <vector>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/mixervalues.h"
#include "device/trayservices.h"
#include "device/transport.h"
#include "startup/utility.h"

namespace kal {

void StampSelfChange() { gLastSelfChange.store(::timeGetTime()); }

bool IsSelfChange() { return WithinOwnChangeWindow(::timeGetTime(), gLastSelfChange.load()); }

std::int16_t GetLineMute(const std::wstring& line, std::uint32_t flow) {
    std::int16_t value = 0;
    if (gAudio) gAudio->LineMuteOperation(line, flow, value, false);
    return value;
}

void SetLineMute(const std::wstring& line, std::uint32_t flow, std::int16_t value) {
    StampSelfChange();
    if (gAudio) gAudio->LineMuteOperation(line, flow, value, true);
}

void OnSpeakersOutputChanged(const std::wstring& id, std::uint32_t state) {
    const bool active = state == kDeviceStateActive;
    if (id != gPlaybackLineIds[0]) {
        const int k = InputLineIndex(id);
        if (IInputLineEditor* editor = InputLineEditor(); editor && k != -1) editor->InputLineStateChanged(k, active);
        if (ITrayServices* tray = TrayServices()) tray->RefreshProfilesForm();
        return;
    }
    if (ITrayServices* tray = TrayServices()) tray->SpeakersOutputChanged(active);
}

}  // namespace kal
