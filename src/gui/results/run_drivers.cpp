#include "gui/results/run_drivers.h"

#include <QString>

#include "gui/results/results_window.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"

namespace nodewise {

namespace {

// Where each results window opens: top 332, lefts in the order of the methods.
constexpr int ResultsWindowTop = 332;
constexpr int ResultsWindowLeft[MethodCount] = {7, 335, 663};

// Panel 0 while a method's list is filled.
const char* const FillingText[MethodCount] = {
    "Calcolo Gauss terminato. Preparazione della ListView...",
    "Calcolo Newton terminato. Preparazione della ListView...",
    "Calcolo Stott terminato. Preparazione della ListView...",
};

} // namespace

TfrmDataOut* ResultsWindowOf(Method method) {
    switch (method) {
    case Method::Gauss:
        return GaussResultsWindow;
    case Method::Newton:
        return NewtonResultsWindow;
    case Method::Stott:
        return StottResultsWindow;
    }
    return nullptr;
}

void RunMethod(Method method, bool fillList) {
    const MethodInfo& info = Info(method);
    RunStore& store = ProgramRuns();
    Port().setStatusPanel(0, info.runningText);
    store.Forget(method); // a run in progress, or one that faults, is no run to analyse
    try {
        PortObserver observer(Port());
        store.Store(Iterate(method, store.network(), observer));
    } catch (...) {
        // an arithmetic fault leaves here: nothing below happens
        Port().setStatusPanel(0, info.stoppedText); // the run is over, not in progress
        store.Announce(method);
        throw;
    }
    Port().setStatusPanel(0, info.finishedText);
    PublishResults(method, fillList);
    store.Announce(method);
}

void RunGauss(bool fillList) {
    RunMethod(Method::Gauss, fillList);
}
void RunNewton(bool fillList) {
    RunMethod(Method::Newton, fillList);
}
void RunStott(bool fillList) {
    RunMethod(Method::Stott, fillList);
}

void PublishResults(Method method, bool fillList) {
    const MethodInfo& info = Info(method);
    TfrmDataOut* window = ResultsWindowOf(method);
    const Run* run = RunOf(method);
    if (window == nullptr || run == nullptr) {
        return;
    }
    const int lastEntry = run->IterationCount;
    const int nodes = run->NodeCount;

    ResetResults(window);
    const History& E = run->EHistory;
    const History& d = run->dHistory;
    for (int i = 0; i <= lastEntry; ++i) {
        for (int j = 0; j < nodes; ++j) {
            window->EResults[j][i] = E[j][i];
            window->dResults[j][i] = d[j][i];
        }
    }

    if (fillList) {
        Port().setStatusPanel(0, FillingText[static_cast<int>(method)]);
        // The list reads the copies on demand, so filling it is one step and the countdown of
        // the entries is over as soon as it starts.
        window->FillList(lastEntry, nodes);
        Port().setStatusPanel(1, "0");
    }

    Port().setStatusPanel(0, info.readyText);
    window->setWindowTitle(QString::fromUtf8(info.caption));
    // the frame's top-left corner, on screen
    window->move(ResultsWindowLeft[static_cast<int>(method)], ResultsWindowTop);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace nodewise
