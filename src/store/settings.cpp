#include "store/settings.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "core/units.h"

TSettings Settings = [] {
  TSettings s;
  s.CompanyLines = DefaultCompanyLines();
  s.DistributorLines = DefaultDistributorLines();
  return s;
}();

std::string CurrentUserName;

std::vector<std::string> DefaultCompanyLines() { return {"Trellane Software", "Zwolle"}; }

std::vector<std::string> DefaultDistributorLines() {
  return {"Harvant Engineering bv", "Industrieweg 14", "7903 AK Hoogeveen"};
}

void SetDefaultSettings() {
  Settings = TSettings();
  Settings.CompanyLines = DefaultCompanyLines();
  Settings.DistributorLines = DefaultDistributorLines();
  CurrentLengthUnit = luMillimetre;
}

std::string LoginUserName() {
  // The account the program runs as, not the terminal's login (which differs
  // after su and is missing for programs started by the desktop).
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
  if (const char* name = std::getenv("USER"); name && *name) return name;
  return "";
}
