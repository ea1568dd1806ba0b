#include "core/interop/matpower_export.h"

#include <charconv>
#include <cmath>

#include "core/interop/line_data.h"
#include "core/model/units.h"

namespace nodewise {

namespace {

constexpr double ExportBaseMVA = 100.0;

// The shortest text that reads back as the same double; the format accepts exponents. Only
// finite values reach it.
std::string CaseNumber(double value) {
    if (value == 0.0) {
        return "0"; // never "-0"
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Row(std::initializer_list<std::string> fields) {
    std::string row;
    for (const std::string& field : fields) {
        row += '\t';
        row += field;
    }
    return row + ";\n";
}

std::string NodeNumber(int i) {
    return std::to_string(i + 1);
}

std::string UtcTime(std::time_t when) {
    std::tm parts{};
    gmtime_r(&when, &parts);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d UTC", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return buffer;
}

std::optional<std::string> CheckExportable(const NodalNetwork& network) {
    if (network.nodeCount <= 0) {
        return std::string("La rete non ha nodi: non c'è nulla da esportare.");
    }
    int reference = -1;
    for (int i = 0; i < network.nodeCount; ++i) {
        const int type = network.types[i];
        if (type != Ed && type != PE && type != PQ) {
            return "Il nodo " + NodeNumber(i) + " è di tipo " + NodeTypeLabel(type) +
                   ": il formato MATPOWER conosce solo nodi di riferimento (Ed), PV (PE) e PQ. "
                   "Caso non esportato.";
        }
        if (type == Ed) {
            if (reference >= 0) {
                return "I nodi " + NodeNumber(reference) + " e " + NodeNumber(i) +
                       " sono entrambi di tipo Ed: il formato MATPOWER ha un solo nodo di "
                       "riferimento. Caso non esportato.";
            }
            reference = i;
        }
    }
    if (reference < 0) {
        return std::string("La rete non ha un nodo Ed: il formato MATPOWER vuole un nodo di "
                           "riferimento. Caso non esportato.");
    }
    return std::nullopt;
}

} // namespace

NodalNetwork NodalNetworkOf(const Network& acquired) {
    NodalNetwork network;
    network.nodeCount = acquired.ActiveNodeCount();
    for (int i = 0; i < network.nodeCount; ++i) {
        for (int k = 0; k < network.nodeCount; ++k) {
            network.Y[i][k] = acquired.YComplex[i][k];
        }
        network.types[i] = acquired.NodeTypes[i];
        // The given quantities only: the others hold the flat start.
        const int type = acquired.NodeTypes[i];
        network.E[i] = EGiven(type) ? acquired.EData[i] : 0.0;
        network.dDegrees[i] = dGiven(type) ? acquired.dData[i] * RadiansToDegrees : 0.0;
        network.P[i] = PGiven(type) ? acquired.PData[i] : 0.0;
        network.Q[i] = QGiven(type) ? acquired.QData[i] : 0.0;
    }
    return network;
}

namespace {

// The header comment after the first line, as it reads when no generator has reactive limits
// and when some have.
struct CaseDescription {
    const char* withoutLimits;
    const char* withLimits;
};

// The case of the nodes of `network` (their types and given quantities) joined by `lines`, whose
// node numbers lie within 1..network.nodeCount; `description` is the header comment after the
// first line.
std::optional<std::string> FormatCase(const NodalNetwork& network, const LineData& lines,
                                      const CaseOrigin& origin, const CaseDescription& description,
                                      std::string& contents) {
    if (std::optional<std::string> refusal = CheckExportable(network)) {
        return refusal;
    }
    const int n = network.nodeCount;
    std::string bus;
    std::string gen;
    bool limited = false;
    for (int i = 0; i < n; ++i) {
        // A PE node's generator has the node's reactive limits; Inf where there is none.
        const ReactiveLimits& limits = network.reactiveLimits[i];
        std::string qmax = "Inf";
        std::string qmin = "-Inf";
        if (network.types[i] == PE) {
            if (limits.qmax) {
                qmax = CaseNumber(*limits.qmax * ExportBaseMVA);
            }
            if (limits.qmin) {
                qmin = CaseNumber(*limits.qmin * ExportBaseMVA);
            }
            limited = limited || limits.qmax || limits.qmin;
        }
        Complex shunt = {0.0, 0.0};
        for (const NodeShunt& s : lines.shunts) {
            if (s.node == i + 1) {
                shunt.re += s.g;
                shunt.im += s.b;
            }
        }
        const double values[] = {
            shunt.re * ExportBaseMVA, shunt.im * ExportBaseMVA,     network.E[i],
            network.dDegrees[i],      network.P[i] * ExportBaseMVA, network.Q[i] * ExportBaseMVA};
        const bool limitsFinite =
            network.types[i] != PE || (std::isfinite(limits.qmax.value_or(0.0) * ExportBaseMVA) &&
                                       std::isfinite(limits.qmin.value_or(0.0) * ExportBaseMVA));
        for (double value : values) {
            if (!std::isfinite(value) || !limitsFinite) {
                return "Il nodo " + NodeNumber(i) +
                       " ha valori troppo grandi per il formato MATPOWER. Caso non esportato.";
            }
        }
        const std::string gs = CaseNumber(shunt.re * ExportBaseMVA);
        const std::string bs = CaseNumber(shunt.im * ExportBaseMVA);
        const std::string number = NodeNumber(i);
        switch (network.types[i]) {
        case Ed:
            bus += Row({number, "3", "0", "0", gs, bs, "1", CaseNumber(network.E[i]),
                        CaseNumber(network.dDegrees[i]), "0", "1", "1.1", "0.9"});
            gen += Row({number, "0", "0", "Inf", "-Inf", CaseNumber(network.E[i]), "100", "1",
                        "Inf", "-Inf"});
            break;
        case PE:
            bus += Row({number, "2", "0", "0", gs, bs, "1", CaseNumber(network.E[i]), "0", "0", "1",
                        "1.1", "0.9"});
            gen += Row({number, CaseNumber(network.P[i] * ExportBaseMVA), "0", qmax, qmin,
                        CaseNumber(network.E[i]), "100", "1", "Inf", "-Inf"});
            break;
        default:
            bus += Row({number, "1", CaseNumber(-network.P[i] * ExportBaseMVA),
                        CaseNumber(-network.Q[i] * ExportBaseMVA), gs, bs, "1", "1", "0", "0", "1",
                        "1.1", "0.9"});
            break;
        }
        for (const Branch& b : lines.branches) {
            const bool finite = std::isfinite(b.r) && std::isfinite(b.x) && std::isfinite(b.b) &&
                                std::isfinite(b.tap);
            if (b.from == i + 1 && !finite) {
                return "L'ammettenza tra i nodi " + number + " e " + std::to_string(b.to) +
                       " è troppo piccola per scriverne l'impedenza. Caso non esportato.";
            }
        }
    }
    std::string branch;
    for (const Branch& b : lines.branches) {
        // A ratio of 1 is written as the format's 0: a line.
        const std::string ratio = b.tap == 1.0 ? std::string("0") : CaseNumber(b.tap);
        branch +=
            Row({std::to_string(b.from), std::to_string(b.to), CaseNumber(b.r), CaseNumber(b.x),
                 CaseNumber(b.b), "0", "0", "0", ratio, "0", "1", "-360", "360"});
    }

    std::string text;
    text += "function mpc = " + origin.caseName + "\n";
    text += "%" + origin.caseName + "  Rete di " + std::to_string(n) + " nodi esportata da " +
            origin.madeBy + " il " + UtcTime(origin.when) + ".\n";
    text += limited ? description.withLimits : description.withoutLimits;
    text += "\n"
            "%% MATPOWER Case Format : Version 2\n"
            "mpc.version = '2';\n"
            "\n"
            "%%-----  Power Flow Data  -----%%\n"
            "%% system MVA base\n"
            "mpc.baseMVA = 100;\n"
            "\n"
            "%% bus data\n"
            "%\tbus_i\ttype\tPd\tQd\tGs\tBs\tarea\tVm\tVa\tbaseKV\tzone\tVmax\tVmin\n"
            "mpc.bus = [\n";
    text += bus;
    text += "];\n"
            "\n"
            "%% generator data\n"
            "%\tbus\tPg\tQg\tQmax\tQmin\tVg\tmBase\tstatus\tPmax\tPmin\n"
            "mpc.gen = [\n";
    text += gen;
    text += "];\n"
            "\n"
            "%% branch data\n"
            "%\tfbus\ttbus\tr\tx\tb\trateA\trateB\trateC\tratio\tangle\tstatus\tangmin\tangmax\n"
            "mpc.branch = [\n";
    text += branch;
    text += "];\n";
    contents = std::move(text);
    return std::nullopt;
}

} // namespace

std::optional<std::string> FormatMatpowerCase(const NodalNetwork& network, const CaseOrigin& origin,
                                              std::string& contents) {
    return FormatCase(
        network, LineDataFromMatrix(network), origin,
        {"%\n"
         "%   Ogni coppia di nodi collegati e' un ramo con r + jx = -1/Yij, senza suscettanza\n"
         "%   di linea; la somma di ogni riga della matrice delle ammettenze e' la derivazione\n"
         "%   del nodo (Gs + jBs). I limiti di potenza reattiva dei generatori non sono\n"
         "%   imposti.\n",
         "%\n"
         "%   Ogni coppia di nodi collegati e' un ramo con r + jx = -1/Yij, senza suscettanza\n"
         "%   di linea; la somma di ogni riga della matrice delle ammettenze e' la derivazione\n"
         "%   del nodo (Gs + jBs). I limiti di potenza reattiva dei generatori (Qmax, Qmin)\n"
         "%   sono quelli delle opzioni di calcolo; Inf: nessun limite.\n"},
        contents);
}

std::optional<std::string> FormatLineDataCase(const NodalNetwork& nodes, const LineData& lines,
                                              const CaseOrigin& origin, std::string& contents) {
    return FormatCase(
        nodes, lines, origin,
        {"%\n"
         "%   Rami e derivazioni come nella finestra \"Dati di linea\" di Nodewise, in per unit;\n"
         "%   i nodi come nella griglia. I limiti di potenza reattiva dei generatori non sono\n"
         "%   imposti.\n",
         "%\n"
         "%   Rami e derivazioni come nella finestra \"Dati di linea\" di Nodewise, in per unit;\n"
         "%   i nodi come nella griglia. I limiti di potenza reattiva dei generatori (Qmax,\n"
         "%   Qmin) sono quelli delle opzioni di calcolo; Inf: nessun limite.\n"},
        contents);
}

std::string CaseNameFromPath(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    std::string_view stem = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = stem.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) {
        stem = stem.substr(0, dot);
    }
    std::string name;
    for (char c : stem) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool keep = letter || (c >= '0' && c <= '9') || c == '_';
        name.push_back(keep ? c : '_');
    }
    if (name.empty()) {
        return "caso";
    }
    if (!((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
        name.insert(0, "caso_");
    }
    return name.substr(0, 63);
}

} // namespace nodewise
