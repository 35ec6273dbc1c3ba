# A saved transcript replays to the same lines; one edited by a single
# character fails, naming the line.
#
# -DHOST= -DWORKDIR= -DFOLDER= [-DEMULATOR=]
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${EMULATOR} ${HOST} --demo --transcript ${FOLDER}/demo.log
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vrel-host --demo exited with ${rc}")
endif()
execute_process(COMMAND ${EMULATOR} ${HOST} --replay ${FOLDER}/demo.log
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "all the same")
  message(FATAL_ERROR "the demo's own transcript does not replay (${rc}):\n${out}\n${err}")
endif()

# Two positions: every line carries its position, and the transcript replays clean.
execute_process(COMMAND ${EMULATOR} ${HOST} --demo --instances 2 --transcript ${FOLDER}/positions.log
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND ${EMULATOR} ${HOST} --replay ${FOLDER}/positions.log
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc2 OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT rc2 EQUAL 0 OR NOT out MATCHES "all the same")
  message(FATAL_ERROR "the two-position demo does not replay (${rc}, ${rc2}):\n${out}\n${err}")
endif()

# One character of the rename's command text, as if last week's build had sent it.
file(READ ${FOLDER}/demo.log saved)
string(FIND "${saved}" "> RM 60 3 17 'Cam 17' 0" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the demo's transcript has no rename")
endif()
string(SUBSTRING "${saved}" 0 ${at} head)
string(REGEX MATCHALL "\n" breaks "${head}")
list(LENGTH breaks line)
math(EXPR line "${line} + 1")
string(REPLACE "> RM 60 3 17 'Cam 17' 0" "> RM 60 3 17 'Cam 18' 0" edited "${saved}")
file(WRITE ${FOLDER}/edited.log "${edited}")
execute_process(COMMAND ${EMULATOR} ${HOST} --replay ${FOLDER}/edited.log
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT out MATCHES "edited.log:${line}: the replay differs\n  saved:  > RM 60 3 17 'Cam 18' 0\n  replay: > RM 60 3 17 'Cam 17' 0\n")
  message(FATAL_ERROR "the edited transcript did not fail at line ${line} (${rc}):\n${out}\n${err}")
endif()

# What the console showed, saved from standard output, folds reads: refused with the reason.
execute_process(COMMAND ${EMULATOR} ${HOST} --demo
  WORKING_DIRECTORY ${WORKDIR} OUTPUT_FILE ${FOLDER}/console.log ERROR_QUIET)
execute_process(COMMAND ${EMULATOR} ${HOST} --replay ${FOLDER}/console.log
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT out MATCHES "console.log:[0-9]+: this is the console's form")
  message(FATAL_ERROR "a console copy was not refused with the reason (${rc}):\n${out}\n${err}")
endif()
