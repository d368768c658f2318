#include "app/gui/listwindows.h"

#include "app/gui/customerwindows.h"
#include "platform/gui/host.h"
#include "app/gui/projectwindows.h"
#include "app/gui/transitwindows.h"

void RegisterListWindows() {
  RegisterChildWindow("TfrmProjectList", [] { return new TfrmProjectList; });
  RegisterChildWindow("TfrmCustomerList", [] { return new TfrmCustomerList; });
  RegisterChildWindow("TfrmTemplateList", [] { return new TfrmTemplateList; });
  RegisterChildWindow("TfrmProjectDetail", [] { return new TfrmProjectDetail; });
  RegisterChildWindow("TfrmTransitList", [] { return new TfrmTransitList; });
  WindowHooks().ChooseTemplate = [] { return ChooseTemplate(); };
}
