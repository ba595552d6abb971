// A started monitor on the headless window for the app tests: settings read
// from a file in a fresh temporary directory, downloads pointed at a closed
// loopback port, console output captured and keys scripted.
#pragma once

#include "app/config.h"
#include "app/monitor_state.h"
#include "app/options.h"
#include "app/startup.h"
#include "graph/graphport.h"
#include "platform/console.h"
#include "qwin/qwin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

class MonitorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.window.headless = true;
        config.chime.silent = true;
        config.speech.silent = true;
        // Port 1 on loopback refuses at once, so a refresh never waits on the network.
        config.api.root = "http://127.0.0.1:1";
        applyConfig(config);
        char dirTemplate[] = "/tmp/linewatch-app-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        dir = dirTemplate;
        settingsPath = dir + "/linewatch.ini";
        sortStations();
        sound_flag = 1;
        kstr_flag = 0;
        st = std::make_unique<MonitorState>();
        console_capture(&out);
        console_script(&keys);
    }

    void TearDown() override
    {
        console_script(nullptr);
        console_capture(nullptr);
        st.reset();
        port.reset();
        std::string cmd = "rm -rf '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }

    // Opens the port and runs the start-up as the program would with these
    // line-number arguments (none: all lines).
    void start(std::initializer_list<const char*> args = {})
    {
        std::string name = "linewatch";
        char* argv[16] = {name.data()};
        int argc = 1;
        for (const char* a : args)
            argv[argc++] = const_cast<char*>(a);
        opts = parseOptions(argc, argv);
        st->iflag = opts.iflag;
        port = std::make_unique<GraphPort>();
        st->port = port.get();
        startMonitor(*st, opts, settingsPath.c_str());
    }

    void writeFile(const std::string& path, const std::string& text)
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    Config config;  // applied by SetUp; a test changes a part and applies it again
    std::string dir;
    std::string settingsPath;
    std::string out;   // console output, Shift_JIS
    std::string keys;  // scripted console input
    Options opts;
    std::unique_ptr<GraphPort> port;
    std::unique_ptr<MonitorState> st;
};
