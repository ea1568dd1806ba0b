// Full Newton-Raphson load flow in polar form on the reduced system of the given P and Q
// equations and the unknown E and d.
#pragma once

namespace nodewise {

// Runs IterationCount iterations from EData/dData, filling EHistoryNewton/dHistoryNewton
// (phases in degrees once the run is over). Throws ArithmeticFault as GaussIterate does;
// inversion failures are reported by InvMatr and do not stop the run.
void NewtonIterate();

// Whether InvMatr inverted the Jacobian of the latest iteration (false after its message).
extern bool NewtonJacobianInverted;

void NewtonMismatch();
void NewtonJacobian();
void NewtonInvert();
void NewtonCorrection();

double dPdE(int i, int j);
double dPdd(int i, int j);
double dQdE(int i, int j);
double dQdd(int i, int j);

} // namespace nodewise
