#include "schedule/reader.h"

#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "core/cp1252.h"
#include "core/errors.h"

namespace {

// ---------------------------------------------------------------- text

void CheckCellSize(size_t size) {
  if (size > MaxScheduleCellBytes)
    throw TError("A cell holds more than " + std::to_string(MaxScheduleCellBytes / 1024) +
                 " KB of text; this is not a cable schedule");
}

// Counts the cells held, so that a small file of far-apart cells or of
// delimiters alone cannot take all memory.
class TCellBudget {
public:
  void Take(size_t cells) {
    Used += cells;
    if (Used > MaxScheduleCells)
      throw TError("The schedule has more than " + std::to_string(MaxScheduleCells) + " cells");
  }

private:
  size_t Used = 0;
};

void TooManyRows() {
  throw TError("The schedule has more than " + std::to_string(MaxScheduleRows) + " rows");
}

std::string ReadFileBounded(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) throw TError("Cannot open " + path + ": " + ec.message());
  if (size > MaxScheduleFileBytes)
    throw TError("The file " + path + " is larger than " + std::to_string(MaxScheduleFileBytes >> 20) + " MB");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TError("Cannot open " + path);
  std::string bytes(static_cast<size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

// Splits text into records of fields (RFC 4180: fields in double quotes may
// hold delimiters, line breaks and doubled quotes). Line ends: CR LF, LF or CR.
std::vector<TScheduleRow> SplitRecords(std::string_view text, char delimiter) {
  std::vector<TScheduleRow> rows;
  TScheduleRow row;
  std::string field;
  bool quoted = false, wasQuoted = false;
  TCellBudget budget;
  size_t i = 0;
  auto endField = [&] {
    CheckCellSize(field.size());
    budget.Take(1);
    row.push_back({std::move(field), false});
    field.clear();
    wasQuoted = false;
  };
  auto endRecord = [&] {
    endField();
    // A line without any text is an empty row.
    if (row.size() == 1 && row[0].Text.empty()) row.clear();
    if (static_cast<int>(row.size()) > MaxScheduleColumns) row.resize(MaxScheduleColumns);
    if (static_cast<int>(rows.size()) >= MaxScheduleRows) TooManyRows();
    rows.push_back(std::move(row));
    row.clear();
  };
  while (i < text.size()) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          i += 2;
          continue;
        }
        quoted = false;
      } else {
        field += c;
        if (field.size() > MaxScheduleCellBytes) CheckCellSize(field.size());
      }
      ++i;
      continue;
    }
    if (c == '"' && field.empty() && !wasQuoted) {
      quoted = wasQuoted = true;
    } else if (c == delimiter) {
      endField();
    } else if (c == '\r' || c == '\n') {
      endRecord();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      field += c;
      if (field.size() > MaxScheduleCellBytes) CheckCellSize(field.size());
    }
    ++i;
  }
  // The last line needs no line end; a text that ends with one has no
  // further empty row.
  if (!field.empty() || !row.empty() || wasQuoted) endRecord();
  return rows;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits, one separator, digits (an optional sign in front).
bool LooksDecimal(std::string_view s, char separator) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  const size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i == start || i >= s.size() || s[i] != separator) return false;
  const size_t fraction = ++i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i == s.size() && i > fraction;
}

}  // namespace

char DetectDelimiter(std::string_view text) {
  // Per candidate, the number of lines (outside quotes) whose count of that
  // character equals the most common non-zero count. Ties go to the earlier
  // candidate: a tab or a semicolon rather than a comma, which may be a
  // decimal separator.
  static constexpr std::array<char, 4> candidates = {'\t', ';', ',', '|'};
  std::array<std::map<int, int>, 4> histograms;
  std::array<int, 4> counts{};
  bool quoted = false;
  int lines = 0;
  auto endLine = [&] {
    bool any = false;
    for (int k = 0; k < 4; ++k) {
      if (counts[k] > 0) { ++histograms[k][counts[k]]; any = true; }
      counts[k] = 0;
    }
    if (any) ++lines;
  };
  for (size_t i = 0; i < text.size() && lines < 200; ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n' || c == '\r') { endLine(); continue; }
    for (int k = 0; k < 4; ++k)
      if (c == candidates[k]) ++counts[k];
  }
  endLine();
  char best = ',';
  int bestScore = 0;
  for (int k = 0; k < 4; ++k) {
    int score = 0;
    for (const auto& [count, times] : histograms[k]) score = std::max(score, times);
    if (score > bestScore) { bestScore = score; best = candidates[k]; }
  }
  return best;
}

