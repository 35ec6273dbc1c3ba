# A rename the site file cannot take ends the run with status 1 and says so,
# even when the transcript goes to a file: the file no longer holds the session.
#
# -DHOST= -DWORKDIR= -DSCENARIO= -DFOLDER= [-DEMULATOR=]
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${EMULATOR} ${HOST} --write-site ${FOLDER}/site.json RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "vrel-host --write-site exited with ${rc}")
endif()
# A name that leaves no room for the temporary file every save writes first
# (file names stop at 255 characters): each save fails, as on a full disk.
string(REPEAT "s" 245 crowded)
set(site ${FOLDER}/${crowded}.json)
file(RENAME ${FOLDER}/site.json ${site})
execute_process(
  COMMAND ${EMULATOR} ${HOST} --panels panels --site ${site} --transcript ${FOLDER}/run.log ${SCENARIO}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "vrel-host exited with ${rc}, expected 1\n${out}\n${err}")
endif()
if(NOT err MATCHES "rename\\(s\\) could not be saved; the first: site file [^\n]*sss.json: cannot create")
  message(FATAL_ERROR "vrel-host did not say that the rename was not saved:\n${err}")
endif()
