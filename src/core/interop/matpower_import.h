// Import of a MATPOWER case into the 56 cells of the grid.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/input/cell_texts.h"
#include "core/interop/line_data.h"
#include "core/interop/matpower_case.h"
#include "core/interop/nodal_network.h"

namespace nodewise {

// Caption of every refusal of an import or export.
inline constexpr const char* MatpowerErrorCaption = "Errore";

// A generator's QMAX or QMIN (summed over a bus) of this magnitude or more, in MVAr, is the
// format's way of saying "no limit".
inline constexpr double NoReactiveLimitMVAr = 9999.0;

// A case file larger than this is not read: far more than any case of MaxNodes buses needs,
// however commented.
inline constexpr std::size_t MaxCaseFileBytes = 64u * 1024u * 1024u;

// The nodal network of a case: buses numbered 1..n in the order they appear; the admittance
// matrix as the format defines it (series admittance 1/(r + jx), half the line charging at each
// end, the off-nominal tap ratio on the from side, 0 read as 1, bus shunts (GS + jBS)/baseMVA,
// branches and generators out of service left out); the reference bus as Ed (E the voltage set
// point of its generator, or VM without one; d = VA), a PV bus as PE (P = sum of PG - PD, E the
// set point), a PQ bus, or a PV bus without a generator in service, as PQ (P = sum of PG - PD,
// Q = sum of QG - QD), all in per unit on baseMVA. A PE node's reactive limits are the QMAX and
// the QMIN of its generators in service, each summed, per unit on baseMVA; a sum of
// NoReactiveLimitMVAr or more in magnitude, or one that is not finite, is no bound; a QMIN
// above the QMAX, no limits at all. The other nodes have none.
// Refuses (with the reason, in Italian) more than MaxNodes buses, an isolated bus, a number of
// reference buses other than one, a phase shifter in service, a branch without impedance, and
// references to buses that do not exist.
[[nodiscard]] std::optional<std::string> CaseToNetwork(const MatpowerCase& matpowerCase,
                                                       NodalNetwork& network);

// The line data of a case, as CaseToNetwork builds its matrix from them: the branches in service
// in file order, nodes numbered 1..n in the order the buses appear, a tap ratio of 0 read as 1;
// a shunt (GS + jBS)/baseMVA for every bus that has one. Refuses what CaseToNetwork refuses;
// `data` is then untouched.
[[nodiscard]] std::optional<std::string> CaseToLineData(const MatpowerCase& matpowerCase,
                                                        LineData& data);

// The cell texts of a network (entry syntax, see entry_texts.h): the upper triangle of the
// matrix, an empty cell where nodes are not connected, and the two given quantities of every
// node. Refuses a value that cannot be written in a cell; `cells` is then untouched.
[[nodiscard]] std::optional<std::string> NetworkToCells(const NodalNetwork& network,
                                                        CellTexts& cells);

// What the import of a case leaves out, one line per bus, in Italian: the reactive limits of the
// generators at the reference bus or at a bus that becomes a PQ node, which the options carry at
// PE nodes only ("I limiti di potenza reattiva del nodo 1 non sono riportati: è il nodo di
// riferimento."), and at a PV bus whose QMIN is above its QMAX. Buses are named by their number
// in the case. Nothing for a case that CaseToNetwork refuses.
std::vector<std::string> UncarriedLimitNotes(const MatpowerCase& matpowerCase);

// The whole import, from the file's text to the cells. On refusal returns the reason and leaves
// `cells` untouched.
[[nodiscard]] std::optional<std::string> ImportMatpowerCase(std::string_view text,
                                                            CellTexts& cells);

// The same with the reactive limits of the PE nodes and the notes of what was left out.
struct ImportedCase {
    CellTexts cells;
    std::array<ReactiveLimits, MaxNodes> reactiveLimits{};
    std::vector<std::string> notes;
};
[[nodiscard]] std::optional<std::string> ImportMatpowerCase(std::string_view text,
                                                            ImportedCase& imported);

} // namespace nodewise
