find_package(nlohmann_json REQUIRED)
find_package(simdjson REQUIRED)
linewatch_bench(parse_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/parse_bench.cpp
                LIBS opendata nlohmann_json::nlohmann_json simdjson::simdjson)
