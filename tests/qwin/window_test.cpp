// The escape checkpoint, the window's failure exits and the PNG snapshot.
#include "qwin/qwin.h"
#include "tests/qwin/pixel_check.h"
#include "tests/qwin/snapshot_read.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
constexpr int checkpoint_calls = 100;

// Draws with `op` until the checkpoint ends the program; exits 3 if `limit`
// calls go by without that.
template <typename Op>
void draw_until_exit(Op op, int limit)
{
    for (int i = 0; i < limit; ++i)
        op(i);
    std::exit(3);
}

TEST(EscapeCheckpointDeathTest, EndsTheProgramWithStatusZeroWithinOneRound)
{
    // Every operation with a countdown, and a line counting through qwin_pset.
    const std::function<void(int)> ops[] = {
        [](int) { qwin_cls(); },
        [](int i) { qwin_boxf(0, 0, static_cast<int16_t>(i % 600), 10, 2); },
        [](int) { qwin_rect(0, 0, 10, 10, 2); },
        [](int i) { qwin_pset(i % 640, 0, 2); },
        [](int) { qwin_line(0, 0, 99, 0, 2); },
    };
    for (const auto& op : ops) {
        EXPECT_EXIT(
            {
                qwin_open();
                qwin_set_escape();
                draw_until_exit(op, checkpoint_calls);
            },
            testing::ExitedWithCode(0), "");
    }
}

TEST(EscapeCheckpointDeathTest, EscapeFromAnotherThreadStopsALongDrawing)
{
    EXPECT_EXIT(
        {
            qwin_open();
            std::atomic<bool> drawing{false};
            std::thread window([&drawing] {
                while (!drawing.load())
                    std::this_thread::yield();
                qwin_set_escape();
            });
            window.detach();
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            for (int i = 0; std::chrono::steady_clock::now() < give_up; ++i) {
                qwin_pset(i % 640, (i / 640) % 400, i % 16);
                drawing.store(true);
            }
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}

TEST(EscapeCheckpointDeathTest, MainCyclePollEndsAtOnceAndOnlyAfterAPress)
{
    EXPECT_EXIT(
        {
            qwin_open();
            qwin_poll_escape();
            std::fputs("no press, no exit\n", stderr);
            qwin_set_escape();
            qwin_poll_escape();
            std::exit(3);
        },
        testing::ExitedWithCode(0), "no press, no exit");
}

TEST(EscapeCheckpoint, ACheckpointWithoutEscapeDrawsOn)
{
    qwin_open();
    for (int i = 0; i < 3 * checkpoint_calls; ++i)
        qwin_pset(i, 1, 2);
    EXPECT_EQ(only_pixels(pixel_block(0, 1, 300, 2), 2), "");
}

TEST(WindowDeathTest, UnreachableDisplayLeavesTheBitmapOnly)
{
    // A stale DISPLAY must neither end the program nor block it: it draws on
    // into the bitmap as when headless, and closing returns at once.
    EXPECT_EXIT(
        {
            configureWindow(WindowSettings{});
            unsetenv("WAYLAND_DISPLAY");
            setenv("DISPLAY", "127.0.0.1:4093", 1);
            qwin_open();
            qwin_pset(5, 6, 4);
            qwin_close();
            std::exit(qwin_pixel(5, 6) == qwin_rgb(4) ? 0 : 3);
        },
        testing::ExitedWithCode(0), "^$");
}

TEST(Snapshot, WritesTheBitmapAndReportsFailureHonestly)
{
    qwin_open();
    for (int colour = 0; colour < 16; ++colour)
        qwin_boxf(static_cast<int16_t>(colour * 40), 0, static_cast<int16_t>(colour * 40 + 39), 399,
                  static_cast<int16_t>(colour));
    qwin_rect(100, 100, 200, 150, 4);
    qwin_line(0, 399, 639, 0, 6);

    char dir[] = "/tmp/qwin_snapshot_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/picture.png";
    ASSERT_TRUE(qwin_snapshot(path.c_str()).saved);
    const std::vector<uint32_t> read = read_png(path);
    ASSERT_EQ(read.size(), static_cast<size_t>(qwin_width * qwin_height));
    EXPECT_EQ(bitmap_mismatches([&read](int x, int y) { return read[y * qwin_width + x]; }), "");

    // A second picture replaces the first whole and leaves no temporary file.
    qwin_boxf(0, 0, 320, 200, 2);
    ASSERT_TRUE(qwin_snapshot(path.c_str()).saved);
    const std::vector<uint32_t> again = read_png(path);
    ASSERT_EQ(again.size(), static_cast<size_t>(qwin_width * qwin_height));
    EXPECT_EQ(again.front(), qwin_rgb(2));
    EXPECT_EQ(bitmap_mismatches([&again](int x, int y) { return again[y * qwin_width + x]; }), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              1);

    // A symlinked picture name keeps pointing at the picture it names, which is the one replaced.
    const std::string link = std::string(dir) + "/latest.png";
    std::filesystem::create_symlink("picture.png", link);
    qwin_boxf(0, 0, 320, 200, 3);
    const FileSave linked = qwin_snapshot(link.c_str());
    EXPECT_TRUE(linked.saved) << linked.reason;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    ASSERT_EQ(read_png(path).size(), static_cast<size_t>(qwin_width * qwin_height));
    EXPECT_EQ(read_png(path).front(), qwin_rgb(3));
    std::remove(link.c_str());

    const FileSave missing = qwin_snapshot((std::string(dir) + "/missing/picture.png").c_str());
    EXPECT_FALSE(missing.saved);
    EXPECT_EQ(missing.reason, "No such file or directory");
    EXPECT_FALSE(qwin_snapshot("/dev/full").saved) << "a write that fails must not count as written";
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"))
        << "a device is written in place, never replaced";
    std::remove(path.c_str());
    rmdir(dir);
}
}  // namespace
