#include <clocale>
#include <cstring>
#include <iostream>
#include <map>

#include "cli/commands.h"
#include "core/units.h"

namespace {
void Usage(std::ostream& out) {
  out << "usage: trellane-cli COMMAND FILE [options]\n"
         "commands:\n"
         "  calc FILE [--unit mm|inch]     compute a transit and print every figure as JSON\n"
         "  resize FILE [--unit mm|inch]   find the smallest opening that fits, print it as calc does\n"
         "  dump FILE                      print a data, configuration or export file as JSON\n"
         "  draw FILE [-o OUT.png] [--svg OUT.svg] [--dxf OUT.dxf] [--size WxH] [--smooth] [--no-grid]\n"
         "       [--unit mm|inch] [--wmf OUT.wmf]\n"
         "                                 draw a transit as the editor shows it (PNG), in its screen colours\n"
         "                                 (SVG) or as CAD geometry in mm (DXF); --wmf: the report metafile\n"
         "  report FILE -o OUT.rtf|OUT.pdf|OUT.xlsx|OUT.csv [--project NAME] [--transit NAME]...\n"
         "         [--images none|small|medium|large] [--contents totals|transits|both] [--unit mm|inch] [--config FILE.ini]\n"
         "                                 write the RTF material report of a project (.tbs, .hpf) or transit (.htf),\n"
         "                                 its pages as PDF, or its bill of materials as a spreadsheet (.xlsx: sheets\n"
         "                                 Transits, Materials and Totals; .csv: Materials), chosen by the extension\n"
         "  schedule FILE -o OUT.hpf [--transit-column NAME] [--diameter-column NAME] [--amount-column NAME]\n"
         "         [--tag-column NAME] [--type-column NAME] [--unit mm|inch] [--decimal .|,] [--delimiter C]\n"
         "         [--sheet NAME] [--template FILE.htf] [--resize] [--project-name NAME]\n"
         "                                 import a cable schedule (.xlsx, .csv, .tsv, .txt) into a new project\n"
         "                                 export file and print the transits and refused rows as JSON\n";
}
}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  InitDecimalSeparatorFromLocale();
  // Numbers in files and JSON always use a dot; the separator above is ours.
  std::setlocale(LC_NUMERIC, "C");

  const std::map<std::string, int (*)(const TArgs&)> commands = {
      {"calc", RunCalc},
      {"resize", RunResize},
      {"dump", RunDump},
      {"draw", RunDraw},
      {"report", RunReport},
      {"schedule", RunSchedule},
  };
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    Usage(argc < 2 ? std::cerr : std::cout);
    return argc < 2 ? ExitBadInput : ExitOk;
  }
  auto command = commands.find(argv[1]);
  if (command == commands.end()) {
    std::cerr << "error: unknown command '" << argv[1] << "'\n";
    Usage(std::cerr);
    return ExitBadInput;
  }
  TArgs args(argv + 2, argv + argc);
  try {
    return command->second(args);
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return ExitBadInput;
  }
}
