// The view of the network drawing: the wheel zooms, a resize fits the drawing, a node dragged
// with the mouse moves.
#pragma once

#include <QGraphicsView>
#include <functional>
#include <vector>

#include "core/drawing/network_diagram.h"

namespace nodewise {

class DiagramView : public QGraphicsView {
public:
    explicit DiagramView(QGraphicsScene* scene, QWidget* parent = nullptr);

    // Where the nodes are (scene coordinates), for finding the one under the pointer.
    void SetNodes(std::vector<DiagramPoint> centres, double radius);

    // Called while a node is dragged, with its new centre.
    std::function<void(int node, DiagramPoint centre)> onNodeDragged;

    // Scales the drawing to the view, undoing the wheel's zoom.
    void FitDrawing();

    // Whether the wheel has zoomed since the last fit.
    bool Zoomed() const { return zoomed_; }
    bool Dragging() const { return dragged_ >= 0; }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::vector<DiagramPoint> centres_;
    double radius_ = 0.0;
    int dragged_ = -1;
    QPointF grabOffset_;
    bool zoomed_ = false;
    QSize fittedSize_; // the view's size at the last fit
};

} // namespace nodewise
