// What the desktop program knows of its network: the network last acquired, the cell texts it
// was read from, and the latest run of each method on it, held as values. The analysis windows
// follow the runs through runsChanged.
#pragma once

#include <QObject>

#include <optional>
#include <string_view>

#include "core/input/cell_texts.h"
#include "core/model/network.h"
#include "core/model/run.h"

namespace nodewise {

class RunStore : public QObject {
    Q_OBJECT

public:
    explicit RunStore(QObject* parent = nullptr) : QObject(parent) {}

    // Acquires the cells with the iteration text and keeps what comes of it: the cells, the
    // network as the acquisition left it, and, whatever comes of it, no run (the runs belong to
    // the network acquired before). Returns the acquisition's warning; an arithmetic fault
    // propagates, the network then counting as not acquired.
    [[nodiscard]] std::optional<int> Acquire(std::string_view iterationText,
                                             const CellTexts& cells);

    // No network acquired and no run, as after a rejected acquisition: for an acquisition the
    // user stops at a question, before or after its checks.
    void Abandon();

    // A network acquired elsewhere (a benchmark's made-up one): kept as an acquisition keeps it.
    void Adopt(const Network& network, const CellTexts& cells);

    [[nodiscard]] const Network& network() const { return network_; }
    [[nodiscard]] const CellTexts& cells() const { return cells_; }
    [[nodiscard]] bool acquired() const { return acquired_; }
    [[nodiscard]] const RunSet& runs() const { return runs_; }

    // The method's run has ended / has faulted; neither tells the windows (Announce does).
    void Store(Run run);
    void Forget(Method method);
    // Tells whoever follows the runs that the method's run has changed.
    void Announce(Method method) { emit runsChanged(method); }

signals:
    void runsChanged(nodewise::Method method);

private:
    Network network_;
    CellTexts cells_;
    bool acquired_ = false;
    RunSet runs_;
};

// The program's store; created with the windows (CreateProgramWindows).
RunStore& ProgramRuns();
void CreateRunStore();
void DestroyRunStore();

// Shorthands for what the windows read most.
inline const Network& AcquiredNetwork() {
    return ProgramRuns().network();
}
inline const CellTexts& AcquiredCells() {
    return ProgramRuns().cells();
}
inline bool NetworkAcquired() {
    return ProgramRuns().acquired();
}
inline bool HasRun(Method method) {
    return ProgramRuns().runs().Has(method);
}
inline const Run* RunOf(Method method) {
    return ProgramRuns().runs().Of(method);
}
inline std::optional<Method> LastRunMethod() {
    return ProgramRuns().runs().Last();
}

} // namespace nodewise
