// The network drawing as others read it: `nodewise-cli diagram` on every example network and on
// MATPOWER cases, its SVG parsed and held against `nodewise-cli report` at the same iterate (the
// groups, the values, the labels, the geometry, the viewBox); the statuses of the command; the
// number texts.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "core/analysis/power_balance.h"
#include "core/drawing/network_diagram.h"
#include "core/drawing/network_diagram_svg.h"
#include "core/input/acquisition.h"
#include "drawing_checks.h"
#include "solver_fixture.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// Just enough XML for the drawing: elements, attributes, text; no comments or CDATA.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<Element>> children;
    std::string text;

    std::vector<const Element*> All(const std::string& tag, const std::string& cls = "") const {
        std::vector<const Element*> found;
        for (const auto& child : children) {
            if (child->name == tag && (cls.empty() || child->Attr("class") == cls)) {
                found.push_back(child.get());
            }
            for (const Element* deeper : child->All(tag, cls)) {
                found.push_back(deeper);
            }
        }
        return found;
    }
    std::string Attr(const std::string& key) const {
        const auto it = attributes.find(key);
        return it == attributes.end() ? "" : it->second;
    }
    double Number(const std::string& key) const {
        const std::string value = Attr(key);
        EXPECT_FALSE(value.empty()) << name << " has no " << key;
        return value.empty() ? NAN : std::stod(value);
    }
};

std::string Unescape(std::string s) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities) {
        for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1)) {
            s.replace(at, std::strlen(from), to);
        }
    }
    return s;
}

std::unique_ptr<Element> ParseXml(const std::string& xml) {
    auto root = std::make_unique<Element>();
    std::vector<Element*> open = {root.get()};
    std::size_t i = 0;
    while (i < xml.size()) {
        if (xml[i] != '<') {
            const std::size_t next = xml.find('<', i);
            open.back()->text += Unescape(xml.substr(i, next - i));
            i = next == std::string::npos ? xml.size() : next;
            continue;
        }
        const std::size_t end = xml.find('>', i);
        if (end == std::string::npos) {
            ADD_FAILURE() << "unterminated tag";
            break;
        }
        std::string tag = xml.substr(i + 1, end - i - 1);
        i = end + 1;
        if (tag.empty() || tag[0] == '?') {
            continue;
        }
        if (tag[0] == '/') {
            EXPECT_EQ(open.back()->name, tag.substr(1)) << "mismatched end tag";
            if (open.size() > 1) {
                open.pop_back();
            }
            continue;
        }
        const bool selfClosing = tag.back() == '/';
        if (selfClosing) {
            tag.pop_back();
        }
        auto element = std::make_unique<Element>();
        std::istringstream in(tag);
        in >> element->name;
        std::size_t at = element->name.size();
        while (true) {
            const std::size_t equals = tag.find("=\"", at);
            if (equals == std::string::npos) {
                break;
            }
            const std::size_t close = tag.find('"', equals + 2);
            std::string key = tag.substr(at, equals - at);
            key.erase(0, key.find_first_not_of(' '));
            element->attributes[key] = Unescape(tag.substr(equals + 2, close - equals - 2));
            at = close + 1;
        }
        Element* raw = element.get();
        open.back()->children.push_back(std::move(element));
        if (!selfClosing) {
            open.push_back(raw);
        }
    }
    EXPECT_EQ(open.size(), 1u) << "unclosed elements";
    return root;
}

// Independent of the program's formatting: printf in the C locale.
std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

std::string Power(double P, double Q) {
    const std::string q = Fixed(Q, 3);
    return Fixed(P, 3) + (q[0] == '-' ? " - j" + q.substr(1) : " + j" + q);
}

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

class DiagramCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("nodewise-diagram-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string Quote(const std::string& s) {
        std::string q = "'";
        for (char c : s) {
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return q + "'";
    }

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    CliResult Run(const std::vector<std::string>& args, const char* locale = "C") {
        std::string command = std::string("LC_ALL=") + locale + " " + NODEWISE_CLI_PATH;
        for (const std::string& a : args) {
            command += " " + Quote(a);
        }
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
    }

    std::string Network(const CellTexts& cells, const std::string& name = "net.nwd") {
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(WriteNetworkFile(path, cells));
        return path;
    }

    // Checks the SVG of `network` at iterate `entry` of `method` (of `iterations` in all)
    // against the report of a run of `entry` iterations: the same iterate.
    void CheckAgainstReport(const std::string& network, const std::string& method, int entry,
                            int iterations) {
        SCOPED_TRACE(network + ", " + method + ", iterate " + std::to_string(entry));
        const CliResult diagram =
            Run({"diagram", network, "--method", method, "--iterations", std::to_string(iterations),
                 "--iteration", std::to_string(entry)},
                "it_IT.UTF-8");
        ASSERT_EQ(diagram.status, 0) << diagram.err;
        const CliResult report =
            Run({"report", network, "--method", method, "--iterations", std::to_string(entry)});
        ASSERT_EQ(report.status, 0) << report.err;
        const Json json = Json::parse(report.out);
        const std::unique_ptr<Element> doc = ParseXml(diagram.out);
        const std::vector<const Element*> svgs = doc->All("svg");
        ASSERT_EQ(svgs.size(), 1u);
        const Element& svg = *svgs[0];

        std::istringstream viewBox(svg.Attr("viewBox"));
        double left = 0, top = 0, width = 0, height = 0;
        viewBox >> left >> top >> width >> height;
        ASSERT_TRUE(viewBox) << svg.Attr("viewBox");
        auto inside = [&](double x, double y, const std::string& what) {
            EXPECT_TRUE(x >= left && x <= left + width && y >= top && y <= top + height)
                << what << " at " << x << ", " << y << " outside " << svg.Attr("viewBox");
        };

        const auto nodes = svg.All("g", "node");
        ASSERT_EQ(nodes.size(), json["nodes"].size());
        std::vector<testing::Point> centres(nodes.size());
        double radius = 0.0;
        for (const Element* g : nodes) {
            const int n = std::stoi(g->Attr("data-node"));
            ASSERT_TRUE(n >= 1 && n <= static_cast<int>(nodes.size()));
            const Json& row = json["nodes"][static_cast<std::size_t>(n - 1)];
            EXPECT_EQ(g->Attr("data-type"), row["type"]);
            EXPECT_EQ(g->Number("data-e"), row["E"].get<double>());
            EXPECT_EQ(g->Number("data-d"), row["d"].get<double>());
            EXPECT_EQ(g->Number("data-p"), row["P"].get<double>());
            EXPECT_EQ(g->Number("data-q"), row["Q"].get<double>());
            const auto circles = g->All("circle");
            ASSERT_EQ(circles.size(), 1u);
            centres[static_cast<std::size_t>(n - 1)] = {circles[0]->Number("cx"),
                                                        circles[0]->Number("cy")};
            radius = circles[0]->Number("r");
            inside(centres[n - 1].x - radius, centres[n - 1].y - radius, "node");
            inside(centres[n - 1].x + radius, centres[n - 1].y + radius, "node");
            std::vector<std::string> texts;
            for (const Element* t : g->All("text")) {
                texts.push_back(t->text);
                inside(t->Number("x"), t->Number("y"), "label " + t->text);
            }
            const std::vector<std::string> expected = {
                std::to_string(n), row["type"].get<std::string>(),
                "E = " + Fixed(row["E"].get<double>(), 4),
                "d = " + Fixed(row["d"].get<double>(), 2) + "\u00B0"};
            for (const std::string& e : expected) {
                EXPECT_NE(std::find(texts.begin(), texts.end(), e), texts.end()) << e;
            }
            const auto injections = g->All("g", "injection");
            const double P = row["P"].get<double>();
            const double Q = row["Q"].get<double>();
            if (Fixed(P, 3) != "0.000" || Fixed(Q, 3) != "0.000") {
                ASSERT_EQ(injections.size(), 1u) << "node " << n;
                EXPECT_EQ(injections[0]->All("text")[0]->text, Power(P, Q));
            } else {
                EXPECT_TRUE(injections.empty());
            }
        }

        const auto branches = svg.All("g", "branch");
        ASSERT_EQ(branches.size(), json["branches"].size());
        std::vector<std::pair<int, int>> pairs;
        for (std::size_t b = 0; b < branches.size(); ++b) {
            const Element& g = *branches[b];
            const Json& row = json["branches"][b];
            const int from = std::stoi(g.Attr("data-from"));
            const int to = std::stoi(g.Attr("data-to"));
            EXPECT_LT(from, to);
            EXPECT_EQ(from, row["from"].get<int>());
            EXPECT_EQ(to, row["to"].get<int>());
            pairs.emplace_back(from - 1, to - 1);
            for (const char* key : {"P_from", "Q_from", "P_to", "Q_to", "P_loss", "Q_loss"}) {
                std::string attribute = std::string("data-") + key;
                std::transform(attribute.begin(), attribute.end(), attribute.begin(),
                               [](char c) { return c == '_' ? '-' : std::tolower(c); });
                EXPECT_EQ(g.Number(attribute), row[key].get<double>()) << key;
            }
            const auto lines = g.All("line");
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NEAR(lines[0]->Number("x1"), centres[from - 1].x, 0.01);
            EXPECT_NEAR(lines[0]->Number("y1"), centres[from - 1].y, 0.01);
            EXPECT_NEAR(lines[0]->Number("x2"), centres[to - 1].x, 0.01);
            EXPECT_NEAR(lines[0]->Number("y2"), centres[to - 1].y, 0.01);
            const auto texts = g.All("text");
            ASSERT_EQ(texts.size(), 2u);
            EXPECT_EQ(texts[0]->text,
                      Power(row["P_from"].get<double>(), row["Q_from"].get<double>()));
            EXPECT_EQ(texts[1]->text, Power(row["P_to"].get<double>(), row["Q_to"].get<double>()));
            for (const Element* t : texts) {
                inside(t->Number("x"), t->Number("y"), "flow " + t->text);
            }
            const auto titles = g.All("title");
            ASSERT_EQ(titles.size(), 1u);
            EXPECT_NE(titles[0]->text.find("perdite P = " + Fixed(row["P_loss"].get<double>(), 5) +
                                           " pu, Q = " + Fixed(row["Q_loss"].get<double>(), 5)),
                      std::string::npos)
                << titles[0]->text;
        }

        const auto shunts = svg.All("g", "shunt");
        ASSERT_EQ(shunts.size(), json["shunts"].size());
        for (std::size_t s = 0; s < shunts.size(); ++s) {
            EXPECT_EQ(std::stoi(shunts[s]->Attr("data-node")), json["shunts"][s]["node"]);
            EXPECT_EQ(shunts[s]->Number("data-q"), json["shunts"][s]["Q"].get<double>());
            EXPECT_GE(shunts[s]->All("line").size(), 2u);
        }

        // No overlap, no branch through a node, and these networks need no crossing.
        const testing::DrawingFaults faults =
            testing::CheckDrawing(centres, radius, pairs, radius + 20.0);
        EXPECT_TRUE(faults.problems.empty()) << faults.problems.front();
        EXPECT_EQ(faults.crossings, 0);
        // The reference node at the top left.
        int reference = 0;
        while (reference < static_cast<int>(nodes.size()) &&
               json["nodes"][static_cast<std::size_t>(reference)]["type"] != "Ed") {
            ++reference;
        }
        ASSERT_LT(reference, static_cast<int>(nodes.size()));
        for (const testing::Point& c : centres) {
            EXPECT_GE(c.x, centres[reference].x);
            EXPECT_GE(c.y, centres[reference].y);
        }
    }

    fs::path dir_;
};

