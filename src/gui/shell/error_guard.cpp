#include "gui/shell/error_guard.h"

#include "core/results/fault_report.h"
#include "gui/shell/program_port.h"

namespace nodewise {

void ReportFault(const std::exception& fault) {
    if (const auto* arithmetic = dynamic_cast<const ArithmeticFault*>(&fault)) {
        Port().showMessage(ArithmeticFaultReport(*arithmetic), FaultCaption, MessageIcon::Stop);
        return;
    }
    Port().showMessage(fault.what(), FaultCaption, MessageIcon::Stop);
}

NodewiseApplication::NodewiseApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool NodewiseApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& fault) {
        ReportFault(fault);
    }
    return false;
}

} // namespace nodewise
