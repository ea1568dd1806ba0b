#include "core/solvers/solver_frame.h"

#include <string>

#include "core/model/units.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/user_port.h"

namespace nodewise {

void RunSolver(const SolverSteps& steps) {
    ClearArithmeticFlags();
    const int N = ActiveNodeCount();
    const int K = LastHistoryEntry();

    // starting point, phases in radians
    const int lastStart = steps.startEveryEntry ? K : 0;
    for (int i = 0; i < N; ++i) {
        const double E0 = Checked(EData[i]);
        const double d0 = Checked(dData[i]);
        for (int t = 0; t <= lastStart; ++t) {
            steps.E[i][t] = E0;
            steps.d[i][t] = d0;
        }
    }
    if (steps.prepare != nullptr) {
        steps.prepare();
    }

    for (steps.iteration = 0; steps.iteration < K; ++steps.iteration) {
        CheckArithmetic();
        Port().setStatusPanel(1, std::to_string(steps.iteration + 1));
        ClearArithmeticFlags();
        try {
            steps.iterate(steps.iteration);
        } catch (ArithmeticFault& fault) {
            fault.iteration = steps.iteration + 1; // as the status bar counts
            throw;
        }
    }

    // phases to degrees, entries 0..K
    try {
        for (int i = 0; i < N; ++i) {
            for (int t = 0; t <= K; ++t) {
                steps.d[i][t] = Checked(steps.d[i][t] * RadiansToDegrees);
            }
        }
    } catch (ArithmeticFault& fault) {
        fault.iteration = K; // after the last iteration, turning its phases into degrees
        throw;
    }
}

} // namespace nodewise
