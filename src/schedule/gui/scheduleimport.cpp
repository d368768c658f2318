#include "schedule/gui/scheduleimport.h"

#include <QApplication>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "core/units.h"
#include "core/resize.h"
#include "schedule/gui/schedulepreview.h"
#include "schedule/gui/schedulesummary.h"
#include "store/changes.h"
#include "store/tables.h"

namespace {

TScheduleFileChooser& Chooser() {
  static TScheduleFileChooser chooser;
  return chooser;
}

QString ChooseScheduleFile(QWidget* owner) {
  if (Chooser()) return Chooser()(owner);
  QFileDialog dialog(owner, QStringLiteral("Open cable schedule"),
                     LastFolder(TFolderKind::Schedules,
                                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
  dialog.setNameFilters({QStringLiteral("Cable schedules (*.xlsx *.csv *.tsv *.txt)"),
                         QStringLiteral("Excel workbooks (*.xlsx)"), QStringLiteral("Text files (*.csv *.tsv *.txt)"),
                         QStringLiteral("All files (*)")});
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().constFirst();
  RememberFolder(TFolderKind::Schedules, path);
  return path;
}

// The spreadsheet's name of a column: A, B, ..., Z, AA, ...
QString ColumnName(int column) {
  QString name;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) name.prepend(QLatin1Char(char('A' + (n - 1) % 26)));
  return name;
}

QString DelimiterName(char c) {
  switch (c) {
    case '\t': return QStringLiteral("Tab");
    case ';': return QStringLiteral("Semicolon (;)");
    case ',': return QStringLiteral("Comma (,)");
    case '|': return QStringLiteral("Vertical bar (|)");
    default: return QString::fromLatin1(&c, 1);
  }
}

QString DecimalName(char c) { return c == ',' ? QStringLiteral("Comma (,)") : QStringLiteral("Point (.)"); }

// Selects the item whose data is value; false when there is none.
bool SelectData(QComboBox* combo, const QVariant& value) {
  const int index = combo->findData(value);
  if (index >= 0) combo->setCurrentIndex(index);
  return index >= 0;
}

QComboBox* NewCombo(QWidget* parent, const char* name) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QLatin1String(name));
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(24);
  return combo;
}

QTreeView* NewPreviewView(QWidget* parent, const char* name, QAbstractItemModel* model) {
  auto* view = new QTreeView(parent);
  view->setObjectName(QLatin1String(name));
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setAlternatingRowColors(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Every column as wide as its texts, the view scrolls sideways: nothing
  // is cut, long lists of groups included.
  view->header()->setStretchLastSection(false);
  view->setMinimumSize(360, 110);
  return view;
}

// "Resize new transits to fit": the editor's size search; a transit it
// cannot fit keeps its size, as the command line's resize leaves it.
bool ResizeToFit(TTransit& transit) {
  if (transit.ConduitArea() == 0) return true;
  const TTransit saved = transit;
  if (ResizeSearch(transit)) return true;
  transit = saved;
  return false;
}

}  // namespace

void SetScheduleFileChooser(TScheduleFileChooser chooser) { Chooser() = std::move(chooser); }

