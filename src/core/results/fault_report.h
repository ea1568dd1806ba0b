// How an arithmetic fault is told to the user of the desktop program: in Italian, naming the
// operation and, when known, the method, the iteration and the node.
#pragma once

#include <string>

#include "core/numeric/arithmetic_fault.h"

namespace nodewise {

// "divisione per zero", "operazione non valida", "overflow"; the fault's own text otherwise.
std::string FaultOperationName(const ArithmeticFault& fault);

// For example:
//   Calcolo interrotto: divisione per zero
//   nel metodo Gauss-Seidel, all'iterazione 1, calcolando il nodo 2.
//
//   I risultati di questo metodo non sono disponibili: controlla i dati della rete.
std::string ArithmeticFaultReport(const ArithmeticFault& fault);

} // namespace nodewise
