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

} // namespace nodewise
