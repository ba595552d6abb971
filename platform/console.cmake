# The console: termios keys and lines, Shift_JIS output in the terminal's encoding.
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/console_posix.cpp)
