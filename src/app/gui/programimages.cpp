#include "app/gui/programimages.h"

#include <QtGlobal>

static void InitImagesResource() { Q_INIT_RESOURCE(images); }

void InitProgramImages() {
  static const bool done = (InitImagesResource(), true);
  (void)done;
}

QIcon ProgramIcon(const QString& fileName) {
  InitProgramImages();
  return QIcon(QStringLiteral(":/images/") + fileName);
}
