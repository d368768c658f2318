#include "platform/mdichild.h"

#include <algorithm>

namespace {
std::vector<TfrmMDIchild*>& Registry() {
  static std::vector<TfrmMDIchild*> windows;
  return windows;
}
TChildOrder& Order() {
  static TChildOrder order;
  return order;
}
TFrameListener& Listener() {
  static TFrameListener listener;
  return listener;
}
}  // namespace

TfrmMDIchild::TfrmMDIchild() { Registry().push_back(this); }

TfrmMDIchild::~TfrmMDIchild() {
  auto& windows = Registry();
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

const std::vector<TfrmMDIchild*>& OpenChildWindows() { return Registry(); }

void SetChildOrder(TChildOrder order) { Order() = std::move(order); }
void SetFrameListener(TFrameListener listener) { Listener() = std::move(listener); }

std::vector<TfrmMDIchild*> ChildOrder() {
  const auto& open = Registry();
  if (!Order()) return {open.rbegin(), open.rend()};
  // The frame may know windows that are not registered (yet) or miss some
  // that are: keep only registered ones, and put unknown ones at the back.
  std::vector<TfrmMDIchild*> result;
  for (TfrmMDIchild* window : Order()())
    if (std::find(open.begin(), open.end(), window) != open.end() &&
        std::find(result.begin(), result.end(), window) == result.end())
      result.push_back(window);
  for (auto it = open.rbegin(); it != open.rend(); ++it)
    if (std::find(result.begin(), result.end(), *it) == result.end()) result.push_back(*it);
  return result;
}

void NotifyAll(uint8_t code, int32_t id) {
  const std::vector<TfrmMDIchild*> order = ChildOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const auto& now = Registry();
    if (std::find(now.begin(), now.end(), *it) != now.end()) (*it)->Notify(code, id);
  }
  if (Listener()) Listener()(code, id);
}
