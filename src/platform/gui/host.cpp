#include "platform/gui/host.h"

#include <map>

namespace {
TMdiHost* current = nullptr;
}

TMdiHost* MdiHost() { return current; }
void SetMdiHost(TMdiHost* host) { current = host; }

namespace {
std::map<std::string, TChildFactory>& Factories() {
  static std::map<std::string, TChildFactory> factories;
  return factories;
}
}  // namespace

void RegisterChildWindow(const std::string& className, TChildFactory factory) {
  Factories()[className] = std::move(factory);
}

QWidget* CreateChildWindow(const std::string& className) {
  auto it = Factories().find(className);
  return it == Factories().end() ? nullptr : it->second();
}

TWindowHooks& WindowHooks() {
  static TWindowHooks hooks;
  return hooks;
}
