# Speech: a queue and worker thread over Open JTalk, played through SDL audio
# or aplay.
find_package(SDL2 REQUIRED)
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/speech.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_child.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_jtalk.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_play.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speech_queue.cpp)
target_link_libraries(platform PRIVATE SDL2::SDL2)
