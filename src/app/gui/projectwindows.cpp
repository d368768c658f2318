#include "app/gui/projectwindows.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/errors.h"
#include "core/units.h"
#include "platform/gui/host.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "platform/gui/textguard.h"
#include "store/recordcommands.h"

namespace {
const QString ProjectFilter = QStringLiteral("Project files (*.hpf)");

QLabel* HeaderLabel(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QStringLiteral("lblHeader"));
  QFont font = label->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.3);
  label->setFont(font);
  return label;
}
}  // namespace

// ---------------------------------------------------------------- project list

TfrmProjectList::TfrmProjectList() : TListWindow(lkProjects, QStringLiteral("TfrmProjectList")) {
  setWindowTitle(QStringLiteral("Projects"));
  Header->setText(QStringLiteral("Projects"));
  setMinimumSize(250, 300);
  AddImageButtons([this] { AddProject(); }, [this] { DeleteProject(); });
  AddButton("btnCopy", QStringLiteral("Copy"), [this] { CopyProject(); });
  AddButton("btnExport", QStringLiteral("Export to file"), [this] { ExportProject(); });
  AddButton("btnImport", QStringLiteral("Import from file"), [this] { ImportProject(); });
  Buttons->addStretch();
  AddButton("btnChooseColumns", QStringLiteral("Choose columns"), [this] { ChooseColumns(); });
}

void TfrmProjectList::Init(int32_t) {
  ViewID = 0;
  SortColumn = 0;
  SortDirection = 1;
  ApplyColumnLayout();
  Refresh(-1);
}

void TfrmProjectList::Notify(uint8_t code, int32_t) {
  if (code == nkProjectChanged) Refresh(SelectedID());
}

bool TfrmProjectList::CheckSelected() {
  if (SelectedID() != -1) return true;
  Message("No project selected!");
  return false;
}

void TfrmProjectList::AddProject() {
  const int32_t id = ::AddProject();
  Refresh(id);
  if (!MdiHost()) return;
  if (auto* detail = dynamic_cast<TfrmProjectDetail*>(MdiHost()->ShowProjectDetail(id))) detail->FocusName();
}

void TfrmProjectList::DeleteProject() {
  if (!CheckSelected()) return;
  const int32_t id = SelectedID();
  if (!Confirm("Are you sure you want to delete this record?")) return;
  ::DeleteProject(id);
  Refresh(-1);
}

void TfrmProjectList::Open(int32_t id) {
  if (MdiHost()) MdiHost()->ShowTransitList(id);
}

void TfrmProjectList::CopyProject() {
  if (!CheckSelected()) return;
  const int32_t id = SelectedID();
  CopyProjectRecord(id);
  Refresh(id);
  Message("Project '" + ProjectName(id) + "' copied.");
}

void TfrmProjectList::ExportProject() {
  if (!CheckSelected()) return;
  const int32_t id = SelectedID();
  TfrmSelectTransits select(DialogOwner(this));
  if (!select.Execute(id)) return;
  const std::string name = ProjectName(id);
  const QString path = ChooseFile(this, true, Q(name), ProjectFilter, QStringLiteral("hpf"));
  if (path.isEmpty()) return;
  try {
    ::ExportProject(id, S(path), [&](int32_t transitId) { return select.IsSelected(transitId); });
  } catch (const std::exception& e) {
    ShowFailure(this, e);
    return;
  }
  Message("Project '" + name + "' exported to\r" + S(path));
}

void TfrmProjectList::ImportProject() {
  const QString path = ChooseFile(this, false, {}, ProjectFilter, QStringLiteral("hpf"));
  if (path.isEmpty()) return;
  int32_t id = -1;
  try {
    id = ::ImportProject(S(path));
  } catch (const std::exception& e) {
    ShowFailure(this, e);
    return;
  }
  Refresh(id);
  Message("Project '" + ProjectName(id) + "' imported from\r" + S(path));
}

// ---------------------------------------------------------------- project window

