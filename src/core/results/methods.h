// The three solution methods side by side: what each driver shows and which solver it runs.
#pragma once

#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/model/run.h"
#include "core/platform/user_port.h"

namespace nodewise {

struct MethodInfo {
    const char* name;         // "gauss", "newton", "stott"
    const char* runningText;  // panel 0 before the run
    const char* finishedText; // panel 0 after the run
    const char* readyText;    // panel 0 at the end
    const char* caption;      // results window caption, also the export title
    const char* stoppedText;  // panel 0 when an arithmetic fault has stopped the run
    Run (*iterateWithOptions)(const Network&, int, SolverObserver&, const CalculationOptions&);
};

const MethodInfo& Info(Method method);

// Runs the method on the network for its iteration count (LastHistoryEntry). An arithmetic
// fault propagates, carrying the method's display name.
[[nodiscard]] Run Iterate(Method method, const Network& network, SolverObserver& observer,
                          const CalculationOptions& options = {});

// The method's display name: "Gauss-Seidel", "Newton-Raphson", "Stott-Alsac".
const char* MethodTitle(Method method);

// What a method button does with the acquired network. Gauss-Seidel always runs. Newton-Raphson
// and Stott-Alsac need square blocks (MethodConditionHolds): otherwise warning 8, after which
// Newton-Raphson runs all the same and Stott-Alsac refuses.
enum class MethodDecision { Run, WarnThenRun, Refuse };
[[nodiscard]] MethodDecision DecideMethod(const Network& network, Method method);

// Shows warning 8 on the port when the decision calls for it; true when the method is to run.
[[nodiscard]] bool AnnounceMethod(UserPort& port, const Network& network, Method method);

} // namespace nodewise
