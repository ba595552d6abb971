# The committed font table must equal a fresh build from the installed font
# packages (xfonts-shinonome, xfonts-jisx0213) through pcf2bdf.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(PCF2BDF_PROGRAM pcf2bdf REQUIRED)
foreach(font shnmk16.pcf.gz jiskan16-2004-1.pcf.gz)
    if(NOT EXISTS /usr/share/fonts/X11/misc/${font})
        message(FATAL_ERROR "/usr/share/fonts/X11/misc/${font} is missing: install the font packages "
                            "of tools/packages.txt (make deps)")
    endif()
endforeach()
add_test(NAME font_table_regenerates
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/fontgen/fontgen.py
                 --output ${CMAKE_CURRENT_BINARY_DIR}/font_table.cpp
                 --check ${PROJECT_SOURCE_DIR}/graph/font_table.cpp)