TfrmProjectDetail::TfrmProjectDetail() {
  setObjectName(QStringLiteral("TfrmProjectDetail"));
  auto* layout = new QVBoxLayout(this);
  Header = HeaderLabel(this, QStringLiteral("Project details"));
  layout->addWidget(Header);
  auto* form = new QFormLayout;
  edtName = new QLineEdit(this);
  edtName->setObjectName(QStringLiteral("edtName"));
  edtName->setMaxLength(30);
  GuardWindows1252(edtName);
  cboCustomer = new QComboBox(this);
  cboCustomer->setObjectName(QStringLiteral("cboCustomer"));
  cboCustomer->setEditable(true);
  cboCustomer->setInsertPolicy(QComboBox::NoInsert);
  GuardWindows1252(cboCustomer);
  mmoComments = new QPlainTextEdit(this);
  mmoComments->setObjectName(QStringLiteral("mmoComments"));
  mmoComments->setTabChangesFocus(true);
  GuardWindows1252(mmoComments);
  form->addRow(QStringLiteral("Projectname:"), edtName);
  form->addRow(QStringLiteral("Customer:"), cboCustomer);
  form->addRow(QStringLiteral("Comments:"), mmoComments);
  auto stamp = [this](QLabel*& when, QLabel*& who, const char* whenName, const char* whoName) {
    auto* row = new QHBoxLayout;
    when = new QLabel(this);
    when->setObjectName(QString::fromLatin1(whenName));
    who = new QLabel(this);
    who->setObjectName(QString::fromLatin1(whoName));
    when->setMinimumWidth(140);
    row->addWidget(when);
    row->addWidget(new QLabel(QStringLiteral("by:"), this));
    row->addWidget(who, 1);
    return row;
  };
  form->addRow(QStringLiteral("Created:"), stamp(lblCreated, lblCreatedBy, "lblCreated", "lblCreatedBy"));
  form->addRow(QStringLiteral("Modified:"), stamp(lblModified, lblModifiedBy, "lblModified", "lblModifiedBy"));
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { CloseChildWindow(this); });
  connect(edtName, &QLineEdit::returnPressed, this, [this] { Confirm(); });
  layout->addWidget(buttons);
  // A single border: the window keeps its size.
  setFixedSize(420, 330);
}

void TfrmProjectDetail::showEvent(QShowEvent* event) {
  // A single border: no maximise button on the frame's window either.
  // Changed once the frame has shown it, since new flags hide a window.
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && sub->windowFlags() & Qt::WindowMaximizeButtonHint)
    QMetaObject::invokeMethod(
        sub,
        [sub = QPointer<QMdiSubWindow>(sub)] {
          if (!sub) return;
          const bool visible = sub->isVisible();
          sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
          if (visible) sub->show();
        },
        Qt::QueuedConnection);
  QWidget::showEvent(event);
}

void TfrmProjectDetail::Init(int32_t id) {
  ViewID = id;
  cboCustomer->clear();
  for (const std::string& name : CustomerNames()) cboCustomer->addItem(Q(name));
  const int index = Projects.IndexOfID(id);
  if (index < 0) throw TError("Unknown ProjectID!");
  const TRecProject* p = Projects.Items(index);
  setWindowTitle(Q("Project '" + p->Name + "'"));
  edtName->setText(Q(p->Name));
  cboCustomer->setCurrentText(Q(p->Customer));
  mmoComments->setPlainText(Q(EditLines(p->Comments)));
  lblCreated->setText(Q(FormatTimestamp(p->Created)));
  lblCreatedBy->setText(Q(p->CreatedBy));
  lblModified->setText(Q(FormatTimestamp(p->Modified)));
  lblModifiedBy->setText(Q(p->ModifiedBy));
}

void TfrmProjectDetail::Notify(uint8_t code, int32_t id) {
  if (code == nkProjectDeleting && id == ViewID) CloseChildWindow(this);
}

void TfrmProjectDetail::FocusName() {
  edtName->setFocus();
  edtName->selectAll();
}

void TfrmProjectDetail::Confirm() {
  if (Projects.IndexOfID(ViewID) >= 0) {
    const std::string customer = TrimBlanks(S(cboCustomer->currentText()));
    cboCustomer->setCurrentText(Q(customer));
    if (ShouldOfferCustomer(ViewID, customer)) AskToAddCustomer(customer);
    StoreProjectEdit(ViewID, S(edtName->text()), customer, S(mmoComments->toPlainText()));
  }
  CloseChildWindow(this);
}

