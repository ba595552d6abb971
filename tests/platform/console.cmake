if(WIN32)
    return()  # POSIX harness; the Windows back-end is tested in tests/windows/
endif()
# The console layer: output conversion and filtering, keys, lines, terminal restoration.
linewatch_test(console_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_test.cpp LIBS platform)
linewatch_shift_jis(console_tests)
