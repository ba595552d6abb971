// The key codes the console gives for the arrow keys.
#pragma once

// Prefix code that precedes the second code of an arrow key, as the console
// delivers arrows; the second codes follow. They are the capital letters H,
// P, M and K, so those letters work as arrows too.
constexpr int kConsoleArrowPrefix = 0xE0;
constexpr int kConsoleArrowUp = 0x48;
constexpr int kConsoleArrowDown = 0x50;
constexpr int kConsoleArrowRight = 0x4D;
constexpr int kConsoleArrowLeft = 0x4B;
