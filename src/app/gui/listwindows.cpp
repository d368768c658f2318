#include "listwindows.h"

#include "customerwindows.h"
#include "host.h"
#include "projectwindows.h"
#include "transitwindows.h"

void RegisterListWindows() {
  RegisterChildWindow("TfrmProjectList", [] { return new TfrmProjectList; });
  RegisterChildWindow("TfrmCustomerList", [] { return new TfrmCustomerList; });
  RegisterChildWindow("TfrmTemplateList", [] { return new TfrmTemplateList; });
  RegisterChildWindow("TfrmProjectDetail", [] { return new TfrmProjectDetail; });
  RegisterChildWindow("TfrmTransitList", [] { return new TfrmTransitList; });
  WindowHooks().ChooseTemplate = [] { return ChooseTemplate(); };
}
