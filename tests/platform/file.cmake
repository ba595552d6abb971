if(WIN32)
    # MoveFileExW replacing, leftovers, reads.
    linewatch_test(file_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_win32_test.cpp LIBS platform)
    return()
endif()
# Saving and reading whole files: full disks, pipes, leftovers, odd names.
linewatch_test(file_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_test.cpp LIBS platform)
