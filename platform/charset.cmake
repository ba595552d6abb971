# Character set conversions through the C library's iconv.
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/charset_iconv.cpp)
