#include "editorwindows.h"

#include "host.h"
#include "transitdetail.h"

void RegisterEditorWindows() {
  RegisterChildWindow("TfrmTransitDetail", [] { return static_cast<QWidget*>(new TfrmTransitDetail); });
}
