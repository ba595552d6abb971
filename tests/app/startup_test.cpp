#include "app/monitor_state.h"
#include "app/options.h"
#include "app/projection.h"
#include "app/settings.h"
#include "app/startup.h"
#include "platform/console.h"
#include "monitor_fixture.h"
#include "network/stations.h"
#include "tests/platform/file_faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

Options parse(std::vector<const char*> args)
{
    std::vector<char*> argv{const_cast<char*>("linewatch")};
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> listDir(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = readdir(d))
        if (e->d_name[0] != '.' || (std::string(e->d_name) != "." && std::string(e->d_name) != ".."))
            names.push_back(e->d_name);
    closedir(d);
    return names;
}

}  // namespace

TEST(Options, LineNumbersChooseTheColouredLines)
{
    struct Case {
        std::vector<const char*> args;
        int32_t iflag;
        bool given;
    };
    const Case cases[] = {
        {{}, 511, false},
        {{"0", "2"}, 5, true},
        {{"1", "1"}, 2, true},
        {{"10"}, 2, true},
        {{"abc"}, 1, true},
        {{"-3"}, 0, true},
        {{"8", "17", "26"}, 256, true},
        // Saturates at LONG_MAX, which is 7 mod 9.
        {{"99999999999999999999999"}, 128, true},
        {{"--headless", "4"}, 16, true},
        {{"--headless"}, 511, false},
    };
    for (const Case& c : cases) {
        Options o = parse(c.args);
        EXPECT_EQ(o.error, nullptr);
        EXPECT_EQ(o.iflag, c.iflag) << (c.args.empty() ? "(none)" : c.args[0]);
        EXPECT_EQ(o.lineArgsGiven, c.given);
    }
}

TEST(Options, DashWordsThatAreNotNumbersAreOptions)
{
    Options o = parse({"--headless", "--snapshot", "/tmp/x.png", "--demo", "3"});
    EXPECT_EQ(o.error, nullptr);
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.demo);
    EXPECT_STREQ(o.snapshot, "/tmp/x.png");
    EXPECT_EQ(o.iflag, 8);
    EXPECT_STREQ(parse({"--snapshot=a.png"}).snapshot, "a.png");
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);

    EXPECT_STREQ(parse({"--colour"}).error, "--colour");
    EXPECT_STREQ(parse({"1", "--snapshot"}).error, "--snapshot");
    EXPECT_STREQ(parse({"--snapshot="}).error, "--snapshot=");
    EXPECT_STREQ(parse({"--"}).error, "--");

    // Single-dash words: the short forms, and a mistyped option never reads as line 0.
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"3", "-V"}).version);
    for (const char* word : {"-x", "-", "-help", "-headless", "-+1", "-H"}) {
        Options o = parse({"2", word});
        EXPECT_STREQ(o.error, word);
        EXPECT_FALSE(o.help || o.version);
    }
    EXPECT_EQ(parse({"-03"}).error, nullptr);

    EXPECT_EQ(parse({"--api", "v2"}).api, ApiVersion::V2);
    EXPECT_EQ(parse({"--api=v4", "3"}).api, ApiVersion::V4);
    EXPECT_FALSE(parse({"3"}).api.has_value());
    EXPECT_STREQ(parse({"--api", "v3"}).error, "v3");
    EXPECT_STREQ(parse({"--api"}).error, "--api");
    EXPECT_STREQ(parse({"--api="}).error, "--api=");
    EXPECT_STREQ(parse({"--api=4"}).error, "--api=4");
}

