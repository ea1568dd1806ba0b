// What makes a node's reactive limits unusable: a bound that is not a finite number, or a Qmin
// above its Qmax. Shared by the file reader and the options dialog.
#pragma once

#include <optional>
#include <string>

#include "core/model/calculation_options.h"

namespace nodewise {

// True when the node's bounds can be used: each one unset or finite, and Qmin <= Qmax when both
// are set.
bool AreUsableLimits(const ReactiveLimits& limits);

// "Limiti di potenza reattiva del nodo 3: Qmin è maggiore di Qmax." for node 2 (0-based), or
// "... Qmin e Qmax devono essere numeri finiti." when a bound is not finite.
std::string UnusableLimitsText(int node, const ReactiveLimits& limits);

} // namespace nodewise
