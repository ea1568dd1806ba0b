#include "core/drawing/network_diagram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <tuple>

#include "core/results/methods.h"
#include "core/text/markup.h"
#include "core/text/number_format.h"

namespace nodewise {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double LineHeight = 15.0;
constexpr double Ascent = 11.0; // of the same, above the baseline
constexpr double InjectionLength = 46.0;
constexpr double ShuntLead = 20.0;
constexpr double Margin = 14.0;
// An injection or shunt power that shows as 0.000 is not drawn.
constexpr double ShownPower = 0.0005;

struct Direction {
    double x;
    double y;
};

Direction Unit(DiagramPoint from, DiagramPoint to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0.0)) {
        return {1.0, 0.0};
    }
    return {dx / length, dy / length};
}

DiagramPoint Along(DiagramPoint p, Direction d, double distance) {
    return {p.x + d.x * distance, p.y + d.y * distance};
}

double AngleOf(Direction d) {
    return std::atan2(d.y, d.x);
}

double AngularGap(double a, double b) {
    double gap = std::fabs(a - b);
    while (gap > Pi) {
        gap = std::fabs(gap - 2.0 * Pi);
    }
    return gap;
}

// The compass direction, of those listed (in order of preference), farthest from every
// direction already taken around a node.
Direction FreeDirection(std::vector<double>& taken, std::initializer_list<double> degrees) {
    double bestGap = -1.0;
    double bestAngle = 0.0;
    for (double d : degrees) {
        const double angle = d * Pi / 180.0;
        double gap = 2.0 * Pi;
        for (double t : taken) {
            gap = std::min(gap, AngularGap(angle, t));
        }
        if (gap > bestGap + 1e-9) {
            bestGap = gap;
            bestAngle = angle;
        }
    }
    taken.push_back(bestAngle);
    return {std::cos(bestAngle), std::sin(bestAngle)};
}

// Screen angles (y downwards): 0 east, -90 north, 90 south.
constexpr double North = -90.0;
constexpr double South = 90.0;
constexpr double East = 0.0;
constexpr double West = 180.0;
constexpr double NorthEast = -45.0;
constexpr double NorthWest = -135.0;
constexpr double SouthEast = 45.0;
constexpr double SouthWest = 135.0;

TextAnchor AnchorFacing(Direction d) {
    if (d.x > 0.3) {
        return TextAnchor::Start;
    }
    if (d.x < -0.3) {
        return TextAnchor::End;
    }
    return TextAnchor::Middle;
}

// A block of lines set beside `at`, on the side `d` points to.
std::vector<DiagramText> TextBlock(DiagramPoint at, Direction d,
                                   std::vector<std::pair<std::string, std::string>> lines) {
    const double count = static_cast<double>(lines.size());
    double firstBaseline = 0.0;
    if (d.y < -0.3) {
        firstBaseline = at.y - (count - 1.0) * LineHeight;
    } else if (d.y > 0.3) {
        firstBaseline = at.y + Ascent;
    } else {
        firstBaseline = at.y - (count - 1.0) * LineHeight / 2.0 + Ascent / 2.0;
    }
    std::vector<DiagramText> block;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        block.push_back({{at.x, firstBaseline + static_cast<double>(k) * LineHeight},
                         std::move(lines[k].second),
                         AnchorFacing(d),
                         std::move(lines[k].first)});
    }
    return block;
}

DiagramText SingleText(DiagramPoint at, Direction d, std::string role, std::string text) {
    return TextBlock(at, d, {{std::move(role), std::move(text)}}).front();
}

Arrowhead HeadAt(DiagramPoint tip, Direction d, double length = 11.0, double halfWidth = 5.5) {
    const DiagramPoint base = Along(tip, d, -length);
    return {tip,
            {base.x - d.y * halfWidth, base.y + d.x * halfWidth},
            {base.x + d.y * halfWidth, base.y - d.x * halfWidth}};
}

// The flow entering a branch at one end, written on the branch itself (on a white ground) a
// little way from the node at `centre`; `d` points along the branch, away from the node. Two
// branches leave a node at 45 degrees or more, which keeps their texts apart.
DiagramText FlowLabel(DiagramPoint centre, Direction d, std::string text) {
    // Far enough for the text's box to clear the circle.
    const double halfWidth = DiagramCharWidth * static_cast<double>(GlyphCount(text)) / 2.0 + 2.0;
    const double halfHeight = 7.0;
    const double across = std::min(std::fabs(d.x) > 1e-9 ? halfWidth / std::fabs(d.x) : 1e9,
                                   std::fabs(d.y) > 1e-9 ? halfHeight / std::fabs(d.y) : 1e9);
    // Up or down, a little farther: clear of the text on a slanting branch beside it.
    const double least = DiagramNodeRadius + (std::fabs(d.x) < 0.3 ? 54.0 : 40.0);
    const double along = std::max(least, DiagramNodeRadius + 8.0 + across);
    DiagramPoint at = Along(centre, d, along);
    at.y += Ascent / 2.0 - 1.0;
    DiagramText label{at, std::move(text), TextAnchor::Middle, "flow"};
    label.halo = true;
    return label;
}

