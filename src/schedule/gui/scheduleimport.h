#pragma once
#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "schedule/gui/schedulesummary.h"
#include "schedule/schedule.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;
class TRefusedRowsModel;
class TTransitPreviewModel;

// What the import window needs from the program around it. The window that
// opens it fills these in; an empty one does nothing.
struct TScheduleImportLinks {
  // Whether the transit is open in an editor: an import into it is refused
  // while it is, since the editor would write its own groups back.
  std::function<bool(int32_t transitId)> EditorOpen;
  // Tells the open windows of the transits the import created and changed.
  std::function<void(const TApplyResult& result)> Applied;
};

// The file chooser of the import window: the chosen file, or empty when
// cancelled. Tests install their own; an empty one gives Qt's file dialog,
// opened in the folder a schedule was last chosen in.
using TScheduleFileChooser = std::function<QString(QWidget* owner)>;
void SetScheduleFileChooser(TScheduleFileChooser chooser);

// The import of a cable schedule (.xlsx, .csv, .tsv, .txt) into one project:
// the file with its sheet, delimiter and decimal separator; the columns
// mapped from the header row; what happens to existing and new transits; a
// live preview of every transit to create or update and every refused row.
// "Import" applies it all as one change with a progress dialog that can be
// cancelled, then closes and leaves the summary up.
class TfrmScheduleImport : public QDialog {
  Q_OBJECT
public:
  TfrmScheduleImport(int32_t projectId, TScheduleImportLinks links = {}, QWidget* owner = nullptr);
  ~TfrmScheduleImport() override;

  // Reads the file as if chosen with "Browse": the sheet, delimiter and
  // decimal separator are found anew. False (with a message box) when it
  // cannot be read; the window then keeps what it had.
  bool OpenFile(const QString& path);
  // The plan shown in the preview (empty before a file is read).
  const TSchedulePlan& Plan() const { return CurrentPlan; }
  // The summary left up by the last import; null before one.
  TfrmScheduleSummary* Summary() const { return SummaryWindow; }

private:
  void Browse();
  // Reads the file again with the sheet and delimiter chosen; false when it
  // cannot be read.
  bool Read(const QString& path, bool fresh);
  void ShowTable(bool keepColumns);
  void FillColumnCombos(const TScheduleColumns& columns);
  TScheduleOptions Options() const;
  void Replan();
  void ShowStatus(const QString& text, bool problem);
  void Import();

  int32_t ProjectID;
  TScheduleImportLinks Links;
  QString FilePath;
  TScheduleTable Table;
  bool HaveTable = false;
  bool DecimalChosen = false;  // the user picked the decimal separator
  char DetectedDelimiter = 0, DetectedDecimal = 0;  // found in the file as chosen
  std::vector<std::string> Header;
  TSchedulePlan CurrentPlan;
  bool PlanValid = false;
  QPointer<TfrmScheduleSummary> SummaryWindow;
  TTransitPreviewModel* TransitModel = nullptr;
  TRefusedRowsModel* RefusedModel = nullptr;

  QLineEdit* edtFile = nullptr;
  QPushButton* btnBrowse = nullptr;
  QComboBox* cmbSheet = nullptr;
  QComboBox* cmbDelimiter = nullptr;
  QComboBox* cmbDecimal = nullptr;
  QLabel* lblEncoding = nullptr;
  QComboBox *cmbTransit = nullptr, *cmbDiameter = nullptr, *cmbAmount = nullptr, *cmbTag = nullptr,
            *cmbType = nullptr;
  QComboBox* cmbUnit = nullptr;
  QRadioButton *rdoReplace = nullptr, *rdoAdd = nullptr;
  QComboBox* cmbTemplate = nullptr;
  QCheckBox* chkResize = nullptr;
  QTreeView* lvwTransits = nullptr;
  QTreeView* lvwRefused = nullptr;
  QLabel* lblTotals = nullptr;
  QLabel* lblStatus = nullptr;
  QPushButton* btnImport = nullptr;
  QPushButton* btnCancel = nullptr;
};
