#include "core/interop/line_data.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/input/acquisition.h"
#include "core/input/entry_syntax.h"
#include "core/interop/entry_texts.h"
#include "core/model/shunts.h"

namespace nodewise {

namespace {

// 1/(re + j im) without overflow or underflow in re² + im² (Smith's method).
Complex Reciprocal(double re, double im) {
    if (std::fabs(re) >= std::fabs(im)) {
        const double t = im / re;
        const double d = re + im * t;
        return {1.0 / d, -t / d};
    }
    const double t = re / im;
    const double d = im + re * t;
    return {t / d, -1.0 / d};
}

void Add(Complex& sum, Complex term) {
    sum.re += term.re;
    sum.im += term.im;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number as the grid's node data cells take it, but nothing else around it: an optional sign,
// digits with at most one decimal comma or point, at least one digit.
bool IsPlainNumber(std::string_view text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    bool digit = false;
    bool separator = false;
    for (; pos < text.size(); ++pos) {
        if (IsDigit(text[pos])) {
            digit = true;
        } else if ((text[pos] == ',' || text[pos] == '.') && !separator) {
            separator = true;
        } else {
            return false;
        }
    }
    return digit;
}

// The value of a checked number text, as the grid reads it.
double NumberValue(std::string_view text) {
    return DecimalConversion(FilterNumber(text));
}

// The longest piece of a typed text a message quotes: a message line stays short whatever is
// typed.
constexpr std::size_t QuotedCharacters = 10;

// «text», or its first QuotedCharacters characters and an ellipsis: «abcdefghij…».
std::string Quoted(std::string_view text) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts && characters++ == QuotedCharacters) {
            return "\xC2\xAB" + std::string(text.substr(0, i)) + "\xE2\x80\xA6\xC2\xBB";
        }
    }
    return "\xC2\xAB" + std::string(text) + "\xC2\xBB";
}

std::string Where(const char* table, int row, const char* column) {
    return std::string(table) + ", riga " + std::to_string(row + 1) + ", colonna " + column + ": ";
}

std::string RowPrefix(const char* table, int row) {
    return std::string(table) + ", riga " + std::to_string(row + 1) + ": ";
}

constexpr const char* BranchTable = "Rami";
constexpr const char* ShuntTable = "Derivazioni";

std::optional<std::string> CheckNode(const char* table, int row, const char* column,
                                     std::string_view text) {
    const std::string_view t = Trimmed(text);
    bool digits = !t.empty() && t.size() <= 2;
    for (char c : t) {
        digits = digits && IsDigit(c);
    }
    const int node = digits ? std::atoi(std::string(t).c_str()) : 0;
    if (node < 1 || node > MaxNodes) {
        return Where(table, row, column) + "il nodo deve essere un numero intero da 1 a " +
               std::to_string(MaxNodes) +
               (t.empty() ? " (la cella è vuota)." : ", non " + Quoted(t) + ".");
    }
    return std::nullopt;
}

std::optional<std::string> CheckNumber(const char* table, int row, const char* column,
                                       std::string_view text) {
    const std::string_view t = Trimmed(text);
    if (t.empty()) {
        return std::nullopt;
    }
    if (!IsPlainNumber(t)) {
        return Where(table, row, column) + Quoted(t) +
               " non è un numero (cifre con la virgola o il punto, senza esponente).";
    }
    if (!std::isfinite(NumberValue(t))) {
        return Where(table, row, column) + Quoted(t) + " è un numero troppo grande.";
    }
    return std::nullopt;
}

bool RowIsEmpty(const std::vector<std::string>& row) {
    for (const std::string& cell : row) {
        if (!Trimmed(cell).empty()) {
            return false;
        }
    }
    return true;
}

const std::string& Cell(const std::vector<std::string>& row, int column) {
    static const std::string empty;
    const auto c = static_cast<std::size_t>(column);
    return c < row.size() ? row[c] : empty;
}

double ValueOr(const std::string& text, double empty) {
    const std::string_view t = Trimmed(text);
    return t.empty() ? empty : NumberValue(t);
}

