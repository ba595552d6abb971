# The refresh chime: counting, the silent mode and the fallbacks.
linewatch_test(chime_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/chime_test.cpp LIBS platform)
