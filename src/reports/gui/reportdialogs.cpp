#include "reports/gui/reportdialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "reports/gui/reportdelivery.h"
#include "reports/report.h"
#include "reports/spreadsheet.h"
#include "store/tables.h"

namespace {
QRadioButton* Radio(QWidget* parent, QLayout* layout, const char* name, const char* text) {
  auto* b = new QRadioButton(QString::fromLatin1(text), parent);
  b->setObjectName(QLatin1String(name));
  layout->addWidget(b);
  return b;
}
QPushButton* Button(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(QString::fromLatin1(text), parent);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}
}  // namespace

TfrmReportBase::TfrmReportBase(QWidget* parent) : QDialog(DialogOwner(parent)) {
  grpTransitImages = new QGroupBox(QStringLiteral("Transit images"), this);
  grpTransitImages->setObjectName(QStringLiteral("grpTransitImages"));
  auto* images = new QVBoxLayout(grpTransitImages);
  rdoNoImages = Radio(grpTransitImages, images, "rdoNoImages", "No images");
  rdoSmall = Radio(grpTransitImages, images, "rdoSmall", "Small");
  rdoMedium = Radio(grpTransitImages, images, "rdoMedium", "Medium");
  rdoLarge = Radio(grpTransitImages, images, "rdoLarge", "Large");
  images->addStretch();
  rdoMedium->setChecked(true);

  grpCreateReport = new QGroupBox(QStringLiteral("Create report"), this);
  grpCreateReport->setObjectName(QStringLiteral("grpCreateReport"));
  auto* create = new QVBoxLayout(grpCreateReport);
  btnShowReport = Button(grpCreateReport, "btnShowReport", "Show report");
  btnShowReport->setDefault(true);
  create->addWidget(btnShowReport);
  rdoInternalViewer = Radio(grpCreateReport, create, "rdoInternalViewer", "use internal reportviewer");
  rdoExternalViewer = Radio(grpCreateReport, create, "rdoExternalViewer", "use Word or other RTF-viewer");
  btnSpreadsheet = Button(grpCreateReport, "btnSpreadsheet", "Spreadsheet (.xlsx / .csv)...");
  create->addWidget(btnSpreadsheet);
  create->addStretch();
  rdoInternalViewer->setChecked(true);

  btnClose = Button(this, "btnClose", "Close");
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnShowReport, &QPushButton::clicked, this, &TfrmReportBase::ShowReport);
  connect(btnSpreadsheet, &QPushButton::clicked, this, &TfrmReportBase::SaveSpreadsheet);
}

int TfrmReportBase::ImageSize() const {
  if (rdoNoImages->isChecked()) return risNone;
  if (rdoSmall->isChecked()) return risSmall;
  if (rdoLarge->isChecked()) return risLarge;
  return risMedium;
}

bool TfrmReportBase::External() const { return rdoExternalViewer->isChecked(); }

void TfrmReportBase::ShowReport() {
  std::string rtf;
  TReportSheets sheets;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    rtf = BuildReport(ImageSize(), &sheets);
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    TQtDialogs(this).ShowMessage(e.what(), S(windowTitle()));
    return;
  }
  QApplication::restoreOverrideCursor();
  if (DeliverReport(rtf, External(), this, &sheets)) accept();
}

void TfrmReportBase::SaveSpreadsheet() {
  TReportSheets sheets;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    BuildReport(risNone, &sheets);  // the figures only: no pictures
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    TQtDialogs(this).ShowMessage(e.what(), S(windowTitle()));
    return;
  }
  QApplication::restoreOverrideCursor();
  if (::SaveSpreadsheet(sheets, this)) accept();
}

TfrmTransitReport::TfrmTransitReport(const TTransit& transit, QWidget* parent)
    : TfrmReportBase(parent), Transit(transit) {
  setObjectName(QStringLiteral("TfrmTransitReport"));
  setWindowTitle(QStringLiteral("Material-report for transit"));
  auto* layout = new QGridLayout(this);
  layout->addWidget(grpTransitImages, 0, 0);
  layout->addWidget(grpCreateReport, 0, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClose);
  layout->addLayout(buttons, 1, 0, 1, 2);
  setTabOrder(rdoMedium, btnShowReport);
  setTabOrder(btnShowReport, rdoInternalViewer);
  setTabOrder(rdoInternalViewer, btnSpreadsheet);
  setTabOrder(btnSpreadsheet, btnClose);
  btnShowReport->setFocus();
}

