linewatch_test(charset_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/charset_test.cpp LIBS platform)
# The conversion table both builds must agree on.
add_executable(charset_table ${CMAKE_CURRENT_LIST_DIR}/charset_table.cpp)
target_link_libraries(charset_table PRIVATE platform)
