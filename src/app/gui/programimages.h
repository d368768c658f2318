#pragma once
#include <QIcon>
#include <QString>

// Makes the program's images (":/images/...") available; the resource lives in
// a static library, so each user calls this once before the first image.
void InitProgramImages();

// An image of the program by file name ("projects.svg"), drawn from its SVG
// at whatever size and pixel ratio it is asked for.
QIcon ProgramIcon(const QString& fileName);
