#include "gui/input/cell_undo.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>

namespace nodewise {

CellUndo::CellUndo(QAction* action, QObject* parent) : QObject(parent), action_(action) {
    update();
}

void CellUndo::Remember(const CellTexts& cells) {
    saved_ = cells;
    update();
}

void CellUndo::Forget() {
    if (saved_) {
        saved_.reset();
        update();
    }
}

std::optional<CellTexts> CellUndo::Swap(const CellTexts& current) {
    if (!saved_) {
        return std::nullopt;
    }
    std::optional<CellTexts> previous = std::move(saved_);
    saved_ = current;
    update();
    return previous;
}

void CellUndo::WatchShortcutIn(QObject* editBox) {
    editBox->installEventFilter(this);
}

bool CellUndo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && saved_ &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo)) {
        // Nothing typed since the command: the command is the last change, and Ctrl+Z is ours.
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CellUndo::update() {
    if (action_ != nullptr) {
        action_->setEnabled(saved_.has_value());
    }
}

} // namespace nodewise
