#include "cli/step_command.h"

#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/output.h"
#include "core/analysis/iteration_step.h"
#include "core/numeric/arithmetic_fault.h"

namespace nodewise::cli {

namespace {

using Json = nlohmann::ordered_json; // the keys in the documented order

struct StepOptions : CommandOptions {
    std::optional<int> iteration;
};

std::optional<int> ParseStepOptions(int argc, char** argv, const char* usage,
                                    StepOptions& options) {
    const std::optional<int> status = ScanCommandArguments(
        argc, argv, usage, "step", {"--iteration"}, options,
        [&](std::string_view, const std::string& value) -> std::optional<int> {
            options.iteration = ParseStepIteration(value);
            if (!options.iteration) {
                return UsageError(
                    "invalid iteration '" + value + "' (a whole number from 1 to 999)", usage);
            }
            return std::nullopt;
        });
    if (status) {
        return status;
    }
    if (!options.iteration) {
        return UsageError("step needs --iteration K (1 to 999)", usage);
    }
    options.iterations = std::to_string(*options.iteration); // acquired with K iterations
    return CheckRunFlags(options.run, options.method, usage);
}

Json Labels(const std::vector<StepLabel>& labels) {
    Json list = Json::array();
    for (const StepLabel& label : labels) {
        list.push_back(LabelText(label));
    }
    return list;
}

Json Rows(const StepMatrix& matrix) {
    Json rows = Json::array();
    for (const std::vector<double>& row : matrix) {
        rows.push_back(Json(row));
    }
    return rows;
}

const char* InversionText(Inversion inversion) {
    switch (inversion) {
    case Inversion::ZeroOrder:
        return "zero order";
    case Inversion::Failed:
        return "failed";
    case Inversion::Done:
        break;
    }
    return "done";
}

Json State(const std::vector<double>& E, const std::vector<double>& d) {
    return Json{{"E", E}, {"d", d}};
}

Json GaussNodes(const std::vector<GaussNodeStep>& nodes) {
    Json list = Json::array();
    for (const GaussNodeStep& node : nodes) {
        Json computed = nullptr;
        if (node.computedQuantity != 0) {
            computed = Json{{"quantity", std::string(1, node.computedQuantity)},
                            {"value", node.computedValue}};
        }
        list.push_back({{"node", node.node + 1},
                        {"type", NodeTypeLabel(node.type)},
                        {"computed", computed},
                        {"C", node.hasVoltage ? Json(node.C) : Json(nullptr)},
                        {"R", node.hasVoltage ? Json(node.R) : Json(nullptr)}});
    }
    return list;
}

Json StepJson(const IterationStep& step) {
    Json json;
    json["method"] = Info(step.method).name;
    json["iteration"] = step.iteration;
    json["before"] = State(step.EBefore, step.dBefore);
    json["after"] = State(step.EAfter, step.dAfter);
    switch (step.method) {
    case Method::Newton:
        json["equations"] = Labels(step.equations);
        json["unknowns"] = Labels(step.unknowns);
        json["mismatch"] = step.mismatch;
        json["jacobian"] = Rows(step.jacobian);
        json["jacobian_inverse"] = Rows(step.jacobianInverse);
        json["correction"] = step.correction;
        json["inversion"] = InversionText(step.jacobianInversion);
        break;
    case Method::Stott:
        json["equations"] = Labels(step.equations);
        json["unknowns"] = Labels(step.unknowns);
        json["b_prime"] = Rows(step.bPrime);
        json["b_prime_inverse"] = Rows(step.bPrimeInverse);
        json["b_second"] = Rows(step.bSecond);
        json["b_second_inverse"] = Rows(step.bSecondInverse);
        json["mismatch"] = step.mismatch;
        json["correction"] = step.correction;
        json["b_prime_inversion"] = InversionText(step.bPrimeInversion);
        json["b_second_inversion"] = InversionText(step.bSecondInversion);
        break;
    case Method::Gauss:
        json["nodes"] = GaussNodes(step.nodes);
        break;
    }
    return json;
}

} // namespace

int RunStepCommand(int argc, char** argv, const char* usage) {
    StepOptions options;
    if (const std::optional<int> status = ParseStepOptions(argc, argv, usage, options)) {
        return *status;
    }
    return OnPreparedRun(
        options, [&options](const Network& network, const CalculationOptions& calculation) {
            const IterationStep step =
                ComputeStep(network, *options.method, *options.iteration, calculation);
            if (step.fault) {
                throw ArithmeticFault(*step.fault); // told as any fault of a run
            }
            const std::string contents = StepJson(step).dump(2) + "\n";
            const int status = WriteOutput(options.output, contents, JsonSaveError);
            // The step's inversions are told in its JSON, not on standard error.
            const bool failed = step.jacobianInversion == Inversion::Failed ||
                                step.bPrimeInversion == Inversion::Failed ||
                                step.bSecondInversion == Inversion::Failed;
            return status == ExitDone && failed ? static_cast<int>(ExitInversionFailed) : status;
        });
}

} // namespace nodewise::cli
