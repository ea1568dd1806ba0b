// nodewise-cli diagram: the network drawn with the state of one iterate of a method, as SVG.
#pragma once

namespace nodewise::cli {

// Its lines of the usage text.
inline constexpr const char* DiagramUsage =
    "       nodewise-cli diagram NETWORK.nwd --method gauss|newton|stott [--iterations TEXT]\n"
    "                            [--iteration K] [--output FILE.svg] [--strict]\n";

// Runs `nodewise-cli diagram ...` (argv[1] is "diagram"); the user port must be set. `usage` is
// printed after a usage error. Returns the exit status.
int RunDiagramCommand(int argc, char** argv, const char* usage);

} // namespace nodewise::cli
