// The Japanese speech synthesiser: Open JTalk run as a child process.
#pragma once

#include <atomic>
#include <string>

// Where the synthesiser and its data are installed.
struct JtalkEngine {
    std::string program;      // open_jtalk, found in PATH
    std::string dictionary;   // the mecab dictionary directory
    std::string voice;        // the .htsvoice file
};

// Fills engine from PATH and the Debian install locations; false when any
// of the three is missing.
bool jtalk_find(JtalkEngine& engine);

// Synthesises the UTF-8 text in the file text_path into the WAV file
// wav_path, within a time limit; true when a non-empty WAV was written.
bool jtalk_synthesize(const JtalkEngine& engine, const std::string& text_path,
                      const std::string& wav_path, const std::atomic<bool>& cancel);
