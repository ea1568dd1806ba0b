// "Bilancio di potenza": the state at the last iterate of a method run since the acquisition,
// with the power of every node, branch and shunt element and the network losses; saves the
// analysis as an HTML or CSV report.
#pragma once

#include <QWidget>

#include "core/results/methods.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QPushButton;
class QTableWidget;

class TfrmPowerBalance : public QWidget {
    Q_OBJECT

public:
    explicit TfrmPowerBalance(QWidget* parent = nullptr);

    // A method's run has ended: it becomes the method shown (if the window is open).
    void RunEnded(nodewise::Method method);

    // Rebuilds the method list and the tables from the workspace, on the method shown before
    // or, with `lastRun`, on the method run last.
    void Refresh(bool lastRun = false);

public slots:
    void cboMethodChanged();
    void btnSaveReportClick();
    void NumberStyleChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillTables();
    void createStyleControls(QBoxLayout* row);
    void setHeadings();

    QComboBox* cboMethod_ = nullptr;
    QTableWidget* nodeTable_ = nullptr;
    QTableWidget* branchTable_ = nullptr;
    QTableWidget* shuntTable_ = nullptr;
    QLabel* lblLosses_ = nullptr;
    QLabel* lblEmpty_ = nullptr;
    QLabel* lblNodes_ = nullptr;
    QLabel* lblNotConverged_ = nullptr;
    QSpinBox* spnDigits_ = nullptr;
    QComboBox* cboUnits_ = nullptr;
    QLineEdit* txtBasePower_ = nullptr;
    QPushButton* btnSaveReport_ = nullptr;
    QPushButton* btnClose_ = nullptr;
};
