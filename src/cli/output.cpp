#include "cli/output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "core/analysis/tolerance.h"
#include "core/input/acquisition.h"
#include "core/input/cell_notes.h"
#include "core/input/entry_syntax.h"
#include "core/input/islands.h"
#include "core/input/network_file.h"
#include "core/interop/file_sections.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/atomic_file.h"
#include "core/platform/standard_error_port.h"

namespace nodewise::cli {

std::optional<Method> MethodNamed(std::string_view name) {
    if (name == "gauss") {
        return Method::Gauss;
    }
    if (name == "newton") {
        return Method::Newton;
    }
    if (name == "stott") {
        return Method::Stott;
    }
    return std::nullopt;
}

int UsageError(const std::string& problem, const char* usage) {
    std::cerr << "nodewise-cli: " << problem << '\n' << usage;
    return ExitUsageOrFile;
}

std::optional<int> ScanNetworkArguments(int argc, char** argv, const char* usage,
                                        const std::vector<std::string_view>& options,
                                        std::string& network, const OptionTaker& take,
                                        std::string_view missing) {
    bool haveNetwork = false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            if (haveNetwork) {
                return UsageError("unexpected argument '" + arg + "'", usage);
            }
            network = arg;
            haveNetwork = true;
            continue;
        }
        std::string value;
        bool inlineValue = false;
        const std::size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            inlineValue = true;
        }
        if (std::find(options.begin(), options.end(), arg) == options.end()) {
            return UsageError("unknown option '" + arg + "'", usage);
        }
        if (arg == StrictOption || arg == QLimitsOption) {
            if (inlineValue) {
                return UsageError("option '" + arg + "' takes no value", usage);
            }
        } else if (!inlineValue) {
            if (i + 1 >= argc) {
                return UsageError("option '" + arg + "' needs a value", usage);
            }
            value = argv[++i];
        }
        if (const std::optional<int> status = take(arg, value)) {
            return status;
        }
    }
    if (!haveNetwork) {
        return UsageError(std::string(missing), usage);
    }
    return std::nullopt;
}

std::optional<int> TakeMethod(const std::string& value, const char* usage,
                              std::optional<Method>& method) {
    method = MethodNamed(value);
    if (!method) {
        return UsageError("unknown method '" + value + "' (gauss, newton or stott)", usage);
    }
    return std::nullopt;
}

std::optional<int> ScanCommandArguments(int argc, char** argv, const char* usage,
                                        std::string_view name,
                                        std::initializer_list<std::string_view> own,
                                        CommandOptions& options, const OptionTaker& take) {
    std::vector<std::string_view> accepted(own);
    accepted.insert(accepted.end(), {"--method", "--output", StrictOption, StopToleranceOption,
                                     AccelerationOption, QLimitsOption});
    const std::optional<int> status = ScanNetworkArguments(
        argc, argv, usage, accepted, options.network,
        [&](std::string_view option, const std::string& value) -> std::optional<int> {
            if (IsRunOption(option)) {
                return TakeRunOption(option, value, usage, options.run);
            }
            if (option == "--method") {
                return TakeMethod(value, usage, options.method);
            }
            if (option == StrictOption) {
                options.strict = true;
            } else if (option == "--output") {
                options.output = value;
            } else if (option == "--iterations") {
                options.iterations = value;
            } else {
                return take(option, value);
            }
            return std::nullopt;
        });
    if (status) {
        return status;
    }
    if (!options.method) {
        return UsageError(std::string(name) + " needs --method gauss|newton|stott", usage);
    }
    return std::nullopt;
}

UserPort& ErrorPort() {
    static StandardErrorPort port("nodewise-cli");
    return port;
}

namespace {

// The failed inversions of the runs of one command ("Impossibile invertire la Matrice."); the
// zero-order message is none, there being no matrix to invert.
int& FailedInversions() {
    static int count = 0;
    return count;
}

class CommandObserver final : public PortObserver {
public:
    CommandObserver() : PortObserver(ErrorPort()) {}
    void InversionFailed(Inversion outcome) override {
        FailedInversions() += outcome == Inversion::Failed ? 1 : 0;
        PortObserver::InversionFailed(outcome);
    }
};

} // namespace

Run RunMethod(Method method, const Network& network, const CalculationOptions& options) {
    CommandObserver observer;
    return Iterate(method, network, observer, options);
}

bool IsRunOption(std::string_view option) {
    return option == StopToleranceOption || option == AccelerationOption || option == QLimitsOption;
}

