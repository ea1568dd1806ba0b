// The step of one iteration: `nodewise-cli step` and ComputeStep against the solver's own state
// after k iterations, bit for bit, on the example networks; the workspace left as it was; a
// fault, an inversion failure and the command's statuses.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include "core/analysis/iteration_step.h"
#include "core/model/units.h"
#include "core/numeric/trapping_double.h"
#include "core/report/step_export.h"
#include "core/results/methods.h"
#include "core/solvers/gauss_seidel.h"
#include "core/solvers/newton_raphson.h"
#include "core/solvers/stott_alsac.h"
#include "solver_fixture.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using testing::SameBits;
using testing::SameHistories;

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

CliResult RunCli(const std::string& arguments) {
    const fs::path out = fs::temp_directory_path() / ("step-out-" + std::to_string(::getpid()));
    const fs::path err = fs::temp_directory_path() / ("step-err-" + std::to_string(::getpid()));
    const std::string command = std::string("LC_ALL=C ") + NODEWISE_CLI_PATH + " step " +
                                arguments + " >" + out.string() + " 2>" + err.string() +
                                " </dev/null";
    const int raw = std::system(command.c_str());
    CliResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

std::string ExamplePath(const std::string& name) {
    return std::string(NODEWISE_SOURCE_DIR) + "/examples/" + name;
}

// Every value of `actual` (JSON numbers) has the bits of `expected`.
void ExpectSameVector(const Json& actual, const double* expected, int count, const char* what) {
    ASSERT_TRUE(actual.is_array()) << what;
    ASSERT_EQ(static_cast<int>(actual.size()), count) << what;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(SameBits(actual[i].get<double>(), expected[i]))
            << what << "[" << i << "]: " << actual[i].get<double>() << " vs " << expected[i];
    }
}

template <int Order>
void ExpectSameMatrix(const Json& actual, const double (&expected)[Order][Order], int rows,
                      int columns, const char* what) {
    ASSERT_TRUE(actual.is_array()) << what;
    ASSERT_EQ(static_cast<int>(actual.size()), rows) << what;
    for (int r = 0; r < rows; ++r) {
        ExpectSameVector(actual[r], expected[r], columns, what);
    }
}

std::vector<std::string> Labels(char first, char second, int split, const int* nodes, int count) {
    std::vector<std::string> labels;
    for (int r = 0; r < count; ++r) {
        labels.push_back(std::string(1, r < split ? first : second) + std::to_string(nodes[r] + 1));
    }
    return labels;
}

class StepOfExample : public testing::SolverTest,
                      public ::testing::WithParamInterface<const char*> {};

// Asks a run for the record of iteration k.
class Recording final : public SolverObserver {
public:
    explicit Recording(int k) : k_(k) {}
    int RecordedIteration() const override { return k_; }

private:
    int k_;
};

