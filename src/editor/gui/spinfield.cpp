#include "editor/gui/spinfield.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "core/units.h"

QLocale NumberLocale() {
  QLocale locale = DecimalSeparator() == ',' ? QLocale(QLocale::Dutch, QLocale::Netherlands) : QLocale::c();
  locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
  return locale;
}

TSpinField::TSpinField(QWidget* parent) : QDoubleSpinBox(parent) {
  setKeyboardTracking(false);
  setAccelerated(true);
  setLocale(NumberLocale());
  connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
    if (!MayForward || MayForward()) CommitPendingEdit();
  });
}

void TSpinField::ShowValue(double value) {
  const QSignalBlocker blocker(this);
  if (locale() != NumberLocale()) setLocale(NumberLocale());
  setValue(value);
  Shown = this->value();
}

bool TSpinField::HasPendingEdit() {
  if (Spun) return true;
  // Typed text counts once it reads as a number that differs.
  bool ok = false;
  const double typed = locale().toDouble(cleanText(), &ok);
  return ok && std::abs(typed - Shown) > 0.5 * std::pow(10.0, -decimals());
}

void TSpinField::CommitPendingEdit() {
  if (!HasPendingEdit()) return;
  {
    const QSignalBlocker blocker(this);
    interpretText();
  }
  Spun = false;
  Shown = value();
  if (OnCommit) OnCommit(value());
}

void TSpinField::Step(double delta) {
  {
    const QSignalBlocker blocker(this);
    interpretText();
  }
  const double next = std::clamp(value() + delta, minimum(), maximum());
  if (MayForward && !MayForward()) return;
  Spun = true;
  if (OnSpin)
    OnSpin(next);
  else
    ShowValue(next);
  selectAll();
}

void TSpinField::stepBy(int steps) { Step(steps * singleStep()); }

void TSpinField::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    Step(event->key() == Qt::Key_PageUp ? PageStep : -PageStep);
    event->accept();
    return;
  }
  QDoubleSpinBox::keyPressEvent(event);
}
