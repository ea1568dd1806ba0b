// "Passo per passo": the matrices and vectors of one iteration of a method run since the
// acquisition, side by side in the order the method uses them; a Jacobian element or a
// Gauss-Seidel node shows its formula with that iteration's numbers. Copies the matrices as
// LaTeX, saves the step as HTML or CSV.
#pragma once

#include <optional>

#include "core/analysis/iteration_step.h"
#include "gui/analysis/analysis_frame.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QTableWidget;

class TfrmStep : public nodewise::AnalysisWindow {
    Q_OBJECT

public:
    explicit TfrmStep(QWidget* parent = nullptr);

    // Rebuilds the method list, the iteration range and the tables from the runs held.
    void Refresh() override;

    // The step shown.
    const nodewise::IterationStep& Step() const { return step_; }

public slots:
    void cboMethodChanged();
    void spnIterationChanged();
    void btnCopyLatexClick();
    void btnSaveClick();

private:
    void fillPanels();
    void setIterationRange();
    void clearPanels();
    QTableWidget* addTable(const QString& name, const QString& title);

    QSpinBox* spnIteration_ = nullptr;
    QSlider* sldIteration_ = nullptr;
    QLabel* lblNote_ = nullptr;
    QWidget* panels_ = nullptr;
    QHBoxLayout* panelsLayout_ = nullptr;
    QPushButton* btnCopyLatex_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    nodewise::IterationStep step_;
};
