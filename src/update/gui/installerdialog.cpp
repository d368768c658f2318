#include "update/gui/installerdialog.h"

#include <QMessageBox>

#include "platform/gui/qtext.h"

bool TQtInstallerDialog::AskRetry(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Trellane"), MessageText(text),
                  QMessageBox::Retry | QMessageBox::Cancel);
  box.setDefaultButton(QMessageBox::Retry);
  box.setEscapeButton(QMessageBox::Cancel);
  // The long first line reads better unbroken.
  box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: 34em; }"));
  return box.exec() == QMessageBox::Retry;
}
