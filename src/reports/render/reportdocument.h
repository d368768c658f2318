#pragma once
#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <memory>
#include <string>

#include "reports/rtfreader.h"

class QPainter;
class QPagedPaintDevice;
class QTextBlock;
class QTextCursor;
class QTextDocument;
class QRectF;

// A report read from its RTF bytes and laid out on pages as a Qt text
// document: the RTF's paper size and margins, its paragraphs and tab stops,
// and its pictures as vector objects. One document serves the viewer,
// printing and PDF. Document units are pixels of 96 per inch.
class TReportDocument {
public:
  // Raises TError when the bytes are not RTF.
  explicit TReportDocument(const std::string& rtf);
  ~TReportDocument();
  TReportDocument(const TReportDocument&) = delete;
  TReportDocument& operator=(const TReportDocument&) = delete;

  QTextDocument* Document() const { return Doc.get(); }
  const TRtfDocument& Model() const { return Rtf; }
  // The paper in document units, and as a page layout without margins (the
  // document keeps its own margins on every page).
  QSizeF PageSize() const;
  QPageLayout PageLayout() const;
  int PageCount() const;

  // Paints the page (from 0) with its top left corner at the painter's
  // origin, in document units, as far as it lies in clip (page coordinates);
  // a selection is shown highlighted.
  void PaintPage(QPainter& painter, int page, const QRectF& clip, const QTextCursor* selection = nullptr) const;
  // Paints pages first..last (from 1; 0 for the last page) onto a printer or
  // PDF writer, each scaled to fit its paper. Returns false when the device
  // could not be painted on.
  bool Render(QPagedPaintDevice& device, int first = 1, int last = 0) const;
  // Writes the pages as a PDF file, whole or not at all; raises TError.
  void WritePdf(const QString& path, const QString& title) const;

  // The page (from 0) that the block's first line is on.
  int PageOf(const QTextBlock& block) const;

private:
  void KeepLinesTogether();

  TRtfDocument Rtf;
  std::unique_ptr<QTextDocument> Doc;
};

// The object type of the report's pictures in the text document.
inline constexpr int ReportPictureObjectType = 0x1000 + 71;  // QTextFormat::UserObject + 71
