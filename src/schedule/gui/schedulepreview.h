#pragma once
#include <QAbstractTableModel>

#include "schedule/schedule.h"

// The preview of an import as two read-only tables over the plan: the
// transits to create or update with their groups, and the refused rows. A
// plan of many thousand refused rows stays quick in a view.

// One line per planned transit: its name, whether the project has it, its
// groups (diameter × amount) and its cables.
class TTransitPreviewModel : public QAbstractTableModel {
public:
  enum { colName, colState, colCables, colGroups, ColumnCount };
  using QAbstractTableModel::QAbstractTableModel;
  // Existing transits get "replaced" or "added to" in their state.
  void SetPlan(const TSchedulePlan* plan, bool replaceGroups);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  const TSchedulePlan* Plan = nullptr;
  bool Replace = true;
};

// One line per refused row: its number in the spreadsheet, its tag, the reason.
class TRefusedRowsModel : public QAbstractTableModel {
public:
  enum { colRow, colTag, colReason, ColumnCount };
  using QAbstractTableModel::QAbstractTableModel;
  void SetPlan(const TSchedulePlan* plan);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  const TSchedulePlan* Plan = nullptr;
};

// "12.50 mm × 3, 20.50 mm × 1 Pipes metal": the groups in the current unit.
QString GroupsText(const std::vector<TPlannedGroup>& groups);
