#pragma once
#include <QAbstractScrollArea>
#include <QTextCursor>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/mdichild.h"
#include "reports/render/reportdocument.h"

class QAction;
class QPrinter;
class QToolBar;
struct TReportSheets;

// The pages of a report one below the other on grey, at a zoom factor.
// Only what is visible is painted; pictures are vectors at every zoom.
class TReportPageView : public QAbstractScrollArea {
  Q_OBJECT
public:
  explicit TReportPageView(QWidget* parent = nullptr);
  void SetDocument(const TReportDocument* document);
  void SetZoom(double factor);
  double Zoom() const { return Factor; }
  // A page's rectangle in the content (before scrolling), in pixels.
  QRectF PageRect(int page) const;
  // The text position under a point of the viewport, or -1.
  int PositionAt(const QPointF& point) const;
  // Text chosen with the mouse (or all of it) is copied as plain text.
  void SelectAll();
  QString SelectedText() const;
  void Copy() const;

signals:
  void ZoomWheel(int steps);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void UpdateScrollBars();
  QSizeF ContentSize() const;

  const TReportDocument* Document = nullptr;
  double Factor = 1;
  QTextCursor Selection;
};

// The program's RTF viewer: shows, zooms, prints and saves a report, and
// saves it as PDF. Read-only.
class TfrmRTFviewer : public QWidget, public TfrmMDIchild {
  Q_OBJECT
public:
  explicit TfrmRTFviewer(QWidget* parent = nullptr);
  ~TfrmRTFviewer() override;

  std::string ClassName() const override { return "TfrmRTFviewer"; }
  void Notify(uint8_t, int32_t) override {}

  // Replaces the content with the report in the bytes and zooms to 100 %.
  // Raises TError when they are not RTF (the content stays as it was).
  void LoadReport(const std::string& bytes);
  // The same, with the report's figures, which "Save as spreadsheet" writes.
  void LoadReport(const std::string& bytes, const TReportSheets& sheets);

  // Zoom step 0 to 10; the zoom is 1.2 to that power, in whole per cent.
  int ZoomStep() const { return Step; }
  int ZoomPercent() const { return ZoomPercentOf(Step); }
  static int ZoomPercentOf(int step);
  void ZoomIn();
  void ZoomOut();

  // Saves the report's bytes unchanged; prints; writes a PDF file. Save and
  // SavePdf ask for the file through the chooser.
  void Save();
  void SavePdf();
  void Print();
  void PrintPreview();
  // Sets up a printer for the report: job "RTF output", its paper, full page.
  void SetUpPrinter(QPrinter& printer) const;
  // Renders the pages onto a printer already set up. False on failure.
  bool PrintTo(QPrinter& printer) const;
  void SaveTo(const QString& path);
  // "Save as spreadsheet": the figures of the report shown (only for a
  // report loaded with them) as .xlsx or .csv, chosen through the chooser.
  void SaveSpreadsheet();
  const TReportSheets* Sheets() const { return SheetData.get(); }

  const std::string& ReportBytes() const { return Bytes; }
  const TReportDocument* Report() const { return Document.get(); }
  TReportPageView* View() const { return PageView; }

  // Asks for a file to save to (caption, filter, default suffix); an empty
  // answer cancels. A test puts in its own.
  std::function<QString(const QString& caption, const QString& filter, const QString& suffix)> ChooseSaveFile;

private:
  void ApplyZoom();

  QToolBar* Tools = nullptr;
  QAction *actSave = nullptr, *actPrint = nullptr, *actPreview = nullptr, *actZoomIn = nullptr,
          *actZoomOut = nullptr, *actSavePdf = nullptr, *actSaveSpreadsheet = nullptr;
  TReportPageView* PageView = nullptr;
  std::unique_ptr<TReportDocument> Document;
  std::string Bytes;
  std::unique_ptr<TReportSheets> SheetData;
  int Step = 0;
};
