// The configuration: which variable and option fills which field, what counts
// as not set, and that every library gets its part.
#include "app/config.h"

#include <gtest/gtest.h>

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
    };
    for (const Case& c : cases) {
        Config config = read(c.vars, c.args);
        ASSERT_EQ(config.options.error, nullptr);
        configureFetch(config.api);
        EXPECT_EQ(apiVersion(), c.version) << (c.vars.empty() ? "" : c.vars.begin()->second);
    }
    configureFetch(ApiSettings{});
}
