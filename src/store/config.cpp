#include "store/config.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "core/errors.h"
#include "core/units.h"
#include "store/filesave.h"
#include "platform/dialogs.h"
#include "store/settings.h"
#include "store/valuestream.h"

std::string ReadConfigurationPayload(TStream& stream) {
  TStreamReader r(stream);
  const std::string version = r.ReadString();
  int minor;
  if (version == "Version_1.00") minor = 0;
  else if (version == "Version_1.01") minor = 1;
  else if (version == "Version_1.02") minor = 2;
  else if (version == "Version_1.03") minor = 3;
  else if (version == "Version_1.04") minor = 4;
  else throw TError("Illegal config-file!");

  r.ReadStrings(Settings.CompanyLines);
  r.ReadStrings(Settings.DistributorLines);
  Settings.AntiAliasing = r.ReadBoolean();
  Settings.ShowGrid = r.ReadBoolean();
  CurrentLengthUnit = r.ReadInteger() == 0 ? luInch : luMillimetre;
  Settings.SaveWindowPositionsOnExit = r.ReadBoolean();
  Settings.WindowLayout = r.ReadString();
  if (minor == 4) {
    Settings.ProjectListColumns = r.ReadString();
    Settings.TransitListColumns = r.ReadString();
    Settings.TemplateListColumns = r.ReadString();
  } else {
    // Older files held texts here that are no longer used.
    const int dropped = minor == 0 ? 2 : 3;
    for (int i = 0; i < dropped; ++i) r.ReadString();
    Settings.ProjectListColumns.clear();
    Settings.TransitListColumns.clear();
    Settings.TemplateListColumns.clear();
  }
  Settings.AutoUpdate = r.ReadBoolean();
  if (minor >= 2) Settings.ReservedText = r.ReadString();
  else Settings.ReservedText.clear();
  Settings.BlinkWarning = minor >= 3 ? r.ReadBoolean() : true;
  Settings.FixedWindow = false;
  return version;
}

void WriteConfigurationPayload(TStream& stream) {
  TStreamWriter w(stream);
  w.WriteString("Version_1.04");
  w.WriteStrings(Settings.CompanyLines);
  w.WriteStrings(Settings.DistributorLines);
  w.WriteBoolean(Settings.AntiAliasing);
  w.WriteBoolean(Settings.ShowGrid);
  w.WriteInteger(CurrentLengthUnit == luInch ? 0 : 1);
  w.WriteBoolean(Settings.SaveWindowPositionsOnExit);
  w.WriteString(Settings.WindowLayout);
  w.WriteString(Settings.ProjectListColumns);
  w.WriteString(Settings.TransitListColumns);
  w.WriteString(Settings.TemplateListColumns);
  w.WriteBoolean(Settings.AutoUpdate);
  w.WriteString(Settings.ReservedText);
  w.WriteBoolean(Settings.BlinkWarning);
}

namespace {
// The configuration file could not be read at load time: keep it before the next save.
bool ConfigUnreadable = false;
}  // namespace

void LoadConfiguration(const std::string& path) {
  ConfigUnreadable = false;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
    // No configuration yet (the first start): the defaults, without a word.
    SetDefaultSettings();
    return;
  }
  try {
    std::string compressed = ReadWholeFile(path);
    ConfigUnreadable = true;
    TZlibReadStream z(std::move(compressed));
    ReadConfigurationPayload(z);
    ConfigUnreadable = false;
  } catch (const std::exception& e) {
    UserDialogs().ShowError(std::string("Error reading configurationfile (default values will be used):\r\r") +
                            e.what());
    SetDefaultSettings();
  }
}

bool SaveConfiguration(const std::string& path) {
  std::string aside;
  try {
    TReplaceOptions options;
    options.KeepBackup = true;
    if (ConfigUnreadable && FileExists(path)) options.KeepAsideAs = aside = UnreadableFileName(path);
    ReplaceFileCompressed(path, WriteConfigurationPayload, options);
  } catch (const std::exception& e) {
    UserDialogs().ShowError(std::string("Error writing configurationfile (current settings will not be saved):\r\r") +
                            e.what());
    return false;
  }
  if (ConfigUnreadable) {
    ConfigUnreadable = false;
    ReportKeptAside("configuration file", aside);
  }
  return true;
}

