#include "core/interop/file_sections.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <vector>

#include "core/input/network_file.h"
#include "core/model/calculation_options.h"
#include "core/platform/atomic_file.h"

namespace nodewise {

namespace {

constexpr std::string_view Header = "[Nodewise ";
constexpr std::string_view LineSection = "[linee]";
constexpr std::string_view OptionSection = "[opzioni]";
constexpr std::string_view LimitsKey = "limiti_q";

constexpr const char* AllSectionsLost = "Le sezioni dopo le celle non sono state lette";
constexpr const char* LineDataLost = "I dati di linea non sono stati letti";
constexpr const char* OptionsLost = "Le opzioni di calcolo non sono state lette";

// A number as the file holds it: the shortest text that reads back as the same double, with a
// full stop.
std::string NumberText(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("nan");
}

std::optional<double> ReadNumber(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The characters a value cannot hold as they are, each with the letter that follows the
// backslash in its place.
struct Escape {
    char plain;
    char letter;
};
constexpr Escape Escapes[] = {{'\\', '\\'}, {'\t', 't'}, {'\n', 'n'}, {'\r', 'r'}};

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        const Escape* escape = std::find_if(std::begin(Escapes), std::end(Escapes),
                                            [c](const Escape& e) { return e.plain == c; });
        if (escape != std::end(Escapes)) {
            out.push_back('\\');
            out.push_back(escape->letter);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// The text of an escaped value; nothing when a backslash starts no known sequence.
std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        const char letter = text[i];
        const Escape* escape =
            std::find_if(std::begin(Escapes), std::end(Escapes),
                         [letter](const Escape& e) { return e.letter == letter; });
        if (escape == std::end(Escapes)) {
            return std::nullopt;
        }
        out.push_back(escape->plain);
    }
    return out;
}

bool AllEmpty(const std::vector<std::string>& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& s) { return s.empty(); });
}

void WriteRow(std::string& out, std::string_view key, const std::vector<std::string>& row,
              std::size_t columns) {
    out += key;
    out += '=';
    for (std::size_t c = 0; c < columns; ++c) {
        if (c > 0) {
            out += '\t';
        }
        if (c < row.size()) {
            out += Escaped(row[c]);
        }
    }
    out += '\n';
}

bool HasRows(const std::vector<std::vector<std::string>>& rows) {
    return std::any_of(rows.begin(), rows.end(), [](const auto& row) { return !AllEmpty(row); });
}

// One line of the file without its line end.
struct Line {
    int number;
    std::string_view text;
};

std::vector<Line> SplitLines(std::string_view rest, int firstLine) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    int number = firstLine;
    while (pos < rest.size()) {
        std::size_t end = rest.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? rest.size() : end + 1;
        if (end == std::string_view::npos) {
            end = rest.size();
        }
        if (end > pos && rest[end - 1] == '\r') {
            --end;
        }
        lines.push_back({number++, rest.substr(pos, end - pos)});
        pos = next;
    }
    return lines;
}

// The cells of a table row, tab-separated and escaped; nothing when there are not `columns`.
std::optional<std::vector<std::string>> ReadRow(std::string_view value, std::size_t columns,
                                                std::string& problem) {
    std::vector<std::string> row;
    std::size_t pos = 0;
    while (true) {
        const std::size_t tab = value.find('\t', pos);
        const std::string_view cell =
            value.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos);
        const std::optional<std::string> text = Unescaped(cell);
        if (!text) {
            problem = "barra rovesciata non seguita da \\, t, n o r";
            return std::nullopt;
        }
        row.push_back(*text);
        if (tab == std::string_view::npos) {
            break;
        }
        pos = tab + 1;
    }
    if (row.size() != columns) {
        problem = std::to_string(row.size()) + (row.size() == 1 ? " cella" : " celle") +
                  " invece di " + std::to_string(columns);
        return std::nullopt;
    }
    return row;
}

