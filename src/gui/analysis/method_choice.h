// The method box of the analysis windows: the methods run since the acquisition.
#pragma once

#include <QVariant>

#include "core/results/methods.h"

class QComboBox;

namespace nodewise {

// Refills `box` with the methods run since the acquisition, without a signal, choosing the one
// whose data is `preferred` when it is there and else the first.
void RefillMethodChoice(QComboBox* box, const QVariant& preferred);

} // namespace nodewise
