# How soon the first estimated trains are drawn after the monitor starts in
# version-4 mode against the feed on loopback, with a cold and a warm
# timetable cache, and cold against a distant server; the first drawing is
# seen by wrapping the train display.
linewatch_bench(first_trains_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/first_trains_bench.cpp
                ${CMAKE_CURRENT_LIST_DIR}/bench_feed.cpp
                LIBS sim_feed linewatch_app)
linewatch_shift_jis(first_trains_bench)
target_link_options(first_trains_bench PRIVATE -Wl,--wrap=_Z18updateTrainDisplayR12MonitorState)
