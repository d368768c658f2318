#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The update description: a small text on the update server of keys
// ("#version=", "#file1=") that begin a line, and the rules for the names,
// versions and addresses it gives.

inline constexpr size_t MaxDescriptionBytes = 64 * 1024;
inline constexpr size_t MaxSignatureBytes = 4 * 1024;
inline constexpr int64_t MaxUpdateFileBytes = 512LL * 1024 * 1024;
inline constexpr int MaxUpdateFiles = 20;

// The value after the first occurrence of key (any case) up to endMark; an
// empty endMark stands for the end of the line: the first LF, or the first CR
// when it comes before that LF. Without an LF after the key the line has no
// end and the value is empty; so is the value of a missing key or mark.
std::string GetValue(const std::string& key, const std::string& text, const std::string& endMark);
inline const std::string EndOfLine;

std::string LowerText(const std::string& text);

// "03/27/2008" becomes "20080327" (the parts around the first two "/" as
// third, first, second); empty without two "/".
std::string DateKey(const std::string& text);
// Host and path of an address ("https://host/a/b" gives "host", "/a/b").
void SplitURL(const std::string& url, std::string& host, std::string& path);
// The text after the last "/".
std::string ExtractURLFileName(const std::string& url);

// A name the server may give a file in the download folder: one path segment
// of printable characters, no "..", no leading dot or dash, no separators.
bool IsSafeFileName(const std::string& name);
// An https address with a host and a path whose last segment is a safe name,
// without spaces, control characters, query or fragment.
bool IsSafeHttpsAddress(const std::string& url);
// http or https with a host and printable characters only.
bool IsWebAddress(const std::string& url);

// The leading dotted number of a version text ("3.16.1 (22 Aug 2012)" gives
// 3, 16, 1); empty when the text does not start with a digit.
std::vector<uint32_t> VersionNumbers(const std::string& text);
// Strictly newer; false when either has no number.
bool IsNewerVersion(const std::string& offered, const std::string& own);
// By DateKey; false when either has no key.
bool IsNewerDate(const std::string& offered, const std::string& own);

struct TUpdateFile {
  int Number = 0;        // n of "#file<n>="
  std::string Address;   // trimmed value
  std::string Name;      // the name in the download folder
  std::string Sha256;    // "#sha256_<n>=", lower-case hex
};

struct TUpdateDescription {
  std::string Version, Date, Message, FormCaption, RedirectToURL, ExecuteFile, WebPage;
  bool ApplicationTerminate = false;
  std::vector<TUpdateFile> Files;  // by number, gaps skipped
};

// Reads every key; never fails. A key counts only at the start of a line and
// outside the "#message=[...]" text; its first such occurrence wins.
// fileScheme: the file entries are paths.
TUpdateDescription ReadUpdateDescription(const std::string& text, bool fileScheme);
// Empty when the file entries can be downloaded as they stand: safe https
// addresses (absolute paths for the file scheme), each with a SHA-256, names
// that differ, an execute file that is one of them. Otherwise the reason.
std::string CheckUpdateFiles(const TUpdateDescription& description, bool fileScheme);
