// UTF-8 → CP932 in pieces: what a back-end leaves unfinished at the end of one
// chunk is held and joined to the next.
#include "platform/charset.h"
#include "platform/charset_convert.h"

#include <cstring>

void cp932_begin(Cp932Stream& stream)
{
    stream.heldLen = 0;
}

void cp932_feed(Cp932Stream& stream, std::string_view chunk, std::string& out)
{
    std::string joined;
    if (stream.heldLen > 0) {
        joined.reserve(stream.heldLen + chunk.size());
        joined.append(stream.held, stream.heldLen);
        joined.append(chunk);
        chunk = joined;
        stream.heldLen = 0;
    }
    const std::size_t tail = utf8ToCp932Part(chunk, out);
    // An unfinished character is shorter than a whole one; a back-end that
    // reported more would not fit the hold.
    if (tail >= sizeof stream.held) {
        out.append(kCp932Geta);
        return;
    }
    std::memcpy(stream.held, chunk.data() + chunk.size() - tail, tail);
    stream.heldLen = tail;
}

void cp932_end(Cp932Stream& stream, std::string& out)
{
    if (stream.heldLen > 0)
        out.append(kCp932Geta);
    stream.heldLen = 0;
}

std::string utf8ToCp932(std::string_view utf8)
{
    Cp932Stream stream;
    cp932_begin(stream);
    std::string out;
    cp932_feed(stream, utf8, out);
    cp932_end(stream, out);
    return out;
}
