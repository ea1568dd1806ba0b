#include "core/interop/matpower_case.h"

#include <cstdlib>
#include <limits>

#include "core/numeric/c_locale.h"

namespace nodewise {

namespace {

bool IsIdentifierStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsIdentifierChar(char c) {
    return IsIdentifierStart(c) || IsDigit(c);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string LinePrefix(int line) {
    return "Riga " + std::to_string(line) + ": ";
}

// A recursive-descent reader over the subset of the language that case files are written in.
class CaseReader {
public:
    explicit CaseReader(std::string_view text) : s_(text) {}

    std::optional<std::string> Read(MatpowerCase& result);

private:
    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0';
    }
    bool AtEnd() const { return pos_ >= s_.size(); }
    void Advance() {
        if (s_[pos_] == '\n') {
            ++line_;
        }
        ++pos_;
    }
    bool AtContinuation() const { return Peek() == '.' && Peek(1) == '.' && Peek(2) == '.'; }
    void SkipToLineEnd() {
        while (!AtEnd() && Peek() != '\n') {
            Advance();
        }
    }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(Peek())) {
            Advance();
        }
    }
    std::string ReadIdentifier() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsIdentifierChar(Peek())) {
            Advance();
        }
        return std::string(s_.substr(start, pos_ - start));
    }
    // The word at the cursor, for messages: up to the next blank or delimiter, at most 20 bytes.
    std::string WordAtCursor() const {
        std::size_t end = pos_;
        while (end < s_.size() && end - pos_ < 20 && !IsBlank(s_[end]) && s_[end] != '\n' &&
               s_[end] != ';' && s_[end] != ',' && s_[end] != ']') {
            ++end;
        }
        return std::string(s_.substr(pos_, end - pos_));
    }
    bool AtStatementEnd() const {
        const char c = Peek();
        return AtEnd() || c == ';' || c == ',' || c == '\n' || c == '%';
    }

    void SkipStatementSeparators();
    void SkipStatement(char previous);
    std::optional<std::string> ReadFunctionLine(MatpowerCase& result);
    bool ReadNumber(double& value);
    std::optional<std::string> ReadScalar(const std::string& field, double& value);
    std::optional<std::string> ReadVersion();
    std::optional<std::string> ReadMatrix(const std::string& field, std::vector<MatpowerRow>& rows);
    std::optional<std::string> ExpectStatementEnd(const std::string& field);

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::string variable_ = "mpc";
};

void CaseReader::SkipStatementSeparators() {
    while (!AtEnd()) {
        const char c = Peek();
        if (IsBlank(c) || c == '\n' || c == ';' || c == ',') {
            Advance();
        } else if (c == '%' || AtContinuation()) {
            SkipToLineEnd();
        } else {
            return;
        }
    }
}

// Skips to the end of the statement: a ';', ',' or line end outside brackets and strings. A
// quote opens a string unless it follows a value, where it is the transposition operator.
void CaseReader::SkipStatement(char previous) {
    int depth = 0;
    bool blankBefore = false;
    while (!AtEnd()) {
        const char c = Peek();
        if (c == '%') {
            SkipToLineEnd();
            continue;
        }
        if (AtContinuation()) {
            SkipToLineEnd();
            if (!AtEnd()) {
                Advance();
            }
            continue;
        }
        if ((c == '\n' || c == ';' || c == ',') && depth == 0) {
            Advance();
            return;
        }
        if (IsBlank(c) || c == '\n') {
            blankBefore = true;
            Advance();
            continue;
        }
        const bool afterValue = IsIdentifierChar(previous) || previous == ')' || previous == ']' ||
                                previous == '}' || previous == '.' || previous == '\'';
        if (c == '"' || (c == '\'' && (!afterValue || (depth > 0 && blankBefore)))) {
            Advance();
            // To the closing quote; a doubled quote stands for itself.
            while (!AtEnd() && Peek() != '\n' && (Peek() != c || Peek(1) == c)) {
                if (Peek() == c) {
                    Advance();
                }
                Advance();
            }
            if (!AtEnd() && Peek() == c) {
                Advance();
            }
            previous = c;
            blankBefore = false;
            continue;
        }
        if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if ((c == ')' || c == ']' || c == '}') && depth > 0) {
            --depth;
        }
        previous = c;
        blankBefore = false;
        Advance();
    }
}

// "function mpc = name": the variable the case is assembled in, and the case's name.
std::optional<std::string> CaseReader::ReadFunctionLine(MatpowerCase& result) {
    const int line = line_;
    SkipBlanks();
    if (Peek() == '[') {
        return LinePrefix(line) +
               "il caso è scritto nella versione 1 del formato MATPOWER (più valori restituiti); "
               "salvarlo nella versione 2.";
    }
    const std::string first = ReadIdentifier();
    SkipBlanks();
    if (first.empty() || Peek() != '=') {
        return LinePrefix(line) + "la funzione non restituisce un caso (\"function mpc = nome\").";
    }
    Advance();
    SkipBlanks();
    variable_ = first;
    result.name = ReadIdentifier();
    SkipStatement('=');
    return std::nullopt;
}

