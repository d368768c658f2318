#include "app/gui/listwindow.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QCollator>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/gui/columnchooser.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "store/config.h"

// ---------------------------------------------------------------- model

TListModel::TListModel(std::vector<TListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), ColumnList(std::move(columns)) {}

int TListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(Rows.size()); }
int TListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(ColumnList.size()); }

QVariant TListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(Rows.size()) || index.column() >= int(ColumnList.size())) return {};
  const TListRow& row = Rows[size_t(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return size_t(index.column()) < row.Texts.size() ? Q(row.Texts[size_t(index.column())]) : QString();
    case Qt::TextAlignmentRole:
      return ColumnList[size_t(index.column())].Numeric ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                          : int(Qt::AlignLeft | Qt::AlignVCenter);
    case IdRole: return row.ID;
    default: return {};
  }
}

QVariant TListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= int(ColumnList.size())) return {};
  if (role == Qt::DisplayRole) return Q(ColumnList[size_t(section)].Caption);
  if (role == Qt::TextAlignmentRole)
    return ColumnList[size_t(section)].Numeric ? int(Qt::AlignRight | Qt::AlignVCenter)
                                               : int(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

void TListModel::SetRows(std::vector<TListRow> rows) {
  beginResetModel();
  Rows = std::move(rows);
  endResetModel();
}

int TListModel::RowOfID(int32_t id) const {
  for (size_t i = 0; i < Rows.size(); ++i)
    if (Rows[i].ID == id) return int(i);
  return -1;
}

int32_t TListModel::IDOfRow(int row) const {
  return row >= 0 && row < int(Rows.size()) ? Rows[size_t(row)].ID : -1;
}

// ---------------------------------------------------------------- window

TListWindow::TListWindow(TListKind kind, const QString& objectName) : Kind(kind) {
  setObjectName(objectName);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  Header = new QLabel(this);
  Header->setObjectName(QStringLiteral("lblHeader"));
  QFont font = Header->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.3);
  Header->setFont(font);
  layout->addWidget(Header);

  Model = new TListModel(ListColumns(kind), this);
  List = new QTreeView(this);
  List->setObjectName(kind == lkProjects    ? QStringLiteral("lvwProjects")
                      : kind == lkCustomers ? QStringLiteral("lvwCustomers")
                      : kind == lkTransits  ? QStringLiteral("lvwTransits")
                                            : QStringLiteral("lvwTemplates"));
  List->setModel(Model);
  List->setRootIsDecorated(false);
  List->setUniformRowHeights(true);
  List->setItemsExpandable(false);
  List->setAllColumnsShowFocus(true);
  List->setSelectionBehavior(QAbstractItemView::SelectRows);
  List->setSelectionMode(QAbstractItemView::SingleSelection);
  List->setEditTriggers(QAbstractItemView::NoEditTriggers);
  List->header()->setStretchLastSection(false);
  List->header()->setSectionsClickable(true);
  List->header()->setSectionsMovable(false);
  List->header()->setSortIndicatorShown(true);
  List->header()->setSortIndicator(0, Qt::AscendingOrder);
  for (int i = 0; i < int(Model->Columns().size()); ++i)
    List->header()->resizeSection(i, Model->Columns()[size_t(i)].DefaultWidth);
  connect(List->header(), &QHeaderView::sectionClicked, this, [this](int column) { ClickColumn(column); });
  AutoWidth.assign(Model->Columns().size(), true);
  // A column the user sizes keeps that width from then on.
  connect(List->header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    if (!Fitting && width > 0 && column >= 0 && column < int(AutoWidth.size())) AutoWidth[size_t(column)] = false;
  });
  // A double click or Enter on a line opens it.
  connect(List, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) Open(Model->IDOfRow(index.row()));
  });
  for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
    auto* enter = new QShortcut(QKeySequence(key), List, nullptr, nullptr, Qt::WidgetShortcut);
    connect(enter, &QShortcut::activated, this, [this] {
      if (SelectedID() != -1) Open(SelectedID());
    });
  }
  layout->addWidget(List, 1);

  Buttons = new QHBoxLayout;
  Buttons->setSpacing(6);
  layout->addLayout(Buttons);
}

TListWindow::~TListWindow() { StoreColumnWidths(); }

