#include "reports/render/reportdocument.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextObjectInterface>
#include <memory>
#include <map>
#include <optional>

#include "core/errors.h"
#include "reports/render/qtwmfpainter.h"
#include "reports/wmfplayer.h"

namespace {

constexpr double kTwipsPerPixel = 15.0;  // 1440 twips an inch, 96 pixels an inch
constexpr int kPictureIndex = QTextFormat::UserProperty + 1;

double Px(double twips) { return twips / kTwipsPerPixel; }

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// Paints the report's pictures: metafiles as vectors, read once when first
// shown; bitmaps as images; anything else as a grey frame.
class TPictureHandler : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)
public:
  TPictureHandler(const TRtfDocument& rtf, QObject* parent) : QObject(parent), Rtf(rtf) {
    Cache.resize(rtf.Pictures.size());
  }

  QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
    const TRtfPicture* picture = Picture(format);
    if (!picture) return {};
    return {Px(picture->WidthTwips()), Px(picture->HeightTwips())};
  }

  void drawObject(QPainter* painter, const QRectF& box, QTextDocument* doc, int at, const QTextFormat& format) override {
    const TRtfPicture* picture = Picture(format);
    if (!picture) return;
    const QRectF rect = box.translated(0, PictureShift(doc, at, box.height()));
    TEntry& entry = Cache[static_cast<size_t>(format.intProperty(kPictureIndex))];
    if (!entry.Read) {
      entry.Read = true;
      if (picture->Kind == rpkWmf) {
        entry.Wmf = ReadWmf(picture->Data, false);
      } else if (picture->Kind == rpkPng || picture->Kind == rpkJpeg) {
        entry.Image.loadFromData(reinterpret_cast<const uchar*>(picture->Data.data()), int(picture->Data.size()));
      }
    }
    if (!entry.Image.isNull()) painter->drawImage(rect, entry.Image);
    else PaintWmf(*painter, entry.Wmf, rect);  // an unreadable picture: its frame
  }

private:
  // A picture's line has a fixed height, the picture's own, and the layout
  // puts the baseline of a line of fixed height at four fifths of it: the
  // picture would stand a fifth of its height above its line. It is drawn
  // where its line begins.
  static double PictureShift(QTextDocument* doc, int at, double height) {
    const QTextBlock block = doc->findBlock(at);
    const QTextLayout* layout = block.layout();
    if (!layout) return 0;
    const QTextLine line = layout->lineForTextPosition(at - block.position());
    const QTextBlockFormat format = block.blockFormat();
    if (!line.isValid() || format.lineHeightType() != QTextBlockFormat::FixedHeight) return 0;
    const double shift = line.ascent() + std::max(line.leading(), 0.0) - format.lineHeight() * 4 / 5;
    return std::clamp(shift, 0.0, height);
  }

  const TRtfPicture* Picture(const QTextFormat& format) const {
    const int index = format.intProperty(kPictureIndex);
    return index >= 0 && static_cast<size_t>(index) < Rtf.Pictures.size() ? &Rtf.Pictures[size_t(index)] : nullptr;
  }
  struct TEntry {
    bool Read = false;
    TWmfFile Wmf;
    QImage Image;
  };
  const TRtfDocument& Rtf;
  std::vector<TEntry> Cache;
};

QTextCharFormat CharFormat(const TRtfDocument& rtf, const TRtfCharFormat& f) {
  QTextCharFormat c;
  // Letters as they are: no ligatures, whose single glyphs a PDF's text
  // would hold as characters of their own.
  c.setFontStyleStrategy(QFont::PreferNoShaping);
  const int font = f.Font < 0 ? rtf.DefaultFont : f.Font;
  auto entry = rtf.Fonts.find(font);
  if (entry == rtf.Fonts.end()) entry = rtf.Fonts.find(rtf.DefaultFont);
  if (entry != rtf.Fonts.end() && !entry->second.Name.empty())
    c.setFontFamilies({FromUtf8(entry->second.Name), QStringLiteral("DejaVu Sans")});
  c.setFontPointSize(f.HalfPoints / 2.0);
  c.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
  c.setFontItalic(f.Italic);
  c.setFontUnderline(f.Underline);
  c.setFontStrikeOut(f.Strike);
  if (f.Colour > 0 && static_cast<size_t>(f.Colour) < rtf.Colours.size()) {
    const uint32_t rgb = rtf.Colours[size_t(f.Colour)];
    c.setForeground(QColor(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF));
  }
  return c;
}

