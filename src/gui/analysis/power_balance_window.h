// "Bilancio di potenza": the state at the last iterate of a method run since the acquisition,
// with the power of every node, branch and shunt element and the network losses; saves the
// analysis as an HTML or CSV report.
#pragma once

#include <QWidget>

#include "core/results/methods.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class TfrmPowerBalance : public QWidget {
    Q_OBJECT

public:
    explicit TfrmPowerBalance(QWidget* parent = nullptr);

    // A method's run has ended: it becomes the method shown (if the window is open).
    void RunEnded(nodewise::Method method);

    // Rebuilds the method list and the tables from the workspace.
    void Refresh();

public slots:
    void cboMethodChanged();
    void btnSaveReportClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillTables();

    QComboBox* cboMethod_ = nullptr;
    QTableWidget* nodeTable_ = nullptr;
    QTableWidget* branchTable_ = nullptr;
    QTableWidget* shuntTable_ = nullptr;
    QLabel* lblLosses_ = nullptr;
    QLabel* lblEmpty_ = nullptr;
    QPushButton* btnSaveReport_ = nullptr;
    QPushButton* btnClose_ = nullptr;
};
