#include "core/input/cell_notes.h"

#include <cmath>

#include "core/input/acquisition.h"
#include "core/input/entry_syntax.h"
#include "core/text/number_format.h"

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
    const DataReading reading = ReadData(text);
    if (!reading.given) {
        return HasBlankOnly(text) ? std::string()
                                  : "letto come cella vuota: nessuna cifra " + Quoted(text);
    }
    if (reading.unused.empty()) {
        return {};
    }
    std::string note = "letto come " + Number(reading.value, decimalSeparator);
    if (HasExponent(text)) {
        note += ": l'esponente non \xC3\xA8 previsto";
    } else if (PointCount(FilterNumber(text)) > 1) {
        note += ": un solo separatore decimale";
    } else {
        note += ": testo non usato " + Quoted(reading.unused);
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

std::vector<UnreadCell> UnreadCells(const CellTexts& cells, char decimalSeparator) {
    static const char DataNames[DataColumns] = {'E', 'd', 'P', 'Q'};
    const int n = CellNodeCount(cells);
    std::vector<UnreadCell> unread;
    int line = 0;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r, ++line) {
            const std::string& text = cells.Admittance[c][r];
            if (c >= n || text.empty()) {
                continue;
            }
            AdmittanceReading reading = ReadAdmittance(text);
            if (!reading.unused.empty()) {
                unread.push_back({line, "Y" + std::to_string(r + 1) + "," + std::to_string(c + 1),
                                  AdmittanceValueText(reading.value, decimalSeparator),
                                  std::move(reading.unused)});
            }
        }
    }
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = 0; c < DataColumns; ++c, ++line) {
            const std::string& text = cells.Data[c][r];
            if (r >= n || text.empty()) {
                continue;
            }
            DataReading reading = ReadData(text);
            if (!reading.unused.empty()) {
                unread.push_back(
                    {line, DataNames[c] + std::to_string(r + 1),
                     reading.given ? Number(reading.value, decimalSeparator) : std::string(),
                     std::move(reading.unused)});
            }
        }
    }
    return unread;
}

std::string UnreadCellLine(const UnreadCell& cell) {
    return cell.name + ": letto " + (cell.read.empty() ? "come cella vuota" : cell.read) +
           ", testo non usato " + Quoted(cell.unused);
}

std::string UnreadCellsMessage(const std::vector<UnreadCell>& cells) {
    std::string text = "Alcune celle contengono testo che non viene letto:\n";
    for (const UnreadCell& cell : cells) {
        text += "\n" + UnreadCellLine(cell);
    }
    return text;
}

std::vector<int> NodesWithoutTwoQuantities(const CellTexts& cells) {
    std::vector<int> nodes;
    const int n = CellNodeCount(cells);
    for (int r = 0; r < n; ++r) {
        if (GivenQuantityCount(cells, r) != QuantitiesPerNode) {
            nodes.push_back(r);
        }
    }
    return nodes;
}

std::string NodeQuantityNote(const CellTexts& cells, int node) {
    const int given = GivenQuantityCount(cells, node);
    return "il nodo " + std::to_string(node + 1) + " ha " + std::to_string(given) +
           (given == 1 ? " dato" : " dati") + " su 4: ne servono esattamente 2";
}

} // namespace nodewise
