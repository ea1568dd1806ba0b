// The calculation options in force, in a few words for a status line.
#pragma once

#include <string>

#include "core/model/calculation_options.h"

namespace nodewise {

// "Opzioni: tolleranza 0,0001; accelerazione 1,6; limiti Q ai nodi 3, 5": the options that are
// on, in that order, numbers with a decimal comma in the general format ("1E-8"); "limiti Q al
// nodo 3" for one node. Empty when every option is off.
std::string OptionsText(const CalculationOptions& options);

} // namespace nodewise
