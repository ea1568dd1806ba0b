#include "core/results/options_text.h"

#include <vector>

#include "core/text/number_format.h"

namespace nodewise {

std::string OptionsText(const CalculationOptions& options) {
    std::vector<std::string> parts;
    if (options.stopTolerance) {
        parts.push_back("tolleranza " + FormatGeneral(*options.stopTolerance, ','));
    }
    if (options.acceleration != PlainAcceleration) {
        parts.push_back("accelerazione " + FormatGeneral(options.acceleration, ','));
    }
    std::vector<int> limited;
    for (int node = 0; node < MaxNodes; ++node) {
        const ReactiveLimits& limits = options.reactiveLimits[node];
        if (limits.qmin || limits.qmax) {
            limited.push_back(node + 1);
        }
    }
    if (!limited.empty()) {
        std::string part = limited.size() == 1 ? "limiti Q al nodo " : "limiti Q ai nodi ";
        for (std::size_t i = 0; i < limited.size(); ++i) {
            part += (i == 0 ? "" : ", ") + std::to_string(limited[i]);
        }
        parts.push_back(part);
    }
    if (parts.empty()) {
        return {};
    }
    std::string text = "Opzioni: ";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : "; ") + parts[i];
    }
    return text;
}

} // namespace nodewise