SectionProblem UnknownKey(const Line& line, std::string_view key) {
    return SectionProblem{line.number,
                          "chiave sconosciuta «" + std::string(key.substr(0, 20)) + "»"};
}

// Calls `take(line, key, value)` for every key=value line of a section, empty lines passed
// over; the first problem, of a line without = or of `take`.
template <class Take>
std::optional<SectionProblem> ForEachSetting(const std::vector<Line>& lines, const Take& take) {
    for (const Line& line : lines) {
        if (line.text.empty()) {
            continue;
        }
        const std::size_t equals = line.text.find('=');
        if (equals == std::string_view::npos) {
            return SectionProblem{line.number, "manca il segno = tra chiave e valore"};
        }
        if (auto problem = take(line, line.text.substr(0, equals), line.text.substr(equals + 1))) {
            return problem;
        }
    }
    return std::nullopt;
}

// The lines of the [linee] section into `data`; the first problem, if any.
std::optional<SectionProblem> ReadLineSection(const std::vector<Line>& lines, TypedLineData& data) {
    bool unitsSeen = false;
    return ForEachSetting(
        lines,
        [&](const Line& line, std::string_view key,
            std::string_view value) -> std::optional<SectionProblem> {
            std::string problem;
            if (key == "ramo" || key == "derivazione") {
                const bool branch = key == "ramo";
                const auto row =
                    ReadRow(value, branch ? BranchColumnCount : ShuntColumnCount, problem);
                if (!row) {
                    return SectionProblem{line.number, std::string(key) + ": " + problem};
                }
                (branch ? data.table.branches : data.table.shunts).push_back(*row);
            } else if (key == "unita") {
                if (unitsSeen || (value != "pu" && value != "ohm")) {
                    return SectionProblem{line.number,
                                          "unita deve essere pu oppure ohm, una volta"};
                }
                unitsSeen = true;
                data.units.physical = value == "ohm";
            } else if (key == "base_kv" || key == "base_mva") {
                const std::optional<std::string> text = Unescaped(value);
                if (!text) {
                    return SectionProblem{
                        line.number, std::string(key) + ": barra rovesciata non seguita da \\, t, "
                                                        "n o r"};
                }
                (key == "base_kv" ? data.units.baseKV : data.units.baseMVA) = *text;
            } else {
                return UnknownKey(line, key);
            }
            return std::nullopt;
        });
}

// A limits row's cells, node and the two bounds, into `options`; the problem, if any.
std::optional<std::string> ReadLimitsRow(std::string_view value, CalculationOptions& options,
                                         std::array<bool, MaxNodes>& seen) {
    std::string problem;
    const std::optional<std::vector<std::string>> row = ReadRow(value, 3, problem);
    if (!row) {
        return problem;
    }
    const std::string& nodeText = (*row)[0];
    if (nodeText.size() != 1 || nodeText[0] < '1' || nodeText[0] - '0' > MaxNodes) {
        return "il nodo deve essere un numero da 1 a " + std::to_string(MaxNodes);
    }
    const int node = nodeText[0] - '1';
    if (seen[node]) {
        return "nodo " + nodeText + " ripetuto";
    }
    seen[node] = true;
    ReactiveLimits limits;
    const char* names[] = {"Qmin", "Qmax"};
    std::optional<double>* bounds[] = {&limits.qmin, &limits.qmax};
    for (int b = 0; b < 2; ++b) {
        const std::string& text = (*row)[1 + b];
        if (text.empty()) {
            continue;
        }
        *bounds[b] = ReadNumber(text);
        if (!*bounds[b] || !std::isfinite(**bounds[b])) {
            return std::string(names[b]) + " del nodo " + nodeText +
                   " non \xC3\xA8 un numero finito";
        }
    }
    if (!AreUsableLimits(limits)) {
        return "Qmin maggiore di Qmax al nodo " + nodeText;
    }
    options.reactiveLimits[node] = limits;
    return std::nullopt;
}

