#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include "core/analysis/power_balance.h"
#include "core/analysis/tolerance.h"
#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "solver_fixture.h"
#include "test_support.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("nodewise-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Network(const CellTexts& cells, const std::string& name = "net.nwd") {
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(WriteNetworkFile(path, cells));
        return path;
    }

    static std::string Quote(const std::string& s) {
        std::string q = "'";
        for (char c : s) {
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return q + "'";
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

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
};

TEST_F(CliTest, SummaryPrintsOneTabSeparatedLinePerNode) {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Data[1][0] = "-12,5";
    const std::string net = Network(cells);
    for (const char* locale : {"C", "it_IT.UTF-8"}) {
        const CliResult r = Run({"summary", net}, locale);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "1\tEd\t1\t-12.5\t0\t0\n2\tPQ\t1\t0\t-0.5\t-0.2\n") << locale;
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(CliTest, RejectedAcquisitionPrintsTheWarningAndExitsTwo) {
    const std::string net = Network(testing::TwoNodeNetwork());
    CliResult r = Run({"summary", net, "--iterations", "-5"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Attenzione: Un numero di iterazioni negativo non ha senso.\n");

    r = Run({"summary", net, "--iterations=1000"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Attenzione: La memoria \xC3\xA8 allocata per un numero massimo di "
                     "iterazioni pari a 1000\n");

    r = Run({"summary", net, "--iterations", ""});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Attenzione: Devi inserire il numero di iterazioni.\n");

    CellTexts cells = testing::TwoNodeNetwork();
    cells.Data[0][1] = "1";
    r = Run({"summary", Network(cells, "three.nwd")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Attenzione: Controlla i dati in ingresso: rilevati tipi di nodo non "
                     "previsti.\n");
}

TEST_F(CliTest, UsageAndFileErrorsExitOne) {
    const std::string net = Network(testing::TwoNodeNetwork());
    EXPECT_EQ(Run({}).status, 1);
    EXPECT_EQ(Run({"frobnicate", net}).status, 1);
    EXPECT_EQ(Run({"summary"}).status, 1);
    EXPECT_EQ(Run({"summary", net, "extra"}).status, 1);
    EXPECT_EQ(Run({"summary", net, "--iterations"}).status, 1);
    EXPECT_EQ(Run({"summary", net, "--method", "gauss"}).status, 1);
    EXPECT_EQ(Run({"solve", net}).status, 1);
    EXPECT_EQ(Run({"solve", net, "--method", "jacobi"}).status, 1);
    EXPECT_EQ(Run({"solve", net, "--method", "gauss", "--format", "xml"}).status, 1);
    EXPECT_EQ(Run({"--help"}).status, 0);

    const CliResult missing = Run({"summary", (dir_ / "missing.nwd").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Errore: Impossibile portare a termine la lettura.\n");
    EXPECT_EQ(Run({"summary", dir_.string()}).status, 1);
}

TEST_F(CliTest, SolveWritesTheExportOfTheRun) {
    const std::string net = Network(testing::TwoNodeNetwork());
    const CliResult csv = Run({"solve", net, "--method", "gauss", "--iterations", "3"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.rfind("Risultati calcolo Gauss,,,\n,,,\niterazione,nodo,E,d(gradi)\n", 0),
              0u);
    EXPECT_NE(csv.out.find("\n1,2,0.94645086019784,-5.363069420\n"), std::string::npos) << csv.out;
    EXPECT_NE(csv.out.find("\n3,2,0.93389810374005,-5.435371341\n,,,\n"), std::string::npos);
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 3 + 4 * 3);

    // the same bytes through --output, whatever the locale
    const std::string file = (dir_ / "out.html").string();
    const CliResult html = Run({"solve", net, "--method", "newton", "--format", "html", "--output",
                                file, "--iterations", "4"},
                               "it_IT.UTF-8");
    EXPECT_EQ(html.status, 0) << html.err;
    EXPECT_EQ(html.out, "");
    const CliResult again =
        Run({"solve", net, "--method", "newton", "--format", "html", "--iterations", "4"});
    EXPECT_EQ(Slurp(file), again.out);
    EXPECT_EQ(again.out.rfind("<html><head><title>Risultati calcolo Newton</title>", 0), 0u);
}

TEST_F(CliTest, MethodConditionRefusesStottAndWarnsNewton) {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Data[3][1] = "";
    cells.Data[1][1] = "-3"; // node 2 becomes Pd, with no QE node
    const std::string net = Network(cells);
    const std::string warning =
        "Attenzione: Impossibile applicare questo metodo: consultare la documentazione.\n";

    const CliResult stott = Run({"solve", net, "--method", "stott"});
    EXPECT_EQ(stott.status, 4);
    EXPECT_EQ(stott.out, "");
    EXPECT_EQ(stott.err, warning);

    const CliResult newton = Run({"solve", net, "--method", "newton", "--iterations", "2"});
    EXPECT_EQ(newton.status, 0);
    EXPECT_EQ(newton.err, warning);
    EXPECT_NE(newton.out.find("\n2,2,"), std::string::npos);

    const CliResult gauss = Run({"solve", net, "--method", "gauss", "--iterations", "2"});
    EXPECT_EQ(gauss.status, 0);
    EXPECT_EQ(gauss.err, "");
}

TEST_F(CliTest, ArithmeticFaultExitsThreeAndWritesNothing) {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Admittance[1][1] = "0"; // |Y22| = 0: Gauss-Seidel divides by it
    const std::string net = Network(cells);
    const std::string file = (dir_ / "fault.csv").string();
    const CliResult r = Run({"solve", net, "--method", "gauss", "--output", file});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err == "Nodewise: division by zero\n" || r.err == "Nodewise: invalid operation\n")
        << r.err;
    EXPECT_FALSE(fs::exists(file));
}

// A run that goes on past failed inversions completes with status 5; a matrix of order zero is
// no inversion at all; a failed write stays status 1.
TEST_F(CliTest, FailedInversionsEndTheRunWithStatusFive) {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Admittance[1][0] = ""; // node 2 cut off: the Jacobian is singular at the start
    const std::string net = Network(cells);
    const CliResult r = Run({"solve", net, "--method", "newton", "--iterations", "2"});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.err, "Attenzione: Il nodo 2 non \xC3\xA8 collegato al nodo di saldo 1.\n"
                     "Errore: Impossibile invertire la Matrice.\n"
                     "Errore: Impossibile invertire la Matrice.\n");
    EXPECT_NE(r.out.find("\n2,2,1.00000000000000,0.000000000\n"), std::string::npos) << r.out;
    cells = testing::TwoNodeNetwork();
    cells.Data[0][1] = "1"; // two Ed nodes: nothing for Newton-Raphson to invert
    cells.Data[1][1] = "0";
    cells.Data[2][1] = cells.Data[3][1] = "";
    const std::string slacks = Network(cells, "slacks.nwd");
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"step", net, "--method", "newton", "--iteration", "1"}, 5}, // "failed" in its JSON
        {{"solve", net, "--method", "newton", "--output", (dir_ / "no" / "x").string()}, 1},
        {{"solve", slacks, "--method", "newton"}, 0},
    };
    for (const auto& [args, status] : cases) {
        EXPECT_EQ(Run(args).status, status) << args[0] << " " << args[1];
    }
}

// Unread cell text is listed before anything else, nodes cut off named after the acquisition;
// --strict refuses either in every command that acquires, and changes nothing else.
TEST_F(CliTest, UnreadTextAndCutOffNodesAreToldAndRefusedUnderStrict) {
    const std::string clean = Network(testing::TwoNodeNetwork(), "clean.nwd");
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Admittance[1][0] = "-1+5j x";
    cells.Data[2][1] = "-0,5 pu";
    const std::string unread = Network(cells, "unread.nwd");
    const std::string unreadLines = "Y1,2: letto -1+5j, testo non usato \xC2\xABx\xC2\xBB\n"
                                    "P2: letto -0.5, testo non usato \xC2\xABpu\xC2\xBB\n";
    cells = testing::TwoNodeNetwork();
    cells.Admittance[1][0] = "0";
    const std::string cutOff = Network(cells, "cut.nwd");
    const std::string cutOffLine =
        "Attenzione: Il nodo 2 non \xC3\xA8 collegato al nodo di saldo 1.\n";
    const CliResult told = Run({"summary", unread});
    EXPECT_EQ(told.status, 0);
    EXPECT_EQ(told.err, unreadLines);
    const std::vector<std::string> commands[] = {{"summary"},
                                                 {"solve", "--method", "gauss"},
                                                 {"report", "--method", "newton"},
                                                 {"step", "--method", "stott", "--iteration", "1"},
                                                 {"diagram", "--method", "gauss"},
                                                 {"export-matpower"}};
    for (const std::vector<std::string>& command : commands) {
        for (const auto& [net, err] :
             {std::pair{unread, unreadLines}, {cutOff, cutOffLine}, {clean, std::string()}}) {
            std::vector<std::string> args = command;
            args.insert(args.begin() + 1, net);
            args.push_back("--strict");
            const CliResult r = Run(args);
            EXPECT_EQ(r.status, net == clean ? 0 : 2) << command[0] << " " << net;
            EXPECT_EQ(r.out.empty(), net != clean) << command[0] << " " << net;
            EXPECT_EQ(r.err, err) << command[0] << " " << net;
        }
    }
    EXPECT_EQ(Run({"summary", clean, "--strict=yes"}).status, 1);
}

TEST_F(CliTest, UnwritableOutputIsReported) {
    const std::string net = Network(testing::TwoNodeNetwork());
    const std::string output = (dir_ / "missing" / "out.csv").string();
    const CliResult r = Run({"solve", net, "--method", "gauss", "--output", output});
    EXPECT_EQ(r.status, 1);
    // the documented line, then the path and the system's reason
    EXPECT_EQ(r.err, "Errore: Errore salvataggio in .csv\nnodewise-cli: " + output +
                         ": No such file or directory\n");
}

TEST_F(CliTest, MalformedFilesNeverCrash) {
    const std::string path = (dir_ / "junk.nwd").string();
    std::string junk;
    for (int i = 0; i < 20000; ++i) {
        junk.push_back(static_cast<char>((i * 131 + 7) & 0xff));
    }
    std::ofstream(path, std::ios::binary) << junk;
    const CliResult r = Run({"summary", path});
    EXPECT_TRUE(r.status == 0 || r.status == 2 || r.status == 3) << r.status << r.err;
    for (const char* method : {"gauss", "newton", "stott"}) {
        const CliResult s = Run({"solve", path, "--method", method});
        EXPECT_TRUE(s.status >= 0 && s.status <= 4) << method << " " << s.status;
    }
}

// The JSON of report: the documented keys in their order, integers where they count, the
// numbers exactly those of the same run in this process, null where nothing is given.
// The calculation options: usage errors, the stopped run as the prefix of the plain one, the
// file's limits only under --q-limits, and a limit the network cannot take refused.
TEST_F(CliTest, CalculationOptionsStopAccelerateAndHoldAtTheFilesLimits) {
    std::string withLimits = Slurp(fs::path(NODEWISE_SOURCE_DIR) / "examples/saadat-3bus-pv.nwd");
    const std::string pv = (dir_ / "pv.nwd").string();
    const std::string pq = (dir_ / "pq.nwd").string();
    std::ofstream(pv, std::ios::binary)
        << withLimits << "[Nodewise 1]\n[opzioni]\nlimiti_q=3\t\t1.2\n";
    std::ofstream(pq, std::ios::binary)
        << withLimits << "[Nodewise 1]\n[opzioni]\nlimiti_q=2\t0\t\n";
    const struct {
        std::vector<std::string> args;
        int status;
    } refusals[] = {
        {{"solve", pv, "--method", "newton", "--acceleration", "1.5"}, 1},
        {{"solve", pv, "--method", "gauss", "--acceleration", "2"}, 1},
        {{"solve", pv, "--method", "gauss", "--acceleration", "x"}, 1},
        {{"report", pv, "--method", "gauss", "--stop-tolerance", "-1"}, 1},
        {{"step", pv, "--method", "gauss", "--iteration", "2", "--q-limits=1"}, 1},
        {{"diagram", pq, "--method", "newton", "--q-limits"}, 2},
    };
    for (const auto& c : refusals) {
        EXPECT_EQ(Run(c.args).status, c.status) << c.args[0] << " " << c.args.back();
    }

    const CliResult full = Run({"solve", pv, "--method", "gauss", "--iterations", "200"});
    const CliResult stopped =
        Run({"solve", pv, "--method", "gauss", "--iterations", "200", "--stop-tolerance", "1e-6"});
    ASSERT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_LT(stopped.out.size(), full.out.size());
    EXPECT_EQ(full.out.compare(0, stopped.out.size(), stopped.out), 0); // a prefix, byte for byte
    EXPECT_EQ(
        Run({"solve", pv, "--method", "gauss", "--iterations", "200", "--acceleration", "1.0"}).out,
        full.out);

    const auto held = [&](const std::vector<std::string>& extra) {
        std::vector<std::string> args{"report", pv, "--method", "newton", "--iterations", "30"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::ordered_json::parse(r.out);
    };
    const nlohmann::ordered_json plain = held({});
    EXPECT_FALSE(plain["nodes"][2].contains("q_limit"));
    EXPECT_GT(plain["nodes"][2]["Q"].get<double>(), 1.2);
    const nlohmann::ordered_json limited = held({"--q-limits", "--stop-tolerance", "1e-9"});
    EXPECT_EQ(limited["stopped"], "converged");
    EXPECT_EQ(limited["typed_iterations"], 30);
    EXPECT_EQ(limited["iterations"], limited["converged_at"]);
    EXPECT_EQ(limited["nodes"][2]["q_limit"], "max");
    EXPECT_TRUE(limited["nodes"][1]["q_limit"].is_null());
    EXPECT_NEAR(limited["nodes"][2]["Q"].get<double>(), 1.2, 1e-9);
    EXPECT_LT(limited["nodes"][2]["E"].get<double>(), 1.04); // held below its given E
}

TEST_F(CliTest, ReportWritesTheDocumentedJson) {
    const std::string net = Network(testing::TwoNodeNetwork());
    const CliResult r =
        Run({"report", net, "--method", "newton", "--iterations", "6", "--tolerance", "1e-6"},
            "it_IT.UTF-8");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (const auto& item : json.items()) {
        keys.push_back(item.key());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"method", "iterations", "tolerance", "converged_at",
                                              "trace", "nodes", "branches", "shunts", "losses"}));
    EXPECT_EQ(json["method"], "newton");
    EXPECT_EQ(json["iterations"], 6);
    EXPECT_EQ(json["tolerance"].get<double>(), 1e-6);
    EXPECT_EQ(json["converged_at"], 3);
    ASSERT_EQ(json["trace"].size(), 7u);
    EXPECT_EQ(json["trace"][0].dump(),
              R"({"k":0,"max_dP":0.5,"max_dQ":0.2,"mismatch":0.5,"node":2})");
    EXPECT_EQ(json["branches"][0].size(), 8u);
    EXPECT_EQ(json["shunts"].dump(), "[]");

    // The same run here: every number reads back to the same double.
    testing::Workbench bench;
    ASSERT_FALSE(bench.Acquire("6", testing::TwoNodeNetwork()).has_value());
    bench.Iterate(Method::Newton);
    const PowerBalance balance = bench.ComputePowerBalance(Method::Newton);
    const std::vector<MismatchEntry> trace = bench.MismatchTrace(Method::Newton);
    for (std::size_t k = 0; k < trace.size(); ++k) {
        EXPECT_EQ(json["trace"][k]["mismatch"].get<double>(), trace[k].mismatch) << k;
    }
    const auto& node2 = json["nodes"][1];
    EXPECT_EQ(node2.dump().substr(0, 22), R"({"node":2,"type":"PQ",)");
    EXPECT_EQ(node2["E"].get<double>(), balance.nodes[1].E);
    EXPECT_EQ(node2["d"].get<double>(), balance.nodes[1].dDegrees);
    EXPECT_EQ(json["nodes"][0]["P"].get<double>(), balance.nodes[0].P);
    EXPECT_EQ(json["branches"][0]["Q_loss"].get<double>(), balance.branches[0].loss.imag());
    EXPECT_EQ(json["losses"]["P"].get<double>(), balance.losses.real());
}

TEST_F(CliTest, ReportNullsWhatNoNodeGives) {
    CellTexts cells = testing::TwoNodeNetwork(); // node 2 a PE node: no Q is given anywhere
    cells.Data[3][1].clear();
    cells.Data[0][1] = "0,98";
    const CliResult r = Run({"report", Network(cells), "--method", "gauss", "--iterations", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json json = nlohmann::json::parse(r.out);
    EXPECT_TRUE(json["trace"][2]["max_dQ"].is_null());
    EXPECT_TRUE(json["trace"][2]["max_dP"].is_number());
    EXPECT_TRUE(json["converged_at"].is_null());
}

TEST_F(CliTest, ReportHasTheStatusesAndMessagesOfSolve) {
    const std::string net = Network(testing::TwoNodeNetwork());
    // The convergence window's message for a tolerance it refuses, as a box becomes a line.
    const std::string ToleranceMessage = std::string("Attenzione: ") + ToleranceRuleText + "\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"report", net, "--method", "newton", "--iterations", "abc"}, 2, ""},
        {{"report", net, "--method", "newton", "--tolerance", "-1"}, 1, ToleranceMessage},
        {{"report", net, "--method", "newton", "--tolerance", "1,5"}, 1, ToleranceMessage},
        {{"report", net, "--method", "newton", "--tolerance", "0"}, 1, ToleranceMessage},
        {{"report", net, "--method", "newton", "--tolerance=nan"}, 1, ToleranceMessage},
        {{"report", net}, 1, ""},
        {{"report", (dir_ / "none.nwd").string(), "--method", "gauss"}, 1, ""},
        {{"report", net, "--method", "gauss", "--output", (dir_ / "no" / "r.json").string()},
         1,
         "Errore: Errore salvataggio in .json\nnodewise-cli: " + (dir_ / "no" / "r.json").string() +
             ": No such file or directory\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back() << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.args.back();
        EXPECT_FALSE(r.err.empty());
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err);
        }
        if (c.status == 2) {
            EXPECT_EQ(r.err, Run({"solve", net, "--method", "newton", "--iterations", "abc"}).err);
        }
    }
    const std::string out = (dir_ / "r.json").string();
    EXPECT_EQ(Run({"report", net, "--method", "stott", "--output", out}).status, 0);
    EXPECT_EQ(nlohmann::json::parse(Slurp(out))["method"], "stott");
}

} // namespace
} // namespace nodewise
