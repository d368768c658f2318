#pragma once
#include <string>
#include <vector>

#include "store/streams.h"

// Reads the configuration file at path into Settings and CurrentLengthUnit.
// A missing file (the first start) gives the defaults without a word; on any
// other failure the user is told and every setting takes its default.
void LoadConfiguration(const std::string& path);
// Writes Settings to the configuration file at path (previous file kept as
// path.bak). Returns false after telling the user of a failure.
bool SaveConfiguration(const std::string& path);

// The payload alone; reading raises on failure ("Illegal config-file!" for an
// unknown version) and returns the version text.
std::string ReadConfigurationPayload(TStream& stream);
void WriteConfigurationPayload(TStream& stream);

// One child window in the window layout text.
struct TWindowLayoutEntry {
  int ViewID = 0;
  int Width = 0, Height = 0, Left = 0, Top = 0;
  std::string ClassName;
};

// 100 characters per window: five numbers right-aligned in 8 characters, then
// the class name left-aligned in 60. Numbers are clamped to fit their field
// and names cut to 60 characters, so that every record keeps its length.
std::string WindowLayoutRecord(const TWindowLayoutEntry& entry);
// Record count = length / 100, a shorter tail ignored. A number field that
// is not a number raises a conversion error; the records before it are in
// `entries` then.
void ParseWindowLayout(const std::string& text, std::vector<TWindowLayoutEntry>& entries);
std::vector<TWindowLayoutEntry> ParseWindowLayout(const std::string& text);

// Column layout texts: 6 characters per column of a list, in column order.
// Character 1 is "-" for a hidden column (anything else: shown), characters
// 2 to 6 the width in pixels ("%.5d").

// The widths to give the columns (0 for hidden). A text whose length is not
// 6 x the column count is first reset to blanks (all shown at default width);
// a width that is not a whole number, or below 8, gives the default width.
std::vector<int> ColumnWidthsFromLayout(std::string& text, const std::vector<int>& defaultWidths);
// Stores the width of every shown column (width above 0) in the text; hidden
// columns keep their stored width. Widths are capped at 99999.
void StoreColumnWidthsInLayout(std::string& text, const std::vector<int>& widths);
// Sets the shown flags from a text of one "+" or "-" per column.
void SetShownColumnsInLayout(std::string& text, const std::string& shown);
