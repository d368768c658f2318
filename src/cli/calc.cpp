#include <iostream>

#include "cli/commands.h"
#include "cli/transit_json.h"
#include "core/errors.h"
#include "core/resize.h"
#include "core/units.h"

namespace {

// FILE and the options shared by calc and resize.
std::string ParseCalcArgs(const TArgs& args) {
  std::string file;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--unit") {
      if (i + 1 >= args.size()) throw TError("--unit needs mm or inch");
      const std::string& unit = args[++i];
      if (unit == "mm") CurrentLengthUnit = luMillimetre;
      else if (unit == "inch") CurrentLengthUnit = luInch;
      else throw TError("Unknown length-unit");
    } else if (file.empty() && (args[i].empty() || args[i][0] != '-')) {
      file = args[i];
    } else {
      throw TError("unexpected argument '" + args[i] + "'");
    }
  }
  if (file.empty()) throw TError("no FILE given");
  return file;
}

void Print(const nlohmann::ordered_json& output) {
  std::cout << output.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

}  // namespace

int RunCalc(const TArgs& args) {
  TTransit transit = ReadTransitFile(ParseCalcArgs(args));
  ValidateSortFill(transit);
  Print(CalcOutput(transit));
  return ExitOk;
}

int RunResize(const TArgs& args) {
  TTransit transit = ReadTransitFile(ParseCalcArgs(args));
  ValidateSortFill(transit);
  if (transit.ConduitArea() != 0) {
    if (!ResizeSearch(transit)) {
      std::cerr << "Unable to find appropiate size, please enter size manually\n";
      return ExitResizeFailed;
    }
    ValidateSortFill(transit);
  }
  Print(CalcOutput(transit));
  return ExitOk;
}