TEST(ApiNotices, LicenceNoticeInVersion4AndTheKeyLinesOnlyWithoutAKey)
{
    const std::string licence = "公共交通オープンデータ基本ライセンス";
    const std::string noKey = "APIキーが設定されていません。";
    struct Case {
        const char* root;
        bool withKey;
        bool licenceShown;
        bool keyHelpShown;
    };
    const Case cases[] = {
        {"https://api.odpt.org", false, true, true},
        {"https://api.odpt.org", true, true, false},
        {"https://api.tokyometroapp.jp", false, false, false},
        {"http://127.0.0.1:9", true, false, false},
    };
    for (const Case& c : cases) {
        ApiSettings api;
        api.root = c.root;
        if (c.withKey)
            api.consumerKey = "my own key";
        configureFetch(api);
        std::string out;
        console_capture(&out);
        printApiNotices(api, "/home/u/.config/linewatch/consumer-key");
        console_capture(nullptr);
        EXPECT_EQ(out.find(licence) != std::string::npos, c.licenceShown) << c.root << out;
        EXPECT_EQ(out.find(noKey) != std::string::npos, c.keyHelpShown) << c.root << out;
        EXPECT_EQ(out.find("my own key"), std::string::npos);
        if (c.licenceShown) {
            EXPECT_NE(out.find("正確性"), std::string::npos);
            EXPECT_NE(out.find("開発者"), std::string::npos);
        }
        if (c.keyHelpShown) {
            EXPECT_NE(out.find("--demo"), std::string::npos);
            // both places a key may be kept
            EXPECT_NE(out.find("LINEWATCH_CONSUMER_KEY"), std::string::npos) << out;
            EXPECT_NE(out.find("/home/u/.config/linewatch/consumer-key"), std::string::npos) << out;
            EXPECT_NE(out.find("chmod 600"), std::string::npos) << out;
        }
    }
    configureFetch(ApiSettings{});
    // --help carries the same notice.
    EXPECT_NE(std::string(kUsage).find("Transportation Open Data Center"), std::string::npos);
    EXPECT_NE(std::string(kUsage).find("Basic License"), std::string::npos);
}

TEST(Projection, WidenedBoundsAndScalesFitTheNetworkIntoTheFrame)
{
    MapBounds b = widenBounds(MapBounds{35.788513f, 35.633999f, 139.959091f, 139.612350f});
    EXPECT_NEAR(b.north, 35.791161, 2e-6);
    EXPECT_NEAR(b.south, 35.631351, 2e-6);
    EXPECT_NEAR(b.east, 139.963150, 2e-6);
    EXPECT_NEAR(b.west, 139.608292, 2e-6);

    MonitorState st;
    st.north = b.north;
    st.south = b.south;
    st.east = b.east;
    st.west = b.west;
    updateScales(st);
    EXPECT_NEAR(st.xscale, 1442.83, 0.01);
    EXPECT_NEAR(st.yscale, 2190.11, 0.01);
    EXPECT_EQ(project(st, 35.7, 139.612350f).x, 114);
    EXPECT_EQ(project(st, 35.7, 139.959091f).x, 615);
    EXPECT_EQ(project(st, 35.788513f, 139.7).y, 30);
    EXPECT_EQ(project(st, 35.633999f, 139.7).y, 369);

    // Pan moves every point by the offset; zoom scales about the frame's lower left.
    st.ixf = 170;
    st.iyf = -116;
    // 114.86 - 170 cuts toward zero.
    EXPECT_EQ(project(st, 35.633999f, 139.612350f).x, -55);
    EXPECT_EQ(project(st, 35.633999f, 139.612350f).y, 369 + 116);
    st.ixf = st.iyf = 0;
    st.ratio = 2.0f;
    updateScales(st);
    EXPECT_NEAR(st.xscale, 2 * 1442.83, 0.02);
    // 109 + 2 * 506.14
    EXPECT_EQ(project(st, 35.7, 139.959091f).x, 1121);

    // Points absurdly far off stay representable instead of overflowing.
    st.ratio = 1e30f;
    updateScales(st);
    ScreenPoint far = project(st, 35.79, 139.96);
    EXPECT_GT(far.x, 1000000);
    EXPECT_LT(far.y, -1000000);
}

