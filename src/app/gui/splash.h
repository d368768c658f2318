#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The splash picture with the program title and version below it. At start
// it shows without a border, on top of everything, centred on the screen;
// as the about box it gets a border and a "Check for updates" button.
class TfrmSplash : public QDialog {
  Q_OBJECT
public:
  explicit TfrmSplash(bool aboutBox, QWidget* parent = nullptr);

  // The size of the picture, in logical pixels.
  static QSize PictureSize();

  QLabel* lblVersion = nullptr;
  QPushButton* btnCheckForUpdates = nullptr;
};

// Shows the splash (creating it once, without owner) and paints it at once;
// with false, frees it.
void ShowSplash(bool show);
// The splash while it shows, else null.
TfrmSplash* SplashWindow();
