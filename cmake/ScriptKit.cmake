# The script kit: the runtime and the string layer as ONE static library, so a
# script (a class deriving from vrel_script_helper, its handlers and one
# export) links one target. Installed with its headers and an exported CMake
# package:
#
#   find_package(VrelScriptKit 1 REQUIRED)
#   add_library(my_script MODULE my_script.cpp)
#   target_link_libraries(my_script PRIVATE Vrel::script_kit)
#
# The parts are the object libraries of the runtime and of everything it
# builds on; a part added to the runtime later goes into KELVANE_KIT_PARTS.
set(KELVANE_KIT_PARTS vrel_hostlib vrel_boundary vrel_runtime)
set(_kit_objects)
foreach(part IN LISTS KELVANE_KIT_PARTS)
  list(APPEND _kit_objects $<TARGET_OBJECTS:${part}>)
endforeach()
add_library(vrel_script_kit STATIC ${_kit_objects})
add_library(Vrel::script_kit ALIAS vrel_script_kit)
set_target_properties(vrel_script_kit PROPERTIES EXPORT_NAME script_kit OUTPUT_NAME vrel_script_kit)
target_compile_features(vrel_script_kit INTERFACE cxx_std_17)
# A script compiles the boundary in the layout the kit was built in.
target_compile_definitions(vrel_script_kit INTERFACE VREL_HOST_ABI_MSVC=${KELVANE_HOST_ABI_MSVC})
# Headers include each other by plain name and by "../hostlib/...", or by paths
# from the kit's root: all three work from the installed tree and from here.
target_include_directories(vrel_script_kit INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/hostlib>
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/runtime>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kelvane>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kelvane/hostlib>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kelvane/runtime>)

# A library that links the kit exports load_vrel_client_script and nothing
# else: hidden visibility alone leaves the standard library's templates
# (instantiated with default visibility) exported.
set(KELVANE_SCRIPT_MAP_GENEX
  "$<$<AND:$<PLATFORM_ID:Linux>,$<OR:$<STREQUAL:$<TARGET_PROPERTY:TYPE>,MODULE_LIBRARY>,$<STREQUAL:$<TARGET_PROPERTY:TYPE>,SHARED_LIBRARY>>>:LINKER:--version-script=<VREL_SCRIPT_MAP>>")
string(REPLACE "<VREL_SCRIPT_MAP>" "${CMAKE_CURRENT_LIST_DIR}/vrel_script.map" _kit_map_option "${KELVANE_SCRIPT_MAP_GENEX}")
target_link_options(vrel_script_kit INTERFACE $<BUILD_INTERFACE:${_kit_map_option}>)
