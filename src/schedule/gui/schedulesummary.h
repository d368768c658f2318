#pragma once
#include <QDialog>
#include <cstdint>

#include "schedule/schedule.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// What an import did, once it is done: the transits created, updated (and
// those the schedule left as they were), and those left with a warning.
// Not modal, so the user can open one transit after another in its editor
// (double click, Enter or "Open") while the list stays up.
class TfrmScheduleSummary : public QDialog {
  Q_OBJECT
public:
  TfrmScheduleSummary(const TApplyResult& result, QWidget* owner);

  // The transit of a line; 0 for a section's heading.
  static int32_t TransitOf(const QTreeWidgetItem* item);
  // Opens the transit's editor (through the frame); false for a heading.
  bool OpenItem(QTreeWidgetItem* item);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QLabel* lblSummary = nullptr;
  QTreeWidget* lvwTransits = nullptr;
  QPushButton* btnOpen = nullptr;
  QPushButton* btnClose = nullptr;
};
