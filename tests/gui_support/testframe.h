#pragma once
#include <QMainWindow>
#include <QMdiArea>

#include "platform/gui/host.h"

// A plain multiple-document frame standing in for the main window in window
// tests: children go into a QMdiArea, the Show... methods find an open
// window by class (and identifier) or create one through the registered
// factories, and the frame's child order is the area's stacking order.
class TTestFrame : public QMainWindow, public TMdiHost {
public:
  TTestFrame();
  ~TTestFrame() override;

  void AddChild(QWidget* window) override;
  QWidget* ShowProjectList() override { return ShowChild("TfrmProjectList", 0, false); }
  QWidget* ShowCustomerList() override { return ShowChild("TfrmCustomerList", 0, false); }
  QWidget* ShowTemplateList() override { return ShowChild("TfrmTemplateList", 0, false); }
  QWidget* ShowProjectDetail(int32_t id) override { return ShowChild("TfrmProjectDetail", id, true); }
  QWidget* ShowTransitList(int32_t id) override { return ShowChild("TfrmTransitList", id, true); }
  QWidget* ShowTransitDetail(int32_t id) override { return ShowChild("TfrmTransitDetail", id, true); }
  QWidget* ShowRTFViewer() override { return ShowChild("TfrmRTFviewer", 0, false); }
  void SaveAll() override { ++SaveAllCount; }
  void StartUpdateCheck(bool silent) override { UpdateChecks.push_back(silent); }
  QWidget* MainWindow() override { return this; }

  // The open child widgets of a class (by ClassName()), front-most first.
  QList<QWidget*> Children(const std::string& className = {}) const;

  QMdiArea* Area = nullptr;
  int SaveAllCount = 0;
  std::vector<bool> UpdateChecks;

private:
  QWidget* ShowChild(const std::string& className, int32_t id, bool perRecord);
};
