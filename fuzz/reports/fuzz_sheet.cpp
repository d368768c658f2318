// Any texts and numbers into the spreadsheet writers: the CSV parses back
// under RFC 4180 with one field per column in every row, a printable ASCII
// name comes back as it went in, and the workbook is written or refused with
// an error, nothing else.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/errors.h"
#include "reports/spreadsheet.h"

namespace {

// RFC 4180 records (CR LF ends a record, "" is a quote inside quotes).
std::vector<std::vector<std::string>> ParseCsv(const std::string& s, size_t at) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = at; i < s.size(); ++i) {
    const char c = s[i];
    if (quoted) {
      if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back() += c;
      }
    } else if (c == '"') {
      if (!rows.back().back().empty()) std::abort();  // a quote inside an unquoted field
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r') {
      if (i + 1 >= s.size() || s[i + 1] != '\n') std::abort();
      ++i;
      rows.emplace_back(1);
    } else if (c == '\n') {
      std::abort();  // a bare line break outside quotes
    } else {
      rows.back().back() += c;
    }
  }
  if (quoted) std::abort();
  if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Texts separated by 0 bytes; the first 8 bytes of each text, when it is
  // long enough, also give a number.
  std::vector<std::string> texts(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) texts.emplace_back();
    else texts.back() += static_cast<char>(data[i]);
  }
  std::vector<double> numbers;
  for (const std::string& t : texts) {
    double d = 0;
    if (t.size() >= 8) std::memcpy(&d, t.data(), 8);
    numbers.push_back(d);
  }
  auto text = [&](size_t i) { return texts[i % texts.size()]; };
  auto number = [&](size_t i) { return numbers[i % numbers.size()]; };

  TReportSheets sheets;
  sheets.WithTotals = texts.size() % 2 == 0;
  for (size_t n = 0; n < 1 + texts.size() % 3; ++n) {
    TSheetTransit t;
    t.Project = text(n);
    t.Name = text(n + 1);
    t.TimesUsed = static_cast<int32_t>(texts.size());
    t.Width = number(n);
    t.Depth = number(n + 2);
    t.Warning = text(n + 2);
    for (size_t m = 0; m < 3; ++m) {
      TMaterialItem item;
      item.Kind = static_cast<uint8_t>(text(m).size() % 15);
      item.Code = text(m + 3);
      item.Description = text(m + 4);
      item.Size1 = number(m + 1);
      item.Length = number(m + 3);
      item.Amount = number(m);
      item.AmountPerTransit = number(m + 5);
      t.Materials.push_back(item);
      sheets.Totals.push_back(item);
    }
    sheets.Transits.push_back(t);
  }

  const std::string csv = SpreadsheetCsv(sheets);
  if (csv.compare(0, 3, "\xEF\xBB\xBF") != 0) std::abort();
  const auto rows = ParseCsv(csv, 3);
  if (rows.size() != 1 + 3 * sheets.Transits.size()) std::abort();
  for (const auto& row : rows)
    if (row.size() != rows[0].size()) std::abort();
  bool printable = true;
  for (const char c : sheets.Transits[0].Name) printable = printable && c >= 0x20 && c < 0x7F;
  if (printable && rows[1][1] != sheets.Transits[0].Name) std::abort();

  try {
    const std::string xlsx = SpreadsheetXlsx(sheets);
    if (xlsx.compare(0, 2, "PK") != 0) std::abort();
  } catch (const TError&) {
  }
  return 0;
}
