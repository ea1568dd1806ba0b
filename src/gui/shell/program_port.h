// The desktop program's user port: every message box and status text of the windows goes
// through it, so that the GUI tests can put a recorder in its place.
#pragma once

#include "core/platform/user_port.h"

namespace nodewise {

// Installs the port (nullptr restores the silent default) and returns the previous one.
UserPort* SetUserPort(UserPort* port);
UserPort& Port();

} // namespace nodewise
