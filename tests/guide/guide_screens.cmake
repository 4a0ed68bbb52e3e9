cmake_minimum_required(VERSION 3.25)
# Pictures of the guide's pages as a browser shows them: headless Chromium
# saves SCREENS/<topic>.png for every topic of TOPICS (comma-separated) in PAGES.
string(REPLACE "," ";" topics "${TOPICS}")
file(MAKE_DIRECTORY ${SCREENS})
set(faults "")
foreach(t ${topics})
  string(REGEX REPLACE "\\.htm$" ".png" picture "${t}")
  file(REMOVE ${SCREENS}/${picture})
  execute_process(COMMAND ${CHROMIUM} --headless --no-sandbox --disable-gpu --hide-scrollbars
                          --user-data-dir=${PROFILE} --window-size=820,3800
                          --screenshot=${SCREENS}/${picture} file://${PAGES}/${t}
    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log TIMEOUT 60)
  set(size 0)
  if(EXISTS ${SCREENS}/${picture})
    file(SIZE ${SCREENS}/${picture} size)
  endif()
  if(NOT result EQUAL 0 OR size LESS 10000)
    string(APPEND faults "${t}: no picture (${result}):\n${log}\n")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "${faults}")
endif()
