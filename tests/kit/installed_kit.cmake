# Installs the script kit of the build tree BUILD into WORK/prefix and uses it
# as a script writer would, from outside the tree:
#  - each installed header is compiled alone, with the kit's one include root
#    as the only way into the kit, so a header that needs one left out of the
#    kit, or a wrong include root in the package, fails here;
#  - the example script EXAMPLE is configured and built against the package
#    and must export load_vrel_client_script and nothing else.
#
# -DBUILD= -DWORK= -DINCLUDE_DIR=<include root under the prefix> -DEXAMPLE=
# -DNESTED=<configure arguments, '|'-separated> [-DNM=]
string(REPLACE "|" ";" nested "${NESTED}")

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
run("installing the kit" ${CMAKE_COMMAND} --install ${BUILD} --component Development --prefix ${prefix})

set(root ${prefix}/${INCLUDE_DIR})
file(GLOB_RECURSE headers RELATIVE ${root} ${root}/*)
list(FILTER headers INCLUDE REGEX "\\.h$")
if(NOT headers)
  message(FATAL_ERROR "no headers installed under ${root}")
endif()
file(GLOB_RECURSE everything RELATIVE ${prefix}/include ${prefix}/include/*)
foreach(file IN LISTS everything)
  if(NOT file MATCHES "^kelvane/")
    message(FATAL_ERROR "the kit installs ${file} outside its include root ${INCLUDE_DIR}")
  endif()
endforeach()

# One translation unit per header, which includes that header and nothing else.
set(consumer ${WORK}/headers)
set(sources)
foreach(header IN LISTS headers)
  string(MAKE_C_IDENTIFIER ${header} name)
  file(WRITE ${consumer}/${name}.cpp "#include \"${header}\"\n")
  list(APPEND sources ${name}.cpp)
endforeach()
file(WRITE ${consumer}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(kit_headers LANGUAGES CXX)
find_package(VrelScriptKit 1 REQUIRED)
add_library(kit_headers OBJECT ${sources})
target_link_libraries(kit_headers PRIVATE Vrel::script_kit)
")
run("configuring the header check" ${CMAKE_COMMAND} -S ${consumer} -B ${consumer}/build ${nested}
  -DCMAKE_PREFIX_PATH=${prefix})
run("compiling each installed header alone" ${CMAKE_COMMAND} --build ${consumer}/build)

set(example ${WORK}/example)
run("configuring the example against the installed kit" ${CMAKE_COMMAND} -S ${EXAMPLE} -B ${example} ${nested}
  -DCMAKE_PREFIX_PATH=${prefix})
run("building the example against the installed kit" ${CMAKE_COMMAND} --build ${example})

if(NM)
  file(GLOB library ${example}/*source_browser*)
  execute_process(COMMAND ${NM} -D --defined-only ${library} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm could not read ${library}")
  endif()
  string(REGEX REPLACE "[^\n]* [A-Za-z] " "" names "${symbols}")
  string(STRIP "${names}" names)
  if(NOT names STREQUAL "load_vrel_client_script")
    message(FATAL_ERROR "the example built on the installed kit exports:\n${names}")
  endif()
endif()
message(STATUS "${prefix}: ${headers}")
