// "Matrice acquisita": the admittance matrix as the last acquisition read it, every cell with
// the text it came from, and the cells whose text was not read whole marked.
#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

class TfrmMatrix : public QWidget {
    Q_OBJECT

public:
    explicit TfrmMatrix(QWidget* parent = nullptr);

    // Rebuilds the table from the workspace and the texts the acquisition read.
    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTableWidget* table_ = nullptr;
    QLabel* lblNote_ = nullptr;
};
