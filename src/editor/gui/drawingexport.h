#pragma once
#include <QSize>
#include <QString>
#include <functional>

class QWidget;
class TTransit;

// "Export drawing...": asks for a file and writes the filled transit's
// drawing as PNG, SVG or DXF by the chosen file type. A failure is told in
// a message box; nothing half-written is left.
void ExportDrawing(QWidget* owner, const TTransit& transit, QSize pictureSize, bool smooth, bool grid);

// The save dialog, replaceable so that tests answer it: gets the owner and
// the suggested file name, returns the chosen path or an empty text.
using TDrawingFileChooser = std::function<QString(QWidget* owner, const QString& suggested)>;
void SetDrawingFileChooser(TDrawingFileChooser chooser);
