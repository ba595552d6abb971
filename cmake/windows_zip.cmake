# make package-windows: linewatch.exe, the README and the licence in one
# folder, linewatch-<version>-win64, zipped as linewatch-<version>-win64.zip
# in the build folder. The exe is linked statically, so nothing else is needed
# beside it.
set(zip_name linewatch-${PROJECT_VERSION}-win64)
set(zip_dir ${PROJECT_BINARY_DIR}/${zip_name})
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${zip_name}.zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_dir} ${zip_name}.zip
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_dir}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:linewatch> ${PROJECT_SOURCE_DIR}/README.md
            ${PROJECT_SOURCE_DIR}/LICENSE ${zip_dir}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip_name}.zip --format=zip ${zip_name}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    DEPENDS linewatch ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${PROJECT_BINARY_DIR}/${zip_name}.zip)
