#include "startup/main.h"

#include <windows.h>
#include <ole2.h>

#include "startup/catalogue.h"
#include "startup/globals.h"
#include "startup/tables.h"

namespace kal {

int Main(const std::wstring& /*commandLine*/) {
    // The program expects COM to be initialised before anything else runs.
    const HRESULT ole = ::OleInitialize(nullptr);

    BuildCardCatalogue();
    BuildDriverDefaults(gIsXP);

    if (SUCCEEDED(ole)) ::OleUninitialize();
    return 0;
}

}  // namespace kal
