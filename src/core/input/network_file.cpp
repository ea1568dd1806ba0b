#include "core/input/network_file.h"

#include "core/platform/atomic_file.h"

namespace nodewise {

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

CellTexts ParseNetworkFile(std::string_view contents, std::size_t& rest) {
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

CellTexts ParseNetworkFile(std::string_view contents) {
    std::size_t rest = 0;
    return ParseNetworkFile(contents, rest);
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