TEST(KnownTrains, ListHoldsEightHundredNumbersAndNoMore)
{
    auto st = std::make_unique<MonitorState>();
    EXPECT_EQ(addKnownTrain(st->known, "", ""), -1);
    EXPECT_EQ(addKnownTrain(st->known, "", std::string(kTrainNumberCapacity, '9').c_str()), -1);
    EXPECT_EQ(addKnownTrain(st->known, std::string(kTrainRailwayCapacity, 'r').c_str(), "B0"), -1);
    for (int i = 0; i < kKnownTrainCapacity; ++i)
        ASSERT_EQ(addKnownTrain(st->known, "", ("B" + std::to_string(i)).c_str()), i);
    // Every entry was seen in this update, so none can make room.
    EXPECT_EQ(addKnownTrain(st->known, "", "B801"), -1);
    EXPECT_EQ(st->known.count, 800);
    EXPECT_EQ(addKnownTrain(st->known, "", "B17"), 17);
    EXPECT_EQ(findKnownTrain(st->known, "", "B799"), 799);
    EXPECT_EQ(findKnownTrain(st->known, "", "B800"), -1);
    EXPECT_EQ(st->known.trains[5].x, 0);
    EXPECT_EQ(st->known.trains[5].y2, 0);

    // One number on two lines is two trains.
    auto two = std::make_unique<MonitorState>();
    EXPECT_EQ(addKnownTrain(two->known, "odpt.Railway:TokyoMetro.Ginza", "A0801"), 0);
    EXPECT_EQ(addKnownTrain(two->known, "odpt.Railway:TokyoMetro.Marunouchi", "A0801"), 1);
    EXPECT_EQ(addKnownTrain(two->known, "odpt.Railway:TokyoMetro.Ginza", "A0801"), 0);
    EXPECT_EQ(findKnownTrain(two->known, "odpt.Railway:TokyoMetro.Marunouchi", "A0801"), 1);
    EXPECT_EQ(findKnownTrain(two->known, "", "A0801"), -1);
}

TEST(KnownTrains, NewNumberOnAFullListTakesTheEntryGoneLongest)
{
    auto st = std::make_unique<MonitorState>();
    for (int i = 0; i < kKnownTrainCapacity; ++i)
        addKnownTrain(st->known, "", ("B" + std::to_string(i)).c_str());
    st->known.trains[300].x = 123;
    st->known.trains[300].y2 = -45;
    // B300 leaves after the first update, B600 after the second.
    for (int update = 1; update <= 2; ++update) {
        ++st->known.updates;
        for (int i = 0; i < kKnownTrainCapacity; ++i) {
            if (i != 300 && !(update == 2 && i == 600)) {
                ASSERT_GE(addKnownTrain(st->known, "", ("B" + std::to_string(i)).c_str()), 0);
            }
        }
    }

    char departed[kTrainNumberCapacity] = "junk";
    EXPECT_EQ(addKnownTrain(st->known, "", "N1", &departed), 300);
    EXPECT_STREQ(departed, "B300");
    EXPECT_EQ(findKnownTrain(st->known, "", "B300"), -1);
    EXPECT_EQ(findKnownTrain(st->known, "", "N1"), 300);
    // The position stays, so the new train's first move erases the old mark.
    EXPECT_EQ(st->known.trains[300].x, 123);
    EXPECT_EQ(st->known.trains[300].y2, -45);

    EXPECT_EQ(addKnownTrain(st->known, "", "N2", &departed), 600);
    EXPECT_STREQ(departed, "B600");
    // Everything left, N1 and N2 included, was seen in this update.
    EXPECT_EQ(addKnownTrain(st->known, "", "N3", &departed), -1);
    EXPECT_EQ(addKnownTrain(st->known, "", "N1", &departed), 300);
    EXPECT_STREQ(departed, "");
    EXPECT_EQ(st->known.count, kKnownTrainCapacity);

    // A later update: N3 now takes the stalest entry, B0 from the second update.
    ++st->known.updates;
    EXPECT_EQ(addKnownTrain(st->known, "", "N3", &departed), 0);
    EXPECT_STREQ(departed, "B0");
}

