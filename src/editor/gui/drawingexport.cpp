#include "editor/gui/drawingexport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/draw/export.h"
#include "core/transit.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"

namespace {

const QString kPng = QStringLiteral("PNG picture (*.png)");
const QString kSvg = QStringLiteral("SVG drawing (*.svg)");
const QString kDxf = QStringLiteral("DXF drawing for CAD (*.dxf)");

QString AskWithDialog(QWidget* owner, const QString& suggested) {
  QFileDialog dialog(DialogOwner(owner), QStringLiteral("Export drawing"), suggested);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({kPng, kSvg, kDxf});
  dialog.setDefaultSuffix(QStringLiteral("png"));
  // The extension follows the chosen type.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter == kSvg ? QStringLiteral("svg") : filter == kDxf ? QStringLiteral("dxf")
                                                                                     : QStringLiteral("png"));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  RememberFolder(TFolderKind::Drawings, dialog.selectedFiles().constFirst());
  return dialog.selectedFiles().constFirst();
}

TDrawingFileChooser& Chooser() {
  static TDrawingFileChooser chooser = AskWithDialog;
  return chooser;
}

// A file name from the transit's name, without characters a file name
// cannot hold.
QString SuggestedName(const TTransit& transit) {
  QString name = Q(transit.Name).trimmed();
  for (QChar& c : name)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
      c = QLatin1Char('_');
  if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) name.prepend(QStringLiteral("transit"));
  // In the folder of the last drawing, else the documents folder.
  const QString folder =
      LastFolder(TFolderKind::Drawings, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  return QDir(folder).filePath(name + QStringLiteral(".png"));
}

}  // namespace

void SetDrawingFileChooser(TDrawingFileChooser chooser) { Chooser() = chooser ? std::move(chooser) : AskWithDialog; }

void ExportDrawing(QWidget* owner, const TTransit& transit, QSize pictureSize, bool smooth, bool grid) {
  const QString path = Chooser()(owner, SuggestedName(transit));
  if (path.isEmpty()) return;
  TQtDialogs boxes(owner);
  try {
    const std::string file = S(QDir::toNativeSeparators(path));
    ExportTransitDrawing(transit, file, DrawingFormatForPath(file), std::max(pictureSize.width(), 16),
                         std::max(pictureSize.height(), 16), smooth, grid);
  } catch (const std::exception& e) {
    boxes.ShowMessage(std::string("Error writing drawing:\r\r") + e.what(), "Export drawing");
  }
}