TEST_F(DiagramCliTest, DrawsEveryExampleWithTheNumbersOfTheReport) {
    for (const char* example :
         {"two-node.nwd", "saadat-3bus-pq.nwd", "saadat-3bus-pv.nwd", "grainger-stevenson-4bus.nwd",
          "stagg-5bus.nwd", "stagg-5bus-pd-qe.nwd", "glover-sarma-5bus.nwd"}) {
        const std::string network = std::string(NODEWISE_SOURCE_DIR) + "/examples/" + example;
        CheckAgainstReport(network, "newton", 6, 6);
        CheckAgainstReport(network, "gauss", 2, 30); // an iterate on the way
        CheckAgainstReport(network, "stott", 1, 4);
    }
}

TEST_F(DiagramCliTest, DrawsMatpowerCasesWithTheNumbersOfTheReport) {
    for (const char* name : {"grainger_stevenson_4bus.m", "glover_sarma_5bus_taps.m"}) {
        const std::string network = (dir_ / (std::string(name) + ".nwd")).string();
        const CliResult imported =
            Run({"import", std::string(NODEWISE_SOURCE_DIR) + "/fuzz/corpus/matpower_case/" + name,
                 "--output", network});
        ASSERT_EQ(imported.status, 0) << imported.err;
        CheckAgainstReport(network, "newton", 5, 8);
        CheckAgainstReport(network, "gauss", 12, 12);
    }
}

