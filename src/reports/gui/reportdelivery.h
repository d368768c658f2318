#pragma once
#include <QString>
#include <functional>
#include <string>

class QWidget;
struct TReportSheets;

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
// shown. With sheets, the viewer can also save the report's figures as a
// spreadsheet.
bool DeliverReport(const std::string& rtf, bool external, QWidget* owner, const TReportSheets* sheets = nullptr);

// Asks for the spreadsheet file to write (.xlsx or .csv) through the save
// dialog; an empty answer cancels. A test puts in its own.
using TSpreadsheetChooser = std::function<QString(QWidget* owner)>;
TSpreadsheetChooser& SpreadsheetChooser();

// The report's figures as a spreadsheet: a file is chosen (SpreadsheetChooser)
// and written atomically; then the user is offered to open it with the
// desktop's application (ReportOpener). A failure is told, and nothing is
// left behind. True when the file was written.
bool SaveSpreadsheet(const TReportSheets& sheets, QWidget* owner);
// Writes the figures to a file already chosen; a failure is told. A path
// without .xlsx or .csv gets .xlsx. Returns the path written, or empty.
QString WriteSpreadsheetTold(const TReportSheets& sheets, QString path, QWidget* owner);
