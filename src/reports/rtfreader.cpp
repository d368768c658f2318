#include "reports/rtfreader.h"

#include <algorithm>
#include <cstring>

#include "core/cp1252.h"
#include "core/errors.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Where the text of a group goes.
enum TDestination : uint8_t { dText, dSkip, dFontTable, dColourTable, dPicture };

struct TState {
  TDestination Destination = dText;
  TRtfCharFormat Char;
  TRtfParagraphFormat Para;
  int UnicodeSkip = 1;  // \uc
  bool Star = false;    // the group began with \*
  bool ShapePicture = false;  // inside \shppict
  bool PlainPicture = false;  // inside \nonshppict
};

// Destinations whose content is not shown.
const char* const kSkipped[] = {
    "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf",
    "footnote", "annotation", "object", "fldinst", "xmlnstbl", "listtable", "listoverridetable", "revtbl",
    "rsidtbl", "generator", "filetbl", "themedata", "colorschememapping", "latentstyles", "datastore",
    "pgdsctbl", "template", "private", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "atnid", "atnauthor",
    "pnseclvl", "listpicture", "mmathPr", "wgrffmtfilter", "pgptbl", "passwordhash", "docvar", "userprops"};

constexpr size_t kMaxDepth = 512;

class TReader {
public:
  explicit TReader(const std::string& bytes) : In(bytes) {}

  TRtfDocument Read() {
    if (In.compare(0, 5, "{\\rtf") != 0) throw TError("The file is not an RTF document.");
    while (Pos < In.size() && !Done) Step();
    EndParagraph(false);
    return std::move(Doc);
  }

private:
  TState& S() { return Stack.back(); }

  void Step() {
    const char c = In[Pos];
    if (Overflow > 0) {  // inside groups nested too deeply: only count braces
      ++Pos;
      if (c == '\\') ++Pos;
      else if (c == '{') ++Overflow;
      else if (c == '}') --Overflow;
      return;
    }
    switch (c) {
      case '{':
        ++Pos;
        if (Stack.size() >= kMaxDepth) {
          Overflow = 1;
          return;
        }
        Stack.push_back(Stack.empty() ? TState{} : S());
        S().Star = false;
        return;
      case '}':
        ++Pos;
        EndGroup();
        return;
      case '\\':
        ControlWord();
        return;
      case '\r':
      case '\n':
        ++Pos;
        return;
      default:
        ++Pos;
        Character(static_cast<uint8_t>(c));
    }
  }

  void EndGroup() {
    if (Stack.empty()) {
      Done = true;
      return;
    }
    const TState ended = S();
    if (ended.Destination == dPicture) FinishPicture(ended.ShapePicture, ended.PlainPicture);
    if (ended.Destination == dFontTable) FinishFont();
    Stack.pop_back();
    if (Stack.empty()) Done = true;
    SkipLeft = 0;
  }

  // One byte of text in the current destination (code page 1252).
  void Character(uint8_t byte) {
    if (Stack.empty()) return;
    switch (S().Destination) {
      case dText:
        if (SkipLeft > 0) {
          --SkipLeft;
          return;
        }
        if (byte == '\t') AddRun(TRtfRun::rkTab);
        else if (byte >= 0x20) AddCodePoint(Cp1252Character(byte));
        return;
      case dFontTable:
        if (byte == ';') FinishFont();
        else if (byte >= 0x20) AppendUtf8(FontName, Cp1252Character(byte));
        return;
      case dColourTable:
        if (byte == ';') {
          Doc.Colours.push_back((Red << 16) | (Green << 8) | Blue);
          Red = Green = Blue = 0;
        }
        return;
      case dPicture: {
        const int v = HexValue(static_cast<char>(byte));
        if (v < 0) return;
        if (HalfByte < 0) {
          HalfByte = v;
        } else {
          Picture.Data += static_cast<char>((HalfByte << 4) | v);
          HalfByte = -1;
        }
        return;
      }
      case dSkip:
        return;
    }
  }

  void AddCodePoint(uint32_t cp) {
    TRtfRun& run = TextRun();
    AppendUtf8(run.Text, cp);
  }

  TRtfRun& TextRun() {
    AfterPageBreak();
    auto& runs = Current.Runs;
    if (runs.empty() || runs.back().Kind != TRtfRun::rkText || !(runs.back().Format == S().Char)) {
      runs.push_back({});
      runs.back().Format = S().Char;
    }
    return runs.back();
  }

  void AddRun(TRtfRun::TKind kind, int picture = -1) {
    AfterPageBreak();
    TRtfRun run;
    run.Kind = kind;
    run.Picture = picture;
    run.Format = Stack.empty() ? TRtfCharFormat{} : S().Char;
    Current.Runs.push_back(std::move(run));
  }

