# The version-4 rewrite of a status answer and of a 1,000-train answer, next
# to parseResponse on the rewritten text of the same answers.
linewatch_bench(normalise_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/normalise_bench.cpp LIBS opendata)
