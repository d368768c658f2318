#pragma once
#include <string>

// The desktop's application for a type of file, as the desktop's opener
// would choose it: the desktop entry that "xdg-mime query default TYPE"
// (found on PATH) names, when that entry is installed (in the
// "applications" folder of $XDG_DATA_HOME or of a folder of
// $XDG_DATA_DIRS). Empty when none is registered, when the named entry is
// not installed, or when xdg-mime is missing, fails or gives no answer
// within timeoutMs (it is then ended).
std::string DesktopApplicationFor(const std::string& mimeType, int timeoutMs = 5000);

// The report's type of file.
inline constexpr const char* RtfMimeType = "application/rtf";
