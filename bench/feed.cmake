# The simulated feed under a bounded loopback load (Train queries over one
# keep-alive connection), the model's cost per answer, and one refresh's
# downloads and parses against the feed, and a whole refresh of the monitor.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
linewatch_bench(feed_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/feed_bench.cpp
                ${CMAKE_CURRENT_LIST_DIR}/bench_feed.cpp
                LIBS sim_feed linewatch_app PkgConfig::HTTPLIB)
