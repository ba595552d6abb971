// Console device over the Win32 console.
// [Output] Shift_JIS to UTF-16 for WriteConsoleW, line tails erased with
//          console calls; redirected output gets the Shift_JIS bytes unchanged
// [Mode]   single-key mode and its restoration
// [Input]  console key records, or a reader thread when input is a pipe or file
#include "platform/charset.h"
#include "platform/console_device.h"
#include "platform/console_keys.h"

#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// ---- output ----

std::wstring toWide(const std::string& sjis)
{
    const std::string utf8 = cp932ToUtf8(sjis);
    std::wstring wide(utf8.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

// Blanks the console line from the cursor to its right edge, cursor unmoved.
void eraseToLineEnd(HANDLE out)
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(out, &info) || info.dwCursorPosition.X >= info.dwSize.X)
        return;
    const DWORD count = static_cast<DWORD>(info.dwSize.X - info.dwCursorPosition.X);
    DWORD done = 0;
    FillConsoleOutputCharacterW(out, L' ', count, info.dwCursorPosition, &done);
    FillConsoleOutputAttribute(out, info.wAttributes, count, info.dwCursorPosition, &done);
}

void writeWide(HANDLE out, const wchar_t* text, std::size_t len)
{
    DWORD written = 0;
    if (len > 0)
        WriteConsoleW(out, text, static_cast<DWORD>(len), &written, nullptr);
}

// A message overwriting a longer one (a "\r" ending asks for that) would
// leave the longer one's tail showing, so every line a message writes is
// erased to its end just before its line end.
void writeConsole(HANDLE out, const std::string& sjis)
{
    const std::wstring wide = toWide(sjis);
    std::size_t start = 0;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] != L'\n' && wide[i] != L'\r')
            continue;
        writeWide(out, wide.data() + start, i - start);
        eraseToLineEnd(out);
        writeWide(out, wide.data() + i, 1);
        start = i + 1;
    }
    writeWide(out, wide.data() + start, wide.size() - start);
}

// The console and redirected output both take the program's Shift_JIS; the
// console's wide characters are made only as it is written.
ConsoleText encodeOutput(const std::string& sjis)
{
    return {sjis, MaskEncoding::ShiftJis};
}

void writeOutput(const std::string& sjis)
{
    // Whatever the C library holds for standard output goes first.
    std::fflush(stdout);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(out, &mode)) {
        writeConsole(out, sjis);
        return;
    }
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE && !sjis.empty())
        WriteFile(out, sjis.data(), static_cast<DWORD>(sjis.size()), &written, nullptr);
}

// ---- mode ----

DWORD savedMode = 0;
bool modeSaved = false;

HANDLE input()
{
    return GetStdHandle(STD_INPUT_HANDLE);
}

bool inputIsConsole()
{
    DWORD mode;
    return GetConsoleMode(input(), &mode) != 0;
}

// Keys arrive as records, unechoed; Ctrl-C still ends the program.
void applySingleKeyMode()
{
    SetConsoleMode(input(), (savedMode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)) | ENABLE_PROCESSED_INPUT);
}

void restoreMode()
{
    if (modeSaved)
        SetConsoleMode(input(), savedMode);
}

// Ctrl-C, Ctrl-Break and a closed console end the program without the C
// library's exit hooks, so the console mode is put back here first; the
// system's own handling then goes on.
BOOL WINAPI restoreOnControl(DWORD)
{
    restoreMode();
    return FALSE;
}

// ---- input ----

// Standard input that is not a console (a pipe, a file, NUL) is read by one
// thread into this queue, so a key test never blocks; its end reads as 'q'.
struct PipeQueue {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<int> bytes;  // kConsoleEndByte after the last byte
    bool started = false;
};

PipeQueue& pipeQueue()
{
    static PipeQueue* queue = new PipeQueue;  // outlives the reader at exit
    return *queue;
}

void readPipe(HANDLE in)
{
    PipeQueue& q = pipeQueue();
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        std::lock_guard<std::mutex> g(q.lock);
        q.bytes.insert(q.bytes.end(), buffer, buffer + got);
        for (std::size_t i = q.bytes.size() - got; i < q.bytes.size(); ++i)
            q.bytes[i] &= 0xFF;
        q.arrived.notify_all();
    }
    std::lock_guard<std::mutex> g(q.lock);
    q.bytes.push_back(kConsoleEndByte);
    q.arrived.notify_all();
}

void startPipeReader()
{
    PipeQueue& q = pipeQueue();
    std::lock_guard<std::mutex> g(q.lock);
    if (q.started)
        return;
    q.started = true;
    // Blocked in ReadFile for good on an idle pipe; process exit ends it.
    std::thread(readPipe, input()).detach();
}