void TfrmProjectDetail::AskToAddCustomer(const std::string& customer) {
  if (TQtDialogs(this).AskYesNo("Do you want to add this customer to the list?", "New customer: " + customer) !=
      mrYes)
    return;
  AddCustomer(customer);
  NotifyAll(nkCustomersChanged, 0);
}

// ---------------------------------------------------------------- transit selection

TfrmSelectTransits::TfrmSelectTransits(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrmSelectTransits"));
  setWindowTitle(QStringLiteral("Select transits"));
  auto* layout = new QVBoxLayout(this);
  lvwTransits = new QListWidget(this);
  lvwTransits->setObjectName(QStringLiteral("lvwTransits"));
  layout->addWidget(lvwTransits);
  auto* all = new QPushButton(QStringLiteral("Select/deselect all transits"), this);
  all->setObjectName(QStringLiteral("btnSelectAll"));
  all->setAutoDefault(false);
  connect(all, &QPushButton::clicked, this, [this] { ToggleAll(); });
  auto* row = new QHBoxLayout;
  row->addWidget(all);
  row->addStretch();
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  row->addWidget(buttons);
  layout->addLayout(row);
  resize(420, 320);
}

bool TfrmSelectTransits::Execute(int32_t projectId) {
  lvwTransits->clear();
  for (int i = 0; i < Transits.Count(); ++i) {
    const TRecTransit* t = Transits.Items(i);
    if (t->ProjectID != projectId) continue;
    auto* item = new QListWidgetItem(Q(t->Name), lvwTransits);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    item->setData(TListModel::IdRole, t->ID);
  }
  return exec() == QDialog::Accepted;
}

bool TfrmSelectTransits::IsSelected(int32_t transitId) const {
  for (int i = 0; i < lvwTransits->count(); ++i) {
    const QListWidgetItem* item = lvwTransits->item(i);
    if (item->data(TListModel::IdRole).toInt() == transitId) return item->checkState() == Qt::Checked;
  }
  return false;
}

void TfrmSelectTransits::ToggleAll() {
  bool all = true;
  for (int i = 0; i < lvwTransits->count(); ++i) all = all && lvwTransits->item(i)->checkState() == Qt::Checked;
  for (int i = 0; i < lvwTransits->count(); ++i) lvwTransits->item(i)->setCheckState(all ? Qt::Unchecked : Qt::Checked);
}

// ---------------------------------------------------------------- project picker

TfrmSelectProject::TfrmSelectProject(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrmSelectProject"));
  setWindowTitle(QStringLiteral("Select project"));
  auto* layout = new QVBoxLayout(this);
  lvwProjects = NewPickerList(this, "lvwProjects", [this] { Fill(); });
  lvwProjects->setHeaderLabels({QStringLiteral("Name")});
  layout->addWidget(lvwProjects);
  AddOkCancelButtons(this, layout);
  resize(360, 360);
}

void TfrmSelectProject::Fill() {
  struct Line {
    QString name;
    int32_t id;
  };
  std::vector<Line> lines;
  for (int i = 0; i < Projects.Count(); ++i) lines.push_back({Q(Projects.Items(i)->Name), Projects.Items(i)->ID});
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return DesktopCompare(a.name, b.name) < 0; });
  lvwProjects->clear();
  for (const Line& line : lines) {
    auto* item = new QTreeWidgetItem(lvwProjects, {line.name});
    item->setData(0, TListModel::IdRole, line.id);
  }
}

int32_t TfrmSelectProject::Execute() {
  Fill();
  if (lvwProjects->topLevelItemCount() > 0) lvwProjects->setCurrentItem(lvwProjects->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
  if (exec() != QDialog::Accepted) return -1;
  const QList<QTreeWidgetItem*> selected = lvwProjects->selectedItems();
  return selected.isEmpty() ? -1 : selected.first()->data(0, TListModel::IdRole).toInt();
}
