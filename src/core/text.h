#pragma once
#include <string>

// The text without its leading and trailing blanks: spaces, tabs, line
// breaks and the other control characters.
std::string TrimBlanks(const std::string& text);
