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
         "Calcolo Gauss terminato. Preparazione della ListView...",
         "Risultati calcolo Gauss pronti", "Risultati calcolo Gauss", "Calcolo Gauss interrotto.",
         7, &EHistoryGauss, &dHistoryGauss, &GaussIterate},
        {"newton", "Algoritmo di Newton in corso...", "Calcolo Newton terminato.",
         "Calcolo Newton terminato. Preparazione della ListView...",
         "Risultati calcolo Newton pronti", "Risultati calcolo Newton",
         "Calcolo Newton interrotto.", 335, &EHistoryNewton, &dHistoryNewton, &NewtonIterate},
        {"stott", "Algoritmo di Stott in corso...", "Calcolo Stott terminato.",
         "Calcolo Stott terminato. Preparazione della ListView...",
         "Risultati calcolo Stott pronti", "Risultati calcolo Stott", "Calcolo Stott interrotto.",
         663, &EHistoryStott, &dHistoryStott, &StottIterate},
    };
    return infos[static_cast<int>(method)];
}

namespace {
std::optional<Method> lastRun;
} // namespace

void Iterate(Method method) {
    const int index = static_cast<int>(method);
    RunEnded[index] = false;
    try {
        Info(method).iterate();
    } catch (ArithmeticFault& fault) {
        fault.method = MethodTitle(method);
        throw;
    }
    RunEnded[index] = true;
    lastRun = method;
}

std::optional<Method> LastRunMethod() {
    if (lastRun && HasRun(*lastRun)) {
        return lastRun;
    }
    return std::nullopt;
}

bool HasRun(Method method) {
    return RunEnded[static_cast<int>(method)];
}

const char* MethodTitle(Method method) {
    static const char* const titles[] = {"Gauss-Seidel", "Newton-Raphson", "Stott-Alsac"};
    return titles[static_cast<int>(method)];
}

MethodDecision DecideMethod(Method method) {
    if (method == Method::Gauss || MethodConditionHolds()) {
        return MethodDecision::Run;
    }
    return method == Method::Newton ? MethodDecision::WarnThenRun : MethodDecision::Refuse;
}

bool AnnounceMethod(Method method) {
    const MethodDecision decision = DecideMethod(method);
    if (decision != MethodDecision::Run) {
        ShowInputWarning(WarningMethodNotApplicable);
    }
    return decision != MethodDecision::Refuse;
}

} // namespace nodewise
