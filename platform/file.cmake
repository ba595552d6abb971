# Saving and reading whole files.
if(WIN32)
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_win32.cpp)
else()
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file_posix.cpp)
endif()
