// Shared main of the test executables.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <ole2.h>
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
    // As in the program: COM is initialised on the user-interface thread before anything runs.
    const HRESULT ole = ::OleInitialize(nullptr);
#endif
    const int rc = RUN_ALL_TESTS();
#ifdef _WIN32
    if (SUCCEEDED(ole)) ::OleUninitialize();
#endif
    return rc;
}
