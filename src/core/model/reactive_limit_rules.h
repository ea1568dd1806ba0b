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

// The first node (0-based) whose limits are not usable; none when all are.
std::optional<int> NodeWithUnusableLimits(const CalculationOptions& options);

// "Limiti di potenza reattiva del nodo 3: Qmin è maggiore di Qmax." for node 2 (0-based), or
// "... Qmin e Qmax devono essere numeri finiti." when a bound is not finite.
std::string UnusableLimitsText(int node, const ReactiveLimits& limits);

// OptionsProblem, then the reactive limits of every node in turn; nothing when the options can
// be used.
std::optional<std::string> CompleteOptionsProblem(const CalculationOptions& options);

} // namespace nodewise
