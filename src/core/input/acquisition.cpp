#include "core/input/acquisition.h"

#include <tuple>

#include "core/input/entry_syntax.h"
#include "core/model/units.h"
#include "core/numeric/arithmetic_fault.h"

namespace nodewise {

namespace {

enum DataColumn { ColumnE = 0, ColumnD = 1, ColumnP = 2, ColumnQ = 3 };

// Step 1: the iteration count. Returns the warning, if any.
std::optional<int> AcquireIterationCount(std::string_view text, int& IterationCount) {
    if (text.empty()) {
        return WarningNoIterations;
    }
    const std::string filtered = FilterNumber(text);
    if (filtered.empty()) {
        return WarningInvalidIterations;
    }
    const int count = IntegerConversion(filtered);
    if (count == 0) {
        return WarningInvalidIterations;
    }
    IterationCount = count;
    if (count < 0) {
        return WarningNegativeIterations;
    }
    // The history rows hold MaxIterations entries: the start and at most 999 iterations.
    if (count >= MaxIterations) {
        return WarningTooManyIterations;
    }
    return std::nullopt;
}

bool DataBeyondNodesIsEmpty(const CellTexts& cells, int n) {
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = n; r < MaxNodes; ++r) {
            if (!cells.Data[c][r].empty()) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

int CellNodeCount(const CellTexts& cells) {
    int count = 0;
    while (count < MaxNodes && !cells.Admittance[count][count].empty()) {
        ++count;
    }
    return count;
}

int GivenQuantityCount(const CellTexts& cells, int node) {
    int given = 0;
    for (int c = 0; c < DataColumns; ++c) {
        const std::string& text = cells.Data[c][node];
        given += !text.empty() && !FilterNumber(text).empty() ? 1 : 0;
    }
    return given;
}

bool MatrixBeyondNodesIsEmpty(const CellTexts& cells, int n) {
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = (r < n ? n : r); c < MaxNodes; ++c) {
            if (!cells.Admittance[c][r].empty()) {
                return false;
            }
        }
    }
    return true;
}

const char* InputWarningText(int index) {
    static const char* const texts[InputWarningCount] = {
        ("Rivedi matrice ammettenze:\nrilevati elementi non vuoti fuori\ndalle dimensioni "
         "acquisite.\n"),
        "Rivedi colonne dati :\nrilevati elementi non vuoti fuori\ndalle dimensioni acquisite.\n",
        "Controlla i dati in ingresso:\nrilevati tipi di nodo non previsti.\n",
        "Numero di equazioni\ne numero di incognite\nnon coincidono.\n",
        "Devi inserire il\nnumero di iterazioni.\n",
        "Numero di iterazioni\nnon valido.\n",
        "La memoria \xC3\xA8 allocata\nper un numero massimo\ndi iterazioni pari a 1000\n",
        "Un numero di iterazioni\nnegativo non ha senso.\n",
        "Impossibile applicare questo metodo:\nconsultare la documentazione.\n",
    };
    return index >= 0 && index < InputWarningCount ? texts[index] : "";
}

void ShowInputWarning(UserPort& port, int index) {
    port.showMessage(InputWarningText(index), InputWarningCaption, MessageIcon::Exclamation);
}

int ClassifyNode(const bool given[DataColumns]) {
    if (given[ColumnE] && given[ColumnD]) {
        return Ed;
    }
    if (given[ColumnP] && given[ColumnQ]) {
        return PQ;
    }
    if (given[ColumnP] && given[ColumnE]) {
        return PE;
    }
    if (given[ColumnP] && given[ColumnD]) {
        return Pd;
    }
    if (given[ColumnQ] && given[ColumnE]) {
        return QE;
    }
    return Qd;
}

namespace {
std::optional<int> AcquireCells(std::string_view iterationText, const CellTexts& cells,
                                Network& network);
} // namespace

Acquisition Acquire(std::string_view iterationText, const CellTexts& cells) {
    try {
        Acquisition acquisition;
        acquisition.warning = AcquireCells(iterationText, cells, acquisition.network);
        return acquisition;
    } catch (ArithmeticFault& fault) {
        fault.activity = "durante l'acquisizione dei dati";
        throw;
    }
}

namespace {

std::optional<int> AcquireCells(std::string_view iterationText, const CellTexts& cells,
                                Network& network) {
    auto [NodeCount, IterationCount, YComplex, YMag, YAng, EData, dData, PData, QData, NodeTypes] =
        std::tie(network.NodeCount, network.IterationCount, network.YComplex, network.YMag,
                 network.YAng, network.EData, network.dData, network.PData, network.QData,
                 network.NodeTypes);
    auto& [PEquationCount, QEquationCount, EUnknownCount, dUnknownCount, UnknownCount,
           EquationNodes, UnknownNodes] = static_cast<Numbering&>(network);
    if (const std::optional<int> warning = AcquireIterationCount(iterationText, IterationCount)) {
        return warning;
    }

    const int n = CellNodeCount(cells);
    NodeCount = n;
    if (!MatrixBeyondNodesIsEmpty(cells, n)) {
        return WarningMatrixBeyondNodes;
    }

    // Numbers of hundreds of digits overflow; that is an arithmetic fault like any other.
    ClearArithmeticFlags();
    for (int k = 0; k < n; ++k) {
        for (int l = k; l < n; ++l) {
            const std::string& text = cells.Admittance[l][k];
            const Complex y = text.empty() ? Complex{0.0, 0.0} : ParseAdmittance(text);
            YComplex[l][k] = {Checked(y.re), Checked(y.im)};
            YComplex[k][l] = YComplex[l][k];
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < n; ++k) {
            YMag[i][k] = Checked(ComplexModulus(YComplex[i][k].re, YComplex[i][k].im));
            YAng[i][k] = Checked(ComplexAngle(YComplex[i][k].re, YComplex[i][k].im));
        }
    }

    if (!DataBeyondNodesIsEmpty(cells, n)) {
        return WarningDataBeyondNodes;
    }

    bool given[DataColumns][MaxNodes] = {};
    double* const values[DataColumns] = {EData, dData, PData, QData};
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < n; ++r) {
            const std::string& text = cells.Data[c][r];
            const std::string filtered = text.empty() ? std::string() : FilterNumber(text);
            given[c][r] = !filtered.empty();
            values[c][r] =
                given[c][r] ? Checked(DecimalConversion(filtered)) : (c == ColumnE ? 1.0 : 0.0);
        }
    }
    for (int r = 0; r < n; ++r) {
        dData[r] = Checked(dData[r] * DegreesToRadians);
    }

    bool nodeGiven[MaxNodes][DataColumns] = {};
    for (int r = 0; r < n; ++r) {
        int count = 0;
        for (int c = 0; c < DataColumns; ++c) {
            nodeGiven[r][c] = given[c][r];
            count += given[c][r] ? 1 : 0;
        }
        if (count != QuantitiesPerNode) {
            return WarningNodeType;
        }
    }
    for (int r = 0; r < n; ++r) {
        NodeTypes[r] = ClassifyNode(nodeGiven[r]);
    }

    const int equations = NumberSystem(NodeTypes, n, network);
    if (equations != UnknownCount) {
        return WarningEquationsUnknowns;
    }
    QEquationCount = UnknownCount - PEquationCount;
    dUnknownCount = UnknownCount - EUnknownCount;
    return std::nullopt;
}

} // namespace

} // namespace nodewise
