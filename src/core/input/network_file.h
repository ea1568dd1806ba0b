// The network data file (.nwd): 56 lines, one cell text per line, in the order of
// CellInFileOrder. No header, no interpretation: validation happens at acquisition.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/input/cell_texts.h"

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
// The same, and where the 57th line starts (the size of `contents` when there is none).
CellTexts ParseNetworkFile(std::string_view contents, std::size_t& rest);

// Far more than 56 cells could ever need; a larger file is not a network file.
inline constexpr std::size_t MaxNetworkFileBytes = 64u * 1024u * 1024u;

// Writes the file as WriteFileAtomically does: through a temporary file that then replaces the
// target, so that a save that cannot complete leaves an existing file exactly as it was (a
// device or a pipe is written in place). Returns false (and, if `reason` is given, the path and
// the system's description of the error) on failure.
[[nodiscard]] bool WriteNetworkFile(const std::string& path, const CellTexts& cells,
                                    std::string* reason = nullptr);

// Reads the whole file; on failure returns false and leaves `cells` untouched.
[[nodiscard]] bool ReadNetworkFile(const std::string& path, CellTexts& cells,
                                   std::string* reason = nullptr);

} // namespace nodewise