char DetectDecimalSeparator(const std::vector<TScheduleRow>& rows) {
  int commas = 0, dots = 0;
  for (const TScheduleRow& row : rows)
    for (const TScheduleCell& cell : row) {
      if (cell.Numeric) continue;
      if (LooksDecimal(cell.Text, ',')) ++commas;
      else if (LooksDecimal(cell.Text, '.')) ++dots;
    }
  return commas > dots ? ',' : '.';
}

TScheduleTable ReadDelimitedText(std::string_view bytes, const TDelimitedOptions& options) {
  if (bytes.size() > MaxScheduleFileBytes)
    throw TError("The file is larger than " + std::to_string(MaxScheduleFileBytes >> 20) + " MB");
  TScheduleTable table;
  std::string text;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF" && IsValidUtf8(bytes.substr(3))) {
    table.Encoding = "UTF-8 with BOM";
    text.assign(bytes.substr(3));
  } else if (IsValidUtf8(bytes)) {
    table.Encoding = "UTF-8";
    text.assign(bytes);
  } else {
    table.Encoding = "Windows-1252";
    text = Cp1252ToUtf8(bytes);
  }
  if (text.find('\0') != std::string::npos)
    throw TError("The file holds binary data; it is not a text schedule");
  if (options.Delimiter) {
    table.Delimiter = options.Delimiter;
  } else {
    table.Delimiter = DetectDelimiter(text);
    table.DelimiterDetected = true;
  }
  table.Rows = SplitRecords(text, table.Delimiter);
  if (options.Decimal) {
    table.DecimalSeparator = options.Decimal;
  } else {
    table.DecimalSeparator = DetectDecimalSeparator(table.Rows);
    table.DecimalDetected = true;
  }
  return table;
}

// ---------------------------------------------------------------- xlsx

namespace {

[[noreturn]] void Damaged(const std::string& what) {
  throw TError("The workbook is damaged or not an .xlsx file: " + what);
}

struct TZipCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct TZipFileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

class TWorkbookArchive {
public:
  explicit TWorkbookArchive(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
      zip_error_fini(&error);
      Damaged("it cannot be opened");
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
      zip_source_free(source);
      throw TError("The file is not an .xlsx workbook (it is no zip archive)");
    }
    Archive.reset(archive);
  }

  bool Has(const std::string& name) const { return zip_name_locate(Archive.get(), name.c_str(), 0) >= 0; }

  // The unpacked part; its size is checked against the limits while it is
  // inflated, whatever the archive states.
  std::string Read(const std::string& name) {
    const zip_int64_t index = zip_name_locate(Archive.get(), name.c_str(), 0);
    if (index < 0) Damaged("the part " + name + " is missing");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(Archive.get(), index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) &&
        (stat.size > MaxWorkbookEntryBytes || stat.size > MaxWorkbookTotalBytes - Total))
      TooLarge();
    std::unique_ptr<zip_file_t, TZipFileCloser> file(zip_fopen_index(Archive.get(), index, 0));
    if (!file) Damaged("the part " + name + " cannot be unpacked (" + zip_strerror(Archive.get()) + ")");
    std::string out;
    char buffer[65536];
    for (;;) {
      const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
      if (n < 0) Damaged("the part " + name + " cannot be unpacked (" + zip_file_strerror(file.get()) + ")");
      if (n == 0) break;
      out.append(buffer, static_cast<size_t>(n));
      if (out.size() > MaxWorkbookEntryBytes || Total + out.size() > MaxWorkbookTotalBytes) TooLarge();
    }
    Total += out.size();
    return out;
  }

private:
  [[noreturn]] static void TooLarge() {
    throw TError("The workbook unpacks to more than " + std::to_string(MaxWorkbookEntryBytes >> 20) +
                 " MB; it is refused as damaged or hostile");
  }
  std::unique_ptr<zip_t, TZipCloser> Archive;
  size_t Total = 0;
};

