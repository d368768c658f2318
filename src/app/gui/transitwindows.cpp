#include "app/gui/transitwindows.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/gui/host.h"
#include "app/gui/projectwindows.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "store/recordcommands.h"
#include "platform/gui/host.h"
#include "app/gui/projectwindows.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "schedule/gui/scheduleimport.h"

namespace {
const QString TransitFilter = QStringLiteral("Transit files (*.htf)");

// Opens the transit's editor, or brings the open one to the front.
QWidget* OpenEditor(int32_t transitId) { return MdiHost() ? MdiHost()->ShowTransitDetail(transitId) : nullptr; }
}  // namespace

// ---------------------------------------------------------------- transit list

TfrmTransitList::TfrmTransitList() : TListWindow(lkTransits, QStringLiteral("TfrmTransitList")) {
  setMinimumSize(450, 270);
  AddImageButtons([this] { AddTransit(); }, [this] { DeleteTransit(); });
  AddButton("btnCopy", QStringLiteral("Copy"), [this] { CopyTransit(); });
  AddButton("btnExport", QStringLiteral("Export to file"), [this] { ExportTransit(); });
  AddButton("btnImport", QStringLiteral("Import from file"), [this] { ImportTransit(); });
  AddButton("btnImportSchedule", QStringLiteral("Import cable schedule..."), [this] { ImportSchedule(); });
  AddButton("btnMaterials", QStringLiteral("Materials"), [this] { ShowMaterials(); });
  AddButton("btnProjectDetails", QStringLiteral("Project details"), [this] { ShowProjectDetails(); });
  Buttons->addStretch();
  AddButton("btnChooseColumns", QStringLiteral("Choose columns"), [this] { ChooseColumns(); });
  // Never so narrow that a button's caption is cut, however it was stored.
  const QMargins margins = layout()->contentsMargins();
  setMinimumWidth(std::max(minimumWidth(), Buttons->minimumSize().width() + margins.left() + margins.right()));
}

void TfrmTransitList::Init(int32_t projectId) {
  ViewID = projectId;
  SortColumn = 0;
  SortDirection = 1;
  ApplyColumnLayout();
  Refresh(-1);
  SetCaption();
}

void TfrmTransitList::SetCaption() {
  const QString caption = Q(TransitListCaption(ViewID));
  setWindowTitle(caption);
  Header->setText(caption);
}

void TfrmTransitList::Notify(uint8_t code, int32_t id) {
  switch (code) {
    case nkProjectDeleted:
      if (id == ViewID) CloseChildWindow(this);
      break;
    case nkProjectChanged:
      if (id == ViewID) {
        Refresh(-1);
        SetCaption();
      }
      break;
    case nkUnitChanged: Refresh(-1); break;
    case nkTransitChanged: Refresh(id); break;
    default: break;
  }
}

bool TfrmTransitList::CheckSelected() {
  if (SelectedID() != -1) return true;
  Message("No transit selected!");
  return false;
}

void TfrmTransitList::AddTransit() {
  const int32_t id = ::AddTransit(ViewID);
  Refresh(id);
  OpenEditor(id);  // brought to the front
  NotifyAll(nkTransitCreated, id);
}

void TfrmTransitList::DeleteTransit() {
  if (!CheckSelected()) return;
  const int32_t id = SelectedID();
  if (!Confirm("Are you sure you want to delete this record?")) return;
  ::DeleteTransit(id);
  Refresh(-1);
}

void TfrmTransitList::Open(int32_t id) { OpenEditor(id); }

void TfrmTransitList::CopyTransit() {
  if (!CheckSelected()) return;
  const int32_t id = SelectedID();
  TfrmSelectProject select(DialogOwner(this));
  const int32_t target = select.Execute();
  if (target == -1) return;
  const int32_t copy = CopyTransitToProject(id, target);
  Message("Transit '" + TransitName(copy) + "' has been copied to project '" + ProjectName(target) + "'.");
}

void TfrmTransitList::ExportTransit() {
  if (!CheckSelected()) return;
  const int32_t id = SelectedID();
  const std::string name = TransitName(id);
  const QString path = ChooseFile(this, true, Q(name), TransitFilter, QStringLiteral("htf"));
  if (path.isEmpty()) return;
  try {
    ::ExportTransit(id, S(path));
  } catch (const std::exception& e) {
    ShowFailure(this, e);
    return;
  }
  Message("Transit '" + name + "' exported to\r" + S(path));
}

void TfrmTransitList::ImportTransit() {
  const QString path = ChooseFile(this, false, {}, TransitFilter, QStringLiteral("htf"));
  if (path.isEmpty()) return;
  int32_t id = -1;
  try {
    id = ::ImportTransit(S(path), ViewID);
  } catch (const std::exception& e) {
    ShowFailure(this, e);
    return;
  }
  Refresh(id);
  Message("Transit '" + TransitName(id) + "' imported from\r" + S(path));
}

