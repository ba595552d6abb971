// The console dialogues that ask for stations by their number in the station
// table (the fare, the next trains): numbers read from whole lines, and the
// numbered list of stations.
#pragma once

#include <cstddef>

// Numbers are read from whole console lines, several per line if given.
struct PromptInput {
    char line[256];  // one console line; a longer one is cut by console_read_line
    std::size_t at;
    bool have;
};

enum class PromptRead { Number, NotNumber, End };

// What a dialogue does after an answer: go on, ask again from the prompt,
// or leave because input ended twice in a row.
enum class PromptNext { Go, Ask, Leave };

// Judges the result of reading an answer; `ends` counts ends of input in a row.
PromptNext promptNext(PromptRead r, int& ends);

// The next whitespace-separated integer; a token that is not a number, or
// an empty line, discards the line. A number may continue on the next line.
// Beyond the int range a number is cut to INT_MIN or INT_MAX.
PromptRead readPromptNumber(PromptInput& in, int& value);

// Every station's number, title and lines, three stations to a console line.
void listStations();
