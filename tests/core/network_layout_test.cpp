// The layout of the network drawing: every maximal planar network of up to seven nodes, with
// each node as the reference, drawn without crossings; the non-planar ones with the fewest
// crossings the grid allows (found here by brute force); always deterministic, nodes apart and
// no branch through a node.
#include <algorithm>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <set>
#include <vector>

#include "core/drawing/network_layout.h"
#include "core/model/network.h"
#include "drawing_checks.h"

namespace nodewise {
namespace {

using testing::CheckDrawing;
using testing::DrawingFaults;
using testing::Point;

using Face = std::array<int, 3>;
using Edges = std::vector<NodePair>;

Face Sorted(int a, int b, int c) {
    Face f{a, b, c};
    std::sort(f.begin(), f.end());
    return f;
}

bool HasEdge(const Face& f, int a, int b) {
    return std::count(f.begin(), f.end(), a) + std::count(f.begin(), f.end(), b) == 2;
}

int Third(const Face& f, int a, int b) {
    for (int v : f) {
        if (v != a && v != b) {
            return v;
        }
    }
    return -1;
}

Edges EdgesOf(const std::vector<Face>& faces) {
    std::set<NodePair> edges;
    for (const Face& f : faces) {
        edges.insert({f[0], f[1]});
        edges.insert({f[0], f[2]});
        edges.insert({f[1], f[2]});
    }
    return {edges.begin(), edges.end()};
}

// The edge set as a bit mask, the smallest over every renumbering of the nodes.
std::uint64_t CanonicalMask(const Edges& edges, int n) {
    std::vector<int> perm(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        perm[static_cast<std::size_t>(i)] = i;
    }
    std::uint64_t best = ~std::uint64_t{0};
    do {
        std::uint64_t mask = 0;
        for (const auto& [a, b] : edges) {
            const int u = std::min(perm[a], perm[b]);
            const int v = std::max(perm[a], perm[b]);
            mask |= std::uint64_t{1} << (u * MaxNodes + v);
        }
        best = std::min(best, mask);
    } while (std::next_permutation(perm.begin(), perm.end()));
    return best;
}

// Every triangulation of the sphere on n nodes (up to renumbering), by inserting a node of
// degree 3, 4 or 5 into the triangulations on n - 1 nodes: every triangulation has a node of
// degree at most 5, so none is missed.
std::vector<std::vector<Face>> Triangulations(int n) {
    std::vector<std::vector<Face>> level = {
        {Sorted(0, 1, 2), Sorted(0, 1, 3), Sorted(0, 2, 3), Sorted(1, 2, 3)}};
    for (int size = 5; size <= n; ++size) {
        const int v = size - 1;
        std::vector<std::vector<Face>> next;
        std::set<std::uint64_t> seen;
        auto keep = [&](std::vector<Face> faces) {
            if (seen.insert(CanonicalMask(EdgesOf(faces), size)).second) {
                next.push_back(std::move(faces));
            }
        };
        for (const auto& faces : level) {
            for (std::size_t f = 0; f < faces.size(); ++f) { // degree 3
                std::vector<Face> t = faces;
                const Face old = t[f];
                t.erase(t.begin() + static_cast<long>(f));
                t.push_back(Sorted(v, old[0], old[1]));
                t.push_back(Sorted(v, old[1], old[2]));
                t.push_back(Sorted(v, old[0], old[2]));
                keep(t);
            }
            for (int a = 0; a < v; ++a) {
                for (int b = 0; b < v; ++b) {
                    std::vector<std::size_t> ab;
                    for (std::size_t f = 0; f < faces.size(); ++f) {
                        if (a != b && HasEdge(faces[f], a, b)) {
                            ab.push_back(f);
                        }
                    }
                    if (ab.size() != 2) {
                        continue;
                    }
                    const int c = Third(faces[ab[0]], a, b);
                    const int d = Third(faces[ab[1]], a, b);
                    if (a < b) { // degree 4: the edge a-b becomes the node
                        std::vector<Face> t;
                        for (std::size_t f = 0; f < faces.size(); ++f) {
                            if (f != ab[0] && f != ab[1]) {
                                t.push_back(faces[f]);
                            }
                        }
                        for (const auto& [x, y] : {NodePair{a, c}, {c, b}, {b, d}, {d, a}}) {
                            t.push_back(Sorted(v, x, y));
                        }
                        keep(t);
                    }
                    // degree 5: the faces a-b-c, a-b-d and b-d-e become a pentagon c a d e b
                    for (std::size_t g = 0; g < faces.size(); ++g) {
                        if (g == ab[1] || !HasEdge(faces[g], b, d)) {
                            continue;
                        }
                        const int e = Third(faces[g], b, d);
                        if (e == c || e == a) {
                            continue;
                        }
                        std::vector<Face> t;
                        for (std::size_t f = 0; f < faces.size(); ++f) {
                            if (f != ab[0] && f != ab[1] && f != g) {
                                t.push_back(faces[f]);
                            }
                        }
                        for (const auto& [x, y] :
                             {NodePair{c, a}, {a, d}, {d, e}, {e, b}, {b, c}}) {
                            t.push_back(Sorted(v, x, y));
                        }
                        keep(t);
                    }
                }
            }
        }
        level = std::move(next);
    }
    return level;
}

std::vector<Point> Centres(const NetworkLayout& layout) {
    std::vector<Point> centres;
    for (const GridPlace& p : layout.places) {
        centres.push_back({static_cast<double>(p.column), static_cast<double>(p.row)});
    }
    return centres;
}

// The layout's own claims checked against an independent look at the drawing.
DrawingFaults CheckLayout(const NetworkLayout& layout, int n, const Edges& edges, int anchor) {
    EXPECT_EQ(static_cast<int>(layout.places.size()), n);
    if (static_cast<int>(layout.places.size()) != n) {
        return {};
    }
    EXPECT_EQ(layout.places[anchor].column, 0);
    EXPECT_EQ(layout.places[anchor].row, 0);
    const DrawingFaults faults = CheckDrawing(Centres(layout), 0.4, edges, 0.15);
    EXPECT_TRUE(faults.problems.empty()) << faults.problems.front();
    EXPECT_EQ(faults.crossings, layout.crossings);
    return faults;
}

Edges Complete(int n) {
    Edges edges;
    for (int a = 0; a < n; ++a) {
        for (int b = a + 1; b < n; ++b) {
            edges.emplace_back(a, b);
        }
    }
    return edges;
}

TEST(NetworkLayoutTest, DrawsEveryMaximalPlanarNetworkWithoutCrossingsWhateverTheReference) {
    // The counts of triangulations on 4..7 nodes are known: 1, 1, 2, 5.
    const int expectedCounts[] = {1, 1, 2, 5};
    for (int n = 4; n <= MaxNodes; ++n) {
        const auto all = Triangulations(n);
        EXPECT_EQ(static_cast<int>(all.size()), expectedCounts[n - 4]) << n << " nodes";
        for (const auto& faces : all) {
            const Edges edges = EdgesOf(faces);
            ASSERT_EQ(static_cast<int>(edges.size()), 3 * n - 6);
            for (int anchor = 0; anchor < n; ++anchor) {
                const NetworkLayout layout = LayOutNetwork(n, edges, anchor);
                const DrawingFaults faults = CheckLayout(layout, n, edges, anchor);
                EXPECT_EQ(faults.crossings, 0) << n << " nodes, reference " << anchor + 1;
            }
        }
    }
    // Fewer nodes: the triangle, a pair, a lone node.
    for (int n = 1; n <= 3; ++n) {
        const Edges edges = Complete(n);
        const NetworkLayout layout = LayOutNetwork(n, edges, n - 1);
        EXPECT_EQ(CheckLayout(layout, n, edges, n - 1).crossings, 0);
    }
}

// The fewest crossings of the complete network on any `n` points of the four by four grid (where
// the networks that need crossings are drawn) that include the corner and keep every branch clear
// of the other points, by trying every set of points.
int FewestCrossingsOfCompleteNetwork(int n) {
    const int side = 4;
    int best = 1 << 30;
    std::vector<int> chosen = {0};
    auto visit = [&](auto&& self, int next) -> void {
        if (static_cast<int>(chosen.size()) == n) {
            std::vector<Point> centres;
            for (int p : chosen) {
                centres.push_back({static_cast<double>(p % side), static_cast<double>(p / side)});
            }
            const DrawingFaults faults = CheckDrawing(centres, 0.4, Complete(n), 0.15);
            if (faults.problems.empty()) {
                best = std::min(best, faults.crossings);
            }
            return;
        }
        for (int p = next; p < side * side; ++p) {
            chosen.push_back(p);
            self(self, p + 1);
            chosen.pop_back();
        }
    };
    visit(visit, 1);
    return best;
}

// A triangulation is planar and gets non-planar with any branch added; K5 and K3,3 are not
// planar, and neither is any network holding a subdivision of one of them.
TEST(NetworkLayoutTest, TellsPlanarNetworksApart) {
    for (int n = 5; n <= MaxNodes; ++n) {
        for (const auto& faces : Triangulations(n)) {
            const Edges edges = EdgesOf(faces);
            EXPECT_TRUE(IsPlanar(n, edges));
            for (const NodePair& extra : Complete(n)) {
                if (std::find(edges.begin(), edges.end(), extra) == edges.end()) {
                    Edges more = edges;
                    more.push_back(extra);
                    EXPECT_FALSE(IsPlanar(n, more)) << n << " nodes";
                }
            }
        }
    }
    Edges k5 = Complete(5);
    EXPECT_FALSE(IsPlanar(5, k5));
    k5.pop_back();
    EXPECT_TRUE(IsPlanar(5, k5));
    // K3,3 with the branch 0-3 drawn through a seventh node: still not planar.
    const Edges k33 = {{0, 6}, {3, 6}, {0, 4}, {0, 5}, {1, 3},
                       {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}};
    EXPECT_FALSE(IsPlanar(7, k33));
    EXPECT_TRUE(IsPlanar(7, Edges(k33.begin() + 1, k33.end())));
    EXPECT_TRUE(IsPlanar(4, Complete(4)));
    EXPECT_TRUE(IsPlanar(0, {}));
}

TEST(NetworkLayoutTest, DrawsNonPlanarNetworksWithTheFewestCrossings) {
    const Edges k7 = Complete(7);
    const NetworkLayout complete = LayOutNetwork(7, k7, 0);
    CheckLayout(complete, 7, k7, 0);
    EXPECT_EQ(complete.crossings, FewestCrossingsOfCompleteNetwork(7));
    EXPECT_GE(complete.crossings, 9); // the least of any straight drawing of seven nodes

    // K5 and K3,3 need one crossing in any drawing, and one is enough here.
    const Edges k5 = Complete(5);
    EXPECT_EQ(CheckLayout(LayOutNetwork(5, k5, 2), 5, k5, 2).crossings, 1);
    const Edges k33 = {{0, 3}, {0, 4}, {0, 5}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}};
    EXPECT_EQ(CheckLayout(LayOutNetwork(6, k33, 0), 6, k33, 0).crossings, 1);
}

TEST(NetworkLayoutTest, IsDeterministicAndIgnoresTheOrderAndFaultsOfTheBranchList) {
    const Edges ring = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {0, 6}, {2, 5}};
    const NetworkLayout first = LayOutNetwork(7, ring, 0);
    Edges shuffled(ring.rbegin(), ring.rend());
    shuffled.push_back({5, 2});  // the same branch again, reversed
    shuffled.push_back({3, 3});  // a node joined to itself
    shuffled.push_back({1, 9});  // a node that does not exist
    shuffled.push_back({-1, 2}); // nor does this one
    for (const NetworkLayout& again : {LayOutNetwork(7, ring, 0), LayOutNetwork(7, shuffled, 0)}) {
        ASSERT_EQ(again.places.size(), first.places.size());
        for (std::size_t i = 0; i < first.places.size(); ++i) {
            EXPECT_EQ(again.places[i].column, first.places[i].column) << i;
            EXPECT_EQ(again.places[i].row, first.places[i].row) << i;
        }
    }
    CheckLayout(first, 7, ring, 0);
    EXPECT_EQ(first.crossings, 0);
}

