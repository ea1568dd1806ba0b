#include "core/interop/matpower_import.h"

#include <cmath>
#include <map>

#include "core/interop/entry_texts.h"
#include "core/interop/line_data.h"
#include "core/model/calculation_options.h"

namespace nodewise {

namespace {

namespace mp = matpower;

std::string LinePrefix(int line) {
    return "Riga " + std::to_string(line) + ": ";
}

// A bus number or a count as it is written in the file.
std::string Integer(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

bool IsWholeNumber(double value) {
    return std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15;
}

bool AllFinite(const MatpowerRow& row, std::initializer_list<int> columns) {
    for (int c : columns) {
        if (!std::isfinite(row.values[static_cast<std::size_t>(c)])) {
            return false;
        }
    }
    return true;
}

struct BusIndex {
    std::map<double, int> byNumber;

    // The 0-based index of the bus with that number, or -1.
    int Find(double number) const {
        if (!IsWholeNumber(number)) {
            return -1; // and never a NaN key, which would compare equal to any
        }
        const auto it = byNumber.find(number);
        return it == byNumber.end() ? -1 : it->second;
    }
};

std::optional<std::string> IndexBuses(const MatpowerCase& c, BusIndex& index) {
    for (std::size_t i = 0; i < c.bus.size(); ++i) {
        const MatpowerRow& row = c.bus[i];
        const double number = row.values[mp::BUS_I];
        if (!IsWholeNumber(number) || number < 1) {
            return LinePrefix(row.line) + "numero di nodo non valido (" + Integer(number) + ").";
        }
        if (!index.byNumber.emplace(number, static_cast<int>(i)).second) {
            return LinePrefix(row.line) + "il nodo " + Integer(number) + " compare due volte.";
        }
        const double type = row.values[mp::BUS_TYPE];
        if (type != mp::PQ && type != mp::PV && type != mp::REF && type != mp::NONE) {
            return LinePrefix(row.line) + "tipo di nodo non previsto (" + Integer(type) + ").";
        }
        if (!AllFinite(row, {mp::PD, mp::QD, mp::GS, mp::BS, mp::VM, mp::VA})) {
            return LinePrefix(row.line) + "il nodo " + Integer(number) +
                   " ha un valore non finito.";
        }
    }
    return std::nullopt;
}

std::optional<std::string> CheckGenerators(const MatpowerCase& c, const BusIndex& index) {
    for (const MatpowerRow& row : c.gen) {
        if (index.Find(row.values[mp::GEN_BUS]) < 0) {
            return LinePrefix(row.line) + "il generatore è collegato al nodo " +
                   Integer(row.values[mp::GEN_BUS]) + ", che non esiste.";
        }
        if (row.values[mp::GEN_STATUS] > 0 && !AllFinite(row, {mp::PG, mp::QG, mp::VG})) {
            return LinePrefix(row.line) + "il generatore ha un valore non finito.";
        }
    }
    return std::nullopt;
}

std::optional<std::string> CheckBranches(const MatpowerCase& c, const BusIndex& index) {
    for (const MatpowerRow& row : c.branch) {
        for (int end : {mp::F_BUS, mp::T_BUS}) {
            if (index.Find(row.values[static_cast<std::size_t>(end)]) < 0) {
                return LinePrefix(row.line) + "il ramo è collegato al nodo " +
                       Integer(row.values[static_cast<std::size_t>(end)]) + ", che non esiste.";
            }
        }
        if (row.values[mp::BR_STATUS] == 0) {
            continue;
        }
        const std::string name =
            Integer(row.values[mp::F_BUS]) + "-" + Integer(row.values[mp::T_BUS]);
        if (!AllFinite(row, {mp::BR_R, mp::BR_X, mp::BR_B, mp::TAP, mp::SHIFT})) {
            return LinePrefix(row.line) + "il ramo " + name + " ha un valore non finito.";
        }
        if (row.values[mp::BR_R] == 0 && row.values[mp::BR_X] == 0) {
            return LinePrefix(row.line) + "il ramo " + name + " ha impedenza nulla.";
        }
    }
    return std::nullopt;
}

// What the grid cannot hold: more nodes than it has, an isolated bus, other than one reference
// bus, a phase shifter (its matrix is not symmetric; the grid holds the upper triangle only).
std::optional<std::string> CheckRepresentable(const MatpowerCase& c) {
    if (c.bus.size() > static_cast<std::size_t>(MaxNodes)) {
        return "Il caso ha " + std::to_string(c.bus.size()) +
               " nodi: Nodewise ne tratta al massimo " + std::to_string(MaxNodes) + ".";
    }
    const MatpowerRow* reference = nullptr;
    for (const MatpowerRow& row : c.bus) {
        if (row.values[mp::BUS_TYPE] == mp::NONE) {
            return LinePrefix(row.line) + "il nodo " + Integer(row.values[mp::BUS_I]) +
                   " è isolato (tipo 4): toglierlo dal caso prima di importarlo.";
        }
        if (row.values[mp::BUS_TYPE] == mp::REF) {
            if (reference != nullptr) {
                return "Il caso ha più di un nodo di riferimento (tipo 3): i nodi " +
                       Integer(reference->values[mp::BUS_I]) + " e " +
                       Integer(row.values[mp::BUS_I]) + ". Nodewise ne vuole uno solo.";
            }
            reference = &row;
        }
    }
    if (reference == nullptr) {
        return std::string("Il caso non ha un nodo di riferimento (tipo 3).");
    }
    for (const MatpowerRow& row : c.branch) {
        if (row.values[mp::BR_STATUS] != 0 && row.values[mp::SHIFT] != 0) {
            return LinePrefix(row.line) + "il ramo " + Integer(row.values[mp::F_BUS]) + "-" +
                   Integer(row.values[mp::T_BUS]) +
                   " è uno sfasatore (SHIFT diverso da 0): la sua matrice delle ammettenze non è "
                   "simmetrica e la griglia ne contiene solo il triangolo superiore.";
        }
    }
    return std::nullopt;
}

// The branches in service and the bus shunts of a validated case, buses numbered 1..n in the
// order they appear: a tap ratio of 0 is 1, shunts (GS + jBS)/baseMVA.
LineData LineDataOfCase(const MatpowerCase& c, const BusIndex& index) {
    LineData data;
    for (const MatpowerRow& row : c.branch) {
        if (row.values[mp::BR_STATUS] == 0) {
            continue;
        }
        Branch branch;
        branch.from = index.Find(row.values[mp::F_BUS]) + 1;
        branch.to = index.Find(row.values[mp::T_BUS]) + 1;
        branch.r = row.values[mp::BR_R];
        branch.x = row.values[mp::BR_X];
        branch.b = row.values[mp::BR_B];
        branch.tap = row.values[mp::TAP] == 0 ? 1.0 : row.values[mp::TAP];
        data.branches.push_back(branch);
    }
    for (std::size_t i = 0; i < c.bus.size(); ++i) {
        const MatpowerRow& row = c.bus[i];
        if (row.values[mp::GS] != 0 || row.values[mp::BS] != 0) {
            data.shunts.push_back({static_cast<int>(i) + 1, row.values[mp::GS] / c.baseMVA,
                                   row.values[mp::BS] / c.baseMVA});
        }
    }
    return data;
}

// The generators in service of every bus, summed.
struct Generation {
    double P[MaxNodes] = {};
    double Q[MaxNodes] = {};
    double Qmax[MaxNodes] = {};
    double Qmin[MaxNodes] = {};
    double setPoint[MaxNodes] = {};
    bool generator[MaxNodes] = {};
};

Generation GenerationOfBuses(const MatpowerCase& c, const BusIndex& index) {
    Generation g;
    for (const MatpowerRow& row : c.gen) {
        if (!(row.values[mp::GEN_STATUS] > 0)) {
            continue;
        }
        const int i = index.Find(row.values[mp::GEN_BUS]);
        g.P[i] += row.values[mp::PG];
        g.Q[i] += row.values[mp::QG];
        g.Qmax[i] += row.values[mp::QMAX];
        g.Qmin[i] += row.values[mp::QMIN];
        g.setPoint[i] = row.values[mp::VG]; // several: the last one, as the format's own load flow
        g.generator[i] = true;
    }
    return g;
}

// A summed QMAX or QMIN in MVAr as a bound in pu; none for the format's "no limit".
std::optional<double> Bound(double mvar, double baseMVA) {
    if (!std::isfinite(mvar) || std::fabs(mvar) >= NoReactiveLimitMVAr) {
        return std::nullopt;
    }
    return mvar / baseMVA;
}

// The limits of a bus's generators in service; none without a generator.
ReactiveLimits LimitsOfBus(const Generation& g, int i, double baseMVA) {
    if (!g.generator[i]) {
        return {};
    }
    return {Bound(g.Qmin[i], baseMVA), Bound(g.Qmax[i], baseMVA)};
}

// The limits a PE node takes: none when its QMIN is above its QMAX.
ReactiveLimits CarriedLimits(const Generation& g, int i, double baseMVA) {
    const ReactiveLimits limits = LimitsOfBus(g, i, baseMVA);
    return AreUsableLimits(limits) ? limits : ReactiveLimits{};
}

void MapNodes(const MatpowerCase& c, const BusIndex& index, NodalNetwork& network) {
    const int n = network.nodeCount;
    const Generation g = GenerationOfBuses(c, index);
    for (int i = 0; i < n; ++i) {
        const std::vector<double>& bus = c.bus[static_cast<std::size_t>(i)].values;
        const double type = bus[mp::BUS_TYPE];
        const double p = (g.P[i] - bus[mp::PD]) / c.baseMVA;
        if (type == mp::REF) {
            network.types[i] = Ed;
            network.E[i] = g.generator[i] ? g.setPoint[i] : bus[mp::VM];
            network.dDegrees[i] = bus[mp::VA];
        } else if (type == mp::PV && g.generator[i]) {
            network.types[i] = PE;
            network.P[i] = p;
            network.E[i] = g.setPoint[i];
            network.reactiveLimits[i] = CarriedLimits(g, i, c.baseMVA);
        } else {
            network.types[i] = PQ;
            network.P[i] = p;
            network.Q[i] = (g.Q[i] - bus[mp::QD]) / c.baseMVA;
        }
    }
}

std::string NodeName(int i) {
    return "nodo " + std::to_string(i + 1);
}

std::string Unwritable(const std::string& what) {
    return "Il valore di " + what + " non si può scrivere in una cella (al più " +
           std::to_string(MaxCellTextLength) + " caratteri, senza esponente).";
}

} // namespace

namespace {

std::optional<std::string> ValidateCase(const MatpowerCase& matpowerCase, BusIndex& index) {
    std::optional<std::string> error = IndexBuses(matpowerCase, index);
    if (!error) {
        error = CheckGenerators(matpowerCase, index);
    }
    if (!error) {
        error = CheckBranches(matpowerCase, index);
    }
    if (!error) {
        error = CheckRepresentable(matpowerCase);
    }
    return error;
}

} // namespace

std::optional<std::string> CaseToNetwork(const MatpowerCase& matpowerCase, NodalNetwork& network) {
    BusIndex index;
    if (std::optional<std::string> error = ValidateCase(matpowerCase, index)) {
        return error;
    }
    network = NodalNetwork();
    BuildAdmittanceMatrix(LineDataOfCase(matpowerCase, index), network);
    network.nodeCount = static_cast<int>(matpowerCase.bus.size()); // a bus may have no branch
    MapNodes(matpowerCase, index, network);
    return std::nullopt;
}

std::optional<std::string> CaseToLineData(const MatpowerCase& matpowerCase, LineData& data) {
    BusIndex index;
    if (std::optional<std::string> error = ValidateCase(matpowerCase, index)) {
        return error;
    }
    data = LineDataOfCase(matpowerCase, index);
    return std::nullopt;
}

std::optional<std::string> NetworkToCells(const NodalNetwork& network, CellTexts& cells) {
    CellTexts texts;
    if (std::optional<std::string> error = MatrixToCells(network, texts)) {
        return error;
    }
    enum { ColumnE = 0, ColumnD = 1, ColumnP = 2, ColumnQ = 3 };
    for (int i = 0; i < network.nodeCount; ++i) {
        struct Given {
            int column;
            double value;
            const char* name;
        };
        Given given[2] = {};
        switch (network.types[i]) {
        case Ed:
            given[0] = {ColumnE, network.E[i], "E"};
            given[1] = {ColumnD, network.dDegrees[i], "d"};
            break;
        case PE:
            given[0] = {ColumnE, network.E[i], "E"};
            given[1] = {ColumnP, network.P[i], "P"};
            break;
        default:
            given[0] = {ColumnP, network.P[i], "P"};
            given[1] = {ColumnQ, network.Q[i], "Q"};
            break;
        }
        for (const Given& g : given) {
            const std::optional<std::string> text = FormatDataEntry(g.value);
            if (!text) {
                return Unwritable(std::string(g.name) + " del " + NodeName(i));
            }
            texts.Data[g.column][i] = *text;
        }
    }
    cells = texts;
    return std::nullopt;
}

std::vector<std::string> UncarriedLimitNotes(const MatpowerCase& matpowerCase) {
    BusIndex index;
    if (ValidateCase(matpowerCase, index)) {
        return {};
    }
    const Generation g = GenerationOfBuses(matpowerCase, index);
    std::vector<std::string> notes;
    for (std::size_t i = 0; i < matpowerCase.bus.size(); ++i) {
        const std::vector<double>& bus = matpowerCase.bus[i].values;
        const int node = static_cast<int>(i);
        const ReactiveLimits limits = LimitsOfBus(g, node, matpowerCase.baseMVA);
        const bool pv = bus[mp::BUS_TYPE] == mp::PV && g.generator[node];
        if ((!limits.qmin && !limits.qmax) || (pv && AreUsableLimits(limits))) {
            continue;
        }
        const char* why = pv                             ? "QMIN è maggiore di QMAX."
                          : bus[mp::BUS_TYPE] == mp::REF ? "è il nodo di riferimento."
                                                         : "è un nodo PQ.";
        notes.push_back("I limiti di potenza reattiva del nodo " + Integer(bus[mp::BUS_I]) +
                        " non sono riportati: " + why);
    }
    return notes;
}

std::optional<std::string> ImportMatpowerCase(std::string_view text, ImportedCase& imported) {
    MatpowerCase matpowerCase;
    if (std::optional<std::string> error = ReadMatpowerCase(text, matpowerCase)) {
        return error;
    }
    NodalNetwork network;
    if (std::optional<std::string> error = CaseToNetwork(matpowerCase, network)) {
        return error;
    }
    if (std::optional<std::string> error = NetworkToCells(network, imported.cells)) {
        return error;
    }
    imported.reactiveLimits = network.reactiveLimits;
    imported.notes = UncarriedLimitNotes(matpowerCase);
    return std::nullopt;
}

std::optional<std::string> ImportMatpowerCase(std::string_view text, CellTexts& cells) {
    ImportedCase imported;
    if (std::optional<std::string> error = ImportMatpowerCase(text, imported)) {
        return error;
    }
    cells = imported.cells;
    return std::nullopt;
}

} // namespace nodewise
