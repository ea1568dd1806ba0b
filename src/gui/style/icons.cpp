#include "gui/style/icons.h"

#include <QPainter>
#include <QSvgRenderer>

namespace nodewise {

namespace {

const QString NetworkSvg = QStringLiteral(":/nodewise/nodewise.svg");

QPixmap DrawNetwork(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(NetworkSvg);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QPixmap NetworkPicture() {
    return DrawNetwork(32);
}

QIcon NetworkIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(DrawNetwork(size));
    }
    return icon;
}

} // namespace nodewise