namespace {

int Clamp8(int value) {
  if (value > 99999999) return 99999999;
  if (value < -9999999) return -9999999;
  return value;
}

// A whole number with blanks allowed before it (and after it, as a Delphi
// StrToInt of the trimmed field would); anything else is a conversion error.
int FieldNumber(const std::string& field) {
  size_t b = field.find_first_not_of(' ');
  size_t e = field.find_last_not_of(' ');
  if (b == std::string::npos) throw TError("'" + field + "' is not a valid integer value");
  const std::string s = field.substr(b, e - b + 1);
  size_t i = 0;
  bool negative = false;
  if (s[i] == '-' || s[i] == '+') negative = s[i++] == '-';
  if (i == s.size()) throw TError("'" + s + "' is not a valid integer value");
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') throw TError("'" + s + "' is not a valid integer value");
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) throw TError("'" + s + "' is not a valid integer value");
  }
  if (negative) v = -v;
  if (v > 2147483647LL) throw TError("'" + s + "' is not a valid integer value");
  return static_cast<int>(v);
}

}  // namespace

std::string WindowLayoutRecord(const TWindowLayoutEntry& e) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%8d%8d%8d%8d%8d%-60.60s", Clamp8(e.ViewID), Clamp8(e.Width), Clamp8(e.Height),
                Clamp8(e.Left), Clamp8(e.Top), e.ClassName.c_str());
  return buffer;
}

void ParseWindowLayout(const std::string& text, std::vector<TWindowLayoutEntry>& entries) {
  entries.clear();
  const size_t count = text.size() / 100;
  for (size_t i = 0; i < count; ++i) {
    const std::string record = text.substr(i * 100, 100);
    TWindowLayoutEntry e;
    e.ViewID = FieldNumber(record.substr(0, 8));
    e.Width = FieldNumber(record.substr(8, 8));
    e.Height = FieldNumber(record.substr(16, 8));
    e.Left = FieldNumber(record.substr(24, 8));
    e.Top = FieldNumber(record.substr(32, 8));
    std::string name = record.substr(40, 60);
    const size_t b = name.find_first_not_of(' ');
    const size_t end = name.find_last_not_of(' ');
    e.ClassName = b == std::string::npos ? std::string() : name.substr(b, end - b + 1);
    entries.push_back(e);
  }
}

std::vector<TWindowLayoutEntry> ParseWindowLayout(const std::string& text) {
  std::vector<TWindowLayoutEntry> entries;
  ParseWindowLayout(text, entries);
  return entries;
}

std::vector<int> ColumnWidthsFromLayout(std::string& text, const std::vector<int>& defaultWidths) {
  const size_t count = defaultWidths.size();
  if (text.size() != 6 * count) text.assign(6 * count, ' ');
  std::vector<int> widths(count);
  for (size_t i = 0; i < count; ++i) {
    if (text[6 * i] == '-') {
      widths[i] = 0;
      continue;
    }
    int width = -1;
    try {
      width = FieldNumber(text.substr(6 * i + 1, 5));
    } catch (const TError&) {
    }
    widths[i] = width < 8 ? defaultWidths[i] : width;
  }
  return widths;
}

void StoreColumnWidthsInLayout(std::string& text, const std::vector<int>& widths) {
  if (text.size() < 6 * widths.size()) text.resize(6 * widths.size(), ' ');
  for (size_t i = 0; i < widths.size(); ++i) {
    if (widths[i] <= 0) continue;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.5d", widths[i] > 99999 ? 99999 : widths[i]);
    text.replace(6 * i + 1, 5, buffer);
  }
}

void SetShownColumnsInLayout(std::string& text, const std::string& shown) {
  if (text.size() < 6 * shown.size()) text.resize(6 * shown.size(), ' ');
  for (size_t i = 0; i < shown.size(); ++i) text[6 * i] = shown[i];
}
