// The desktop program.
#include <QApplication>
#include <exception>

#include "core/model/workspace.h"
#include "core/platform/user_port.h"
#include "gui/input/data_entry_window.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/qt_user_port.h"

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
        ConnectStatusPanels(port);

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