// The lines of the [opzioni] section into `options`; the first problem, if any.
std::optional<SectionProblem> ReadOptionSection(const std::vector<Line>& lines,
                                                CalculationOptions& options) {
    std::array<bool, MaxNodes> limitsSeen{};
    return ForEachSetting(
        lines,
        [&](const Line& line, std::string_view key,
            std::string_view text) -> std::optional<SectionProblem> {
            if (key == LimitsKey) {
                if (std::optional<std::string> problem = ReadLimitsRow(text, options, limitsSeen)) {
                    return SectionProblem{line.number, std::string(key) + ": " + *problem};
                }
                return std::nullopt;
            }
            const std::optional<double> value = ReadNumber(text);
            if (key != "tolleranza" && key != "accelerazione") {
                return UnknownKey(line, key);
            }
            if (!value) {
                return SectionProblem{line.number, std::string(key) + ": non \xC3\xA8 un numero"};
            }
            CalculationOptions one;
            if (key == "tolleranza") {
                options.stopTolerance = one.stopTolerance = *value;
            } else {
                options.acceleration = one.acceleration = *value;
            }
            if (const std::optional<std::string> problem = OptionsProblem(one)) {
                std::string said = *problem;
                while (!said.empty() && (said.back() == '.' || said.back() == '\n')) {
                    said.pop_back();
                }
                return SectionProblem{line.number, said};
            }
            return std::nullopt;
        });
}

} // namespace

namespace {

bool HasLineData(const FileSections& sections) {
    return sections.lineData &&
           (HasRows(sections.lineData->table.branches) || HasRows(sections.lineData->table.shunts));
}

bool HasOptions(const FileSections& sections) {
    return sections.options && !AllOff(*sections.options);
}

} // namespace

bool IsEmpty(const FileSections& sections) {
    return !HasLineData(sections) && !HasOptions(sections);
}

std::string FormatFileSections(const FileSections& sections) {
    if (IsEmpty(sections)) {
        return {};
    }
    std::string out = std::string(Header) + std::to_string(FileSectionsVersion) + "]\n";
    if (HasOptions(sections)) {
        const CalculationOptions& options = *sections.options;
        out += OptionSection;
        out += '\n';
        if (options.stopTolerance) {
            out += "tolleranza=" + NumberText(*options.stopTolerance) + "\n";
        }
        if (options.acceleration != PlainAcceleration) {
            out += "accelerazione=" + NumberText(options.acceleration) + "\n";
        }
        for (int node = 0; node < MaxNodes; ++node) {
            const ReactiveLimits& limits = options.reactiveLimits[node];
            if (!limits.qmin && !limits.qmax) {
                continue;
            }
            out += std::string(LimitsKey) + "=" + std::to_string(node + 1) + "\t" +
                   (limits.qmin ? NumberText(*limits.qmin) : std::string()) + "\t" +
                   (limits.qmax ? NumberText(*limits.qmax) : std::string()) + "\n";
        }
    }
    if (HasLineData(sections)) {
        const TypedLineData& data = *sections.lineData;
        out += LineSection;
        out += '\n';
        out += data.units.physical ? "unita=ohm\n" : "unita=pu\n";
        out += "base_kv=" + Escaped(data.units.baseKV) + "\n";
        out += "base_mva=" + Escaped(data.units.baseMVA) + "\n";
        for (const auto& row : data.table.branches) {
            if (!AllEmpty(row)) {
                WriteRow(out, "ramo", row, BranchColumnCount);
            }
        }
        for (const auto& row : data.table.shunts) {
            if (!AllEmpty(row)) {
                WriteRow(out, "derivazione", row, ShuntColumnCount);
            }
        }
    }
    return out;
}

std::string SectionProblemText(const SectionProblem& problem) {
    return "Riga " + std::to_string(problem.line) + " del file: " + problem.problem + ".\n" +
           problem.lost + "; le celle della rete s\xC3\xAC.";
}

