#include "core/model/run.h"

#include <cstring>

namespace nodewise {

History& History::operator=(const History& other) {
    if (this != &other) {
        if (!rows_) {
            rows_ = std::make_unique<Rows>();
        }
        std::memcpy(rows_.get(), other.rows_.get(), sizeof(HistoryRows));
    }
    return *this;
}

const char* InversionMessage(Inversion outcome) {
    switch (outcome) {
    case Inversion::ZeroOrder:
        return InversionZeroOrderText;
    case Inversion::Failed:
        return InversionFailedText;
    case Inversion::Done:
        break;
    }
    return "";
}

void RunSet::Store(Run run) {
    const Method method = run.method;
    runs_[static_cast<int>(method)] = std::make_shared<const Run>(std::move(run));
    last_ = method;
}

void RunSet::Forget(Method method) {
    runs_[static_cast<int>(method)].reset();
}

void RunSet::Clear() {
    for (auto& run : runs_) {
        run.reset();
    }
    last_.reset();
}

const Run* RunSet::Of(Method method) const {
    return runs_[static_cast<int>(method)].get();
}

std::optional<Method> RunSet::Last() const {
    if (last_ && Has(*last_)) {
        return last_;
    }
    return std::nullopt;
}

HeldNodes HeldAt(const Run& run, int entry) {
    if (entry < 0 || static_cast<std::size_t>(entry) >= run.heldLimits.size()) {
        return HeldNodes{};
    }
    return run.heldLimits[static_cast<std::size_t>(entry)];
}

const char* HeldLimitName(HeldLimit limit) {
    switch (limit) {
    case HeldLimit::Max:
        return "Qmax";
    case HeldLimit::Min:
        return "Qmin";
    case HeldLimit::None:
        break;
    }
    return "";
}

std::string HeldNodesText(const Run& run, int entry) {
    const HeldNodes held = HeldAt(run, entry);
    std::string text;
    for (int i = 0; i < run.NodeCount && i < MaxNodes; ++i) {
        if (held[static_cast<std::size_t>(i)] != HeldLimit::None) {
            text += (text.empty() ? "nodo " : ", nodo ") + std::to_string(i + 1) + " al limite " +
                    HeldLimitName(held[static_cast<std::size_t>(i)]);
        }
    }
    return text;
}

std::string StopText(const Run& run) {
    if (!run.options.stopTolerance) {
        return "";
    }
    return run.converged
               ? "convergenza all'iterazione " + std::to_string(run.IterationCount)
               : "non converge in " + std::to_string(run.typedIterationCount) + " iterazioni";
}

} // namespace nodewise
