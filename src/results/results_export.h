// Export of an iteration history as CSV or as an HTML table.
#pragma once

#include <string>
#include <string_view>

#include "model/workspace.h"

namespace nodewise {

enum class ExportFormat { Csv, Html };

inline constexpr const char* ExportErrorCaption = "Errore";
inline constexpr const char* ExportCsvErrorText = "Errore salvataggio in .csv";
inline constexpr const char* ExportHtmlErrorText = "Errore salvataggio in .html";
inline constexpr const char* ExportUnknownFormatText = "Formato inesistente";

// The bytes of the export of entries 0..lastEntry of nodes 0..nodes-1 (both clamped to the
// arrays). Numbers are written with a full stop whatever the process locale.
std::string FormatResults(ExportFormat format, std::string_view title, const HistoryRows& E,
                          const HistoryRows& d, int lastEntry, int nodes);

// Writes `contents` to `path` through a temporary file in the same folder that then replaces
// the target: on any error while opening, writing or closing, nothing is left behind and an
// existing file keeps its contents. Returns false on failure, with the system error in `reason`.
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         std::string* reason = nullptr);

inline const char* ExportErrorText(ExportFormat format) {
    return format == ExportFormat::Csv ? ExportCsvErrorText : ExportHtmlErrorText;
}

} // namespace nodewise
