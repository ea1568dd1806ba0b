// The program's windows and the routines that tie them together. A window reaches another
// window only through these.
#pragma once

#include "core/results/methods.h"
#include "core/results/number_style.h"

class QMenu;
class QMenuBar;
class TfrmConvergence;
class TfrmPowerBalance;
class TfrmMatrix;
class TfrmStep;
class TfrmNetworkDiagram;
class TfrmDataIn;
class TfrmDataOk;
class TfrmAbout;
class TfrmDataOut;
class TfrmHelp;
class QUrl;
class TfrmLineData;

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
extern TfrmStep* frmStep;
extern TfrmNetworkDiagram* frmNetworkDiagram;

// "Dati di linea", created after the analysis windows (no parent, hidden).
extern TfrmLineData* frmLineData;

// Closes (hides) frmDataOk and the three results windows, in that order, then the analysis
// windows.
void HideResultForms();

// Adds the menu "&Analisi" after Edit (before Help) on the menu bar: "Convergenza", "Bilancio di
// potenza", "Matrice acquisita", "Passo per passo", "Schema della rete", each showing its window.
QMenu* AddAnalysisMenu(QMenuBar* menuBar);

// Show (and bring forward) an analysis window with what the workspace holds now.
void ShowConvergenceWindow();
void ShowPowerBalanceWindow();
void ShowMatrixWindow();
void ShowStepWindow();
void ShowNetworkDiagramWindow();

// The calculation options set in "Opzioni di calcolo..." of the main window (all off without
// it): the runs are made with them.
const CalculationOptions& ProgramOptions();

// The tolerance the convergence is judged by, per unit: set in the convergence window, used
// by every analysis window and report.
double ConvergenceTolerance();
void SetConvergenceTolerance(double value);

// How the analysis windows write their numbers (significant digits, units): chosen in
// "Bilancio di potenza", followed by "Convergenza"; setting it refreshes "Convergenza".
const NumberStyle& AnalysisNumberStyle();
void SetAnalysisNumberStyle(const NumberStyle& style);

// Shows the method's results window with entry `entry` of its history selected at the top of
// the list (filled first if it is empty), the window placed wholly on the main window's screen.
void ShowResultsAtEntry(Method method, int entry);

// The study of the network acquired last and of its runs (File > "Stampa...", "Esporta
// PDF..."): the choices are asked first, then the print preview opens / the PDF is saved where
// the user says. The study names the network file last opened or saved and holds the line data
// typed in "Dati di linea".
void PrintStudy();
void ExportStudyPdf();

// Shows the summary window, not modally (end of a successful acquisition).
void ShowSummaryWindow();

// Shows the about box, modally.
void ShowAboutBox();

// Hands the summary window's two status panels to the desktop program's user port, through
// which the core reports a run's progress.
class QtUserPort;
void ConnectStatusPanels(QtUserPort& port);

// The line data window and the grid meet here. Shows (and brings forward) the line data window.
void ShowLineDataWindow();
// The 56 cells of the data-entry window.
struct CellTexts;
CellTexts GridCells();
// Writes the admittance part of `cells` into the data-entry window's upper triangle; its node
// data cells stay as they are (TfrmDataIn::WriteAdmittanceCells).
void WriteGridAdmittance(const CellTexts& cells);
// What a network file keeps besides the cells: the line data typed in "Dati di linea" (none
// when its tables hold nothing) / shown there again from a file (tables emptied when the file
// has none).
struct FileSections;
FileSections LineDataSections();
void ShowFileSections(const FileSections& sections);
// A MATPOWER case was imported into the grid: the line data window shows its branches and
// shunts.
struct LineData;
void ShowImportedLineData(const LineData& data);

// Creates every window in start-up order / destroys them all; used by main() and by the
// GUI tests, which build the whole program in one process.
void CreateProgramWindows();
void DestroyProgramWindows();

// The two halves of CreateProgramWindows, for main(), which names the application between them:
// the run store and the three results windows / frmDataIn, frmDataOk, frmAbout.
void CreateResultsWindows();
void CreateMainWindows();

// "Guida di Nodewise": the help document inside the program. Created the first time it is shown (no
// parent); destroyed with the other windows.
extern TfrmHelp* frmHelp;
void ShowHelpWindow(const QUrl& document);

} // namespace nodewise
