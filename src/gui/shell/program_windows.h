// The program's windows and the routines that tie them together. A window reaches another
// window only through these.
#pragma once

#include "core/results/methods.h"

class QMenu;
class QMenuBar;
class TfrmConvergence;
class TfrmPowerBalance;
class TfrmMatrix;
class TfrmNetworkDiagram;
class TfrmDataIn;
class TfrmDataOk;
class TfrmAbout;
class TfrmDataOut;

namespace nodewise {

// Created at start-up; the results windows first (no parent, hidden, in the order
// Gauss-Seidel, Newton-Raphson, Stott-Alsac), then frmDataIn, frmDataOk, frmAbout.
extern TfrmDataIn* frmDataIn;
extern TfrmDataOk* frmDataOk;
extern TfrmAbout* frmAbout;
extern TfrmDataOut* GaussResultsWindow;
extern TfrmDataOut* NewtonResultsWindow;
extern TfrmDataOut* StottResultsWindow;

// The analysis windows, created after frmAbout (no parent, hidden).
extern TfrmConvergence* frmConvergence;
extern TfrmPowerBalance* frmPowerBalance;
extern TfrmMatrix* frmMatrix;
extern TfrmNetworkDiagram* frmNetworkDiagram;

// Closes (hides) frmDataOk and the three results windows, in that order, then the
// analysis windows.
void HideResultForms();

// Adds the menu "&Analisi" after Edit (before Help) on the menu bar: "Convergenza", "Bilancio di
// potenza", "Matrice acquisita", "Schema della rete", each showing its window.
QMenu* AddAnalysisMenu(QMenuBar* menuBar);

// Show (and bring forward) an analysis window with what the workspace holds now.
void ShowConvergenceWindow();
void ShowPowerBalanceWindow();
void ShowMatrixWindow();
void ShowNetworkDiagramWindow();

// Called by the run drivers once a method's results are published, or when its run has ended
// in a fault (the method then no longer counts as run): the analysis windows follow.
void NotifyRunsChanged(Method method);

// The tolerance the convergence is judged by, per unit: set in the convergence window, used
// by every analysis window and report.
double ConvergenceTolerance();
void SetConvergenceTolerance(double tolerance);

// Shows the summary window, not modally (end of a successful acquisition).
void ShowSummaryWindow();

// Shows the about box, modally.
void ShowAboutBox();

// Hands the summary window's two status panels to the desktop program's user port, through
// which the core reports a run's progress.
class QtUserPort;
void ConnectStatusPanels(QtUserPort& port);

// Creates every window in start-up order / destroys them all; used by main() and by the
// GUI tests, which build the whole program in one process.
void CreateProgramWindows();
void DestroyProgramWindows();

// The two halves of CreateProgramWindows, for main(), which allocates the solver matrices and
// names the application between them: the three results windows / frmDataIn, frmDataOk, frmAbout.
void CreateResultsWindows();
void CreateMainWindows();

} // namespace nodewise
