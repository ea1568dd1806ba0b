#include "core/drawing/network_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/model/network.h"

namespace nodewise {

namespace {

constexpr int MaxSide = 5;
constexpr int MaxPoints = MaxSide * MaxSide;
constexpr int MaxSegments = MaxPoints * (MaxPoints - 1) / 2;
// A branch passing a node's centre closer than this (in grid steps) runs through it; on the grid
// every other pass keeps at least 0.2 steps away (from (0, 0)-(4, 3) to (1, 1), say).
constexpr double ThroughDistance = 0.19;

using SegmentSet = std::bitset<MaxSegments>;

// The geometry of one grid, worked out once per search: which segments between grid points
// cross, and which points each segment runs through.
struct Grid {
    int side = 0;
    int points = 0;
    std::array<std::array<int, MaxPoints>, MaxPoints> segment{}; // index of the segment p-q
    std::array<double, MaxSegments> length{};
    std::array<std::uint32_t, MaxSegments> runsThrough{}; // points near the segment's interior
    std::array<SegmentSet, MaxPoints> blockedBy{};        // segments running through a point
    std::array<SegmentSet, MaxSegments> crosses{};
};

long long Orientation(int ax, int ay, int bx, int by, int cx, int cy) {
    return static_cast<long long>(bx - ax) * (cy - ay) -
           static_cast<long long>(by - ay) * (cx - ax);
}

int Sign(long long value) {
    return (value > 0) - (value < 0);
}

// Distance from point (px, py) to the segment (ax, ay)-(bx, by), in grid steps.
double DistanceToSegment(int px, int py, int ax, int ay, int bx, int by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    const double ex = ax + t * dx - px;
    const double ey = ay + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

Grid MakeGrid(int side) {
    Grid grid;
    grid.side = side;
    grid.points = side * side;
    struct Ends {
        int p;
        int q;
    };
    std::array<Ends, MaxSegments> ends{};
    int count = 0;
    for (int p = 0; p < grid.points; ++p) {
        for (int q = p + 1; q < grid.points; ++q) {
            grid.segment[p][q] = grid.segment[q][p] = count;
            ends[count] = {p, q};
            ++count;
        }
    }
    auto x = [side](int p) { return p % side; };
    auto y = [side](int p) { return p / side; };
    for (int s = 0; s < count; ++s) {
        const auto [p, q] = ends[s];
        const double dx = x(q) - x(p);
        const double dy = y(q) - y(p);
        grid.length[s] = std::sqrt(dx * dx + dy * dy);
        for (int r = 0; r < grid.points; ++r) {
            if (r != p && r != q &&
                DistanceToSegment(x(r), y(r), x(p), y(p), x(q), y(q)) < ThroughDistance) {
                grid.runsThrough[s] |= std::uint32_t{1} << r;
                grid.blockedBy[r].set(static_cast<std::size_t>(s));
            }
        }
    }
    // Proper crossings only: segments that touch or overlap otherwise have a grid point of one
    // on the other, which the through test already forbids.
    for (int s = 0; s < count; ++s) {
        for (int t = s + 1; t < count; ++t) {
            const auto [a, b] = ends[s];
            const auto [c, d] = ends[t];
            if (a == c || a == d || b == c || b == d) {
                continue;
            }
            const int o1 = Sign(Orientation(x(a), y(a), x(b), y(b), x(c), y(c)));
            const int o2 = Sign(Orientation(x(a), y(a), x(b), y(b), x(d), y(d)));
            const int o3 = Sign(Orientation(x(c), y(c), x(d), y(d), x(a), y(a)));
            const int o4 = Sign(Orientation(x(c), y(c), x(d), y(d), x(b), y(b)));
            if (o1 * o2 < 0 && o3 * o4 < 0) {
                grid.crosses[s].set(static_cast<std::size_t>(t));
                grid.crosses[t].set(static_cast<std::size_t>(s));
            }
        }
    }
    return grid;
}

const Grid& GridOfSide(int side) {
    static const std::array<Grid, MaxSide + 1> grids = [] {
        std::array<Grid, MaxSide + 1> all{};
        for (int s = 1; s <= MaxSide; ++s) {
            all[s] = MakeGrid(s);
        }
        return all;
    }();
    return grids[side];
}

// Depth-first search over the placements, nodes in `order`, grid points in ascending order;
// a partial placement is abandoned as soon as it cannot beat the best complete one.
class PlacementSearch {
public:
    PlacementSearch(const Grid& grid, int nodes, const std::vector<NodePair>& branches, int anchor)
        : grid_(grid), nodes_(nodes) {
        for (const auto& [a, b] : branches) {
            adjacent_[a][b] = adjacent_[b][a] = true;
        }
        ChooseOrder(anchor);
        FindTwins(anchor);
        place_.fill(-1);
    }

    // Without `crossingsAllowed`, only placements without crossings are searched. Otherwise the
    // search keeps the best placement found so far and abandons every partial placement that
    // cannot beat it. Nothing when no placement keeps the branches clear of the nodes.
    std::optional<NetworkLayout> Run(bool crossingsAllowed) {
        limit_ = crossingsAllowed ? std::numeric_limits<int>::max() : 0;
        Place(0, 0, 0, 0.0, 0, SegmentSet{}); // the anchor at the top left corner, point 0
        if (!found_) {
            return std::nullopt;
        }
        NetworkLayout layout;
        layout.crossings = limit_;
        for (int i = 0; i < nodes_; ++i) {
            layout.places.push_back({best_[i] % grid_.side, best_[i] / grid_.side});
        }
        return layout;
    }

private:
    void ChooseOrder(int anchor) {
        // Each next node the one most connected to the nodes already ordered, then the one with
        // most branches, then the lowest number: its branches are checked as early as possible.
        std::array<bool, MaxNodes> taken{};
        order_[0] = anchor;
        taken[anchor] = true;
        for (int k = 1; k < nodes_; ++k) {
            int chosen = -1;
            int chosenLinks = -1;
            int chosenDegree = -1;
            for (int v = 0; v < nodes_; ++v) {
                if (taken[v]) {
                    continue;
                }
                int links = 0;
                int degree = 0;
                for (int u = 0; u < nodes_; ++u) {
                    degree += adjacent_[v][u] ? 1 : 0;
                    links += (adjacent_[v][u] && taken[u]) ? 1 : 0;
                }
                if (links > chosenLinks || (links == chosenLinks && degree > chosenDegree)) {
                    chosen = v;
                    chosenLinks = links;
                    chosenDegree = degree;
                }
            }
            order_[k] = chosen;
            taken[chosen] = true;
        }
        for (int k = 0; k < nodes_; ++k) {
            const int v = order_[k];
            for (int m = 0; m < k; ++m) {
                if (adjacent_[v][order_[m]]) {
                    earlier_[k].push_back(order_[m]);
                }
            }
            edgesAfter_[k] = 0;
        }
        for (int k = nodes_ - 1; k > 0; --k) {
            edgesAfter_[k - 1] = edgesAfter_[k] + static_cast<int>(earlier_[k].size());
        }
    }

    // Two nodes other than the anchor with the same neighbours (apart from each other) can swap
    // places without changing the drawing's cost: only the placements with the lower-numbered
    // twin on the lower grid point are searched.
    void FindTwins(int anchor) {
        for (int u = 0; u < nodes_; ++u) {
            for (int v = u + 1; v < nodes_; ++v) {
                if (u == anchor || v == anchor) {
                    continue;
                }
                bool same = true;
                for (int w = 0; w < nodes_ && same; ++w) {
                    same = w == u || w == v || adjacent_[u][w] == adjacent_[v][w];
                }
                twin_[u][v] = twin_[v][u] = same;
            }
        }
    }

    bool TwinOrderHolds(int v, int point) const {
        for (int u = 0; u < nodes_; ++u) {
            if (twin_[v][u] && place_[u] >= 0 && ((u < v) != (place_[u] < point))) {
                return false;
            }
        }
        return true;
    }

    // The grid is symmetric about its diagonal through the anchor: unless twins are about
    // (whose order already picks one of two mirror images), the node placed after the anchor
    // goes on or above the diagonal only.
    bool MirrorOrderHolds(int v, int point) const {
        for (int u = 0; u < nodes_; ++u) {
            if (twin_[v][u]) {
                return true;
            }
        }
        return point % grid_.side >= point / grid_.side;
    }

    void Place(int k, int point, std::uint32_t occupied, double length, int crossings,
               SegmentSet used) {
        const int v = order_[k];
        if ((grid_.blockedBy[point] & used).any()) {
            return; // the point lies on a branch already drawn
        }
        for (int u : earlier_[k]) {
            const int s = grid_.segment[point][place_[u]];
            if ((grid_.runsThrough[s] & occupied) != 0) {
                return;
            }
            crossings += static_cast<int>((grid_.crosses[s] & used).count());
            length += grid_.length[s];
            used.set(static_cast<std::size_t>(s));
        }
        if (crossings > limit_ || (crossings == limit_ && length + edgesAfter_[k] >= bestLength_)) {
            return;
        }
        place_[v] = point;
        occupied |= std::uint32_t{1} << point;
        if (k + 1 == nodes_) {
            found_ = true;
            limit_ = crossings;
            bestLength_ = length;
            best_ = place_;
        } else {
            const int next = order_[k + 1];
            for (int p = 0; p < grid_.points; ++p) {
                if ((occupied & (std::uint32_t{1} << p)) == 0 && TwinOrderHolds(next, p) &&
                    (k != 0 || MirrorOrderHolds(next, p))) {
                    Place(k + 1, p, occupied, length, crossings, used);
                }
            }
        }
        place_[v] = -1;
    }

    const Grid& grid_;
    int nodes_;
    std::array<std::array<bool, MaxNodes>, MaxNodes> adjacent_{};
    std::array<std::array<bool, MaxNodes>, MaxNodes> twin_{};
    std::array<int, MaxNodes> order_{};
    std::array<std::vector<int>, MaxNodes> earlier_{}; // neighbours placed before order_[k]
    std::array<int, MaxNodes> edgesAfter_{};           // branches still to place after step k
    std::array<int, MaxNodes> place_{};
    std::array<int, MaxNodes> best_{};
    int limit_ = 0; // the crossings of the best placement found, or the most accepted
    bool found_ = false;
    double bestLength_ = std::numeric_limits<double>::infinity();
};

using Adjacency = std::array<unsigned, MaxNodes>; // bit j of entry i: nodes i and j joined

bool Joined(const Adjacency& adjacency, int a, int b) {
    return ((adjacency[a] >> b) & 1u) != 0;
}

// Whether the nodes in `alive` hold K5 or K3,3 with some of their branches.
bool HasKuratowskiSubgraph(const Adjacency& adjacency, unsigned alive) {
    std::array<int, MaxNodes> nodes{};
    int count = 0;
    for (int i = 0; i < MaxNodes; ++i) {
        if (((alive >> i) & 1u) != 0) {
            nodes[count++] = i;
        }
    }
    for (unsigned subset = 0; subset < (1u << count); ++subset) {
        const int size = std::popcount(subset);
        if (size != 5 && size != 6) {
            continue;
        }
        std::array<int, 6> chosen{};
        int k = 0;
        for (int i = 0; i < count; ++i) {
            if (((subset >> i) & 1u) != 0) {
                chosen[k++] = nodes[i];
            }
        }
        if (size == 5) {
            bool complete = true;
            for (int a = 0; a < 5 && complete; ++a) {
                for (int b = a + 1; b < 5 && complete; ++b) {
                    complete = Joined(adjacency, chosen[a], chosen[b]);
                }
            }
            if (complete) {
                return true;
            }
            continue;
        }
        // Every split of the six into two threes, the first node in the first three.
        for (unsigned side = 1; side < 64; side += 2) {
            if (std::popcount(side) != 3) {
                continue;
            }
            bool complete = true;
            for (int a = 0; a < 6 && complete; ++a) {
                for (int b = 0; b < 6 && complete; ++b) {
                    if (((side >> a) & 1u) != 0 && ((side >> b) & 1u) == 0) {
                        complete = Joined(adjacency, chosen[a], chosen[b]);
                    }
                }
            }
            if (complete) {
                return true;
            }
        }
    }
    return false;
}

// Whether K5 or K3,3 is a minor: a subgraph after contracting at most `contractions` branches.
bool HasKuratowskiMinor(const Adjacency& adjacency, unsigned alive, int contractions) {
    if (HasKuratowskiSubgraph(adjacency, alive)) {
        return true;
    }
    if (contractions == 0) {
        return false;
    }
    for (int a = 0; a < MaxNodes; ++a) {
        for (int b = a + 1; b < MaxNodes; ++b) {
            if (((alive >> a) & (alive >> b) & 1u) == 0 || !Joined(adjacency, a, b)) {
                continue;
            }
            Adjacency merged = adjacency; // b contracted into a
            merged[a] = (merged[a] | merged[b]) & ~(1u << a) & ~(1u << b);
            for (int c = 0; c < MaxNodes; ++c) {
                if (Joined(merged, c, b)) {
                    merged[c] = (merged[c] & ~(1u << b)) | (c != a ? 1u << a : 0u);
                }
            }
            merged[b] = 0;
            if (HasKuratowskiMinor(merged, alive & ~(1u << b), contractions - 1)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool IsPlanar(int nodes, const std::vector<NodePair>& branches) {
    const int n = std::clamp(nodes, 0, MaxNodes);
    Adjacency adjacency{};
    for (const auto& [a, b] : branches) {
        if (a != b && a >= 0 && b >= 0 && a < n && b < n) {
            adjacency[a] |= 1u << b;
            adjacency[b] |= 1u << a;
        }
    }
    // With at most seven nodes, K5 is reached by at most two contractions and K3,3 by one.
    return !HasKuratowskiMinor(adjacency, (1u << n) - 1u, std::max(0, n - 5));
}

int LayoutGridSide(int nodes) {
    if (nodes <= 1) {
        return 1;
    }
    if (nodes <= 3) {
        return 2;
    }
    return 4;
}

NetworkLayout LayOutNetwork(int nodes, const std::vector<NodePair>& branches, int anchor) {
    const int n = std::clamp(nodes, 0, MaxNodes);
    if (n == 0) {
        return {};
    }
    std::vector<NodePair> valid;
    for (const auto& [a, b] : branches) {
        if (a != b && a >= 0 && b >= 0 && a < n && b < n) {
            valid.emplace_back(std::min(a, b), std::max(a, b));
        }
    }
    std::sort(valid.begin(), valid.end());
    valid.erase(std::unique(valid.begin(), valid.end()), valid.end());
    // A planar network is drawn without crossings: on the grid of its size when it fits there,
    // else on the next (every planar network of seven nodes or fewer fits on five by five). Any
    // other gets the fewest crossings on the grid of its size, where seven points no three of
    // which lie on a line can be had.
    const int reference = anchor >= 0 && anchor < n ? anchor : 0;
    const bool planar = IsPlanar(n, valid);
    for (int s = LayoutGridSide(n); s <= MaxSide; ++s) {
        if (std::optional<NetworkLayout> layout =
                PlacementSearch(GridOfSide(s), n, valid, reference).Run(!planar)) {
            return *layout;
        }
    }
    return {};
}

int ReferenceNodeOf(const std::vector<int>& nodeTypes) {
    const int n = static_cast<int>(nodeTypes.size());
    for (int i = 0; i < n; ++i) {
        if (nodeTypes[i] == Ed) {
            return i;
        }
    }
    for (int i = 0; i < n; ++i) {
        if (dGiven(nodeTypes[i])) {
            return i;
        }
    }
    return 0;
}

} // namespace nodewise
