#include "gui/results/run_drivers.h"

#include <QString>
#include <string>

#include "core/input/acquisition.h"
#include "core/model/calculation_options.h"
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
    TfrmDataOut* const windows[] = {GaussResultsWindow, NewtonResultsWindow, StottResultsWindow};
    const int m = static_cast<int>(method);
    return m >= 0 && m < MethodCount ? windows[m] : nullptr;
}

namespace {

// A status text followed by what the port still has to say about the run's silenced messages,
// short enough for the panel: "Newton pronti: matrice di ordine nullo in 999 iterazioni."
std::string WithNote(std::string text, const std::string& note) {
    for (const std::string prefix : {"Risultati calcolo ", "Calcolo "}) {
        if (text.rfind(prefix, 0) == 0) {
            text.erase(0, prefix.size());
            break;
        }
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text + ": " + note + ".";
}

} // namespace

void RunMethod(Method method, bool fillList) {
    const MethodInfo& info = Info(method);
    RunStore& store = ProgramRuns();
    // The options as they are now: limits typed since the acquisition are checked here too.
    const CalculationOptions options = ProgramOptions();
    if (const std::optional<std::string> problem = LimitsProblem(store.network(), options)) {
        Port().showMessage(*problem, InputWarningCaption, MessageIcon::Exclamation);
        return;
    }
    Port().setStatusPanel(0, info.runningText);
    CalculationScope calculation;
    store.Forget(method); // a run in progress, or one that faults, is no run to analyse
    try {
        PortObserver observer(Port());
        store.Store(Iterate(method, store.network(), observer, options));
    } catch (...) {
        const std::string note = calculation.End();
        // an arithmetic fault leaves here: nothing below happens; the run is over, not in
        // progress
        Port().setStatusPanel(0,
                              note.empty() ? info.stoppedText : WithNote(info.stoppedText, note));
        store.Announce(method);
        throw;
    }
    const std::string note = calculation.End();
    Port().setStatusPanel(0, info.finishedText);
    PublishResults(method, fillList);
    const Run* run = RunOf(method);
    const std::string stop = run != nullptr ? StopText(*run) : std::string();
    if ((!note.empty() || !stop.empty()) && ResultsWindowOf(method) != nullptr) {
        Port().setStatusPanel(0, WithNote(info.readyText, note.empty()   ? stop
                                                          : stop.empty() ? note
                                                                         : note + "; " + stop));
    }
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

    window->CopiedLastEntry = lastEntry;

    if (fillList) {
        Port().setStatusPanel(0, FillingText[static_cast<int>(method)]);
        // The list reads the copies on demand, so filling it is one step and the countdown of
        // the entries is over as soon as it starts.
        window->FillList(lastEntry, nodes);
        Port().setStatusPanel(1, "0");
    }

    Port().setStatusPanel(0, info.readyText);
    // A title that names the nodes a reactive limit holds at the end of the run.
    const std::string held = HeldNodesText(*run, lastEntry);
    window->setWindowTitle(held.empty() ? QString::fromUtf8(info.caption)
                                        : QString::fromUtf8(info.caption) + QStringLiteral(" (") +
                                              QString::fromStdString(held) + QStringLiteral(")"));
    // the frame's top-left corner, on screen
    window->move(ResultsWindowLeft[static_cast<int>(method)], ResultsWindowTop);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace nodewise
