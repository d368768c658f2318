#include "schedule/gui/schedulesummary.h"

#include <QHBoxLayout>
#include <algorithm>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/gui/host.h"
#include "platform/gui/qtext.h"
#include "core/units.h"

namespace {

constexpr int IdRole = Qt::UserRole + 1;

QString Count(size_t n, const char* one, const char* many) {
  return QString::number(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}

}  // namespace

TfrmScheduleSummary::TfrmScheduleSummary(const TApplyResult& result, QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrmScheduleSummary"));
  setWindowTitle(QStringLiteral("Cable schedule imported"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);

  std::vector<const TAppliedTransit*> created, updated, unchanged, warned;
  for (const TAppliedTransit& t : result.Transits) {
    (t.Created ? created : t.Changed ? updated : unchanged).push_back(&t);
    if (!t.Warnings.empty()) warned.push_back(&t);
  }

  lblSummary = new QLabel(this);
  lblSummary->setObjectName(QStringLiteral("lblSummary"));
  lblSummary->setWordWrap(true);
  lblSummary->setText(Count(created.size(), "transit created", "transits created") + QStringLiteral(", ") +
                      QString::number(updated.size()) + QStringLiteral(" updated, ") +
                      QString::number(unchanged.size()) + QStringLiteral(" unchanged; ") +
                      QString::number(warned.size()) + QStringLiteral(" with a warning.\n") +
                      QStringLiteral("Double-click a transit to open it."));

  auto* caption = new QLabel(QStringLiteral("&Transits:"), this);
  lvwTransits = new QTreeWidget(this);
  lvwTransits->setObjectName(QStringLiteral("lvwTransits"));
  caption->setBuddy(lvwTransits);
  lvwTransits->setColumnCount(3);
  lvwTransits->setHeaderLabels({QStringLiteral("Transit"), QStringLiteral("Filling rate"), QStringLiteral("Warnings")});
  lvwTransits->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  lvwTransits->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwTransits->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvwTransits->setUniformRowHeights(true);
  lvwTransits->setMinimumSize(420, 220);

  auto section = [&](const QString& title, const std::vector<const TAppliedTransit*>& transits) {
    if (transits.empty()) return;
    auto* heading = new QTreeWidgetItem(lvwTransits, {title + QStringLiteral(" (") +
                                                      QString::number(transits.size()) + QLatin1Char(')')});
    heading->setFlags(Qt::ItemIsEnabled);
    QFont bold = heading->font(0);
    bold.setBold(true);
    heading->setFont(0, bold);
    for (const TAppliedTransit* t : transits) {
      QStringList warnings;
      for (const std::string& w : t->Warnings) warnings << Q(w);
      auto* item = new QTreeWidgetItem(
          heading, {Q(t->Name), Q(FormatFloat("%.1f", t->FillingRate)) + QStringLiteral(" %"),
                    warnings.join(QStringLiteral("; "))});
      item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
      item->setToolTip(2, item->text(2));
      item->setData(0, IdRole, t->ID);
    }
    heading->setExpanded(true);
  };
  section(QStringLiteral("Created"), created);
  section(QStringLiteral("Updated"), updated);
  section(QStringLiteral("With a warning"), warned);
  section(QStringLiteral("Unchanged"), unchanged);
  for (int i = 0; i < 3; ++i) lvwTransits->resizeColumnToContents(i);
  lvwTransits->setColumnWidth(0, std::max(lvwTransits->columnWidth(0) + 12, 160));
  if (QTreeWidgetItem* first = lvwTransits->topLevelItem(0); first && first->childCount() > 0)
    lvwTransits->setCurrentItem(first->child(0));

  btnOpen = new QPushButton(QStringLiteral("&Open"), this);
  btnOpen->setObjectName(QStringLiteral("btnOpen"));
  btnOpen->setAutoDefault(false);
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setDefault(true);

  connect(lvwTransits, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { OpenItem(item); });
  // Enter on a line opens it rather than pressing "Close".
  lvwTransits->installEventFilter(this);
  connect(btnOpen, &QPushButton::clicked, this, [this] { OpenItem(lvwTransits->currentItem()); });
  connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
  auto enableOpen = [this] { btnOpen->setEnabled(TransitOf(lvwTransits->currentItem()) != 0); };
  connect(lvwTransits, &QTreeWidget::currentItemChanged, this, enableOpen);
  enableOpen();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblSummary);
  layout->addWidget(caption);
  layout->addWidget(lvwTransits, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOpen);
  buttons->addWidget(btnClose);
  layout->addLayout(buttons);
  setTabOrder(lvwTransits, btnOpen);
  setTabOrder(btnOpen, btnClose);
  lvwTransits->setFocus();
  // Wide enough for the warnings, within reason.
  int columns = 0;
  for (int i = 0; i < 3; ++i) columns += lvwTransits->columnWidth(i);
  resize(std::clamp(columns + 60, std::max(sizeHint().width(), 560), 900), 420);
}

bool TfrmScheduleSummary::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lvwTransits && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        TransitOf(lvwTransits->currentItem()) != 0) {
      OpenItem(lvwTransits->currentItem());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

int32_t TfrmScheduleSummary::TransitOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, IdRole).toInt() : 0;
}

bool TfrmScheduleSummary::OpenItem(QTreeWidgetItem* item) {
  const int32_t id = TransitOf(item);
  if (id == 0 || !MdiHost()) return false;
  MdiHost()->ShowTransitDetail(id);
  return true;
}
