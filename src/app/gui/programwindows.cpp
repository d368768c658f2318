#include "programwindows.h"

#ifdef TRELLANE_HAS_UPDATE
#include "updatewindows.h"
#endif

void RegisterProgramWindows() {
#ifdef TRELLANE_HAS_UPDATE
  RegisterUpdateWindows();
#endif
}
