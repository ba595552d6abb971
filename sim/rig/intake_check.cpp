#include "sim/rig/intake_check.h"

#include <algorithm>
#include <cctype>

namespace {

// Case-insensitive equality of a header name with a lower-case one.
bool sameName(const std::string& name, const char* lower)
{
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded == lower;
}

// Header value without the blanks around it.
std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

}  // namespace

RequestCheck checkRequest(const std::string& bytes, std::size_t headerBytes, std::size_t bodyBytes)
{
    RequestCheck check;
    // the blank line may end in CR LF or in LF alone
    size_t blank = std::min(bytes.find("\n\r\n"), bytes.find("\n\n"));
    size_t headerEnd = blank == std::string::npos ? blank : blank + (bytes[blank + 1] == '\r' ? 3 : 2);
    if (headerEnd == std::string::npos || headerEnd > headerBytes) {
        if (std::min(bytes.size(), headerEnd) > headerBytes)
            check.refusal = 431;
        return check;
    }
    size_t body = 0;
    bool lengthSeen = false;
    for (size_t line = bytes.find('\n') + 1; line < blank; line = bytes.find('\n', line) + 1) {
        const size_t end = bytes.find('\n', line);
        const size_t colon = bytes.find(':', line);
        if (colon >= end)
            continue;
        const std::string name = bytes.substr(line, colon - line);
        const std::string value = trimmed(bytes.substr(colon + 1, end - colon - 1));
        if (sameName(name, "transfer-encoding")) {
            check.refusal = 411;
            return check;
        }
        if (!sameName(name, "content-length"))
            continue;
        const bool digits =
            !value.empty() && value.size() <= 18 &&
            std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); });
        if (lengthSeen || !digits) {
            check.refusal = 400;
            return check;
        }
        lengthSeen = true;
        body = std::stoull(value);
    }
    if (body > bodyBytes) {
        check.refusal = 413;
        return check;
    }
    if (bytes.size() >= headerEnd + body)
        check.length = headerEnd + body;
    return check;
}
