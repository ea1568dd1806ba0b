// The cells of the analysis windows' tables.
#pragma once

#include <QColor>
#include <QString>

class QTableWidgetItem;

namespace nodewise {

// A number, right-aligned.
QTableWidgetItem* NumberItem(const QString& text);
// A label (a node number, a type), centred.
QTableWidgetItem* TextItem(const QString& text);
// Sets a cell apart: its font italic (else bold), its ground tinted.
void Emphasize(QTableWidgetItem* item, bool italic, const QColor& ground);

} // namespace nodewise
