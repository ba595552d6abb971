# A day's timetables read from version-4 answers, and the trains they place
# on the map at one rush-hour moment.
linewatch_bench(timetable_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/timetable_bench.cpp LIBS sim_feed opendata)
