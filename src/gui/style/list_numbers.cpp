#include "gui/style/list_numbers.h"

#include "core/text/number_format.h"

namespace nodewise {

QString ListNumber(double value, const QString& decimalPoint) {
    return QString::fromStdString(FormatGeneral(value, decimalPoint.toStdString()));
}

} // namespace nodewise
