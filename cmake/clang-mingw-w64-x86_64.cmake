# The second compiler: Debian's clang targeting 64-bit Windows against the same
# MinGW-w64 headers and libraries (the win32 thread model's libstdc++, which
# needs no pthread library). Used to keep the sources portable and
# warning-free; tools/test builds the program with it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIMBUS_MINGW_PREFIX x86_64-w64-mingw32)
set(TIMBUS_MINGW_GCC_DIR /usr/lib/gcc/${TIMBUS_MINGW_PREFIX}/12-win32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TIMBUS_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TIMBUS_MINGW_PREFIX})
set(CMAKE_RC_COMPILER ${TIMBUS_MINGW_PREFIX}-windres)

set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${TIMBUS_MINGW_GCC_DIR}/include/c++ -isystem ${TIMBUS_MINGW_GCC_DIR}/include/c++/${TIMBUS_MINGW_PREFIX} -isystem ${TIMBUS_MINGW_GCC_DIR}/include/c++/backward")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=bfd -L${TIMBUS_MINGW_GCC_DIR}")

set(CMAKE_FIND_ROOT_PATH /usr/${TIMBUS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec)
