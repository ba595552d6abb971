# Saving and reading whole files (POSIX).
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_posix.cpp)
