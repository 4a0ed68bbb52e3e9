# Tests of the portable user-interface strings (ui/ui_text.h); in the Windows
# tree they run against the platform's private-profile functions.
zh_add_gtest(NAME ui_text_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_text_test.cpp
  LIBS zhcore)
