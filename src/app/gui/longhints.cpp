#include "app/gui/longhints.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

bool TLongHints::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  // Item views give their hints per line; leave those to the view.
  if (widget->toolTip().isEmpty()) return false;
  auto* help = static_cast<QHelpEvent*>(event);
  QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), DurationMs);
  return true;
}
