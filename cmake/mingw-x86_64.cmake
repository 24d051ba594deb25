# Cross-compilation to 64-bit Windows with MinGW-w64: the tests and the demo on a machine whose
# kernel runs no 32-bit programs, and so no 32-bit Wine (tools/kalvenor.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KALVENOR_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