bool pipeByteWaiting()
{
    startPipeReader();
    PipeQueue& q = pipeQueue();
    std::lock_guard<std::mutex> g(q.lock);
    return !q.bytes.empty();
}

// The next byte of piped input, waiting for it however long waitMs is (a
// pipe's bytes are never parts of a sequence); the end stays at the front.
int nextPipeByte(int)
{
    startPipeReader();
    PipeQueue& q = pipeQueue();
    std::unique_lock<std::mutex> g(q.lock);
    q.arrived.wait(g, [&] { return !q.bytes.empty(); });
    const int b = q.bytes.front();
    if (b != kConsoleEndByte)
        q.bytes.pop_front();
    return b;
}

// Second code of an arrow key, as the console's key functions deliver them.
int arrowCode(WORD virtualKey)
{
    switch (virtualKey) {
    case VK_UP:
        return kConsoleArrowUp;
    case VK_DOWN:
        return kConsoleArrowDown;
    case VK_RIGHT:
        return kConsoleArrowRight;
    case VK_LEFT:
        return kConsoleArrowLeft;
    default:
        return 0;
    }
}

// The key codes of one key record: an arrow's prefix and code, a character's
// one or two Shift_JIS bytes; first is kNoKey for a record that is no key press.
constexpr int kNoKey = -1;

ConsoleKey keyCodes(const INPUT_RECORD& record)
{
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown)
        return {kNoKey, kConsoleNoSecond};
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    if (const int arrow = arrowCode(key.wVirtualKeyCode))
        return {kConsoleArrowPrefix, arrow};
    const wchar_t c = key.uChar.UnicodeChar;
    if (c == 0)
        return {kNoKey, kConsoleNoSecond};
    char utf8[4];
    const int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, utf8, sizeof utf8, nullptr, nullptr);
    const std::string sjis = utf8ToCp932(std::string(utf8, n > 0 ? static_cast<std::size_t>(n) : 0));
    if (sjis.empty())
        return {kNoKey, kConsoleNoSecond};
    return {static_cast<unsigned char>(sjis[0]),
            sjis.size() > 1 ? static_cast<unsigned char>(sjis[1]) : kConsoleNoSecond};
}

// Drops records ahead of the next key press; true when one is waiting.
bool consoleKeyWaiting()
{
    INPUT_RECORD record;
    DWORD count = 0;
    while (PeekConsoleInputW(input(), &record, 1, &count) && count == 1) {
        if (keyCodes(record).first != kNoKey)
            return true;
        ReadConsoleInputW(input(), &record, 1, &count);
    }
    return false;
}

ConsoleKey readConsoleKey()
{
    INPUT_RECORD record;
    DWORD count = 0;
    while (ReadConsoleInputW(input(), &record, 1, &count) && count == 1) {
        const ConsoleKey key = keyCodes(record);
        if (key.first != kNoKey)
            return key;
    }
    return {'q', kConsoleNoSecond};
}

bool readConsoleLine(std::string& line)
{
    if (modeSaved)
        SetConsoleMode(input(), savedMode | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT);
    wchar_t buffer[1024];  // capacity of one read; a longer line takes several
    std::wstring wide;
    DWORD got = 0;
    bool any = false;
    while (ReadConsoleW(input(), buffer, sizeof buffer / sizeof buffer[0], &got, nullptr) && got > 0) {
        any = true;
        wide.append(buffer, got);
        if (wide.back() == L'\n')
            break;
    }
    if (modeSaved)
        applySingleKeyMode();
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r'))
        wide.pop_back();
    std::string utf8(wide.size() * 3, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr, nullptr);
    line = utf8ToCp932(utf8.substr(0, n > 0 ? static_cast<std::size_t>(n) : 0));
    return any;
}

void openConsole()
{
    if (modeSaved || !GetConsoleMode(input(), &savedMode))
        return;
    modeSaved = true;
    std::atexit(restoreMode);
    SetConsoleCtrlHandler(restoreOnControl, TRUE);
    applySingleKeyMode();
}

bool keyWaiting()
{
    return inputIsConsole() ? consoleKeyWaiting() : pipeByteWaiting();
}

// Piped bytes are the key codes themselves, an arrow's prefix and second
// code among them: there is no terminal whose sequences would need decoding.
ConsoleKey readKey()
{
    if (inputIsConsole())
        return readConsoleKey();
    const int b = nextPipeByte(-1);
    return {b == kConsoleEndByte ? 'q' : b, kConsoleNoSecond};
}

// Piped lines are taken as Shift_JIS already, the console's own code page.
bool readLine(std::string& line, std::size_t cap)
{
    return inputIsConsole() ? readConsoleLine(line) : readStreamLine(nextPipeByte, line, cap);
}

}  // namespace

const ConsoleDevice console_device = {encodeOutput, writeOutput, openConsole, restoreMode,
                                      keyWaiting,   readKey,     readLine};
