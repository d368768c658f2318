#include "schedule/gui/schedulepreview.h"

#include "platform/gui/qtext.h"
#include "core/enums.h"
#include "core/units.h"

QString GroupsText(const std::vector<TPlannedGroup>& groups) {
  QStringList parts;
  for (const TPlannedGroup& g : groups) {
    QString part = Q(FormatLength(g.OuterDiameter) + " " + LengthUnitName()) + QStringLiteral(" \u00D7 ") +
                   QString::number(g.Amount);
    if (g.ConduitType != ctCables) part += QLatin1Char(' ') + Q(ConduitTypeToText(g.ConduitType));
    parts << part;
  }
  return parts.join(QStringLiteral(", "));
}

// ---------------------------------------------------------------- transits

void TTransitPreviewModel::SetPlan(const TSchedulePlan* plan, bool replaceGroups) {
  beginResetModel();
  Plan = plan;
  Replace = replaceGroups;
  endResetModel();
}

int TTransitPreviewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !Plan ? 0 : static_cast<int>(Plan->Transits.size());
}

int TTransitPreviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TTransitPreviewModel::data(const QModelIndex& index, int role) const {
  if (!Plan || !index.isValid() || index.row() >= rowCount()) return {};
  const TPlannedTransit& t = Plan->Transits[static_cast<size_t>(index.row())];
  if (role == Qt::TextAlignmentRole)
    return index.column() == colCables ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case colName: return Q(t.Name);
    case colState:
      if (t.ExistingID == 0) return QStringLiteral("New");
      return Replace ? QStringLiteral("Exists: groups replaced") : QStringLiteral("Exists: groups added");
    case colGroups: return GroupsText(t.Groups);
    case colCables: return QString::number(t.CableCount);
    default: return {};
  }
}

QVariant TTransitPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole && section == colCables) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case colName: return QStringLiteral("Transit");
    case colState: return QStringLiteral("In project");
    case colGroups: return QStringLiteral("Groups (diameter \u00D7 amount)");
    case colCables: return QStringLiteral("Cables");
    default: return {};
  }
}

// ---------------------------------------------------------------- refused rows

void TRefusedRowsModel::SetPlan(const TSchedulePlan* plan) {
  beginResetModel();
  Plan = plan;
  endResetModel();
}

int TRefusedRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !Plan ? 0 : static_cast<int>(Plan->Refused.size());
}

int TRefusedRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TRefusedRowsModel::data(const QModelIndex& index, int role) const {
  if (!Plan || !index.isValid() || index.row() >= rowCount()) return {};
  const TRefusedRow& r = Plan->Refused[static_cast<size_t>(index.row())];
  if (role == Qt::TextAlignmentRole)
    return index.column() == colRow ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case colRow: return QString::number(r.Row);
    case colTag: return Q(r.Tag);
    case colReason: return Q(r.Reason);
    default: return {};
  }
}

QVariant TRefusedRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole && section == colRow) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case colRow: return QStringLiteral("Row");
    case colTag: return QStringLiteral("Tag");
    case colReason: return QStringLiteral("Reason");
    default: return {};
  }
}
