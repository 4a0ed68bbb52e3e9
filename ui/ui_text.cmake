# The portable part of ui/: the user-interface strings and the INI reader
# behind them, in zhcore so that the native (and sanitizer) tests run them.
target_sources(zhcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui_text.h
  ${CMAKE_CURRENT_LIST_DIR}/ui_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_read.h
)
if(WIN32)
  target_sources(zhcore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/profile_read_win.cpp)
else()
  target_sources(zhcore PRIVATE ${CMAKE_CURRENT_LIST_DIR}/profile_read_posix.cpp)
endif()
