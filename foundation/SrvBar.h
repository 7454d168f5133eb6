// The service progress bar: a small always-on-top window with the action, the service name
// and an endless sweep, shown while a service operation runs. One window at most.
#pragma once
#include "Utils.h"

namespace zk {

// Creates the window when there is none, shows action and name and restarts the sweep, then
// pumps messages for a second so that it is seen before the service call.
void ShowServiceBar(const Text& action, const Text& name);
void FreeServiceBar();

} // namespace zk
