#include "app/settings.h"

#include "platform/process.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Only the first six lines matter; a file larger than this is read no further.
constexpr std::size_t kReadCap = 64 * 1024;

// Pan offsets beyond this are not something the program writes; such a value
// counts as unreadable so later pixel arithmetic cannot overflow.
constexpr long kPanLimit = 1000000;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Matches the input-format semantics of "key:%d\n" / "key:%f\n" on a buffer:
// the literal key must match byte for byte (a mismatch leaves the position at
// the first differing byte), the number skips leading blanks, and the trailing
// line end skips any white space. A failed pattern leaves later ones to try
// from where it stopped, so a missing line does not spoil the rest.
class Scanner {
public:
    explicit Scanner(const std::string& text) : s_(text) {}

    // Reads "key" then an integer that fits in [-limit, limit].
    bool integer(const char* key, long limit, int32_t& out)
    {
        if (!literal(key))
            return false;
        skipSpace();
        const char* start = s_.c_str() + pos_;
        char* end = nullptr;
        errno = 0;
        long v = std::strtol(start, &end, 10);
        if (end == start)
            return false;
        pos_ += static_cast<std::size_t>(end - start);
        skipSpace();
        if (errno == ERANGE || v < -limit || v > limit)
            return false;
        out = static_cast<int32_t>(v);
        return true;
    }

    // Reads "key" then a real number.
    bool real(const char* key, float& out)
    {
        if (!literal(key))
            return false;
        skipSpace();
        const char* start = s_.c_str() + pos_;
        char* end = nullptr;
        float v = std::strtof(start, &end);
        if (end == start)
            return false;
        pos_ += static_cast<std::size_t>(end - start);
        skipSpace();
        out = v;
        return true;
    }

private:
    bool literal(const char* key)
    {
        for (; *key; ++key, ++pos_)
            if (pos_ >= s_.size() || s_[pos_] != *key)
                return false;
        return true;
    }

    void skipSpace()
    {
        while (pos_ < s_.size() && isSpace(s_[pos_]))
            ++pos_;
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

bool readFile(const char* path, std::string& text)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    char chunk[4096];
    std::size_t n;
    while (text.size() < kReadCap && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    std::fclose(f);
    // strtol and strtof stop at a NUL, so embedded NULs only end a number early.
    if (text.size() > kReadCap)
        text.resize(kReadCap);
    return true;
}

// The directory part of path, with its slash, or "" for a bare name.
std::string directoryOf(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? std::string(path, static_cast<std::size_t>(slash - path + 1)) : std::string();
}

}  // namespace

void readSettings(MonitorState& st, const char* path, bool lineArgsGiven)
{
    std::string text;
    if (!readFile(path, text)) {
        st.ixf = static_cast<int32_t>(std::trunc(512.0L * st.ratio * 0.3L - 512.0L * 0.3L));
        st.iyf = static_cast<int32_t>(std::trunc(350.0L * 0.3L - 350.0L * st.ratio * 0.3L));
        return;
    }
    Scanner in(text);
    in.integer("ixf:", kPanLimit, st.ixf);
    in.integer("iyf:", kPanLimit, st.iyf);
    float ratio;
    // Zoom below or at zero, or not a number, is never written by the program.
    if (in.real("ratio:", ratio) && std::isfinite(ratio) && ratio > 0.0f)
        st.ratio = ratio;
    int32_t saved;
    if (in.integer("iflag:", INT32_MAX, saved) && !lineArgsGiven)
        st.iflag = saved;
    in.integer("sound_flag:", INT32_MAX, sound_flag);
    in.integer("kstr_flag:", INT32_MAX, kstr_flag);
}

bool writeSettings(const MonitorState& st, const char* path)
{
    std::string tmp = directoryOf(path) + ".linewatch.ini." + std::to_string(process_id()) + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "w");
    if (!f)
        return false;
    bool ok = std::fprintf(f, "ixf:%d\niyf:%d\nratio:%f\niflag:%d\nsound_flag:%d\nkstr_flag:%d\n",
                           st.ixf, st.iyf, static_cast<double>(st.ratio), st.iflag, sound_flag,
                           kstr_flag) > 0;
    for (int i = 0; ok && i < st.knownCount; ++i)
        ok = std::fprintf(f, "(%03d)%s\n", i, st.knownTrains[i].number) > 0;
    ok = file_flush_to_disk(f) && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(tmp.c_str(), path) == 0)
        return true;
    std::remove(tmp.c_str());
    return false;
}
