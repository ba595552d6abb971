// Where the start-up layout puts the map frame and the legend, in window pixels.
#pragma once

// Size of the map frame in pixels, as the start-up layout makes it.
constexpr int kMapFrameWidth = 512;
constexpr int kMapFrameHeight = 350;

// The legend: one row per railway holds its name and its train count.
constexpr int kLegendRowHeight = 20;
// Top of railway k's legend row, in window pixels.
constexpr int legendRowTop(int k)
{
    return kLegendRowHeight * k + 62;
}
