#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// Asks at every start who is working: the name stamps new and changed
// projects and transits. OK (or Enter) takes the text as typed, an empty
// name included; closing the window keeps the name as it was.
class TfrmUsername : public QDialog {
  Q_OBJECT
public:
  // testBuild: the dialog confirms itself when the name is "QX".
  explicit TfrmUsername(QWidget* parent = nullptr, bool testBuild = false);

  void accept() override;

  QLineEdit* edtUsername = nullptr;
  QPushButton* btnOK = nullptr;
};