bool Shown(double power) {
    return !(std::fabs(power) < ShownPower);
}

// Every point a text may cover, for the bounds.
void Cover(const DiagramText& text, double& left, double& top, double& right, double& bottom) {
    const double width = static_cast<double>(GlyphCount(text.text)) * DiagramCharWidth;
    double x0 = text.at.x;
    if (text.anchor == TextAnchor::Middle) {
        x0 -= width / 2.0;
    } else if (text.anchor == TextAnchor::End) {
        x0 -= width;
    }
    left = std::min(left, x0);
    right = std::max(right, x0 + width);
    top = std::min(top, text.at.y - Ascent);
    bottom = std::max(bottom, text.at.y + 4.0);
}

void CoverPoint(DiagramPoint p, double r, double& left, double& top, double& right,
                double& bottom) {
    left = std::min(left, p.x - r);
    right = std::max(right, p.x + r);
    top = std::min(top, p.y - r);
    bottom = std::max(bottom, p.y + r);
}

struct VoltageBand {
    double upTo; // |E - 1| at most this
    const char* colour;
    const char* label;
};

constexpr VoltageBand VoltageBands[] = {
    {0.02, "#7bc96f", "fino a 0.02"},
    {0.05, "#e6d85a", "da 0.02 a 0.05"},
    {0.10, "#f5a142", "da 0.05 a 0.10"},
    {std::numeric_limits<double>::infinity(), "#e5534b", "oltre 0.10"},
};

std::string WithSeparator(std::string text, std::string_view separator) {
    for (std::size_t at = text.find('.'); at != std::string::npos;
         at = text.find('.', at + separator.size())) {
        text.replace(at, 1, separator);
    }
    return text;
}

} // namespace

std::vector<DiagramPoint> LayoutCentres(const NetworkLayout& layout) {
    std::vector<DiagramPoint> centres;
    for (const GridPlace& place : layout.places) {
        centres.push_back({place.column * DiagramGridStep, place.row * DiagramGridStep});
    }
    return centres;
}

NetworkLayout LayOutAcquiredNetwork(const Network& network) {
    const auto& [YComplex, NodeTypes] = std::tie(network.YComplex, network.NodeTypes);
    const int n = network.ActiveNodeCount();
    std::vector<NodePair> branches;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (YComplex[i][j].re != 0.0 || YComplex[i][j].im != 0.0) {
                branches.emplace_back(i, j);
            }
        }
    }
    return LayOutNetwork(n, branches, ReferenceNodeOf(std::vector<int>(NodeTypes, NodeTypes + n)));
}

std::string FixedText(double value, int decimals, std::string_view decimalSeparator) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e9) {
        return FormatGeneral(value, decimalSeparator);
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1); // a tiny negative value rounds to zero, without a sign
    }
    return WithSeparator(std::move(text), decimalSeparator);
}

std::string PowerText(double P, double Q, std::string_view decimalSeparator) {
    const std::string q = FixedText(Q, 3, decimalSeparator);
    const bool negative = q.front() == '-';
    return FixedText(P, 3, decimalSeparator) + (negative ? " - j" : " + j") +
           (negative ? q.substr(1) : q);
}

std::string VoltageColour(double E) {
    const double deviation = std::fabs(E - 1.0);
    for (const VoltageBand& band : VoltageBands) {
        if (deviation <= band.upTo + 1e-12) { // 0.98 is within 0.02, whatever its last bits
            return band.colour;
        }
    }
    return VoltageBands[std::size(VoltageBands) - 1].colour; // NaN
}

void MarkHeldNodes(NetworkDiagram& diagram, const HeldNodes& held) {
    for (DiagramNode& node : diagram.nodes) {
        const int i = node.values.node;
        const HeldLimit limit =
            i >= 0 && i < MaxNodes ? held[static_cast<std::size_t>(i)] : HeldLimit::None;
        if (limit == HeldLimit::None) {
            continue;
        }
        for (DiagramText& label : node.labels) {
            if (label.role == "type") {
                label.text = HeldLimitName(limit);
                label.role = "held";
            }
        }
        node.tooltip += std::string(", al limite ") + HeldLimitName(limit);
    }
}

