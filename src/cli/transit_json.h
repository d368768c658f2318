#pragma once
#include <nlohmann/json.hpp>
#include <string>

#include "core/transit.h"

// A transit as the calc command reads it: every field optional, missing ones
// take the values of a new transit record.
TTransit NewTransitDefaults();
TTransit TransitFromJson(const nlohmann::ordered_json& input);
nlohmann::ordered_json TransitToJson(const TTransit& transit);

// The lower-case extension of a file name, with its dot ("" when none).
std::string FileExtension(const std::string& path);
// Empties the four tables before a file is read into them.
void ClearTables();

// Reads a transit from a calc input file or a transit export (.htf); throws
// TError with the message.
TTransit ReadTransitFile(const std::string& path);

// The full calc output of a validated, sorted and filled transit.
nlohmann::ordered_json CalcOutput(const TTransit& transit);

// Runs the editor's cycle: validate, sort the groups, fill.
void ValidateSortFill(TTransit& transit);
