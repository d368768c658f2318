#pragma once

// Registers the list windows and the project window with the frame's child
// window factories, and the template picker as the editor's.
void RegisterListWindows();
