// The network data file (.nwd): 56 lines, one cell text per line, in the order of
// CellInFileOrder. No header, no interpretation: validation happens at acquisition.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/input/cell_texts.h"
#include "core/input/file_sections.h"

namespace nodewise {

inline constexpr const char* NetworkFileErrorCaption = "Errore";
inline constexpr const char* NetworkSaveErrorText = "Impossibile portare a termine il salvataggio.";
inline constexpr const char* NetworkLoadErrorText = "Impossibile portare a termine la lettura.";

// The file's bytes: every cell text and a newline. A line break inside a cell text (which an
// edit box cannot hold) is written as a blank so that the file always keeps 56 lines.
std::string FormatNetworkFile(const CellTexts& cells);

// Cell texts from file contents: one whole line per cell, a carriage return before the newline
// dropped, lines missing at the end giving empty cells, lines after the 56th ignored.
CellTexts ParseNetworkFile(std::string_view contents);

// Writes the file as WriteFileAtomically does: through a temporary file that then replaces the
// target, so that a save that cannot complete leaves an existing file exactly as it was (a
// device or a pipe is written in place). Returns false (and, if `reason` is given, the path and
// the system's description of the error) on failure.
bool WriteNetworkFile(const std::string& path, const CellTexts& cells,
                      std::string* reason = nullptr);

// Reads the whole file; on failure returns false and leaves `cells` untouched.
bool ReadNetworkFile(const std::string& path, CellTexts& cells, std::string* reason = nullptr);

// A network file with the sections that follow its cells (file_sections.h).
struct NetworkFile {
    CellTexts cells;
    FileSections sections;
    std::optional<SectionProblem> sectionProblem; // a section that could not be read
};

// The 56 cell lines, then the sections; with empty sections the bytes of FormatNetworkFile.
std::string FormatNetworkFile(const CellTexts& cells, const FileSections& sections);
NetworkFile ParseNetworkFileWithSections(std::string_view contents);
bool WriteNetworkFile(const std::string& path, const CellTexts& cells, const FileSections& sections,
                      std::string* reason = nullptr);
// As ReadNetworkFile, with the sections; a damaged section is no failure (the cells are read,
// `sectionProblem` says what was left out).
bool ReadNetworkFile(const std::string& path, NetworkFile& file, std::string* reason = nullptr);

} // namespace nodewise
