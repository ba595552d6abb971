// The library as a user builds it on its own: configure, build and install
// psdraw alone (no part of linewatch, none of its packages) into a scratch
// prefix, build the example against it through pkg-config (shared) and
// find_package (static) with -pedantic-errors, run both and let Ghostscript
// read their pages.
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "page_support.h"

namespace {

using PsdrawInstall = PageTest;

// Runs command in sh with its output in a log; returns the exit status and
// appends the log to *log.
int sh(const std::string& command, std::string* log)
{
    const std::string capture = "install.log";
    const int status = std::system(("(" + command + ") >" + capture + " 2>&1").c_str());
    *log += "$ " + command + "\n" + readFile(capture);
    std::remove(capture.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& s)
{
    return "'" + s + "'";
}

// A page written by an example program: accepted, and a picture comes out.
void expectRenderedPage(const std::string& ps)
{
    ASSERT_TRUE(fileExists(ps)) << ps;
    const PngRender verdict = renderPng(ps, ps + ".png");
    EXPECT_EQ(verdict.status, 0) << ps;
    EXPECT_TRUE(verdict.picture) << ps;
}

TEST_F(PsdrawInstall, StandaloneBuildInstallsALibraryTheExampleBuildsAgainst)
{
    const std::string prefix = dir + "/prefix";
    const std::string libdir = prefix + "/" PSDRAW_LIBDIR;
    const std::string example = std::string(PSDRAW_SOURCE_DIR) + "/psdraw/examples/waves.cpp";
    const std::string flags = quoted(PSDRAW_SANITIZE);
    const std::string strict = "-Wall -Wextra -pedantic-errors";
    std::string log;

    ASSERT_EQ(sh(std::string(PSDRAW_CMAKE) + " -S " + quoted(std::string(PSDRAW_SOURCE_DIR) + "/psdraw") +
                     " -B standalone -DCMAKE_INSTALL_PREFIX=" + quoted(prefix) +
                     " -DCMAKE_CXX_COMPILER=" + quoted(PSDRAW_CXX) + " -DCMAKE_CXX_FLAGS=" + flags +
                     " -DCMAKE_SHARED_LINKER_FLAGS=" + flags + " -DCMAKE_EXE_LINKER_FLAGS=" + flags,
                 &log),
              0)
        << log;
    ASSERT_EQ(sh(std::string(PSDRAW_CMAKE) + " --build standalone -j2", &log), 0) << log;
    ASSERT_EQ(sh(std::string(PSDRAW_CMAKE) + " --install standalone", &log), 0) << log;
    for (const std::string file :
         {"/include/psdraw.h", "/" PSDRAW_LIBDIR "/libpsdraw.so.1", "/" PSDRAW_LIBDIR "/libpsdraw.a",
          "/" PSDRAW_LIBDIR "/pkgconfig/psdraw.pc", "/" PSDRAW_LIBDIR "/cmake/psdraw/psdrawConfig.cmake"})
        EXPECT_TRUE(fileExists(prefix + file)) << file;

    const std::string pkg = "PKG_CONFIG_PATH=" + quoted(libdir + "/pkgconfig") + " pkg-config";
    ASSERT_EQ(sh(pkg + " --modversion psdraw | grep -x 1.0.0", &log), 0) << log;
    ASSERT_EQ(
        sh(std::string(PSDRAW_CXX) + " -std=c++17 " + strict + " " + PSDRAW_SANITIZE + " " + quoted(example) +
               " $(" + pkg + " --cflags --libs psdraw) -Wl,-rpath," + quoted(libdir) + " -o shared_waves",
           &log),
        0)
        << log;
    EXPECT_EQ(sh("readelf -d shared_waves | grep -F '[libpsdraw.so.1]'", &log), 0) << log;
    ASSERT_EQ(sh("./shared_waves shared.ps", &log), 0) << log;
    expectRenderedPage("shared.ps");

    std::ofstream("CMakeLists.txt") << "cmake_minimum_required(VERSION 3.25)\n"
                                       "project(waves CXX)\n"
                                       "find_package(psdraw 1 REQUIRED)\n"
                                       "add_executable(static_waves "
                                    << example
                                    << ")\n"
                                       "target_link_libraries(static_waves PRIVATE psdraw::psdraw_static)\n";
    ASSERT_EQ(sh(std::string(PSDRAW_CMAKE) + " -S . -B build -DCMAKE_PREFIX_PATH=" + quoted(prefix) +
                     " -DCMAKE_CXX_COMPILER=" + quoted(PSDRAW_CXX) + " -DCMAKE_CXX_FLAGS=" +
                     quoted(strict + " " + PSDRAW_SANITIZE) + " -DCMAKE_EXE_LINKER_FLAGS=" + flags,
                 &log),
              0)
        << log;
    ASSERT_EQ(sh(std::string(PSDRAW_CMAKE) + " --build build", &log), 0) << log;
    EXPECT_NE(sh("readelf -d build/static_waves | grep -F libpsdraw", &log), 0) << log;
    ASSERT_EQ(sh("build/static_waves static.ps", &log), 0) << log;
    expectRenderedPage("static.ps");
    EXPECT_EQ(readFile("static.ps"), readFile("shared.ps"));
}

}  // namespace
