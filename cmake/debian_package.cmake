# make package: Debian packages from the install rules' components, with
# CPack's DEB generator. linewatch holds the program, the feed and their
# manual pages; libpsdraw1 and libpsdraw-dev psdraw's runtime and
# development files. Configure with -DCMAKE_INSTALL_PREFIX=/usr so that the
# library lands in Debian's multiarch folder.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME linewatch)
set(CPACK_PACKAGE_VENDOR "the linewatch developers")
set(CPACK_PACKAGE_CONTACT "the linewatch developers <linewatch@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL linewatch libpsdraw1 libpsdraw-dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(LINEWATCH_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE linewatch)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libpsdraw1's shlibs file, so that what links it depends on it
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The packages' folders are the system's, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_LINEWATCH_PACKAGE_NAME linewatch)
set(CPACK_DEBIAN_LINEWATCH_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_LINEWATCH_PACKAGE_RECOMMENDS
    "open-jtalk, open-jtalk-mecab-naist-jdic, hts-voice-nitech-jp-atr503-m001, alsa-utils")
set(CPACK_COMPONENT_LINEWATCH_DESCRIPTION
    "live map of the Tokyo subway's trains from open data
linewatch watches the nine Tokyo subway lines through the Public
Transportation Open Data Center's web API: it moves each train's mark on a
network map in its own window, prints a console line per train and each new
status notice, reads disruption notices aloud and chimes. linewatch-feed, a
simulated feed, lets it run without a key (linewatch --demo).")

set(CPACK_DEBIAN_LIBPSDRAW1_PACKAGE_NAME libpsdraw1)
set(CPACK_DEBIAN_LIBPSDRAW1_PACKAGE_SECTION libs)
# The loader's cache is renewed by dpkg's trigger (CPack's own postinst and
# postrm call ldconfig too, which lintian only warns about).
set(CPACK_DEBIAN_LIBPSDRAW1_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_LIBPSDRAW1_DESCRIPTION
    "PostScript plotting library
psdraw is a small C++ class that writes PostScript pages: lines, shapes,
text, axes and legends, with reals written the same under every locale.
This package holds the shared library.")

set(CPACK_DEBIAN_LIBPSDRAW-DEV_PACKAGE_NAME libpsdraw-dev)
set(CPACK_DEBIAN_LIBPSDRAW-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBPSDRAW-DEV_PACKAGE_DEPENDS "libpsdraw1 (= ${LINEWATCH_DEBIAN_VERSION})")
set(CPACK_COMPONENT_LIBPSDRAW-DEV_DESCRIPTION
    "PostScript plotting library - development files
psdraw is a small C++ class that writes PostScript pages: lines, shapes,
text, axes and legends, with reals written the same under every locale.
This package holds the header, the static library, the pkg-config file and
the CMake package.")

# Every package carries the copyright file and the changelog Debian's tools
# look for in its own documentation folder; a plain install has no use for
# them, hence EXCLUDE_FROM_ALL.
string(TIMESTAMP LINEWATCH_DEBIAN_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(debian_dir ${PROJECT_BINARY_DIR}/debian)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${debian_dir}/changelog @ONLY)
execute_process(COMMAND sh -c "gzip -9n < '${debian_dir}/changelog' > '${debian_dir}/changelog.Debian.gz'"
                RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${debian_dir}/changelog")
endif()
foreach(package IN LISTS CPACK_COMPONENTS_ALL)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${debian_dir}/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${package} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)
