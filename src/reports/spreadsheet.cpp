#include "reports/spreadsheet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/cp1252.h"
#include "core/draw/export.h"
#include "core/enums.h"
#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"
#include "reports/rtfwriter.h"

namespace {

// ---------------------------------------------------------------------------
// The sheets as plain tables that both writers share.

enum TCellFormat : uint8_t { cfGeneral, cfLength, cfPercent, cfFraction, cfWhole, cfFormatCount };

struct TCell {
  enum TType : uint8_t { Blank, Text, Number } Type = Blank;
  std::string Value;
  double NumberValue = 0;
  TCellFormat Format = cfGeneral;  // for a number, over the column's
};

struct TColumn {
  std::string Title;
  TCellFormat Format = cfGeneral;
};

struct TSheet {
  const char* Name;
  std::vector<TColumn> Columns;
  std::vector<std::vector<TCell>> Rows;
};

// Cells hold valid UTF-8: bytes that are not UTF-8 are taken as
// Windows-1252, as everywhere else in the program.
std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp;
    if (const size_t length = DecodeUtf8(text, i, cp); length > 0) {
      out.append(text, i, length);
      i += length;
    } else {
      AppendUtf8(out, Cp1252Character(static_cast<unsigned char>(text[i])));
      ++i;
    }
  }
  return out;
}

// A spreadsheet cell holds at most 32767 characters.
std::string CellText(const std::string& text) {
  std::string s = ValidUtf8(text);
  size_t characters = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && ++characters > 32767) {
      s.resize(i);
      break;
    }
  }
  return s;
}

TCell Text(const std::string& text) { return {TCell::Text, CellText(text), 0, cfGeneral}; }
// A spreadsheet has no infinities or not-a-numbers: those cells stay empty.
TCell Number(double value, TCellFormat format = cfGeneral) {
  if (!std::isfinite(value)) return {};
  return {TCell::Number, {}, value, format};
}
TCell Blank() { return {}; }
TCell Length(double micrometres) { return Number(micrometres / LengthUnitFactor()); }
// A size that the line does not have (0) stays empty.
TCell SizeOrBlank(double micrometres) { return micrometres == 0 ? Blank() : Length(micrometres); }


std::string WithUnit(const char* title) { return std::string(title) + " (" + LengthUnitName() + ")"; }

// Kind, article, sizes and the amount columns that both material sheets share.
void AddMaterialColumns(std::vector<TColumn>& columns, bool perTransit) {
  columns.push_back({"Kind"});
  columns.push_back({"Article code"});
  columns.push_back({"Description"});
  columns.push_back({WithUnit("Size 1"), cfLength});
  columns.push_back({WithUnit("Size 2"), cfLength});
  columns.push_back({WithUnit("Length"), cfLength});
  if (perTransit) columns.push_back({"Amount per transit"});
  columns.push_back({"Unit"});
  columns.push_back({perTransit ? "Total amount" : "Amount"});
  columns.push_back({"Sealant (ml)"});
  columns.push_back({"Cartridges"});
}

void AddMaterialCells(std::vector<TCell>& row, const TMaterialItem& m, bool perTransit) {
  const bool sealant = IsSealantKind(m.Kind);
  row.push_back(Text(MaterialKindText(m.Kind)));
  row.push_back(Text(m.Code));
  row.push_back(Text(m.Description));
  // A sealant's first size is the cartridge's volume, not a length.
  row.push_back(sealant ? Blank() : SizeOrBlank(m.Size1));
  row.push_back(SizeOrBlank(m.Size2));
  row.push_back(SizeOrBlank(m.Length));
  // Cartridges are fractions; shown to three places, kept whole.
  const TCellFormat amountFormat = sealant ? cfFraction : cfGeneral;
  if (perTransit) row.push_back(Number(m.AmountPerTransit, amountFormat));
  row.push_back(Text(MaterialAmountUnit(m.Kind)));
  row.push_back(Number(m.Amount, amountFormat));
  // As the report prints a sealant: its millilitres and whole cartridges.
  row.push_back(sealant ? Number(m.Size1 * m.Amount, cfWhole) : Blank());
  row.push_back(sealant ? Number(MaterialCeiling(m.Amount)) : Blank());
}