std::string_view LocalName(const XML_Char* name) {
  std::string_view s(name);
  const size_t colon = s.rfind(':');
  return colon == std::string_view::npos ? s : s.substr(colon + 1);
}

std::string Attribute(const XML_Char** attributes, std::string_view local) {
  for (int i = 0; attributes[i]; i += 2)
    if (LocalName(attributes[i]) == local) return attributes[i + 1];
  return {};
}

// A SAX parse of one part. Documents with a document type are refused, so
// that no entity is ever expanded.
class TXmlParser {
public:
  virtual ~TXmlParser() = default;
  void Parse(const std::string& xml, const std::string& part) {
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(XML_ParserCreate("UTF-8"),
                                                                                          &XML_ParserFree);
    if (!parser) throw TError("Out of memory while reading the workbook");
    XML_Parser p = parser.get();
    XML_SetUserData(p, this);
    XML_SetElementHandler(p, &TXmlParser::OnStart, &TXmlParser::OnEnd);
    XML_SetCharacterDataHandler(p, &TXmlParser::OnText);
    XML_SetStartDoctypeDeclHandler(p, &TXmlParser::OnDoctype);
    Parser = p;
    if (XML_Parse(p, xml.data(), static_cast<int>(xml.size()), XML_TRUE) != XML_STATUS_OK) {
      if (!Failure.empty()) throw TError(Failure);
      Damaged("broken XML in " + part + " (line " + std::to_string(XML_GetCurrentLineNumber(p)) + ": " +
              XML_ErrorString(XML_GetErrorCode(p)) + ")");
    }
  }

protected:
  virtual void Start(std::string_view name, const XML_Char** attributes) = 0;
  virtual void End(std::string_view name) = 0;
  virtual void Text(std::string_view) {}
  void Fail(const std::string& message) {
    if (Failure.empty()) Failure = message;
    XML_StopParser(Parser, XML_FALSE);
  }
  bool Failed() const { return !Failure.empty(); }

private:
  static void OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    auto* me = static_cast<TXmlParser*>(self);
    if (me->Failed()) return;
    try {
      me->Start(LocalName(name), attributes);
    } catch (const std::exception& e) {
      me->Fail(e.what());
    }
  }
  static void OnEnd(void* self, const XML_Char* name) {
    auto* me = static_cast<TXmlParser*>(self);
    if (me->Failed()) return;
    try {
      me->End(LocalName(name));
    } catch (const std::exception& e) {
      me->Fail(e.what());
    }
  }
  static void OnText(void* self, const XML_Char* text, int length) {
    auto* me = static_cast<TXmlParser*>(self);
    if (me->Failed()) return;
    try {
      me->Text(std::string_view(text, static_cast<size_t>(length)));
    } catch (const std::exception& e) {
      me->Fail(e.what());
    }
  }
  static void OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<TXmlParser*>(self)->Fail(
        "The workbook is damaged or not an .xlsx file: a part declares a document type");
  }
  XML_Parser Parser = nullptr;
  std::string Failure;
};

struct TSheetEntry {
  std::string Name, RelationId;
};

class TWorkbookParser : public TXmlParser {
public:
  std::vector<TSheetEntry> Sheets;

protected:
  void Start(std::string_view name, const XML_Char** attributes) override {
    if (name == "sheet") Sheets.push_back({Attribute(attributes, "name"), Attribute(attributes, "id")});
  }
  void End(std::string_view) override {}
};

struct TRelation {
  std::string Target, Type;
};

class TRelationsParser : public TXmlParser {
public:
  std::map<std::string, TRelation> Relations;

protected:
  void Start(std::string_view name, const XML_Char** attributes) override {
    if (name == "Relationship")
      Relations[Attribute(attributes, "Id")] = {Attribute(attributes, "Target"), Attribute(attributes, "Type")};
  }
  void End(std::string_view) override {}
};

// Shared strings: the text of every <t> of an <si>, rich-text runs joined;
// phonetic runs (<rPh>) left out.
class TSharedStringsParser : public TXmlParser {
public:
  std::vector<std::string> Strings;

protected:
  void Start(std::string_view name, const XML_Char**) override {
    if (name == "si") { InItem = true; Current.clear(); }
    else if (name == "rPh") ++InPhonetic;
    else if (name == "t" && InItem && !InPhonetic) InText = true;
  }
  void End(std::string_view name) override {
    if (name == "si") {
      InItem = false;
      Strings.push_back(std::move(Current));
      Current.clear();
    } else if (name == "rPh") --InPhonetic;
    else if (name == "t") InText = false;
  }
  void Text(std::string_view text) override {
    if (!InText) return;
    Current.append(text);
    CheckCellSize(Current.size());
  }

private:
  bool InItem = false, InText = false;
  int InPhonetic = 0;
  std::string Current;
};

