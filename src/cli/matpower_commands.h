// The MATPOWER commands of nodewise-cli: import and export-matpower.
#pragma once

#include <optional>

namespace nodewise {

// Their lines of the usage text.
inline constexpr const char* MatpowerUsage =
    "       nodewise-cli import CASE.m [--output NETWORK.nwd]\n"
    "       nodewise-cli export-matpower NETWORK.nwd [--output CASE.m] [--strict]\n";

// Runs the command named by argv[1] when it is one of the two and returns the exit status;
// nothing for any other command. Messages go through the user port.
std::optional<int> RunMatpowerCommand(int argc, char** argv);

} // namespace nodewise
