# The map: a full redraw with and without station names, and the start-up draw.
# Pixel writes of the off-screen bitmap are counted by wrapping its writers.
linewatch_bench(map_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/map_bench.cpp LIBS linewatch_app)
linewatch_shift_jis(map_bench)
target_link_options(map_bench PRIVATE
    -Wl,--wrap=_Z11surface_setiij
    -Wl,--wrap=_Z12surface_fill9PixelRectj
    -Wl,--wrap=_Z15surface_outline9PixelRectjj)