TSheet TransitsSheet(const TReportSheets& sheets) {
  TSheet sheet{"Transits", {}, {}};
  sheet.Columns = {{"Project"},
                   {"Transit"},
                   {"Times used"},
                   {WithUnit("Width"), cfLength},
                   {WithUnit("Height"), cfLength},
                   {WithUnit("Corner radius"), cfLength},
                   {WithUnit("Diameter"), cfLength},
                   {WithUnit("Depth"), cfLength},
                   {"Fill system"},
                   {"Subsystem"},
                   {"Classification"},
                   {"Conduit type"},
                   {"Sealant cartridge"},
                   {"Sealant layer"},
                   {"Conduits"},
                   {"Not placed"},
                   {"Filling rate (%)", cfPercent},
                   {"Spare (%)", cfPercent},
                   {"Warning"}};
  for (const TSheetTransit& t : sheets.Transits) {
    std::vector<TCell> row;
    row.push_back(Text(t.Project));
    row.push_back(Text(t.Name));
    row.push_back(Number(t.TimesUsed));
    row.push_back(t.Round ? Blank() : Length(t.Width));
    row.push_back(t.Round ? Blank() : Length(t.Height));
    row.push_back(t.Round ? Blank() : Length(t.CornerRadius));
    row.push_back(t.Round ? Length(t.Width) : Blank());
    row.push_back(Length(t.Depth));
    for (const std::string* text : {&t.FillSystem, &t.FillSubsystem, &t.Classification, &t.ConduitType,
                                    &t.SealantCartridge, &t.SealantLayer})
      row.push_back(Text(*text));
    row.push_back(Number(static_cast<double>(t.Conduits)));
    row.push_back(Number(static_cast<double>(t.NotPlaced)));
    row.push_back(Number(t.FillingRate));
    row.push_back(Number(t.Spare));
    row.push_back(Text(t.Warning));
    sheet.Rows.push_back(std::move(row));
  }
  return sheet;
}

TSheet MaterialsSheet(const TReportSheets& sheets) {
  TSheet sheet{"Materials", {{"Project"}, {"Transit"}, {"Times used"}}, {}};
  AddMaterialColumns(sheet.Columns, true);
  sheet.Columns.push_back({"Non-standard"});
  for (const TSheetTransit& t : sheets.Transits) {
    for (const TMaterialItem& m : t.Materials) {
      std::vector<TCell> row{Text(t.Project), Text(t.Name), Number(t.TimesUsed)};
      AddMaterialCells(row, m, true);
      row.push_back(Text(m.NonStandard ? "yes" : "no"));
      sheet.Rows.push_back(std::move(row));
    }
  }
  return sheet;
}

TSheet TotalsSheet(const TReportSheets& sheets) {
  TSheet sheet{"Totals", {}, {}};
  AddMaterialColumns(sheet.Columns, false);
  for (const TMaterialItem& m : sheets.Totals) {
    std::vector<TCell> row;
    AddMaterialCells(row, m, false);
    sheet.Rows.push_back(std::move(row));
  }
  return sheet;
}

std::vector<TSheet> Sheets(const TReportSheets& sheets) {
  std::vector<TSheet> out;
  if (sheets.WithTransits) {
    out.push_back(TransitsSheet(sheets));
    out.push_back(MaterialsSheet(sheets));
  }
  if (sheets.WithTotals) out.push_back(TotalsSheet(sheets));
  return out;
}

// ---------------------------------------------------------------------------
// CSV

