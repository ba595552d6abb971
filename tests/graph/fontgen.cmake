# The committed font table must equal a fresh build from the installed font
# packages; without them (or pcf2bdf) there is nothing to compare against.
find_package(Python3 COMPONENTS Interpreter)
find_program(PCF2BDF_PROGRAM pcf2bdf)
if(Python3_Interpreter_FOUND AND PCF2BDF_PROGRAM
   AND EXISTS /usr/share/fonts/X11/misc/shnmk16.pcf.gz
   AND EXISTS /usr/share/fonts/X11/misc/jiskan16-2004-1.pcf.gz)
    add_test(NAME font_table_regenerates
             COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/fontgen/fontgen.py
                     --output ${CMAKE_CURRENT_BINARY_DIR}/font_table.cpp
                     --check ${PROJECT_SOURCE_DIR}/graph/font_table.cpp)
else()
    message(STATUS "Font packages or pcf2bdf missing: font_table_regenerates not added")
endif()
