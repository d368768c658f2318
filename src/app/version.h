#pragma once
#include <string_view>

// The program's name as its windows show it, and its version text.
inline constexpr const char* ProgramTitle = "KOVA / GRENTAX / PRAVEN Trellane";
inline constexpr const char* VersionText = "3.16.1 (22 Aug 2012)";

// A version text holding "TEST" (case-sensitive) marks a test build.
constexpr bool IsTestVersionText(std::string_view version) { return version.find("TEST") != std::string_view::npos; }
constexpr bool IsTestVersion() { return IsTestVersionText(VersionText); }

// The main window's caption in a test build.
inline constexpr const char* TestBuildCaption = "TEST TEST TEST TEST TEST TEST TEST TEST TEST ";
