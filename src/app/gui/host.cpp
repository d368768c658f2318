#include "host.h"

namespace {
TMdiHost* current = nullptr;
}

TMdiHost* MdiHost() { return current; }
void SetMdiHost(TMdiHost* host) { current = host; }
