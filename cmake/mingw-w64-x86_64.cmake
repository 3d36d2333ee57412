# Cross-build for 64-bit Windows with Debian's MinGW-w64 tool chain (the posix
# thread model: GoogleTest needs std::mutex); built
# programs (tests, benchmarks) run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIMBUS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIMBUS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIMBUS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TIMBUS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TIMBUS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# tools/wine-exec sets up the private prefix's environment and runs the exe.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec)