using Settings = MonitorFixture;

TEST_F(Settings, FirstRunUsesDefaultsAndWritesTheSixLines)
{
    start();
    EXPECT_EQ(st->iflag, 511);
    EXPECT_EQ(st->ixf, 0);
    EXPECT_EQ(st->iyf, 0);
    EXPECT_EQ(st->ratio, 1.0f);
    EXPECT_EQ(st->plot_mode, 3);
    EXPECT_EQ(sound_flag, 1);
    EXPECT_EQ(kstr_flag, 0);
    EXPECT_EQ(st->left, 109);
    EXPECT_EQ(st->top, 25);
    EXPECT_EQ(st->right, 621);
    EXPECT_EQ(st->bottom, 375);
    EXPECT_EQ(st->frameWidth, 512);
    EXPECT_EQ(st->frameHeight, 350);
    EXPECT_EQ(port->left, 109);
    EXPECT_EQ(port->bottom, 375);
    EXPECT_EQ(port->yspan, 350);

    addKnownTrain(st->known, "odpt.Railway:TokyoMetro.Ginza", "A1234S");
    addKnownTrain(st->known, "", "B0815K");
    ASSERT_TRUE(writeSettings(*st, settingsPath.c_str()));
    EXPECT_EQ(readAll(settingsPath),
              "ixf:0\niyf:0\nratio:1.000000\niflag:511\nsound_flag:1\nkstr_flag:0\n"
              "(000)A1234S odpt.Railway:TokyoMetro.Ginza\n(001)B0815K\n");
    // Only the settings file is left: the temporary file was renamed over it.
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"linewatch.ini"});
}

TEST_F(Settings, ReusedKnownTrainEntriesAreWrittenInListOrder)
{
    start();
    for (int i = 0; i < kKnownTrainCapacity; ++i)
        addKnownTrain(st->known, "", ("B" + std::to_string(i)).c_str());
    ++st->known.updates;
    for (int i = 0; i < 5; ++i)
        addKnownTrain(st->known, "", ("N" + std::to_string(i)).c_str());
    ASSERT_TRUE(writeSettings(*st, settingsPath.c_str()));

    std::istringstream in(readAll(settingsPath));
    std::string line;
    std::vector<std::string> trains;
    while (std::getline(in, line))
        if (!line.empty() && line[0] == '(')
            trains.push_back(line);
    ASSERT_EQ(trains.size(), static_cast<std::size_t>(kKnownTrainCapacity));
    EXPECT_EQ(trains[0], "(000)N0");
    EXPECT_EQ(trains[4], "(004)N4");
    EXPECT_EQ(trains[5], "(005)B5");
    EXPECT_EQ(trains[799], "(799)B799");
}

TEST_F(Settings, OneNumberOnTwoLinesIsTwoTrainLinesThatNoReaderTakes)
{
    start();
    st->ixf = 12;
    st->iflag = 6;
    addKnownTrain(st->known, "odpt.Railway:TokyoMetro.Ginza", "A0801");
    addKnownTrain(st->known, "odpt.Railway:TokyoMetro.Marunouchi", "A0801");
    ASSERT_TRUE(writeSettings(*st, settingsPath.c_str()));
    EXPECT_EQ(readAll(settingsPath),
              "ixf:12\niyf:0\nratio:1.000000\niflag:6\nsound_flag:1\nkstr_flag:0\n"
              "(000)A0801 odpt.Railway:TokyoMetro.Ginza\n"
              "(001)A0801 odpt.Railway:TokyoMetro.Marunouchi\n");
    // The reader, the same in every version, takes the six settings and
    // stops before the train lines.
    auto again = std::make_unique<MonitorState>();
    sound_flag = 0;
    readSettings(*again, settingsPath.c_str(), false);
    EXPECT_EQ(again->ixf, 12);
    EXPECT_EQ(again->iflag, 6);
    EXPECT_EQ(sound_flag, 1);
    EXPECT_EQ(again->known.count, 0);
}