TEST_F(DiagramCliTest, WritesTheFileAndHasTheStatusesOfReport) {
    const std::string net = Network(testing::TwoNodeNetwork());
    const std::string file = (dir_ / "net.svg").string();
    const CliResult written = Run({"diagram", net, "--method=newton", "--output", file});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "");
    const CliResult shown = Run({"diagram", net, "--method", "newton", "--iteration", "20"});
    EXPECT_EQ(Slurp(file), shown.out); // the last of the default 20 iterations
    EXPECT_NE(shown.out.find("Newton-Raphson, iterazione 20 di 20"), std::string::npos);

    CellTexts pd = testing::TwoNodeNetwork(); // node 2 Pd, no QE node: Stott-Alsac refuses
    pd.Data[3][1] = "";
    pd.Data[1][1] = "-3";
    CellTexts fault = testing::TwoNodeNetwork();
    fault.Admittance[1][1] = "0";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err; // its start
    } cases[] = {
        {{"diagram", net}, 1, "nodewise-cli: diagram needs --method"},
        {{"diagram", net, "--method", "euler"}, 1, "nodewise-cli: unknown method 'euler'"},
        {{"diagram", net, "--method", "gauss", "--iteration", "-1"}, 1, "nodewise-cli: invalid"},
        {{"diagram", net, "--method", "gauss", "--iteration", "2x"}, 1, "nodewise-cli: invalid"},
        {{"diagram", net, "--method", "gauss", "--iterations", "5", "--iteration", "6"},
         1,
         "nodewise-cli: iteration 6 is past the last one (5)"},
        {{"diagram", net, "--method", "gauss", "--tolerance", "1"}, 1, "nodewise-cli: unknown"},
        {{"diagram", (dir_ / "none.nwd").string(), "--method", "gauss"}, 1, "Errore: "},
        {{"diagram", net, "--method", "gauss", "--iterations", "abc"}, 2, "Attenzione:"},
        {{"diagram", Network(fault, "fault.nwd"), "--method", "gauss"}, 3, "Nodewise: "},
        {{"diagram", Network(pd, "pd.nwd"), "--method", "stott"}, 4, "Attenzione:"},
        {{"diagram", net, "--method", "gauss", "--output", (dir_ / "no" / "n.svg").string()},
         1,
         "Errore: Errore salvataggio in .svg\nnodewise-cli: " + (dir_ / "no" / "n.svg").string() +
             ": No such file or directory\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back() << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.args.back();
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args.back();
    }
    EXPECT_NE(Run({"--help"}).out.find("nodewise-cli diagram NETWORK.nwd"), std::string::npos);
}

