#include "core/analysis/cell_notes.h"

#include <cmath>

#include "core/input/entry_syntax.h"
#include "core/results/number_format.h"

namespace nodewise {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An "e" or "E" right after a digit: a number written with an exponent.
bool HasExponent(std::string_view text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        if ((text[i] == 'e' || text[i] == 'E') && IsDigit(text[i - 1])) {
            return true;
        }
    }
    return false;
}

bool HasBlankOnly(std::string_view text) {
    return !text.empty() && text.find_first_not_of(' ') == std::string_view::npos;
}

std::string Number(double value, char decimalSeparator) {
    return FormatGeneral(value, decimalSeparator);
}

// The value as it could have been typed: "1,5-0,25j", "-j", "0".
std::string AdmittanceValueText(Complex y, char decimalSeparator) {
    if (y.im == 0.0) {
        return Number(y.re, decimalSeparator);
    }
    const std::string imaginary =
        std::abs(y.im) == 1.0 ? "j" : Number(std::abs(y.im), decimalSeparator) + "j";
    const std::string sign = std::signbit(y.im) ? "-" : (y.re == 0.0 ? "" : "+");
    return (y.re == 0.0 ? std::string() : Number(y.re, decimalSeparator)) + sign + imaginary;
}

std::string Quoted(std::string_view text) {
    return "\xC2\xAB" + std::string(text) + "\xC2\xBB"; // « »
}

// How many points the number part has: a second point ends the number.
int PointCount(std::string_view filtered) {
    int points = 0;
    for (char c : filtered) {
        points += c == '.' ? 1 : 0;
    }
    return points;
}

int CountNodes(const CellTexts& cells) {
    int count = 0;
    while (count < MaxNodes && !cells.Admittance[count][count].empty()) {
        ++count;
    }
    return count;
}

int GivenCount(const CellTexts& cells, int node) {
    int given = 0;
    for (int c = 0; c < DataColumns; ++c) {
        const std::string& text = cells.Data[c][node];
        given += !text.empty() && !FilterNumber(text).empty() ? 1 : 0;
    }
    return given;
}

} // namespace

std::string AdmittanceCellNote(std::string_view text, char decimalSeparator) {
    if (text.empty()) {
        return {};
    }
    if (HasBlankOnly(text)) {
        return "letto come 0: la cella contiene solo spazi";
    }
    const AdmittanceReading reading = ReadAdmittance(text);
    if (reading.unused.empty()) {
        return {};
    }
    std::string note = "letto come " + AdmittanceValueText(reading.value, decimalSeparator);
    if (HasExponent(text)) {
        note += ": l'esponente non \xC3\xA8 previsto";
    } else if (reading.unused.find('J') != std::string::npos) {
        note += ": la j della parte immaginaria va scritta minuscola";
    } else {
        note += ": testo non usato " + Quoted(reading.unused);
    }
    return note;
}

std::string DataCellNote(std::string_view text, char decimalSeparator) {
    if (text.empty()) {
        return {};
    }
    const std::string filtered = FilterNumber(text);
    if (filtered.empty()) {
        return HasBlankOnly(text) ? std::string()
                                  : "letto come cella vuota: nessuna cifra " + Quoted(text);
    }
    // The characters the filter drops, blanks apart.
    std::string dropped;
    for (char c : text) {
        if (c != ' ' && c != ',' && !IsDigit(c) && c != '+' && c != '-' && c != '.') {
            dropped.push_back(c);
        }
    }
    const double value = DecimalConversion(filtered);
    // What the conversion reads of the filtered text: sign, digits, one point, digits.
    std::size_t used = 0;
    if (used < filtered.size() && (filtered[used] == '+' || filtered[used] == '-')) {
        ++used;
    }
    while (used < filtered.size() && IsDigit(filtered[used])) {
        ++used;
    }
    if (used < filtered.size() && filtered[used] == '.') {
        ++used;
        while (used < filtered.size() && IsDigit(filtered[used])) {
            ++used;
        }
    }
    if (dropped.empty() && used == filtered.size()) {
        return {};
    }
    std::string note = "letto come " + Number(value, decimalSeparator);
    if (HasExponent(text)) {
        note += ": l'esponente non \xC3\xA8 previsto";
    } else if (PointCount(filtered) > 1) {
        note += ": un solo separatore decimale";
    } else if (used < filtered.size()) {
        note += ": testo non usato " + Quoted(filtered.substr(used));
    } else {
        note += ": testo non usato " + Quoted(dropped);
    }
    return note;
}

CellNotes NoteCells(const CellTexts& cells, char decimalSeparator) {
    CellNotes notes;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            notes.Admittance[c][r] = AdmittanceCellNote(cells.Admittance[c][r], decimalSeparator);
        }
    }
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            notes.Data[c][r] = DataCellNote(cells.Data[c][r], decimalSeparator);
        }
    }
    return notes;
}

std::vector<int> NodesWithoutTwoQuantities(const CellTexts& cells) {
    std::vector<int> nodes;
    const int n = CountNodes(cells);
    for (int r = 0; r < n; ++r) {
        if (GivenCount(cells, r) != 2) {
            nodes.push_back(r);
        }
    }
    return nodes;
}

std::string NodeQuantityNote(const CellTexts& cells, int node) {
    const int given = GivenCount(cells, node);
    return "il nodo " + std::to_string(node + 1) + " ha " + std::to_string(given) +
           (given == 1 ? " dato" : " dati") + " su 4: ne servono esattamente 2";
}

} // namespace nodewise
