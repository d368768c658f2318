#pragma once
#include <QDialog>
#include <QWidget>

#include "platform/mdichild.h"
#include "app/gui/listwindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// The list of all projects: the window shown when nothing else is open.
class TfrmProjectList : public TListWindow {
public:
  TfrmProjectList();
  void Init(int32_t id) override;
  void Notify(uint8_t code, int32_t id) override;
  std::string ClassName() const override { return "TfrmProjectList"; }

  void AddProject();
  void DeleteProject();
  void CopyProject();
  void ExportProject();
  void ImportProject();

protected:
  void Open(int32_t id) override;

private:
  bool CheckSelected();
};

// One project's name, customer and comments.
class TfrmProjectDetail : public QWidget, public TfrmMDIchild {
public:
  TfrmProjectDetail();
  // Raises "Unknown ProjectID!" when there is no such project.
  void Init(int32_t id) override;
  void Notify(uint8_t code, int32_t id) override;
  std::string ClassName() const override { return "TfrmProjectDetail"; }
  // The name field focused with its whole text selected.
  void FocusName();
  void Confirm();

  QLabel* Header = nullptr;
  QLineEdit* edtName = nullptr;
  QComboBox* cboCustomer = nullptr;
  QPlainTextEdit* mmoComments = nullptr;
  QLabel* lblCreated = nullptr;
  QLabel* lblCreatedBy = nullptr;
  QLabel* lblModified = nullptr;
  QLabel* lblModifiedBy = nullptr;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void AskToAddCustomer(const std::string& customer);
};

// Ticks the transits of a project that go into an export file.
class TfrmSelectTransits : public QDialog {
public:
  explicit TfrmSelectTransits(QWidget* owner);
  // Lists every transit of the project, ticked, and shows the dialog: true on OK.
  bool Execute(int32_t projectId);
  // Whether the line of that transit is ticked (false when it has none).
  bool IsSelected(int32_t transitId) const;
  void ToggleAll();
  QListWidget* lvwTransits = nullptr;
};

// Picks a project (the target of a transit copy).
class TfrmSelectProject : public QDialog {
public:
  explicit TfrmSelectProject(QWidget* owner);
  // The chosen project's identifier, or -1 when cancelled or none was chosen.
  int32_t Execute();
  QTreeWidget* lvwProjects = nullptr;

private:
  void Fill();
};
