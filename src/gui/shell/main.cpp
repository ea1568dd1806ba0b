// The desktop program.
#include <QApplication>
#include <QByteArray>
#include <QTimer>
#include <csignal>
#include <exception>

#include "core/model/network.h"
#include "core/model/version.h"
#include "gui/input/data_entry_window.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/qt_user_port.h"
#include "gui/shell/start_up.h"
#include "gui/shell/study_command.h"
#include "gui/style/icons.h"

namespace {

// True when the command line asks for a text (--help, --version) and has no other option (the
// toolkit's own, like -platform, need the application object of the windows): answered
// without a display, before that object exists.
bool AsksForText(int argc, char** argv) {
    bool text = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--") {
            break;
        }
        if (argument == "-h" || argument == "--help" || argument == "-v" ||
            argument == "--version") {
            text = true;
        } else if (argument.startsWith('-')) {
            return false;
        }
    }
    return text;
}

void SetUpQtTexts() {
    nodewise::InstallQtItalianTexts();
    QCoreApplication::setApplicationVersion(QString::fromLatin1(nodewise::VersionText));
}

} // namespace

int main(int argc, char** argv) {
    using namespace nodewise;

    // A file-size limit makes a save fail with the usual message instead of killing the
    // program with the user's work in it.
    std::signal(SIGXFSZ, SIG_IGN);

    if (AsksForText(argc, argv)) {
        QCoreApplication textOnly(argc, argv);
        SetUpQtTexts();
        StartupNetworkFile(QCoreApplication::arguments()); // prints and ends the program
    }

    // The study of --export-study needs no display: no window is shown.
    if (AsksForStudy(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // No widget can exist before the application object, so it comes first; the results
    // windows, which have no owner and precede everything else, are created right after it.
    NodewiseApplication app(argc, argv);
    QtUserPort port;

    // Qt's own texts in Italian from the start (the --help text included); then the command
    // line, which may end the program here (--help, --version, a bad option).
    SetUpQtTexts();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.nodewise.Nodewise"));
    QApplication::setWindowIcon(NetworkIcon()); // every window's, the task bar's
    const StartupCommand command = ParseStartupCommand(QApplication::arguments());
    if (command.exportStudy) {
        return ExportStudyCommand(command);
    }
    const QString startFile = command.networkFile;

    try {
        CreateResultsWindows(); // Gauss-Seidel, Newton-Raphson, Stott-Alsac; hidden

        // The application's name only: a display name would be appended by the toolkit to
        // every window caption ("Riepilogo dati nodali - Nodewise").
        QApplication::setApplicationName(QStringLiteral("Nodewise"));
        SetUserPort(&port);

        CreateMainWindows(); // frmDataIn (the main window), frmDataOk, frmAbout; hidden
        ConnectStatusPanels(port);

        frmDataIn->show();
        if (!startFile.isEmpty()) {
            // Opened as "Apri" opens it, once the main window is on screen.
            QTimer::singleShot(0, frmDataIn,
                               [startFile] { frmDataIn->OpenNetworkFile(startFile); });
        }
        QApplication::exec(); // ends when the main window closes
    } catch (const std::exception& fault) {
        // A failure while starting up (the loop itself reports its own faults and goes on).
        port.showMessage(fault.what(), FaultCaption, MessageIcon::Stop);
    }
    SetUserPort(nullptr);
    DestroyProgramWindows();
    return 0;
}
