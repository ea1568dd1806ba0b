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

constexpr const char* StepWriteErrorCaption = "Errore";
constexpr const char* StepWriteErrorText = "Errore salvataggio in .json";

struct StepOptions {
    std::string network;
    std::optional<Method> method;
    std::optional<int> iteration;
    std::optional<std::string> output;
};

int UsageError(const std::string& problem, const char* usage) {
    std::cerr << "nodewise-cli: " << problem << '\n' << usage;
    return ExitUsageOrFile;
}

std::optional<int> ParseStepOptions(int argc, char** argv, const char* usage,
                                    StepOptions& options) {
    bool haveNetwork = false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) != 0) {
            if (haveNetwork) {
                return UsageError("unexpected argument '" + arg + "'", usage);
            }
            options.network = arg;
            haveNetwork = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            inlineValue = true;
        }
        if (arg != "--method" && arg != "--iteration" && arg != "--output") {
            return UsageError("unknown option '" + arg + "'", usage);
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                return UsageError("option '" + arg + "' needs a value", usage);
            }
            value = argv[++i];
        }
        if (arg == "--method") {
            options.method = MethodNamed(value);
            if (!options.method) {
                return UsageError("unknown method '" + value + "' (gauss, newton or stott)", usage);
            }
        } else if (arg == "--iteration") {
            options.iteration = ParseStepIteration(value);
            if (!options.iteration) {
                return UsageError(
                    "invalid iteration '" + value + "' (a whole number from 1 to 999)", usage);
            }
        } else {
            options.output = value;
        }
    }
    if (!haveNetwork) {
        return UsageError("missing network file", usage);
    }
    if (!options.method) {
        return UsageError("step needs --method gauss|newton|stott", usage);
    }
    if (!options.iteration) {
        return UsageError("step needs --iteration K (1 to 999)", usage);
    }
    return std::nullopt;
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
    return OnAcquiredNetwork(options.network, std::to_string(*options.iteration), [&options] {
        if (!AnnounceMethod(*options.method)) {
            return static_cast<int>(ExitRefused);
        }
        const IterationStep step = ComputeStep(*options.method, *options.iteration);
        if (step.fault) {
            throw ArithmeticFault(*step.fault); // told as any fault of a run
        }
        const std::string contents = StepJson(step).dump(2) + "\n";
        return WriteOutput(options.output, contents,
                           {StepWriteErrorText, StepWriteErrorCaption, MessageIcon::Exclamation});
    });
}

} // namespace nodewise::cli
