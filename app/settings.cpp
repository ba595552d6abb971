#include "app/settings.h"

#include "platform/console.h"
#include "platform/file.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
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

// printf into the end of text, however long the result.
__attribute__((format(printf, 2, 3))) void appendFormatted(std::string& text, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    if (length > 0) {
        const std::size_t end = text.size();
        text.resize(end + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&text[end], static_cast<std::size_t>(length) + 1, fmt, again);
        text.resize(end + static_cast<std::size_t>(length));
    }
    va_end(again);
}

// The six settings lines, then one "(%03d)NUMBER RAILWAY" line per known
// train. Readers take only the six settings, so the railway after the number
// is read by no version, and lines of number alone are as good.
std::string settingsText(const MonitorState& st)
{
    std::string text;
    appendFormatted(text, "ixf:%d\niyf:%d\nratio:%f\niflag:%d\nsound_flag:%d\nkstr_flag:%d\n", st.ixf, st.iyf,
                    static_cast<double>(st.ratio), st.iflag, sound_flag, kstr_flag);
    for (int i = 0; i < st.known.count; ++i)
        appendFormatted(text, "(%03d)%s%s%s\n", i, st.known.trains[i].number,
                        st.known.trains[i].railway[0] ? " " : "", st.known.trains[i].railway);
    return text;
}

}  // namespace

void readSettings(MonitorState& st, const char* path, bool lineArgsGiven)
{
    // strtol and strtof stop at a NUL, so embedded NULs only end a number early.
    FileRead file = readRegularFile(path, kReadCap);
    if (file.status == FileRead::Refused)
        console_print("settings: cannot read %s (%s); using the defaults\n", path, file.reason.c_str());
    if (file.status != FileRead::Read) {
        const long double width = kMapFrameWidth;
        const long double height = kMapFrameHeight;
        st.ixf = static_cast<int32_t>(std::trunc(width * st.ratio * 0.3L - width * 0.3L));
        st.iyf = static_cast<int32_t>(std::trunc(height * 0.3L - height * st.ratio * 0.3L));
        return;
    }
    Scanner in(file.bytes);
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
    FileSave save = saveFileAtomically(path, settingsText(st));
    if (!save.saved)
        console_print("settings: cannot write %s: %s\n", path, save.reason.c_str());
    else if (save.rewrittenInPlace)
        console_print("settings: rewrote %s in place (%s)\n", path, save.reason.c_str());
    return save.saved;
}
