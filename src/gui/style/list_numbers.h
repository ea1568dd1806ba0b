// How the list views show numbers.
#pragma once

#include <QString>

namespace nodewise {

// 15 significant digits, the given decimal separator (the user's locale's).
QString ListNumber(double value, const QString& decimalPoint);

} // namespace nodewise
