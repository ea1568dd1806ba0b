// "Bilancio di potenza": the state at the last iterate of a method run since the acquisition,
// with the power of every node, branch and shunt element and the network losses; saves the
// analysis as an HTML or CSV report.
#pragma once

#include <array>

#include "gui/analysis/analysis_frame.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QPushButton;
class QTableWidget;

class TfrmPowerBalance : public nodewise::AnalysisWindow {
    Q_OBJECT

public:
    explicit TfrmPowerBalance(QWidget* parent = nullptr);

    // Rebuilds the method list and the tables from the runs held, on the method shown before.
    void Refresh() override;

public slots:
    void cboMethodChanged();
    void btnSaveReportClick();
    void NumberStyleChanged();

private:
    void fillTables();
    void createStyleControls(QBoxLayout* row);
    void setHeadings();

    std::array<QTableWidget*, 3> tables_{}; // nodes, branches, shunts
    QLabel* lblLosses_ = nullptr;
    QLabel* lblNodes_ = nullptr;
    QLabel* lblNotConverged_ = nullptr;
    QSpinBox* spnDigits_ = nullptr;
    QComboBox* cboUnits_ = nullptr;
    QLineEdit* txtBasePower_ = nullptr;
    QPushButton* btnSaveReport_ = nullptr;
};
