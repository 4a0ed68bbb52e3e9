# GoogleTest: the system's build natively, compiled from /usr/src/googletest when
# cross compiling.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(ZH_GTEST_LIBS GTest::gtest GTest::gmock)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gmock ALIAS gmock)
  endif()
  set(ZH_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(ZH_GTEST_LIBS GTest::gtest GTest::gmock)
  set(ZH_GTEST_MAIN GTest::gtest_main)
endif()

# zh_add_gtest(NAME <name> SOURCES <files...> [LIBS <libs...>] [NO_MAIN] [DESKTOP])
# One test binary, linked with the test helpers (tests/support), run by CTest
# as one test; when cross compiling CTest runs it through the emulator
# (cmake/wine-run). Results land in test-results/<name>.xml. DESKTOP: the test
# moves the pointer, takes the focus or uses the clipboard of the shared
# display, so no other DESKTOP test runs beside it.
function(zh_add_gtest)
  cmake_parse_arguments(T "NO_MAIN;DESKTOP" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zh_test_support ${ZH_GTEST_LIBS})
  if(NOT T_NO_MAIN)
    target_link_libraries(${T_NAME} PRIVATE ${ZH_GTEST_MAIN})
  endif()
  target_compile_definitions(${T_NAME} PRIVATE
    ZH_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  add_test(NAME ${T_NAME}
           COMMAND ${T_NAME} --gtest_output=xml:test-results/${T_NAME}.xml
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 300)
  if(T_DESKTOP)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# A test of the program started in the test's own process (the harness of
# tests/app): the simulated voices, the shipped data, real input through the X
# server. It moves the pointer and owns the foreground and the clipboard, so it
# runs alone.
function(zh_add_program_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  # zhres is an object library: its resources go into the executable itself.
  zh_add_gtest(NAME ${T_NAME} SOURCES ${T_SOURCES} LIBS zh_program_harness zhres ${T_LIBS} NO_MAIN)
  set_target_properties(${T_NAME} PROPERTIES WIN32_EXECUTABLE FALSE)
  set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
endfunction()
