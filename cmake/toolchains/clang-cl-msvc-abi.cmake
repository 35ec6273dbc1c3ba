# A check, not a build to ship: the project configured and compiled as for
# Visual C++ on 32-bit Windows, with clang-cl (the MSVC driver of clang: the
# Microsoft C++ ABI, MSVC options, CMake's MSVC code paths) and llvm-rc.
#
# Visual C++'s headers and libraries cannot be had on this machine, so
# mingw-w64's C and C++ library headers stand in for the headers (which needs
# clang's GNU mode inside the MSVC driver), and nothing is linked: a library's
# link is replaced by touching its output. On Windows use the CMake preset
# msvc-win32 with Visual C++ itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)

set(_llvm /usr/lib/llvm-14/bin)
set(CMAKE_CXX_COMPILER ${_llvm}/clang-cl)
set(CMAKE_RC_COMPILER ${_llvm}/llvm-rc)
set(CMAKE_LINKER ${_llvm}/lld-link)
set(CMAKE_AR ${_llvm}/llvm-lib)
set(CMAKE_MT ${_llvm}/llvm-mt)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

file(GLOB _mingw_cxx LIST_DIRECTORIES true /usr/lib/gcc/i686-w64-mingw32/*-win32/include/c++)
list(SORT _mingw_cxx COMPARE NATURAL)
list(GET _mingw_cxx -1 _mingw_cxx)
set(_mingw_include /usr/i686-w64-mingw32/include)
# /X: not the INCLUDE variable; the stand-in headers, and what they expect of gcc.
set(CMAKE_CXX_FLAGS_INIT "--target=i686-pc-windows-msvc -fno-ms-compatibility /X \
-imsvc ${_mingw_cxx} -imsvc ${_mingw_cxx}/i686-w64-mingw32 -imsvc ${_mingw_include} \
-D_X86_ -D__restrict__=__restrict -D_ALLOCA_S_MARKER_SIZE=8")
set(CMAKE_RC_FLAGS_INIT "-I${_mingw_include}")

# Read after the platform's own rules, so that no link is attempted.
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/no-link-rules.cmake)
