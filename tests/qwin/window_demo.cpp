// Drives the real window for the Xvfb test: opens qwin, then obeys one command
// per line on stdin and answers one line on stdout.
//   picture        draw the known test picture        -> "drawn"
//   snapshot PATH  write the bitmap as PNG             -> "ok" / "failed"
//   long           draw without end (Escape stops it)  -> "drawing"
//   close          qwin_close, then end with status 0  -> "closed"
#include "qwin/qwin.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
void answer(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void picture()
{
    for (int colour = 0; colour < 16; ++colour)
        qwin_boxf(static_cast<int16_t>(colour * 40), 0, static_cast<int16_t>(colour * 40 + 40), 100,
                  static_cast<int16_t>(colour));
    qwin_rect(10, 120, 15, 125, 4);
    qwin_rect(100, 150, 300, 250, 1);
    qwin_line(0, 399, 639, 100, 6);
    qwin_line(320, 110, 330, 399, 11);
    for (int x = 0; x < 640; x += 3)
        qwin_pset(x, 300 + x % 50, x % 16);
    qwin_setcolor(14);
    qwin_box(2, 400, 200, 600, 380);
}
}  // namespace

int main()
{
    qwin_open();
    answer("open");
    char line[4096];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        line[std::strcspn(line, "\n")] = '\0';
        const std::string command = line;
        if (command == "picture") {
            picture();
            answer("drawn");
        } else if (command.rfind("snapshot ", 0) == 0) {
            answer(qwin_snapshot(command.c_str() + 9).saved ? "ok" : "failed");
        } else if (command == "long") {
            answer("drawing");
            for (unsigned i = 0;; ++i)
                qwin_pset(static_cast<int32_t>(i % 640), static_cast<int32_t>(i / 640 % 400),
                          static_cast<int32_t>(i % 16));
        } else if (command == "close") {
            qwin_close();
            answer("closed");
            return 0;
        } else {
            answer("unknown command");
        }
    }
    return 0;
}
