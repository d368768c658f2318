#include "app/gui/username.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/gui/messagesink.h"
#include "platform/gui/qtext.h"
#include "store/settings.h"
#include "platform/gui/textguard.h"

TfrmUsername::TfrmUsername(QWidget* parent, bool testBuild) : QDialog(parent) {
  setObjectName(QStringLiteral("frmUsername"));
  setWindowTitle(QStringLiteral("Enter username"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);

  auto* label = new QLabel(QStringLiteral("Username :"), this);
  label->setObjectName(QStringLiteral("lblUsername"));
  edtUsername = new QLineEdit(this);
  edtUsername->setObjectName(QStringLiteral("edtUsername"));
  edtUsername->setMaxLength(30);
  edtUsername->setMinimumWidth(edtUsername->fontMetrics().averageCharWidth() * 30);
  GuardWindows1252(edtUsername);
  label->setBuddy(edtUsername);
  btnOK = new QPushButton(QStringLiteral("OK"), this);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(edtUsername, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  edtUsername->setText(Q(CurrentUserName));
  edtUsername->selectAll();
  edtUsername->setFocus();
  GuardAnswerKeys(this);

  if (testBuild)
    QTimer::singleShot(100, this, [this] {
      if (CurrentUserName == "QX" && isVisible()) accept();
    });
}

void TfrmUsername::accept() {
  CurrentUserName = S(edtUsername->text());
  QDialog::accept();
}
