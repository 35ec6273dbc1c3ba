# Runs vrel-host with some arguments and checks its exit status and that its
# messages (standard output and error together) match a pattern. With
# -DMERGED=ON both go through one pipe, in the order they were written, as
# when a console or a log file takes both.
#
# -DHOST= -DWORKDIR= -DEXPECT_RC= -DEXPECT= -DARGS=a;b;c [-DEMULATOR=] [-DINPUT=file]
# [-DMERGED=ON]
set(input_args)
if(INPUT)
  set(input_args INPUT_FILE ${INPUT})
endif()
set(err_variable err)
if(MERGED)
  set(err_variable out)
endif()
set(err "")
execute_process(
  COMMAND ${EMULATOR} ${HOST} ${ARGS}
  WORKING_DIRECTORY ${WORKDIR}
  ${input_args}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE ${err_variable})
if(NOT rc EQUAL EXPECT_RC)
  message(FATAL_ERROR "vrel-host exited with ${rc}, expected ${EXPECT_RC}\n${out}\n${err}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "vrel-host said:\n${out}\n${err}\nwhich does not match: ${EXPECT}")
endif()