void TListWindow::AddImageButtons(std::function<void()> add, std::function<void()> remove) {
  QPushButton* a = AddButton("btnAdd", {}, std::move(add), QStringLiteral(":/images/add.svg"));
  a->setToolTip(QStringLiteral("Add (Ins)"));
  QPushButton* d = AddButton("btnDelete", {}, std::move(remove), QStringLiteral(":/images/delete.svg"));
  d->setToolTip(QStringLiteral("Delete (Del)"));
  auto* insert = new QShortcut(QKeySequence(Qt::Key_Insert), List, nullptr, nullptr, Qt::WidgetShortcut);
  connect(insert, &QShortcut::activated, a, &QPushButton::click);
  auto* del = new QShortcut(QKeySequence::Delete, List, nullptr, nullptr, Qt::WidgetShortcut);
  connect(del, &QShortcut::activated, d, &QPushButton::click);
}

QPushButton* TListWindow::AddButton(const char* name, const QString& caption, std::function<void()> action,
                                    const QString& icon) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  if (!icon.isEmpty()) {
    // Until the images are there, a sign stands in.
    if (QFile::exists(icon)) button->setIcon(QIcon(icon));
    else button->setText(icon.contains(QLatin1String("add")) ? QStringLiteral("+") : QStringLiteral("\u2212"));
    button->setIconSize(QSize(20, 20));
    button->setFixedWidth(36);
    button->setAccessibleName(QString::fromLatin1(name).mid(3));
  }
  connect(button, &QPushButton::clicked, this, [action] { action(); });
  Buttons->addWidget(button);
  return button;
}

void TListWindow::Refresh(int32_t selectId) {
  std::vector<TListRow> rows = ListRows(Kind, SortColumn, ViewID);
  SortListRows(rows, SortDirection);
  Model->SetRows(std::move(rows));
  List->header()->setSortIndicator(SortColumn, SortDirection < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
  FitColumns();
  SelectID(selectId);
}

void TListWindow::FitColumns() {
  QHeaderView* header = List->header();
  Fitting = true;
  for (int i = 0; i < int(Model->Columns().size()); ++i) {
    if (!AutoWidth[size_t(i)] || header->isSectionHidden(i)) continue;
    int texts = header->sectionSizeHint(i);
    const QFontMetrics metrics(List->font());
    const int rows = std::min(Model->rowCount(), 5000);  // enough to see the longest
    for (int row = 0; row < rows; ++row)
      texts = std::max(texts, metrics.horizontalAdvance(Model->data(Model->index(row, i), Qt::DisplayRole).toString()) +
                                  2 * List->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, List) + 8);
    const int width = std::clamp(texts + 4, Model->Columns()[size_t(i)].DefaultWidth, 480);
    if (header->sectionSize(i) != width) header->resizeSection(i, width);
  }
  Fitting = false;
}

int32_t TListWindow::SelectedID() const {
  const QModelIndexList rows = List->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : Model->IDOfRow(rows.first().row());
}

void TListWindow::SelectID(int32_t id) {
  const int row = id == -1 ? -1 : Model->RowOfID(id);
  if (row < 0) {
    List->clearSelection();
    return;
  }
  const QModelIndex index = Model->index(row, 0);
  List->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  List->scrollTo(index);
}

void TListWindow::ClickColumn(int column) {
  ClickListColumn(column, SortColumn, SortDirection);
  Refresh(-1);
}

void TListWindow::ApplyColumnLayout() {
  std::string* text = ColumnLayoutText(Kind);
  if (!text) return;
  std::vector<int> defaults;
  for (const TListColumn& c : Model->Columns()) defaults.push_back(c.DefaultWidth);
  const std::vector<int> widths = ColumnWidthsFromLayout(*text, defaults);
  // A column without a stored width of its own (or stored at its default)
  // follows its texts.
  const std::vector<int> stored = ColumnWidthsFromLayout(*text, std::vector<int>(defaults.size(), -1));
  Fitting = true;
  for (int i = 0; i < int(widths.size()); ++i) {
    AutoWidth[size_t(i)] = stored[size_t(i)] == -1 || stored[size_t(i)] == defaults[size_t(i)];
    List->header()->setSectionHidden(i, widths[size_t(i)] == 0);
    if (widths[size_t(i)] > 0) List->header()->resizeSection(i, widths[size_t(i)]);
  }
  Fitting = false;
  FitColumns();
}

