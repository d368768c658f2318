#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Readers of cable schedules: delimited text (.csv, .tsv, .txt) and Excel
// workbooks (.xlsx). Both yield rows of cells, UTF-8 text. They raise TError
// with a message for the user when a file cannot be read.

struct TScheduleCell {
  std::string Text;
  // A number stored as a number in a workbook: Text is written with a dot
  // whatever the decimal separator of the text cells is.
  bool Numeric = false;
};
using TScheduleRow = std::vector<TScheduleCell>;

struct TScheduleTable {
  // Rows in file order; row i is the file's row i + 1 (empty rows kept, so
  // that row numbers match what the user sees in the spreadsheet).
  std::vector<TScheduleRow> Rows;
  char Delimiter = 0;         // delimited text only: the field delimiter used
  bool DelimiterDetected = false;
  char DecimalSeparator = '.';  // of numbers written as text
  bool DecimalDetected = false;
  std::string Encoding;       // "UTF-8", "UTF-8 with BOM", "Windows-1252" or "xlsx"
  std::string SheetName;      // workbook only: the sheet read
  std::vector<std::string> SheetNames;  // workbook only: all sheets in order
};

// Limits of what a reader accepts.
constexpr int MaxScheduleRows = 100000;
constexpr int MaxScheduleColumns = 1024;             // cells further right are ignored
constexpr size_t MaxScheduleCellBytes = 64 * 1024;  // one cell's text
constexpr size_t MaxScheduleCells = 4000000;        // cells of all rows, empty ones between filled ones included
constexpr size_t MaxScheduleFileBytes = 64u << 20;   // a text file or a workbook on disk
constexpr size_t MaxWorkbookEntryBytes = 64u << 20;  // one unpacked part of a workbook
constexpr size_t MaxWorkbookTotalBytes = 128u << 20; // all unpacked parts read

struct TDelimitedOptions {
  char Delimiter = 0;  // 0: detect from the data (tab, ";", ",", "|")
  char Decimal = 0;    // 0: detect from the data ('.' or ',')
};

// Delimited text with RFC 4180 quoting. The encoding is UTF-8 (with or
// without a byte-order mark) when the bytes are valid UTF-8, else
// Windows-1252.
TScheduleTable ReadDelimitedText(std::string_view bytes, const TDelimitedOptions& options = {});

// A workbook's sheet: the first one when sheet is empty, else the one with
// that name.
TScheduleTable ReadXlsx(std::string_view bytes, const std::string& sheet = {});

struct TScheduleReadOptions {
  TDelimitedOptions Text;
  std::string Sheet;
};
// Reads a file by its extension (.xlsx, else delimited text).
TScheduleTable ReadScheduleFile(const std::string& path, const TScheduleReadOptions& options = {});

// Detection on its own, for a window that shows what was found: the
// delimiter of text (first 200 lines) and the decimal separator of the text
// cells of a table.
char DetectDelimiter(std::string_view text);
char DetectDecimalSeparator(const std::vector<TScheduleRow>& rows);
