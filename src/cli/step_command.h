// nodewise-cli step: the matrices and vectors of one iteration of a method, as JSON.
#pragma once

namespace nodewise::cli {

// Runs `nodewise-cli step ...` (argv[1] is "step"); the user port must be set. `usage` is
// printed after a usage error. Returns the exit status.
int RunStepCommand(int argc, char** argv, const char* usage);

} // namespace nodewise::cli