// The shortest text that reads back as the same number, never with an
// exponent.
std::string CsvNumber(double value) {
  if (!std::isfinite(value)) return {};
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

std::string CsvField(const TCell& cell) {
  if (cell.Type == TCell::Number) return CsvNumber(cell.NumberValue);
  if (cell.Type == TCell::Blank) return {};
  const std::string& s = cell.Value;
  if (s.find_first_of(",\"\r\n") == std::string::npos && (s.empty() || (s.front() != ' ' && s.back() != ' ')))
    return s;
  std::string quoted = "\"";
  for (const char c : s) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// ---------------------------------------------------------------------------
// .xlsx

// A folder of our own (mode 0700) for libxlsxwriter, which writes to a file
// name only; removed with the workbook in it.
class TPrivateFolder {
public:
  TPrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/trellane-sheet-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw TError("Cannot create a temporary folder: " + std::string(std::strerror(errno)));
    Path = pattern;
  }
  ~TPrivateFolder() {
    ::unlink((Path + "/book.xlsx").c_str());
    // libxlsxwriter's scratch files are unlinked as they are made; a folder
    // that is not empty stays behind rather than be guessed at.
    ::rmdir(Path.c_str());
  }
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
  std::string Path;
};

std::string ReadBack(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) throw TError("Cannot read the written workbook: " + std::string(std::strerror(errno)));
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string message = std::strerror(errno);
      ::close(fd);
      throw TError("Cannot read the written workbook: " + message);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

// The width in characters that shows a cell whole.
size_t ShownWidth(const TCell& cell, TCellFormat format) {
  if (cell.Type == TCell::Number) {
    const double a = std::fabs(cell.NumberValue);
    const int digits = a >= 1 ? static_cast<int>(std::log10(a)) + 1 : 1;
    const int decimals = format == cfLength    ? (CurrentLengthUnit == luInch ? 4 : 2)
                         : format == cfPercent  ? 1
                         : format == cfFraction ? 3
                         : format == cfWhole    ? 0
                                                : 4;
    return static_cast<size_t>(digits + decimals + 3);
  }
  // The longest line, in characters.
  size_t longest = 0, current = 0;
  for (const char c : cell.Value) {
    if (c == '\n' || c == '\r') {
      current = 0;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      longest = std::max(longest, ++current);
    }
  }
  return longest;
}

// A line break in a workbook's cell is a line feed alone.
std::string CellLines(const std::string& text) {
  if (text.find('\r') == std::string::npos) return text;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') out += text[i];
    else if (i + 1 >= text.size() || text[i + 1] != '\n') out += '\n';
  }
  return out;
}

void Check(lxw_error error, const char* what) {
  if (error != LXW_NO_ERROR) throw TError(std::string("Cannot write the workbook (") + what + "): " + lxw_strerror(error));
}

void WriteXlsxSheet(lxw_workbook* book, const TSheet& sheet, lxw_format* bold, lxw_format* formats[]) {
  lxw_worksheet* ws = workbook_add_worksheet(book, sheet.Name);
  if (!ws) throw TError("Cannot write the workbook: no sheet");
  const size_t columns = sheet.Columns.size();
  std::vector<size_t> widths(columns);
  for (size_t c = 0; c < columns; ++c) {
    Check(worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), sheet.Columns[c].Title.c_str(), bold), "title");
    widths[c] = ShownWidth(Text(sheet.Columns[c].Title), cfGeneral) + 3;  // room for the filter button
  }
  lxw_row_t r = 1;
  for (const std::vector<TCell>& row : sheet.Rows) {
    for (size_t c = 0; c < row.size() && c < columns; ++c) {
      const TCell& cell = row[c];
      const TCellFormat shown = cell.Format != cfGeneral ? cell.Format : sheet.Columns[c].Format;
      lxw_format* format = formats[shown];
      const auto col = static_cast<lxw_col_t>(c);
      if (cell.Type == TCell::Number)
        Check(worksheet_write_number(ws, r, col, cell.NumberValue, format), "number");
      else if (cell.Type == TCell::Text && !cell.Value.empty())
        Check(worksheet_write_string(ws, r, col, CellLines(cell.Value).c_str(), nullptr), "text");
      widths[c] = std::max(widths[c], ShownWidth(cell, shown) + 1);
    }
    ++r;
  }
  for (size_t c = 0; c < columns; ++c) {
    const double width = static_cast<double>(std::clamp<size_t>(widths[c], 6, 60));
    Check(worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), width, nullptr), "width");
  }
  worksheet_freeze_panes(ws, 1, 0);
  // Printed across, as wide as the page, with the titles on every page.
  worksheet_set_landscape(ws);
  worksheet_set_paper(ws, 9);  // A4
  worksheet_fit_to_pages(ws, 1, 0);
  Check(worksheet_repeat_rows(ws, 0, 0), "titles");
  Check(worksheet_autofilter(ws, 0, 0, static_cast<lxw_row_t>(sheet.Rows.size()), static_cast<lxw_col_t>(columns - 1)),
        "filter");
}

}  // namespace

