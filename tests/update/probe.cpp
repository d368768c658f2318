// Stands in for the program in the install test: as _NewVersion/update it
// installs itself; as the installed program it notes that it started and
// clears the download folder, as the program's start-up does.
#include <fstream>

#include "update/selfinstall.h"

namespace {
class TCancelDialog : public TCollectingDialogs {
public:
  bool AskRetry(const std::string&) override { return false; }
};
}  // namespace

int main() {
  TCancelDialog dialog;
  int exitCode = 0;
  const std::string self = RunningExecutablePath();
  if (RunAsInstallerIfNeeded(self, dialog, exitCode)) return exitCode;
  RemoveDownloadFolder(FolderOf(self));
  std::ofstream(FolderOf(self) + "started.txt") << "started";
  return 0;
}
