#include "core/results/summary_rows.h"

#include "core/model/units.h"
#include <tuple>

#include "core/model/network.h"
#include "core/text/number_format.h"

namespace nodewise {

SummaryRow SummaryRowOf(const Network& network, int i, std::string_view decimalSeparator) {
    const auto& [NodeTypes, EData, dData, PData, QData] =
        std::tie(network.NodeTypes, network.EData, network.dData, network.PData, network.QData);
    return {std::to_string(i + 1),
            NodeTypeLabel(NodeTypes[i]),
            FormatGeneral(EData[i], decimalSeparator),
            FormatGeneral(dData[i] * RadiansToDegrees, decimalSeparator),
            FormatGeneral(PData[i], decimalSeparator),
            FormatGeneral(QData[i], decimalSeparator)};
}

} // namespace nodewise
