#include "core/report/balance_tables.h"

#include <utility>

#include "core/model/calculation_options.h"
#include "core/model/run.h"

namespace nodewise {

namespace {

BalanceCell Label(std::string text) {
    return {std::move(text), 0.0, false, 0.0};
}

BalanceCell Value(double value) {
    return {{}, value, false, 0.0};
}

BalanceCell Given(double value, bool given, double typed) {
    return {{}, value, given, given ? typed : 0.0};
}

std::vector<BalanceCell> NodeRow(const Network& network, const Run& run, const NodeBalance& node,
                                 HeldLimit limit) {
    const int i = node.node;
    std::string type = NodeTypeLabel(node.type);
    // A held node's E is a result, and its Q the limit it is held at.
    const bool held = limit != HeldLimit::None;
    double givenQ = network.QData[i];
    if (held) {
        type += std::string(" (") + HeldLimitName(limit) + ")";
        const ReactiveLimits& limits = run.options.reactiveLimits[static_cast<std::size_t>(i)];
        givenQ = limit == HeldLimit::Max ? limits.qmax.value_or(0.0) : limits.qmin.value_or(0.0);
    }
    return {Label(std::to_string(i + 1)),
            Label(type),
            Given(node.E, EGiven(node.type) && !held, network.EData[i]),
            Given(node.dDegrees, dGiven(node.type), node.dDegrees),
            Given(node.P, PGiven(node.type), network.PData[i]),
            Given(node.Q, QGiven(node.type) || held, givenQ)};
}

} // namespace

BalanceTables MakeBalanceTables(const Network& network, const Run& run) {
    const PowerBalance balance = ComputePowerBalance(network, run);
    BalanceTables tables;
    tables.nodes.columns = NodeColumns;
    const HeldNodes held = HeldAt(run, run.IterationCount);
    for (const NodeBalance& node : balance.nodes) {
        tables.nodes.rows.push_back(
            NodeRow(network, run, node, held[static_cast<std::size_t>(node.node)]));
    }
    tables.branches.columns = BranchColumns;
    for (const BranchFlow& flow : balance.branches) {
        tables.branches.rows.push_back(
            {Label(std::to_string(flow.from + 1)), Label(std::to_string(flow.to + 1)),
             Value(flow.fromEnd.real()), Value(flow.fromEnd.imag()), Value(flow.toEnd.real()),
             Value(flow.toEnd.imag()), Value(flow.loss.real()), Value(flow.loss.imag())});
    }
    tables.shunts.columns = ShuntColumns;
    for (const ShuntFlow& shunt : balance.shunts) {
        tables.shunts.rows.push_back(
            {Label(std::to_string(shunt.node + 1)), Value(shunt.admittance.real()),
             Value(shunt.admittance.imag()), Value(shunt.power.real()), Value(shunt.power.imag())});
    }
    tables.losses = balance.losses;
    return tables;
}

std::string ColumnHeading(const BalanceColumn& column, const NumberStyle& style, bool namePerUnit) {
    std::string title = column.title;
    switch (column.kind) {
    case ColumnKind::ActivePower:
        return style.megawatts ? title + " (" + ActivePowerUnit(style) + ")" : title;
    case ColumnKind::ReactivePower:
        return style.megawatts ? title + " (" + ReactivePowerUnit(style) + ")" : title;
    case ColumnKind::PerUnit:
        return namePerUnit ? title + " (pu)" : title;
    case ColumnKind::Label:
    case ColumnKind::Degrees:
        break;
    }
    return title;
}

double ShownValue(const BalanceColumn& column, double value, const NumberStyle& style) {
    const bool power =
        column.kind == ColumnKind::ActivePower || column.kind == ColumnKind::ReactivePower;
    return power ? ShownPower(style, value) : value;
}

} // namespace nodewise
