#pragma once
#include <QObject>

// Hints stay up for an hour instead of the usual few seconds, so a long one
// can be read in full. Installed on the application at start.
class TLongHints : public QObject {
public:
  static constexpr int DurationMs = 3600000;
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override;
};
