// The calculation options of the textbooks, all off by default: a run that stops once its
// mismatch is within a tolerance, the acceleration factor of Gauss-Seidel, and the reactive
// limits of the nodes whose E is given and Q unknown. With every option off a run is exactly the
// typed number of iterations of the plain methods.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/model/network.h"

namespace nodewise {

// The acceleration factor alpha of Gauss-Seidel: 1 <= alpha < 2; 1 is the plain update.
inline constexpr double PlainAcceleration = 1.0;
inline constexpr double AccelerationLimit = 2.0;

// The reactive power a node may give, per unit; a bound that is not set is no limit.
struct ReactiveLimits {
    std::optional<double> qmin;
    std::optional<double> qmax;
};

// Which limit holds a node in an iteration: none (the node is as typed), Qmax or Qmin.
enum class HeldLimit : signed char { None = 0, Max = 1, Min = -1 };

struct CalculationOptions {
    // "Arresta a tolleranza": the run ends after the first iteration whose mismatch is within
    // this tolerance (pu), or at the typed count; none: always the typed count.
    std::optional<double> stopTolerance;
    // Gauss-Seidel: V <- V_old + alpha (V_new - V_old) after each node's update.
    double acceleration = PlainAcceleration;
    // "Limiti di potenza reattiva", per node 0..MaxNodes-1; in force where a bound is set.
    std::array<ReactiveLimits, MaxNodes> reactiveLimits{};
};

// The one rule for a tolerance, per unit, whether it judges the convergence or stops a run: a
// positive, finite number. What the user is told when a tolerance breaks it, in a box with this
// caption.
inline constexpr const char* ToleranceRuleCaption = "Attenzione:";
inline constexpr const char* ToleranceRuleText =
    "La tolleranza deve essere un numero positivo e finito, per esempio 1e-8.";
bool IsValidTolerance(double value);

// True when no option is in force.
bool AllOff(const CalculationOptions& options);

// True when some node has a bound set.
bool HasReactiveLimits(const CalculationOptions& options);

// True for 1 <= alpha < 2.
bool IsValidAcceleration(double alpha);

// What is wrong with the options, in Italian; nothing when they can be used.
[[nodiscard]] std::optional<std::string> OptionsProblem(const CalculationOptions& options);

// True when the node's bounds can be used: each one unset or finite, and Qmin <= Qmax when both
// are set.
bool AreUsableLimits(const ReactiveLimits& limits);

// "Limiti di potenza reattiva del nodo 3: Qmin è maggiore di Qmax." for node 2 (0-based), or
// "... Qmin e Qmax devono essere numeri finiti." when a bound is not finite.
std::string UnusableLimitsText(int node, const ReactiveLimits& limits);

// What is wrong with the reactive limits on this network, in Italian, naming the node: a bound
// on a node that is not PE (E and P given), a bound that is not a finite number, or a Qmin above
// its Qmax; nothing when they can be used.
[[nodiscard]] std::optional<std::string> LimitsProblem(const Network& network,
                                                       const CalculationOptions& options);

} // namespace nodewise