TEST_F(Settings, SavedValuesComeBackAndArgumentsBeatTheSavedSelection)
{
    writeFile(settingsPath,
              "ixf:-170\niyf:116\nratio:2.500000\niflag:3\nsound_flag:0\nkstr_flag:1\n(000)X\n");
    start();
    EXPECT_EQ(st->ixf, -170);
    EXPECT_EQ(st->iyf, 116);
    EXPECT_EQ(st->ratio, 2.5f);
    EXPECT_EQ(st->iflag, 3);
    EXPECT_EQ(sound_flag, 0);
    EXPECT_EQ(kstr_flag, 1);
    // The frame does not depend on the settings.
    EXPECT_EQ(st->left, 109);
    EXPECT_EQ(st->bottom, 375);
    EXPECT_NEAR(st->xscale, 2.5 * 1442.83, 0.05);

    ASSERT_TRUE(writeSettings(*st, settingsPath.c_str()));
    EXPECT_EQ(readAll(settingsPath),
              "ixf:-170\niyf:116\nratio:2.500000\niflag:3\nsound_flag:0\nkstr_flag:1\n");

    auto again = std::make_unique<MonitorState>();
    again->iflag = 16;
    readSettings(*again, settingsPath.c_str(), true);
    EXPECT_EQ(again->iflag, 16);
    EXPECT_EQ(again->ixf, -170);
}

TEST_F(Settings, MissingFileDerivesThePanFromTheZoom)
{
    auto s = std::make_unique<MonitorState>();
    s->ratio = 2.0f;
    readSettings(*s, (dir + "/absent.ini").c_str(), false);
    EXPECT_EQ(s->ixf, 153);   // trunc(512 * 2 * 0.3 - 512 * 0.3)
    EXPECT_EQ(s->iyf, -105);  // trunc(350 * 0.3 - 350 * 2 * 0.3)
    EXPECT_EQ(s->iflag, 0);
}

TEST_F(Settings, DamagedFilesGiveDefaultsForWhatCannotBeRead)
{
    struct Case {
        const char* what;
        std::string text;
        int32_t ixf, iyf;
        float ratio;
        int32_t iflag, sound, kstr;
    };
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 131) & 0xFF));
    const Case cases[] = {
        {"empty", "", 0, 0, 1.0f, 7, 1, 0},
        {"binary", binary, 0, 0, 1.0f, 7, 1, 0},
        {"overlong line", std::string(200000, 'x') + "\nixf:5\n", 0, 0, 1.0f, 7, 1, 0},
        {"huge number", "ixf:99999999999999999999\niyf:4\n", 0, 4, 1.0f, 7, 1, 0},
        {"pan out of range", "ixf:2147483647\niyf:-2147483648\nratio:2\n", 0, 0, 2.0f, 7, 1, 0},
        {"missing line", "ixf:3\nratio:1.5\niflag:9\n", 3, 0, 1.5f, 9, 1, 0},
        {"bad zoom", "ixf:1\niyf:2\nratio:nan\niflag:4\n", 1, 2, 1.0f, 4, 1, 0},
        {"negative zoom", "ixf:1\niyf:2\nratio:-3\niflag:4\nsound_flag:0\n", 1, 2, 1.0f, 4, 0, 0},
        {"NUL inside", std::string("ixf:1\0garbage\niyf:2\n", 20), 1, 0, 1.0f, 7, 1, 0},
        {"text value", "ixf:abc\niyf:2\n", 0, 0, 1.0f, 7, 1, 0},
        {"blank lines and CRLF",
         "ixf:6\r\n\r\niyf:7\r\nratio:3.0\r\niflag:1\r\nsound_flag:0\r\nkstr_flag:1\r\n", 6, 7, 3.0f, 1, 0,
         1},
    };
    for (const Case& c : cases) {
        writeFile(settingsPath, c.text);
        auto s = std::make_unique<MonitorState>();
        s->iflag = 7;
        sound_flag = 1;
        kstr_flag = 0;
        readSettings(*s, settingsPath.c_str(), false);
        EXPECT_EQ(s->ixf, c.ixf) << c.what;
        EXPECT_EQ(s->iyf, c.iyf) << c.what;
        EXPECT_EQ(s->ratio, c.ratio) << c.what;
        EXPECT_EQ(s->iflag, c.iflag) << c.what;
        EXPECT_EQ(sound_flag, c.sound) << c.what;
        EXPECT_EQ(kstr_flag, c.kstr) << c.what;
    }
}