TfrmScheduleImport::TfrmScheduleImport(int32_t projectId, TScheduleImportLinks links, QWidget* owner)
    : QDialog(DialogOwner(owner)), ProjectID(projectId), Links(std::move(links)) {
  setObjectName(QStringLiteral("TfrmScheduleImport"));
  const int projectIndex = Projects.IndexOfID(projectId);
  setWindowTitle(projectIndex < 0 ? QStringLiteral("Import cable schedule")
                                  : QStringLiteral("Import cable schedule into project '") +
                                        Q(Projects.Items(projectIndex)->Name) + QLatin1Char('\''));
  TransitModel = new TTransitPreviewModel(this);
  RefusedModel = new TRefusedRowsModel(this);

  // The file, its sheet, delimiter and decimal separator.
  auto* grpFile = new QGroupBox(QStringLiteral("Schedule file"), this);
  grpFile->setObjectName(QStringLiteral("grpFile"));
  auto* file = new QGridLayout(grpFile);
  auto* lblFile = new QLabel(QStringLiteral("Fi&le:"), grpFile);
  edtFile = new QLineEdit(grpFile);
  edtFile->setObjectName(QStringLiteral("edtFile"));
  edtFile->setReadOnly(true);
  edtFile->setPlaceholderText(QStringLiteral("No file chosen"));
  lblFile->setBuddy(edtFile);
  btnBrowse = new QPushButton(QStringLiteral("&Browse..."), grpFile);
  btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
  btnBrowse->setAutoDefault(false);
  file->addWidget(lblFile, 0, 0);
  file->addWidget(edtFile, 0, 1);
  file->addWidget(btnBrowse, 0, 2);
  auto addRow = [&](int row, const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, grpFile);
    label->setBuddy(field);
    file->addWidget(label, row, 0);
    file->addWidget(field, row, 1, 1, 2);
  };
  cmbSheet = NewCombo(grpFile, "cmbSheet");
  addRow(1, QStringLiteral("S&heet:"), cmbSheet);
  cmbDelimiter = NewCombo(grpFile, "cmbDelimiter");
  for (char c : {';', ',', '\t', '|'}) cmbDelimiter->addItem(DelimiterName(c), int(c));
  addRow(2, QStringLiteral("&Delimiter:"), cmbDelimiter);
  cmbDecimal = NewCombo(grpFile, "cmbDecimal");
  for (char c : {'.', ','}) cmbDecimal->addItem(DecimalName(c), int(c));
  addRow(3, QStringLiteral("Decimal se&parator:"), cmbDecimal);
  lblEncoding = new QLabel(grpFile);
  lblEncoding->setObjectName(QStringLiteral("lblEncoding"));
  file->addWidget(lblEncoding, 4, 1, 1, 2);
  file->setColumnStretch(1, 1);

  // The columns.
  auto* grpColumns = new QGroupBox(QStringLiteral("Columns"), this);
  grpColumns->setObjectName(QStringLiteral("grpColumns"));
  auto* columns = new QFormLayout(grpColumns);
  columns->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  cmbTransit = NewCombo(grpColumns, "cmbTransit");
  cmbDiameter = NewCombo(grpColumns, "cmbDiameter");
  cmbUnit = NewCombo(grpColumns, "cmbUnit");
  cmbUnit->addItem(QStringLiteral("mm"), int(luMillimetre));
  cmbUnit->addItem(QStringLiteral("inch"), int(luInch));
  SelectData(cmbUnit, int(CurrentLengthUnit));
  cmbAmount = NewCombo(grpColumns, "cmbAmount");
  cmbTag = NewCombo(grpColumns, "cmbTag");
  cmbType = NewCombo(grpColumns, "cmbType");
  columns->addRow(QStringLiteral("&Transit:"), cmbTransit);
  columns->addRow(QStringLiteral("&Outer diameter:"), cmbDiameter);
  columns->addRow(QStringLiteral("Diameter &unit:"), cmbUnit);
  columns->addRow(QStringLiteral("&Amount:"), cmbAmount);
  columns->addRow(QStringLiteral("Ta&g:"), cmbTag);
  columns->addRow(QStringLiteral("T&ype:"), cmbType);
  FillColumnCombos({});

  // Existing and new transits.
  auto* grpExisting = new QGroupBox(QStringLiteral("Existing transits"), this);
  grpExisting->setObjectName(QStringLiteral("grpExisting"));
  auto* existing = new QVBoxLayout(grpExisting);
  rdoReplace = new QRadioButton(QStringLiteral("&Replace conduit groups"), grpExisting);
  rdoReplace->setObjectName(QStringLiteral("rdoReplace"));
  rdoAdd = new QRadioButton(QStringLiteral("Add to &conduit groups"), grpExisting);
  rdoAdd->setObjectName(QStringLiteral("rdoAdd"));
  rdoReplace->setChecked(true);
  existing->addWidget(rdoReplace);
  existing->addWidget(rdoAdd);

  auto* grpNew = new QGroupBox(QStringLiteral("New transits"), this);
  grpNew->setObjectName(QStringLiteral("grpNew"));
  auto* created = new QFormLayout(grpNew);
  created->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  cmbTemplate = NewCombo(grpNew, "cmbTemplate");
  cmbTemplate->addItem(QStringLiteral("(new-transit defaults)"), 0);
  {
    std::vector<std::pair<QString, int32_t>> templates;
    for (int i = 0; i < Transits.Count(); ++i)
      if (const TRecTransit* t = Transits.Items(i); t->ProjectID == TemplateProjectID)
        templates.emplace_back(Q(t->Name), t->ID);
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(templates.begin(), templates.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    for (const auto& [name, id] : templates) cmbTemplate->addItem(name, id);
  }
  created->addRow(QStringLiteral("Te&mplate:"), cmbTemplate);
  chkResize = new QCheckBox(QStringLiteral("Resize new transits to &fit"), grpNew);
  chkResize->setObjectName(QStringLiteral("chkResize"));
  created->addRow(chkResize);

  // The preview.
  auto* grpPreview = new QGroupBox(QStringLiteral("Preview"), this);
  grpPreview->setObjectName(QStringLiteral("grpPreview"));
  auto* preview = new QVBoxLayout(grpPreview);
  auto* lblTransits = new QLabel(QStringLiteral("Tra&nsits to create or update:"), grpPreview);
  lvwTransits = NewPreviewView(grpPreview, "lvwTransits", TransitModel);
  lblTransits->setBuddy(lvwTransits);
  auto* lblRefused = new QLabel(QStringLiteral("Refused ro&ws:"), grpPreview);
  lvwRefused = NewPreviewView(grpPreview, "lvwRefused", RefusedModel);
  lblRefused->setBuddy(lvwRefused);
  lblTotals = new QLabel(grpPreview);
  lblTotals->setObjectName(QStringLiteral("lblTotals"));
  preview->addWidget(lblTransits);
  preview->addWidget(lvwTransits, 3);
  preview->addWidget(lblRefused);
  preview->addWidget(lvwRefused, 2);
  preview->addWidget(lblTotals);

  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setWordWrap(true);
  lblStatus->setTextFormat(Qt::PlainText);
  btnImport = new QPushButton(QStringLiteral("&Import"), this);
  btnImport->setObjectName(QStringLiteral("btnImport"));
  btnImport->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setAutoDefault(false);

  auto* left = new QVBoxLayout;
  left->addWidget(grpFile);
  left->addWidget(grpColumns);
  left->addWidget(grpExisting);
  left->addWidget(grpNew);
  left->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addWidget(grpPreview, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblStatus, 1);
  bottom->addWidget(btnImport);
  bottom->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(bottom);

  QWidget* order[] = {edtFile,  btnBrowse,  cmbSheet, cmbDelimiter, cmbDecimal,  cmbTransit,
                      cmbDiameter, cmbUnit, cmbAmount, cmbTag,      cmbType,      rdoReplace,
                      rdoAdd,   cmbTemplate, chkResize, lvwTransits, lvwRefused,  btnImport, btnCancel};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(btnBrowse, &QPushButton::clicked, this, &TfrmScheduleImport::Browse);
  connect(btnImport, &QPushButton::clicked, this, &TfrmScheduleImport::Import);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(cmbSheet, &QComboBox::activated, this, [this] { Read(FilePath, false); });
  connect(cmbDelimiter, &QComboBox::activated, this, [this] { Read(FilePath, false); });
  connect(cmbDecimal, &QComboBox::activated, this, [this] {
    DecimalChosen = true;
    Replan();
  });
  for (QComboBox* combo : {cmbTransit, cmbDiameter, cmbUnit, cmbAmount, cmbTag, cmbType})
    connect(combo, &QComboBox::currentIndexChanged, this, &TfrmScheduleImport::Replan);
  connect(rdoReplace, &QRadioButton::toggled, this, [this] { TransitModel->SetPlan(&CurrentPlan, rdoReplace->isChecked()); });

  ShowTable(false);
  btnBrowse->setFocus();
  const QSize wanted(980, 660);
  const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1600, 1000);
  resize(std::min(wanted.width(), screen.width()), std::min(wanted.height(), screen.height()));
}

