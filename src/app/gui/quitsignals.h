#pragma once
#include <functional>

// SIGTERM, SIGHUP and SIGINT reach the program through a socket pair: the
// handler only writes the signal's number, and the user-interface thread
// reads it and runs `action` there (a signal that comes while it runs waits until it
// has returned). Returns false when the socket pair or a handler could not be set.
bool InstallQuitSignals(std::function<void(int signal)> action);
// Puts the default handlers back.
void RemoveQuitSignals();
