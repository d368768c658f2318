#pragma once
#include <QString>
#include <functional>
#include <string>

class QWidget;

// Opens a file with the desktop's application for it; false when it could
// not. The program's one goes through QDesktopServices; a test puts in its own.
using TReportOpener = std::function<bool(const QString& path)>;
TReportOpener& ReportOpener();

// The folder external reports are written to (the user's temporary folder);
// a test can point it elsewhere.
QString& ReportTempFolder();

// Hands a finished report to the user: in the program's viewer, or written
// to a new file of its own in the temporary folder and opened with the
// desktop's RTF application. When the desktop has no application for RTF
// files (asked before anything is written), or writing or opening fails,
// the user is told and offered the viewer instead. True when the report was
// shown.
bool DeliverReport(const std::string& rtf, bool external, QWidget* owner);