  void EndParagraph(bool mark) {
    if (!mark && Current.Runs.empty()) return;
    if (!Stack.empty()) {
      Current.Format = S().Para;
      Current.MarkFormat = S().Char;
    }
    Doc.Paragraphs.push_back(std::move(Current));
    Current = {};
  }

  void PageBreak() { Current.PageBreakAfter = true; }

  // Something shown after a page break in the same paragraph begins a new
  // paragraph on the next page.
  void AfterPageBreak() {
    if (!Current.PageBreakAfter) return;
    Current.PageBreakAfter = false;
    EndParagraph(true);
    Current.PageBreakBefore = true;
  }

  void FinishFont() {
    if (HaveFont) {
      while (!FontName.empty() && FontName.back() == ' ') FontName.pop_back();
      Doc.Fonts[FontNumber] = {FontName, FontCharset};
    }
    HaveFont = false;
    FontName.clear();
    FontCharset = 0;
  }

  // A word processor writes a picture twice: for readers of shapes
  // (\shppict) and for the others (\nonshppict). The shape's is shown, but a
  // metafile beside a bitmap is taken instead, for it stays sharp.
  void FinishPicture(bool shape, bool plain) {
    const TRtfPictureKind kind = Picture.Kind;
    HalfByte = -1;
    const bool usable = kind == rpkWmf || kind == rpkPng || kind == rpkJpeg;
    const bool inText = Stack.size() >= 2 && Stack[Stack.size() - 2].Destination == dText;
    if (plain && ShapePictureShown) {
      const bool better = kind == rpkWmf && ShapeKind != rpkWmf && ShapeRun < Current.Runs.size() &&
                          Current.Runs[ShapeRun].Kind == TRtfRun::rkPicture;
      if (better) {
        Doc.Pictures.push_back(std::move(Picture));
        Current.Runs[ShapeRun].Picture = static_cast<int>(Doc.Pictures.size()) - 1;
      }
      Picture = {};
      ShapePictureShown = false;
      return;
    }
    Doc.Pictures.push_back(std::move(Picture));
    Picture = {};
    if (inText) AfterPageBreak();
    if (shape) {
      ShapePictureShown = usable && inText;
      ShapeKind = kind;
      ShapeRun = Current.Runs.size();
    }
    // The picture stands in the text of the group around it.
    if (inText) {
      AddRun(TRtfRun::rkPicture, static_cast<int>(Doc.Pictures.size()) - 1);
      Current.Runs.back().Format = Stack[Stack.size() - 2].Char;
    }
  }