bool IsSpreadsheetPath(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".xlsx" || ext == ".csv";
}

TSpreadsheetFormat SpreadsheetFormatForPath(const std::string& path) {
  if (!IsSpreadsheetPath(path)) throw TError("A spreadsheet is written as .xlsx or .csv, not as " + path);
  std::string ext = path.substr(path.rfind('.'));
  return ext.size() == 5 ? TSpreadsheetFormat::Xlsx : TSpreadsheetFormat::Csv;
}

std::string SpreadsheetCsv(const TReportSheets& sheets) {
  const TSheet sheet = sheets.WithTransits || !sheets.WithTotals ? MaterialsSheet(sheets) : TotalsSheet(sheets);
  std::string out = "\xEF\xBB\xBF";
  for (size_t c = 0; c < sheet.Columns.size(); ++c) {
    if (c) out += ',';
    out += CsvField(Text(sheet.Columns[c].Title));
  }
  out += "\r\n";
  for (const std::vector<TCell>& row : sheet.Rows) {
    for (size_t c = 0; c < row.size(); ++c) {
      if (c) out += ',';
      out += CsvField(row[c]);
    }
    out += "\r\n";
  }
  return out;
}

std::string SpreadsheetXlsx(const TReportSheets& sheets) {
  const std::vector<TSheet> tables = Sheets(sheets);
  TPrivateFolder folder;
  const std::string file = folder.Path + "/book.xlsx";
  lxw_workbook_options options{};
  options.constant_memory = LXW_FALSE;
  options.tmpdir = folder.Path.data();
  options.use_zip64 = LXW_FALSE;
  lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
  if (!book) throw TError("Cannot write the workbook: " + std::string(std::strerror(errno)));
  std::string error;
  try {
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* length = workbook_add_format(book);
    format_set_num_format(length, CurrentLengthUnit == luInch ? "0.0000" : "0.00");
    lxw_format* percent = workbook_add_format(book);
    format_set_num_format(percent, "0.0");
    lxw_format* fraction = workbook_add_format(book);
    format_set_num_format(fraction, "0.000");
    lxw_format* whole = workbook_add_format(book);
    format_set_num_format(whole, "0");
    lxw_format* formats[cfFormatCount] = {nullptr, length, percent, fraction, whole};

    std::string subject;
    for (const TSheetTransit& t : sheets.Transits)
      if (!t.Project.empty() && subject.find(t.Project) == std::string::npos) subject += (subject.empty() ? "" : ", ") + t.Project;
    std::string title = "Material report", comments = std::string("Program-version of Trellane: ") + ReportVersionText;
    std::string company = std::string("Trellane ") + ReportVersionText;
    subject = CellText(subject);
    lxw_doc_properties properties{};
    properties.title = title.data();
    properties.subject = subject.data();
    properties.comments = comments.data();
    properties.company = company.data();
    Check(workbook_set_properties(book, &properties), "properties");

    for (const TSheet& sheet : tables) WriteXlsxSheet(book, sheet, bold, formats);
  } catch (const std::exception& e) {
    error = e.what();
  }
  const lxw_error closed = workbook_close(book);  // frees the workbook in every case
  if (!error.empty()) throw TError(error);
  Check(closed, "file");
  return ReadBack(file);
}

void WriteSpreadsheetFile(const std::string& path, const TReportSheets& sheets) {
  const std::string bytes =
      SpreadsheetFormatForPath(path) == TSpreadsheetFormat::Xlsx ? SpreadsheetXlsx(sheets) : SpreadsheetCsv(sheets);
  WriteFileAtomically(path, bytes);
}
