// The Linux speech back-end: Open JTalk, run as a child process, reads the
// text from a file and writes a WAV file, which is played and removed unless
// it was asked for. Both go through a private temporary directory.
#include "platform/speech_backend.h"

#include "platform/speech_child.h"
#include "platform/speech_play.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

const char kDictionaryDir[] = "/var/lib/mecab/dic/open-jtalk/naist-jdic";
const char kVoiceFile[] = "/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice";
// A 200-byte phrase takes about a second to synthesise; a hung engine must
// not hold up the phrases queued after it for long.
const int kSynthesisLimitMs = 30000;

std::string program;     // open_jtalk, found in PATH
std::string scratchDir;  // the text and the WAV of a phrase being spoken; removed at close

bool exists(const char* path, bool directory)
{
    struct stat st;
    return stat(path, &st) == 0 && (directory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode));
}

bool writeText(const std::string& path, const std::string& utf8)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << utf8;
    return bool(out);
}

// Synthesises the UTF-8 text in the file text_path into the WAV file
// wav_path, within a time limit; true when a non-empty WAV was written.
bool synthesize(const std::string& text_path, const std::string& wav_path, const std::atomic<bool>& cancel)
{
    unlink(wav_path.c_str());
    // The text goes in on standard input, so no phrase can be taken for an option.
    bool ok = speech_run_child({program, "-x", kDictionaryDir, "-m", kVoiceFile, "-ow", wav_path},
                               text_path.c_str(), kSynthesisLimitMs, cancel);
    struct stat st;
    return ok && stat(wav_path.c_str(), &st) == 0 && st.st_size > 44;
}

bool openEngine(std::string& notice)
{
    program = speech_find_program("open_jtalk");
    if (program.empty() || !exists(kDictionaryDir, true) || !exists(kVoiceFile, false)) {
        notice =
            "speech: open_jtalk, its dictionary or its voice is not installed; "
            "notices will not be spoken\n";
        return false;
    }
    char temp[] = "/tmp/linewatch-speech-XXXXXX";  // capacity: the template itself
    if (!mkdtemp(temp)) {
        notice = "speech: no temporary directory; notices will not be spoken\n";
        return false;
    }
    scratchDir = temp;
    return true;
}

void sayPhrase(const std::string& utf8, const std::string& wavPath, const std::atomic<bool>& cancel)
{
    const bool keep = !wavPath.empty();
    const std::string text = scratchDir + "/phrase.txt";
    const std::string wav = keep ? wavPath : scratchDir + "/phrase.wav";
    if (writeText(text, utf8) && synthesize(text, wav, cancel) && !keep)
        speech_play_wav(wav, cancel);
    unlink(text.c_str());
    if (!keep)
        unlink(wav.c_str());
}

void closeEngine()
{
    if (!scratchDir.empty())
        rmdir(scratchDir.c_str());
    scratchDir.clear();
}

}  // namespace

const SpeechBackend speech_engine = {openEngine, sayPhrase, closeEngine};
