#include "editor/gui/editconduit.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "core/units.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "editor/gui/spinfield.h"

TClampedSpin::TClampedSpin(QWidget* parent) : QDoubleSpinBox(parent) {
  setRange(0, 1e9);
  setLocale(NumberLocale());
}

void TClampedSpin::stepBy(int steps) {
  setValue(Clamp(value() + steps * singleStep()));
  selectAll();
}

TfrmEditConduit::TfrmEditConduit(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrmEditConduit"));
  // A tool window with a fixed border: a close button, no minimise or maximise.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(10, 10, 10, 10);
  auto* amountCaption = new QLabel(QStringLiteral("Amount:"), this);
  auto* diameterCaption = new QLabel(QStringLiteral("Outer diameter:"), this);
  edsAmount = new TClampedSpin(this);
  edsAmount->setObjectName(QStringLiteral("edsAmount"));
  edsAmount->setDecimals(0);
  edsAmount->setSingleStep(1);
  edsAmount->SetLimits(0, 9999);
  edsOuterDiameter = new TClampedSpin(this);
  edsOuterDiameter->setObjectName(QStringLiteral("edsOuterDiameter"));
  lblUnit = new QLabel(this);
  lblUnit->setObjectName(QStringLiteral("lblUnit"));
  for (QLabel* caption : {amountCaption, diameterCaption}) caption->setMinimumWidth(caption->sizeHint().width());
  for (TClampedSpin* field : {edsAmount, edsOuterDiameter}) field->setMaximumWidth(96);
  grid->setHorizontalSpacing(6);
  amountCaption->setBuddy(edsAmount);
  diameterCaption->setBuddy(edsOuterDiameter);
  btnOK = new QPushButton(QStringLiteral("OK"), this);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnOK->setAutoDefault(false);
  btnCancel->setAutoDefault(false);
  grid->addWidget(amountCaption, 0, 0);
  grid->addWidget(edsAmount, 0, 1);
  grid->addWidget(diameterCaption, 1, 0);
  grid->addWidget(edsOuterDiameter, 1, 1);
  grid->addWidget(lblUnit, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  grid->addLayout(buttons, 2, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  setFixedSize(QSize(238, 121).expandedTo(minimumSizeHint()));

  edsAmount->installEventFilter(this);
  edsOuterDiameter->installEventFilter(this);
  connect(btnOK, &QPushButton::clicked, this, [this] { Confirm(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(edsOuterDiameter, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    if (!Live) return;
    ProcessOuterDiameterChange(value);
    Refresh(true);
  });
  connect(edsAmount, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    if (!Live) return;
    ProcessAmountChange(value);
    Refresh(true);
  });
  connect(edsOuterDiameter, &QAbstractSpinBox::editingFinished, this, [this] {
    if (!Live) return;
    ProcessOuterDiameterChange(edsOuterDiameter->value());
    Refresh(false);
  });
  connect(edsAmount, &QAbstractSpinBox::editingFinished, this, [this] {
    if (!Live) return;
    ProcessAmountChange(edsAmount->value());
    Refresh(false);
  });
}

void TfrmEditConduit::Show(TClampedSpin* field, double value) {
  const QSignalBlocker blocker(field);
  field->setValue(value);
}

TModalResult TfrmEditConduit::Execute(TPresenterTransitDetail& presenter, const std::string& caption,
                                      TPoint topLeft) {
  Presenter = &presenter;
  const bool inch = CurrentLengthUnit == luInch;
  edsOuterDiameter->SetLimits(0, inch ? 40 : 1000);
  edsOuterDiameter->setDecimals(inch ? 4 : 2);
  edsOuterDiameter->setSingleStep(inch ? 0.01 : 0.1);
  const TConduitGroup group = presenter.EditedConduitGroup();
  SavedDiameter = group.OuterDiameter;
  SavedAmount = group.Amount;
  Show(edsOuterDiameter, group.OuterDiameter / LengthUnitFactor());
  Show(edsAmount, group.Amount);
  lblUnit->setText(Q(LengthUnitName()));
  setWindowTitle(Q(caption));
  // The fixed size holds the whole caption.
  setFixedSize(QSize(std::max(238, CaptionWidth(this)), 121).expandedTo(minimumSizeHint()));
  move(topLeft.X, topLeft.Y);
  edsAmount->setFocus();
  edsAmount->selectAll();
  Live = true;
  const int result = exec();
  Live = false;
  Presenter = nullptr;
  return result == QDialog::Accepted ? mrOk : mrCancel;
}

void TfrmEditConduit::ProcessOuterDiameterChange(double value) {
  const double clamped = edsOuterDiameter->Clamp(value);
  if (clamped != value && !edsOuterDiameter->hasFocus()) Show(edsOuterDiameter, clamped);
  const TConduitGroup group = Presenter->EditedConduitGroup();
  Presenter->SetEditedConduitGroup(clamped * LengthUnitFactor(), group.Amount);
}

void TfrmEditConduit::ProcessAmountChange(double value) {
  const double clamped = edsAmount->Clamp(value);
  if (clamped != value && !edsAmount->hasFocus()) Show(edsAmount, clamped);
  const TConduitGroup group = Presenter->EditedConduitGroup();
  Presenter->SetEditedConduitGroup(group.OuterDiameter, static_cast<int32_t>(std::trunc(clamped)));
}

void TfrmEditConduit::Refresh(bool quick) {
  try {
    Presenter->Refresh(true, quick, false);
  } catch (const std::exception& e) {
    ShowFailure(this, e);
  }
}

void TfrmEditConduit::Confirm() {
  if (!Live) return;
  edsOuterDiameter->interpretText();
  edsAmount->interpretText();
  if (edsOuterDiameter->value() == 0) {
    edsAmount->setFocus();
    edsAmount->selectAll();
    return;
  }
  ProcessAmountChange(edsAmount->value());
  ProcessOuterDiameterChange(edsOuterDiameter->value());
  Show(edsOuterDiameter, edsOuterDiameter->Clamp(edsOuterDiameter->value()));
  Refresh(false);
  Live = false;
  QDialog::accept();
}

void TfrmEditConduit::accept() { Confirm(); }

void TfrmEditConduit::reject() {
  // Cancel, Escape and the title bar's close button alike.
  if (Live) {
    Live = false;
    Presenter->SetEditedConduitGroup(SavedDiameter, SavedAmount);
    Refresh(false);
  }
  QDialog::reject();
}

bool TfrmEditConduit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (watched == edsAmount) {
        edsAmount->interpretText();
        edsOuterDiameter->setFocus();
        edsOuterDiameter->selectAll();
      } else {
        Confirm();
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
