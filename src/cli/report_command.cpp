#include "cli/report_command.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/output.h"
#include "core/analysis/mismatch_trace.h"
#include "core/analysis/power_balance.h"
#include "core/analysis/tolerance.h"
#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/atomic_file.h"
#include "core/platform/user_port.h"

namespace nodewise::cli {

namespace {

using Json = nlohmann::ordered_json; // the keys in the documented order

struct ReportOptions : CommandOptions {
    double tolerance = DefaultTolerance;
};

std::optional<int> ParseReportOptions(int argc, char** argv, const char* usage,
                                      ReportOptions& options) {
    const std::optional<int> status = ScanCommandArguments(
        argc, argv, usage, "report", {"--iterations", "--tolerance"}, options,
        [&](std::string_view, const std::string& value) -> std::optional<int> {
            const std::optional<double> tolerance = ReadTolerance(value);
            if (!tolerance) {
                ErrorPort().showMessage(ToleranceRuleText, ToleranceRuleCaption,
                                        MessageIcon::Exclamation);
                return ExitUsageOrFile;
            }
            options.tolerance = *tolerance;
            return std::nullopt;
        });
    if (status) {
        return status;
    }
    return CheckRunFlags(options.run, options.method, usage);
}

Json Optional(const std::optional<double>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json ReportJson(const Network& network, const Run& run, double tolerance, bool qLimits) {
    const std::vector<MismatchEntry> trace = MismatchTrace(network, run);
    const std::optional<int> convergedAt = ConvergedAt(trace, tolerance);
    const PowerBalance balance = ComputePowerBalance(network, run);

    Json report;
    report["method"] = Info(run.method).name;
    report["iterations"] = run.IterationCount;
    if (run.options.stopTolerance) {
        report["typed_iterations"] = run.typedIterationCount;
        report["stopped"] = run.converged ? "converged" : "not_converged";
    }
    report["tolerance"] = tolerance;
    report["converged_at"] = convergedAt ? Json(*convergedAt) : Json(nullptr);
    Json entries = Json::array();
    for (std::size_t k = 0; k < trace.size(); ++k) {
        const MismatchEntry& entry = trace[k];
        const bool any = entry.node >= 0;
        entries.push_back({{"k", k},
                           {"max_dP", Optional(entry.maxDP)},
                           {"max_dQ", Optional(entry.maxDQ)},
                           {"mismatch", any ? Json(entry.mismatch) : Json(nullptr)},
                           {"node", any ? Json(entry.node + 1) : Json(nullptr)}});
    }
    report["trace"] = std::move(entries);
    Json nodes = Json::array();
    const HeldNodes held = HeldAt(run, run.IterationCount);
    for (const NodeBalance& node : balance.nodes) {
        Json entry = {{"node", node.node + 1}, {"type", NodeTypeLabel(node.type)},
                      {"E", node.E},           {"d", node.dDegrees},
                      {"P", node.P},           {"Q", node.Q}};
        if (qLimits) {
            const HeldLimit limit = held[static_cast<std::size_t>(node.node)];
            entry["q_limit"] = limit == HeldLimit::Max   ? Json("max")
                               : limit == HeldLimit::Min ? Json("min")
                                                         : Json(nullptr);
        }
        nodes.push_back(std::move(entry));
    }
    report["nodes"] = std::move(nodes);
    Json branches = Json::array();
    for (const BranchFlow& flow : balance.branches) {
        branches.push_back({{"from", flow.from + 1},
                            {"to", flow.to + 1},
                            {"P_from", flow.fromEnd.real()},
                            {"Q_from", flow.fromEnd.imag()},
                            {"P_to", flow.toEnd.real()},
                            {"Q_to", flow.toEnd.imag()},
                            {"P_loss", flow.loss.real()},
                            {"Q_loss", flow.loss.imag()}});
    }
    report["branches"] = std::move(branches);
    Json shunts = Json::array();
    for (const ShuntFlow& shunt : balance.shunts) {
        shunts.push_back(
            {{"node", shunt.node + 1}, {"P", shunt.power.real()}, {"Q", shunt.power.imag()}});
    }
    report["shunts"] = std::move(shunts);
    report["losses"] = {{"P", balance.losses.real()}, {"Q", balance.losses.imag()}};
    return report;
}

int WriteReport(const ReportOptions& options, const Network& network, const Run& run) {
    const std::string contents =
        ReportJson(network, run, options.tolerance, options.run.qLimits).dump(2) + "\n";
    return WriteOutput(options.output, contents, JsonSaveError);
}

} // namespace

int RunReportCommand(int argc, char** argv, const char* usage) {
    ReportOptions options;
    if (const std::optional<int> status = ParseReportOptions(argc, argv, usage, options)) {
        return *status;
    }
    return OnPreparedRun(options,
                         [&options](const Network& network, const CalculationOptions& calculation) {
                             const Run run = RunMethod(*options.method, network, calculation);
                             return WriteReport(options, network, run);
                         });
}

} // namespace nodewise::cli
