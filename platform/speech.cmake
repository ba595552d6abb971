# Speech: the front with its queue and worker thread, the silent back-end and
# the synthesiser's: a SAPI voice on Windows, elsewhere Open JTalk played
# through SDL audio or aplay.
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/speech.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_queue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_null.cpp)
if(WIN32)
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/speech_sapi.cpp)
    target_link_libraries(platform PRIVATE ole32 sapi)
    return()
endif()
find_package(SDL2 REQUIRED)
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/speech_jtalk.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_child.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_play.cpp)
target_link_libraries(platform PRIVATE SDL2::SDL2)