TEST(NetworkLayoutTest, PlacesChainsInARowAndUnconnectedNodesApart) {
    // A radial feeder 1-2-3-4 from the reference: the shortest drawing is a straight row.
    const NetworkLayout chain = LayOutNetwork(4, {{0, 1}, {1, 2}, {2, 3}}, 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(chain.places[i].row, 0) << i;
        EXPECT_EQ(chain.places[i].column, i) << i;
    }
    // Two nodes: side by side, the reference at the left.
    const NetworkLayout pair = LayOutNetwork(2, {{0, 1}}, 1);
    EXPECT_EQ(pair.places[1].column, 0);
    EXPECT_EQ(pair.places[0].column, 1);
    EXPECT_EQ(pair.places[0].row, 0);
    // No branch at all: still every node on a place of its own.
    const NetworkLayout none = LayOutNetwork(7, {}, 3);
    CheckLayout(none, 7, {}, 3);
    EXPECT_TRUE(LayOutNetwork(0, {}, 0).places.empty());
    EXPECT_EQ(LayOutNetwork(9, {}, 0).places.size(), static_cast<std::size_t>(MaxNodes));
}

TEST(NetworkLayoutTest, PutsTheReferenceNodeFirstAmongEdThenPhaseGivenNodes) {
    struct Case {
        std::vector<int> types;
        int reference;
    } cases[] = {
        {{PQ, Ed, PE}, 1}, {{PQ, Ed, Ed}, 1}, {{PQ, Qd, Pd}, 1}, {{PQ, PE, QE, PQ}, 0}, {{}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReferenceNodeOf(c.types), c.reference);
    }
}

} // namespace
} // namespace nodewise
