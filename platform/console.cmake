# The console: formatting, filtering and the key's masking shared by both
# back-ends (the masking by speech and the open-data client too); console input
# records and wide-character output on Windows, termios keys and lines with
# Shift_JIS converted to the terminal's encoding elsewhere.
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/console_text.cpp ${CMAKE_CURRENT_LIST_DIR}/key_mask.cpp)
if(WIN32)
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/console_win32.cpp)
else()
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/console_posix.cpp)
endif()
