// The console's front: formatting, filtering and the key's masking of what is
// written, capture, scripts, and the second code of a key until it is read;
// the platform's device (console_device.h) writes and reads the rest.
#include "platform/console.h"

#include "platform/console_device.h"
#include "platform/console_input.h"
#include "platform/console_text.h"
#include "platform/key_mask.h"

#include <cstdarg>

namespace {

std::string* captureSink = nullptr;
std::string* script = nullptr;
int pendingSecond = kConsoleNoSecond;  // of an arrow, or of a double-byte character

// A script's bytes, taken from its front; it never waits.
int nextScriptByte(int)
{
    if (script->empty())
        return kConsoleEndByte;
    const unsigned char c = static_cast<unsigned char>((*script)[0]);
    script->erase(0, 1);
    return c;
}

void emit(const std::string& text)
{
    const std::string clean = console_cut_lines(console_drop_controls(text.data(), text.size()));
    // the key is masked last, in what is written as it is written
    if (captureSink) {
        captureSink->append(maskShown(clean, MaskEncoding::ShiftJis));
        return;
    }
    const ConsoleText out = console_device.encode(clean);
    console_device.write(maskShown(out.bytes, out.encoding));
}

}  // namespace

void console_print(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    const std::string text = console_format(fmt, ap);
    va_end(ap);
    emit(text);
}

void console_capture(std::string* sink)
{
    captureSink = sink;
}

void console_script(std::string* s)
{
    script = s;
    pendingSecond = kConsoleNoSecond;
}

void console_open()
{
    console_device.open();
}

void console_close()
{
    console_device.close();
}

bool console_key_waiting()
{
    if (pendingSecond != kConsoleNoSecond)
        return true;
    if (script)
        return !script->empty();
    return console_device.keyWaiting();
}

int console_read_key()
{
    if (pendingSecond != kConsoleNoSecond) {
        const int c = pendingSecond;
        pendingSecond = kConsoleNoSecond;
        return c;
    }
    const ConsoleKey key = script ? readStreamKey(nextScriptByte) : console_device.readKey();
    pendingSecond = key.second;
    return key.first;
}

bool console_read_line(char* buf, std::size_t cap)
{
    if (cap == 0)
        return false;
    // a half-read key belongs to what came before the line
    pendingSecond = kConsoleNoSecond;
    std::string line;
    const bool any = script ? readStreamLine(nextScriptByte, line, cap) : console_device.readLine(line, cap);
    console_copy_line(line, buf, cap);
    return any;
}
