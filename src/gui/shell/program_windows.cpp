#include <QWidget>

#include "gui/input/about_window.h"
#include "gui/input/data_entry_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/qt_user_port.h"

namespace nodewise {

TfrmDataIn* frmDataIn = nullptr;
TfrmDataOk* frmDataOk = nullptr;
TfrmAbout* frmAbout = nullptr;
TfrmDataOut* GaussResultsWindow = nullptr;
TfrmDataOut* NewtonResultsWindow = nullptr;
TfrmDataOut* StottResultsWindow = nullptr;

namespace {

// A secondary window never keeps the program alive: closing the main window ends it whatever
// else is open.
template <class Window> Window* Secondary(Window* window) {
    window->setAttribute(Qt::WA_QuitOnClose, false);
    return window;
}

void CloseWindow(QWidget* window) {
    if (window != nullptr) {
        window->close(); // not the main window: closing hides it and keeps its content
    }
}

} // namespace

void CreateResultsWindows() {
    GaussResultsWindow = Secondary(new TfrmDataOut);
    NewtonResultsWindow = Secondary(new TfrmDataOut);
    StottResultsWindow = Secondary(new TfrmDataOut);
}

void CreateMainWindows() {
    frmDataIn = new TfrmDataIn;
    frmDataOk = Secondary(new TfrmDataOk);
    frmAbout = Secondary(new TfrmAbout);
}

void CreateProgramWindows() {
    CreateResultsWindows();
    CreateMainWindows();
}

void DestroyProgramWindows() {
    delete frmAbout;
    frmAbout = nullptr;
    delete frmDataOk;
    frmDataOk = nullptr;
    delete frmDataIn;
    frmDataIn = nullptr;
    delete StottResultsWindow;
    StottResultsWindow = nullptr;
    delete NewtonResultsWindow;
    NewtonResultsWindow = nullptr;
    delete GaussResultsWindow;
    GaussResultsWindow = nullptr;
}

void HideResultForms() {
    CloseWindow(frmDataOk);
    CloseWindow(GaussResultsWindow);
    CloseWindow(NewtonResultsWindow);
    CloseWindow(StottResultsWindow);
}

void ShowSummaryWindow() {
    if (frmDataOk == nullptr) {
        return;
    }
    frmDataOk->show();
    frmDataOk->raise();
    frmDataOk->activateWindow();
}

void ShowAboutBox() {
    if (frmAbout != nullptr) {
        frmAbout->exec();
    }
}

void ConnectStatusPanels(QtUserPort& port) {
    if (frmDataOk != nullptr) {
        port.setStatusPanels(frmDataOk->StatusPanel(0), frmDataOk->StatusPanel(1));
    }
}

} // namespace nodewise
