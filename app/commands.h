// The single-key commands of the main cycle.
#pragma once

#include "app/cycle_env.h"

struct MonitorState;

// Carries out st.pending when it is a command and sets it to 0 or 'r';
// returns false (pending untouched) when it is no command.
bool carryOutCommand(MonitorState& st, const CycleEnv& env);

// Asks for the coloured lines on the console and replaces iflag with them.
void selectLines(MonitorState& st);
