#pragma once
#include <string>

#include "platform/version.h"

// The program's version text, handed to the update check.
inline constexpr const char* UpdateProgramVersionText = VersionText;

// Sets WindowHooks().StartUpdateCheck: the update check with its dialog,
// owned by the main window (none before there is one). The program ends
// through the main window's normal close before the installer starts.
void RegisterUpdateWindows();
void RegisterUpdateWindows(const std::string& versionText);
