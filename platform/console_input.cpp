#include "platform/console_input.h"

#include "platform/console_keys.h"

namespace {

constexpr int kEscape = 0x1B;

// Escape sequences arrive in one burst; 30 ms tells them from a lone Escape.
constexpr int kSequenceGapMs = 30;

// Second code of the arrow whose final byte of ESC [ x / ESC O x is x, or 0.
int arrowCode(int final)
{
    switch (final) {
    case 'A':
        return kConsoleArrowUp;
    case 'B':
        return kConsoleArrowDown;
    case 'C':
        return kConsoleArrowRight;
    case 'D':
        return kConsoleArrowLeft;
    default:
        return 0;
    }
}

// Reads the rest of an escape sequence.
ConsoleKey decodeEscape(ConsoleByteSource next)
{
    const int b = next(kSequenceGapMs);
    if (b != '[' && b != 'O')
        return {kEscape, kConsoleNoSecond};
    int c = next(kSequenceGapMs);
    // CSI parameters (digits, ';') come before the final byte.
    while (c >= 0x20 && c < 0x40)
        c = next(kSequenceGapMs);
    const int code = arrowCode(c);
    if (code == 0)
        return {kEscape, kConsoleNoSecond};
    return {kConsoleArrowPrefix, code};
}

}  // namespace

ConsoleKey readStreamKey(ConsoleByteSource next)
{
    const int b = next(-1);
    if (b < 0)
        return {'q', kConsoleNoSecond};
    if (b == kEscape)
        return decodeEscape(next);
    return {b, kConsoleNoSecond};
}

bool readStreamLine(ConsoleByteSource next, std::string& line, std::size_t keep)
{
    line.clear();
    bool any = false;
    for (int b; (b = next(-1)) >= 0;) {
        any = true;
        if (b == '\n')
            break;
        if (b != '\r' && line.size() < keep)
            line.push_back(static_cast<char>(b));
    }
    return any;
}
