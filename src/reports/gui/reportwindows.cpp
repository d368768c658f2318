#include "reports/gui/reportwindows.h"

#include "platform/gui/host.h"
#include "reports/gui/reportdialogs.h"
#include "reports/gui/rtfviewer.h"

void RegisterReportWindows() {
  RegisterChildWindow("TfrmRTFviewer", [] { return new TfrmRTFviewer; });
  WindowHooks().ShowTransitReport = [](const TTransit& transit) {
    TfrmTransitReport dialog(transit, nullptr);
    dialog.exec();
  };
  WindowHooks().ShowProjectReport = [](int32_t projectId) {
    TfrmProjectReport dialog(projectId, nullptr);
    dialog.exec();
  };
}
