#include "reports/gui/reportdelivery.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QUrl>

#include "platform/gui/host.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "reports/gui/rtfviewer.h"
#include "reports/desktopapp.h"
#include "reports/spreadsheet.h"
#include "reports/tempreport.h"

TReportOpener& ReportOpener() {
  static TReportOpener opener = [](const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  };
  return opener;
}

QString& ReportTempFolder() {
  static QString folder;
  return folder;
}

namespace {
const char* const kXlsxFilter = "Excel workbook (*.xlsx)";
const char* const kCsvFilter = "CSV, comma separated (*.csv)";

bool ShowInViewer(const std::string& rtf, QWidget* owner, const TReportSheets* sheets) {
  TfrmRTFviewer* viewer = MdiHost() ? dynamic_cast<TfrmRTFviewer*>(MdiHost()->ShowRTFViewer()) : nullptr;
  if (!viewer) {
    ShowErrorBox(owner, "Error showing the report:", "The report viewer is not available.");
    return false;
  }
  try {
    if (sheets)
      viewer->LoadReport(rtf, *sheets);
    else
      viewer->LoadReport(rtf);
  } catch (const std::exception& e) {
    ShowErrorBox(owner, "Error showing the report:", e.what());
    return false;
  }
  return true;
}
}  // namespace

bool DeliverReport(const std::string& rtf, bool external, QWidget* owner, const TReportSheets* sheets) {
  if (!external) return ShowInViewer(rtf, owner, sheets);
  std::string problem;
  // Without an application for RTF files the desktop's opener would hand
  // the report to whatever it falls back on (a text editor showing the raw
  // RTF): ask first, and offer the viewer instead.
  if (DesktopApplicationFor(RtfMimeType).empty()) {
    problem = "The desktop has no application for RTF files (application/rtf).";
  } else {
    try {
      const QString folder = ReportTempFolder().isEmpty() ? QDir::tempPath() : ReportTempFolder();
      const std::string path = WriteNewReportFile(S(folder), rtf, TickCountMs());
      if (ReportOpener()(Q(path))) return true;
      problem = "No application could open the report file\r" + path;
    } catch (const std::exception& e) {
      problem = e.what();
    }
  }
  TQtDialogs boxes(DialogOwner(owner));
  if (boxes.AskYesNo(problem + "\r\rShow the report in the internal report viewer instead?", "Material report") != mrYes)
    return false;
  return ShowInViewer(rtf, owner, sheets);
}

TSpreadsheetChooser& SpreadsheetChooser() {
  static TSpreadsheetChooser chooser = [](QWidget* owner) {
    QFileDialog dialog(DialogOwner(owner), QStringLiteral("Spreadsheet"), QString(),
                       QLatin1String(kXlsxFilter) + QStringLiteral(";;") + QLatin1String(kCsvFilter));
    dialog.setObjectName(QStringLiteral("SpreadsheetFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
      dialog.setDefaultSuffix(filter == QLatin1String(kCsvFilter) ? QStringLiteral("csv") : QStringLiteral("xlsx"));
    });
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                  : QString();
  };
  return chooser;
}

QString WriteSpreadsheetTold(const TReportSheets& sheets, QString path, QWidget* owner) {
  if (!IsSpreadsheetPath(S(path))) path += QStringLiteral(".xlsx");
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    WriteSpreadsheetFile(S(path), sheets);
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    ShowErrorBox(owner, "Error writing the spreadsheet:", e.what());
    return {};
  }
  QApplication::restoreOverrideCursor();
  return path;
}

bool SaveSpreadsheet(const TReportSheets& sheets, QWidget* owner) {
  const QString chosen = SpreadsheetChooser()(owner);
  if (chosen.isEmpty()) return false;
  const QString path = WriteSpreadsheetTold(sheets, chosen, owner);
  if (path.isEmpty()) return false;
  TQtDialogs boxes(DialogOwner(owner));
  if (boxes.AskYesNo("The spreadsheet has been written to\r" + S(path) + "\r\rOpen it now?", "Material report") == mrYes &&
      !ReportOpener()(path))
    boxes.ShowMessage("No application could open the spreadsheet\r" + S(path), "Material report");
  return true;
}