// A number as the format writes it: sign, digits, point, exponent (e or d), or Inf / NaN.
bool CaseReader::ReadNumber(double& value) {
    std::size_t p = pos_;
    auto at = [this, &p](std::size_t ahead = 0) {
        return p + ahead < s_.size() ? s_[p + ahead] : '\0';
    };
    std::string number;
    if (at() == '+' || at() == '-') {
        number.push_back(at());
        ++p;
    }
    const std::string_view rest = s_.substr(p);
    const auto word = [&rest](std::string_view w) {
        return rest.substr(0, w.size()) == w &&
               (rest.size() == w.size() || !IsIdentifierChar(rest[w.size()]));
    };
    if (word("Inf") || word("inf") || word("NaN") || word("nan")) {
        const bool infinite = rest[0] == 'I' || rest[0] == 'i';
        const double magnitude = infinite ? std::numeric_limits<double>::infinity()
                                          : std::numeric_limits<double>::quiet_NaN();
        value = (!number.empty() && number[0] == '-') ? -magnitude : magnitude;
        p += 3;
    } else {
        bool digits = false;
        while (IsDigit(at())) {
            number.push_back(at());
            ++p;
            digits = true;
        }
        if (at() == '.' && !(at(1) == '.' && at(2) == '.')) {
            number.push_back('.');
            ++p;
            while (IsDigit(at())) {
                number.push_back(at());
                ++p;
                digits = true;
            }
        }
        if (!digits) {
            return false;
        }
        if (at() == 'e' || at() == 'E' || at() == 'd' || at() == 'D') {
            std::size_t q = p + 1;
            std::string exponent = "e";
            if (q < s_.size() && (s_[q] == '+' || s_[q] == '-')) {
                exponent.push_back(s_[q++]);
            }
            bool exponentDigits = false;
            while (q < s_.size() && IsDigit(s_[q])) {
                exponent.push_back(s_[q++]);
                exponentDigits = true;
            }
            if (!exponentDigits) {
                return false;
            }
            number += exponent;
            p = q;
        }
        value = strtod_l(number.c_str(), nullptr, CLocale());
    }
    // A number ends at a delimiter: "1-2" is an expression, not two numbers.
    const char next = at();
    const bool delimited = p >= s_.size() || IsBlank(next) || next == '\n' || next == ',' ||
                           next == ';' || next == ']' || next == '%' ||
                           (next == '.' && at(1) == '.' && at(2) == '.');
    if (!delimited) {
        return false;
    }
    while (pos_ < p) {
        Advance();
    }
    return true;
}

std::optional<std::string> CaseReader::ExpectStatementEnd(const std::string& field) {
    SkipBlanks();
    if (!AtStatementEnd()) {
        return LinePrefix(line_) + "testo inatteso «" + WordAtCursor() + "» dopo " + variable_ +
               "." + field + ".";
    }
    SkipStatement(';');
    return std::nullopt;
}

std::optional<std::string> CaseReader::ReadScalar(const std::string& field, double& value) {
    SkipBlanks();
    if (!ReadNumber(value)) {
        return LinePrefix(line_) + "valore non valido «" + WordAtCursor() + "» per " + variable_ +
               "." + field + ".";
    }
    return ExpectStatementEnd(field);
}

std::optional<std::string> CaseReader::ReadVersion() {
    SkipBlanks();
    const int line = line_;
    std::string version;
    const char quote = Peek();
    if (quote == '\'' || quote == '"') {
        Advance();
        while (!AtEnd() && Peek() != quote && Peek() != '\n') {
            version.push_back(Peek());
            Advance();
        }
        if (Peek() != quote) {
            return LinePrefix(line) + "stringa non chiusa in " + variable_ + ".version.";
        }
        Advance();
    } else {
        version = WordAtCursor();
        while (!AtStatementEnd() && !IsBlank(Peek())) {
            Advance();
        }
    }
    // Version 1 has the same columns up to those read here.
    if (version != "2" && version != "1") {
        return LinePrefix(line) + "versione «" + version +
               "» del formato MATPOWER non prevista (Nodewise legge la versione 2).";
    }
    return ExpectStatementEnd("version");
}

