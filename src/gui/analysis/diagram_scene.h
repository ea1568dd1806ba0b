// The network drawing of the core put on a graphics scene, item for item as the SVG draws it.
#pragma once

#include "core/drawing/network_diagram.h"

class QGraphicsScene;

namespace nodewise {

// Empties `scene` and draws `diagram` on it; its rectangle becomes the diagram's. Nodes,
// branches and shunts carry their texts as tooltips (the losses of a branch, ...).
void DrawNetworkDiagram(QGraphicsScene& scene, const NetworkDiagram& diagram);

} // namespace nodewise
