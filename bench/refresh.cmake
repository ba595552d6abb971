# One refresh's worth of parsing and drawing with 300 trains; the pixel writes
# of the off-screen bitmap are counted by wrapping its two writers.
linewatch_bench(refresh_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/refresh_bench.cpp LIBS linewatch_app)
linewatch_shift_jis(refresh_bench)
target_link_options(refresh_bench PRIVATE
    -Wl,--wrap=_Z11surface_setiij
    -Wl,--wrap=_Z12surface_fill9PixelRectj)
