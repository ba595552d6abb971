# Speech: the front with its queue and worker thread, the silent back-end and
# the synthesiser's: Open JTalk, played through SDL audio or aplay.
find_package(SDL2 REQUIRED)
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/speech.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_queue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_null.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_jtalk.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_child.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_play.cpp)
target_link_libraries(platform PRIVATE SDL2::SDL2)
