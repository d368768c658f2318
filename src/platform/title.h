#pragma once
#include "platform/version.h"

// The program's name as its windows show it.
inline constexpr const char* ProgramTitle = "KOVA / GRENTAX / PRAVEN Trellane";

// The main window's caption in a test build.
inline constexpr const char* TestBuildCaption = "TEST TEST TEST TEST TEST TEST TEST TEST TEST ";
