if(WIN32)
    # WinHTTP against a loopback server of plain sockets.
    linewatch_test(http_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_winhttp_test.cpp LIBS platform ws2_32)
    return()
endif()
# The HTTP layer's tests and the one local test server, shared with the
# open-data client's and the monitor's tests.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(OpenSSL REQUIRED)
add_library(test_local_server STATIC ${CMAKE_CURRENT_LIST_DIR}/local_server.cpp)
target_include_directories(test_local_server PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(test_local_server PUBLIC PkgConfig::HTTPLIB OpenSSL::SSL OpenSSL::Crypto Threads::Threads)
linewatch_test(http_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_test.cpp LIBS platform test_local_server)
