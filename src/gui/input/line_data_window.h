// "Dati di linea": the branches and node shunts of a network, from which "Calcola matrice"
// writes the admittance cells of the grid. Every cell is checked as it is typed; "Dalle celle"
// fills the tables from the acquired matrix; "Apri" and "Salva" read and write them as a
// MATPOWER case. Its controls carry their names as object names (tblBranches, tblShunts,
// btnCompute, ...).
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "core/interop/line_data.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TfrmLineData : public QWidget {
    Q_OBJECT

public:
    explicit TfrmLineData(QWidget* parent = nullptr);

    // The tables as typed (UTF-8) and the units they are in.
    nodewise::LineTable Table() const;
    nodewise::LineUnits Units() const;

    // Replaces both tables with per-unit line data (units switched to per unit). False, with a
    // message, when a value cannot be written in a cell.
    bool ShowLineData(const nodewise::LineData& data);

    // Replaces the tables, the units and the bases with texts exactly as they were typed (a
    // network file's line data); empty tables in per unit when there are none.
    void ShowTypedLineData(const nodewise::LineTable& table, const nodewise::LineUnits& units);

public slots:
    void btnComputeClick();
    void btnFromCellsClick();
    void btnOpenClick();
    void btnSaveClick();
    void btnAddBranchClick();
    void btnRemoveBranchClick();
    void btnAddShuntClick();
    void btnRemoveShuntClick();
    void chbPhysicalUnitsClick();

signals:
    // The user has changed the tables, the units or the bases (not a fill by the program).
    void LineDataEdited();

private:
    void watchEdits();
    void createTables();
    void createUnitControls();
    void createButtons();
    void layOut();
    // The tables as line data, or nothing once what is wrong with them has been said.
    std::optional<nodewise::LineData> readLineData();
    QPushButton* button(const char* name, const char* text, const char* tip,
                        void (TfrmLineData::*handler)());
    void addRow(QTableWidget* table);
    void removeRows(QTableWidget* table);
    void setHeaders();
    // What is wrong with `text` in a cell of `table` (the cell's own text or one being typed).
    std::optional<std::string> cellProblem(const QTableWidget* table, int row, int column,
                                           const QString& text) const;
    // Marks every bad cell and shows the message of the first one.
    void CheckCells();
    // True when the tables hold something the user would lose, and may.
    bool MayReplaceTables();

    QTableWidget* tblBranches = nullptr;
    QTableWidget* tblShunts = nullptr;
    QPushButton* btnAddBranch = nullptr;
    QPushButton* btnRemoveBranch = nullptr;
    QPushButton* btnAddShunt = nullptr;
    QPushButton* btnRemoveShunt = nullptr;
    QCheckBox* chbPhysicalUnits = nullptr;
    QLineEdit* txtBaseKV = nullptr;
    QLineEdit* txtBaseMVA = nullptr;
    QLabel* lblBranches = nullptr;
    QLabel* lblShunts = nullptr;
    QLabel* lblBaseKV = nullptr;
    QLabel* lblBaseMVA = nullptr;
    QLabel* lblMessage = nullptr;
    QPushButton* btnCompute = nullptr;
    QPushButton* btnFromCells = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnClose = nullptr;
    bool filling_ = false; // the tables are being filled: no checks until they are whole
};
