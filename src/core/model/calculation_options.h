// The calculation options of the textbooks, all off by default: a run that stops once its
// mismatch is within a tolerance, and the acceleration factor of Gauss-Seidel. With every option
// off a run is exactly the typed number of iterations of the plain methods.
#pragma once

#include <optional>
#include <string>

namespace nodewise {

// The acceleration factor alpha of Gauss-Seidel: 1 <= alpha < 2; 1 is the plain update.
inline constexpr double PlainAcceleration = 1.0;
inline constexpr double AccelerationLimit = 2.0;

struct CalculationOptions {
    // "Arresta a tolleranza": the run ends after the first iteration whose mismatch is within
    // this tolerance (pu), or at the typed count; none: always the typed count.
    std::optional<double> stopTolerance;
    // Gauss-Seidel: V <- V_old + alpha (V_new - V_old) after each node's update.
    double acceleration = PlainAcceleration;
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

// True for 1 <= alpha < 2.
bool IsValidAcceleration(double alpha);

// What is wrong with the options, in Italian; nothing when they can be used.
std::optional<std::string> OptionsProblem(const CalculationOptions& options);

} // namespace nodewise