TfrmScheduleImport::~TfrmScheduleImport() = default;

void TfrmScheduleImport::Browse() {
  const QString path = ChooseScheduleFile(this);
  if (!path.isEmpty()) OpenFile(path);
}

bool TfrmScheduleImport::OpenFile(const QString& path) { return Read(path, true); }

bool TfrmScheduleImport::Read(const QString& path, bool fresh) {
  if (path.isEmpty()) return false;
  TScheduleReadOptions options;
  if (!fresh) {
    if (cmbSheet->isEnabled()) options.Sheet = S(cmbSheet->currentText());
    if (cmbDelimiter->isEnabled()) options.Text.Delimiter = char(cmbDelimiter->currentData().toInt());
  }
  TScheduleTable table;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    table = ReadScheduleFile(S(path), options);
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    ShowErrorBox(this, "Cannot read the cable schedule " + S(path) + ":", e.what());
    ShowTable(true);  // the choices back as they were
    return false;
  }
  QApplication::restoreOverrideCursor();
  const bool sameHeader = HaveTable && ScheduleHeader(table) == Header;
  if (fresh) {
    DetectedDelimiter = table.DelimiterDetected ? table.Delimiter : 0;
    DetectedDecimal = table.DecimalDetected ? table.DecimalSeparator : 0;
    DecimalChosen = false;
  }
  Table = std::move(table);
  HaveTable = true;
  FilePath = path;
  ShowTable(sameHeader);
  return true;
}

