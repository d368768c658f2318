#pragma once

// Registers the child window classes of every window library with the frame
// (RegisterChildWindow), so that the Show... methods and the restoring of the
// last run's windows can create them. Called once, before the main window.
void RegisterProgramWindows();
