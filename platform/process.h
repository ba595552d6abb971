// Small process services the program needs outside the window, console,
// network, sound and file layers.
#pragma once

// Sets an environment variable for this process and the programs it starts.
void set_environment(const char* name, const char* value);