  void ControlWord() {
    ++Pos;  // the backslash
    if (Pos >= In.size()) return;
    const char c = In[Pos];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++Pos;
      ControlSymbol(c);
      return;
    }
    const size_t start = Pos;
    while (Pos < In.size() && std::isalpha(static_cast<unsigned char>(In[Pos]))) ++Pos;
    std::string word = In.substr(start, std::min<size_t>(Pos - start, 32));
    bool hasParam = false, negative = false;
    int64_t param = 0;
    if (Pos < In.size() && In[Pos] == '-' && Pos + 1 < In.size() && std::isdigit(static_cast<unsigned char>(In[Pos + 1]))) {
      negative = true;
      ++Pos;
    }
    while (Pos < In.size() && std::isdigit(static_cast<unsigned char>(In[Pos]))) {
      hasParam = true;
      if (param < 100000000000LL) param = param * 10 + (In[Pos] - '0');
      ++Pos;
    }
    if (Pos < In.size() && In[Pos] == ' ') ++Pos;
    param = std::clamp<int64_t>(negative ? -param : param, -2147483647, 2147483647);
    Keyword(word, hasParam, static_cast<int>(param));
  }

  void ControlSymbol(char c) {
    if (Stack.empty()) return;
    switch (c) {
      case '\'': {
        const int hi = Pos < In.size() ? HexValue(In[Pos]) : -1;
        const int lo = Pos + 1 < In.size() ? HexValue(In[Pos + 1]) : -1;
        if (hi < 0 || lo < 0) return;
        Pos += 2;
        Character(static_cast<uint8_t>(hi * 16 + lo));
        return;
      }
      case '*':
        S().Star = true;
        return;
      case '\\':
      case '{':
      case '}':
        Character(static_cast<uint8_t>(c));
        return;
      case '~':
        Special(0x00A0);
        return;
      case '_':
        Special(0x2011);
        return;
      case '\r':
      case '\n':
        if (S().Destination == dText) EndParagraph(true);
        return;
      case '\t':
        Character('\t');
        return;
      default:
        return;  // \- (optional hyphen), \| and the like
    }
  }

  // A character given by a control word, counted for \uc skipping.
  void Special(uint32_t cp) {
    if (S().Destination != dText) return;
    if (SkipLeft > 0) {
      --SkipLeft;
      return;
    }
    AddCodePoint(cp);
  }

  void Unicode(int value) {
    if (S().Destination != dText) return;
    uint32_t unit = static_cast<uint32_t>(value < 0 ? value + 65536 : value) & 0xFFFF;
    SkipLeft = 0;
    if (unit >= 0xD800 && unit < 0xDC00) {
      HighSurrogate = unit;
    } else {
      uint32_t cp = unit;
      if (unit >= 0xDC00 && unit < 0xE000) cp = HighSurrogate ? 0x10000 + ((HighSurrogate - 0xD800) << 10) + (unit - 0xDC00) : 0xFFFD;
      HighSurrogate = 0;
      if (cp) AddCodePoint(cp);
    }
    SkipLeft = S().UnicodeSkip;
  }

  void Binary(int count) {
    const size_t n = std::min<size_t>(static_cast<size_t>(std::max(count, 0)), In.size() - Pos);
    if (S().Destination == dPicture) Picture.Data.append(In, Pos, n);
    Pos += n;
  }

  bool IsSkippedDestination(const std::string& word) const {
    for (const char* name : kSkipped)
      if (word == name) return true;
    return false;
  }

  void Keyword(const std::string& w, bool hasParam, int p) {
    if (Stack.empty()) return;
    TState& s = S();
    if (w == "bin") return Binary(p);
    // A group marked \* that we do not read is skipped as a whole.
    if (s.Star) {
      s.Star = false;
      if (w == "shppict") {
        s.ShapePicture = true;
        return;
      }
      s.Destination = dSkip;
      return;
    }
    if (s.Destination == dSkip) return;
    if (w == "fonttbl") {
      s.Destination = dFontTable;
      return;
    }
    if (w == "colortbl") {
      s.Destination = dColourTable;
      Red = Green = Blue = 0;
      return;
    }
    if (w == "pict") {
      s.Destination = dPicture;
      Picture = {};
      HalfByte = -1;
      return;
    }
    if (w == "nonshppict") {
      s.PlainPicture = true;
      return;
    }
    if (IsSkippedDestination(w)) {
      s.Destination = dSkip;
      return;
    }
    switch (s.Destination) {
      case dFontTable:
        if (w == "f") {
          FinishFont();
          HaveFont = true;
          FontNumber = p;
        } else if (w == "fcharset") {
          FontCharset = p;
        }
        return;
      case dColourTable:
        if (w == "red") Red = static_cast<uint32_t>(std::clamp(p, 0, 255));
        else if (w == "green") Green = static_cast<uint32_t>(std::clamp(p, 0, 255));
        else if (w == "blue") Blue = static_cast<uint32_t>(std::clamp(p, 0, 255));
        return;
      case dPicture:
        PictureKeyword(w, p);
        return;
      case dSkip:
        return;
      case dText:
        break;
    }
    TextKeyword(w, hasParam, p);
  }

  void PictureKeyword(const std::string& w, int p) {
    if (w == "wmetafile") Picture.Kind = rpkWmf;
    else if (w == "emfblip") Picture.Kind = rpkEmf;
    else if (w == "pngblip") Picture.Kind = rpkPng;
    else if (w == "jpegblip") Picture.Kind = rpkJpeg;
    else if (w == "picw") Picture.PicW = p;
    else if (w == "pich") Picture.PicH = p;
    else if (w == "picwgoal") Picture.GoalW = p;
    else if (w == "pichgoal") Picture.GoalH = p;
    else if (w == "picscalex") Picture.ScaleX = p;
    else if (w == "picscaley") Picture.ScaleY = p;
  }

  void TextKeyword(const std::string& w, bool hasParam, int p) {
    TState& s = S();
    TRtfCharFormat& ch = s.Char;
    TRtfParagraphFormat& pa = s.Para;
    const bool on = !hasParam || p != 0;
    // Document and section layout.
    if (w == "paperw" || w == "pgwsxn") Doc.PaperWidth = std::clamp(p, 1440, 1440 * 200);
    else if (w == "paperh" || w == "pghsxn") Doc.PaperHeight = std::clamp(p, 1440, 1440 * 200);
    else if (w == "margl" || w == "marglsxn") Doc.MarginLeft = std::clamp(p, 0, 1440 * 50);
    else if (w == "margr" || w == "margrsxn") Doc.MarginRight = std::clamp(p, 0, 1440 * 50);
    else if (w == "margt" || w == "margtsxn") Doc.MarginTop = std::clamp(p, 0, 1440 * 50);
    else if (w == "margb" || w == "margbsxn") Doc.MarginBottom = std::clamp(p, 0, 1440 * 50);
    else if (w == "deff") Doc.DefaultFont = p;
    else if (w == "deftab") Doc.DefaultTab = std::clamp(p, 1, 1440 * 20);
    // Breaks and special characters.
    else if (w == "par") EndParagraph(true);
    else if (w == "sect" || w == "row") EndParagraph(true);
    else if (w == "page") PageBreak();
    else if (w == "line") AddRun(TRtfRun::rkLineBreak);
    else if (w == "tab" || w == "cell") AddRun(TRtfRun::rkTab);
    else if (w == "u") Unicode(p);
    else if (w == "uc") s.UnicodeSkip = std::clamp(p, 0, 10);
    else if (w == "emdash") Special(0x2014);
    else if (w == "endash") Special(0x2013);
    else if (w == "bullet") Special(0x2022);
    else if (w == "lquote") Special(0x2018);
    else if (w == "rquote") Special(0x2019);
    else if (w == "ldblquote") Special(0x201C);
    else if (w == "rdblquote") Special(0x201D);
    else if (w == "enspace") Special(0x2002);
    else if (w == "emspace") Special(0x2003);
    // Paragraph formatting.
    else if (w == "pard") pa = {};
    else if (w == "tx") {
      if (pa.Tabs.size() < 64) pa.Tabs.push_back(std::clamp(p, 0, 1440 * 200));
    } else if (w == "li") pa.LeftIndent = std::clamp(p, -1440 * 50, 1440 * 50);
    else if (w == "ri") pa.RightIndent = std::clamp(p, -1440 * 50, 1440 * 50);
    else if (w == "fi") pa.FirstIndent = std::clamp(p, -1440 * 50, 1440 * 50);
    else if (w == "sb") pa.SpaceBefore = std::clamp(p, 0, 1440 * 20);
    else if (w == "sa") pa.SpaceAfter = std::clamp(p, 0, 1440 * 20);
    else if (w == "ql") pa.Alignment = raLeft;
    else if (w == "qc") pa.Alignment = raCentre;
    else if (w == "qr") pa.Alignment = raRight;
    else if (w == "qj") pa.Alignment = raJustify;
    else if (w == "pagebb") {
      if (Current.Runs.empty()) Current.PageBreakBefore = true;
    }
    // Character formatting.
    else if (w == "plain") ch = {};
    else if (w == "b") ch.Bold = on;
    else if (w == "i") ch.Italic = on;
    else if (w == "ul") ch.Underline = on;
    else if (w == "ulnone") ch.Underline = false;
    else if (w == "strike") ch.Strike = on;
    else if (w == "fs") ch.HalfPoints = hasParam ? std::clamp(p, 2, 3276) : 24;
    else if (w == "f") ch.Font = p;
    else if (w == "cf") ch.Colour = std::max(p, 0);
  }

  const std::string& In;
  size_t Pos = 0;
  bool Done = false;
  size_t Overflow = 0;
  std::vector<TState> Stack;
  TRtfDocument Doc;
  TRtfParagraph Current;
  int SkipLeft = 0;
  uint32_t HighSurrogate = 0;
  // Font table entry being read.
  bool HaveFont = false;
  int FontNumber = 0, FontCharset = 0;
  std::string FontName;
  // Colour table entry being read.
  uint32_t Red = 0, Green = 0, Blue = 0;
  // Picture being read.
  TRtfPicture Picture;
  int HalfByte = -1;
  bool ShapePictureShown = false;  // the last shape picture is shown
  TRtfPictureKind ShapeKind = rpkOther;
  size_t ShapeRun = 0;  // its run in the current paragraph
};

}  // namespace

