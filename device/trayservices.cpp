#include "device/trayservices.h"

namespace kal {

DeviceWindowRoutes& WindowRoutes() {
    static DeviceWindowRoutes routes;
    return routes;
}

ITrayServices* TrayServices() { return WindowRoutes().tray ? WindowRoutes().tray() : nullptr; }

IInputLineEditor* InputLineEditor() {
    return WindowRoutes().inputLineEditor ? WindowRoutes().inputLineEditor() : nullptr;
}

}  // namespace kal