void TListWindow::StoreColumnWidths() {
  std::string* text = ColumnLayoutText(Kind);
  if (!text) return;
  std::vector<int> widths;
  // Columns that follow their texts keep no width of their own.
  for (int i = 0; i < int(Model->Columns().size()); ++i)
    widths.push_back(List->header()->isSectionHidden(i) || AutoWidth[size_t(i)] ? 0 : List->header()->sectionSize(i));
  StoreColumnWidthsInLayout(*text, widths);
}

void TListWindow::ChooseColumns() {
  std::string* text = ColumnLayoutText(Kind);
  if (!text) return;
  StoreColumnWidths();
  std::vector<std::string> captions;
  std::vector<int> widths;
  for (int i = 0; i < int(Model->Columns().size()); ++i) {
    captions.push_back(Model->Columns()[size_t(i)].Caption);
    widths.push_back(List->header()->isSectionHidden(i) ? 0 : List->header()->sectionSize(i));
  }
  TfrmColumnChooser chooser(DialogOwner(this));
  chooser.Init(captions, widths);
  if (chooser.exec() != QDialog::Accepted) return;
  SetShownColumnsInLayout(*text, chooser.Result());
  ApplyColumnLayout();
}

QSize TListWindow::sizeHint() const {
  int columns = 0;
  for (int i = 0; i < int(Model->Columns().size()); ++i)
    if (!List->header()->isSectionHidden(i)) columns += List->header()->sectionSize(i);
  const int frame = 2 * List->frameWidth() + List->verticalScrollBar()->sizeHint().width() + 16 + 4;
  const int buttons = Buttons->sizeHint().width() + 16;
  return QSize(std::clamp(std::max(columns + frame, buttons), minimumWidth(), 1000), std::max(360, minimumHeight()));
}

void TListWindow::closeEvent(QCloseEvent* event) {
  StoreColumnWidths();
  QWidget::closeEvent(event);
}

void TListWindow::Message(const std::string& text) { TQtDialogs(this).ShowMessage(text, {}); }

bool TListWindow::Confirm(const std::string& text) {
  return TQtDialogs(this).AskYesNo(text, S(QApplication::applicationDisplayName())) == mrYes;
}

// ---------------------------------------------------------------- helpers

void CloseChildWindow(QWidget* window) {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) sub->close();
  else window->close();
}

namespace {
TFileDialog& InstalledDialog() {
  static TFileDialog dialog;
  return dialog;
}

// A proposed file name without characters that cannot be in one.
QString SafeFileName(QString name) {
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  return name.trimmed();
}
}  // namespace

void SetFileDialog(TFileDialog dialog) { InstalledDialog() = std::move(dialog); }

QString ChooseFile(QWidget* owner, bool save, const QString& proposedName, const QString& filter,
                   const QString& suffix) {
  if (InstalledDialog()) return InstalledDialog()(owner, save, proposedName, filter, suffix);
  QFileDialog dialog(DialogOwner(owner));
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(suffix);
  dialog.setDirectory(LastFolder(TFolderKind::Exports));
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!proposedName.isEmpty()) dialog.selectFile(SafeFileName(proposedName));
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = QDir::toNativeSeparators(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath());
  RememberFolder(TFolderKind::Exports, path);
  return path;
}

int DesktopCompare(const QString& a, const QString& b) {
  static const QCollator collator = [] {
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English);
    QCollator c(locale);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator.compare(a, b);
}

void AddOkCancelButtons(QDialog* dialog, QBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(dialog);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
}

QTreeWidget* NewPickerList(QDialog* dialog, const char* objectName, std::function<void()> refill) {
  auto* list = new QTreeWidget(dialog);
  list->setObjectName(QString::fromLatin1(objectName));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->header()->setSectionsClickable(true);
  QObject::connect(list->header(), &QHeaderView::sectionClicked, dialog, [refill] { refill(); });
  QObject::connect(list, &QTreeWidget::itemDoubleClicked, dialog, [dialog](QTreeWidgetItem* item) {
    if (item && item->isSelected()) dialog->accept();
  });
  return list;
}
