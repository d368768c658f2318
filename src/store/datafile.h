#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "store/tables.h"
#include "store/valuestream.h"

// File names beside the program.
constexpr const char* DataFileName = "Trellane.tbs";
constexpr const char* ConfigFileName = "Trellane.ini";

// Loads the four tables from the data file at path and keeps the file locked
// until the program ends. A missing (or empty) data file is created, locked
// before anything is written, and given the empty tables, without a word.
// Returns false only when another process holds the file (after telling the
// user); every other failure is told to the user, keeps the records read
// whole until then (new identifiers go above every one read) and returns true.
bool LoadDataFile(const std::string& path);

// Writes the four tables to the data file at path; the previous file is kept
// as path.bak, and a file that could not be read at load time is first kept
// under its own dated name. Returns false after telling the user of a failure;
// the file on disk and the tables then stay as they were.
bool SaveDataFile(const std::string& path);

// Releases the data file (the program's end).
void CloseDataFile();
// Whether the data file is held locked by this process.
bool DataFileLocked();

// The payload of a data file: the version, then the four tables. Clears and
// fills the process-wide tables; raises on any failure, keeping what was read.
// Returns the version text.
std::string ReadDataPayload(TStream& stream);
void WriteDataPayload(TStream& stream);

// Transit block: the transit record, the count of its conduit records and those records.
void WriteTransitTo(int transitIndex, TStreamWriter& writer);
// Reads one transit block into new records; returns the new transit's index.
// The stored ProjectID stays.
int ReadTransitFrom(TStreamReader& reader);

// Which transits of a project go into a project block.
using TTransitFilter = std::function<bool(int32_t transitId)>;
inline bool AllTransits(int32_t) { return true; }

// Project block: the project record, the count of the project's transits that
// pass the filter, and their transit blocks in table order.
void WriteProjectTo(int projectIndex, TStreamWriter& writer, const TTransitFilter& filter = AllTransits);
// Reads one project block into new records; returns the new project's index.
int ReadProjectFrom(TStreamReader& reader);

// A copy of the transit and its conduit records, with new identifiers and the
// same ProjectID; returns the new transit's index.
int CopyTransit(int transitIndex);
