#pragma once
#include <string>
#include <vector>

#include "platform/version.h"

// The material report is RTF text built in memory, byte by byte: every line
// ends in CR LF, all text is single-byte (Windows-1252 control words).

// The program version that every report names.
inline constexpr const char* ReportVersionText = VersionText;

// UTF-8 text as RTF: backslash and braces escaped, characters beyond ASCII as
// their Windows-1252 \'xx, characters the code page lacks as \uN? (UTF-16
// units), tabs as \tab and line breaks as \line; other control characters are
// dropped. Bytes that are not UTF-8 are taken as Windows-1252.
std::string RtfText(const std::string& utf8);

// The lines of a multi-line text, split at CR LF, CR or LF; a final line
// break does not start another line, an empty text has none.
std::vector<std::string> TextLines(const std::string& text);

// pad(12, s): spaces, twice fewer than the characters of s short of 12, then
// s, so that amounts line up in the report font.
std::string PadAmount(int width, const std::string& text);

void WriteLine(std::string& stream, const std::string& text);  // text + CR LF
void WriteText(std::string& stream, const std::string& text);  // text only
