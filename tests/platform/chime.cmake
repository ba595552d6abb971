if(WIN32)
    return()  # a POSIX harness
endif()
# The refresh chime: counting, the silent mode and the fallbacks.
linewatch_test(chime_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/chime_test.cpp LIBS platform)
# The signal test asks SDL whether the audio device is up.
find_package(SDL2 REQUIRED)
target_link_libraries(chime_tests PRIVATE SDL2::SDL2)
