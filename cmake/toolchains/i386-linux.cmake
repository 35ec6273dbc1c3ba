# 32-bit x86 Linux, the layout of the panel host: int and pointer are 4 bytes.
#
# Built with the native gcc and -m32 (Debian's g++-multilib). The kernel of a
# 64-bit build machine may refuse to start 32-bit programs, so tests and test
# discovery run them under qemu-i386 (Debian's qemu-user). Debian ships
# GoogleTest for the native architecture only: configure with
# -DKELVANE_GTEST_FROM_SOURCE=ON to build it from /usr/src/googletest.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# 64-bit file offsets and inode numbers: without them readdir() and stat() fail
# with EOVERFLOW on today's file systems.
set(CMAKE_C_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# The multilib packages put the 32-bit loader at /lib/ld-linux.so.2 and the
# libraries in /usr/lib32, which is where the loader looks anyway; "-L /" makes
# qemu take the host's root as the guest's.
find_program(KELVANE_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${KELVANE_QEMU_I386};-L;/")

# Headers are shared; libraries must be the 32-bit ones.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
