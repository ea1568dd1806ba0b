#include "gui/shell/program_port.h"

namespace nodewise {
namespace {

SilentPort silentPort;
UserPort* currentPort = &silentPort;

} // namespace

UserPort* SetUserPort(UserPort* port) {
    UserPort* previous = currentPort;
    currentPort = port != nullptr ? port : &silentPort;
    return previous;
}

UserPort& Port() {
    return *currentPort;
}

} // namespace nodewise
