#include "store/changes.h"

namespace {
std::function<void()>& Listener() {
  static std::function<void()> listener;
  return listener;
}
}  // namespace

void TablesChanged() {
  if (Listener()) Listener()();
}
void SetTablesChangedListener(std::function<void()> listener) { Listener() = std::move(listener); }