double TRtfPicture::WidthTwips() const {
  const double natural = GoalW > 0 ? GoalW : Kind == rpkWmf || Kind == rpkEmf ? PicW * 1440.0 / 2540.0 : PicW * 15.0;
  return std::max(0.0, natural * ScaleX / 100.0);
}

double TRtfPicture::HeightTwips() const {
  const double natural = GoalH > 0 ? GoalH : Kind == rpkWmf || Kind == rpkEmf ? PicH * 1440.0 / 2540.0 : PicH * 15.0;
  return std::max(0.0, natural * ScaleY / 100.0);
}

std::string TRtfParagraph::Text() const {
  std::string text;
  for (const TRtfRun& run : Runs) switch (run.Kind) {
      case TRtfRun::rkText: text += run.Text; break;
      case TRtfRun::rkTab: text += '\t'; break;
      case TRtfRun::rkLineBreak: text += '\n'; break;
      case TRtfRun::rkPicture: text += "\xEF\xBF\xBC"; break;
    }
  return text;
}

std::string TRtfDocument::PlainText() const {
  std::string text;
  for (const TRtfParagraph& p : Paragraphs) text += p.Text() + "\n";
  return text;
}

TRtfDocument ReadRtf(const std::string& bytes) { return TReader(bytes).Read(); }
