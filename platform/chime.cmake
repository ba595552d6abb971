# The refresh chime: SDL audio, terminal bell when no device opens.
find_package(SDL2 REQUIRED)
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/chime_sdl.cpp)
target_link_libraries(platform PRIVATE SDL2::SDL2)
