// Export of a network as a MATPOWER case file (format version 2).
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "core/interop/line_data.h"
#include "core/interop/nodal_network.h"

namespace nodewise {

// The nodal description of an acquired network, phases in degrees.
NodalNetwork NodalNetworkOf(const Network& acquired);

// What the header comment says about the file.
struct CaseOrigin {
    std::string caseName; // the function name, see CaseNameFromPath
    std::string madeBy;   // the program that writes the file
    std::time_t when;
};

// The text of the case: baseMVA 100; one branch for every pair i < j with Y_ij != 0, with
// r + jx = -1/Y_ij and no line charging; the rest of every row of the matrix (its sum) as the
// bus shunt; an Ed node as the reference bus with a generator, a PE node as a PV bus with a
// generator, a PQ node as a PQ bus with its load; a PE node's reactive limits (pu) are its
// generator's QMAX and QMIN, Inf and -Inf where a bound is not set (also for the reference
// bus's generator). Refuses, with the reason in Italian, a Pd, QE or Qd node (the format has no
// such bus), a network without exactly one Ed node, and one without nodes; `contents` is then
// untouched.
[[nodiscard]] std::optional<std::string>
FormatMatpowerCase(const NodalNetwork& network, const CaseOrigin& origin, std::string& contents);

// The same case with the branches and shunts of line data (the "Dati di linea" window) in place
// of those the matrix gives: every branch with its r, x, b and tap ratio (1 written as the
// format's 0), every node's shunts added into its Gs + jBs; `nodes` gives the node count, the
// types and the given quantities. Refuses what FormatMatpowerCase refuses.
[[nodiscard]] std::optional<std::string> FormatLineDataCase(const NodalNetwork& nodes,
                                                            const LineData& lines,
                                                            const CaseOrigin& origin,
                                                            std::string& contents);

// A function name made from a file name: the name without folder and extension, every
// character that a function name cannot hold replaced by '_', "caso" when nothing is left.
std::string CaseNameFromPath(std::string_view path);

} // namespace nodewise
