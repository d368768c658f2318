#pragma once
#include <QDialog>

#include "app/gui/listwindow.h"

class QTreeWidget;

// The transits of one project.
class TfrmTransitList : public TListWindow {
public:
  TfrmTransitList();
  void Init(int32_t projectId) override;
  void Notify(uint8_t code, int32_t id) override;
  std::string ClassName() const override { return "TfrmTransitList"; }

  void AddTransit();
  void DeleteTransit();
  void CopyTransit();
  void ExportTransit();
  void ImportTransit();
  // "Import cable schedule...": the schedule import into this project.
  void ImportSchedule();
  void ShowMaterials();
  void ShowProjectDetails();

protected:
  void Open(int32_t id) override;

private:
  void SetCaption();
  bool CheckSelected();
};

// The templates: transits of no project whose sizes start new transits.
class TfrmTemplateList : public TListWindow {
public:
  TfrmTemplateList();
  void Init(int32_t id) override;
  void Notify(uint8_t code, int32_t id) override;
  std::string ClassName() const override { return "TfrmTemplateList"; }

  void AddTemplate();
  void DeleteTemplate();

protected:
  void Open(int32_t id) override;
};

// Picks a template (the transit editor takes its sizes).
class TfrmSelectTemplate : public QDialog {
public:
  explicit TfrmSelectTemplate(QWidget* owner);
  // The chosen template's identifier, or -1 when cancelled or none was chosen.
  int32_t Execute();
  QTreeWidget* lvwTemplates = nullptr;

private:
  void Fill();
};

// The template picker as the editor calls it, owned by the main window.
int32_t ChooseTemplate();
