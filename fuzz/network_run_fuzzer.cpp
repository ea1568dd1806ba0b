// From bytes to exports, as nodewise-cli goes: the first line of the input is what the user
// would type in the iteration box, the rest is a network data file. The file is read, acquired,
// solved by the three methods and exported as CSV and as HTML; the step of the last iteration
// and the drawing of the last iterate are made as `step` and `diagram` make them. Arithmetic faults
// and the refusals of the program end a run as they end one of the program's; anything else that
// goes wrong (a sanitizer's report, a broken property below) is a finding. Calculation options
// in the file's sections are used too, in a second run of each method.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/analysis/iteration_step.h"
#include "core/analysis/power_balance.h"
#include "core/drawing/network_diagram.h"
#include "core/drawing/network_diagram_svg.h"
#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/interop/file_sections.h"
#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/results/methods.h"
#include "core/results/results_export.h"

namespace {

using namespace nodewise;

void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A file written from cells read from a file gives back the same cells, save for a carriage
// return left inside a cell, which the writer turns into a blank.
void CheckFileRoundTrip(const CellTexts& cells) {
    const std::string file = FormatNetworkFile(cells);
    Require(Lines(file) == static_cast<std::size_t>(CellCount), "a network file has 56 lines");
    const CellTexts again = ParseNetworkFile(file);
    for (int line = 0; line < CellCount; ++line) {
        std::string expected = CellInFileOrder(cells, line);
        Require(expected.find('\n') == std::string::npos, "a cell read holds no line feed");
        std::replace(expected.begin(), expected.end(), '\r', ' ');
        Require(CellInFileOrder(again, line) == expected, "cells survive writing and reading");
    }
}

// Both exports of the method's history: the number of lines follows from the counts, and every
// number is finite (a fault would have stopped the run).
void CheckExports(const Network& network, const Run& run) {
    const std::size_t entries = static_cast<std::size_t>(network.LastHistoryEntry()) + 1;
    const std::size_t nodes = static_cast<std::size_t>(network.ActiveNodeCount());
    for (ExportFormat format : {ExportFormat::Csv, ExportFormat::Html}) {
        const std::string text = FormatResults(format, Info(run.method).caption, run.EHistory,
                                               run.dHistory, run.IterationCount, run.NodeCount);
        const std::size_t frame = format == ExportFormat::Csv ? 3 : 7;
        Require(Lines(text) == frame + entries * (nodes + 1), "export line count");
        Require(text.find("nan") == std::string::npos && text.find("inf") == std::string::npos,
                "exported numbers are finite");
    }
}

std::size_t Count(const std::string& text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// The step of the last iteration ends where the run ended: its state after is the history's
// last entry, bit for bit (phases in degrees, as the run leaves them).
void CheckLastStep(const Network& network, const Run& run) {
    const int k = run.IterationCount;
    if (k < 1) {
        return;
    }
    const IterationStep step = ComputeStep(network, run.method, k, run.options);
    Require(!step.fault, "a run that ended has a step for its last iteration");
    Require(step.EAfter.size() == static_cast<std::size_t>(network.ActiveNodeCount()),
            "the step has a state per node");
    for (int i = 0; i < network.ActiveNodeCount(); ++i) {
        Require(step.EAfter[i] == run.EHistory[i][k], "the step's E after is the history's");
        Require(step.dAfter[i] == run.dHistory[i][k], "the step's d after is the history's");
    }
}

// A run with options ends within the count typed, within the tolerance when it stops early, and
// says for each of its entries which nodes a limit holds.
void CheckOptionsRun(const Network& network, const Run& run) {
    Require(run.IterationCount <= network.LastHistoryEntry(), "a run ends within its count");
    Require(run.typedIterationCount == network.LastHistoryEntry(), "a run keeps its count");
    Require(!run.converged || run.options.stopTolerance, "only a tolerance converges a run");
    Require(run.converged || run.IterationCount == network.LastHistoryEntry(),
            "a run stops early only within the tolerance");
    Require(HasReactiveLimits(run.options)
                ? run.heldLimits.size() == static_cast<std::size_t>(run.IterationCount) + 1
                : run.heldLimits.empty(),
            "the held nodes of every entry");
}

// The drawing of the last iterate has one group per node.
void CheckDiagram(const Network& network, const Run& run) {
    const int last = network.LastHistoryEntry();
    try {
        const PowerBalance balance = ComputePowerBalance(network, run);
        const NetworkDiagram diagram =
            BuildNetworkDiagram(balance, LayoutCentres(LayOutAcquiredNetwork(network)), ".",
                                DiagramCaption(run.method, last, last));
        const std::string svg = NetworkDiagramSvg(diagram);
        Require(Count(svg, "<g class=\"node\"") ==
                    static_cast<std::size_t>(network.ActiveNodeCount()),
                "one node group per node");
    } catch (const ArithmeticFault&) {
        // the balance of an iterate can overflow, as in `diagram`
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string_view iterations = input.substr(0, lineEnd);
    const std::string_view file =
        lineEnd == std::string_view::npos ? std::string_view() : input.substr(lineEnd + 1);

    const CellTexts cells = ParseNetworkFile(file);
    CheckFileRoundTrip(cells);
    Network network;
    try {
        Acquisition acquisition = Acquire(iterations, cells);
        if (acquisition.warning) {
            return 0; // a warning, as the program shows it
        }
        network = acquisition.network;
    } catch (const ArithmeticFault&) {
        return 0;
    }
    Require(network.NodeCount >= 0 && network.NodeCount <= MaxNodes,
            "an accepted network has at most 7 nodes");
    Require(network.IterationCount >= 0 && network.IterationCount < MaxIterations,
            "an accepted iteration count fits the histories");

    // The options of the file, when they can be used on this network.
    const NetworkFile withSections = ParseNetworkFileWithSections(file);
    std::optional<CalculationOptions> options = withSections.sections.options;
    if (options &&
        (AllOff(*options) || OptionsProblem(*options) || LimitsProblem(network, *options))) {
        options.reset();
    }

    SolverObserver observer;
    for (Method method : {Method::Gauss, Method::Newton, Method::Stott}) {
        if (DecideMethod(network, method) == MethodDecision::Refuse) {
            continue; // warning 8
        }
        std::optional<Run> run;
        try {
            run.emplace(Iterate(method, network, observer));
        } catch (const ArithmeticFault&) {
            continue;
        }
        CheckExports(network, *run);
        CheckLastStep(network, *run);
        CheckDiagram(network, *run);
        if (options) {
            try {
                const Run limited = Iterate(method, network, observer, *options);
                CheckOptionsRun(network, limited);
                CheckLastStep(network, limited);
            } catch (const ArithmeticFault&) {
            }
        }
    }
    return 0;
}
