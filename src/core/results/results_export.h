// Export of an iteration history as CSV or as an HTML table.
#pragma once

#include <string>
#include <string_view>

#include "core/model/network.h"
#include "core/platform/atomic_file.h" // WriteFileAtomically, used to write an export

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

inline const char* ExportErrorText(ExportFormat format) {
    return format == ExportFormat::Csv ? ExportCsvErrorText : ExportHtmlErrorText;
}

} // namespace nodewise
