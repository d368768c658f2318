#include "reports/gui/reportdocument.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextObjectInterface>
#include <memory>
#include <optional>

#include "core/errors.h"
#include "reports/gui/qtwmfpainter.h"
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

  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat& format) override {
    const TRtfPicture* picture = Picture(format);
    if (!picture) return;
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

QTextBlockFormat BlockFormat(const TRtfParagraph& p) {
  QTextBlockFormat b;
  QList<QTextOption::Tab> tabs;
  for (int tab : p.Format.Tabs) tabs << QTextOption::Tab(Px(tab), QTextOption::LeftTab);
  b.setTabPositions(tabs);
  b.setLeftMargin(Px(p.Format.LeftIndent));
  b.setRightMargin(Px(p.Format.RightIndent));
  b.setTextIndent(Px(p.Format.FirstIndent));
  b.setTopMargin(Px(p.Format.SpaceBefore));
  b.setBottomMargin(Px(p.Format.SpaceAfter));
  switch (p.Format.Alignment) {
    case raLeft: b.setAlignment(Qt::AlignLeft); break;
    case raCentre: b.setAlignment(Qt::AlignHCenter); break;
    case raRight: b.setAlignment(Qt::AlignRight); break;
    case raJustify: b.setAlignment(Qt::AlignJustify); break;
  }
  if (p.PageBreakBefore) b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  return b;
}

}  // namespace

TReportDocument::TReportDocument(const std::string& rtf) : Rtf(ReadRtf(rtf)), Doc(std::make_unique<QTextDocument>()) {
  QTextDocument& doc = *Doc;
  doc.setUndoRedoEnabled(false);
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
  QString text;
  for (const TRtfParagraph& p : Rtf.Paragraphs) {
    const QTextCharFormat mark = CharFormat(Rtf, p.MarkFormat);
    if (first) {
      cursor.setBlockFormat(BlockFormat(p));
      cursor.setBlockCharFormat(mark);
      first = false;
    } else {
      cursor.insertBlock(BlockFormat(p), mark);
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
  painter.setClipRect(area, Qt::IntersectClip);
  painter.translate(0, -page * size.height());
  QAbstractTextDocumentLayout::PaintContext context;
  context.clip = area.translated(0, page * size.height());
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
