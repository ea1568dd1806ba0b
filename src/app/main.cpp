// The desktop program.
#include <QApplication>
#include <exception>

#include "app/app_windows.h"
#include "app/error_handler_gui.h"
#include "app/qt_user_port_gui.h"
#include "input/data_entry_window.h"
#include "model/user_port.h"
#include "model/workspace.h"

int main(int argc, char** argv) {
    using namespace nodewise;

    // No widget can exist before the application object, so it comes first; the results
    // windows, which have no owner and precede everything else, are created right after it.
    NodewiseApplication app(argc, argv);
    QtUserPort port;
    try {
        CreateResultsWindows(); // Gauss-Seidel, Newton-Raphson, Stott-Alsac; hidden

        // The solver matrices at their largest size, once, whatever network comes later.
        AllocNewtonMatrices(2 * MaxNodes);
        AllocStottMatrices(MaxNodes);

        // The application's name only: a display name would be appended by the toolkit to
        // every window caption ("Riepilogo dati nodali - Nodewise").
        QApplication::setApplicationName(QStringLiteral("Nodewise"));
        SetUserPort(&port);

        CreateMainWindows(); // frmDataIn (the main window), frmDataOk, frmAbout; hidden

        frmDataIn->show();
        QApplication::exec(); // ends when the main window closes

        FreeNewtonMatrices(2 * MaxNodes);
        FreeStottMatrices(MaxNodes);
    } catch (const std::exception& fault) {
        // A failure while starting up (the loop itself reports its own faults and goes on).
        port.showMessage(fault.what(), FaultCaption, MessageIcon::Stop);
    }
    SetUserPort(nullptr);
    DestroyProgramWindows();
    return 0;
}
