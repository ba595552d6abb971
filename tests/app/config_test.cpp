// The configuration: which variable and option fills which field, what counts
// as not set, that every library gets its part, and the key file.
#include "app/config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using Environment = std::map<std::string, std::string>;

// 2026-12-07T22:15:00+09:00
constexpr std::int64_t now = 1796649300;

Config read(const Environment& vars, std::vector<const char*> args = {})
{
    std::vector<char*> argv{const_cast<char*>("linewatch")};
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    return readConfig(
        static_cast<int>(argv.size()), argv.data(),
        [&vars](const char* name) -> const char* {
            auto it = vars.find(name);
            return it == vars.end() ? nullptr : it->second.c_str();
        },
        now);
}

}  // namespace

TEST(Config, EveryVariableFillsItsField)
{
    const Config c = read({{"LINEWATCH_API_ROOT", "http://127.0.0.1:8080/"},
                           {"LINEWATCH_CONSUMER_KEY", "k1"},
                           {"LINEWATCH_CONNECT_TIMEOUT_MS", "1500"},
                           {"LINEWATCH_HTTP_TIMEOUT_MS", "2500"},
                           {"LINEWATCH_CA_FILE", "/etc/ca.pem"},
                           {"LINEWATCH_HEADLESS", "1"},
                           {"LINEWATCH_SOUND", "none"},
                           {"LINEWATCH_SPEECH", "none"},
                           {"LINEWATCH_SPEECH_DIR", "/tmp/said"}},
                          {"--snapshot", "v.png", "3"});
    EXPECT_EQ(c.api.root, "http://127.0.0.1:8080/");
    EXPECT_EQ(c.api.consumerKey, "k1");
    EXPECT_EQ(c.api.http.connectTimeoutMs, 1500);
    EXPECT_EQ(c.api.http.totalTimeoutMs, 2500);
    EXPECT_EQ(c.api.http.caFile, "/etc/ca.pem");
    EXPECT_TRUE(c.window.headless);
    EXPECT_TRUE(c.chime.silent);
    EXPECT_TRUE(c.speech.silent);
    EXPECT_EQ(c.speech.keepDir, "/tmp/said");
    EXPECT_STREQ(c.options.snapshot, "v.png");
    EXPECT_EQ(c.options.iflag, 8);
}

TEST(Config, UnsetEmptyAndUnusableValuesKeepTheDefaults)
{
    const ApiSettings api;
    for (const Environment& vars : {Environment{},
                                    Environment{{"LINEWATCH_API_ROOT", ""},
                                                {"LINEWATCH_CONSUMER_KEY", ""},
                                                {"LINEWATCH_CONNECT_TIMEOUT_MS", "0"},
                                                {"LINEWATCH_HTTP_TIMEOUT_MS", "-5"},
                                                {"LINEWATCH_CA_FILE", ""},
                                                {"LINEWATCH_HEADLESS", "yes"},
                                                {"LINEWATCH_SOUND", "off"},
                                                {"LINEWATCH_SPEECH", ""},
                                                {"LINEWATCH_SPEECH_DIR", ""}},
                                    Environment{{"LINEWATCH_CONNECT_TIMEOUT_MS", "12ms"},
                                                {"LINEWATCH_HTTP_TIMEOUT_MS", ""},
                                                {"LINEWATCH_HEADLESS", "0"}}}) {
        const Config c = read(vars);
        EXPECT_EQ(c.api.root, "https://api.odpt.org");
        EXPECT_FALSE(c.api.version.has_value());
        EXPECT_EQ(c.api.consumerKey, api.consumerKey);
        EXPECT_EQ(c.api.http.connectTimeoutMs, 10000);
        EXPECT_EQ(c.api.http.totalTimeoutMs, 30000);
        EXPECT_EQ(c.api.http.caFile, "");
        EXPECT_FALSE(c.window.headless);
        EXPECT_FALSE(c.chime.silent);
        EXPECT_FALSE(c.speech.silent);
        EXPECT_EQ(c.speech.keepDir, "");
        EXPECT_EQ(c.options.iflag, 511);
    }
}

TEST(Config, HeadlessOptionNeedsNoVariable)
{
    EXPECT_TRUE(read({}, {"--headless"}).window.headless);
    EXPECT_TRUE(read({{"LINEWATCH_HEADLESS", "0"}}, {"--headless"}).window.headless);
}

TEST(Config, ApplyingHandsTheClientItsRootAndKey)
{
    Config c = read({{"LINEWATCH_API_ROOT", "http://127.0.0.1:9//"}, {"LINEWATCH_CONSUMER_KEY", "abc"}});
    c.window.headless = true;
    c.chime.silent = true;
    c.speech.silent = true;
    applyConfig(c);
    EXPECT_EQ(datapointsBase(), "http://127.0.0.1:9/api/v2/datapoints?");
    EXPECT_EQ(liveUrl(ResponseKind::Trains),
              "http://127.0.0.1:9/api/v2/datapoints?rdf:type=odpt:Train&acl:consumerKey=abc");
    configureFetch(ApiSettings{});
}

