#include "programwindows.h"

#include "editor/gui/editorwindows.h"
#include "listwindows.h"
#include "reports/gui/reportwindows.h"

#ifdef TRELLANE_HAS_UPDATE
#include "updatewindows.h"
#endif

void RegisterProgramWindows() {
  RegisterListWindows();
  RegisterEditorWindows();
  RegisterReportWindows();
#ifdef TRELLANE_HAS_UPDATE
  RegisterUpdateWindows();
#endif
}
