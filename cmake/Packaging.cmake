# Packages, named with the project's version:
#   Debian (cpack -G DEB): kelvane (the component, vrel-host, panel files,
#     documents) and kelvane-dev (the script kit); dependencies from
#     dpkg-shlibdeps, so they name exactly the libraries the binaries use.
#   Windows (cpack -G ZIP in the mingw or Visual C++ build): kelvane.dll, the
#     example configuration and DEPLOY.txt, without the kit.
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "Kelvane")
set(CPACK_PACKAGE_CONTACT "Kelvane maintainers <kelvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "UMD name editor script component for the VREL panel host")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# Release packages carry no debug information (the build tree keeps it).
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Runtime)
  set(CPACK_ARCHIVE_RUNTIME_FILE_NAME kelvane-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Runtime Development)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME kelvane)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME kelvane-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  # A static library and headers: it needs only a C++17 compiler.
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "g++ | clang")
  set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
      "Kelvane lets an operator edit the names that under-monitor displays show.\n\
It holds the panel script component and vrel-host, a host simulator that runs\n\
it without the control system (try: vrel-host --demo).")
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
      "The script kit, for writing panel scripts: the runtime and string layer of\n\
Kelvane as one static library with its headers\n\
and the CMake package VrelScriptKit (target Vrel::script_kit).")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()

set(CPACK_COMPONENT_RUNTIME_DISPLAY_NAME "Component and host simulator")
set(CPACK_COMPONENT_DEVELOPMENT_DISPLAY_NAME "Script kit")
include(CPack)
