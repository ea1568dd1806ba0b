#include "gui/style/list_numbers.h"

#include "core/results/number_format.h"

namespace nodewise {

QString ListNumber(double value, const QString& decimalPoint) {
    if (decimalPoint.size() == 1 && decimalPoint.at(0).unicode() < 0x80) {
        return QString::fromStdString(FormatGeneral(value, decimalPoint.at(0).toLatin1()));
    }
    QString text = QString::fromStdString(FormatGeneral(value, '.'));
    text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

} // namespace nodewise
