# One version for everything, taken from project(): the header vrel-host
# prints with --version, the version record of kelvane.dll, the package names.
set(KELVANE_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/kelvane_version.h.in
               ${KELVANE_GENERATED_DIR}/kelvane_version.h @ONLY)
if(WIN32)
  enable_language(RC)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/kelvane.rc.in
                 ${KELVANE_GENERATED_DIR}/kelvane.rc @ONLY)
endif()
