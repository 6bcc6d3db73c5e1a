# Cross-build for 64-bit Windows with Debian's mingw-w64 (the posix-threads flavour, which std::mutex
# and std::thread need). Tests run through Wine: see cmake/WineEmulator.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELLICOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELLICOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLICOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLICOR_MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${VELLICOR_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${VELLICOR_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

# Libraries and headers come from the mingw sysroot and from what the build itself installs for
# Windows (libpng, GoogleTest), never from the Linux system.
set(CMAKE_FIND_ROOT_PATH /usr/${VELLICOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable and module carries its own C++ runtime, libgcc and winpthread, so that a module
# imports only DLLs that every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
