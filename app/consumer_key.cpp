#include "app/consumer_key.h"

#include "platform/file.h"

#include <utility>

namespace {

// Far more than any key; the first line must end within it.
constexpr std::size_t kReadCap = 4096;

// Dropped around the key; \r is what a file saved on Windows ends its lines with.
constexpr char kBlanks[] = " \t\r\v\f";

// The key travels in a URL's query: nothing that would end or split it.
bool isKeyCharacter(char c)
{
    return c > ' ' && c < 0x7f && c != '&' && c != '#';
}

// path as one shell word, quoted when it holds anything a shell would read.
std::string shellWord(const std::string& path)
{
    if (path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-+:@%~,") ==
        std::string::npos)
        return path;
    std::string word = "'";
    for (char c : path)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

KeyFile refused(std::string reason)
{
    KeyFile k;
    k.status = KeyFile::Refused;
    k.reason = std::move(reason);
    return k;
}

}  // namespace

KeyFile readKeyFile(const std::string& path)
{
    const FileRead file = readRegularFile(path.c_str(), kReadCap);
    if (file.status == FileRead::Missing)
        return KeyFile{};
    if (file.status == FileRead::Refused)
        return refused("cannot read the consumer key from " + path + ": " + file.reason);
    if (file.othersMayUse)
        return refused("the consumer key file " + path +
                       " may be used by others; make it yours alone: chmod 600 " + shellWord(path));
    const std::size_t end = file.bytes.find('\n');
    if (end == std::string::npos && file.bytes.size() == kReadCap)
        return refused("the first line of " + path + " is too long for a consumer key");
    std::string line = file.bytes.substr(0, end);
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return refused("no consumer key on the first line of " + path);
    line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
    for (char c : line)
        if (!isKeyCharacter(c))
            return refused("the first line of " + path +
                           " is no consumer key: only letters, digits and punctuation may be in one");
    KeyFile k;
    k.status = KeyFile::Read;
    k.key = std::move(line);
    return k;
}
