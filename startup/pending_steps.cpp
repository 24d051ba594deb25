// Start-up steps whose subsystems are not part of the program yet: no update is offered.
#include "startup/steps.h"

namespace kal {

bool IsUpdateAvailable() { return false; }
bool DownloadUpdate() { return false; }

}  // namespace kal
