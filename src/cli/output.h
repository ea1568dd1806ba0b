// What every command of nodewise-cli shares: the exit statuses, the method names and the
// writing of a result.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/user_port.h"
#include "core/results/methods.h"

namespace nodewise::cli {

enum ExitStatus {
    ExitDone = 0,
    ExitUsageOrFile = 1,
    ExitRejected = 2,
    ExitArithmeticFault = 3,
    ExitRefused = 4,
};

// The method named by --method: "gauss", "newton" or "stott".
std::optional<Method> MethodNamed(std::string_view name);

// Reads the network file and acquires it with the iteration text, as "Apri" then "Acquisisci
// dati" do, then runs `command` on the acquired network and returns its status. A file that
// cannot be read: its message, ExitUsageOrFile; an acquisition warning: ExitRejected; an
// arithmetic fault, while acquiring or in the command: its message, ExitArithmeticFault.
int OnAcquiredNetwork(const std::string& network, std::string_view iterations,
                      const std::function<int()>& command);

// How a failed save is told: the desktop program's message box for that kind of file.
struct SaveError {
    std::string_view text;
    std::string_view caption;
    MessageIcon icon;
};

// Writes `contents` to `output` as the desktop program saves a file (whole or not at all), or
// to standard output when no file is named. A failed save shows `error` with the system's reason;
// a failed write to standard output is one line. Returns ExitDone or ExitUsageOrFile.
int WriteOutput(const std::optional<std::string>& output, std::string_view contents,
                const SaveError& error);

} // namespace nodewise::cli
