// Keys typed while a download runs: kept for the cycle's later passes, and
// the abandon hook that reads them. A leaf of the cycle, its commands and the
// fare dialogue, which all read keys through it.
#pragma once

struct MonitorState;

// The abandon hook of the monitor's downloads: reads the keys typed meanwhile
// and keeps them for later passes; true once one of them is q or Q (then kept
// alone, so the next pass quits) or Escape was pressed in the window (which
// the next pass acts on), instead of the cycle waiting for the download.
bool downloadInterrupted(MonitorState& st);

// True when a key typed during a download is kept or the console has one.
bool keyWaiting(const MonitorState& st);

// The oldest key typed during a download, else the console's next key.
int readKey(MonitorState& st);

// True for the keys that end the program.
bool isQuit(int key);
