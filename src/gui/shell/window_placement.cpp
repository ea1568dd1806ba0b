#include "gui/shell/window_placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace nodewise {

void PlaceOnScreenOf(QWidget* window, const QWidget* anchor) {
    if (window == nullptr || anchor == nullptr) {
        return;
    }
    const QRect anchorFrame = anchor->frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(anchorFrame.center());
    if (screen == nullptr) {
        screen = anchor->screen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    // The frame is known only once the window has been shown; before, the title bar and the
    // borders are reckoned as they are on the anchor.
    const QRect frame = window->frameGeometry();
    const QMargins decoration(anchor->geometry().left() - anchorFrame.left(),
                              anchor->geometry().top() - anchorFrame.top(),
                              anchorFrame.right() - anchor->geometry().right(),
                              anchorFrame.bottom() - anchor->geometry().bottom());
    const QRect inner = window->geometry();
    const QMargins margins =
        frame != inner ? QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                                  frame.right() - inner.right(), frame.bottom() - inner.bottom())
                       : decoration;
    const QRect outer = inner.marginsAdded(margins);
    if (area.contains(outer)) {
        return;
    }
    const int width = std::min(window->width(), area.width() - margins.left() - margins.right());
    const int height = std::min(window->height(), area.height() - margins.top() - margins.bottom());
    if (width != window->width() || height != window->height()) {
        window->resize(width, height);
    }
    const int outerWidth = width + margins.left() + margins.right();
    const int outerHeight = height + margins.top() + margins.bottom();
    // As close as possible to where it was, inside the area.
    const int left = std::clamp(outer.left(), area.left(), area.right() + 1 - outerWidth);
    const int top = std::clamp(outer.top(), area.top(), area.bottom() + 1 - outerHeight);
    window->move(left, top); // move() places the frame's top-left corner
}

} // namespace nodewise
