#include "gui/style/icons.h"

#include <QPainter>

namespace nodewise {

QPixmap NetworkPicture() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF nodes[3] = {{6, 26}, {16, 6}, {26, 26}};
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.drawLine(nodes[0], nodes[1]);
    painter.drawLine(nodes[1], nodes[2]);
    painter.drawLine(nodes[2], nodes[0]);
    painter.setBrush(QColor(230, 40, 40));
    painter.setPen(QPen(Qt::black, 1));
    for (const QPointF& node : nodes) {
        painter.drawEllipse(node, 4, 4);
    }
    return pixmap;
}

} // namespace nodewise
