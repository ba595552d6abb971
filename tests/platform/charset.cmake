linewatch_test(charset_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/charset_test.cpp LIBS platform)
