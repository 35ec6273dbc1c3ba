# One version for everything, taken from project(): the header vrel-host
# prints with --version, the version record of kelvane.dll, the package names.
set(KELVANE_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/kelvane_version.h.in
               ${KELVANE_GENERATED_DIR}/kelvane_version.h @ONLY)
if(WIN32)
  enable_language(RC)
  # One version record per boundary layout: it tells a site which host the
  # DLL is for (Properties, Details, File description).
  set(KELVANE_LAYOUT_FOR_msvc "a host built with Visual C++")
  set(KELVANE_LAYOUT_NOTE_msvc "Visual C++ layout: slot 0 scalar deleting destructor, slot 1 notify, thiscall")
  set(KELVANE_LAYOUT_FOR_native "a host built with ${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}")
  set(KELVANE_LAYOUT_NOTE_native "${CMAKE_CXX_COMPILER_ID} layout: the compiler's own vtable for the callback interface")
  if(MSVC)  # Visual C++ or clang-cl: the compiler's own layout is the Visual C++ one
    set(KELVANE_LAYOUT_FOR_native "${KELVANE_LAYOUT_FOR_msvc}")
    set(KELVANE_LAYOUT_NOTE_native "${KELVANE_LAYOUT_NOTE_msvc}")
  elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(KELVANE_LAYOUT_FOR_native "a host built with mingw-w64 (gcc)")
    set(KELVANE_LAYOUT_NOTE_native "mingw-w64 layout: two destructor slots, then notify, thiscall")
  endif()
  foreach(layout msvc native)
    set(KELVANE_LAYOUT_FOR "${KELVANE_LAYOUT_FOR_${layout}}")
    set(KELVANE_LAYOUT_NOTE "${KELVANE_LAYOUT_NOTE_${layout}}")
    configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/kelvane.rc.in
                   ${KELVANE_GENERATED_DIR}/kelvane-${layout}.rc @ONLY)
  endforeach()
endif()
