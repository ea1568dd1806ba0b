// nodewise-cli: the batch front end. Runs the same core as the desktop program on a network
// data file: prints the acquired summary, or solves and writes what "Salva Risultati" writes.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "cli/diagram_command.h"
#include "cli/matpower_commands.h"
#include "cli/output.h"
#include "cli/report_command.h"
#include "cli/step_command.h"
#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/model/network.h"
#include "core/model/version.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/atomic_file.h"
#include "core/platform/user_port.h"
#include "core/results/methods.h"
#include "core/results/results_export.h"
#include "core/results/summary_rows.h"

namespace {

using namespace nodewise;
using namespace nodewise::cli;

const std::string Usage =
    std::string("usage: nodewise-cli summary NETWORK.nwd [--iterations TEXT] [--strict]\n"
                "       nodewise-cli solve   NETWORK.nwd --method gauss|newton|stott "
                "[--iterations TEXT]\n"
                "                            [--format csv|html] [--output FILE] [--strict]\n"
                "       nodewise-cli report  NETWORK.nwd --method gauss|newton|stott "
                "[--iterations TEXT]\n"
                "                            [--tolerance X] [--output FILE] [--strict]\n"
                "       nodewise-cli step    NETWORK.nwd --method gauss|newton|stott "
                "--iteration K\n"
                "                            [--output FILE] [--strict]\n") +
    MatpowerUsage + DiagramUsage +
    "       solve, report, step and diagram also take [--stop-tolerance X] [--acceleration A]\n"
    "                            [--q-limits]\n";

// What --help adds to the usage.
const char* const HelpNotes =
    "\n"
    "Cells whose text is not all read are listed on standard error before anything else, and\n"
    "nodes cut off from the slack node are named after the acquisition; --strict refuses such\n"
    "a network with status 2.\n"
    "\n"
    "Calculation options, all off by default: --stop-tolerance X ends a run after the first\n"
    "iteration whose mismatch is within X pu (the report then says \"typed_iterations\" and\n"
    "\"stopped\"); --acceleration A (1 <= A < 2) accelerates Gauss-Seidel; --q-limits holds the\n"
    "nodes with E given and Q unknown within the reactive limits of the network file (the\n"
    "report's nodes then carry \"q_limit\"); a limit on another node is refused with status 2.\n"
    "\n"
    "Exit status: 0 done; 1 usage or file error; 2 acquisition rejected; 3 arithmetic fault;\n"
    "4 method refused; 5 done, but a matrix inversion failed (\"Impossibile invertire la\n"
    "Matrice.\" on standard error; for step, \"failed\" in its JSON).\n";

struct Options : CommandOptions {
    std::string command;
    ExportFormat format = ExportFormat::Csv;
};

int UsageError(const std::string& problem) {
    std::cerr << "nodewise-cli: " << problem << '\n' << Usage;
    return ExitUsageOrFile;
}

// Parses the command line; returns an exit status when it cannot go on.
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
    if (argc < 2) {
        return UsageError("missing command");
    }
    options.command = argv[1];
    if (options.command == "--help" || options.command == "-h" || options.command == "help") {
        std::cout << Usage << HelpNotes;
        return ExitDone;
    }
    if (options.command == "--version") {
        std::cout << "nodewise-cli " << VersionText << '\n';
        return ExitDone;
    }
    if (options.command != "summary" && options.command != "solve") {
        return UsageError("unknown command '" + options.command + "'");
    }
    const bool summary = options.command == "summary";
    const std::optional<int> status = ScanNetworkArguments(
        argc, argv, Usage.c_str(),
        {"--iterations", "--method", "--format", "--output", StrictOption, StopToleranceOption,
         AccelerationOption, QLimitsOption},
        options.network,
        [&](std::string_view option, const std::string& value) -> std::optional<int> {
            if (summary && option != "--iterations" && option != StrictOption) {
                return UsageError("option '" + std::string(option) +
                                  "' belongs to the solve command");
            }
            if (IsRunOption(option)) {
                return TakeRunOption(option, value, Usage.c_str(), options.run);
            }
            if (option == StrictOption) {
                options.strict = true;
            } else if (option == "--iterations") {
                options.iterations = value;
            } else if (option == "--method") {
                return TakeMethod(value, Usage.c_str(), options.method);
            } else if (option == "--format") {
                if (value == "csv") {
                    options.format = ExportFormat::Csv;
                } else if (value == "html") {
                    options.format = ExportFormat::Html;
                } else {
                    return UsageError("unknown format '" + value + "' (csv or html)");
                }
            } else {
                options.output = value;
            }
            return std::nullopt;
        });
    if (status) {
        return status;
    }
    if (options.command == "solve" && !options.method) {
        return UsageError("solve needs --method gauss|newton|stott");
    }
    if (const std::optional<int> refused =
            CheckRunFlags(options.run, options.method, Usage.c_str())) {
        return refused;
    }
    return std::nullopt;
}

void PrintSummary(const Network& network) {
    const int n = network.ActiveNodeCount();
    for (int i = 0; i < n; ++i) {
        const SummaryRow row = SummaryRowOf(network, i, ".");
        for (int c = 0; c < SummaryColumnCount; ++c) {
            std::cout << row[c] << (c + 1 < SummaryColumnCount ? '\t' : '\n');
        }
    }
}

int Solve(const Options& options, const Network& network) {
    const MethodInfo& info = Info(*options.method);
    CalculationOptions calculation;
    if (const std::optional<int> refused = PrepareRun(options, network, calculation)) {
        return *refused;
    }
    const Run run = RunMethod(*options.method, network, calculation);
    const std::string contents =
        FormatResults(options.format, info.caption, run.EHistory.rows(), run.dHistory.rows(),
                      run.IterationCount, run.NodeCount);
    return WriteOutput(
        options.output, contents,
        {ExportErrorText(options.format), ExportErrorCaption, MessageIcon::Exclamation});
}

int RunCommand(const Options& options) {
    return OnAcquiredNetwork(options, [&options](const Network& network, const CellTexts&) {
        if (options.command == "summary") {
            PrintSummary(network);
            return static_cast<int>(std::cout.flush() ? ExitDone : ExitUsageOrFile);
        }
        return Solve(options, network);
    });
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit makes a save fail with EFBIG, reported as any failed save, instead of
    // killing the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::optional<int> status = RunMatpowerCommand(argc, argv)) {
        return *status;
    }
    if (argc >= 2 && std::strcmp(argv[1], "report") == 0) {
        return RunReportCommand(argc, argv, Usage.c_str());
    }
    if (argc >= 2 && std::strcmp(argv[1], "step") == 0) {
        return RunStepCommand(argc, argv, Usage.c_str());
    }
    if (argc >= 2 && std::strcmp(argv[1], "diagram") == 0) {
        return RunDiagramCommand(argc, argv, Usage.c_str());
    }
    Options options;
    if (const std::optional<int> status = ParseOptions(argc, argv, options)) {
        return *status;
    }
    try {
        return RunCommand(options);
    } catch (const std::exception& error) {
        std::cerr << "nodewise-cli: " << error.what() << '\n';
        return ExitUsageOrFile;
    }
}
