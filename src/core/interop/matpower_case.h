// MATPOWER case files (format version 2): the reader, down to the columns the load flow uses.
//
// A case file is a function returning a struct: "function mpc = name", then assignments such as
// "mpc.baseMVA = 100;" and "mpc.bus = [ ... ];", whose rows are separated by ';' or line ends,
// elements by blanks or commas; '%' starts a comment. Fields other than version, baseMVA, bus,
// gen and branch (gencost, bus names, areas, ...) are skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nodewise {

// The format's own names: column indices (0-based) of the matrices and the bus types.
namespace matpower {

enum BusColumn : int { BUS_I = 0, BUS_TYPE = 1, PD = 2, QD = 3, GS = 4, BS = 5, VM = 7, VA = 8 };
enum GenColumn : int { GEN_BUS = 0, PG = 1, QG = 2, QMAX = 3, QMIN = 4, VG = 5, GEN_STATUS = 7 };
enum BranchColumn : int {
    F_BUS = 0,
    T_BUS = 1,
    BR_R = 2,
    BR_X = 3,
    BR_B = 4,
    TAP = 8,
    SHIFT = 9,
    BR_STATUS = 10
};

inline constexpr int BusColumnsRead = VA + 1;
inline constexpr int GenColumnsRead = GEN_STATUS + 1;
inline constexpr int BranchColumnsRead = BR_STATUS + 1;

// Bus types, as they stand in the BUS_TYPE column.
inline constexpr double PQ = 1;
inline constexpr double PV = 2;
inline constexpr double REF = 3;
inline constexpr double NONE = 4;

} // namespace matpower

// One row of a matrix, with the line of the file it starts on (1-based).
struct MatpowerRow {
    int line = 0;
    std::vector<double> values;
};

struct MatpowerCase {
    std::string name; // of the function, empty when the file has no function line
    double baseMVA = 0.0;
    std::vector<MatpowerRow> bus;    // at least 9 columns each, up to VA
    std::vector<MatpowerRow> gen;    // at least 8 columns, up to GEN_STATUS
    std::vector<MatpowerRow> branch; // at least 11 columns, up to BR_STATUS
};

// Reads the file's text into `result`. On failure returns the reason, in Italian, naming the
// line where there is one; `result` is then unspecified.
[[nodiscard]] std::optional<std::string> ReadMatpowerCase(std::string_view text,
                                                          MatpowerCase& result);

} // namespace nodewise
