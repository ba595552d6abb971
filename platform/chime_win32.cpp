// The Windows chime back-end: the tone as a WAV image in memory, played by
// PlaySound without waiting; a plain system beep when no sound device takes it.
#include "platform/chime_backend.h"
#include "platform/chime_tone.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

namespace {

void putLittleEndian(std::vector<unsigned char>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A RIFF WAVE file: 16-bit mono PCM at the tone's rate.
std::vector<unsigned char> buildWave()
{
    const std::vector<int16_t> samples = chime_tone();
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<unsigned char> wav;
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    putLittleEndian(wav, 36 + dataBytes, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLittleEndian(wav, 16, 4);                    // format chunk size
    putLittleEndian(wav, 1, 2);                     // PCM
    putLittleEndian(wav, 1, 2);                     // one channel
    putLittleEndian(wav, kChimeSampleRate, 4);      // samples a second
    putLittleEndian(wav, kChimeSampleRate * 2, 4);  // bytes a second
    putLittleEndian(wav, 2, 2);                     // bytes a sample frame
    putLittleEndian(wav, 16, 2);                    // bits a sample
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    putLittleEndian(wav, dataBytes, 4);
    for (int16_t s : samples)
        putLittleEndian(wav, static_cast<uint16_t>(s), 2);
    return wav;
}

// PlaySound reads the image while it plays, so it lives as long as the program.
const std::vector<unsigned char>& wave()
{
    static const std::vector<unsigned char> image = buildWave();
    return image;
}

// A chime still sounding is cut short by the new one rather than queued.
void play()
{
    if (!PlaySoundW(reinterpret_cast<LPCWSTR>(wave().data()), nullptr,
                    SND_MEMORY | SND_ASYNC | SND_NODEFAULT))
        MessageBeep(MB_OK);
}

void close()
{
    PlaySoundW(nullptr, nullptr, 0);
}

}  // namespace

const ChimeBackend chime_device = {play, close};
