// nodewise-cli report: the convergence trace and power balance of one method's run, as JSON.
#pragma once

namespace nodewise::cli {

// Runs `nodewise-cli report ...` (argv[1] is "report"); the user port must be set. `usage` is
// printed after a usage error. Returns the exit status.
int RunReportCommand(int argc, char** argv, const char* usage);

} // namespace nodewise::cli
