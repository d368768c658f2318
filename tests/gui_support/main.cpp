// The test main of every window test: a QApplication on the offscreen
// platform with the Fusion style and a bundled font, so that sizes and
// screenshots are the same on every machine.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QStyleFactory>

#include "app/recordnotices.h"
#include "guitest.h"

namespace {
QtMessageHandler previousHandler = nullptr;
void qt_message_output_default(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (previousHandler) previousHandler(type, context, message);
}
// The offscreen platform says this of every dialog; it is not a fault.
void DropPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  qt_message_output_default(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
  previousHandler = qInstallMessageHandler(DropPlatformNoise);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  // As the program: the boxes' caption, and no display name added to captions.
  QApplication::setApplicationName(QStringLiteral("Trellane"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const int font = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
  if (font >= 0) {
    QFont f(QFontDatabase::applicationFontFamilies(font).value(0), 9);
    QApplication::setFont(f);
  }
  // As the program: the windows hear of deleted and copied records.
  TellWindowsOfRecordChanges();
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new guitest::NoWindowsLeftListener);
  return RUN_ALL_TESTS();
}
