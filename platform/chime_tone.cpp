#include "platform/chime_tone.h"

#include <cmath>

namespace {

constexpr int kToneMs = 120;                    // each of the two notes
constexpr float kNotes[] = {1318.5f, 987.8f};   // a falling pair, E6 then B5
constexpr double kPi = 3.14159265358979323846;  // M_PI is POSIX, not C++

}  // namespace

std::vector<int16_t> chime_tone()
{
    std::vector<int16_t> samples;
    const int perNote = kChimeSampleRate * kToneMs / 1000;
    const int fade = kChimeSampleRate / 200;
    for (float f : kNotes) {
        for (int i = 0; i < perNote; ++i) {
            float env = 1.0f;
            if (i < fade)
                env = static_cast<float>(i) / fade;
            else if (i > perNote - fade)
                env = static_cast<float>(perNote - i) / fade;
            double v = std::sin(2.0 * kPi * f * i / kChimeSampleRate) * env * 0.25;
            samples.push_back(static_cast<int16_t>(v * 32767));
        }
    }
    return samples;
}
