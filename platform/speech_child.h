// Child processes of the speech layer: started from an argument vector
// (never through a shell) and stopped when they overrun their time limit.
#pragma once

#include <atomic>
#include <string>
#include <vector>

// Full path of the executable `name` found in PATH, or "" when there is none.
std::string speech_find_program(const char* name);

// Runs argv[0] (a full path) with argv as its arguments and this process's
// environment less LINEWATCH_CONSUMER_KEY, standard input from stdin_path
// ("/dev/null" when null), output and errors discarded. Kills it
// after time_limit_ms milliseconds or as soon as *cancel becomes true.
// Returns true when it exited by itself with status 0.
bool speech_run_child(const std::vector<std::string>& argv, const char* stdin_path, int time_limit_ms,
                      const std::atomic<bool>& cancel);
