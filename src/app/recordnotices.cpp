#include "app/recordnotices.h"

#include "platform/mdichild.h"
#include "store/recordcommands.h"

namespace {
uint8_t NotificationOf(TRecordEvent event) {
  switch (event) {
    case TRecordEvent::TransitDeleted: return nkTransitDeleted;
    case TRecordEvent::TransitsChanged: return nkTransitChanged;
    case TRecordEvent::ProjectDeleting: return nkProjectDeleting;
    case TRecordEvent::ProjectDeleted: return nkProjectDeleted;
  }
  return nkTransitChanged;
}
}  // namespace

void TellWindowsOfRecordChanges() {
  SetRecordListener([](TRecordEvent event, int32_t id) { NotifyAll(NotificationOf(event), id); });
}