// The command's JSON against what the solver itself records in a run of k iterations.
TEST_P(StepOfExample, TheCommandWritesTheSolversOwnValues) {
    const std::string name = GetParam();
    for (const Method method : {Method::Gauss, Method::Newton, Method::Stott}) {
        for (const int k : {1, 2, 5, 12}) {
            SCOPED_TRACE(name + " " + Info(method).name + " k=" + std::to_string(k));
            const CliResult cli = RunCli(ExamplePath(name) + " --method " + Info(method).name +
                                         " --iteration " + std::to_string(k));
            Load(testing::ExampleNetwork(name), std::to_string(k).c_str());
            if (DecideMethod(net, method) == MethodDecision::Refuse) {
                EXPECT_EQ(cli.status, 4);
                continue;
            }
            ASSERT_EQ(cli.status, 0) << cli.err;
            const Json json = Json::parse(cli.out);
            Recording recording(k);
            const nodewise::Run run = Info(method).iterateWithOptions(net, k, recording, {});
            ASSERT_TRUE(run.record.has_value());
            const IterationRecord& r = *run.record;
            const GaussNodeRecord* records = r.GaussNodes;

            EXPECT_EQ(json["method"], Info(method).name);
            EXPECT_EQ(json["iteration"], k);
            const int N = NodeCount;
            const History& E = run.EHistory;
            const History& d = run.dHistory;
            for (int i = 0; i < N; ++i) {
                EXPECT_TRUE(SameBits(json["before"]["E"][i].get<double>(), E[i][k - 1]));
                EXPECT_TRUE(SameBits(json["before"]["d"][i].get<double>(), d[i][k - 1]));
                EXPECT_TRUE(SameBits(json["after"]["E"][i].get<double>(), E[i][k]));
                EXPECT_TRUE(SameBits(json["after"]["d"][i].get<double>(), d[i][k]));
            }
            if (method == Method::Newton) {
                const int n = UnknownCount;
                EXPECT_EQ(json["equations"].get<std::vector<std::string>>(),
                          Labels('P', 'Q', PEquationCount, EquationNodes, n));
                EXPECT_EQ(json["unknowns"].get<std::vector<std::string>>(),
                          Labels('E', 'd', EUnknownCount, UnknownNodes, n));
                ExpectSameVector(json["mismatch"], r.MismatchNewton, n, "mismatch");
                ExpectSameMatrix(json["jacobian"], r.Jacobian, n, n, "jacobian");
                ExpectSameMatrix(json["jacobian_inverse"], r.JacobianInverse, n, n, "inverse");
                ExpectSameVector(json["correction"], r.CorrectionNewton, n, "correction");
                EXPECT_EQ(json["inversion"], "done");
            } else if (method == Method::Stott) {
                const int nP = PEquationCount, nQ = QEquationCount;
                const int nE = EUnknownCount, nd = dUnknownCount;
                EXPECT_EQ(json["equations"].get<std::vector<std::string>>(),
                          Labels('P', 'Q', nP, EquationNodes, nP + nQ));
                EXPECT_EQ(json["unknowns"].get<std::vector<std::string>>(),
                          Labels('E', 'd', nE, UnknownNodes, nE + nd));
                ExpectSameMatrix(json["b_prime"], r.BPrime, nP, nd, "b_prime");
                ExpectSameMatrix(json["b_prime_inverse"], r.BPrimeInverse, nd, nP, "b_prime_inv");
                ExpectSameMatrix(json["b_second"], r.BSecond, nQ, nE, "b_second");
                ExpectSameMatrix(json["b_second_inverse"], r.BSecondInverse, nE, nQ,
                                 "b_second_inv");
                ExpectSameVector(json["mismatch"], r.MismatchStott, nP + nQ, "mismatch");
                ExpectSameVector(json["correction"], r.CorrectionStott, nE + nd, "correction");
            } else {
                ASSERT_EQ(static_cast<int>(json["nodes"].size()), N);
                for (int i = 0; i < N; ++i) {
                    const Json& node = json["nodes"][i];
                    EXPECT_EQ(node["node"], i + 1);
                    EXPECT_EQ(node["type"], NodeTypeLabel(NodeTypes[i]));
                    const int t = NodeTypes[i];
                    if (t == Ed) {
                        EXPECT_TRUE(node["computed"].is_null());
                        EXPECT_TRUE(node["C"].is_null() && node["R"].is_null());
                        continue;
                    }
                    const double C = node["C"].get<double>(), R = node["R"].get<double>();
                    EXPECT_TRUE(SameBits(C, records[i].C) && SameBits(R, records[i].R));
                    // the new state is made of them, bit for bit
                    if (!EGiven(t)) {
                        EXPECT_TRUE(SameBits(E[i][k], PolarModulus(C, R) / YMag[i][i]));
                    }
                    if (!dGiven(t)) {
                        EXPECT_TRUE(SameBits(d[i][k], PolarAngle(C, R) * RadiansToDegrees));
                    }
                    if (t == PQ) {
                        EXPECT_TRUE(node["computed"].is_null());
                    } else {
                        const bool q = t == PE || t == Pd;
                        EXPECT_EQ(node["computed"]["quantity"], q ? "Q" : "P");
                        EXPECT_TRUE(SameBits(node["computed"]["value"].get<double>(),
                                             q ? run.QData[i] : run.PData[i]));
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, StepOfExample,
                         ::testing::Values("two-node.nwd", "saadat-3bus-pq.nwd",
                                           "saadat-3bus-pv.nwd", "grainger-stevenson-4bus.nwd",
                                           "stagg-5bus.nwd", "stagg-5bus-pd-qe.nwd",
                                           "glover-sarma-5bus.nwd"),
                         [](const ::testing::TestParamInfo<const char*>& caseInfo) {
                             std::string name = caseInfo.param;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

class Step : public testing::SolverTest {};

// After full runs of every method, a step of each leaves the runs as they were and says nothing
// through the port.
TEST_F(Step, LeavesTheRunsAsTheyWere) {
    Load(testing::ExampleNetwork("stagg-5bus-pd-qe.nwd"), "20");
    for (const Method method : {Method::Gauss, Method::Newton, Method::Stott}) {
        Iterate(method);
    }
    const auto messages = recorder.messages.size();
    const int panelUpdates = recorder.panelUpdates[1];
    const nodewise::Run saved[] = {gauss, newton, stott};
    for (const Method method : {Method::Gauss, Method::Newton, Method::Stott}) {
        const IterationStep step = ComputeStep(method, 3);
        EXPECT_FALSE(step.fault);
        EXPECT_EQ(step.EAfter.size(), 5u);
    }
    for (const Method method : {Method::Gauss, Method::Newton, Method::Stott}) {
        const nodewise::Run& before = saved[static_cast<int>(method)];
        EXPECT_TRUE(SameHistories(before.EHistory, EHistoryOf(method), MaxNodes, 20));
        EXPECT_TRUE(SameHistories(before.dHistory, dHistoryOf(method), MaxNodes, 20));
        EXPECT_EQ(std::memcmp(before.QData, RunOf(method).QData, sizeof before.QData), 0);
    }
    EXPECT_EQ(recorder.messages.size(), messages);
    EXPECT_EQ(recorder.panelUpdates[1], panelUpdates);
}

// The worked two-node network, first Newton-Raphson iteration, by hand: at the flat start
// P2 = E2 sum |Y2m| E_m cos(a) = 0, so the mismatch is the given injection itself, and the
// Jacobian is that of the admittance 1 - j5.
TEST_F(Step, TwoNodeFirstNewtonIterationAsByHand) {
    Load(testing::TwoNodeNetwork(), "3");
    const IterationStep step = ComputeStep(Method::Newton, 1);
    ASSERT_FALSE(step.fault);
    ASSERT_EQ(step.equations.size(), 2u);
    EXPECT_EQ(LabelText(step.equations[0]), "P2");
    EXPECT_EQ(LabelText(step.equations[1]), "Q2");
    EXPECT_EQ(LabelText(step.unknowns[0]), "E2");
    EXPECT_EQ(LabelText(step.unknowns[1]), "d2");
    EXPECT_NEAR(step.mismatch[0], -0.5, 1e-15);
    EXPECT_NEAR(step.mismatch[1], -0.2, 1e-15);
    // dP/dE = 2 G22 E2 - G21-part = 1, dP/dd = 5, dQ/dE = 5, dQ/dd = -1 at the flat start
    EXPECT_NEAR(step.jacobian[0][0], 1.0, 1e-12);
    EXPECT_NEAR(step.jacobian[0][1], 5.0, 1e-12);
    EXPECT_NEAR(step.jacobian[1][0], 5.0, 1e-12);
    EXPECT_NEAR(step.jacobian[1][1], -1.0, 1e-12);
    EXPECT_EQ(step.jacobianInversion, Inversion::Done);
    EXPECT_EQ(step.EBefore[1], 1.0);
    EXPECT_EQ(step.dBefore[1], 0.0);
}

// The worked example of the help, as text: the Jacobian's diagonal formula with its numbers,
// the LaTeX of the four panels and the state, the CSV for an Italian spreadsheet.
TEST_F(Step, TwoNodeFirstNewtonIterationAsText) {
    Load(testing::TwoNodeNetwork(), "3");
    const IterationStep step = ComputeStep(Method::Newton, 1);
    EXPECT_EQ(JacobianElementFormula(step, 0, 0, ","),
              "∂P2/∂E2 = Σm≠2 |Y2m|·Em·cos(d2 − dm − θ2m) + 2·|Y22|·E2·cos θ22 = 5,09902 · 1 · "
              "cos(0° − 0° − 101,31°) + 2 · 5,09902 · 1 · cos(-78,6901°) = 1");
    const std::string latex = StepLatex(step);
    EXPECT_EQ(latex.substr(0, latex.find("% Correzioni")),
              "% Passo per passo - Newton-Raphson, iterazione 1\n"
              "% Scarti (dati − calcolati)\n\\[\n\\Delta = \\left[\\begin{array}{cr}\n"
              "\\scriptstyle P_{2} & -0.500000000000001 \\\\\n"
              "\\scriptstyle Q_{2} & -0.199999999999999\n\\end{array}\\right]\n\\]\n"
              "% Jacobiano J\n\\[\nJ = \\left[\\begin{array}{crr}\n"
              " & \\scriptstyle E_{2} & \\scriptstyle d_{2} \\\\\n"
              "\\scriptstyle P_{2} & 1 & 5 \\\\\n"
              "\\scriptstyle Q_{2} & 5 & -0.999999999999999\n\\end{array}\\right]\n\\]\n"
              "% Inversa J⁻¹\n\\[\nJ^{-1} = \\left[\\begin{array}{crr}\n"
              " & \\scriptstyle P_{2} & \\scriptstyle Q_{2} \\\\\n"
              "\\scriptstyle E_{2} & 0.0384615384615384 & 0.192307692307692 \\\\\n"
              "\\scriptstyle d_{2} & 0.192307692307692 & -0.0384615384615385\n"
              "\\end{array}\\right]\n\\]\n");
    const std::string csv = FormatStep(StepFormat::Csv, step);
    EXPECT_EQ(csv.substr(0, csv.find("\nInversa")),
              "Passo per passo;Newton-Raphson\nIterazione;1\n\n"
              "Scarti (dati − calcolati)\n;Δ\nP2;-0,500000000000001\nQ2;-0,199999999999999\n\n"
              "Jacobiano J\n;E2;d2\nP2;1;5\nQ2;5;-0,999999999999999\n");
    EXPECT_NE(FormatStep(StepFormat::Html, step).find("<td class=\"diagonale\">1</td>"),
              std::string::npos);
    EXPECT_EQ(InversionNote(step), "");
}

TEST_F(Step, AnInversionFailureIsShownWithTheMatricesAsInvMatrLeftThem) {
    CellTexts texts = testing::TwoNodeNetwork();
    texts.Admittance[1][0] = ""; // node 2 tied to nothing: a zero Jacobian
    texts.Admittance[1][1] = "0";
    texts.Data[2][1] = "0";
    texts.Data[3][1] = "0";
    Load(texts, "4");
    const IterationStep newtonStep = ComputeStep(Method::Newton, 2);
    ASSERT_FALSE(newtonStep.fault);
    EXPECT_EQ(newtonStep.jacobianInversion, Inversion::Failed);
    EXPECT_EQ(newtonStep.jacobianInverse, (StepMatrix{{0.0, 0.0}, {0.0, 0.0}}));
    EXPECT_TRUE(recorder.messages.empty());

    const IterationStep stottStep = ComputeStep(Method::Stott, 1);
    ASSERT_FALSE(stottStep.fault);
    EXPECT_EQ(stottStep.bPrimeInversion, Inversion::Failed);
    EXPECT_EQ(stottStep.bSecondInversion, Inversion::Failed);
    EXPECT_NE(InversionNote(newtonStep).find("J: impossibile invertire"), std::string::npos);
}

TEST_F(Step, NoStepAfterAnArithmeticFault) {
    CellTexts texts = testing::TwoNodeNetwork();
    texts.Admittance[1][1] = "0"; // |Y22| = 0: Gauss-Seidel divides by it in iteration 1
    Load(texts, "3");
    const IterationStep step = ComputeStep(Method::Gauss, 2);
    ASSERT_TRUE(step.fault);
    EXPECT_EQ(*step.fault, "division by zero");
    EXPECT_TRUE(step.nodes.empty());
}

TEST(StepIteration, WholeNumbersFromOneTo999) {
    EXPECT_EQ(ParseStepIteration("1"), 1);
    EXPECT_EQ(ParseStepIteration("999"), 999);
    EXPECT_EQ(ParseStepIteration("007"), 7);
    for (const char* bad : {"0", "1000", "-1", "+3", "2.5", "", "abc", "3x", " 3", "99999999999"}) {
        EXPECT_FALSE(ParseStepIteration(bad)) << bad;
    }
}

TEST(StepCommand, StatusesAsSolve) {
    const std::string two = ExamplePath("two-node.nwd");
    for (const char* k : {"0", "1000", "abc"}) {
        const CliResult bad = RunCli(two + " --method newton --iteration " + std::string(k));
        EXPECT_EQ(bad.status, 1) << k;
        EXPECT_NE(bad.err.find("invalid iteration"), std::string::npos) << bad.err;
    }
    EXPECT_EQ(RunCli(two + " --method newton").status, 1);
    EXPECT_EQ(RunCli("/nonexistent.nwd --method newton --iteration 2").status, 1);

    // a Pd node without a QE node: Stott-Alsac refuses, Newton-Raphson warns and runs
    const fs::path dir = fs::temp_directory_path() / ("step-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    CellTexts unequal = testing::TwoNodeNetwork();
    unequal.Data[3][1] = "";
    unequal.Data[1][1] = "-3";
    ASSERT_TRUE(WriteNetworkFile((dir / "pd.nwd").string(), unequal));
    const CliResult refused = RunCli((dir / "pd.nwd").string() + " --method stott --iteration 1");
    EXPECT_EQ(refused.status, 4);
    EXPECT_TRUE(refused.out.empty());
    const CliResult warned = RunCli((dir / "pd.nwd").string() + " --method newton --iteration 1");
    EXPECT_EQ(warned.status, 0);
    EXPECT_NE(warned.err.find("Attenzione:"), std::string::npos);

    CellTexts rejected = testing::TwoNodeNetwork();
    rejected.Data[3][1] = "1";
    rejected.Data[0][1] = "1"; // three quantities
    ASSERT_TRUE(WriteNetworkFile((dir / "rejected.nwd").string(), rejected));
    EXPECT_EQ(RunCli((dir / "rejected.nwd").string() + " --method gauss --iteration 1").status, 2);

    CellTexts faulting = testing::TwoNodeNetwork();
    faulting.Admittance[1][1] = "0";
    ASSERT_TRUE(WriteNetworkFile((dir / "fault.nwd").string(), faulting));
    const CliResult fault = RunCli((dir / "fault.nwd").string() + " --method gauss --iteration 1");
    EXPECT_EQ(fault.status, 3);
    EXPECT_NE(fault.err.find("division by zero"), std::string::npos) << fault.err;

    const CliResult written =
        RunCli(two + " --method gauss --iteration=2 --output " + (dir / "step.json").string());
    EXPECT_EQ(written.status, 0);
    EXPECT_TRUE(written.out.empty());
    const Json json = Json::parse(Slurp(dir / "step.json"));
    EXPECT_EQ(json["nodes"][0]["computed"], nullptr);
    EXPECT_EQ(json["nodes"][1]["type"], "PQ");
    fs::remove_all(dir);
}

} // namespace
} // namespace nodewise
