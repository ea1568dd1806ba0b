// What every command of nodewise-cli shares: the exit statuses, the method names and the
// writing of a result.
#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/input/cell_texts.h"
#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/platform/user_port.h"
#include "core/results/methods.h"

namespace nodewise::cli {

enum ExitStatus {
    ExitDone = 0,
    ExitUsageOrFile = 1,
    ExitRejected = 2,
    ExitArithmeticFault = 3,
    ExitRefused = 4,
    ExitInversionFailed = 5, // the command did its work, but a matrix inversion failed on the way
};

// The option that makes an acquiring command refuse a network with unread cell text or nodes
// cut off from the slack node. It takes no value.
inline constexpr std::string_view StrictOption = "--strict";
// The option that makes a run use the reactive limits of the network file. It takes no value.
inline constexpr std::string_view QLimitsOption = "--q-limits";

// The calculation options of solve, report, step and diagram: --stop-tolerance X (the core's
// tolerance rule), --acceleration A (1 <= A < 2, Gauss-Seidel only) and --q-limits (the reactive
// limits of the network file's options). Without them a run is the plain one.
inline constexpr std::string_view StopToleranceOption = "--stop-tolerance";
inline constexpr std::string_view AccelerationOption = "--acceleration";
struct RunFlags {
    CalculationOptions options; // tolerance and acceleration as given
    bool qLimits = false;
};

// True for the three options above.
bool IsRunOption(std::string_view option);

// Takes one of them into `flags`; a value that breaks its rule is refused with its message (the
// tolerance's) or as a usage error.
std::optional<int> TakeRunOption(std::string_view option, const std::string& value,
                                 const char* usage, RunFlags& flags);

// After the arguments: --acceleration with another method than gauss is a usage error.
std::optional<int> CheckRunFlags(const RunFlags& flags, std::optional<Method> method,
                                 const char* usage);

// The options of a run on the network of file `path`: the flags', with the file's reactive
// limits under --q-limits. Limits the network cannot take are told ("Attenzione:") and refused
// with ExitRejected.
std::optional<int> ResolveRunOptions(const RunFlags& flags, const std::string& path,
                                     const Network& network, CalculationOptions& options);

// The method named by --method: "gauss", "newton" or "stott".
std::optional<Method> MethodNamed(std::string_view name);

// A usage error: "nodewise-cli: PROBLEM" then the usage, on standard error; ExitUsageOrFile.
int UsageError(const std::string& problem, const char* usage);

// Takes one option's value; returns the status to end the command with, or nothing.
using OptionTaker =
    std::function<std::optional<int>(std::string_view option, const std::string& value)>;

// Reads the arguments after a command's name: one file and options "--name value" or
// "--name=value" among `options`, each value handed verbatim to `take` ("--iterations -5" is a
// count of -5); --strict and --q-limits, when among them, take no value and are handed with an
// empty one. A second file, an unknown option, an option without its value or no file at all
// ("missing network file", or `missing`) is a usage error. The one scanner of every command.
std::optional<int> ScanNetworkArguments(int argc, char** argv, const char* usage,
                                        const std::vector<std::string_view>& options,
                                        std::string& network, const OptionTaker& take,
                                        std::string_view missing = "missing network file");

// The value of --method into `method`, or the usage error for an unknown name.
std::optional<int> TakeMethod(const std::string& value, const char* usage,
                              std::optional<Method>& method);

// What solve, report, step and diagram are given besides their own options: the network file,
// --iterations (the text of the iteration box; not for step), --method, --output, --strict and
// the calculation options.
struct CommandOptions {
    std::string network;
    std::string iterations = "20";
    std::optional<Method> method;
    std::optional<std::string> output;
    bool strict = false;
    RunFlags run;
};

// Reads the arguments of the command `name` (report, step or diagram) as ScanNetworkArguments
// does: the options of CommandOptions into `options`, the command's `own` ones handed to
// `take`; --iterations is taken only when among `own`. Without --method: "NAME needs --method
// gauss|newton|stott", a usage error.
std::optional<int> ScanCommandArguments(int argc, char** argv, const char* usage,
                                        std::string_view name,
                                        std::initializer_list<std::string_view> own,
                                        CommandOptions& options, const OptionTaker& take);

// The port every message of nodewise-cli goes to: one line on standard error per message box
// of the desktop program, caption first.
UserPort& ErrorPort();

// Runs a method on the network, its progress and failed inversions told on ErrorPort.
[[nodiscard]] Run RunMethod(Method method, const Network& network,
                            const CalculationOptions& options = {});

// Before a run of the method of `options` on `network`: announces the method and resolves the
// run options into `calculation` (ResolveRunOptions). Returns the status to end with when the
// method is refused (ExitRefused) or the options are.
std::optional<int> PrepareRun(const CommandOptions& options, const Network& network,
                              CalculationOptions& calculation);

// Reads the network file and acquires it with the iteration text, as "Apri" then "Acquisisci
// dati" do, then runs `command` on the acquired network and returns its status. A file that
// cannot be read: its message, ExitUsageOrFile; an acquisition warning: ExitRejected; an
// arithmetic fault, while acquiring or in the command: its message, ExitArithmeticFault.
// Before acquiring, every cell whose text is not all read is told on a line of standard error;
// after it, the nodes cut off from the slack node. `strict` refuses either with ExitRejected.
// A command that ends with ExitDone after a failed matrix inversion ends with
// ExitInversionFailed.
using AcquiredCommand = std::function<int(const Network& network, const CellTexts& cells)>;
int OnAcquiredNetwork(const std::string& network, std::string_view iterations, bool strict,
                      const AcquiredCommand& command);
// The same with the network file, iteration text and --strict of `options`.
int OnAcquiredNetwork(const CommandOptions& options, const AcquiredCommand& command);
// The same for a command that runs the method of `options`: PrepareRun first, then `command`
// with the network and the run's options.
using PreparedCommand = std::function<int(const Network& network, const CalculationOptions& run)>;
int OnPreparedRun(const CommandOptions& options, const PreparedCommand& command);

// How a failed save is told: the desktop program's message box for that kind of file.
struct SaveError {
    std::string_view text;
    std::string_view caption;
    MessageIcon icon;
};

// How report and step tell a failed save of their JSON.
inline constexpr SaveError JsonSaveError{"Errore salvataggio in .json", "Errore",
                                         MessageIcon::Exclamation};

// Writes `contents` to `output` as the desktop program saves a file (whole or not at all), or
// to standard output when no file is named. A failed save shows `error` with the system's reason;
// a failed write to standard output is one line. Returns ExitDone or ExitUsageOrFile.
int WriteOutput(const std::optional<std::string>& output, std::string_view contents,
                const SaveError& error);

} // namespace nodewise::cli
