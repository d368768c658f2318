#include "reports/render/reportpdf.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <memory>

#include "reports/render/reportdocument.h"

namespace {
QtMessageHandler previousHandler = nullptr;
// The offscreen platform's remarks on the session's runtime folder are no
// concern of a command-line run.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
  if (previousHandler) previousHandler(type, context, message);
}
}  // namespace

void WriteReportPdfFile(const std::string& rtf, const std::string& path) {
  std::unique_ptr<QGuiApplication> app;
  if (!QCoreApplication::instance()) {
    static int argc = 1;
    static char name[] = "trellane-cli";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(QuietHandler);
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  const TReportDocument document(rtf);
  const QString file = QString::fromUtf8(path.data(), qsizetype(path.size()));
  document.WritePdf(file, QFileInfo(file).completeBaseName());
}
