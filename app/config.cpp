#include "app/config.h"

#include "app/consumer_key.h"
#include "opendata/calendar.h"
#include "platform/key_mask.h"

#include <cstdlib>
#include <cstring>
#include <utility>

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

// The program's own folder in a base directory: xdgName's value when it is
// an absolute path (a relative one is to be ignored, as the base-directory
// rules say), else $HOME + homeFolder; empty without either.
std::string userFolder(const EnvironmentLookup& env, const char* xdgName, const char* homeFolder)
{
    if (const char* base = given(env, xdgName); base && base[0] == '/')
        return std::string(base) + "/linewatch";
    if (const char* home = given(env, "HOME"))
        return std::string(home) + homeFolder + "/linewatch";
    return {};
}

std::string keyFilePath(const EnvironmentLookup& env)
{
#ifdef _WIN32
    const char* appData = given(env, "APPDATA");
    return appData ? std::string(appData) + "\\linewatch\\consumer-key" : std::string();
#else
    const std::string folder = userFolder(env, "XDG_CONFIG_HOME", "/.config");
    return folder.empty() ? folder : folder + "/consumer-key";
#endif
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
    c.keyFile = keyFilePath(env);
    if (const char* key = given(env, "LINEWATCH_CONSUMER_KEY")) {
        c.api.consumerKey = key;
    } else if (!c.options.demo && !c.keyFile.empty()) {
        KeyFile file = readKeyFile(c.keyFile);
        if (file.status == KeyFile::Read)
            c.api.consumerKey = std::move(file.key);
        c.keyRefusal = std::move(file.reason);
    }
    // --api wins over LINEWATCH_API; with neither the demo speaks today's
    // version and any other run leaves the choice to the root.
    ApiVersion version;
    if (const char* value = given(env, "LINEWATCH_API"); value != nullptr && parseApiVersion(value, version))
        c.api.version = version;
    if (c.options.api)
        c.api.version = c.options.api;
    if (c.options.demo && !c.api.version)
        c.api.version = ApiVersion::V4;
    readMilliseconds(env, "LINEWATCH_CONNECT_TIMEOUT_MS", c.api.http.connectTimeoutMs);
    readMilliseconds(env, "LINEWATCH_HTTP_TIMEOUT_MS", c.api.http.totalTimeoutMs);
    readText(env, "LINEWATCH_CA_FILE", c.api.http.caFile);
    c.window.headless = c.options.headless || equals(env, "LINEWATCH_HEADLESS", "1");
    c.chime.silent = equals(env, "LINEWATCH_SOUND", "none");
    c.speech.silent = equals(env, "LINEWATCH_SPEECH", "none");
    readText(env, "LINEWATCH_SPEECH_DIR", c.speech.keepDir);
    c.cacheDir = userFolder(env, "XDG_CACHE_HOME", "/.cache");
    return c;
}

void applyConfig(const Config& config)
{
    configureFetch(config.api);
    configureShownKey(config.api.consumerKey);
    configureWindow(config.window);
    configureChime(config.chime);
    configureSpeech(config.speech);
}
