# Tests of the portable user-interface strings (ui/ui_text.h); in the Windows
# tree they run against the platform's private-profile functions.
zh_add_gtest(NAME ui_text_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_text_test.cpp
  LIBS zhcore)

# The shipped strings files in the data folder, and every text of the
# program against them.
if(ZH_DATA_DIR)
  zh_add_gtest(NAME lang_files_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/lang_files_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ui_text_extract.h
            ${CMAKE_CURRENT_LIST_DIR}/ui_text_extract.cpp
    LIBS zhcore)
  target_compile_definitions(lang_files_tests PRIVATE
    ZH_DATA_DIR="${ZH_DATA_DIR}/" ZH_SOURCE_DIR="${CMAKE_SOURCE_DIR}/"
    ZH_TEST_SOURCE_DIR_UI="${CMAKE_CURRENT_LIST_DIR}")
  if(TARGET ui_strings_files)
    add_dependencies(lang_files_tests ui_strings_files)
  endif()
endif()
