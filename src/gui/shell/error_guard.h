// The general error handler: a fault that ends a command (an arithmetic fault during a run,
// any other exception from the core) is shown in a message box and the program goes on.
#pragma once

#include <QApplication>
#include <exception>

namespace nodewise {

inline constexpr const char* FaultCaption = "Nodewise";

// Shows the exception's own description (caption "Nodewise", stop icon) through the port; an
// arithmetic fault in Italian, with the method, iteration and node it happened at.
void ReportFault(const std::exception& fault);

// Runs a command, reporting whatever it throws. Every slot that calls into the core goes
// through this: exceptions must not travel through Qt's event dispatch.
template <class Command> void Guarded(Command&& command) {
    try {
        command();
    } catch (const std::exception& fault) {
        ReportFault(fault);
    }
}

// The application object. Its notify() is the last line of defence: an exception that still
// escapes an event handler is reported instead of ending the program.
class NodewiseApplication : public QApplication {
public:
    NodewiseApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace nodewise
