// The network drawn with the state of one iterate: what goes where, in pixels, and every text,
// for both the SVG file and the desktop window, which draw exactly this.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/analysis/power_balance.h"
#include "core/drawing/network_layout.h"

namespace nodewise {

struct DiagramPoint {
    double x = 0.0; // pixels, to the right
    double y = 0.0; // pixels, downwards
};

enum class TextAnchor { Start, Middle, End };

// One line of text; `at` is the start, middle or end of its baseline.
struct DiagramText {
    DiagramPoint at;
    std::string text;
    TextAnchor anchor = TextAnchor::Middle;
    std::string role;  // what it shows: "number", "type", "voltage", "phase", "flow", ...
    bool halo = false; // on a white ground, over what is drawn beneath
};

// The width a text of `glyphs` characters takes in the SVG's 12 px sans-serif font, about.
inline constexpr double DiagramCharWidth = 7.0;

using Arrowhead = std::array<DiagramPoint, 3>; // the tip first

// A node's own injection: an arrow into the node (P > 0, generation) or out of it (a load).
struct DiagramInjection {
    DiagramPoint nodeEnd; // on the circle
    DiagramPoint farEnd;
    bool entering = true;
    Arrowhead head;
    DiagramText label; // P + jQ
};

struct DiagramNode {
    NodeBalance values;
    DiagramPoint centre;
    double radius = 0.0;
    std::string fill; // by |E - 1|
    std::vector<DiagramText> labels;
    std::optional<DiagramInjection> injection;
    std::string tooltip;
};

struct DiagramBranch {
    BranchFlow flow;
    DiagramPoint from; // centre of node flow.from
    DiagramPoint to;
    std::optional<Arrowhead> direction; // the way the active power flows; none when it is zero
    DiagramText fromLabel;              // the flow entering at each end, P + jQ
    DiagramText toLabel;
    std::string tooltip; // the losses
};

struct DiagramShunt {
    ShuntFlow flow;
    std::vector<std::pair<DiagramPoint, DiagramPoint>> strokes; // the lead, then the ground
    std::string tooltip;
};

struct LegendEntry {
    DiagramPoint centre;
    double radius = 0.0;
    std::string fill;
    DiagramText label;
};

struct NetworkDiagram {
    std::vector<DiagramNode> nodes;
    std::vector<DiagramBranch> branches;
    std::vector<DiagramShunt> shunts;
    DiagramText caption;
    DiagramText legendTitle;
    std::vector<LegendEntry> legend;
    // The rectangle that holds everything drawn, margin included.
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
};

// Distance between neighbouring grid places and the radius of a node, in pixels.
inline constexpr double DiagramGridStep = 300.0;
inline constexpr double DiagramNodeRadius = 24.0;

// The centres of the nodes placed by a layout.
std::vector<DiagramPoint> LayoutCentres(const NetworkLayout& layout);

// The layout of a network (its branches are the pairs with Y_ij != 0, which every iterate
// shares), the reference node at the top left.
NetworkLayout LayOutAcquiredNetwork(const Network& network);

// `value` with `decimals` decimals and the given separator; never "-0.000". Magnitudes of a
// billion or more, infinities and NaN in the general format.
std::string FixedText(double value, int decimals, std::string_view decimalSeparator);

// "P + jQ" with three decimals, e.g. "0.513 - j0.264".
std::string PowerText(double P, double Q, std::string_view decimalSeparator);

// The colour of a node whose magnitude is E, and the legend's bands.
std::string VoltageColour(double E);

// The drawing of `balance` with the nodes at `centres` (one per node of the balance); numbers
// with `decimalSeparator`; `caption` written above the network.
NetworkDiagram BuildNetworkDiagram(const PowerBalance& balance,
                                   const std::vector<DiagramPoint>& centres,
                                   std::string_view decimalSeparator, std::string caption);

// Marks the nodes a reactive limit holds: the type inside the circle becomes the limit ("Qmax",
// "Qmin"), and the tooltip says it.
void MarkHeldNodes(NetworkDiagram& diagram, const HeldNodes& held);

// The caption of the drawing of entry `entry` of a method's run: "Newton-Raphson, iterazione 3
// di 10".
std::string DiagramCaption(Method method, int entry, int lastEntry);

} // namespace nodewise
