#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A reader of the RTF that the report writer makes (and of what a word
// processor writes when it saves such a report again): groups, control
// words, the font and colour tables, paragraphs with their tab stops, runs
// of text with their character formatting, tabs, line and page breaks,
// \'xx and \uN characters, and the picture groups. Destinations it does not
// know are skipped. Text in the model is UTF-8; lengths are twips.

struct TRtfCharFormat {
  bool Bold = false, Italic = false, Underline = false, Strike = false;
  int HalfPoints = 24;  // \fs
  int Font = -1;        // \f, -1 for the document's default font
  int Colour = 0;       // \cf: index into the colour table, 0 for automatic
  bool operator==(const TRtfCharFormat&) const = default;
};

enum TRtfAlignment : uint8_t { raLeft, raCentre, raRight, raJustify };

struct TRtfParagraphFormat {
  std::vector<int> Tabs;  // tab stop positions
  int LeftIndent = 0, RightIndent = 0, FirstIndent = 0, SpaceBefore = 0, SpaceAfter = 0;
  TRtfAlignment Alignment = raLeft;
  bool operator==(const TRtfParagraphFormat&) const = default;
};

// An embedded picture. Metafiles keep their bytes as the group holds them
// (no placeable header); other kinds are kept for whoever can show them.
enum TRtfPictureKind : uint8_t { rpkWmf, rpkEmf, rpkPng, rpkJpeg, rpkOther };
struct TRtfPicture {
  TRtfPictureKind Kind = rpkOther;
  std::string Data;
  int PicW = 0, PicH = 0;          // \picw \pich (hundredths of a millimetre for metafiles)
  int GoalW = 0, GoalH = 0;        // \picwgoal \pichgoal
  int ScaleX = 100, ScaleY = 100;  // \picscalex \picscaley, per cent
  // The size on the page: the goal size (or the natural size) scaled.
  double WidthTwips() const;
  double HeightTwips() const;
};

struct TRtfRun {
  enum TKind : uint8_t { rkText, rkTab, rkLineBreak, rkPicture };
  TKind Kind = rkText;
  std::string Text;  // rkText
  int Picture = -1;  // rkPicture: index into the document's pictures
  TRtfCharFormat Format;
};

struct TRtfParagraph {
  TRtfParagraphFormat Format;
  bool PageBreakBefore = false;
  // The paragraph ends in a page break (\page): a word processor gives the
  // break a line of its own at the paragraph's end, on the old page, and
  // the next paragraph begins a new page. (Text after the break in the same
  // paragraph begins a paragraph of its own with a break before it.)
  bool PageBreakAfter = false;
  TRtfCharFormat MarkFormat;  // the formatting at the paragraph's end (an empty line's height)
  std::vector<TRtfRun> Runs;
  // The text: runs joined, a tab as '\t', a line break as '\n', a picture as
  // U+FFFC.
  std::string Text() const;
};

struct TRtfFont {
  std::string Name;
  int Charset = 0;
};

struct TRtfDocument {
  std::vector<TRtfParagraph> Paragraphs;
  std::map<int, TRtfFont> Fonts;
  std::vector<uint32_t> Colours;  // 0xRRGGBB; the entry 0 is "automatic"
  std::vector<TRtfPicture> Pictures;
  int DefaultFont = 0;   // \deff
  int DefaultTab = 720;  // \deftab
  // Paper and margins; without them, Letter with the inch margins a word
  // processor gives an RTF that names none.
  int PaperWidth = 12240, PaperHeight = 15840;
  int MarginLeft = 1440, MarginRight = 1440, MarginTop = 1440, MarginBottom = 1440;

  // The paragraphs' texts, one a line.
  std::string PlainText() const;
};

// Reads an RTF document. Text that does not start with "{\rtf" raises TError;
// anything after that is read as far as it makes sense (a damaged tail is
// left out, unclosed groups are closed at the end).
TRtfDocument ReadRtf(const std::string& bytes);
