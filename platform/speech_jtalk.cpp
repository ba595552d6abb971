#include "platform/speech_jtalk.h"

#include "platform/speech_child.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char dictionaryDir[] = "/var/lib/mecab/dic/open-jtalk/naist-jdic";
const char voiceFile[] = "/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice";
// A 200-byte phrase takes about a second to synthesise; a hung engine must
// not hold up the phrases queued after it for long.
const int synthesisLimitMs = 30000;

bool exists(const char* path, bool directory)
{
    struct stat st;
    return stat(path, &st) == 0 && (directory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode));
}

}  // namespace

bool jtalk_find(JtalkEngine& engine)
{
    engine.program = speech_find_program("open_jtalk");
    engine.dictionary = dictionaryDir;
    engine.voice = voiceFile;
    return !engine.program.empty() && exists(dictionaryDir, true) && exists(voiceFile, false);
}

bool jtalk_synthesize(const JtalkEngine& engine, const std::string& text_path,
                      const std::string& wav_path, const std::atomic<bool>& cancel)
{
    unlink(wav_path.c_str());
    // The text goes in on standard input, so no phrase can be taken for an option.
    bool ok = speech_run_child({engine.program, "-x", engine.dictionary, "-m", engine.voice,
                                "-ow", wav_path},
                               text_path.c_str(), synthesisLimitMs, cancel);
    struct stat st;
    return ok && stat(wav_path.c_str(), &st) == 0 && st.st_size > 44;
}
