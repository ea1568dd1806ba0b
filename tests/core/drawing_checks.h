// Geometry of a drawn network, worked out independently of the layout search: node overlaps,
// branches running through nodes, crossing branches.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace nodewise::testing {

struct Point {
    double x;
    double y;
};

inline double Cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

inline double SegmentDistance(Point p, Point a, Point b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// Whether the open segments a-b and c-d cross (touching at an end does not count).
inline bool SegmentsCross(Point a, Point b, Point c, Point d) {
    const double d1 = Cross(a, b, c);
    const double d2 = Cross(a, b, d);
    const double d3 = Cross(c, d, a);
    const double d4 = Cross(c, d, b);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

struct DrawingFaults {
    std::vector<std::string> problems; // overlaps and branches through nodes, described
    int crossings = 0;
};

// `centres` of nodes of radius `radius`; `branches` as node pairs. A branch runs through a node
// when it passes the node's centre closer than `clearance`.
inline DrawingFaults CheckDrawing(const std::vector<Point>& centres, double radius,
                                  const std::vector<std::pair<int, int>>& branches,
                                  double clearance) {
    DrawingFaults faults;
    const int n = static_cast<int>(centres.size());
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (std::hypot(centres[i].x - centres[j].x, centres[i].y - centres[j].y) <
                2.0 * radius) {
                faults.problems.push_back("nodes " + std::to_string(i + 1) + " and " +
                                          std::to_string(j + 1) + " overlap");
            }
        }
    }
    for (const auto& [a, b] : branches) {
        for (int k = 0; k < n; ++k) {
            if (k != a && k != b &&
                SegmentDistance(centres[k], centres[a], centres[b]) < clearance) {
                faults.problems.push_back("branch " + std::to_string(a + 1) + "-" +
                                          std::to_string(b + 1) + " runs through node " +
                                          std::to_string(k + 1));
            }
        }
    }
    for (std::size_t s = 0; s < branches.size(); ++s) {
        for (std::size_t t = s + 1; t < branches.size(); ++t) {
            const auto [a, b] = branches[s];
            const auto [c, d] = branches[t];
            if (a != c && a != d && b != c && b != d &&
                SegmentsCross(centres[a], centres[b], centres[c], centres[d])) {
                ++faults.crossings;
            }
        }
    }
    return faults;
}

} // namespace nodewise::testing