int NodeOf(const std::string& text) {
    return std::atoi(std::string(Trimmed(text)).c_str());
}

// The base impedance in ohm, or the reason the bases cannot give one.
std::optional<std::string> BaseImpedance(const LineUnits& units, double& zBase) {
    const struct {
        const std::string& text;
        const char* name;
    } bases[] = {{units.baseKV, "La tensione base (kV)"}, {units.baseMVA, "La potenza base (MVA)"}};
    double values[2] = {};
    for (int i = 0; i < 2; ++i) {
        const std::string_view t = Trimmed(bases[i].text);
        if (!IsPlainNumber(t) || !(NumberValue(t) > 0.0) || !std::isfinite(NumberValue(t))) {
            return std::string(bases[i].name) + " deve essere un numero maggiore di 0" +
                   (t.empty() ? std::string(".") : ", non " + Quoted(t) + ".");
        }
        values[i] = NumberValue(t);
    }
    zBase = values[0] * values[0] / values[1];
    if (!std::isfinite(zBase) || !(zBase > 0.0)) {
        return std::string("La tensione base e la potenza base danno un'impedenza base non "
                           "rappresentabile.");
    }
    return std::nullopt;
}

std::optional<std::string> Unwritable(const std::string& what) {
    return "Il valore di " + what + " non si può scrivere in una cella (al più " +
           std::to_string(MaxCellTextLength) + " caratteri, senza esponente).";
}

} // namespace

int LineDataNodeCount(const LineData& data) {
    int count = 0;
    for (const Branch& branch : data.branches) {
        count = std::max({count, branch.from, branch.to});
    }
    for (const NodeShunt& shunt : data.shunts) {
        count = std::max(count, shunt.node);
    }
    return count;
}

void AddBranchAdmittance(Complex (&Y)[MaxNodes][MaxNodes], const Branch& branch) {
    const int f = branch.from - 1;
    const int t = branch.to - 1;
    const Complex ys = Reciprocal(branch.r, branch.x);
    const Complex ytt = {ys.re, ys.im + branch.b / 2};
    const double tap2 = branch.tap * branch.tap;
    Add(Y[f][f], {ytt.re / tap2, ytt.im / tap2});
    Add(Y[t][t], ytt);
    const Complex mutual = {-ys.re / branch.tap, -ys.im / branch.tap};
    Add(Y[f][t], mutual);
    Add(Y[t][f], mutual);
}

void BuildAdmittanceMatrix(const LineData& data, NodalNetwork& network) {
    network.nodeCount = LineDataNodeCount(data);
    for (auto& row : network.Y) {
        for (Complex& y : row) {
            y = {0.0, 0.0};
        }
    }
    for (const Branch& branch : data.branches) {
        AddBranchAdmittance(network.Y, branch);
    }
    for (const NodeShunt& shunt : data.shunts) {
        Add(network.Y[shunt.node - 1][shunt.node - 1], {shunt.g, shunt.b});
    }
}

LineData LineDataFromMatrix(const NodalNetwork& network) {
    LineData data;
    const int n = network.nodeCount;
    for (int i = 0; i < n; ++i) {
        for (int k = i + 1; k < n; ++k) {
            const Complex y = network.Y[i][k];
            if (y.re == 0.0 && y.im == 0.0) {
                continue;
            }
            const Complex z = Reciprocal(y.re, y.im); // r + jx = -1/y
            data.branches.push_back({i + 1, k + 1, -z.re, -z.im, 0.0, 1.0});
        }
    }
    for (int i = 0; i < n; ++i) {
        if (HasShunt(network.Y, i, n)) {
            const Complex shunt = ShuntAdmittance(network.Y, i, n);
            data.shunts.push_back({i + 1, shunt.re, shunt.im});
        }
    }
    return data;
}

// How far an element's text may be from its value: far below what any network's numbers mean,
// far above the rounding that turns 10 into 10.000000000000002.
constexpr double CellTextTolerance = 1e-12;

