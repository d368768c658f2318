#include "app/gui/preferences.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/mdichild.h"
#include "platform/paths.h"
#include "core/units.h"
#include "platform/gui/qtext.h"
#include "store/config.h"
#include "store/settings.h"
#include "platform/gui/textguard.h"

namespace {

QString JoinLines(const std::vector<std::string>& lines) {
  QStringList list;
  for (const std::string& line : lines) list << Q(line);
  return list.join(QLatin1Char('\n'));
}

// The lines of a memo; a final line break adds no empty line.
std::vector<std::string> MemoLines(const QPlainTextEdit* memo) {
  QStringList list = memo->toPlainText().split(QLatin1Char('\n'));
  if (!list.isEmpty() && list.last().isEmpty()) list.removeLast();
  std::vector<std::string> lines;
  for (const QString& line : list) lines.push_back(S(line));
  return lines;
}

QPlainTextEdit* Memo(const char* name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setTabChangesFocus(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 5 + 12);
  GuardWindows1252(memo);
  return memo;
}

QCheckBox* Check(const char* name, const char* caption, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

}  // namespace

TfrmPreferences::TfrmPreferences(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmPreferences"));
  setWindowTitle(QStringLiteral("Preferences"));
  // A fixed border with a close button only: no minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* company = new QGroupBox(QStringLiteral("Company"), this);
  mmoCompany = Memo("mmoCompany", company);
  (new QVBoxLayout(company))->addWidget(mmoCompany);

  auto* distributor = new QGroupBox(QStringLiteral("Distributor"), this);
  mmoDistributor = Memo("mmoDistributor", distributor);
  (new QVBoxLayout(distributor))->addWidget(mmoDistributor);

  auto* screen = new QGroupBox(QStringLiteral("Transit screen"), this);
  chkAntiAliasing = Check("chkAntiAliasing", "Anti-aliasing", screen);
  chkShowGrid = Check("chkShowGrid", "Show Grid", screen);
  chkBlinkWarning = Check("chkBlinkWarning", "Blinking warnings", screen);
  chkFixedWindow = Check("chkFixedWindow", "Fixed windowsize", screen);
  auto* screenLayout = new QVBoxLayout(screen);
  for (QWidget* w : {static_cast<QWidget*>(chkAntiAliasing), static_cast<QWidget*>(chkShowGrid),
                     static_cast<QWidget*>(chkBlinkWarning), static_cast<QWidget*>(chkFixedWindow)})
    screenLayout->addWidget(w);
  screenLayout->addStretch();

  auto* unit = new QGroupBox(QStringLiteral("Measurement unit"), this);
  rdoImperial = new QRadioButton(QStringLiteral("inch"), unit);
  rdoImperial->setObjectName(QStringLiteral("rdoImperial"));
  rdoMetric = new QRadioButton(QStringLiteral("millimeter"), unit);
  rdoMetric->setObjectName(QStringLiteral("rdoMetric"));
  auto* unitLayout = new QVBoxLayout(unit);
  unitLayout->addWidget(rdoImperial);
  unitLayout->addWidget(rdoMetric);
  unitLayout->addStretch();

  auto* general = new QGroupBox(QStringLiteral("General"), this);
  chkSaveWindowPositionsOnExit = Check("chkSaveWindowPositionsOnExit", "Reopen windows from last session", general);
  // Shown: it switches the silent update check at start.
  chkAutoUpdate = Check("chkAutoUpdate", "Check automatically for updates", general);
  auto* generalLayout = new QVBoxLayout(general);
  generalLayout->addWidget(chkSaveWindowPositionsOnExit);
  generalLayout->addWidget(chkAutoUpdate);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttons"));
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout(this);
  grid->addWidget(company, 0, 0);
  grid->addWidget(distributor, 0, 1);
  grid->addWidget(screen, 1, 0);
  grid->addWidget(unit, 1, 1);
  grid->addWidget(general, 2, 0, 1, 2);
  grid->addWidget(buttons, 3, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);  // a single border
  mmoCompany->setMinimumWidth(260);
  mmoDistributor->setMinimumWidth(260);

  // Every setting into its control.
  mmoCompany->setPlainText(JoinLines(Settings.CompanyLines));
  mmoDistributor->setPlainText(JoinLines(Settings.DistributorLines));
  chkAntiAliasing->setChecked(Settings.AntiAliasing);
  chkShowGrid->setChecked(Settings.ShowGrid);
  chkBlinkWarning->setChecked(Settings.BlinkWarning);
  chkFixedWindow->setChecked(Settings.FixedWindow);
  rdoMetric->setChecked(CurrentLengthUnit == luMillimetre);
  rdoImperial->setChecked(CurrentLengthUnit == luInch);
  chkSaveWindowPositionsOnExit->setChecked(Settings.SaveWindowPositionsOnExit);
  chkAutoUpdate->setChecked(Settings.AutoUpdate);

  setTabOrder(mmoCompany, mmoDistributor);
  setTabOrder(mmoDistributor, chkAntiAliasing);
  setTabOrder(chkAntiAliasing, chkShowGrid);
  setTabOrder(chkShowGrid, chkBlinkWarning);
  setTabOrder(chkBlinkWarning, chkFixedWindow);
  setTabOrder(chkFixedWindow, rdoImperial);
  setTabOrder(rdoImperial, rdoMetric);
  setTabOrder(rdoMetric, chkSaveWindowPositionsOnExit);
  setTabOrder(chkSaveWindowPositionsOnExit, chkAutoUpdate);
}

void TfrmPreferences::accept() {
  Settings.CompanyLines = MemoLines(mmoCompany);
  Settings.DistributorLines = MemoLines(mmoDistributor);
  Settings.AntiAliasing = chkAntiAliasing->isChecked();
  Settings.ShowGrid = chkShowGrid->isChecked();
  Settings.SaveWindowPositionsOnExit = chkSaveWindowPositionsOnExit->isChecked();
  Settings.AutoUpdate = chkAutoUpdate->isChecked();
  if (rdoMetric->isChecked()) CurrentLengthUnit = luMillimetre;
  else if (rdoImperial->isChecked()) CurrentLengthUnit = luInch;
  Settings.BlinkWarning = chkBlinkWarning->isChecked();
  Settings.FixedWindow = chkFixedWindow->isChecked();
  SaveConfiguration(ProgramFiles().ConfigFile);
  NotifyAll(nkPreferencesChanged, 0);
  NotifyAll(nkUnitChanged, 0);
  QDialog::accept();
}
