// The exit statuses of nodewise-cli, shared by its commands.
#pragma once

namespace nodewise::cli {

enum ExitStatus {
    ExitDone = 0,
    ExitUsageOrFile = 1,
    ExitRejected = 2,
    ExitArithmeticFault = 3,
    ExitRefused = 4,
};

} // namespace nodewise::cli
