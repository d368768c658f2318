#include "app/gui/splash.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>

#include "platform/title.h"
#include "platform/gui/host.h"
#include "app/gui/programimages.h"

namespace {

// Paints an SVG at the widget's size, sharp at any pixel ratio.
class TSvgPicture : public QWidget {
public:
  TSvgPicture(const QString& resource, QWidget* parent) : QWidget(parent), Renderer(resource) {}

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    Renderer.render(&painter, QRectF(rect()));
  }

private:
  QSvgRenderer Renderer;
};

QPointer<TfrmSplash>& Splash() {
  static QPointer<TfrmSplash> splash;
  return splash;
}

}  // namespace

QSize TfrmSplash::PictureSize() { return {480, 300}; }

TfrmSplash::TfrmSplash(bool aboutBox, QWidget* parent) : QDialog(parent) {
  InitProgramImages();
  setObjectName(aboutBox ? QStringLiteral("frmAbout") : QStringLiteral("frmSplash"));
  const int margin = aboutBox ? 4 : 0;  // the about box's client area is 8 pixels larger
  const QSize picture = PictureSize();
  if (aboutBox) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(ProgramTitle));
  } else {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  }
  setFixedSize(picture + QSize(2 * margin, 2 * margin));

  auto* image = new TSvgPicture(QStringLiteral(":/images/splash.svg"), this);
  image->setObjectName(QStringLiteral("imgSplash"));
  image->setGeometry(QRect(QPoint(margin, margin), picture));

  // The text sits on the light band at the foot of the picture.
  lblVersion = new QLabel(image);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  lblVersion->setText(QString::fromUtf8(ProgramTitle) + QLatin1Char('\n') + QStringLiteral("Version ") +
                      QString::fromUtf8(VersionText));
  QFont font = lblVersion->font();
  font.setPointSizeF(font.pointSizeF() * 1.3);
  font.setBold(true);
  lblVersion->setFont(font);
  lblVersion->setStyleSheet(QStringLiteral("color: #1f2d3a;"));
  lblVersion->setGeometry(16, 210, picture.width() - 32, 56);
  lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  btnCheckForUpdates = new QPushButton(QStringLiteral("Check for updates"), image);
  btnCheckForUpdates->setObjectName(QStringLiteral("btnCheckForUpdates"));
  btnCheckForUpdates->adjustSize();
  btnCheckForUpdates->move(picture.width() - btnCheckForUpdates->width() - 12,
                           picture.height() - btnCheckForUpdates->height() - 8);
  btnCheckForUpdates->setVisible(aboutBox && bool(WindowHooks().StartUpdateCheck));
  connect(btnCheckForUpdates, &QPushButton::clicked, this, [] {
    if (WindowHooks().StartUpdateCheck) WindowHooks().StartUpdateCheck(false);
  });
}

void ShowSplash(bool show) {
  QPointer<TfrmSplash>& splash = Splash();
  if (!show) {
    delete splash.data();
    splash = nullptr;
    return;
  }
  if (!splash) {
    splash = new TfrmSplash(false);
    if (QScreen* screen = QGuiApplication::primaryScreen())
      splash->move(screen->availableGeometry().center() - splash->rect().center());
  }
  splash->show();
  splash->raise();
  splash->repaint();
  QApplication::processEvents();
}

TfrmSplash* SplashWindow() {
  TfrmSplash* splash = Splash().data();
  return splash && splash->isVisible() ? splash : nullptr;
}
