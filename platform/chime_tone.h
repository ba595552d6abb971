// The chime's sound: two falling notes as 16-bit mono samples.
#pragma once

#include <cstdint>
#include <vector>

// Samples per second of the tone.
constexpr int kChimeSampleRate = 22050;

// The whole tone, each note faded in and out so it does not click.
std::vector<int16_t> chime_tone();
