# The body of both MinGW-w64 toolchain files (posix thread model); each sets
# CMAKE_SYSTEM_PROCESSOR and KALVENOR_MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${KALVENOR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALVENOR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${KALVENOR_MINGW_PREFIX}-windres)
set(CMAKE_OBJCOPY      ${KALVENOR_MINGW_PREFIX}-objcopy)

set(CMAKE_FIND_ROOT_PATH /usr/${KALVENOR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# x87 arithmetic misses byte-exact float encodings by the last bit.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
