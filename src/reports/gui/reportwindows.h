#pragma once

// Registers the RTF viewer as a child window class ("TfrmRTFviewer") and
// installs the report dialogs as the window hooks that the transit editor
// and the transit list call.
void RegisterReportWindows();