TEST(Config, ClockAndCacheFolder)
{
    EXPECT_EQ(read({}).clockOffset, 0);
    EXPECT_EQ(read({}, {"--time", "22:15:10"}).clockOffset, 10);
    EXPECT_EQ(read({}, {"--time=2026-12-08T08:00"}).clockOffset, 9 * 3600 + 45 * 60);
    EXPECT_EQ(read({}, {"--time", "2026-12-07T12:15"}).clockOffset, -10 * 3600);
    for (const char* bad : {"25:00", "8:00", "2026-02-29T08:00"})
        EXPECT_NE(read({}, {"--time", bad}).options.error, nullptr) << bad;
    EXPECT_NE(read({}, {"--time"}).options.error, nullptr);

    EXPECT_EQ(read({{"XDG_CACHE_HOME", "/var/cache/u"}, {"HOME", "/home/u"}}).cacheDir,
              "/var/cache/u/linewatch");
    EXPECT_EQ(read({{"XDG_CACHE_HOME", "rel"}, {"HOME", "/home/u"}}).cacheDir, "/home/u/.cache/linewatch");
    EXPECT_EQ(read({{"XDG_CACHE_HOME", ""}, {"HOME", "/home/u"}}).cacheDir, "/home/u/.cache/linewatch");
    EXPECT_EQ(read({}).cacheDir, "");
}

TEST(Config, ApiVersionFromTheOptionTheVariableOrTheRoot)
{
    struct Case {
        Environment vars;
        std::vector<const char*> args;
        ApiVersion version;  // after applying
    };
    const Case cases[] = {
        {{}, {}, ApiVersion::V4},  // the compiled-in root
        {{{"LINEWATCH_API_ROOT", "https://api.odpt.org"}, {"LINEWATCH_CONSUMER_KEY", "k"}},
         {},
         ApiVersion::V4},
        {{{"LINEWATCH_API_ROOT", "http://127.0.0.1:8080"}}, {}, ApiVersion::V2},
        {{{"LINEWATCH_API_ROOT", "http://127.0.0.1:8080"}, {"LINEWATCH_API", "v4"}}, {}, ApiVersion::V4},
        {{{"LINEWATCH_API", "v2"}}, {}, ApiVersion::V2},
        {{{"LINEWATCH_API", "v2"}}, {"--api", "v4"}, ApiVersion::V4},
        {{{"LINEWATCH_API", "v4"}, {"LINEWATCH_API_ROOT", "http://127.0.0.1:1"}},
         {"--api=v2"},
         ApiVersion::V2},
        // anything but v2 or v4 in the variable leaves the choice to the root
        {{{"LINEWATCH_API", "4"}, {"LINEWATCH_API_ROOT", "http://127.0.0.1:1"}}, {}, ApiVersion::V2},
        {{{"LINEWATCH_API", "V2"}}, {}, ApiVersion::V4},
        // the demo, whose feed is on loopback, speaks today's version unless told otherwise
        {{{"LINEWATCH_API_ROOT", "http://127.0.0.1:1"}}, {"--demo"}, ApiVersion::V4},
        {{{"LINEWATCH_API_ROOT", "http://127.0.0.1:1"}}, {"--demo", "--api", "v2"}, ApiVersion::V2},
        {{{"LINEWATCH_API", "v2"}, {"LINEWATCH_API_ROOT", "http://127.0.0.1:1"}}, {"--demo"}, ApiVersion::V2},
    };
    for (const Case& c : cases) {
        Config config = read(c.vars, c.args);
        ASSERT_EQ(config.options.error, nullptr);
        configureFetch(config.api);
        EXPECT_EQ(apiVersion(), c.version) << (c.vars.empty() ? "" : c.vars.begin()->second);
    }
    configureFetch(ApiSettings{});
}

namespace {

// A config home of its own, $XDG_CONFIG_HOME/linewatch made, removed at the end.
class KeyFileConfig : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dirTemplate[] = "/tmp/linewatch-keyfile-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        home = dirTemplate;
        std::filesystem::create_directory(home + "/linewatch");
        keyFile = home + "/linewatch/consumer-key";
    }
    void TearDown() override { std::filesystem::remove_all(home); }

    void write(const std::string& bytes, mode_t mode = 0600, const std::string& path = {})
    {
        const std::string target = path.empty() ? keyFile : path;
        std::ofstream(target, std::ios::binary | std::ios::trunc) << bytes;
        ASSERT_EQ(chmod(target.c_str(), mode), 0);
    }

    Config readWith(Environment vars = {}, std::vector<const char*> args = {})
    {
        vars.emplace("XDG_CONFIG_HOME", home);
        vars.emplace("HOME", "/nonexistent");
        return read(vars, args);
    }

    std::string home;
    std::string keyFile;
};

