if(WIN32)
    # HTTP(S) downloads through WinHTTP; certificates checked with CryptoAPI.
    target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/http_winhttp.cpp)
    target_link_libraries(platform PRIVATE winhttp crypt32)
    return()
endif()
# HTTP(S) downloads through libcurl.
find_package(CURL REQUIRED)
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/http_curl.cpp)
target_link_libraries(platform PRIVATE CURL::libcurl)
