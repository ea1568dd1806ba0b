#include "cli/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/model/workspace.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/atomic_file.h"

namespace nodewise::cli {

std::optional<Method> MethodNamed(std::string_view name) {
    if (name == "gauss") {
        return Method::Gauss;
    }
    if (name == "newton") {
        return Method::Newton;
    }
    if (name == "stott") {
        return Method::Stott;
    }
    return std::nullopt;
}

int OnAcquiredNetwork(const std::string& network, std::string_view iterations,
                      const std::function<int()>& command) {
    CellTexts cells;
    if (!ReadNetworkFile(network, cells)) {
        Port().showMessage(NetworkLoadErrorText, NetworkFileErrorCaption, MessageIcon::Stop);
        return ExitUsageOrFile;
    }
    SolverMatrices matrices;
    try {
        if (const std::optional<int> warning = Acquire(iterations, cells)) {
            ShowInputWarning(*warning);
            return ExitRejected;
        }
        return command();
    } catch (const ArithmeticFault& fault) {
        Port().showMessage(fault.what(), "Nodewise", MessageIcon::Stop);
        return ExitArithmeticFault;
    }
}

int WriteOutput(const std::optional<std::string>& output, std::string_view contents,
                const SaveError& error) {
    if (output) {
        std::string reason;
        if (!WriteFileAtomically(*output, contents, &reason)) {
            Port().showDetailedMessage(error.text, error.caption, error.icon, reason);
            return ExitUsageOrFile;
        }
        return ExitDone;
    }
    std::fwrite(contents.data(), 1, contents.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "nodewise-cli: cannot write to standard output: " << std::strerror(errno)
                  << '\n';
        return ExitUsageOrFile;
    }
    return ExitDone;
}

} // namespace nodewise::cli