std::optional<std::string> MatrixToCells(const NodalNetwork& network, CellTexts& cells) {
    const int n = network.nodeCount;
    std::optional<std::string> texts[MaxNodes][MaxNodes];
    Complex read[MaxNodes][MaxNodes] = {}; // what the texts read back as
    for (int c = 0; c < n; ++c) {
        for (int r = 0; r < c; ++r) {
            texts[c][r] = FormatAdmittanceNear(network.Y[r][c], CellTextTolerance, false);
            if (texts[c][r] && !texts[c][r]->empty()) {
                read[r][c] = ParseAdmittance(*texts[c][r]);
                read[c][r] = read[r][c];
            }
        }
    }
    // Each diagonal element is what makes its row of read-back texts sum to the node's element
    // to ground (charging, taps and shunts), so the rounding of the others never shows as one.
    for (int i = 0; i < n; ++i) {
        Complex diagonal = ShuntAdmittance(network.Y, i, n);
        bool written = true; // every other cell of the row, which the diagonal depends on
        for (int k = 0; k < n; ++k) {
            written = written && (k == i || texts[std::max(i, k)][std::min(i, k)]);
            if (k != i) {
                diagonal.re -= read[i][k].re;
                diagonal.im -= read[i][k].im;
            }
        }
        // Within a fraction of what the rule takes for rounding: the row still sums to none.
        read[i][i] = diagonal;
        const double tolerance = std::min(CellTextTolerance, ShuntNoise(read, i, n) / 8);
        if (written) {
            texts[i][i] = FormatAdmittanceNear(diagonal, tolerance, true);
        }
    }
    for (int c = 0; c < n; ++c) {
        for (int r = 0; r <= c; ++r) {
            if (!texts[c][r]) {
                return Unwritable("Y(" + std::to_string(r + 1) + "," + std::to_string(c + 1) + ")");
            }
        }
    }
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            cells.Admittance[c][r] = texts[c][r] ? std::move(*texts[c][r]) : std::string();
        }
    }
    return std::nullopt;
}

const char* BranchColumnName(int column) {
    static const char* const names[BranchColumnCount] = {"da", "a",        "R",
                                                         "X",  "B totale", "rapporto spire"};
    return column >= 0 && column < BranchColumnCount ? names[column] : "";
}

const char* ShuntColumnName(int column) {
    static const char* const names[ShuntColumnCount] = {"nodo", "G", "B"};
    return column >= 0 && column < ShuntColumnCount ? names[column] : "";
}

std::optional<std::string> CheckBranchCell(int row, int column, std::string_view text) {
    if (column == BranchFrom || column == BranchTo) {
        return CheckNode(BranchTable, row, BranchColumnName(column), text);
    }
    if (std::optional<std::string> bad =
            CheckNumber(BranchTable, row, BranchColumnName(column), text)) {
        return bad;
    }
    if (column == BranchTap && !Trimmed(text).empty() && !(NumberValue(Trimmed(text)) > 0.0)) {
        return Where(BranchTable, row, BranchColumnName(column)) +
               "il rapporto spire deve essere maggiore di 0 (vuoto: 1).";
    }
    return std::nullopt;
}

std::optional<std::string> CheckShuntCell(int row, int column, std::string_view text) {
    if (column == ShuntNode) {
        return CheckNode(ShuntTable, row, ShuntColumnName(column), text);
    }
    return CheckNumber(ShuntTable, row, ShuntColumnName(column), text);
}

