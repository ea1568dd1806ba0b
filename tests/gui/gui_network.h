// Typing networks into the data-entry window and driving the program as a user would.
#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <initializer_list>
#include <utility>

#include "gui/input/data_entry_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/program_windows.h"
#include "gui_test_support.h"

namespace nodewise::testing {

inline void Type(QLineEdit* cell, const char* text) {
    cell->clear();
    QTest::keyClicks(cell, QString::fromUtf8(text));
}

// Admittance cell between nodes r+1 and c+1 (c >= r).
inline void TypeY(int r, int c, const char* text) {
    Type(AdmittanceCell(frmDataIn, c, r), text);
}

// Data cell of node `node` (0-based); columns 0 E, 1 d, 2 P, 3 Q.
inline void TypeData(int node, int column, const char* text) {
    Type(DataCell(frmDataIn, column, node), text);
}

inline void TypeIterations(const char* text) {
    Type(Child<QLineEdit>(frmDataIn, "txtnumit"), text);
}

// Clicks the button of `window` with that name.
inline void Click(const QObject* window, const char* button) {
    QTest::mouseClick(Child<QAbstractButton>(window, button), Qt::LeftButton);
}

inline void AcquireTyped() {
    Click(frmDataIn, "BtnAcquire");
}

// One branch of 1 - j5 between an Ed node (E 1, d 0) and a PQ load (P -0.5, Q -0.2).
inline void TypeTwoNodeNetwork(const char* iterations) {
    TypeY(0, 0, "1-5j");
    TypeY(0, 1, "-1+5j");
    TypeY(1, 1, "1-5j");
    TypeData(0, 0, "1");
    TypeData(0, 1, "0");
    TypeData(1, 2, "-0,5");
    TypeData(1, 3, "-0.2");
    TypeIterations(iterations);
}

// A triangle of 1 - j5 branches: node 1 Ed, node 2 Pd (P 0.3, d -2), node 3 PQ. Its equations
// and unknowns agree in number, but not block by block (a Pd node and no QE node).
inline void TypePdNetwork(const char* iterations) {
    TypeY(0, 0, "2-10j");
    TypeY(0, 1, "-1+5j");
    TypeY(0, 2, "-1+5j");
    TypeY(1, 1, "2-10j");
    TypeY(1, 2, "-1+5j");
    TypeY(2, 2, "2-10j");
    TypeData(0, 0, "1");
    TypeData(0, 1, "0");
    TypeData(1, 2, "0.3");
    TypeData(1, 1, "-2");
    TypeData(2, 2, "-0.4");
    TypeData(2, 3, "-0.1");
    TypeIterations(iterations);
}

} // namespace nodewise::testing