TEST(NetworkDiagramTest, WritesNumbersWithTheSeparatorAskedAndNeverMinusZero) {
    const struct {
        double value;
        int decimals;
        const char* separator;
        const char* text;
    } rows[] = {
        {0.51279, 3, ".", "0.513"},      {-0.00049, 3, ".", "0.000"},
        {-0.0005001, 3, ".", "-0.001"},  {1.0, 4, ",", "1,0000"},
        {-5.43645, 2, ",", "-5,44"},     {12.5, 2, "\u066B", "12\u066B50"},
        {1e12, 3, ".", "1000000000000"}, {NAN, 3, ".", "NAN"},
        {-INFINITY, 2, ",", "-INF"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FixedText(row.value, row.decimals, row.separator), row.text) << row.value;
    }
    EXPECT_EQ(PowerText(0.5, -0.2, ","), "0,500 - j0,200");
    EXPECT_EQ(PowerText(-0.5, -0.0001, "."), "-0.500 + j0.000");
}

TEST(NetworkDiagramTest, ColoursTheNodesByTheirDistanceFromOnePerUnit) {
    EXPECT_EQ(VoltageColour(1.0), VoltageColour(0.98));
    EXPECT_EQ(VoltageColour(1.02), VoltageColour(1.0));
    EXPECT_NE(VoltageColour(1.03), VoltageColour(1.0));
    EXPECT_EQ(VoltageColour(1.03), VoltageColour(0.951));
    EXPECT_NE(VoltageColour(0.93), VoltageColour(0.96));
    EXPECT_NE(VoltageColour(0.85), VoltageColour(0.93));
    EXPECT_EQ(VoltageColour(0.85), VoltageColour(NAN));
}

// The window's drawing: the same groups with the locale's separator in every number, and the
// layout follows the centres it is given (a node dragged elsewhere).
TEST(NetworkDiagramTest, UsesTheSeparatorGivenAndTheCentresGiven) {
    testing::Workbench bench;
    ASSERT_FALSE(bench.Acquire("5", testing::ExampleNetwork("stagg-5bus.nwd")).has_value());
    bench.Iterate(Method::Newton);
    const PowerBalance balance = bench.ComputePowerBalance(Method::Newton);
    std::vector<DiagramPoint> centres = LayoutCentres(LayOutAcquiredNetwork(bench.net));
    ASSERT_EQ(centres.size(), 5u);
    centres[2] = {900.0, -400.0};
    const NetworkDiagram diagram = BuildNetworkDiagram(balance, centres, ",", "prova");
    EXPECT_EQ(diagram.nodes[2].centre.x, 900.0);
    EXPECT_LE(diagram.top, -400.0 - DiagramNodeRadius);
    EXPECT_GE(diagram.left + diagram.width, 900.0 + DiagramNodeRadius);
    for (const DiagramNode& node : diagram.nodes) {
        for (const DiagramText& text : node.labels) {
            EXPECT_EQ(text.text.find('.'), std::string::npos) << text.text;
        }
    }
    for (const DiagramBranch& branch : diagram.branches) {
        EXPECT_NE(branch.fromLabel.text.find(','), std::string::npos);
        if (branch.flow.from == 2 || branch.flow.to == 2) {
            const DiagramPoint end = branch.flow.from == 2 ? branch.from : branch.to;
            EXPECT_EQ(end.x, 900.0);
            EXPECT_EQ(end.y, -400.0);
        }
    }
    const std::string svg = NetworkDiagramSvg(diagram);
    EXPECT_NE(svg.find("<title>Schema della rete - prova</title>"), std::string::npos);
}

} // namespace
} // namespace nodewise