void TfrmScheduleImport::ShowTable(bool keepColumns) {
  {
    const QSignalBlocker blockSheet(cmbSheet), blockDelimiter(cmbDelimiter), blockDecimal(cmbDecimal);
    edtFile->setText(QDir::toNativeSeparators(FilePath));
    edtFile->setCursorPosition(edtFile->text().size());  // the file's name in sight
    cmbSheet->clear();
    for (const std::string& name : Table.SheetNames) cmbSheet->addItem(Q(name));
    cmbSheet->setCurrentIndex(cmbSheet->findText(Q(Table.SheetName)));
    cmbSheet->setEnabled(HaveTable && !Table.SheetNames.empty());

    for (int i = 0; i < cmbDelimiter->count(); ++i) {
      const char c = char(cmbDelimiter->itemData(i).toInt());
      cmbDelimiter->setItemText(i, DelimiterName(c) + (c == DetectedDelimiter ? QStringLiteral(" - detected") : QString()));
    }
    cmbDelimiter->setEnabled(HaveTable && Table.Delimiter != 0);
    if (!cmbDelimiter->isEnabled() || !SelectData(cmbDelimiter, int(Table.Delimiter))) cmbDelimiter->setCurrentIndex(-1);

    for (int i = 0; i < cmbDecimal->count(); ++i) {
      const char c = char(cmbDecimal->itemData(i).toInt());
      cmbDecimal->setItemText(i, DecimalName(c) + (c == DetectedDecimal ? QStringLiteral(" - detected") : QString()));
    }
    cmbDecimal->setEnabled(HaveTable);
    if (!DecimalChosen) SelectData(cmbDecimal, int(Table.DecimalSeparator));

    if (!HaveTable) lblEncoding->clear();
    else if (Table.Encoding == "xlsx")
      lblEncoding->setText(QStringLiteral("Excel workbook, ") + QString::number(Table.SheetNames.size()) +
                           (Table.SheetNames.size() == 1 ? QStringLiteral(" sheet") : QStringLiteral(" sheets")));
    else
      lblEncoding->setText(QStringLiteral("Text in ") + Q(Table.Encoding));
  }
  if (!keepColumns || Header != ScheduleHeader(Table)) {
    Header = ScheduleHeader(Table);
    FillColumnCombos(SuggestScheduleColumns(Header));
  }
  Replan();
}

void TfrmScheduleImport::FillColumnCombos(const TScheduleColumns& columns) {
  const std::pair<QComboBox*, int> combos[] = {{cmbTransit, columns.Transit}, {cmbDiameter, columns.Diameter},
                                               {cmbAmount, columns.Amount},   {cmbTag, columns.Tag},
                                               {cmbType, columns.Type}};
  for (const auto& [combo, column] : combos) {
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItem(QStringLiteral("(none)"), -1);
    for (size_t i = 0; i < Header.size(); ++i) {
      QString text = Q(Header[i]).simplified();
      if (text.size() > 40) text = text.left(39) + QChar(0x2026);
      combo->addItem(ColumnName(int(i)) + QStringLiteral(": ") + text, int(i));
    }
    if (!SelectData(combo, column)) combo->setCurrentIndex(0);
    combo->setEnabled(!Header.empty());
  }
}

TScheduleOptions TfrmScheduleImport::Options() const {
  TScheduleOptions options;
  options.Columns.Transit = cmbTransit->currentData().toInt();
  options.Columns.Diameter = cmbDiameter->currentData().toInt();
  options.Columns.Amount = cmbAmount->currentData().toInt();
  options.Columns.Tag = cmbTag->currentData().toInt();
  options.Columns.Type = cmbType->currentData().toInt();
  options.Unit = TLengthUnit(cmbUnit->currentData().toInt());
  options.Decimal = char(cmbDecimal->currentData().toInt());
  options.ProjectID = ProjectID;
  return options;
}

