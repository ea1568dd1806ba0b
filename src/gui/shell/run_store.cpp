#include "gui/shell/run_store.h"

#include "core/input/acquisition.h"

namespace nodewise {

namespace {
RunStore* store = nullptr;
} // namespace

std::optional<int> RunStore::Acquire(std::string_view iterationText, const CellTexts& cells) {
    cells_ = cells;
    acquired_ = false;
    runs_.Clear();
    const Acquisition acquisition = nodewise::Acquire(iterationText, cells);
    network_ = acquisition.network;
    acquired_ = !acquisition.warning;
    return acquisition.warning;
}

void RunStore::Abandon() {
    acquired_ = false;
    runs_.Clear();
}

void RunStore::Adopt(const Network& network, const CellTexts& cells) {
    runs_.Clear();
    network_ = network;
    cells_ = cells;
    acquired_ = true;
}

void RunStore::Store(Run run) {
    runs_.Store(std::move(run));
}

void RunStore::Forget(Method method) {
    runs_.Forget(method);
}

RunStore& ProgramRuns() {
    if (store == nullptr) {
        store = new RunStore;
    }
    return *store;
}

void CreateRunStore() {
    ProgramRuns();
}

void DestroyRunStore() {
    delete store;
    store = nullptr;
}

} // namespace nodewise
