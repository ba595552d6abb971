# Raster operations against the same figures written straight into memory.
linewatch_bench(raster_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/raster_bench.cpp LIBS qwin)
