#include "core/results/summary_rows.h"

#include "core/model/units.h"
#include "core/model/workspace.h"
#include "core/results/number_format.h"

namespace nodewise {

SummaryRow SummaryRowOf(int i, std::string_view decimalSeparator) {
    return {std::to_string(i + 1),
            NodeTypeLabel(NodeTypes[i]),
            FormatGeneral(EData[i], decimalSeparator),
            FormatGeneral(dData[i] * RadiansToDegrees, decimalSeparator),
            FormatGeneral(PData[i], decimalSeparator),
            FormatGeneral(QData[i], decimalSeparator)};
}

} // namespace nodewise
