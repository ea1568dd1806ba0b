#include "gui/style/table_items.h"

#include <QFont>
#include <QTableWidgetItem>

namespace nodewise {

QTableWidgetItem* NumberItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem* TextItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

void Emphasize(QTableWidgetItem* item, bool italic, const QColor& ground) {
    QFont font = item->font();
    if (italic) {
        font.setItalic(true);
    } else {
        font.setBold(true);
    }
    item->setFont(font);
    item->setBackground(ground);
}

} // namespace nodewise
