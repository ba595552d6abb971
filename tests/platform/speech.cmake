if(WIN32)
    return()  # a POSIX harness
endif()
# Speech: the phrase queue, the silent and engine-less modes, and Open JTalk
# writing a real WAV file.
linewatch_test(speech_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/speech_test.cpp
    LIBS platform)
linewatch_shift_jis(speech_tests)
