# Process services (POSIX).
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/process_posix.cpp)