// The height of a line of text in the font at that size, in twips, as a
// word processor sets it: the font's ascent and descent, no extra leading,
// unrounded by the screen's pixels.
double LineTwips(const QFont& font, double points) {
  static std::map<QString, double> ratios;  // ascent plus descent per em, by font
  QFont big(font);
  big.setPixelSize(2048);  // whole pixels of this size are exact font units
  const QString key = big.key();
  auto found = ratios.find(key);
  if (found == ratios.end()) {
    const QFontMetricsF m(big);
    found = ratios.emplace(key, (m.ascent() + m.descent()) / 2048).first;
  }
  return std::round(points * 20 * found->second);
}

// The height of each line of the paragraph, in twips: a picture's own
// height, else the tallest text of its runs (an empty paragraph: that of
// its mark).
double ParagraphLineTwips(const TRtfDocument& rtf, const TRtfParagraph& p) {
  double twips = 0;
  for (const TRtfRun& run : p.Runs) {
    if (run.Kind == TRtfRun::rkPicture && run.Picture >= 0 && static_cast<size_t>(run.Picture) < rtf.Pictures.size()) {
      twips = std::max(twips, rtf.Pictures[size_t(run.Picture)].HeightTwips());
    } else if (run.Kind != TRtfRun::rkPicture) {
      twips = std::max(twips, LineTwips(CharFormat(rtf, run.Format).font(), run.Format.HalfPoints / 2.0));
    }
  }
  if (p.Runs.empty()) twips = LineTwips(CharFormat(rtf, p.MarkFormat).font(), p.MarkFormat.HalfPoints / 2.0);
  return twips;
}

// Every line as high as a word processor makes it, whatever the screen's
// pixels would round its font to. The layout keeps lengths in 64ths of a
// pixel, so each height is given in those, and the parts left over are
// carried to the next line: lines end where a word processor ends them.
class TLinePitch {
public:
  // The line height in pixels for a paragraph whose lines are that many
  // twips high.
  double Next(double twips) {
    const long long from = std::llround(Sum * 64 / kTwipsPerPixel);
    Sum += twips;
    return double(std::llround(Sum * 64 / kTwipsPerPixel) - from) / 64;
  }

private:
  double Sum = 0;
};

QTextBlockFormat BlockFormat(const TRtfDocument& rtf, const TRtfParagraph& p, TLinePitch& pitch) {
  QTextBlockFormat b;
  const double line = ParagraphLineTwips(rtf, p);
  double breakLine = 0;
  if (p.PageBreakAfter) {
    // The break takes room of its own below the paragraph's line, half a
    // line: an empty paragraph holding a break is moved to the next page
    // whole when that does not fit (which leaves a blank page before the
    // break, as on a word processor's pages); after text it is space below.
    b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysAfter);
    if (p.Runs.empty()) {
      b.setLineHeight(pitch.Next(1.5 * line), QTextBlockFormat::FixedHeight);
    } else {
      b.setLineHeight(pitch.Next(line), QTextBlockFormat::FixedHeight);
      breakLine = pitch.Next(0.5 * line);
    }
  } else if (line > 0) {
    b.setLineHeight(pitch.Next(line), QTextBlockFormat::FixedHeight);
  }
  QList<QTextOption::Tab> tabs;
  for (int tab : p.Format.Tabs) tabs << QTextOption::Tab(Px(tab), QTextOption::LeftTab);
  b.setTabPositions(tabs);
  b.setLeftMargin(Px(p.Format.LeftIndent));
  b.setRightMargin(Px(p.Format.RightIndent));
  b.setTextIndent(Px(p.Format.FirstIndent));
  b.setTopMargin(Px(p.Format.SpaceBefore));
  b.setBottomMargin(Px(p.Format.SpaceAfter) + breakLine);
  switch (p.Format.Alignment) {
    case raLeft: b.setAlignment(Qt::AlignLeft); break;
    case raCentre: b.setAlignment(Qt::AlignHCenter); break;
    case raRight: b.setAlignment(Qt::AlignRight); break;
    case raJustify: b.setAlignment(Qt::AlignJustify); break;
  }
  if (p.PageBreakBefore) b.setPageBreakPolicy(b.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
  return b;
}

}  // namespace

