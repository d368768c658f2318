#include "app/gui/dialogkeys.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The default button of a dialog (or of a child window of the frame).
QPushButton* DefaultButton(QWidget* dialog) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>())
    if (button->isDefault() && button->isVisible() && button->isEnabled() && button->window() == dialog->window())
      return button;
  return nullptr;
}

bool Confirm(QWidget* from) {
  for (QWidget* w = from; w; w = w->parentWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(w)) {
      if (QPushButton* button = DefaultButton(dialog)) button->click();
      else dialog->accept();
      return true;
    }
    if (qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
      QPushButton* button = DefaultButton(w);
      if (button) button->click();
      return button != nullptr;
    }
    if (w->isWindow()) break;
  }
  return false;
}

}  // namespace

bool TDialogKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  // Only where the key arrives first: at the widget with the keyboard focus.
  if (!widget || !widget->hasFocus()) return false;
  const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::ControlModifier) return Confirm(widget);
  if (modifiers != Qt::NoModifier) return false;
  auto* button = qobject_cast<QAbstractButton*>(widget);
  if (!button || qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button) || !button->isEnabled())
    return false;
  button->click();
  return true;
}
