#include "core/results/results_export.h"

#include <cstdio>

#include "core/numeric/c_locale.h"

namespace nodewise {

namespace {

// printf-style formatting with a full stop, whatever the process locale.
class CFormatter {
public:
    // "%d,%d,%.14lf,%.9lf" with the given separators around the numbers.
    void Row(std::string& out, const char* format, int i, int j, double e, double d) {
        char buffer[1200]; // enough for two doubles of up to 309 integer digits in fixed form
        const int length = std::snprintf(buffer, sizeof buffer, format, i, j, e, d);
        if (length > 0) {
            out.append(buffer, static_cast<std::size_t>(length < static_cast<int>(sizeof buffer)
                                                            ? length
                                                            : sizeof buffer - 1));
        }
    }

private:
    CLocaleScope locale_;
};

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

} // namespace

std::string FormatResults(ExportFormat format, std::string_view title, const HistoryRows& E,
                          const HistoryRows& d, int lastEntry, int nodes) {
    const int last = Clamp(lastEntry, -1, MaxIterations - 1);
    const int n = Clamp(nodes, 0, MaxNodes);
    std::string out;
    out.reserve(static_cast<std::size_t>(last + 2) * static_cast<std::size_t>(n + 1) * 160u + 512u);
    CFormatter formatter;

    if (format == ExportFormat::Csv) {
        out.append(title).append(",,,\n");
        out.append(",,,\n");
        out.append("iterazione,nodo,E,d(gradi)\n");
        for (int i = 0; i <= last; ++i) {
            for (int j = 0; j < n; ++j) {
                formatter.Row(out, "%d,%d,%.14f,%.9f\n", i, j + 1, E[j][i], d[j][i]);
            }
            out.append(",,,\n");
        }
        return out;
    }

    out.append("<html><head><title>").append(title).append("</title></head>\n");
    out.append("<body>\n");
    out.append(title).append("<br><br>\n");
    out.append("<table border=2>\n");
    out.append("<tr><td width=100 align=center>iterazione</td><td width=100 "
               "align=center>nodo</td><td width=200 align=center>modulo tensione</td><td "
               "width=200 align=center>fase tensione (in gradi)</td></tr>\n");
    for (int i = 0; i <= last; ++i) {
        for (int j = 0; j < n; ++j) {
            out.append("<tr>");
            formatter.Row(out,
                          "<td width=100 align=center>%d</td><td width=100 align=center>%d</td>"
                          "<td width=200 align=center>%.14f</td><td width=200 "
                          "align=center>%.9f</td>\n",
                          i, j + 1, E[j][i], d[j][i]);
            out.append("</tr>");
        }
        out.append("<tr height=20><td></td><td></td><td></td><td></td></tr>\n");
    }
    out.append("</table>\n");
    out.append("</body></html>\n");
    return out;
}

} // namespace nodewise