TReportDocument::TReportDocument(const std::string& rtf) : Rtf(ReadRtf(rtf)), Doc(std::make_unique<QTextDocument>()) {
  QTextDocument& doc = *Doc;
  doc.setUndoRedoEnabled(false);
  // Widths as on paper, not rounded to the screen's pixels.
  doc.setUseDesignMetrics(true);
  auto* handler = new TPictureHandler(Rtf, &doc);
  doc.documentLayout()->registerHandler(ReportPictureObjectType, handler);
  QTextOption option = doc.defaultTextOption();
  option.setTabStopDistance(Px(Rtf.DefaultTab));
  doc.setDefaultTextOption(option);
  doc.setDefaultFont(CharFormat(Rtf, {}).font());
  doc.setDocumentMargin(0);
  QTextFrameFormat frame = doc.rootFrame()->frameFormat();
  frame.setLeftMargin(Px(Rtf.MarginLeft));
  frame.setRightMargin(Px(Rtf.MarginRight));
  frame.setTopMargin(Px(Rtf.MarginTop));
  frame.setBottomMargin(Px(Rtf.MarginBottom));
  doc.rootFrame()->setFrameFormat(frame);
  doc.setPageSize(PageSize());

  QTextCursor cursor(&doc);
  cursor.beginEditBlock();
  bool first = true;
  TLinePitch pitch;
  for (const TRtfParagraph& p : Rtf.Paragraphs) {
    const QTextCharFormat mark = CharFormat(Rtf, p.MarkFormat);
    if (first) {
      cursor.setBlockFormat(BlockFormat(Rtf, p, pitch));
      cursor.setBlockCharFormat(mark);
      first = false;
    } else {
      cursor.insertBlock(BlockFormat(Rtf, p, pitch), mark);
    }
    for (const TRtfRun& run : p.Runs) {
      QTextCharFormat format = CharFormat(Rtf, run.Format);
      switch (run.Kind) {
        case TRtfRun::rkText: cursor.insertText(FromUtf8(run.Text), format); break;
        case TRtfRun::rkTab: cursor.insertText(QStringLiteral("\t"), format); break;
        case TRtfRun::rkLineBreak: cursor.insertText(QString(QChar::LineSeparator), format); break;
        case TRtfRun::rkPicture:
          format.setObjectType(ReportPictureObjectType);
          format.setProperty(kPictureIndex, run.Picture);
          cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
          break;
      }
    }
  }
  cursor.endEditBlock();
  KeepLinesTogether();
}

namespace {
bool Blank(const QTextBlock& block) { return block.text().trimmed().isEmpty(); }
}  // namespace

int TReportDocument::PageOf(const QTextBlock& block) const {
  const QTextLayout* layout = block.layout();
  if (!layout || layout->lineCount() == 0) return 0;
  const QTextLine line = layout->lineAt(0);
  return int((layout->position().y() + line.y() + line.height() / 2) / PageSize().height());
}

// Lines that belong together (a table's rows, a heading and its row, a
// footnote and what it notes: the text between two empty paragraphs) are
// not torn apart so that a page begins with a lone last line of them: the
// line before goes to the new page as well. A page holding nothing but a
// single line of text (a footnote) takes the last two lines of the text
// before it along.
void TReportDocument::KeepLinesTogether() {
  auto begins = [](const QTextBlock& b) {  // a page begun on purpose
    const QTextBlock before = b.previous();
    return (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) ||
           (before.isValid() && (before.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter));
  };
  // A move changes the pages only up to the next page begun on purpose, so
  // each round mends the first fault of every such stretch.
  for (int round = 0; round < 200; ++round) {
    std::vector<QTextBlock> targets;
    int page = 0;
    bool mended = false;  // this stretch has its move
    for (QTextBlock b = Doc->begin(); b.isValid(); b = b.next()) {
      if (begins(b)) mended = false;
      const int at = PageOf(b);
      if (at == page || Blank(b)) continue;
      // b: the first text on a new page.
      page = at;
      const QTextBlock before = b.previous();
      if (mended || !before.isValid() || begins(b)) continue;
      const QTextBlock after = b.next();
      const bool last = !after.isValid() || Blank(after) || PageOf(after) != at;
      if (!last) continue;
      QTextBlock target;
      if (!Blank(before)) {
        target = before;  // the lone last line of lines before it
      } else {
        // A single line alone on its page: the text before it comes along.
        bool alone = true;
        for (QTextBlock rest = after; rest.isValid() && PageOf(rest) == at; rest = rest.next())
          alone = alone && Blank(rest);
        if (!alone) continue;
        QTextBlock text = before;
        while (text.isValid() && Blank(text)) text = text.previous();
        if (!text.isValid() || PageOf(text) != at - 1) continue;
        target = text.previous().isValid() && !Blank(text.previous()) ? text.previous() : text;
      }
      // Nothing gained when it begins its page itself.
      if (PageOf(target) != at - 1 || begins(target) ||
          (target.previous().isValid() && PageOf(target.previous()) != at - 1))
        continue;
      targets.push_back(target);
      mended = true;
    }
    if (targets.empty()) return;
    for (const QTextBlock& target : targets) {
      QTextCursor cursor(target);
      QTextBlockFormat format = target.blockFormat();
      format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
      cursor.setBlockFormat(format);
    }
  }
}

