#include "app/config.h"

#include "opendata/calendar.h"

#include <cstdlib>
#include <cstring>

namespace {

// The value of name, or nullptr when it is unset or empty.
const char* given(const EnvironmentLookup& env, const char* name)
{
    const char* value = env(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

bool equals(const EnvironmentLookup& env, const char* name, const char* text)
{
    const char* value = given(env, name);
    return value != nullptr && std::strcmp(value, text) == 0;
}

void readText(const EnvironmentLookup& env, const char* name, std::string& field)
{
    if (const char* value = given(env, name))
        field = value;
}

void readMilliseconds(const EnvironmentLookup& env, const char* name, long& field)
{
    const char* value = given(env, name);
    if (value == nullptr)
        return;
    char* end = nullptr;
    const long ms = std::strtol(value, &end, 10);
    if (*end == '\0' && ms > 0)
        field = ms;
}

}  // namespace

Config readConfig(int argc, char** argv, const EnvironmentLookup& env, std::int64_t now)
{
    Config c;
    c.options = parseOptions(argc, argv);
    std::int64_t start = now;
    if (c.options.time && parseJapanTime(c.options.time, now, &start))
        c.clockOffset = start - now;
    readText(env, "LINEWATCH_API_ROOT", c.api.root);
    readText(env, "LINEWATCH_CONSUMER_KEY", c.api.consumerKey);
    // --api wins over LINEWATCH_API; with neither the root decides.
    ApiVersion version;
    if (const char* value = given(env, "LINEWATCH_API"); value != nullptr && parseApiVersion(value, version))
        c.api.version = version;
    if (c.options.api)
        c.api.version = c.options.api;
    readMilliseconds(env, "LINEWATCH_CONNECT_TIMEOUT_MS", c.api.http.connectTimeoutMs);
    readMilliseconds(env, "LINEWATCH_HTTP_TIMEOUT_MS", c.api.http.totalTimeoutMs);
    readText(env, "LINEWATCH_CA_FILE", c.api.http.caFile);
    c.window.headless = c.options.headless || equals(env, "LINEWATCH_HEADLESS", "1");
    c.chime.silent = equals(env, "LINEWATCH_SOUND", "none");
    c.speech.silent = equals(env, "LINEWATCH_SPEECH", "none");
    readText(env, "LINEWATCH_SPEECH_DIR", c.speech.keepDir);
    // a relative cache home is to be ignored, as the base-directory rules say
    if (const char* cache = given(env, "XDG_CACHE_HOME"); cache && cache[0] == '/')
        c.cacheDir = std::string(cache) + "/linewatch";
    else if (const char* home = given(env, "HOME"))
        c.cacheDir = std::string(home) + "/.cache/linewatch";
    return c;
}

void applyConfig(const Config& config)
{
    configureFetch(config.api);
    configureWindow(config.window);
    configureChime(config.chime);
    configureSpeech(config.speech);
}
