// The power balance of a run as the tables that show it: the "Bilancio di potenza" window, the
// HTML and CSV reports and the study all render these rows, each with its own number format
// and mark-up, so that they cannot disagree on what a table holds.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/analysis/power_balance.h"
#include "core/results/number_style.h"

namespace nodewise {

enum class ColumnKind {
    Label,         // a node number, "Da", "A", a node type
    PerUnit,       // a voltage magnitude or an admittance: "E", "G", "B"
    Degrees,       // a phase, titled "d (gradi)"
    ActivePower,   // pu, or MW in the megawatt style
    ReactivePower, // pu, or Mvar
};

struct BalanceColumn {
    const char* title;
    ColumnKind kind;
};

struct BalanceCell {
    std::string label;  // the text of a Label column
    double value = 0.0; // computed from the state (powers per unit)
    bool given = false; // a quantity given to the run: typed, or the limit that holds a node
    double typed = 0.0; // with `given`, what was given (powers per unit)
};

inline constexpr BalanceColumn NodeColumns[] = {
    {"Nodo", ColumnKind::Label},    {"Tipo", ColumnKind::Label},
    {"E", ColumnKind::PerUnit},     {"d (gradi)", ColumnKind::Degrees},
    {"P", ColumnKind::ActivePower}, {"Q", ColumnKind::ReactivePower}};
inline constexpr BalanceColumn BranchColumns[] = {{"Da", ColumnKind::Label},
                                                  {"A", ColumnKind::Label},
                                                  {"P da", ColumnKind::ActivePower},
                                                  {"Q da", ColumnKind::ReactivePower},
                                                  {"P a", ColumnKind::ActivePower},
                                                  {"Q a", ColumnKind::ReactivePower},
                                                  {"P perdite", ColumnKind::ActivePower},
                                                  {"Q perdite", ColumnKind::ReactivePower}};
inline constexpr BalanceColumn ShuntColumns[] = {{"Nodo", ColumnKind::Label},
                                                 {"G", ColumnKind::PerUnit},
                                                 {"B", ColumnKind::PerUnit},
                                                 {"P", ColumnKind::ActivePower},
                                                 {"Q", ColumnKind::ReactivePower}};

struct BalanceTable {
    std::span<const BalanceColumn> columns;
    std::vector<std::vector<BalanceCell>> rows;
};

struct BalanceTables {
    BalanceTable nodes;    // "Nodo", "Tipo", E, d, P, Q; a held node's type "PE (Qmax)"
    BalanceTable branches; // "Da", "A", P and Q at both ends and their losses
    BalanceTable shunts;   // "Nodo", G, B, P, Q
    Phasor losses;         // the sum of the node injections
};

// The tables of the last entry of `run` on the network.
BalanceTables MakeBalanceTables(const Network& network, const Run& run);

// A column's heading: powers name their unit in the megawatt style ("P (MW)"); with
// `namePerUnit`, voltages and admittances name theirs too ("E (pu)").
std::string ColumnHeading(const BalanceColumn& column, const NumberStyle& style,
                          bool namePerUnit = false);

// The number a cell shows in the style's unit: powers converted, other values as they are.
double ShownValue(const BalanceColumn& column, double value, const NumberStyle& style);

} // namespace nodewise
