#include "gui/analysis/diagram_view.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

namespace nodewise {

DiagramView::DiagramView(QGraphicsScene* scene, QWidget* parent) : QGraphicsView(scene, parent) {
    setRenderHint(QPainter::Antialiasing);
    setRenderHint(QPainter::TextAntialiasing);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setBackgroundBrush(QColor(0xf2, 0xf2, 0xf2));
}

void DiagramView::SetNodes(std::vector<DiagramPoint> centres, double radius) {
    centres_ = std::move(centres);
    radius_ = radius;
}

void DiagramView::FitDrawing() {
    if (scene() != nullptr) {
        fitInView(scene()->sceneRect(), Qt::KeepAspectRatio);
    }
    zoomed_ = false;
    fittedSize_ = size();
}

void DiagramView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0.0) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    const double factor = std::pow(1.15, steps);
    const double current = transform().m11();
    if ((factor > 1.0 && current > 20.0) || (factor < 1.0 && current < 0.05)) {
        return; // far enough
    }
    scale(factor, factor);
    zoomed_ = true;
    event->accept();
}

// The viewport's resizes come here too: a zoom that brings in the scroll bars shrinks it, and
// must not be undone by a fit. Only the view's own new size fits the drawing again.
void DiagramView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    if (!zoomed_ || size() != fittedSize_) {
        FitDrawing();
    }
}

void DiagramView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPointF at = mapToScene(event->position().toPoint());
        for (std::size_t i = 0; i < centres_.size(); ++i) {
            const double dx = at.x() - centres_[i].x;
            const double dy = at.y() - centres_[i].y;
            if (dx * dx + dy * dy <= radius_ * radius_) {
                dragged_ = static_cast<int>(i);
                grabOffset_ = QPointF(dx, dy);
                setCursor(Qt::ClosedHandCursor);
                event->accept();
                return;
            }
        }
    }
    QGraphicsView::mousePressEvent(event);
}

void DiagramView::mouseMoveEvent(QMouseEvent* event) {
    if (dragged_ < 0) {
        QGraphicsView::mouseMoveEvent(event);
        return;
    }
    const QPointF at = mapToScene(event->position().toPoint()) - grabOffset_;
    if (onNodeDragged) {
        onNodeDragged(dragged_, {at.x(), at.y()});
    }
    event->accept();
}

void DiagramView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragged_ >= 0 && event->button() == Qt::LeftButton) {
        dragged_ = -1;
        unsetCursor();
        event->accept();
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
}

} // namespace nodewise
