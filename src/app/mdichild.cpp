#include "mdichild.h"

#include <algorithm>

namespace {
std::vector<TfrmMDIchild*>& Registry() {
  static std::vector<TfrmMDIchild*> windows;
  return windows;
}
}  // namespace

TfrmMDIchild::TfrmMDIchild() { Registry().push_back(this); }

TfrmMDIchild::~TfrmMDIchild() {
  auto& windows = Registry();
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

const std::vector<TfrmMDIchild*>& OpenChildWindows() { return Registry(); }

void NotifyAll(uint8_t code, int32_t id) {
  const std::vector<TfrmMDIchild*> snapshot = Registry();
  for (TfrmMDIchild* window : snapshot) {
    const auto& now = Registry();
    if (std::find(now.begin(), now.end(), window) != now.end()) window->Notify(code, id);
  }
}
