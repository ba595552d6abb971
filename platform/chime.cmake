# The refresh chime: the front, the silent back-end, the tone, and the sound
# device's back-end: an in-memory WAV handed to PlaySound on Windows,
# elsewhere SDL audio with the terminal bell when no device opens (libasound
# is linked only to keep its own error printing quiet).
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/chime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chime_null.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chime_tone.cpp)
if(WIN32)
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/chime_win32.cpp)
    target_link_libraries(platform PRIVATE winmm)
    return()
endif()
find_package(SDL2 REQUIRED)
find_package(ALSA REQUIRED)
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/chime_sdl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audio_alsa.cpp)
target_link_libraries(platform PRIVATE SDL2::SDL2 ALSA::ALSA)