std::optional<int> TakeRunOption(std::string_view option, const std::string& value,
                                 const char* usage, RunFlags& flags) {
    if (option == QLimitsOption) {
        flags.qLimits = true;
    } else if (option == StopToleranceOption) {
        const std::optional<double> tolerance = ReadTolerance(value);
        if (!tolerance) {
            ErrorPort().showMessage(ToleranceRuleText, ToleranceRuleCaption,
                                    MessageIcon::Exclamation);
            return ExitUsageOrFile;
        }
        flags.options.stopTolerance = *tolerance;
    } else {
        const std::string number = FilterNumber(value);
        const double alpha = number.empty() ? 0.0 : DecimalConversion(number);
        if (number.size() != value.size() || !IsValidAcceleration(alpha)) {
            return UsageError("invalid acceleration '" + value + "' (at least 1, below 2)", usage);
        }
        flags.options.acceleration = alpha;
    }
    return std::nullopt;
}

std::optional<int> CheckRunFlags(const RunFlags& flags, std::optional<Method> method,
                                 const char* usage) {
    if (flags.options.acceleration != PlainAcceleration && method != Method::Gauss) {
        return UsageError("--acceleration is for --method gauss only", usage);
    }
    return std::nullopt;
}

std::optional<int> PrepareRun(const CommandOptions& options, const Network& network,
                              CalculationOptions& calculation) {
    if (!AnnounceMethod(ErrorPort(), network, *options.method)) {
        return ExitRefused;
    }
    return ResolveRunOptions(options.run, options.network, network, calculation);
}

std::optional<int> ResolveRunOptions(const RunFlags& flags, const std::string& path,
                                     const Network& network, CalculationOptions& options) {
    options = flags.options;
    if (!flags.qLimits) {
        return std::nullopt;
    }
    NetworkFile file;
    if (ReadNetworkFile(path, file) && file.sections.options) {
        options.reactiveLimits = file.sections.options->reactiveLimits;
    }
    if (const std::optional<std::string> problem = LimitsProblem(network, options)) {
        ErrorPort().showMessage(*problem, InputWarningCaption, MessageIcon::Exclamation);
        return ExitRejected;
    }
    return std::nullopt;
}

int OnAcquiredNetwork(const std::string& network, std::string_view iterations, bool strict,
                      const AcquiredCommand& command) {
    CellTexts cells;
    if (!ReadNetworkFile(network, cells)) {
        ErrorPort().showMessage(NetworkLoadErrorText, NetworkFileErrorCaption, MessageIcon::Stop);
        return ExitUsageOrFile;
    }
    const std::vector<UnreadCell> unread = UnreadCells(cells, '.');
    for (const UnreadCell& cell : unread) {
        std::cerr << UnreadCellLine(cell) << '\n';
    }
    if (strict && !unread.empty()) {
        return ExitRejected;
    }
    try {
        const Acquisition acquisition = Acquire(iterations, cells);
        if (acquisition.warning) {
            ShowInputWarning(ErrorPort(), *acquisition.warning);
            return ExitRejected;
        }
        if (const std::optional<CutOffNodes> cutOff = FindCutOffNodes(acquisition.network)) {
            ErrorPort().showMessage(CutOffMessage(*cutOff), InputWarningCaption,
                                    MessageIcon::Exclamation);
            if (strict) {
                return ExitRejected;
            }
        }
        FailedInversions() = 0;
        const int status = command(acquisition.network, cells);
        return status == ExitDone && FailedInversions() > 0 ? ExitInversionFailed : status;
    } catch (const ArithmeticFault& fault) {
        ErrorPort().showMessage(fault.what(), "Nodewise", MessageIcon::Stop);
        return ExitArithmeticFault;
    }
}

int OnAcquiredNetwork(const CommandOptions& options, const AcquiredCommand& command) {
    return OnAcquiredNetwork(options.network, options.iterations, options.strict, command);
}

int OnPreparedRun(const CommandOptions& options, const PreparedCommand& command) {
    return OnAcquiredNetwork(options, [&](const Network& network, const CellTexts&) {
        CalculationOptions calculation;
        if (const std::optional<int> refused = PrepareRun(options, network, calculation)) {
            return *refused;
        }
        return command(network, calculation);
    });
}

int WriteOutput(const std::optional<std::string>& output, std::string_view contents,
                const SaveError& error) {
    if (output) {
        std::string reason;
        if (!WriteFileAtomically(*output, contents, &reason)) {
            ErrorPort().showDetailedMessage(error.text, error.caption, error.icon, reason);
            return ExitUsageOrFile;
        }
        return ExitDone;
    }
    std::fwrite(contents.data(), 1, contents.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "nodewise-cli: cannot write to standard output: " << std::strerror(errno)
                  << '\n';
        return ExitUsageOrFile;
    }
    return ExitDone;
}

} // namespace nodewise::cli
