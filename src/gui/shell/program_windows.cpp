#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <QDir>
#include <QFileInfo>
#include <optional>

#include "core/analysis/mismatch_trace.h"
#include "core/input/acquisition.h"
#include "core/interop/file_sections.h"
#include "core/platform/user_port.h"
#include "core/report/study_document.h"
#include "gui/analysis/convergence_window.h"
#include "gui/analysis/matrix_window.h"
#include "gui/analysis/network_diagram_window.h"
#include "gui/analysis/power_balance_window.h"
#include "gui/analysis/step_window.h"
#include "gui/results/study_pages.h"
#include "gui/shell/file_dialogs.h"

#include "gui/input/about_window.h"
#include "gui/input/data_entry_window.h"
#include "gui/input/help_window.h"
#include "gui/input/line_data_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/help_document.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/qt_user_port.h"
#include "gui/shell/run_store.h"
#include "gui/shell/window_placement.h"

namespace nodewise {

TfrmDataIn* frmDataIn = nullptr;
TfrmDataOk* frmDataOk = nullptr;
TfrmAbout* frmAbout = nullptr;
TfrmDataOut* GaussResultsWindow = nullptr;
TfrmDataOut* NewtonResultsWindow = nullptr;
TfrmDataOut* StottResultsWindow = nullptr;
TfrmConvergence* frmConvergence = nullptr;
TfrmPowerBalance* frmPowerBalance = nullptr;
TfrmMatrix* frmMatrix = nullptr;
TfrmStep* frmStep = nullptr;
TfrmHelp* frmHelp = nullptr;
TfrmLineData* frmLineData = nullptr;
TfrmNetworkDiagram* frmNetworkDiagram = nullptr;

namespace {

double tolerance = DefaultTolerance;
NumberStyle numberStyle{DefaultShownDigits, false, DefaultBasePower};

void Present(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    PlaceOnScreenOf(window, frmDataIn);
    window->show();
    window->raise();
    window->activateWindow();
}

// A secondary window never keeps the program alive: closing the main window ends it whatever
// else is open.
template <class Window> Window* Secondary(Window* window) {
    window->setAttribute(Qt::WA_QuitOnClose, false);
    return window;
}

void CloseWindow(QWidget* window) {
    if (window != nullptr) {
        window->close(); // not the main window: closing hides it and keeps its content
    }
}

} // namespace

void CreateResultsWindows() {
    CreateRunStore();
    GaussResultsWindow = Secondary(new TfrmDataOut);
    NewtonResultsWindow = Secondary(new TfrmDataOut);
    StottResultsWindow = Secondary(new TfrmDataOut);
}

void CreateMainWindows() {
    frmDataIn = new TfrmDataIn;
    frmDataOk = Secondary(new TfrmDataOk);
    frmAbout = Secondary(new TfrmAbout);
    frmConvergence = Secondary(new TfrmConvergence);
    frmPowerBalance = Secondary(new TfrmPowerBalance);
    frmMatrix = Secondary(new TfrmMatrix);
    frmStep = Secondary(new TfrmStep);
    InstallHelpKey(QCoreApplication::instance());
    frmLineData = Secondary(new TfrmLineData);
    QObject::connect(frmLineData, &TfrmLineData::LineDataEdited, frmDataIn,
                     &TfrmDataIn::LineDataEdited);
    frmNetworkDiagram = Secondary(new TfrmNetworkDiagram);

    // The analysis windows follow the runs, in this order.
    RunStore* store = &ProgramRuns();
    for (AnalysisWindow* window : std::initializer_list<AnalysisWindow*>{
             frmConvergence, frmPowerBalance, frmStep, frmNetworkDiagram}) {
        QObject::connect(store, &RunStore::runsChanged, window, &AnalysisWindow::RunEnded);
    }
}

void CreateProgramWindows() {
    CreateResultsWindows();
    CreateMainWindows();
}

void DestroyProgramWindows() {
    delete frmStep;
    frmStep = nullptr;
    delete frmHelp;
    frmHelp = nullptr;
    delete frmLineData;
    frmLineData = nullptr;
    delete frmNetworkDiagram;
    frmNetworkDiagram = nullptr;
    delete frmMatrix;
    frmMatrix = nullptr;
    delete frmPowerBalance;
    frmPowerBalance = nullptr;
    delete frmConvergence;
    frmConvergence = nullptr;
    delete frmAbout;
    frmAbout = nullptr;
    delete frmDataOk;
    frmDataOk = nullptr;
    delete frmDataIn;
    frmDataIn = nullptr;
    delete StottResultsWindow;
    StottResultsWindow = nullptr;
    delete NewtonResultsWindow;
    NewtonResultsWindow = nullptr;
    delete GaussResultsWindow;
    GaussResultsWindow = nullptr;
    DestroyRunStore();
}

void HideResultForms() {
    CloseWindow(frmDataOk);
    CloseWindow(GaussResultsWindow);
    CloseWindow(NewtonResultsWindow);
    CloseWindow(StottResultsWindow);
    CloseWindow(frmConvergence);
    CloseWindow(frmPowerBalance);
    CloseWindow(frmMatrix);
    CloseWindow(frmStep);
    CloseWindow(frmNetworkDiagram);
}

QMenu* AddAnalysisMenu(QMenuBar* menuBar) {
    QMenu* menu = menuBar->addMenu(QStringLiteral("&Analisi"));
    menu->setObjectName(QStringLiteral("AnalysisMenu"));
    auto item = [menu](const char* name, const QString& text, const QString& tip, void (*show)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(tip);
        QObject::connect(action, &QAction::triggered, menu, [show] { Guarded(show); });
    };
    item("AnalysisConvergenceItem", QStringLiteral("&Convergenza"),
         QStringLiteral("Scarto di potenza a ogni iterazione dei metodi eseguiti"),
         &ShowConvergenceWindow);
    item("AnalysisBalanceItem", QStringLiteral("&Bilancio di potenza"),
         QStringLiteral("Potenze dei nodi, flussi nei rami e perdite"), &ShowPowerBalanceWindow);
    item("AnalysisMatrixItem", QStringLiteral("&Matrice acquisita"),
         QStringLiteral("La matrice delle ammettenze come è stata letta"), &ShowMatrixWindow);
    item("AnalysisStepItem", QStringLiteral("&Passo per passo"),
         QStringLiteral("Matrici e vettori di un'iterazione del metodo scelto"), &ShowStepWindow);
    item("AnalysisDiagramItem", QStringLiteral("&Schema della rete"),
         QStringLiteral("La rete disegnata con tensioni e flussi a ogni iterazione"),
         &ShowNetworkDiagramWindow);
    return menu;
}

void ShowConvergenceWindow() {
    Present(frmConvergence);
}

void ShowPowerBalanceWindow() {
    Present(frmPowerBalance);
}

void ShowMatrixWindow() {
    Present(frmMatrix);
}

void ShowStepWindow() {
    Present(frmStep);
}

void ShowNetworkDiagramWindow() {
    Present(frmNetworkDiagram);
}

double ConvergenceTolerance() {
    return tolerance;
}

void SetConvergenceTolerance(double value) {
    tolerance = value;
}

const NumberStyle& AnalysisNumberStyle() {
    return numberStyle;
}

void SetAnalysisNumberStyle(const NumberStyle& style) {
    numberStyle = style;
    if (frmConvergence != nullptr && frmConvergence->isVisible()) {
        frmConvergence->Refresh();
    }
}

void ShowResultsAtEntry(Method method, int entry) {
    TfrmDataOut* window = method == Method::Gauss    ? GaussResultsWindow
                          : method == Method::Newton ? NewtonResultsWindow
                                                     : StottResultsWindow;
    const Run* run = RunOf(method);
    if (window == nullptr || run == nullptr) {
        return;
    }
    if (window->ListRowCount() == 0) {
        window->FillList(run->IterationCount, run->NodeCount);
    }
    window->show(); // where the run placed it
    window->raise();
    window->activateWindow();
    window->ShowEntry(entry);
}

namespace {

// The choices proposed: the method run last, no history, no step; then what the user answers.
std::optional<StudyChoices> AskStudy() {
    // Nothing acquired yet: the study is of the cells as they stand.
    if (!NetworkAcquired() && frmDataIn != nullptr) {
        if (const std::optional<int> warning =
                ProgramRuns().Acquire(frmDataIn->IterationText(), GridCells())) {
            ShowInputWarning(Port(), *warning);
            return std::nullopt;
        }
    }
    std::vector<Method> runs;
    for (Method m : {Method::Gauss, Method::Newton, Method::Stott}) {
        if (HasRun(m)) {
            runs.push_back(m);
        }
    }
    StudyChoices choices;
    choices.method = LastRunMethod();
    choices.style = AnalysisNumberStyle();
    choices.tolerance = ConvergenceTolerance();
    const QString file = LastNetworkFile();
    choices.networkName = QFileInfo(file).fileName().toStdString();
    choices.lineData = LineDataSections().lineData;
    choices.options = ProgramOptions();
    if (!Dialogs().askStudyChoices(frmDataIn, runs, choices)) {
        return std::nullopt;
    }
    return choices;
}

QString StudySource() {
    return QFileInfo(LastNetworkFile()).fileName();
}

} // namespace

void PrintStudy() {
    const std::optional<StudyChoices> choices = AskStudy();
    if (!choices) {
        return;
    }
    const StudyDocument document =
        BuildStudy(AcquiredNetwork(), AcquiredCells(), ProgramRuns().runs(), *choices);
    const QString source = StudySource();
    const QString date = StudyDate();
    Dialogs().previewPrint(frmDataIn, [&](QPagedPaintDevice& device) {
        return StudyPages(document, source, date).Paint(device);
    });
}

void ExportStudyPdf() {
    const std::optional<StudyChoices> choices = AskStudy();
    if (!choices) {
        return;
    }
    const QString network = LastNetworkFile();
    const QString proposal = network.isEmpty()
                                 ? LastUsedFolder()
                                 : QDir(QFileInfo(network).absolutePath())
                                       .filePath(QFileInfo(network).completeBaseName() + ".pdf");
    int filterIndex = 1;
    const QString file = Dialogs().getSaveFileName(
        frmDataIn, QStringLiteral("Esporta lo studio in PDF"), QStringLiteral("PDF|*.pdf"),
        QStringLiteral("pdf"), &filterIndex, proposal);
    if (file.isEmpty()) {
        return;
    }
    RememberUsedFile(file);
    QString reason;
    if (!WriteStudyPdf(
            BuildStudy(AcquiredNetwork(), AcquiredCells(), ProgramRuns().runs(), *choices),
            StudySource(), file, &reason)) {
        Port().showDetailedMessage(StudySaveErrorText, StudySaveErrorCaption,
                                   MessageIcon::Exclamation, reason.toStdString());
    }
}

const CalculationOptions& ProgramOptions() {
    static const CalculationOptions none;
    return frmDataIn != nullptr ? frmDataIn->Options() : none;
}

void ShowSummaryWindow() {
    if (frmDataOk == nullptr) {
        return;
    }
    frmDataOk->show();
    frmDataOk->raise();
    frmDataOk->activateWindow();
}

void ShowAboutBox() {
    if (frmAbout != nullptr) {
        frmAbout->exec();
    }
}

void ShowLineDataWindow() {
    Present(frmLineData);
}

CellTexts GridCells() {
    return frmDataIn != nullptr ? frmDataIn->ReadCells() : CellTexts();
}

void WriteGridAdmittance(const CellTexts& cells) {
    if (frmDataIn != nullptr) {
        frmDataIn->WriteAdmittanceCells(cells);
    }
}

FileSections LineDataSections() {
    FileSections sections;
    if (frmLineData != nullptr) {
        sections.lineData = TypedLineData{frmLineData->Table(), frmLineData->Units()};
        if (IsEmpty(sections)) {
            sections.lineData.reset();
        }
    }
    return sections;
}

void ShowFileSections(const FileSections& sections) {
    if (frmLineData == nullptr) {
        return;
    }
    if (sections.lineData) {
        frmLineData->ShowTypedLineData(sections.lineData->table, sections.lineData->units);
    } else {
        frmLineData->ShowTypedLineData({}, {});
    }
}

void ShowImportedLineData(const LineData& data) {
    if (frmLineData != nullptr) {
        frmLineData->ShowLineData(data);
    }
}

void ConnectStatusPanels(QtUserPort& port) {
    if (frmDataOk != nullptr) {
        port.setStatusPanels(frmDataOk->StatusPanel(0), frmDataOk->StatusPanel(1));
    }
}

void ShowHelpWindow(const QUrl& document) {
    if (frmHelp == nullptr) {
        frmHelp = Secondary(new TfrmHelp);
    }
    // Asked for from a modal box (F1 on a warning, in the about box), the guide comes above it
    // and can be read at once rather than after the box is closed.
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality modality =
        modal != nullptr && modal != frmHelp ? Qt::ApplicationModal : Qt::NonModal;
    if (frmHelp->windowModality() != modality) {
        frmHelp->hide(); // modality changes only while hidden
        frmHelp->setWindowModality(modality);
    }
    frmHelp->ShowDocument(document);
    Present(frmHelp);
}

} // namespace nodewise
