#include "gui/input/cell_marks.h"

#include <QColor>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPalette>
#include <QStringList>
#include <vector>

#include "core/input/cell_notes.h"

namespace nodewise {

namespace {

const QColor UnreadBackground(0xff, 0xd8, 0xa8); // as "Matrice acquisita" marks unused text
const QColor NodeFaultBackground(0xff, 0xc4, 0xc4);

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void Tint(QLineEdit* cell, const QColor* background) {
    if (background == nullptr) {
        if (cell->testAttribute(Qt::WA_SetPalette)) {
            cell->setPalette(QPalette()); // back to the window's
        }
        return;
    }
    QPalette palette = cell->palette();
    palette.setColor(QPalette::Base, *background);
    cell->setPalette(palette);
}

bool WiderThanCell(const QLineEdit* cell) {
    // The text area: the frame and the edit box's own margins take a few pixels on each side.
    return cell->fontMetrics().horizontalAdvance(cell->text()) > cell->width() - 8;
}

} // namespace

CellMarks::CellMarks(QLineEdit* const (&admittance)[MaxNodes][MaxNodes],
                     QLineEdit* const (&data)[DataColumns][MaxNodes])
    : admittance_(admittance), data_(data) {}

void CellMarks::Acquired(const CellTexts& cells, bool nodeTypeWarning) {
    live_ = true;
    nodeRows_ = nodeTypeWarning;
    mark(cells);
}

void CellMarks::CellsChanged(const CellTexts& cells) {
    if (live_) {
        mark(cells);
    } else {
        // Before any acquisition nothing is marked, but a data cell's tooltip follows its width.
        for (int c = 0; c < DataColumns; ++c) {
            for (int r = 0; r < MaxNodes; ++r) {
                data_[c][r]->setToolTip(DataHint(data_[c][r]));
            }
        }
    }
}

void CellMarks::mark(const CellTexts& cells) {
    const CellNotes notes = NoteCells(cells);
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            QLineEdit* cell = admittance_[c][r];
            const QString note = FromUtf8(notes.Admittance[c][r]);
            cell->setProperty(CellNoteProperty, note);
            Tint(cell, note.isEmpty() ? nullptr : &UnreadBackground);
            cell->setToolTip(AdmittanceHint(cell));
        }
    }
    QString nodeNotes[MaxNodes];
    if (nodeRows_) {
        const std::vector<int> nodes = NodesWithoutTwoQuantities(cells);
        for (int node : nodes) {
            nodeNotes[node] = FromUtf8(NodeQuantityNote(cells, node));
        }
        nodeRows_ = !nodes.empty(); // once every node has two, the rows are done
    }
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            QLineEdit* cell = data_[c][r];
            const QString note = FromUtf8(notes.Data[c][r]);
            cell->setProperty(CellNoteProperty, note);
            cell->setProperty(NodeNoteProperty, nodeNotes[r]);
            Tint(cell, !note.isEmpty()           ? &UnreadBackground
                       : !nodeNotes[r].isEmpty() ? &NodeFaultBackground
                                                 : nullptr);
            cell->setToolTip(DataHint(cell));
        }
    }
}

QString CellMarks::AdmittanceHint(const QLineEdit* cell) {
    const QString note = cell->property(CellNoteProperty).toString();
    return note.isEmpty() ? cell->text() : cell->text() + QLatin1Char('\n') + note;
}

QString CellMarks::DataHint(const QLineEdit* cell) {
    QStringList lines;
    if (WiderThanCell(cell)) {
        lines << cell->text();
    }
    for (const char* property : {CellNoteProperty, NodeNoteProperty}) {
        const QString note = cell->property(property).toString();
        if (!note.isEmpty()) {
            lines << note;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace nodewise
