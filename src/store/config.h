#pragma once
#include <string>
#include <vector>

#include "store/streams.h"

// Reads the configuration file at path into Settings and CurrentLengthUnit.
// On any failure the user is told and every setting takes its default.
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

// One list column in a column layout text: 6 characters, "-" first when hidden.
struct TColumnLayout {
  bool Visible = true;
  int Width = 0;
};
std::string ColumnLayoutText(const std::vector<TColumnLayout>& columns);
// Groups of 6 characters; a width that is not a number gives fallbackWidth.
std::vector<TColumnLayout> ParseColumnLayout(const std::string& text, int fallbackWidth = 0);
