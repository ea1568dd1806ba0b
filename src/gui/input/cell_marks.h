// Marks on the cells of the data-entry grid. After an acquisition, and from then on as the user
// types, a cell whose text is not read whole is tinted as "Matrice acquisita" tints it and its
// tooltip says what was read; when the acquisition stopped on the node types, the data cells
// of the nodes without two quantities are tinted too, until they have two. A data cell whose
// text is wider than the cell shows the whole text in its tooltip; an admittance cell's
// tooltip is its text, as always, followed by the note when there is one.
#pragma once

#include <QString>

#include "core/input/cell_texts.h"

class QLineEdit;

namespace nodewise {

inline constexpr const char* CellNoteProperty = "nodewiseCellNote"; // QString, empty: unmarked
inline constexpr const char* NodeNoteProperty = "nodewiseNodeNote"; // QString, on data cells

class CellMarks {
public:
    // The window's cell tables, [column][row]; admittance entries with column < row are null.
    CellMarks(QLineEdit* const (&admittance)[MaxNodes][MaxNodes],
              QLineEdit* const (&data)[DataColumns][MaxNodes]);

    // An acquisition has just read the cells; `nodeTypeWarning` when it stopped on warning 2.
    void Acquired(const CellTexts& cells, bool nodeTypeWarning);
    // A cell's text changed: the marks follow it once there has been an acquisition.
    void CellsChanged(const CellTexts& cells);

    // The tooltip of a cell: for an admittance cell its text, then the note; for a data cell
    // its text when wider than the cell, the note, the node's note.
    static QString AdmittanceHint(const QLineEdit* cell);
    static QString DataHint(const QLineEdit* cell);

private:
    void mark(const CellTexts& cells);

    QLineEdit* const (&admittance_)[MaxNodes][MaxNodes];
    QLineEdit* const (&data_)[DataColumns][MaxNodes];
    bool live_ = false;     // an acquisition has happened: marks follow the typing
    bool nodeRows_ = false; // the last acquisition stopped on the node types
};

} // namespace nodewise
