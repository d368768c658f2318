#pragma once
#include <exception>
#include <string>

#include "store/datafile.h"

// Transit export files (.htf) and project export files (.hpf): one zlib
// stream holding a version text and a transit or project block. They raise
// TError on failure; the list windows show the message.

// Writes the transit at that index with its conduits to a transit file.
void ExportTransitFile(int transitIndex, const std::string& path);
// Reads a transit file into new records (the first text is not checked) and
// returns the new transit's index; its stored ProjectID stays, the caller
// sets it. The whole file is read before anything is added, so a file that
// fails (damaged, cut short, an unknown code, a project file) adds nothing.
// version, when given, receives the file's first text.
int ImportTransitFile(const std::string& path, std::string* version = nullptr);

// The same from the decompressed contents of a file.
int ReadTransitExport(TStream& payload, std::string* version = nullptr);
int ReadProjectExport(TStream& payload, std::string* version = nullptr);

// Writes the project at that index with those of its transits that pass the filter.
void ExportProjectFile(int projectIndex, const std::string& path, const TTransitFilter& filter = AllTransits);
// Reads a project file into new records; returns the new project's index.
// Like a transit file, a failing one (or a transit file) adds nothing.
int ImportProjectFile(const std::string& path, std::string* version = nullptr);

// A copy of the project with all its transits and conduits and new
// identifiers; its name is "Copy of " + the source's name. Returns its index.
int CopyProject(int projectIndex);

// What the user is told when an import fails: which file, and why in plain
// words. The program's own texts ("Illegal transit data-format!", "unknown
// value for ...") are given as they are; the low-level ones (a short read,
// the decompressor's) are put in words, with the original as a detail.
// kind: "project" or "transit".
std::string ImportFailureMessage(const std::string& kind, const std::string& path, const std::exception& e);
