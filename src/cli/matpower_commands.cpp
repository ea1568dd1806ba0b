// nodewise-cli import CASE.m [--output NETWORK.nwd]
//     Reads a MATPOWER case and writes the network data file of its 56 cells, to NETWORK.nwd or
//     to standard output.
// nodewise-cli export-matpower NETWORK.nwd [--output CASE.m]
//     Acquires the network file as "Acquisisci dati" would and writes it as a MATPOWER case, to
//     CASE.m or to standard output, with the reactive limits of the file's options.
//
// Exit status, as for the other commands: 0 done; 1 usage error, or a file that cannot be read
// or written; 2 rejected: the case refused by the import (malformed, or not a network the grid
// can hold), the network file's acquisition warning, or a network the format cannot carry;
// 3 an arithmetic fault while acquiring. Files are written whole or not at all. With --strict,
// export-matpower refuses (2) a network with cell text it does not read or nodes cut off from
// the slack node.
#include "cli/matpower_commands.h"

#include "cli/output.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <iostream>
#include <limits>
#include <string>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/interop/file_sections.h"
#include "core/interop/matpower_export.h"
#include "core/interop/matpower_import.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/atomic_file.h"
#include "core/platform/user_port.h"

namespace nodewise {

namespace {

struct Arguments {
    std::string input;
    std::optional<std::string> output;
    bool strict = false; // export-matpower only
};

std::optional<int> ParseArguments(int argc, char** argv, Arguments& arguments) {
    // The usage lines with "usage: " in place of the indentation of the first.
    static const std::string usage = std::string("usage: ") + (MatpowerUsage + 7);
    const bool import = std::strcmp(argv[1], "import") == 0;
    const auto take = [&](std::string_view option, const std::string& value) {
        if (option == cli::StrictOption) {
            arguments.strict = true;
        } else {
            arguments.output = value;
        }
        return std::optional<int>();
    };
    return import
               ? cli::ScanNetworkArguments(argc, argv, usage.c_str(), {"--output"}, arguments.input,
                                           take, "missing case file")
               : cli::ScanNetworkArguments(argc, argv, usage.c_str(),
                                           {"--output", cli::StrictOption}, arguments.input, take);
}

// To the output file, saved as a network file is, or to standard output.
int Emit(const std::optional<std::string>& output, const std::string& contents) {
    return cli::WriteOutput(output, contents,
                            {NetworkSaveErrorText, NetworkFileErrorCaption, MessageIcon::Stop});
}

int Import(const Arguments& arguments) {
    std::string text;
    if (!ReadFileHead(arguments.input, text, std::numeric_limits<std::size_t>::max(),
                      MaxCaseFileBytes)) {
        cli::ErrorPort().showMessage(NetworkLoadErrorText, NetworkFileErrorCaption,
                                     MessageIcon::Stop);
        return cli::ExitUsageOrFile;
    }
    ImportedCase imported;
    if (const std::optional<std::string> refusal = ImportMatpowerCase(text, imported)) {
        cli::ErrorPort().showMessage(*refusal, MatpowerErrorCaption, MessageIcon::Stop);
        return cli::ExitRejected;
    }
    // The case's own branches travel with the cells, so that the export gives them back rather
    // than branches guessed from the matrix; the generators' reactive limits with the options.
    FileSections sections;
    CalculationOptions options;
    options.reactiveLimits = imported.reactiveLimits;
    if (!AllOff(options)) {
        sections.options = options;
    }
    MatpowerCase matpowerCase;
    LineData lines;
    TypedLineData typed;
    if (!ReadMatpowerCase(text, matpowerCase) && !CaseToLineData(matpowerCase, lines) &&
        !FormatLineTable(lines, typed.table)) {
        sections.lineData = typed;
    }
    const int status = Emit(arguments.output, FormatNetworkFile(imported.cells, sections));
    if (status == cli::ExitDone) {
        for (const std::string& note : imported.notes) {
            std::cerr << "nodewise-cli: " << note << '\n';
        }
    }
    return status;
}

// The line data the network file carries, when they still make the matrix acquired (to within
// the rounding of the cell texts): the branches the export writes. Nothing otherwise, and a
// line saying why when the file has line data that no longer match.
std::optional<LineData> MatchingLineData(const std::string& path, const NodalNetwork& network) {
    NetworkFile file;
    if (!ReadNetworkFile(path, file) || !file.sections.lineData) {
        return std::nullopt;
    }
    LineData lines;
    NodalNetwork built;
    if (!ReadLineTable(file.sections.lineData->table, file.sections.lineData->units, lines)) {
        BuildAdmittanceMatrix(lines, built);
        if (SameAdmittanceMatrix(built, network)) {
            return lines;
        }
    }
    std::cerr << "nodewise-cli: i dati di linea del file non danno la matrice delle celle: "
                 "i rami sono ricavati dalla matrice\n";
    return std::nullopt;
}

// The reactive limits the network file's options give; none when it has none or they cannot be
// read.
std::array<ReactiveLimits, MaxNodes> FileReactiveLimits(const std::string& path) {
    NetworkFile file;
    if (!ReadNetworkFile(path, file) || !file.sections.options) {
        return {};
    }
    return file.sections.options->reactiveLimits;
}

// The case of the acquired network, to the output.
int ExportAcquired(const Arguments& arguments, const Network& network);

int Export(const Arguments& arguments) {
    // The iteration count plays no part in the case; any valid one will do.
    return cli::OnAcquiredNetwork(arguments.input, "1", arguments.strict,
                                  [&arguments](const Network& network, const CellTexts&) {
                                      return ExportAcquired(arguments, network);
                                  });
}

int ExportAcquired(const Arguments& arguments, const Network& network) {
    const CaseOrigin origin{
        CaseNameFromPath(arguments.output ? *arguments.output : arguments.input), "nodewise-cli",
        std::time(nullptr)};
    std::string contents;
    NodalNetwork nodal = NodalNetworkOf(network);
    nodal.reactiveLimits = FileReactiveLimits(arguments.input);
    const std::optional<LineData> lines = MatchingLineData(arguments.input, nodal);
    if (const std::optional<std::string> refusal =
            lines ? FormatLineDataCase(nodal, *lines, origin, contents)
                  : FormatMatpowerCase(nodal, origin, contents)) {
        cli::ErrorPort().showMessage(*refusal, MatpowerErrorCaption, MessageIcon::Stop);
        return cli::ExitRejected;
    }
    return Emit(arguments.output, contents);
}

} // namespace

std::optional<int> RunMatpowerCommand(int argc, char** argv) {
    if (argc < 2) {
        return std::nullopt;
    }
    const std::string command = argv[1];
    if (command != "import" && command != "export-matpower") {
        return std::nullopt;
    }
    Arguments arguments;
    if (const std::optional<int> status = ParseArguments(argc, argv, arguments)) {
        return status;
    }
    try {
        return command == "import" ? Import(arguments) : Export(arguments);
    } catch (const std::exception& error) {
        std::cerr << "nodewise-cli: " << error.what() << '\n';
        return cli::ExitUsageOrFile;
    }
}

} // namespace nodewise