TEST_F(Settings, FailedWriteLeavesTheOldFileAndNoLitter)
{
    std::string sub = dir + "/gone";
    auto s = std::make_unique<MonitorState>();
    EXPECT_FALSE(writeSettings(*s, (sub + "/linewatch.ini").c_str()));

    // A directory in the way of the rename: the write fails, nothing is left behind.
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((sub + "/linewatch.ini").c_str(), 0700), 0);
    writeFile(sub + "/linewatch.ini/keep", "x");
    EXPECT_FALSE(writeSettings(*s, (sub + "/linewatch.ini").c_str()));
    EXPECT_EQ(listDir(sub), std::vector<std::string>{"linewatch.ini"});
    EXPECT_EQ(readAll(sub + "/linewatch.ini/keep"), "x");
}

// The saves below run on files set up as users set them up; each once lost
// the user's settings or touched a file it should not have.

TEST_F(Settings, ASymlinkedFileIsUpdatedWhereItLives)
{
    ASSERT_EQ(mkdir((dir + "/dotfiles").c_str(), 0700), 0);
    writeFile(dir + "/dotfiles/linewatch.ini", "ixf:1\n");
    ASSERT_EQ(symlink("dotfiles/linewatch.ini", settingsPath.c_str()), 0);
    start();
    EXPECT_EQ(st->ixf, 1);
    st->ixf = 42;
    ASSERT_TRUE(writeSettings(*st, settingsPath.c_str()));
    struct stat sb;
    ASSERT_EQ(lstat(settingsPath.c_str(), &sb), 0);
    EXPECT_TRUE(S_ISLNK(sb.st_mode)) << "the link stays a link";
    EXPECT_EQ(readAll(dir + "/dotfiles/linewatch.ini").rfind("ixf:42\n", 0), 0u);
    EXPECT_EQ(out, "");
}

TEST_F(Settings, ModeOwnerAndHardLinksStay)
{
    auto s = std::make_unique<MonitorState>();
    for (mode_t mode : {0600, 0444, 0640}) {
        writeFile(settingsPath, "ixf:1\n");
        ASSERT_EQ(chmod(settingsPath.c_str(), mode), 0);
        ASSERT_TRUE(writeSettings(*s, settingsPath.c_str()));
        struct stat sb;
        ASSERT_EQ(stat(settingsPath.c_str(), &sb), 0);
        EXPECT_EQ(sb.st_mode & 07777, mode);
        EXPECT_EQ(readAll(settingsPath).rfind("ixf:0\n", 0), 0u);
    }
    if (geteuid() == 0) {
        ASSERT_EQ(chown(settingsPath.c_str(), 4321, 4322), 0);
        ASSERT_TRUE(writeSettings(*s, settingsPath.c_str()));
        struct stat sb;
        ASSERT_EQ(stat(settingsPath.c_str(), &sb), 0);
        EXPECT_EQ(sb.st_uid, 4321u);
        EXPECT_EQ(sb.st_gid, 4322u);
    }
    EXPECT_EQ(out, "");

    const std::string second = dir + "/shared.ini";
    ASSERT_EQ(link(settingsPath.c_str(), second.c_str()), 0);
    s->ixf = 7;
    ASSERT_TRUE(writeSettings(*s, settingsPath.c_str()));
    EXPECT_EQ(readAll(second).rfind("ixf:7\n", 0), 0u) << "both names still share one file";
    EXPECT_EQ(out, "settings: rewrote " + settingsPath + " in place (it has 2 hard links)\n");
}

