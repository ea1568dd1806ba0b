// What a network file carries after its 56 cell lines: sections of the program's own, which a
// reader that stops after the 56th line never sees, so that such a file still opens there with
// the same cells. A file whose sections are all empty is the plain 56 lines.
//
//     [Nodewise 1]
//     [linee]
//     unita=ohm
//     base_kv=132
//     base_mva=100
//     ramo=1<TAB>2<TAB>0,02<TAB>0,06<TAB>0,06<TAB>
//     derivazione=3<TAB>0<TAB>0,05
//     [opzioni]
//     tolleranza=0.0001
//     accelerazione=1.6
//     limiti_q=3<TAB>-0.5<TAB>1
//     limiti_q=5<TAB><TAB>0.8
//
// The first line names the format and its version. Every other line is empty, a section's
// name in brackets, or key=value within a section; a table row's cells are separated by tabs.
// A limiti_q row is a node (1 to 7) with its Qmin and Qmax in pu, an empty cell for a bound
// that is not set, one row per node that has a bound; numbers have a full stop. Texts are
// written as typed, with a backslash before a backslash and \t, \n, \r for a tab, a
// line feed and a carriage return.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/input/network_file.h"
#include "core/interop/line_data.h"
#include "core/model/calculation_options.h"

namespace nodewise {

inline constexpr int FileSectionsVersion = 1;

// The tables of "Dati di linea" as typed, with their units.
struct TypedLineData {
    LineTable table;
    LineUnits units;
};

struct FileSections {
    std::optional<TypedLineData> lineData;     // none: the network has no line data
    std::optional<CalculationOptions> options; // none, or all off: the plain calculation
};

// True when there is nothing to write after the 56 lines: no line data, or tables without a
// row that holds anything (units and bases alone are not kept), and every option off.
bool IsEmpty(const FileSections& sections);

// The lines after the 56 cell lines; empty when there is nothing to carry. Rows of the tables
// whose cells are all empty are not written.
std::string FormatFileSections(const FileSections& sections);

// What is wrong with the sections of a file, and where: the line (1-based, counted in the
// whole file) and the problem in Italian.
struct SectionProblem {
    SectionProblem(int atLine, std::string what, std::string notRead = {})
        : line(atLine), problem(std::move(what)), lost(std::move(notRead)) {}
    int line = 0;
    std::string problem;
    std::string lost; // what was not read: "I dati di linea non sono stati letti"
};

// "Riga 60 del file: ramo: 4 celle invece di 6.\nI dati di linea non sono stati letti; le celle
// della rete sì."
std::string SectionProblemText(const SectionProblem& problem);

// Reads the sections from what follows the 56th line (`firstLine` the number of its first
// line). Nothing there: empty sections. A section that cannot be read is left out of `sections`
// (the others are read) and the first problem is returned.
[[nodiscard]] std::optional<SectionProblem> ParseFileSections(std::string_view rest, int firstLine,
                                                              FileSections& sections);

// A network file with the sections that follow its cells.
struct NetworkFile {
    CellTexts cells;
    FileSections sections;
    std::optional<SectionProblem> sectionProblem; // a section that could not be read
};

// The 56 cell lines (network_file.h), then the sections; with empty sections the plain file.
std::string FormatNetworkFile(const CellTexts& cells, const FileSections& sections);
NetworkFile ParseNetworkFileWithSections(std::string_view contents);
[[nodiscard]] bool WriteNetworkFile(const std::string& path, const CellTexts& cells,
                                    const FileSections& sections, std::string* reason = nullptr);
// As the cells' ReadNetworkFile, with the sections: a damaged section is no failure (the cells
// are read, `sectionProblem` says what was left out).
[[nodiscard]] bool ReadNetworkFile(const std::string& path, NetworkFile& file,
                                   std::string* reason = nullptr);

} // namespace nodewise
