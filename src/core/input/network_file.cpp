#include "core/input/network_file.h"

#include "core/platform/atomic_file.h"

namespace nodewise {

namespace {

// Far more than 56 cells could ever need; a larger file is not a network file.
constexpr std::size_t MaxNetworkFileBytes = 64u * 1024u * 1024u;

} // namespace

std::string FormatNetworkFile(const CellTexts& cells) {
    std::string contents;
    for (int line = 0; line < CellCount; ++line) {
        for (char c : CellInFileOrder(cells, line)) {
            contents.push_back(c == '\n' || c == '\r' ? ' ' : c);
        }
        contents.push_back('\n');
    }
    return contents;
}

namespace {

// The cells of the first 56 lines; `rest` where the 57th line starts.
CellTexts ParseCells(std::string_view contents, std::size_t& rest) {
    CellTexts cells;
    std::size_t pos = 0;
    for (int line = 0; line < CellCount && pos < contents.size(); ++line) {
        std::size_t end = contents.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? contents.size() : end + 1;
        if (end == std::string_view::npos) {
            end = contents.size();
        }
        if (end > pos && contents[end - 1] == '\r') {
            --end;
        }
        CellInFileOrder(cells, line).assign(contents.substr(pos, end - pos));
        pos = next;
    }
    rest = pos;
    return cells;
}

// Lines a file's sections may take: line data of hundreds of branches and more.
constexpr std::size_t MaxNetworkFileLines = 100000;

} // namespace

CellTexts ParseNetworkFile(std::string_view contents) {
    std::size_t rest = 0;
    return ParseCells(contents, rest);
}

std::string FormatNetworkFile(const CellTexts& cells, const FileSections& sections) {
    return FormatNetworkFile(cells) + FormatFileSections(sections);
}

NetworkFile ParseNetworkFileWithSections(std::string_view contents) {
    NetworkFile file;
    std::size_t rest = 0;
    file.cells = ParseCells(contents, rest);
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

bool WriteNetworkFile(const std::string& path, const CellTexts& cells, std::string* reason) {
    return WriteFileAtomically(path, FormatNetworkFile(cells), reason);
}

bool ReadNetworkFile(const std::string& path, CellTexts& cells, std::string* reason) {
    std::string contents;
    if (!ReadFileHead(path, contents, CellCount, MaxNetworkFileBytes, reason)) {
        return false;
    }
    cells = ParseNetworkFile(contents);
    return true;
}

} // namespace nodewise
