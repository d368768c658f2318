#pragma once
#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/lists.h"
#include "platform/mdichild.h"

class QBoxLayout;
class QDialog;
class QHBoxLayout;
class QLabel;
class QTreeWidget;
class QPushButton;
class QTreeView;

// The lines of a list as a table model: texts per column, the record's
// identifier in IdRole; the order is the order given (sorted by the rules).
class TListModel : public QAbstractTableModel {
public:
  static constexpr int IdRole = Qt::UserRole + 1;
  TListModel(std::vector<TListColumn> columns, QObject* parent);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void SetRows(std::vector<TListRow> rows);
  int RowOfID(int32_t id) const;
  int32_t IDOfRow(int row) const;
  const std::vector<TListColumn>& Columns() const { return ColumnList; }

private:
  std::vector<TListColumn> ColumnList;
  std::vector<TListRow> Rows;
};

// Base of the list windows: a header line, the list sorted by a clicked
// column, a row of buttons below, and the column layout of the configuration
// (applied on opening, stored on closing and before the column chooser).
class TListWindow : public QWidget, public TfrmMDIchild {
public:
  TListWindow(TListKind kind, const QString& objectName);
  ~TListWindow() override;

  // Rebuilds the lines in the current order and selects that record (none for -1).
  void Refresh(int32_t selectId);
  // The selected record; -1 when no line is selected.
  int32_t SelectedID() const;
  void SelectID(int32_t id);
  void ClickColumn(int column);
  void ChooseColumns();
  void ApplyColumnLayout();
  void StoreColumnWidths();
  // Widens the columns the user never sized to their caption and their
  // longest text (never below their default width).
  void FitColumns();
  // Per column: its width follows its texts (the user never sized it).
  std::vector<bool> AutoWidth;
  // Wide enough for the shown columns (within reason).
  QSize sizeHint() const override;

  TListKind Kind;
  int SortColumn = 0;
  int SortDirection = 1;
  QLabel* Header = nullptr;
  QTreeView* List = nullptr;
  TListModel* Model = nullptr;
  QHBoxLayout* Buttons = nullptr;

protected:
  void closeEvent(QCloseEvent* event) override;
  // A button in the row below the list: with an image (add, delete) or a caption.
  QPushButton* AddButton(const char* name, const QString& caption, std::function<void()> action,
                         const QString& icon = {});
  void AddImageButtons(std::function<void()> add, std::function<void()> remove);
  // The double click or Enter on a line.
  virtual void Open(int32_t) {}
  // A message box with the program's caption; a Yes/No question with the question icon.
  void Message(const std::string& text);
  bool Confirm(const std::string& text);

private:
  bool Fitting = false;
};

// Closes a child window (its frame window in the multiple-document area).
void CloseChildWindow(QWidget* window);


// The open and save dialogs of the export files. Tests install their own;
// an empty one gives Qt's dialogs. Returns the full path, or empty when
// cancelled. filter as "Project files (*.hpf)", suffix "hpf".
using TFileDialog = std::function<QString(QWidget* owner, bool save, const QString& proposedName,
                                          const QString& filter, const QString& suffix)>;
void SetFileDialog(TFileDialog dialog);
QString ChooseFile(QWidget* owner, bool save, const QString& proposedName, const QString& filter,
                   const QString& suffix);

// The desktop's order of texts, as the pickers sort their lines (the
// desktop's language; English where it names none).
int DesktopCompare(const QString& a, const QString& b);

// The "OK" (default) and "Cancel" row at the foot of a dialog.
void AddOkCancelButtons(QDialog* dialog, QBoxLayout* layout);

// A picker's list: plain lines, sorted anew (refill) on a header click, a
// double click on a line confirms the dialog.
QTreeWidget* NewPickerList(QDialog* dialog, const char* objectName, std::function<void()> refill);
