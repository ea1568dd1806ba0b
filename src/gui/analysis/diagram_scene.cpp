#include "gui/analysis/diagram_scene.h"

#include <QBrush>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <QPolygonF>

namespace nodewise {

namespace {

const QColor Ink(0x33, 0x33, 0x33);
const QColor FlowInk(0x1f, 0x4e, 0x9a);

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPointF At(DiagramPoint p) {
    return {p.x, p.y};
}

class Painter {
public:
    explicit Painter(QGraphicsScene& scene) : scene_(scene) {
        font_.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});
        font_.setPixelSize(12);
        bold_ = font_;
        bold_.setBold(true);
    }

    void Line(DiagramPoint a, DiagramPoint b, const QColor& colour, const QString& tip = {}) {
        auto* item = scene_.addLine(QLineF(At(a), At(b)), QPen(colour, 2.0));
        if (!tip.isEmpty()) {
            // A wider, invisible twin takes the pointer for the tooltip.
            auto* hover = scene_.addLine(QLineF(At(a), At(b)), QPen(QColor(0, 0, 0, 0), 10.0));
            hover->setToolTip(tip);
            item->setToolTip(tip);
        }
    }

    void Head(const Arrowhead& head, const QColor& colour) {
        QPolygonF polygon;
        for (const DiagramPoint& p : head) {
            polygon << At(p);
        }
        scene_.addPolygon(polygon, QPen(Qt::NoPen), QBrush(colour));
    }

    // The text with its baseline's start, middle or end at `text.at`, as SVG sets it.
    void Text(const DiagramText& text, const QColor& colour, bool bold = false,
              const QString& tip = {}) {
        const QFont& font = bold ? bold_ : font_;
        const QFontMetricsF metrics(font);
        const QString content = ToQString(text.text);
        const double width = metrics.horizontalAdvance(content);
        double x = text.at.x;
        if (text.anchor == TextAnchor::Middle) {
            x -= width / 2.0;
        } else if (text.anchor == TextAnchor::End) {
            x -= width;
        }
        if (text.halo) {
            scene_.addRect(x - 2.0, text.at.y - metrics.ascent(), width + 4.0,
                           metrics.ascent() + metrics.descent(), QPen(Qt::NoPen),
                           QBrush(Qt::white));
        }
        auto* item = scene_.addSimpleText(content, font);
        item->setBrush(colour);
        item->setPos(x, text.at.y - metrics.ascent());
        if (!tip.isEmpty()) {
            item->setToolTip(tip);
        }
    }

    void Circle(DiagramPoint centre, double radius, const std::string& fill, const QString& tip) {
        auto* item =
            scene_.addEllipse(centre.x - radius, centre.y - radius, 2.0 * radius, 2.0 * radius,
                              QPen(Ink, 2.0), QBrush(QColor(ToQString(fill))));
        item->setToolTip(tip);
    }

private:
    QGraphicsScene& scene_;
    QFont font_;
    QFont bold_;
};

} // namespace

void DrawNetworkDiagram(QGraphicsScene& scene, const NetworkDiagram& diagram) {
    scene.clear();
    const QRectF bounds(diagram.left, diagram.top, diagram.width, diagram.height);
    scene.setSceneRect(bounds);
    scene.addRect(bounds, QPen(Qt::NoPen), QBrush(Qt::white));
    Painter paint(scene);
    paint.Text(diagram.caption, Ink, true);
    for (const DiagramBranch& branch : diagram.branches) {
        const QString tip = ToQString(branch.tooltip);
        paint.Line(branch.from, branch.to, Ink, tip);
        if (branch.direction) {
            paint.Head(*branch.direction, Ink);
        }
        paint.Text(branch.fromLabel, FlowInk, false, tip);
        paint.Text(branch.toLabel, FlowInk, false, tip);
    }
    for (const DiagramShunt& shunt : diagram.shunts) {
        for (const auto& [a, b] : shunt.strokes) {
            paint.Line(a, b, Ink, ToQString(shunt.tooltip));
        }
    }
    for (const DiagramNode& node : diagram.nodes) {
        const QString tip = ToQString(node.tooltip);
        if (node.injection) {
            paint.Line(node.injection->nodeEnd, node.injection->farEnd, FlowInk, tip);
            paint.Head(node.injection->head, FlowInk);
            paint.Text(node.injection->label, FlowInk, false, tip);
        }
        paint.Circle(node.centre, node.radius, node.fill, tip);
        for (const DiagramText& text : node.labels) {
            paint.Text(text, Ink, text.role == "number", tip);
        }
    }
    paint.Text(diagram.legendTitle, Ink);
    for (const LegendEntry& entry : diagram.legend) {
        paint.Circle(entry.centre, entry.radius, entry.fill, {});
        paint.Text(entry.label, Ink);
    }
}

} // namespace nodewise
