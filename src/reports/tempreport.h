#pragma once
#include <cstdint>
#include <string>

// A report handed to the desktop's RTF application goes into a file of its
// own in the user's temporary folder: "$Transitreport_" + the tick count in
// milliseconds + ".rtf", or with "_2", "_3"... before ".rtf" when that name
// is taken. The file is created new (never an existing file, never through a
// link) and readable by the user only. Returns its path; raises TError when
// no file could be created or written (a partly written file is removed).
std::string WriteNewReportFile(const std::string& folder, const std::string& bytes, uint64_t tick);

// Milliseconds since the system started.
uint64_t TickCountMs();
