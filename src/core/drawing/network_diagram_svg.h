// The network drawing as an SVG document. Its structure is meant to be read by other programs:
//   <g class="node" data-node="N"> per node, holding its <circle cx cy r> and its labels;
//   <g class="branch" data-from="I" data-to="J"> (I < J) per branch, holding a
//     <line x1 y1 x2 y2> between the two node centres and its labels;
//   <g class="shunt" data-node="N"> per element to the reference;
//   a viewBox that contains everything.
// The groups also carry the values drawn, in full (data-e, data-p-from, ...), numbers written
// with a full stop.
#pragma once

#include <string>

#include "core/drawing/network_diagram.h"

namespace nodewise {

std::string NetworkDiagramSvg(const NetworkDiagram& diagram);

} // namespace nodewise
