#include "app/gui/programwindows.h"

#include "core/advice.h"
#include "editor/gui/editorwindows.h"
#include "app/gui/listwindows.h"
#include "reports/gui/reportwindows.h"
#include "reports/spreadsheet.h"

#ifdef TRELLANE_HAS_UPDATE
#include "update/gui/updatewindows.h"
#endif

void RegisterProgramWindows() {
  RegisterListWindows();
  RegisterEditorWindows();
  RegisterReportWindows();
  // A report's spreadsheet carries the editor's warning line of each transit.
  SheetWarningText() = [](const TTransit& transit) {
    return WarningAndMessages(ComputeWarnings(transit).Warning, transit);
  };
#ifdef TRELLANE_HAS_UPDATE
  RegisterUpdateWindows();
#endif
}
