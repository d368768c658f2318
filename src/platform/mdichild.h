#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What changed, passed with an identifier to every open child window.
enum TNotificationKind : uint8_t {
  nkProjectDeleting = 0,
  nkProjectDeleted = 1,
  nkProjectChanged = 2,
  nkTransitDeleted = 3,
  nkUnitChanged = 4,
  nkTransitChanged = 5,
  nkPreferencesChanged = 6,
  nkCustomersChanged = 7,
  nkTransitCreated = 8,
};

// Base of every child window of the main window: the identifier of the record
// it shows, and the two operations through which it is opened and told of
// changes. A child registers itself while it is open.
class TfrmMDIchild {
public:
  TfrmMDIchild();
  virtual ~TfrmMDIchild();
  TfrmMDIchild(const TfrmMDIchild&) = delete;
  TfrmMDIchild& operator=(const TfrmMDIchild&) = delete;

  virtual void Init(int32_t id) { ViewID = id; }
  virtual void Notify(uint8_t code, int32_t id) = 0;
  // The class name stored in the window layout ("TfrmProjectList"); empty for
  // windows that are not restored.
  virtual std::string ClassName() const { return {}; }

  int32_t ViewID = 0;
};

// Passes (code, id) to every open child window, from the last in the frame's
// child order to the first (the back-most first), then to the frame's own
// listener. A child that closes (or opens another) while being notified is
// handled: only windows still open are told, each once.
void NotifyAll(uint8_t code, int32_t id);

// The open child windows in the order they were opened, oldest first.
const std::vector<TfrmMDIchild*>& OpenChildWindows();

// The frame's child order, front-most first. A desktop frame installs its own
// (its stacking order); without one the newest window counts as front-most.
using TChildOrder = std::function<std::vector<TfrmMDIchild*>()>;
void SetChildOrder(TChildOrder order);
std::vector<TfrmMDIchild*> ChildOrder();

// Called after the children at every NotifyAll (the main window shows the new
// unit on code 4). Empty by default.
using TFrameListener = std::function<void(uint8_t code, int32_t id)>;
void SetFrameListener(TFrameListener listener);
