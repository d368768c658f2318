#pragma once
#include "platform/paths.h"

// The steps of the program's start before the main window, in this order.

// The process-wide state of a fresh start: the login name as user name,
// millimetres, the catalogues, the four tables empty.
void PrepareProcessState();

// Loads the data file and holds it from now on. False when another copy of
// the program holds it (the user was told). When there was no data file yet,
// the empty tables are written at once, so a second copy is refused from the
// first start on.
bool LoadProgramData(const TFilePlaces& places);

// Loads the configuration (defaults on failure, the user is told).
void LoadProgramConfiguration(const TFilePlaces& places);

// Keeps the splash on screen for the given time, handling events meanwhile.
void WaitWithSplash(int milliseconds);

// A termination signal or the end of the desktop session: save everything as
// at a normal close, without a question, and end with status 0. Before the
// files were loaded nothing is written.
[[noreturn]] void EndProgramQuietly();
