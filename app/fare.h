// The fare query dialogue on the console.
#pragma once

struct MonitorState;

// Lists the stations, asks for two station numbers and a confirmation, asks
// the API for the fare and prints the ticket and IC fares (adult and child),
// then waits for one key. Ends early when the input ends twice in a row, and
// when downloadInterrupted abandons the fare's download.
void fareQuery(MonitorState& st);
