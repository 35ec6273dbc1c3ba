# What `cmake --install` puts where (GNUInstallDirs), in two components:
#   Runtime      the component, vrel-host with its panel files, the example
#                site configuration, README, its docs/ pages and CHANGELOG;
#   Development  the script kit: static library, headers, CMake package.
# vrel-host finds its panel files and the component relative to its own folder
# (host/core/install_layout.h), so an installed tree works wherever it lands.
include(CMakePackageConfigHelpers)

set(KELVANE_KIT_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VrelScriptKit)
set(KELVANE_KIT_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/kelvane)

if(WIN32)
  # The DLL goes where the panel host looks for scripts; see docs/windows.md.
  # The Visual C++ layout at the top, whichever layout the build's own
  # kelvane.dll has; the mingw-w64 one, when built, in its folder.
  if(NOT TARGET kelvane_other_layout)
    install(TARGETS kelvane RUNTIME DESTINATION . COMPONENT Runtime)
  elseif(KELVANE_HOST_ABI STREQUAL "msvc")
    install(TARGETS kelvane RUNTIME DESTINATION . COMPONENT Runtime)
    install(TARGETS kelvane_other_layout RUNTIME DESTINATION mingw-w64 COMPONENT Runtime)
  else()
    install(TARGETS kelvane_other_layout RUNTIME DESTINATION . COMPONENT Runtime)
    install(TARGETS kelvane RUNTIME DESTINATION mingw-w64 COMPONENT Runtime)
  endif()
  install(FILES config/velmorcast.ini DESTINATION config COMPONENT Runtime)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/DEPLOY.txt ${KELVANE_GENERATED_DIR}/DEPLOY.txt @ONLY)
  install(FILES ${KELVANE_GENERATED_DIR}/DEPLOY.txt ${PROJECT_SOURCE_DIR}/CHANGELOG.md
          DESTINATION . COMPONENT Runtime)
else()
  # A plug-in, loaded by path: in the package's own folder, not on the
  # linker's search path.
  install(TARGETS kelvane LIBRARY DESTINATION ${KELVANE_LIBRARY_INSTALL_DIR} COMPONENT Runtime)
  if(TARGET vrel-host)
    install(TARGETS vrel-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
    # The panel files as the build assembles them beside vrel-host.
    install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/panels/ DESTINATION ${KELVANE_PANELS_INSTALL_DIR}
            COMPONENT Runtime FILES_MATCHING PATTERN "*.vrel_ui")
  endif()
  install(FILES config/velmorcast.ini DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/config COMPONENT Runtime)
  install(FILES README.md CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT Runtime)
  # The README's pages, beside it so its links hold.
  install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs COMPONENT Runtime)
endif()

# The script kit: the library and the headers of its file set, under one
# include root (include/kelvane), which the exported target names.
install(TARGETS vrel_script_kit EXPORT VrelScriptKitTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
        FILE_SET HEADERS DESTINATION ${KELVANE_KIT_INCLUDE_DIR} COMPONENT Development)
install(EXPORT VrelScriptKitTargets NAMESPACE Vrel:: DESTINATION ${KELVANE_KIT_PACKAGE_DIR}
        COMPONENT Development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/templates/VrelScriptKitConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VrelScriptKitConfig.cmake INSTALL_DESTINATION ${KELVANE_KIT_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VrelScriptKitConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VrelScriptKitConfig.cmake ${PROJECT_BINARY_DIR}/VrelScriptKitConfigVersion.cmake
              ${CMAKE_CURRENT_LIST_DIR}/vrel_script.map
        DESTINATION ${KELVANE_KIT_PACKAGE_DIR} COMPONENT Development)
