#include "reports/gui/reportdelivery.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "app/gui/host.h"
#include "app/gui/qtext.h"
#include "app/gui/qtservices.h"
#include "reports/gui/rtfviewer.h"
#include "reports/desktopapp.h"
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
bool ShowInViewer(const std::string& rtf, QWidget* owner) {
  TfrmRTFviewer* viewer = MdiHost() ? dynamic_cast<TfrmRTFviewer*>(MdiHost()->ShowRTFViewer()) : nullptr;
  if (!viewer) {
    ShowErrorBox(owner, "Error showing the report:", "The report viewer is not available.");
    return false;
  }
  try {
    viewer->LoadReport(rtf);
  } catch (const std::exception& e) {
    ShowErrorBox(owner, "Error showing the report:", e.what());
    return false;
  }
  return true;
}
}  // namespace

bool DeliverReport(const std::string& rtf, bool external, QWidget* owner) {
  if (!external) return ShowInViewer(rtf, owner);
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
  TQtMessageBoxes boxes(DialogOwner(owner));
  if (boxes.AskYesNo(problem + "\r\rShow the report in the internal report viewer instead?", "Material report") != mrYes)
    return false;
  return ShowInViewer(rtf, owner);
}