std::optional<SectionProblem> ParseFileSections(std::string_view rest, int firstLine,
                                                FileSections& sections) {
    sections = FileSections{};
    const std::vector<Line> lines = SplitLines(rest, firstLine);
    auto line =
        std::find_if(lines.begin(), lines.end(), [](const Line& l) { return !l.text.empty(); });
    // Nothing, or text of someone else's after the cells: not ours to read.
    if (line == lines.end() || line->text.substr(0, Header.size()) != Header) {
        return std::nullopt;
    }
    const std::string_view version =
        line->text.substr(Header.size(), line->text.size() - Header.size());
    if (version != std::to_string(FileSectionsVersion) + "]") {
        return SectionProblem{line->number,
                              "le sezioni sono di un formato che questa versione non legge",
                              AllSectionsLost};
    }

    // The sections, each from its name to the next; lines of an unknown section are passed
    // over, so that a later program can add sections this one does not know.
    std::optional<std::vector<Line>> lineSection;
    std::optional<std::vector<Line>> optionSection;
    std::vector<Line>* current = nullptr;
    bool inUnknown = false;
    for (++line; line != lines.end(); ++line) {
        const std::string_view text = line->text;
        if (!text.empty() && text.front() == '[') {
            inUnknown = false;
            current = nullptr;
            std::optional<std::vector<Line>>* known = text == LineSection     ? &lineSection
                                                      : text == OptionSection ? &optionSection
                                                                              : nullptr;
            if (known != nullptr) {
                if (*known) {
                    return SectionProblem{line->number,
                                          "sezione " + std::string(text) + " ripetuta",
                                          AllSectionsLost};
                }
                known->emplace();
                current = &**known;
            } else if (text.back() == ']') {
                inUnknown = true;
            } else {
                return SectionProblem{line->number, "nome di sezione senza ]", AllSectionsLost};
            }
            continue;
        }
        if (current != nullptr) {
            current->push_back(*line);
        } else if (!text.empty() && !inUnknown) {
            return SectionProblem{line->number, "testo fuori da una sezione", AllSectionsLost};
        }
    }
    // Each section on its own: one that cannot be read leaves the others as they are read.
    std::optional<SectionProblem> first;
    if (lineSection) {
        TypedLineData data;
        if (auto problem = ReadLineSection(*lineSection, data)) {
            problem->lost = LineDataLost;
            first = problem;
        } else {
            sections.lineData = std::move(data);
        }
    }
    if (optionSection) {
        CalculationOptions options;
        if (auto problem = ReadOptionSection(*optionSection, options)) {
            problem->lost = OptionsLost;
            if (!first || problem->line < first->line) {
                first = problem;
            }
        } else {
            sections.options = options;
        }
    }
    return first;
}

// Lines a file's sections may take: line data of hundreds of branches and more.
constexpr std::size_t MaxNetworkFileLines = 100000;

std::string FormatNetworkFile(const CellTexts& cells, const FileSections& sections) {
    return FormatNetworkFile(cells) + FormatFileSections(sections);
}

NetworkFile ParseNetworkFileWithSections(std::string_view contents) {
    NetworkFile file;
    std::size_t rest = 0;
    file.cells = ParseNetworkFile(contents, rest);
    if (rest < contents.size()) {
        file.sectionProblem =
            ParseFileSections(contents.substr(rest), CellCount + 1, file.sections);
    }
    return file;
}

bool WriteNetworkFile(const std::string& path, const CellTexts& cells, const FileSections& sections,
                      std::string* reason) {
    return WriteFileAtomically(path, FormatNetworkFile(cells, sections), reason);
}

bool ReadNetworkFile(const std::string& path, NetworkFile& file, std::string* reason) {
    std::string contents;
    if (!ReadFileHead(path, contents, MaxNetworkFileLines, MaxNetworkFileBytes, reason)) {
        return false;
    }
    file = ParseNetworkFileWithSections(contents);
    return true;
}

} // namespace nodewise