TReportDocument::~TReportDocument() = default;

QSizeF TReportDocument::PageSize() const { return {Px(Rtf.PaperWidth), Px(Rtf.PaperHeight)}; }

QPageLayout TReportDocument::PageLayout() const {
  const QPageSize paper(QSizeF(Rtf.PaperWidth / 20.0, Rtf.PaperHeight / 20.0), QPageSize::Point, QString(),
                        QPageSize::FuzzyMatch);
  return QPageLayout(paper, Rtf.PaperWidth > Rtf.PaperHeight ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(0, 0, 0, 0));
}

int TReportDocument::PageCount() const { return Doc->pageCount(); }

void TReportDocument::PaintPage(QPainter& painter, int page, const QRectF& clip, const QTextCursor* selection) const {
  const QSizeF size = PageSize();
  const QRectF area = clip.intersected(QRectF(QPointF(0, 0), size));
  if (area.isEmpty()) return;
  painter.save();
  // Moved first, then clipped in the moved coordinates: a device that
  // records the drawing (the print preview) takes the clip in the
  // coordinates of the next shape drawn.
  painter.translate(0, -page * size.height());
  painter.setClipRect(area.translated(0, page * size.height()), Qt::IntersectClip);
  QAbstractTextDocumentLayout::PaintContext context;
  // The layout is asked for a page's height more above the part: a picture
  // is drawn below the line that holds it, and that line may lie above.
  context.clip = area.translated(0, page * size.height()).adjusted(0, -size.height(), 0, 0);
  context.palette.setColor(QPalette::Text, Qt::black);
  if (selection && selection->hasSelection()) {
    QAbstractTextDocumentLayout::Selection highlight;
    highlight.cursor = *selection;
    highlight.format.setBackground(QColor(51, 153, 255));
    highlight.format.setForeground(Qt::white);
    context.selections.append(highlight);
  }
  Doc->documentLayout()->draw(&painter, context);
  painter.restore();
}

bool TReportDocument::Render(QPagedPaintDevice& device, int first, int last) const {
  const int count = PageCount();
  first = std::max(first, 1);
  last = last <= 0 ? count : std::min(last, count);
  QPainter painter;
  if (!painter.begin(&device)) return false;
  painter.setRenderHint(QPainter::Antialiasing);
  const QSizeF size = PageSize();
  for (int page = first; page <= last; ++page) {
    if (page > first) device.newPage();
    // The page fills the paper; a different paper gets it scaled to fit.
    const double scale = std::min(device.width() / size.width(), device.height() / size.height());
    painter.save();
    painter.scale(scale, scale);
    PaintPage(painter, page - 1, QRectF(QPointF(0, 0), size));
    painter.restore();
  }
  return painter.end();
}

void TReportDocument::WritePdf(const QString& path, const QString& title) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) throw TError("Cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
  {
    QPdfWriter writer(&file);
    writer.setResolution(1200);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Trellane"));
    writer.setPageLayout(PageLayout());
    if (!Render(writer)) throw TError("Cannot write " + path.toStdString());
  }
  if (!file.commit()) throw TError("Cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}

#include "reportdocument.moc"
