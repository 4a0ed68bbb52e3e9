cmake_minimum_required(VERSION 3.25)
# Runs chmcmd on DIR/ZhorvanGuide.hhp and moves the result to OUT; fails when
# chmcmd fails or names a file it could not find.
execute_process(COMMAND ${CHMCMD} --html-scan ZhorvanGuide.hhp
  WORKING_DIRECTORY ${DIR}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE log
  ERROR_VARIABLE log)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "chmcmd failed (${result}):\n${log}")
endif()
string(TOLOWER "${log}" lower)
if(lower MATCHES "warning|error|couldn.t|can.t|cannot|not found|missing")
  message(FATAL_ERROR "chmcmd found faults in the guide:\n${log}")
endif()
file(RENAME ${DIR}/ZhorvanGuide.chm ${OUT})