// "B12" -> column 1 (0-based); -1 when there is no valid column part.
int ColumnOfReference(std::string_view ref) {
  int column = 0;
  size_t i = 0;
  while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z') {
    column = column * 26 + (ref[i] - 'A' + 1);
    if (column > 16384) return -1;
    ++i;
  }
  return i == 0 ? -1 : column - 1;
}

int RowOfReference(std::string_view ref) {
  size_t i = 0;
  while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z') ++i;
  long row = 0;
  if (i == ref.size()) return -1;
  for (; i < ref.size(); ++i) {
    if (!IsDigit(ref[i])) return -1;
    row = row * 10 + (ref[i] - '0');
    if (row > 1048576) return -1;
  }
  return static_cast<int>(row);
}

class TSheetParser : public TXmlParser {
public:
  explicit TSheetParser(const std::vector<std::string>& shared) : Shared(shared) {}
  std::vector<TScheduleRow> Rows;

protected:
  void Start(std::string_view name, const XML_Char** attributes) override {
    if (name == "row") {
      const std::string r = Attribute(attributes, "r");
      int number = r.empty() ? static_cast<int>(Rows.size()) + 1 : RowOfReference(r);
      if (number < 1) Damaged("a row has the number '" + r + "'");
      if (number < static_cast<int>(Rows.size())) number = static_cast<int>(Rows.size()) + 1;
      if (number > MaxScheduleRows) TooManyRows();
      Rows.resize(static_cast<size_t>(number));
      Row = number - 1;
      NextColumn = 0;
    } else if (name == "c") {
      if (Row < 0) Damaged("a cell outside a row");
      const std::string ref = Attribute(attributes, "r");
      Column = ref.empty() ? NextColumn : ColumnOfReference(ref);
      if (Column < 0) Damaged("a cell has the reference '" + ref + "'");
      NextColumn = Column + 1;
      Type = Attribute(attributes, "t");
      Value.clear();
      InlineText.clear();
    } else if (name == "v" && Column >= 0) {
      InValue = true;
    } else if (name == "is") {
      InInline = true;
    } else if (name == "rPh") {
      ++InPhonetic;
    } else if (name == "t" && InInline && !InPhonetic) {
      InText = true;
    }
  }

  void End(std::string_view name) override {
    if (name == "v") InValue = false;
    else if (name == "t") InText = false;
    else if (name == "is") InInline = false;
    else if (name == "rPh") --InPhonetic;
    else if (name == "c") EndCell();
    else if (name == "row") Row = -1;
  }

  void Text(std::string_view text) override {
    if (InValue) {
      Value.append(text);
      CheckCellSize(Value.size());
    } else if (InText) {
      InlineText.append(text);
      CheckCellSize(InlineText.size());
    }
  }

private:
  void EndCell() {
    const int column = Column;
    Column = -1;
    if (column < 0 || column >= MaxScheduleColumns || Row < 0) return;
    TScheduleCell cell;
    if (Type == "s") {
      char* end = nullptr;
      const unsigned long index = std::strtoul(Value.c_str(), &end, 10);
      if (Value.empty() || *end || index >= Shared.size()) Damaged("a cell refers to a shared string that is not there");
      cell.Text = Shared[index];
    } else if (Type == "inlineStr") {
      cell.Text = std::move(InlineText);
    } else if (Type == "str" || Type == "e") {
      cell.Text = std::move(Value);
    } else if (Type == "b") {
      cell.Text = Value == "1" ? "TRUE" : "FALSE";
    } else {
      cell.Text = std::move(Value);
      cell.Numeric = !cell.Text.empty();
    }
    if (cell.Text.empty()) return;
    TScheduleRow& row = Rows[static_cast<size_t>(Row)];
    if (row.size() <= static_cast<size_t>(column)) {
      Budget.Take(static_cast<size_t>(column) + 1 - row.size());
      row.resize(static_cast<size_t>(column) + 1);
    }
    row[static_cast<size_t>(column)] = std::move(cell);
  }

