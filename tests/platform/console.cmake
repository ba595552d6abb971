if(WIN32)
    # Output to a file and keys from a pipe, where Wine gives no console.
    linewatch_test(console_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_front_test.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/console_win32_test.cpp LIBS platform)
    linewatch_shift_jis(console_tests)
    return()
endif()
# The console layer: the front (filtering, cuts, scripted keys and lines) as
# on Windows; output conversion, masking, keys, lines, terminal restoration.
linewatch_test(console_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/console_front_test.cpp
               ${CMAKE_CURRENT_LIST_DIR}/console_test.cpp
               ${CMAKE_CURRENT_LIST_DIR}/key_mask_test.cpp LIBS platform)
linewatch_shift_jis(console_tests)
