#include <windows.h>

#include "sim/parts.h"

namespace kal::sim {
namespace {

// No card interface is registered yet: every request finds no device.
HANDLE OpenNothing(const wchar_t*) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

void InstallSimDriver(Platform& p) { p.OpenDeviceInterface = OpenNothing; }

}  // namespace kal::sim
