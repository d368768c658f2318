#include "programwindows.h"

#include "editor/gui/editorwindows.h"

#ifdef TRELLANE_HAS_UPDATE
#include "updatewindows.h"
#endif

void RegisterProgramWindows() {
  RegisterEditorWindows();
#ifdef TRELLANE_HAS_UPDATE
  RegisterUpdateWindows();
#endif
}
