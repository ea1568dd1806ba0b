#include "cli/diagram_command.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>
#include <string>

#include "cli/output.h"
#include "core/analysis/power_balance.h"
#include "core/drawing/network_diagram.h"
#include "core/drawing/network_diagram_svg.h"
#include "core/platform/user_port.h"

namespace nodewise::cli {

namespace {

constexpr const char* DiagramWriteErrorCaption = "Errore";
constexpr const char* DiagramWriteErrorText = "Errore salvataggio in .svg";

struct DiagramOptions : CommandOptions {
    std::optional<int> iteration; // the last one when not given
};

std::optional<int> ParseIteration(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseDiagramOptions(int argc, char** argv, const char* usage,
                                       DiagramOptions& options) {
    const std::optional<int> status = ScanCommandArguments(
        argc, argv, usage, "diagram", {"--iterations", "--iteration"}, options,
        [&](std::string_view, const std::string& value) -> std::optional<int> {
            options.iteration = ParseIteration(value);
            if (!options.iteration) {
                return UsageError("invalid iteration '" + value + "' (a whole number from 0)",
                                  usage);
            }
            return std::nullopt;
        });
    if (status) {
        return status;
    }
    return CheckRunFlags(options.run, options.method, usage);
}

int WriteDiagram(const DiagramOptions& options, const char* usage, const Network& network) {
    const int last = network.LastHistoryEntry();
    const int entry = options.iteration.value_or(last);
    if (entry > last) {
        return UsageError("iteration " + std::to_string(entry) + " is past the last one (" +
                              std::to_string(last) + ")",
                          usage);
    }
    CalculationOptions calculation;
    if (const std::optional<int> refused = PrepareRun(options, network, calculation)) {
        return *refused;
    }
    const Run run = RunMethod(*options.method, network, calculation);
    // a tolerance may end the run before the entry asked for: its last iterate then
    const int shown = std::min(entry, run.IterationCount);
    const PowerBalance balance = ComputePowerBalance(network, run.EHistory.rows(),
                                                     run.dHistory.rows(), shown, run.NodeCount);
    NetworkDiagram diagram =
        BuildNetworkDiagram(balance, LayoutCentres(LayOutAcquiredNetwork(network)), ".",
                            DiagramCaption(*options.method, shown, run.IterationCount));
    MarkHeldNodes(diagram, HeldAt(run, shown));
    return WriteOutput(options.output, NetworkDiagramSvg(diagram),
                       {DiagramWriteErrorText, DiagramWriteErrorCaption, MessageIcon::Exclamation});
}

} // namespace

int RunDiagramCommand(int argc, char** argv, const char* usage) {
    DiagramOptions options;
    if (const std::optional<int> status = ParseDiagramOptions(argc, argv, usage, options)) {
        return *status;
    }
    return OnAcquiredNetwork(options, [&options, usage](const Network& network, const CellTexts&) {
        return WriteDiagram(options, usage, network);
    });
}

} // namespace nodewise::cli