void TfrmTransitList::ImportSchedule() {
  TScheduleImportLinks links;
  links.EditorOpen = [](int32_t transitId) {
    const std::vector<TfrmMDIchild*>& open = OpenChildWindows();
    return std::any_of(open.begin(), open.end(), [&](const TfrmMDIchild* child) {
      return child->ViewID == transitId && child->ClassName() == "TfrmTransitDetail";
    });
  };
  links.Applied = [](const TApplyResult& result) {
    bool changed = false;
    for (const TAppliedTransit& t : result.Transits) {
      if (t.Created) NotifyAll(nkTransitCreated, t.ID);
      changed = changed || t.Changed;
    }
    // The lists once for all of them.
    if (changed) NotifyAll(nkTransitChanged, -1);
  };
  TfrmScheduleImport dialog(ViewID, std::move(links), this);
  dialog.exec();
}

void TfrmTransitList::ShowMaterials() {
  if (WindowHooks().ShowProjectReport) WindowHooks().ShowProjectReport(ViewID);
}

void TfrmTransitList::ShowProjectDetails() {
  if (MdiHost()) MdiHost()->ShowProjectDetail(ViewID);
}

// ---------------------------------------------------------------- template list

TfrmTemplateList::TfrmTemplateList() : TListWindow(lkTemplates, QStringLiteral("TfrmTemplateList")) {
  setWindowTitle(QStringLiteral("Templates"));
  Header->setText(QStringLiteral("Templates"));
  setMinimumSize(250, 185);
  AddImageButtons([this] { AddTemplate(); }, [this] { DeleteTemplate(); });
  Buttons->addStretch();
  AddButton("btnChooseColumns", QStringLiteral("Choose columns"), [this] { ChooseColumns(); });
}

void TfrmTemplateList::Init(int32_t) {
  ViewID = 0;
  SortColumn = 0;
  SortDirection = 1;
  ApplyColumnLayout();
  Refresh(-1);
}

void TfrmTemplateList::Notify(uint8_t code, int32_t id) {
  if (code == nkUnitChanged) Refresh(-1);
  else if (code == nkTransitChanged) Refresh(id);
}

void TfrmTemplateList::AddTemplate() {
  const int32_t id = ::AddTemplate();
  Refresh(id);
  QWidget* editor = OpenEditor(id);
  if (!editor) return;
  if (auto* name = editor->findChild<QLineEdit*>(QStringLiteral("edtTransitName"))) {
    name->setFocus();
    name->selectAll();
  }
}

void TfrmTemplateList::DeleteTemplate() {
  if (SelectedID() == -1) {
    Message("No transit selected!");
    return;
  }
  const int32_t id = SelectedID();
  if (!Confirm("Are you sure you want to delete this record?")) return;
  ::DeleteTransit(id);
  Refresh(-1);
}

void TfrmTemplateList::Open(int32_t id) { OpenEditor(id); }

// ---------------------------------------------------------------- template picker

TfrmSelectTemplate::TfrmSelectTemplate(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrmSelectTemplate"));
  setWindowTitle(QStringLiteral("Select template"));
  auto* layout = new QVBoxLayout(this);
  lvwTemplates = NewPickerList(this, "lvwTemplates", [this] { Fill(); });
  lvwTemplates->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Width"), QStringLiteral("Height"),
                                 QStringLiteral("Radius"), QStringLiteral("Spare %")});
  const int widths[] = {150, 70, 70, 72, 60};
  for (int i = 0; i < 5; ++i) lvwTemplates->header()->resizeSection(i, widths[i]);
  for (int i = 1; i < 5; ++i) lvwTemplates->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
  lvwTemplates->header()->setStretchLastSection(false);
  layout->addWidget(lvwTemplates);
  AddOkCancelButtons(this, layout);
  resize(470, 360);
}

void TfrmSelectTemplate::Fill() {
  std::vector<TListRow> rows = ListRows(lkTemplates, 0);
  std::stable_sort(rows.begin(), rows.end(), [](const TListRow& a, const TListRow& b) {
    return DesktopCompare(Q(a.Texts[0]), Q(b.Texts[0])) < 0;
  });
  lvwTemplates->clear();
  for (const TListRow& row : rows) {
    auto* item = new QTreeWidgetItem(
        lvwTemplates, {Q(row.Texts[0]), Q(row.Texts[1]), Q(row.Texts[2]), Q(row.Texts[3]), Q(row.Texts[4])});
    for (int i = 1; i < 5; ++i) item->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, TListModel::IdRole, row.ID);
  }
}

int32_t TfrmSelectTemplate::Execute() {
  Fill();
  if (exec() != QDialog::Accepted) return -1;
  const QList<QTreeWidgetItem*> selected = lvwTemplates->selectedItems();
  return selected.isEmpty() ? -1 : selected.first()->data(0, TListModel::IdRole).toInt();
}

int32_t ChooseTemplate() {
  TfrmSelectTemplate dialog(DialogOwner(nullptr));
  return dialog.Execute();
}
