// Small process and file services the program needs outside the window,
// console, network and sound layers.
#pragma once

#include <cstdio>

// Flushes file's buffers and asks the system to put its data on disk; false
// when either step fails (a full disk may only show here).
bool file_flush_to_disk(std::FILE* file);

// This process's id, for names of temporary files that no other run shares.
long process_id();

// Sets an environment variable for this process and the programs it starts.
void set_environment(const char* name, const char* value);
