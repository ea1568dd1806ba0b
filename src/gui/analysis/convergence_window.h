// "Convergenza": the mismatch of every iterate of the methods run since the last acquisition,
// on a semilog chart, with a table of when each method converged.
#pragma once

#include <vector>

#include "core/report/analysis_report.h"
#include "gui/analysis/analysis_frame.h"

class QChart;
class QChartView;
class QLabel;
class QLineEdit;
class QLineSeries;
class QLogValueAxis;
class QTableWidget;
class QValueAxis;

class TfrmConvergence : public nodewise::AnalysisWindow {
    Q_OBJECT

public:
    explicit TfrmConvergence(QWidget* parent = nullptr);

    // Rebuilds the chart and the table from the runs held.
    void Refresh() override;

private slots:
    void txtToleranceEditingFinished();
    void ConvergenceTableDoubleClick(int row);

private:
    void buildChart();
    void buildTable();
    void fillTable(const std::vector<nodewise::MethodTrace>& runs, double tolerance);

    QChart* chart_ = nullptr;
    QChartView* chartView_ = nullptr;
    QValueAxis* iterationAxis_ = nullptr;
    QLogValueAxis* mismatchAxis_ = nullptr;
    QLineSeries* series_[3] = {};
    QLineSeries* toleranceSeries_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLineEdit* txtTolerance_ = nullptr;
};
