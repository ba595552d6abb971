# Character set conversions: Windows' own code page 932 tables, glibc's iconv
# elsewhere; the streaming around either is shared.
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/charset_stream.cpp)
if(WIN32)
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/charset_win32.cpp)
else()
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/charset_iconv.cpp)
endif()