std::optional<std::string> CaseReader::ReadMatrix(const std::string& field,
                                                  std::vector<MatpowerRow>& rows) {
    SkipBlanks();
    const int openLine = line_;
    const std::string name = variable_ + "." + field;
    if (Peek() != '[') {
        return LinePrefix(line_) + name + " deve essere una matrice tra [ e ].";
    }
    Advance();
    rows.clear();
    MatpowerRow row;
    auto finishRow = [&rows, &row]() -> bool {
        if (row.values.empty()) {
            return true;
        }
        const bool sameWidth = rows.empty() || rows.front().values.size() == row.values.size();
        rows.push_back(std::move(row));
        row = MatpowerRow();
        return sameWidth;
    };
    auto widthError = [&rows, &name]() {
        const MatpowerRow& last = rows.back();
        return LinePrefix(last.line) + "la riga di " + name + " ha " +
               std::to_string(last.values.size()) + " colonne, la prima ne ha " +
               std::to_string(rows.front().values.size()) + ".";
    };
    for (;;) {
        if (AtEnd()) {
            return LinePrefix(line_) + "manca la ] che chiude " + name + " (aperta alla riga " +
                   std::to_string(openLine) + ").";
        }
        const char c = Peek();
        if (IsBlank(c) || c == ',') {
            Advance();
        } else if (c == '%' || AtContinuation()) {
            SkipToLineEnd();
            if (!AtEnd()) {
                Advance();
            }
        } else if (c == '\n' || c == ';' || c == ']') {
            Advance();
            if (!finishRow()) {
                return widthError();
            }
            if (c == ']') {
                break;
            }
        } else {
            double value = 0.0;
            const int line = line_;
            if (!ReadNumber(value)) {
                return LinePrefix(line) + "valore non valido «" + WordAtCursor() + "» in " + name +
                       ".";
            }
            if (row.values.empty()) {
                row.line = line;
            }
            row.values.push_back(value);
        }
    }
    SkipBlanks();
    if (Peek() == '\'') {
        return LinePrefix(line_) + name + " trasposta: scriverla per righe.";
    }
    return ExpectStatementEnd(field);
}

std::optional<std::string> CaseReader::Read(MatpowerCase& result) {
    bool haveBase = false;
    bool haveBus = false;
    bool haveGen = false;
    bool haveBranch = false;
    for (;;) {
        SkipStatementSeparators();
        if (AtEnd()) {
            break;
        }
        if (!IsIdentifierStart(Peek())) {
            SkipStatement(' ');
            continue;
        }
        const int line = line_;
        const std::string identifier = ReadIdentifier();
        if (identifier == "function") {
            if (std::optional<std::string> error = ReadFunctionLine(result)) {
                return error;
            }
            continue;
        }
        SkipBlanks();
        if (identifier != variable_ || Peek() != '.') {
            SkipStatement(identifier.back());
            continue;
        }
        Advance();
        const std::string field = ReadIdentifier();
        const bool known = field == "version" || field == "baseMVA" || field == "bus" ||
                           field == "gen" || field == "branch";
        SkipBlanks();
        if (Peek() != '=' || Peek(1) == '=') {
            if (known) {
                return LinePrefix(line) + "assegnazione a " + variable_ + "." + field +
                       " non prevista (solo \"" + variable_ + "." + field + " = ...\").";
            }
            SkipStatement(field.empty() ? '.' : field.back());
            continue;
        }
        Advance();
        std::optional<std::string> error;
        if (field == "version") {
            error = ReadVersion();
        } else if (field == "baseMVA") {
            error = ReadScalar(field, result.baseMVA);
            if (!error && !(result.baseMVA > 0.0 && result.baseMVA < 1e300)) {
                error = LinePrefix(line) + variable_ + ".baseMVA deve essere positivo.";
            }
            haveBase = true;
        } else if (field == "bus") {
            error = ReadMatrix(field, result.bus);
            haveBus = true;
        } else if (field == "gen") {
            error = ReadMatrix(field, result.gen);
            haveGen = true;
        } else if (field == "branch") {
            error = ReadMatrix(field, result.branch);
            haveBranch = true;
        } else {
            SkipStatement('=');
        }
        if (error) {
            return error;
        }
    }

    const struct {
        bool present;
        const char* field;
        const std::vector<MatpowerRow>* rows;
        int columns;
    } required[] = {
        {haveBase, "baseMVA", nullptr, 0},
        {haveBus, "bus", &result.bus, matpower::BusColumnsRead},
        {haveGen, "gen", &result.gen, matpower::GenColumnsRead},
        {haveBranch, "branch", &result.branch, matpower::BranchColumnsRead},
    };
    for (const auto& r : required) {
        if (!r.present) {
            return "Il file non contiene " + variable_ + "." + r.field +
                   ": non è un caso MATPOWER.";
        }
        if (r.rows != nullptr && !r.rows->empty() &&
            r.rows->front().values.size() < static_cast<std::size_t>(r.columns)) {
            return LinePrefix(r.rows->front().line) + variable_ + "." + r.field + " ha " +
                   std::to_string(r.rows->front().values.size()) + " colonne, ne servono almeno " +
                   std::to_string(r.columns) + ".";
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ReadMatpowerCase(std::string_view text, MatpowerCase& result) {
    result = MatpowerCase();
    return CaseReader(text).Read(result);
}

} // namespace nodewise
