#include "core/results/fault_report.h"

#include <cstring>

namespace nodewise {

std::string FaultOperationName(const ArithmeticFault& fault) {
    const char* what = fault.what();
    if (std::strcmp(what, DivisionByZeroFault) == 0) {
        return "divisione per zero";
    }
    if (std::strcmp(what, InvalidOperationFault) == 0) {
        return "operazione non valida";
    }
    if (std::strcmp(what, OverflowFault) == 0) {
        return "overflow";
    }
    return what;
}

std::string ArithmeticFaultReport(const ArithmeticFault& fault) {
    std::string text = "Calcolo interrotto: " + FaultOperationName(fault);
    std::string place;
    if (fault.method != nullptr) {
        place = std::string("nel metodo ") + fault.method;
        place += fault.iteration > 0 ? ", all'iterazione " + std::to_string(fault.iteration)
                                     : ", prima della prima iterazione";
        if (fault.node >= 0) {
            place += ", calcolando il nodo " + std::to_string(fault.node + 1);
        }
    } else if (fault.activity != nullptr) {
        place = fault.activity;
    }
    if (!place.empty()) {
        text += "\n" + place + ".";
    }
    text += fault.method != nullptr
                ? "\n\nI risultati di questo metodo non sono disponibili: controlla i dati della "
                  "rete."
                : "\n\nControlla i dati della rete.";
    return text;
}

} // namespace nodewise