namespace {

using CellCheck = std::optional<std::string> (*)(int row, int column, std::string_view text);

// Hands every row of `rows` that holds text to read(row, r), r its 0-based index, once each of
// its `columns` cells passes `check`; the first problem of either.
template <class Read>
std::optional<std::string> ReadFilledRows(const std::vector<std::vector<std::string>>& rows,
                                          int columns, CellCheck check, const Read& read) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string>& row = rows[i];
        const int r = static_cast<int>(i);
        if (RowIsEmpty(row)) {
            continue;
        }
        for (int c = 0; c < columns; ++c) {
            if (std::optional<std::string> bad = check(r, c, Cell(row, c))) {
                return bad;
            }
        }
        if (std::optional<std::string> bad = read(row, r)) {
            return bad;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ReadLineTable(const LineTable& table, const LineUnits& units,
                                         LineData& data) {
    double zBase = 1.0;
    if (units.physical) {
        if (std::optional<std::string> bad = BaseImpedance(units, zBase)) {
            return bad;
        }
    }
    // Ohm to per unit: divided by the base impedance; microsiemens: times it, and by 1e-6.
    auto impedance = [&units, zBase](double value) {
        return units.physical ? value / zBase : value;
    };
    auto admittance = [&units, zBase](double value) {
        return units.physical ? value * 1e-6 * zBase : value;
    };

    LineData read;
    const auto readBranch = [&](const std::vector<std::string>& row,
                                int r) -> std::optional<std::string> {
        Branch branch;
        branch.from = NodeOf(Cell(row, BranchFrom));
        branch.to = NodeOf(Cell(row, BranchTo));
        branch.r = impedance(ValueOr(Cell(row, BranchR), 0.0));
        branch.x = impedance(ValueOr(Cell(row, BranchX), 0.0));
        branch.b = admittance(ValueOr(Cell(row, BranchB), 0.0));
        branch.tap = ValueOr(Cell(row, BranchTap), 1.0);
        if (branch.from == branch.to) {
            return RowPrefix(BranchTable, r) + "il ramo collega il nodo " +
                   std::to_string(branch.from) + " a se stesso.";
        }
        if (branch.r == 0.0 && branch.x == 0.0) {
            return RowPrefix(BranchTable, r) + "il ramo ha impedenza nulla (R e X sono 0).";
        }
        // What this branch alone adds to the matrix must be finite.
        NodalNetwork alone;
        AddBranchAdmittance(alone.Y, branch);
        for (const Complex y :
             {alone.Y[branch.from - 1][branch.from - 1], alone.Y[branch.to - 1][branch.to - 1],
              alone.Y[branch.from - 1][branch.to - 1]}) {
            if (!std::isfinite(y.re) || !std::isfinite(y.im)) {
                return RowPrefix(BranchTable, r) +
                       "i valori del ramo danno un'ammettenza non rappresentabile.";
            }
        }
        read.branches.push_back(branch);
        return std::nullopt;
    };
    if (std::optional<std::string> bad =
            ReadFilledRows(table.branches, BranchColumnCount, CheckBranchCell, readBranch)) {
        return bad;
    }
    const auto readShunt = [&](const std::vector<std::string>& row,
                               int r) -> std::optional<std::string> {
        NodeShunt shunt;
        shunt.node = NodeOf(Cell(row, ShuntNode));
        shunt.g = admittance(ValueOr(Cell(row, ShuntG), 0.0));
        shunt.b = admittance(ValueOr(Cell(row, ShuntB), 0.0));
        if (!std::isfinite(shunt.g) || !std::isfinite(shunt.b)) {
            return RowPrefix(ShuntTable, r) + "i valori danno un'ammettenza non rappresentabile.";
        }
        read.shunts.push_back(shunt);
        return std::nullopt;
    };
    if (std::optional<std::string> bad =
            ReadFilledRows(table.shunts, ShuntColumnCount, CheckShuntCell, readShunt)) {
        return bad;
    }

    if (read.branches.empty()) {
        return std::string("La tabella dei rami è vuota: la matrice nasce dai rami.");
    }
    const int n = LineDataNodeCount(read);
    bool reached[MaxNodes] = {};
    for (const Branch& branch : read.branches) {
        reached[branch.from - 1] = true;
        reached[branch.to - 1] = true;
    }
    for (int i = 0; i < n; ++i) {
        if (!reached[i]) {
            return "Nessun ramo raggiunge il nodo " + std::to_string(i + 1) +
                   ": i nodi vanno numerati da 1 senza salti, e ogni nodo ha almeno un ramo.";
        }
    }
    data = std::move(read);
    return std::nullopt;
}

std::optional<std::string> FormatLineTable(const LineData& data, LineTable& table) {
    LineTable texts;
    for (std::size_t i = 0; i < data.branches.size(); ++i) {
        const Branch& branch = data.branches[i];
        std::vector<std::string> row = {std::to_string(branch.from), std::to_string(branch.to)};
        const double values[] = {branch.r, branch.x, branch.b, branch.tap};
        for (int c = 0; c < 4; ++c) {
            const std::optional<std::string> text = FormatDataEntry(values[c]);
            if (!text) {
                return Unwritable(std::string(BranchColumnName(BranchR + c)) + " del ramo " +
                                  std::to_string(branch.from) + "-" + std::to_string(branch.to));
            }
            row.push_back(*text);
        }
        texts.branches.push_back(std::move(row));
    }
    for (const NodeShunt& shunt : data.shunts) {
        std::vector<std::string> row = {std::to_string(shunt.node)};
        for (double value : {shunt.g, shunt.b}) {
            const std::optional<std::string> text = FormatDataEntry(value);
            if (!text) {
                return Unwritable("G o B della derivazione del nodo " + std::to_string(shunt.node));
            }
            row.push_back(*text);
        }
        texts.shunts.push_back(std::move(row));
    }
    table = std::move(texts);
    return std::nullopt;
}

std::optional<std::string> MatrixFromCells(const CellTexts& cells, NodalNetwork& network) {
    const int n = CellNodeCount(cells);
    if (!MatrixBeyondNodesIsEmpty(cells, n)) {
        return std::string(InputWarningText(WarningMatrixBeyondNodes));
    }
    if (n == 0) {
        return std::string("La griglia non contiene una matrice delle ammettenze: la cella Y(1,1) "
                           "è vuota.");
    }
    NodalNetwork read;
    read.nodeCount = n;
    for (int k = 0; k < n; ++k) {
        for (int l = k; l < n; ++l) {
            const std::string& text = cells.Admittance[l][k];
            const Complex y = text.empty() ? Complex{0.0, 0.0} : ParseAdmittance(text);
            if (!std::isfinite(y.re) || !std::isfinite(y.im)) {
                return "La cella Y(" + std::to_string(k + 1) + "," + std::to_string(l + 1) +
                       ") della matrice ha un numero troppo grande.";
            }
            read.Y[k][l] = y;
            read.Y[l][k] = y;
        }
    }
    network = read;
    return std::nullopt;
}

std::optional<std::string> NodeDataFromCells(const CellTexts& cells, NodalNetwork& network) {
    for (int i = 0; i < network.nodeCount; ++i) {
        bool given[DataColumns] = {};
        double values[DataColumns] = {};
        int count = 0;
        for (int c = 0; c < DataColumns; ++c) {
            const std::string filtered = FilterNumber(cells.Data[c][i]);
            given[c] = !filtered.empty();
            values[c] = given[c] ? DecimalConversion(filtered) : 0.0;
            count += given[c] ? 1 : 0;
            if (!std::isfinite(values[c])) {
                return "Il nodo " + std::to_string(i + 1) + " ha un dato troppo grande.";
            }
        }
        if (count != QuantitiesPerNode) {
            return "Il nodo " + std::to_string(i + 1) +
                   " deve avere nella griglia due dati tra E, d, P e Q (ne ha " +
                   std::to_string(count) + ").";
        }
        network.types[i] = ClassifyNode(given);
        network.E[i] = values[0];
        network.dDegrees[i] = values[1];
        network.P[i] = values[2];
        network.Q[i] = values[3];
    }
    return std::nullopt;
}

bool SameAdmittanceMatrix(const NodalNetwork& a, const NodalNetwork& b) {
    if (a.nodeCount != b.nodeCount) {
        return false;
    }
    for (int i = 0; i < a.nodeCount; ++i) {
        for (int k = 0; k < a.nodeCount; ++k) {
            const Complex x = a.Y[i][k];
            const Complex y = b.Y[i][k];
            const double scale = std::max(1.0, std::hypot(x.re, x.im));
            if (!(std::hypot(x.re - y.re, x.im - y.im) <= 1e-9 * scale)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace nodewise
