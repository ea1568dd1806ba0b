#include "core/results/methods.h"

#include "core/input/acquisition.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/solvers/gauss_seidel.h"
#include "core/solvers/newton_raphson.h"
#include "core/solvers/stott_alsac.h"

namespace nodewise {

const MethodInfo& Info(Method method) {
    static const MethodInfo infos[] = {
        {"gauss", "Algoritmo Gauss in corso...", "Calcolo Gauss terminato.",
         "Risultati calcolo Gauss pronti", "Risultati calcolo Gauss", "Calcolo Gauss interrotto.",
         &GaussIterate},
        {"newton", "Algoritmo di Newton in corso...", "Calcolo Newton terminato.",
         "Risultati calcolo Newton pronti", "Risultati calcolo Newton",
         "Calcolo Newton interrotto.", &NewtonIterate},
        {"stott", "Algoritmo di Stott in corso...", "Calcolo Stott terminato.",
         "Risultati calcolo Stott pronti", "Risultati calcolo Stott", "Calcolo Stott interrotto.",
         &StottIterate},
    };
    return infos[static_cast<int>(method)];
}

Run Iterate(Method method, const Network& network, SolverObserver& observer,
            const CalculationOptions& options) {
    try {
        return Info(method).iterateWithOptions(network, network.LastHistoryEntry(), observer,
                                               options);
    } catch (ArithmeticFault& fault) {
        fault.method = MethodTitle(method);
        throw;
    }
}

const char* MethodTitle(Method method) {
    static const char* const titles[] = {"Gauss-Seidel", "Newton-Raphson", "Stott-Alsac"};
    return titles[static_cast<int>(method)];
}

MethodDecision DecideMethod(const Network& network, Method method) {
    if (method == Method::Gauss || network.MethodConditionHolds()) {
        return MethodDecision::Run;
    }
    return method == Method::Newton ? MethodDecision::WarnThenRun : MethodDecision::Refuse;
}

bool AnnounceMethod(UserPort& port, const Network& network, Method method) {
    const MethodDecision decision = DecideMethod(network, method);
    if (decision != MethodDecision::Run) {
        ShowInputWarning(port, WarningMethodNotApplicable);
    }
    return decision != MethodDecision::Refuse;
}

} // namespace nodewise
