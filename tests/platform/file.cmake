# Saving and reading whole files: full disks, pipes, leftovers, odd names.
linewatch_test(file_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_test.cpp LIBS platform)
