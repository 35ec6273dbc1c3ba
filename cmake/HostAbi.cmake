# KELVANE_HOST_ABI: the vtable layout of the boundary (vrel_client_callback),
# the one thing the host and a script must agree on beyond the records.
#
#   msvc    what a host built with Visual C++ calls: slot 0 the scalar deleting
#           destructor, slot 1 notify, both thiscall on 32-bit x86. The default
#           for 32-bit Windows built with gcc (mingw-w64), whose own layout a
#           Visual C++ host cannot use.
#   native  the compiler's own layout, for a host built with the same
#           compiler. The default everywhere else (Visual C++ itself: its own
#           layout is the msvc one).
#
# Every target that includes the boundary gets VREL_HOST_ABI_MSVC (1 or 0)
# through vrel_boundary and the script kit.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(_kelvane_default_abi msvc)
else()
  set(_kelvane_default_abi native)
endif()
set(KELVANE_HOST_ABI ${_kelvane_default_abi} CACHE STRING
  "vtable layout of the host boundary: msvc (Visual C++ host) or native (host built with this compiler)")
set_property(CACHE KELVANE_HOST_ABI PROPERTY STRINGS native msvc)
if(NOT KELVANE_HOST_ABI MATCHES "^(native|msvc)$")
  message(FATAL_ERROR "KELVANE_HOST_ABI is \"${KELVANE_HOST_ABI}\"; it must be native or msvc")
endif()

# kelvane_host_abi_flag(LAYOUT OUT): the value of VREL_HOST_ABI_MSVC for LAYOUT.
function(kelvane_host_abi_flag layout out)
  if(layout STREQUAL "msvc")
    set(${out} 1 PARENT_SCOPE)
  else()
    set(${out} 0 PARENT_SCOPE)
  endif()
endfunction()
kelvane_host_abi_flag(${KELVANE_HOST_ABI} KELVANE_HOST_ABI_MSVC)
message(STATUS "Host boundary layout: ${KELVANE_HOST_ABI}")
