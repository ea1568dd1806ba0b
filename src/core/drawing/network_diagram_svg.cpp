#include "core/drawing/network_diagram_svg.h"

#include <charconv>
#include <cmath>

#include "core/text/markup.h"
#include "core/text/number_format.h"

namespace nodewise {

namespace {

// Coordinates to a hundredth of a pixel.
std::string Coordinate(double value) {
    return FixedText(std::round(value * 100.0) / 100.0, 2, ".");
}

// A value read back exactly: the shortest text that gives the same double.
std::string Exact(double value) {
    if (!std::isfinite(value)) {
        return FormatGeneral(value, '.');
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + HtmlEscape(value) + "\"";
}

const char* AnchorName(TextAnchor anchor) {
    switch (anchor) {
    case TextAnchor::Start:
        return "start";
    case TextAnchor::End:
        return "end";
    case TextAnchor::Middle:
        break;
    }
    return "middle";
}

std::string Text(const DiagramText& text, const std::string& extra = "") {
    std::string halo;
    if (text.halo) {
        const double width = DiagramCharWidth * static_cast<double>(GlyphCount(text.text)) + 4.0;
        double left = text.at.x - 2.0;
        if (text.anchor == TextAnchor::Middle) {
            left -= width / 2.0 - 2.0;
        } else if (text.anchor == TextAnchor::End) {
            left -= width - 4.0;
        }
        halo = "<rect" + Attribute("class", "halo") + Attribute("x", Coordinate(left)) +
               Attribute("y", Coordinate(text.at.y - 11.0)) +
               Attribute("width", Coordinate(width)) + Attribute("height", "14") +
               Attribute("fill", "#ffffff") + "/>\n";
    }
    return halo + "<text" + Attribute("class", text.role) + extra +
           Attribute("x", Coordinate(text.at.x)) + Attribute("y", Coordinate(text.at.y)) +
           Attribute("text-anchor", AnchorName(text.anchor)) + ">" + HtmlEscape(text.text) +
           "</text>\n";
}

std::string Line(DiagramPoint a, DiagramPoint b, const char* stroke, const char* width) {
    return "<line" + Attribute("x1", Coordinate(a.x)) + Attribute("y1", Coordinate(a.y)) +
           Attribute("x2", Coordinate(b.x)) + Attribute("y2", Coordinate(b.y)) +
           Attribute("stroke", stroke) + Attribute("stroke-width", width) + "/>\n";
}

std::string Polygon(const Arrowhead& head, const char* className, const char* fill) {
    std::string points;
    for (const DiagramPoint& p : head) {
        points += (points.empty() ? "" : " ") + Coordinate(p.x) + "," + Coordinate(p.y);
    }
    return "<polygon" + Attribute("class", className) + Attribute("points", points) +
           Attribute("fill", fill) + "/>\n";
}

std::string Title(const std::string& text) {
    return "<title>" + HtmlEscape(text) + "</title>\n";
}

constexpr const char* Ink = "#333333";
constexpr const char* FlowInk = "#1f4e9a";

void AppendBranch(std::string& out, const DiagramBranch& branch) {
    const BranchFlow& f = branch.flow;
    out += "<g" + Attribute("class", "branch") +
           Attribute("data-from", std::to_string(f.from + 1)) +
           Attribute("data-to", std::to_string(f.to + 1)) +
           Attribute("data-p-from", Exact(f.fromEnd.real())) +
           Attribute("data-q-from", Exact(f.fromEnd.imag())) +
           Attribute("data-p-to", Exact(f.toEnd.real())) +
           Attribute("data-q-to", Exact(f.toEnd.imag())) +
           Attribute("data-p-loss", Exact(f.loss.real())) +
           Attribute("data-q-loss", Exact(f.loss.imag())) + ">\n";
    out += Title(branch.tooltip);
    out += Line(branch.from, branch.to, Ink, "2");
    if (branch.direction) {
        out += Polygon(*branch.direction, "direction", Ink);
    }
    out += Text(branch.fromLabel,
                Attribute("data-end", std::to_string(f.from + 1)) + Attribute("fill", FlowInk));
    out += Text(branch.toLabel,
                Attribute("data-end", std::to_string(f.to + 1)) + Attribute("fill", FlowInk));
    out += "</g>\n";
}

void AppendShunt(std::string& out, const DiagramShunt& shunt) {
    const ShuntFlow& f = shunt.flow;
    out += "<g" + Attribute("class", "shunt") + Attribute("data-node", std::to_string(f.node + 1)) +
           Attribute("data-g", Exact(f.admittance.real())) +
           Attribute("data-b", Exact(f.admittance.imag())) +
           Attribute("data-p", Exact(f.power.real())) + Attribute("data-q", Exact(f.power.imag())) +
           ">\n";
    out += Title(shunt.tooltip);
    for (const auto& [a, b] : shunt.strokes) {
        out += Line(a, b, Ink, "2");
    }
    out += "</g>\n";
}

void AppendNode(std::string& out, const DiagramNode& node) {
    const NodeBalance& v = node.values;
    out += "<g" + Attribute("class", "node") + Attribute("data-node", std::to_string(v.node + 1)) +
           Attribute("data-type", NodeTypeLabel(v.type)) + Attribute("data-e", Exact(v.E)) +
           Attribute("data-d", Exact(v.dDegrees)) + Attribute("data-p", Exact(v.P)) +
           Attribute("data-q", Exact(v.Q)) + ">\n";
    out += Title(node.tooltip);
    if (node.injection) {
        const DiagramInjection& in = *node.injection;
        out += "<g" + Attribute("class", "injection") +
               Attribute("data-direction", in.entering ? "in" : "out") + ">\n";
        out += Line(in.nodeEnd, in.farEnd, FlowInk, "2");
        out += Polygon(in.head, "direction", FlowInk);
        out += Text(in.label, Attribute("fill", FlowInk));
        out += "</g>\n";
    }
    out += "<circle" + Attribute("cx", Coordinate(node.centre.x)) +
           Attribute("cy", Coordinate(node.centre.y)) + Attribute("r", Coordinate(node.radius)) +
           Attribute("fill", node.fill) + Attribute("stroke", Ink) +
           Attribute("stroke-width", "2") + "/>\n";
    for (const DiagramText& text : node.labels) {
        out += Text(text, text.role == "number" ? Attribute("font-weight", "bold") : "");
    }
    out += "</g>\n";
}

} // namespace

std::string NetworkDiagramSvg(const NetworkDiagram& diagram) {
    const std::string viewBox = Coordinate(diagram.left) + " " + Coordinate(diagram.top) + " " +
                                Coordinate(diagram.width) + " " + Coordinate(diagram.height);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg" + Attribute("xmlns", "http://www.w3.org/2000/svg") + Attribute("version", "1.1") +
           Attribute("viewBox", viewBox) + Attribute("width", Coordinate(diagram.width)) +
           Attribute("height", Coordinate(diagram.height)) +
           Attribute("font-family", "DejaVu Sans, Arial, sans-serif") +
           Attribute("font-size", "12") + ">\n";
    out += Title("Schema della rete - " + diagram.caption.text);
    out += "<rect" + Attribute("x", Coordinate(diagram.left)) +
           Attribute("y", Coordinate(diagram.top)) + Attribute("width", Coordinate(diagram.width)) +
           Attribute("height", Coordinate(diagram.height)) + Attribute("fill", "#ffffff") + "/>\n";
    out += Text(diagram.caption, Attribute("font-weight", "bold"));
    for (const DiagramBranch& branch : diagram.branches) {
        AppendBranch(out, branch);
    }
    for (const DiagramShunt& shunt : diagram.shunts) {
        AppendShunt(out, shunt);
    }
    for (const DiagramNode& node : diagram.nodes) {
        AppendNode(out, node);
    }
    out += "<g" + Attribute("class", "legend") + ">\n";
    out += Text(diagram.legendTitle);
    for (const LegendEntry& entry : diagram.legend) {
        out += "<circle" + Attribute("cx", Coordinate(entry.centre.x)) +
               Attribute("cy", Coordinate(entry.centre.y)) +
               Attribute("r", Coordinate(entry.radius)) + Attribute("fill", entry.fill) +
               Attribute("stroke", Ink) + "/>\n";
        out += Text(entry.label);
    }
    out += "</g>\n</svg>\n";
    return out;
}

} // namespace nodewise
