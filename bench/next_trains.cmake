# The next-trains answer at the station with the most departures on a
# weekday, from the feed's timetables, printed into a captured console.
linewatch_bench(next_trains_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/next_trains_bench.cpp LIBS sim_feed linewatch_app)
linewatch_shift_jis(next_trains_bench)
