// One level of undo for the commands that replace the cells of the data-entry window as a
// whole ("Cancella i dati", opening a file, a MATPOWER import, a fill from line data). Typing
// into a cell is undone by the cell itself; once the user types, the cells as they were before
// the command are forgotten, as an undo history forgets what lies under a newer change.
#pragma once

#include <QObject>
#include <optional>

#include "core/input/cell_texts.h"

class QAction;

namespace nodewise {

class CellUndo : public QObject {
    Q_OBJECT

public:
    // `action` is the menu item that undoes (enabled while there is something to undo).
    explicit CellUndo(QAction* action, QObject* parent = nullptr);

    // The cells before a command that replaces them.
    void Remember(const CellTexts& cells);
    // The user typed into a cell: the remembered cells are no longer one step back.
    void Forget();
    bool Available() const { return saved_.has_value(); }
    // The remembered cells, replaced by `current` so that a second undo goes back again.
    std::optional<CellTexts> Swap(const CellTexts& current);

    // Lets Ctrl+Z reach the undo item while a cell or the iteration box has the focus: an edit
    // box otherwise keeps the key for its own (empty or older) history.
    void WatchShortcutIn(QObject* editBox);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void update();

    QAction* action_;
    std::optional<CellTexts> saved_;
};

} // namespace nodewise
