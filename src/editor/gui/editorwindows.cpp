#include "editor/gui/editorwindows.h"

#include "platform/gui/host.h"
#include "editor/gui/transitdetail.h"

void RegisterEditorWindows() {
  RegisterChildWindow("TfrmTransitDetail", [] { return static_cast<QWidget*>(new TfrmTransitDetail); });
}
