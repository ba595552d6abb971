// The GDI window as a user meets it (needs a display: make check-windows runs
// it under Xvfb): the picture reaches the window and comes back on F5, the
// size is fixed, Escape ends the program, a quit waits for the user, and the
// close box leaves the drawing going on into the bitmap.
#include "qwin/qwin.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

HWND qwinWindow()
{
    return FindWindowW(L"qwin", L"qwin");
}

// The window's pixel at (x, y) as 0xRRGGBB.
uint32_t shown(int x, int y)
{
    HDC dc = GetDC(qwinWindow());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(qwinWindow(), dc);
    return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

// Waits until the window shows rgb at (x, y), at most ten seconds (Wine on a
// busy machine can be slow).
bool showsSoon(int x, int y, uint32_t rgb)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (shown(x, y) != rgb) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Blackens the window's client area behind the bitmap's back, as a window
// dragged across it would.
void damage()
{
    HDC dc = GetDC(qwinWindow());
    RECT all = {0, 0, qwin_width, qwin_height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(qwinWindow(), dc);
}

void pressKey(WPARAM key, bool repeat)
{
    PostMessageW(qwinWindow(), WM_KEYDOWN, key, repeat ? (1L << 30) | 1 : 1);
}

TEST(GdiWindowDeathTest, EscapeInTheWindowEndsTheProgramAtTheNextCheckpoint)
{
    EXPECT_EXIT(
        {
            qwin_open();
            pressKey(VK_ESCAPE, false);
            for (int i = 0; i < 1000; ++i) {
                qwin_poll_escape();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}

TEST(GdiWindowDeathTest, AQuitWaitsForTheUserNotForTheProgramsOwnDrawing)
{
    EXPECT_EXIT(
        {
            qwin_open();
            std::atomic<bool> closed{false};
            std::thread user([&closed] {
                for (int i = 0; i < 30; ++i) {
                    qwin_pset(i, i, 2);  // posts to the window, but is no user's message
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                if (closed.load())
                    std::exit(3);
                PostMessageW(qwinWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            });
            qwin_close();
            closed.store(true);
            user.join();
            std::exit(qwinWindow() == nullptr ? 0 : 4);
        },
        testing::ExitedWithCode(0), "");
}

TEST(GdiWindow, ShowsTheBitmapKeepsItsSizeAndOutlivesItsCloseBox)
{
    qwin_open();
    ASSERT_NE(qwinWindow(), nullptr);
    RECT client;
    GetClientRect(qwinWindow(), &client);
    EXPECT_EQ(client.right - client.left, qwin_width);
    EXPECT_EQ(client.bottom - client.top, qwin_height);
    const LONG style = GetWindowLongW(qwinWindow(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "no sizing frame, no maximise box";
    EXPECT_NE(style & WS_SYSMENU, 0) << "a close box";

    qwin_boxf(100, 100, 200, 150, 4);
    qwin_pset(639, 399, 14);
    EXPECT_TRUE(showsSoon(150, 120, qwin_rgb(4)));
    EXPECT_TRUE(showsSoon(639, 399, qwin_rgb(14)));
    EXPECT_TRUE(showsSoon(99, 120, qwin_rgb(0)));

    // F5 repaints the whole window; an auto-repeated F5 does nothing more.
    damage();
    pressKey(VK_F5, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(shown(150, 120), 0u);
    pressKey(VK_F5, false);
    EXPECT_TRUE(showsSoon(150, 120, qwin_rgb(4)));
    EXPECT_TRUE(showsSoon(639, 399, qwin_rgb(14)));

    // A repaint the system asks for restores it too.
    damage();
    InvalidateRect(qwinWindow(), nullptr, FALSE);
    EXPECT_TRUE(showsSoon(150, 120, qwin_rgb(4)));

    // The close box takes the window; the program draws on into the bitmap.
    PostMessageW(qwinWindow(), WM_CLOSE, 0, 0);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (qwinWindow() != nullptr && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(qwinWindow(), nullptr);
    qwin_boxf(0, 0, 10, 10, 6);
    EXPECT_EQ(qwin_pixel(5, 5), qwin_rgb(6));
    const auto start = std::chrono::steady_clock::now();
    qwin_close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