void TfrmScheduleImport::Replan() {
  PlanValid = false;
  CurrentPlan = {};
  QString problem;
  if (!HaveTable) {
    ShowStatus(QStringLiteral("Choose the schedule file with \"Browse...\"."), false);
  } else if (Header.empty()) {
    problem = QStringLiteral("The schedule has no rows.");
  } else {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
      CurrentPlan = PlanSchedule(Table, Options());
      PlanValid = true;
    } catch (const std::exception& e) {
      problem = QString::fromUtf8(e.what()) + QLatin1Char('.');
    }
    QApplication::restoreOverrideCursor();
  }
  TransitModel->SetPlan(&CurrentPlan, rdoReplace->isChecked());
  RefusedModel->SetPlan(&CurrentPlan);
  for (QTreeView* view : {lvwTransits, lvwRefused})
    for (int column = 0; column < view->model()->columnCount(); ++column) view->resizeColumnToContents(column);
  lblTotals->setText(QStringLiteral("Cables read: %1     Cables imported: %2     Rows refused: %3")
                         .arg(CurrentPlan.CablesRead)
                         .arg(CurrentPlan.CablesImported)
                         .arg(CurrentPlan.RowsRefused));
  if (PlanValid && CurrentPlan.Transits.empty()) problem = QStringLiteral("No row can be imported.");
  if (HaveTable) ShowStatus(problem, !problem.isEmpty());
  btnImport->setEnabled(PlanValid && !CurrentPlan.Transits.empty());
}

void TfrmScheduleImport::ShowStatus(const QString& text, bool problem) {
  lblStatus->setText(text);
  QPalette palette = this->palette();
  if (problem) palette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
  lblStatus->setPalette(palette);
}

void TfrmScheduleImport::Import() {
  if (!PlanValid || CurrentPlan.Transits.empty()) return;
  if (Links.EditorOpen) {
    QStringList open;
    for (const TPlannedTransit& t : CurrentPlan.Transits)
      if (t.ExistingID != 0 && Links.EditorOpen(t.ExistingID)) open << Q(t.Name);
    if (!open.isEmpty()) {
      if (open.size() > 10) open = open.mid(0, 10) << QStringLiteral("...");
      TQtDialogs(this).ShowMessage(
          "These transits are open in an editor. Close them before the import:\r" + S(open.join(QLatin1Char('\r'))),
          S(windowTitle()));
      return;
    }
  }

  TApplyOptions apply;
  apply.ReplaceGroups = rdoReplace->isChecked();
  apply.TemplateID = cmbTemplate->currentData().toInt();
  if (chkResize->isChecked()) {
    apply.Resize = ResizeToFit;
    // Transits are independent: each is resized on its own model.
    apply.Threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  }
  QProgressDialog progress(QStringLiteral("Importing the cable schedule..."), QStringLiteral("Cancel"), 0,
                           static_cast<int>(CurrentPlan.Transits.size()), this);
  progress.setObjectName(QStringLiteral("dlgProgress"));
  progress.setWindowTitle(windowTitle());
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setValue(0);
  apply.Progress = [&](int done, int total) {
    if (progress.maximum() != total) progress.setMaximum(total);
    progress.setValue(done);
  };
  apply.Cancelled = [&] {
    QApplication::processEvents();
    return progress.wasCanceled();
  };
  TApplyResult result;
  try {
    result = ApplySchedulePlan(CurrentPlan, ProjectID, apply);
  } catch (const std::exception& e) {
    progress.close();
    ShowFailure(this, e);
    Replan();
    return;
  }
  progress.close();
  if (result.Cancelled) {
    ShowStatus(QStringLiteral("The import was cancelled; nothing was changed."), false);
    return;
  }

  // One change: the windows are told, and the data file is written once.
  if (Links.Applied) Links.Applied(result);
  if (std::any_of(result.Transits.begin(), result.Transits.end(), [](const TAppliedTransit& t) { return t.Changed; }))
    TablesChanged();
  SummaryWindow = new TfrmScheduleSummary(result, parentWidget());
  SummaryWindow->show();
  accept();
}
