// Where each node of the network drawing goes: places on a small square grid found by an exact
// search, the same for the same network.
#pragma once

#include <utility>
#include <vector>

namespace nodewise {

struct GridPlace {
    int column = 0; // 0 at the left
    int row = 0;    // 0 at the top
};

// A branch between two nodes, 0-based, a < b.
using NodePair = std::pair<int, int>;

struct NetworkLayout {
    std::vector<GridPlace> places; // one per node
    int crossings = 0;             // pairs of branches that cross in the drawing
};

// The side of the square grid the nodes are placed on first (a node count of 0..7); a planar
// network that does not fit there without crossings goes on a grid one larger.
int LayoutGridSide(int nodes);

// Places `nodes` nodes (at most 7) on distinct points of the grid so that
//   - no branch passes through, or close to, a node it does not join (always achievable);
//   - as few pairs of branches cross as possible: none when the network can be drawn without;
//   - among those, the branches are as short as possible in total;
// with node `anchor` (the reference node) at the top left corner. Ties go to the first placement
// in the search order, so the same network always gets the same drawing. Branches naming a node
// outside 0..nodes-1 or a node twice are ignored.
NetworkLayout LayOutNetwork(int nodes, const std::vector<NodePair>& branches, int anchor);

// Whether the network (at most 7 nodes) can be drawn in the plane without crossing branches.
bool IsPlanar(int nodes, const std::vector<NodePair>& branches);

// The node drawn at the top left: the first Ed node of the acquired network, else the first
// node whose phase is given, else node 0.
int ReferenceNodeOf(const std::vector<int>& nodeTypes);

} // namespace nodewise