std::string DiagramCaption(Method method, int entry, int lastEntry) {
    return std::string(MethodTitle(method)) + ", iterazione " + std::to_string(entry) + " di " +
           std::to_string(lastEntry);
}

NetworkDiagram BuildNetworkDiagram(const PowerBalance& balance,
                                   const std::vector<DiagramPoint>& centres,
                                   std::string_view decimalSeparator, std::string caption) {
    const std::string_view sep = decimalSeparator;
    NetworkDiagram diagram;
    const std::size_t n = std::min(balance.nodes.size(), centres.size());
    std::vector<std::vector<double>> taken(n); // directions already used around each node
    std::vector<Direction> blockDirection(n);  // where each node's E and d are written
    auto centre = [&centres](int node) { return centres[static_cast<std::size_t>(node)]; };

    for (const BranchFlow& flow : balance.branches) {
        if (static_cast<std::size_t>(flow.to) >= n) {
            continue;
        }
        DiagramBranch branch;
        branch.flow = flow;
        branch.from = centre(flow.from);
        branch.to = centre(flow.to);
        const Direction d = Unit(branch.from, branch.to);
        taken[static_cast<std::size_t>(flow.from)].push_back(AngleOf(d));
        taken[static_cast<std::size_t>(flow.to)].push_back(AngleOf({-d.x, -d.y}));
        // The flow written on a slanting branch spreads sideways, across the vertical beside
        // the node: nothing else goes there.
        if (std::fabs(d.x) >= 0.3 && std::fabs(d.y) >= 0.3) {
            const double down = South * Pi / 180.0;
            const double up = North * Pi / 180.0;
            taken[static_cast<std::size_t>(flow.from)].push_back(d.y > 0.0 ? down : up);
            taken[static_cast<std::size_t>(flow.to)].push_back(d.y > 0.0 ? up : down);
        }
        // The active power goes from the end where more of it enters.
        const double net = flow.fromEnd.real() - flow.toEnd.real();
        if (net != 0.0 && !std::isnan(net)) {
            const Direction way = net > 0.0 ? d : Direction{-d.x, -d.y};
            const DiagramPoint middle{(branch.from.x + branch.to.x) / 2.0,
                                      (branch.from.y + branch.to.y) / 2.0};
            branch.direction = HeadAt(Along(middle, way, 6.0), way);
        }
        branch.tooltip = "Ramo " + std::to_string(flow.from + 1) + "-" +
                         std::to_string(flow.to + 1) +
                         ": perdite P = " + FixedText(flow.loss.real(), 5, sep) +
                         " pu, Q = " + FixedText(flow.loss.imag(), 5, sep) + " pu";
        diagram.branches.push_back(std::move(branch));
    }

    for (std::size_t i = 0; i < n; ++i) {
        const NodeBalance& values = balance.nodes[i];
        DiagramNode node;
        node.values = values;
        node.centre = centres[i];
        node.radius = DiagramNodeRadius;
        node.fill = VoltageColour(values.E);
        node.labels.push_back({{node.centre.x, node.centre.y - 2.0},
                               std::to_string(values.node + 1),
                               TextAnchor::Middle,
                               "number"});
        node.labels.push_back({{node.centre.x, node.centre.y + 12.0},
                               NodeTypeLabel(values.type),
                               TextAnchor::Middle,
                               "type"});
        if (Shown(values.P) || Shown(values.Q)) {
            const Direction d =
                FreeDirection(taken[i], {North, West, East, South, NorthWest, SouthWest});
            DiagramInjection injection;
            injection.nodeEnd = Along(node.centre, d, node.radius);
            injection.farEnd = Along(node.centre, d, node.radius + InjectionLength);
            injection.entering = Shown(values.P) ? values.P > 0.0 : values.Q > 0.0;
            injection.head = injection.entering ? HeadAt(injection.nodeEnd, {-d.x, -d.y})
                                                : HeadAt(injection.farEnd, d);
            injection.label = SingleText(Along(injection.farEnd, d, 5.0), d, "injection",
                                         PowerText(values.P, values.Q, sep));
            node.injection = std::move(injection);
        }
        const Direction d = FreeDirection(
            taken[i], {NorthEast, SouthEast, NorthWest, SouthWest, East, West, South, North});
        if (std::fabs(d.x) < 0.3) { // centred above or below: it spreads to both sides
            taken[i].push_back(AngleOf(d) - Pi / 4.0);
            taken[i].push_back(AngleOf(d) + Pi / 4.0);
        }
        std::vector<DiagramText> block =
            TextBlock(Along(node.centre, d, node.radius + 6.0), d,
                      {{"voltage", "E = " + FixedText(values.E, 4, sep)},
                       {"phase", "d = " + FixedText(values.dDegrees, 2, sep) + "\u00B0"}});
        node.labels.insert(node.labels.end(), block.begin(), block.end());
        node.tooltip = "Nodo " + std::to_string(values.node + 1) + " (" +
                       NodeTypeLabel(values.type) +
                       "): P + jQ = " + PowerText(values.P, values.Q, sep) + " pu";
        diagram.nodes.push_back(std::move(node));
    }

    for (DiagramBranch& branch : diagram.branches) {
        const Direction d = Unit(branch.from, branch.to);
        branch.fromLabel = FlowLabel(
            branch.from, d, PowerText(branch.flow.fromEnd.real(), branch.flow.fromEnd.imag(), sep));
        branch.toLabel =
            FlowLabel(branch.to, {-d.x, -d.y},
                      PowerText(branch.flow.toEnd.real(), branch.flow.toEnd.imag(), sep));
    }

    for (const ShuntFlow& flow : balance.shunts) {
        if (static_cast<std::size_t>(flow.node) >= n) {
            continue;
        }
        const auto i = static_cast<std::size_t>(flow.node);
        const Direction d = FreeDirection(
            taken[i], {South, SouthWest, SouthEast, West, East, North, NorthWest, NorthEast});
        DiagramShunt shunt;
        shunt.flow = flow;
        const DiagramPoint start = Along(centres[i], d, DiagramNodeRadius);
        const DiagramPoint end = Along(start, d, ShuntLead);
        shunt.strokes.push_back({start, end});
        const Direction across{-d.y, d.x};
        const double halfWidths[] = {12.0, 8.0, 4.0};
        for (int k = 0; k < 3; ++k) {
            const DiagramPoint at = Along(end, d, 5.0 * k);
            shunt.strokes.push_back(
                {Along(at, across, -halfWidths[k]), Along(at, across, halfWidths[k])});
        }
        shunt.tooltip = "Elemento verso terra al nodo " + std::to_string(flow.node + 1) +
                        ": y = " + PowerText(flow.admittance.real(), flow.admittance.imag(), sep) +
                        " pu, assorbe " + PowerText(flow.power.real(), flow.power.imag(), sep) +
                        " pu";
        diagram.shunts.push_back(std::move(shunt));
    }

    // The bounds of the network, then the caption above and the legend below it.
    double left = std::numeric_limits<double>::infinity();
    double top = left;
    double right = -left;
    double bottom = -left;
    for (const DiagramNode& node : diagram.nodes) {
        CoverPoint(node.centre, node.radius, left, top, right, bottom);
        for (const DiagramText& text : node.labels) {
            Cover(text, left, top, right, bottom);
        }
        if (node.injection) {
            CoverPoint(node.injection->farEnd, 6.0, left, top, right, bottom);
            Cover(node.injection->label, left, top, right, bottom);
        }
    }
    for (const DiagramBranch& branch : diagram.branches) {
        Cover(branch.fromLabel, left, top, right, bottom);
        Cover(branch.toLabel, left, top, right, bottom);
    }
    for (const DiagramShunt& shunt : diagram.shunts) {
        for (const auto& [a, b] : shunt.strokes) {
            CoverPoint(a, 1.0, left, top, right, bottom);
            CoverPoint(b, 1.0, left, top, right, bottom);
        }
    }
    if (!(left <= right)) { // nothing drawn
        left = top = right = bottom = 0.0;
    }
    diagram.caption = {{left, top - 14.0}, std::move(caption), TextAnchor::Start, "caption"};
    Cover(diagram.caption, left, top, right, bottom);
    const double legendY = bottom + 26.0;
    diagram.legendTitle = {{left, legendY + 4.0}, "|E - 1| (pu):", TextAnchor::Start, "legend"};
    Cover(diagram.legendTitle, left, top, right, bottom);
    double x = left + 104.0;
    for (const VoltageBand& band : VoltageBands) {
        LegendEntry entry;
        entry.centre = {x + 7.0, legendY};
        entry.radius = 7.0;
        entry.fill = band.colour;
        entry.label = {
            {x + 20.0, legendY + 4.0}, WithSeparator(band.label, sep), TextAnchor::Start, "legend"};
        CoverPoint(entry.centre, entry.radius, left, top, right, bottom);
        Cover(entry.label, left, top, right, bottom);
        x += 40.0 + DiagramCharWidth * static_cast<double>(entry.label.text.size());
        diagram.legend.push_back(std::move(entry));
    }
    diagram.left = std::floor(left - Margin);
    diagram.top = std::floor(top - Margin);
    diagram.width = std::ceil(right + Margin) - diagram.left;
    diagram.height = std::ceil(bottom + Margin) - diagram.top;
    return diagram;
}

} // namespace nodewise
