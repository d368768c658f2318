#pragma once
#include <cstdint>
#include <functional>
#include <string>

class QWidget;
class TTransit;

// The main window as the other windows see it: it takes in new child windows
// and opens the one-per-kind and one-per-record windows. The program's frame
// installs itself at start; a test installs a stand-in.
class TMdiHost {
public:
  virtual ~TMdiHost() = default;
  // Puts a new child window into the frame at the cascade position and shows
  // it. The frame owns it from then on; it is deleted when closed.
  virtual void AddChild(QWidget* window) = 0;
  // Each returns the window, brought to the front (a new one is created,
  // given Init(identifier) and shown).
  virtual QWidget* ShowProjectList() = 0;
  virtual QWidget* ShowCustomerList() = 0;
  virtual QWidget* ShowTemplateList() = 0;
  virtual QWidget* ShowProjectDetail(int32_t projectId) = 0;
  virtual QWidget* ShowTransitList(int32_t projectId) = 0;
  virtual QWidget* ShowTransitDetail(int32_t transitId) = 0;
  virtual QWidget* ShowRTFViewer() = 0;
  // Builds the window layout, then writes the data file and the configuration.
  virtual void SaveAll() = 0;
  // The update check (silent: only a found update is told).
  virtual void StartUpdateCheck(bool silent) = 0;
  // The top-level window that dialogs are owned by.
  virtual QWidget* MainWindow() = 0;
};

// Null until a frame installs itself.
TMdiHost* MdiHost();
void SetMdiHost(TMdiHost* host);

// The child window classes by the class name the window layout stores
// ("TfrmTransitDetail"). Each subsystem's window library registers its own
// classes when the program starts; the frame creates children through it.
// A factory returns a new widget that is also a TfrmMDIchild.
using TChildFactory = std::function<QWidget*()>;
void RegisterChildWindow(const std::string& className, TChildFactory factory);
// Null for a class nobody registered.
QWidget* CreateChildWindow(const std::string& className);

// Dialogs of other subsystems' window libraries that a window opens, set
// when the program starts (a test sets its own). An empty one does nothing.
struct TWindowHooks {
  // The material report dialog of the transit being edited, modal.
  std::function<void(const TTransit& transit)> ShowTransitReport;
  // The material report dialog of a project's transits, modal.
  std::function<void(int32_t projectId)> ShowProjectReport;
  // The template picker, modal: the chosen template's identifier, or -1.
  std::function<int32_t()> ChooseTemplate;
  // The update check with its dialog (silent: only a found update is told).
  std::function<void(bool silent)> StartUpdateCheck;
};
TWindowHooks& WindowHooks();