std::string TfrmTransitReport::BuildReport(int imageSize, TReportSheets* sheets) {
  TTransit copy = Transit;  // the report sorts the conduit groups
  return BuildTransitReport(copy, imageSize, sheets);
}

TfrmProjectReport::TfrmProjectReport(int32_t projectId, QWidget* parent)
    : TfrmReportBase(parent), ProjectId(projectId) {
  setObjectName(QStringLiteral("TfrmProjectReport"));
  setWindowTitle(QStringLiteral("Material-report for project"));

  grpOptions = new QGroupBox(QStringLiteral("Options"), this);
  grpOptions->setObjectName(QStringLiteral("grpOptions"));
  auto* options = new QVBoxLayout(grpOptions);
  rdoOnlyTotals = Radio(grpOptions, options, "rdoOnlyTotals", "Only totals");
  rdoOnlyTransits = Radio(grpOptions, options, "rdoOnlyTransits", "Only transits");
  rdoTotalsAndTransits = Radio(grpOptions, options, "rdoTotalsAndTransits", "Totals and transits");
  options->addStretch();
  rdoTotalsAndTransits->setChecked(true);

  grpSelectTransits = new QGroupBox(QStringLiteral("Select transits"), this);
  grpSelectTransits->setObjectName(QStringLiteral("grpSelectTransits"));
  auto* select = new QVBoxLayout(grpSelectTransits);
  lvwTransits = new QTreeWidget(grpSelectTransits);
  lvwTransits->setObjectName(QStringLiteral("lvwTransits"));
  lvwTransits->setColumnCount(2);
  lvwTransits->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("ID")});
  lvwTransits->setHeaderHidden(true);
  lvwTransits->setColumnHidden(1, true);
  lvwTransits->setRootIsDecorated(false);
  lvwTransits->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwTransits->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvwTransits->setMinimumSize(260, 180);
  for (const int32_t id : ProjectTransitIds(projectId)) {
    auto* item = new QTreeWidgetItem(lvwTransits);
    item->setText(0, Q(Transits.Items(Transits.IndexOfID(id))->Name));
    item->setText(1, QString::number(id));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Checked);
  }
  if (lvwTransits->topLevelItemCount() > 0) lvwTransits->setCurrentItem(lvwTransits->topLevelItem(0));
  select->addWidget(lvwTransits);
  btnSelectAll = Button(grpSelectTransits, "btnSelectAll", "Select/deselect all transits");
  connect(btnSelectAll, &QPushButton::clicked, this, &TfrmProjectReport::SelectDeselectAll);
  select->addWidget(btnSelectAll, 0, Qt::AlignLeft);

  auto* layout = new QGridLayout(this);
  layout->addWidget(grpSelectTransits, 0, 0, 3, 1);
  layout->addWidget(grpOptions, 0, 1);
  layout->addWidget(grpTransitImages, 1, 1);
  layout->addWidget(grpCreateReport, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClose);
  layout->addLayout(buttons, 3, 0, 1, 2);
  layout->setColumnStretch(0, 1);
  setTabOrder(lvwTransits, btnSelectAll);
  setTabOrder(btnSelectAll, rdoTotalsAndTransits);
  setTabOrder(rdoTotalsAndTransits, rdoMedium);
  setTabOrder(rdoMedium, btnShowReport);
  setTabOrder(btnShowReport, rdoInternalViewer);
  setTabOrder(rdoInternalViewer, btnSpreadsheet);
  setTabOrder(btnSpreadsheet, btnClose);
  lvwTransits->setFocus();
}

void TfrmProjectReport::SelectDeselectAll() {
  const int count = lvwTransits->topLevelItemCount();
  bool all = true;
  for (int i = 0; i < count; ++i) all = all && lvwTransits->topLevelItem(i)->checkState(0) == Qt::Checked;
  for (int i = 0; i < count; ++i) lvwTransits->topLevelItem(i)->setCheckState(0, all ? Qt::Unchecked : Qt::Checked);
}

std::string TfrmProjectReport::BuildReport(int imageSize, TReportSheets* sheets) {
  std::vector<int32_t> checked;
  for (int i = 0; i < lvwTransits->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = lvwTransits->topLevelItem(i);
    if (item->checkState(0) == Qt::Checked) checked.push_back(item->text(1).toInt());
  }
  const TProjectReportContents contents = rdoOnlyTotals->isChecked()     ? prcTotals
                                          : rdoOnlyTransits->isChecked() ? prcTransits
                                                                         : prcBoth;
  return BuildProjectReport(ProjectId, checked, imageSize, contents, sheets);
}
