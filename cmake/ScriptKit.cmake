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
# The headers a script includes, and nothing else: the base class, the records
# and views its handlers receive, the string, list and configuration classes,
# and the entry with its export macro. One include root, the project's in the
# tree and include/kelvane once installed, so a script includes
# "runtime/vrel_script_helper.h" and "runtime/boundary/vrel_script_entry.h"
# the same way from both. A header one of these includes belongs here too
# (the test script_kit_headers_stand_alone fails otherwise).
target_sources(vrel_script_kit PUBLIC
  FILE_SET HEADERS
  BASE_DIRS ${PROJECT_SOURCE_DIR}
  FILES
    hostlib/vrel_config.h
    hostlib/vrel_string.h
    hostlib/vrel_stringlist.h
    runtime/decode_vrel_string.h
    runtime/notify_views.h
    runtime/vrel_script_helper.h
    runtime/boundary/notify_records.h
    runtime/boundary/parsed_command.h
    runtime/boundary/vrel_client_callback.h
    runtime/boundary/vrel_script_entry.h)
# In this tree whatever links the kit takes the sanitizers its objects were
# built with; the installed kit names no target of this tree.
target_link_libraries(vrel_script_kit INTERFACE $<BUILD_INTERFACE:kelvane_sanitizers>)
# A script compiles the boundary in the layout the kit was built in.
target_compile_definitions(vrel_script_kit INTERFACE VREL_HOST_ABI_MSVC=${KELVANE_HOST_ABI_MSVC})

# A library that links the kit exports load_vrel_client_script and nothing
# else: hidden visibility alone leaves the standard library's templates
# (instantiated with default visibility) exported.
set(KELVANE_SCRIPT_MAP_GENEX
  "$<$<AND:$<PLATFORM_ID:Linux>,$<OR:$<STREQUAL:$<TARGET_PROPERTY:TYPE>,MODULE_LIBRARY>,$<STREQUAL:$<TARGET_PROPERTY:TYPE>,SHARED_LIBRARY>>>:LINKER:--version-script=<VREL_SCRIPT_MAP>>")
string(REPLACE "<VREL_SCRIPT_MAP>" "${CMAKE_CURRENT_LIST_DIR}/vrel_script.map" _kit_map_option "${KELVANE_SCRIPT_MAP_GENEX}")
target_link_options(vrel_script_kit INTERFACE $<BUILD_INTERFACE:${_kit_map_option}>)
