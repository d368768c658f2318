#include "app/gui/columnchooser.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/gui/qtext.h"

TfrmColumnChooser::TfrmColumnChooser(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrmColumnChooser"));
  setWindowTitle(QStringLiteral("Select columns"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* grid = new QGridLayout(this);
  auto* shownLabel = new QLabel(QStringLiteral("Columns shown"), this);
  auto* hiddenLabel = new QLabel(QStringLiteral("Columns hidden"), this);
  lstShown = new QListWidget(this);
  lstShown->setObjectName(QStringLiteral("lstShown"));
  lstHidden = new QListWidget(this);
  lstHidden->setObjectName(QStringLiteral("lstHidden"));
  shownLabel->setBuddy(lstShown);
  hiddenLabel->setBuddy(lstHidden);
  btnHide = new QToolButton(this);
  btnHide->setObjectName(QStringLiteral("btnHide"));
  btnHide->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
  btnHide->setToolTip(QStringLiteral("Hide the selected column"));
  btnShow = new QToolButton(this);
  btnShow->setObjectName(QStringLiteral("btnShow"));
  btnShow->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
  btnShow->setToolTip(QStringLiteral("Show the selected column"));
  auto* arrows = new QVBoxLayout;
  arrows->addStretch();
  arrows->addWidget(btnHide);
  arrows->addWidget(btnShow);
  arrows->addStretch();
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  grid->addWidget(shownLabel, 0, 0);
  grid->addWidget(hiddenLabel, 0, 2);
  grid->addWidget(lstShown, 1, 0);
  grid->addLayout(arrows, 1, 1);
  grid->addWidget(lstHidden, 1, 2);
  grid->addWidget(buttons, 2, 0, 1, 3);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(btnHide, &QToolButton::clicked, this, [this] { Move(lstShown); });
  connect(btnShow, &QToolButton::clicked, this, [this] { Move(lstHidden); });
  connect(lstShown, &QListWidget::itemDoubleClicked, this, [this] { Move(lstShown); });
  connect(lstHidden, &QListWidget::itemDoubleClicked, this, [this] { Move(lstHidden); });
  resize(380, 300);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmColumnChooser::Init(const std::vector<std::string>& captions, const std::vector<int>& widths) {
  Choice.Init(captions, widths);
  FillLists();
}

void TfrmColumnChooser::FillLists() {
  lstShown->clear();
  lstHidden->clear();
  for (const std::string& caption : Choice.ShownCaptions()) lstShown->addItem(Q(caption));
  for (const std::string& caption : Choice.HiddenCaptions()) lstHidden->addItem(Q(caption));
}

void TfrmColumnChooser::Move(QListWidget* from) {
  QListWidgetItem* item = from->currentItem();
  if (!item || !item->isSelected()) return;
  const int row = from->row(item);
  Choice.Toggle(S(item->text()));
  FillLists();
  // Keep the place in the list the caption left, for the next one.
  if (from->count() > 0) from->setCurrentRow(std::min(row, from->count() - 1));
}
