#include "programwindows.h"

void RegisterProgramWindows() {
  // Each window library's register function goes here, one call each: the
  // lists (project, customer, template and transit lists, project window),
  // the transit editor, the report viewer and the update dialog.
}
