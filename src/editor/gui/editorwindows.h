#pragma once

// Registers the transit editor window with the frame's child window classes
// ("TfrmTransitDetail"); the program calls it once at start.
void RegisterEditorWindows();