  const std::vector<std::string>& Shared;
  TCellBudget Budget;
  int Row = -1, Column = -1, NextColumn = 0;
  std::string Type, Value, InlineText;
  bool InValue = false, InInline = false, InText = false;
  int InPhonetic = 0;
};

// A relation's target as a path inside the archive: relative to xl/, or
// absolute from the archive's root.
std::string PartPath(const std::string& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  std::string path = "xl/" + target;
  // Resolve "../" steps.
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string piece = path.substr(start, slash - start);
    if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!piece.empty() && piece != ".") {
      parts.push_back(piece);
    }
    start = slash + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

bool EndsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

}  // namespace

TScheduleTable ReadXlsx(std::string_view bytes, const std::string& sheet) {
  if (bytes.size() > MaxScheduleFileBytes)
    throw TError("The file is larger than " + std::to_string(MaxScheduleFileBytes >> 20) + " MB");
  TWorkbookArchive archive(bytes);
  if (!archive.Has("xl/workbook.xml")) Damaged("the part xl/workbook.xml is missing");
  TWorkbookParser workbook;
  workbook.Parse(archive.Read("xl/workbook.xml"), "xl/workbook.xml");
  if (workbook.Sheets.empty()) Damaged("the workbook lists no sheet");
  TRelationsParser relations;
  if (archive.Has("xl/_rels/workbook.xml.rels"))
    relations.Parse(archive.Read("xl/_rels/workbook.xml.rels"), "xl/_rels/workbook.xml.rels");

  TScheduleTable table;
  table.Encoding = "xlsx";
  for (const TSheetEntry& s : workbook.Sheets) table.SheetNames.push_back(s.Name);
  const TSheetEntry* chosen = &workbook.Sheets.front();
  if (!sheet.empty()) {
    auto found = std::find_if(workbook.Sheets.begin(), workbook.Sheets.end(),
                              [&](const TSheetEntry& s) { return s.Name == sheet; });
    if (found == workbook.Sheets.end()) throw TError("The workbook has no sheet named '" + sheet + "'");
    chosen = &*found;
  }
  table.SheetName = chosen->Name;

  std::string sheetPath;
  auto relation = relations.Relations.find(chosen->RelationId);
  if (relation != relations.Relations.end()) sheetPath = PartPath(relation->second.Target);
  else if (workbook.Sheets.size() == 1 || chosen == &workbook.Sheets.front()) sheetPath = "xl/worksheets/sheet1.xml";
  if (sheetPath.empty() || !archive.Has(sheetPath)) Damaged("the sheet '" + chosen->Name + "' is missing");

  std::string sharedPath;
  for (const auto& [id, r] : relations.Relations)
    if (EndsWith(r.Type, "/sharedStrings")) sharedPath = PartPath(r.Target);
  if (sharedPath.empty() && archive.Has("xl/sharedStrings.xml")) sharedPath = "xl/sharedStrings.xml";
  TSharedStringsParser shared;
  if (!sharedPath.empty() && archive.Has(sharedPath)) shared.Parse(archive.Read(sharedPath), sharedPath);

  TSheetParser sheetParser(shared.Strings);
  sheetParser.Parse(archive.Read(sheetPath), sheetPath);
  table.Rows = std::move(sheetParser.Rows);
  // Trailing empty rows say nothing.
  while (!table.Rows.empty() && table.Rows.back().empty()) table.Rows.pop_back();
  table.DecimalSeparator = DetectDecimalSeparator(table.Rows);
  table.DecimalDetected = true;
  return table;
}

TScheduleTable ReadScheduleFile(const std::string& path, const TScheduleReadOptions& options) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string bytes = ReadFileBounded(path);
  if (extension == ".xlsx") {
    TScheduleTable table = ReadXlsx(bytes, options.Sheet);
    if (options.Text.Decimal) {
      table.DecimalSeparator = options.Text.Decimal;
      table.DecimalDetected = false;
    }
    return table;
  }
  if (!options.Sheet.empty()) throw TError("A sheet can be chosen in .xlsx workbooks only");
  return ReadDelimitedText(bytes, options.Text);
}
