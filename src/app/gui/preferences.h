#pragma once
#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QRadioButton;

// The preferences: company and distributor lines, the transit screen, the
// length unit and the general switches. OK stores them in the configuration
// and tells every window; Cancel changes nothing.
class TfrmPreferences : public QDialog {
  Q_OBJECT
public:
  explicit TfrmPreferences(QWidget* parent = nullptr);

  void accept() override;

  QPlainTextEdit* mmoCompany = nullptr;
  QPlainTextEdit* mmoDistributor = nullptr;
  QCheckBox* chkAntiAliasing = nullptr;
  QCheckBox* chkShowGrid = nullptr;
  QCheckBox* chkBlinkWarning = nullptr;
  QCheckBox* chkFixedWindow = nullptr;
  QRadioButton* rdoImperial = nullptr;
  QRadioButton* rdoMetric = nullptr;
  QCheckBox* chkSaveWindowPositionsOnExit = nullptr;
  QCheckBox* chkAutoUpdate = nullptr;
};
