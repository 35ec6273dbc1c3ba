# 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686): builds kelvane.dll.
#
# Only the component builds this way; configure with
# -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_HOST=OFF.
#
# The runtime libraries of gcc are linked in statically, so the DLL needs
# nothing beyond the system's own DLLs (KERNEL32.dll, msvcrt.dll) and no
# libstdc++ of another version can be picked up beside the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KELVANE_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVANE_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${KELVANE_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${KELVANE_MINGW_PREFIX}-windres)

set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

set(CMAKE_FIND_ROOT_PATH /usr/${KELVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
