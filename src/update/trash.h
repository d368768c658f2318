#pragma once
#include <string>

// Moves a file or folder into the desktop trash (the freedesktop trash: the
// home trash, or the trash at the top of the path's own file system), with
// its .trashinfo. False when no trash could take it.
bool MoveToTrash(const std::string& path);
