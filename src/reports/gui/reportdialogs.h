#pragma once
#include <QDialog>
#include <cstdint>
#include <string>

#include "core/transit.h"

class QGroupBox;
class QPushButton;
class QRadioButton;
class QTreeWidget;
struct TReportSheets;

// What both report dialogs share: the picture size, the "Show report" button
// with the choice of viewer, the spreadsheet output, and "Close".
class TfrmReportBase : public QDialog {
  Q_OBJECT
public:
  // The requested picture width and height: 0, 2500, 5000 or 7500.
  int ImageSize() const;
  bool External() const;

protected:
  explicit TfrmReportBase(QWidget* parent);
  // Builds the report with pictures of that size, and with sheets also its
  // figures for a spreadsheet; raises the error of the materials or the writer.
  virtual std::string BuildReport(int imageSize, TReportSheets* sheets) = 0;
  void ShowReport();
  // "Spreadsheet (.xlsx / .csv)...": the report's figures written to a file.
  void SaveSpreadsheet();

  QGroupBox* grpTransitImages = nullptr;
  QRadioButton *rdoNoImages = nullptr, *rdoSmall = nullptr, *rdoMedium = nullptr, *rdoLarge = nullptr;
  QGroupBox* grpCreateReport = nullptr;
  QPushButton* btnShowReport = nullptr;
  QRadioButton *rdoInternalViewer = nullptr, *rdoExternalViewer = nullptr;
  QPushButton* btnSpreadsheet = nullptr;
  QPushButton* btnClose = nullptr;
};

// The material report of the transit being edited.
class TfrmTransitReport : public TfrmReportBase {
  Q_OBJECT
public:
  TfrmTransitReport(const TTransit& transit, QWidget* parent = nullptr);

protected:
  std::string BuildReport(int imageSize, TReportSheets* sheets) override;

private:
  TTransit Transit;
};

// The material report of chosen transits of a project.
class TfrmProjectReport : public TfrmReportBase {
  Q_OBJECT
public:
  TfrmProjectReport(int32_t projectId, QWidget* parent = nullptr);
  // Every transit checked: all unchecked; otherwise all checked.
  void SelectDeselectAll();

protected:
  std::string BuildReport(int imageSize, TReportSheets* sheets) override;

private:
  int32_t ProjectId;
  QGroupBox* grpOptions = nullptr;
  QRadioButton *rdoOnlyTotals = nullptr, *rdoOnlyTransits = nullptr, *rdoTotalsAndTransits = nullptr;
  QGroupBox* grpSelectTransits = nullptr;
  QTreeWidget* lvwTransits = nullptr;
  QPushButton* btnSelectAll = nullptr;
};
