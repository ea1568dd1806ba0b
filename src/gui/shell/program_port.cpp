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

namespace nodewise {

CalculationScope::CalculationScope() : port_(&Port()) {
    port_->beginCalculation();
}

CalculationScope::~CalculationScope() {
    End();
}

std::string CalculationScope::End() {
    if (port_ == nullptr) {
        return {};
    }
    UserPort* port = port_;
    port_ = nullptr;
    return port->endCalculation();
}

} // namespace nodewise
