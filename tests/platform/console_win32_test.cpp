// The Win32 console back-end where no console is attached: output to a file
// keeps the program's Shift_JIS bytes, keys and lines come from a pipe and
// its end reads as 'q'.
#include "platform/console.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

// Runs body with standard output going to a temporary file; returns what
// the file received.
template <typename Body>
std::string outputOf(Body body)
{
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"lw", 0, name);
    HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, file);
    body();
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

TEST(Win32Console, RedirectedOutputIsTheProgramsBytesUnchanged)
{
    const std::string out = outputOf([] {
        console_print("データ再取得まで %2d 秒\r", 7);
        console_print("%s: HTTP %ld\n", "odpt:Train", 404L);
        console_print("x\x1b[2Jy\r\n");
    });
    // No conversion, no \n -> \r\n, no erase sequences; control bytes and a
    // carriage return that is not the last byte are dropped as everywhere.
    EXPECT_EQ(out,
              "データ再取得まで  7 秒\r"
              "odpt:Train: HTTP 404\n"
              "x[2Jy\n");
}

TEST(Win32Console, PipedKeysAndLinesEndInQ)
{
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    HANDLE saved = GetStdHandle(STD_INPUT_HANDLE);
    SetStdHandle(STD_INPUT_HANDLE, readEnd);
    console_open();  // no console: nothing to change, and no failure

    EXPECT_FALSE(console_key_waiting()) << "an empty pipe has no key and the test does not block";
    const std::string typed =
        "a\xE0"
        "H3 8 12 x\r\n\x93\x8C\x8B\x9E\n";
    DWORD written = 0;
    WriteFile(writeEnd, typed.data(), static_cast<DWORD>(typed.size()), &written, nullptr);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!console_key_waiting() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(console_read_key(), 'a');
    EXPECT_EQ(console_read_key(), 0xE0);
    EXPECT_EQ(console_read_key(), 'H');
    char line[8];  // capacity cuts the first line to 7 bytes
    EXPECT_TRUE(console_read_line(line, sizeof line));
    EXPECT_STREQ(line, "3 8 12 ");
    char kanji[4];  // room for one two-byte character only
    EXPECT_TRUE(console_read_line(kanji, sizeof kanji));
    EXPECT_STREQ(kanji, "\x93\x8C");

    CloseHandle(writeEnd);
    EXPECT_EQ(console_read_key(), 'q') << "the end of input quits";
    EXPECT_EQ(console_read_key(), 'q') << "and keeps quitting";
    EXPECT_FALSE(console_read_line(line, sizeof line));
    console_close();
    SetStdHandle(STD_INPUT_HANDLE, saved);
    CloseHandle(readEnd);
}

}  // namespace
