#include "programwindows.h"

#include "listwindows.h"

#ifdef TRELLANE_HAS_UPDATE
#include "updatewindows.h"
#endif

void RegisterProgramWindows() {
  RegisterListWindows();
#ifdef TRELLANE_HAS_UPDATE
  RegisterUpdateWindows();
#endif
}