TEST_F(Settings, AFolderThatTakesNoNewFileStillGetsItsFileRewritten)
{
    // Root passes every permission check, so as root the save runs as the
    // user nobody, who owns the folder and the file.
    const bool root = geteuid() == 0;
    const uid_t nobody = 65534;
    const std::string folder = dir + "/locked";
    const std::string file = folder + "/linewatch.ini";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    writeFile(file, "ixf:1\n");
    if (root) {
        ASSERT_EQ(chmod(dir.c_str(), 0711), 0);
        ASSERT_EQ(chown(folder.c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(file.c_str(), nobody, nobody), 0);
    }
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    auto s = std::make_unique<MonitorState>();
    s->ixf = 9;
    if (root) {
        ASSERT_EQ(seteuid(nobody), 0);
    }
    const bool saved = writeSettings(*s, file.c_str());
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
    }
    EXPECT_TRUE(saved);
    EXPECT_EQ(readAll(file).rfind("ixf:9\n", 0), 0u);
    EXPECT_EQ(out, "settings: rewrote " + file +
                       " in place (no new file can be made beside it: Permission denied)\n");
    EXPECT_EQ(listDir(folder), std::vector<std::string>{"linewatch.ini"});
}

TEST_F(Settings, TemporaryNamesAreNeverFollowedAndLeftoversOfKilledSavesGo)
{
    // The name an earlier version chose for this process, planted as a link to a victim.
    const std::string victim = dir + "/victim";
    writeFile(victim, "precious");
    const std::string planted = dir + "/.linewatch.ini." + std::to_string(getpid()) + ".tmp";
    ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);
    // A save that was killed, by a process that has ended since.
    writeFile(dir + "/.linewatch.ini." + std::to_string(endedProcess()) + ".tmp", "ixf:");

    auto s = std::make_unique<MonitorState>();
    ASSERT_TRUE(writeSettings(*s, settingsPath.c_str()));
    EXPECT_EQ(readAll(victim), "precious");
    EXPECT_EQ(readAll(settingsPath).rfind("ixf:0\n", 0), 0u);
    std::vector<std::string> left = listDir(dir);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{planted.substr(dir.size() + 1), "linewatch.ini", "victim"}))
        << "a link is no leftover of a save and is left alone";
}

TEST_F(Settings, APipeNamedLikeTheFileNeitherHangsStartUpNorTheSave)
{
    ASSERT_EQ(mkfifo(settingsPath.c_str(), 0600), 0);
    std::future<void> started = std::async(std::launch::async, [this] { start(); });
    if (started.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Give the blocked reader a writer so the test can end.
        close(open(settingsPath.c_str(), O_WRONLY | O_NONBLOCK));
        started.wait();
        FAIL() << "start-up waited for a writer on the pipe";
    }
    EXPECT_EQ(st->iflag, 511);
    EXPECT_EQ(out, "settings: cannot read " + settingsPath + " (not a regular file); using the defaults\n");
    out.clear();
    EXPECT_FALSE(writeSettings(*st, settingsPath.c_str()));
    EXPECT_EQ(out, "settings: cannot write " + settingsPath + ": no program is reading from the pipe\n");
}

TEST_F(Settings, AFailedSaveIsReportedOnceAndKeepsTheOldFile)
{
    writeFile(settingsPath, "ixf:5\n");
    auto s = std::make_unique<MonitorState>();
    for (int i = 0; i < kKnownTrainCapacity; ++i)
        addKnownTrain(s->known, "", ("T" + std::to_string(i)).c_str());
    bool written;
    {
        FileSizeLimit nearlyFull(1024);
        written = writeSettings(*s, settingsPath.c_str());
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(out, "settings: cannot write " + settingsPath + ": File too large\n");
    EXPECT_EQ(readAll(settingsPath), "ixf:5\n");
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"linewatch.ini"});
}
