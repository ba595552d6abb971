# psdraw against cairo's PostScript surface and GNU libplot on one picture.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PSDRAW_BENCH_CAIRO REQUIRED IMPORTED_TARGET cairo)
find_library(PSDRAW_BENCH_LIBPLOT plot REQUIRED)
linewatch_bench(psdraw_bench SOURCES psdraw_bench.cpp
                LIBS psdraw PkgConfig::PSDRAW_BENCH_CAIRO ${PSDRAW_BENCH_LIBPLOT})
