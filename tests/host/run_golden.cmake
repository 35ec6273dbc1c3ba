# Runs vrel-host over one scenario and compares its transcript with a golden
# file. A golden that starts at an input line ("# N: ...") is compared from
# the transcript's first input line on, so it need not repeat the start-up.
#
# -DHOST= -DLIBRARY= -DSCENARIO= -DGOLDEN= -DOUTPUT= -DWORKDIR= [-DEMULATOR=]
# [-DEXPECT_RC=0] [-DSITE=]
if(NOT DEFINED EXPECT_RC)
  set(EXPECT_RC 0)
endif()
set(site_args)
if(SITE)
  set(site_args --site ${SITE})
endif()
# The transcript is this test's own: vrel-host never writes over one that exists.
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${EMULATOR} ${HOST} --script ${LIBRARY} --panels panels ${site_args} --transcript ${OUTPUT} ${SCENARIO}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT rc EQUAL EXPECT_RC)
  message(FATAL_ERROR "vrel-host exited with ${rc}, expected ${EXPECT_RC}\n${out}\n${err}")
endif()

file(READ ${GOLDEN} expected)
file(READ ${OUTPUT} actual)
if(expected MATCHES "^# ")
  string(FIND "${actual}" "\n# " first_input)
  if(first_input EQUAL -1)
    message(FATAL_ERROR "the transcript ${OUTPUT} has no input line")
  endif()
  math(EXPR first_input "${first_input} + 1")
  string(SUBSTRING "${actual}" ${first_input} -1 actual)
endif()
if(NOT expected STREQUAL actual)
  file(WRITE ${OUTPUT}.compared "${actual}")
  execute_process(COMMAND diff -u ${GOLDEN} ${OUTPUT}.compared)
  message(FATAL_ERROR "transcript differs from ${GOLDEN}")
endif()
