#pragma once
#include <string>
#include <vector>

// The process-wide settings kept in the configuration file. The length unit
// is the process-wide CurrentLengthUnit of core/units.h, stored here too.
struct TSettings {
  std::vector<std::string> CompanyLines;
  std::vector<std::string> DistributorLines;
  bool AntiAliasing = true;
  bool ShowGrid = true;
  bool SaveWindowPositionsOnExit = false;
  std::string WindowLayout;
  std::string ProjectListColumns;
  std::string TransitListColumns;
  std::string TemplateListColumns;
  bool AutoUpdate = false;
  std::string ReservedText;
  bool BlinkWarning = true;
  bool FixedWindow = false;  // never stored
};

extern TSettings Settings;

// Every setting (and CurrentLengthUnit) back to its default.
void SetDefaultSettings();
std::vector<std::string> DefaultCompanyLines();
std::vector<std::string> DefaultDistributorLines();

// The current user name that stamps CreatedBy and ModifiedBy. Never stored.
extern std::string CurrentUserName;
// The operating system's login name of the user running the program.
std::string LoginUserName();