const std::string kPlaceholder = ApiSettings{}.consumerKey;

}  // namespace

TEST_F(KeyFileConfig, FirstLineReadWhenTheVariableIsNotSet)
{
    for (const char* bytes :
         {"k3y-0123\n", "  k3y-0123 \t\r\nsecond line\n", "\xEF\xBB\xBFk3y-0123\r\n", "k3y-0123"}) {
        write(bytes);
        const Config c = readWith();
        EXPECT_EQ(c.api.consumerKey, "k3y-0123") << bytes;
        EXPECT_EQ(c.keyRefusal, "") << bytes;
        EXPECT_EQ(c.keyFile, keyFile);
    }
    // The variable wins, even over a file that would be refused.
    write("from-file\n", 0644);
    EXPECT_EQ(readWith({{"LINEWATCH_CONSUMER_KEY", "from-env"}}).api.consumerKey, "from-env");
    EXPECT_EQ(readWith({{"LINEWATCH_CONSUMER_KEY", "from-env"}}).keyRefusal, "");
    // The demo needs no key, so a file it could not use does not stop it.
    EXPECT_EQ(readWith({}, {"--demo"}).keyRefusal, "");
    // A symlink counts by the mode of the file it leads to.
    const std::string kept = home + "/kept";
    write("linked-key\n", 0600, kept);
    std::filesystem::remove(keyFile);
    std::filesystem::create_symlink(kept, keyFile);
    EXPECT_EQ(readWith().api.consumerKey, "linked-key");
    ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
    EXPECT_NE(readWith().keyRefusal.find("chmod 600"), std::string::npos);
}

TEST_F(KeyFileConfig, RefusedWhenOthersMayUseIt)
{
    for (mode_t mode : {0640, 0604, 0620, 0602, 0610, 0601, 0660}) {
        write("secret-key-42\n", mode);
        const Config c = readWith();
        EXPECT_EQ(c.api.consumerKey, kPlaceholder) << std::oct << mode;
        EXPECT_NE(c.keyRefusal.find("chmod 600 " + keyFile), std::string::npos) << c.keyRefusal;
        EXPECT_EQ(c.keyRefusal.find('\n'), std::string::npos);
        EXPECT_EQ(c.keyRefusal.find("secret-key-42"), std::string::npos);
    }
    // A path a shell would split is quoted in the advice.
    const std::string odd = home + "/it's here";
    std::filesystem::create_directories(odd + "/linewatch");
    write("secret-key-42\n", 0644, odd + "/linewatch/consumer-key");
    const Config c = read({{"XDG_CONFIG_HOME", odd}});
    EXPECT_NE(c.keyRefusal.find("chmod 600 '" + home + "/it'\\''s here/linewatch/consumer-key'"),
              std::string::npos)
        << c.keyRefusal;
}

TEST_F(KeyFileConfig, OddFilesAreRefusedAndAMissingOneLeavesThePlaceholder)
{
    // none there: the placeholder, and the start-up guidance names the file
    Config c = readWith();
    EXPECT_EQ(c.api.consumerKey, kPlaceholder);
    EXPECT_EQ(c.keyRefusal, "");
    EXPECT_EQ(read({{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/u"}}).keyFile,
              "/home/u/.config/linewatch/consumer-key");
    EXPECT_EQ(read({}).keyFile, "");

    const std::string longLine(5000, 'k');
    const std::string huge = "k\n" + std::string(1 << 20, 'x');
    for (const std::string& bytes : {std::string(), std::string(" \t\r\n"), std::string("\nkey-on-line-2\n"),
                                     longLine, std::string("a key\n"), std::string("ke\x01y\n"),
                                     std::string("key&rdf:type=x\n"), std::string("\xE9\x8D\xB5\n")}) {
        write(bytes);
        c = readWith();
        EXPECT_EQ(c.api.consumerKey, kPlaceholder) << bytes.substr(0, 20);
        EXPECT_NE(c.keyRefusal.find(keyFile), std::string::npos) << bytes.substr(0, 20);
    }
    // A big file is read no further than its first line needs.
    write(huge);
    EXPECT_EQ(readWith().api.consumerKey, "k");

    // a folder or a pipe in its place is refused without waiting for a writer
    std::filesystem::remove(keyFile);
    std::filesystem::create_directory(keyFile);
    EXPECT_NE(readWith().keyRefusal.find("not a regular file"), std::string::npos);
    std::filesystem::remove(keyFile);
    ASSERT_EQ(mkfifo(keyFile.c_str(), 0600), 0);
    EXPECT_NE(readWith().keyRefusal.find("not a regular file"), std::string::npos);
    // one that cannot be opened (root opens anything, so only when not root)
    std::filesystem::remove(keyFile);
    write("key\n", 0);
    if (geteuid() != 0) {
        EXPECT_NE(readWith().keyRefusal.find("cannot read"), std::string::npos);
    }
}
