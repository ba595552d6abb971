# The console: the front (formatting, filtering, the key's masking, capture,
# scripts, keys and lines from a byte stream; the masking serves speech and
# the open-data client too) and the platform's device: console input records
# and wide-character output on Windows, termios keys and lines with Shift_JIS
# converted to the terminal's encoding elsewhere.
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/console.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_input.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_mask.cpp)
if(WIN32)
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/console_win32.cpp)
else()
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/console_posix.cpp)
endif()
