// The contract of nodewise-cli import and export-matpower: outputs, messages, exit statuses,
// and files left as they were on every failure.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "core/input/network_file.h"
#include "core/interop/file_sections.h"
#include "core/interop/matpower_case.h"
#include "test_support.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;

class MatpowerCliTest : public ::testing::Test {
protected:
    struct Result {
        int status;
        std::string out;
        std::string err;
    };

    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("nodewise-matpower-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& contents) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    Result Run(const std::string& arguments) {
        const std::string command = std::string("LC_ALL=it_IT.UTF-8 ") + NODEWISE_CLI_PATH + " " +
                                    arguments + " >'" + (dir_ / "out").string() + "' 2>'" +
                                    (dir_ / "err").string() + "' </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir_ / "out"), Slurp(dir_ / "err")};
    }

    fs::path dir_;
};

constexpr const char* TwoBusCase = "function mpc = two\n"
                                   "mpc.baseMVA = 100;\n"
                                   "mpc.bus = [1 3 0 0 0 0 1 1 0; 2 1 50 20 0 0 1 1 0];\n"
                                   "mpc.gen = [1 0 0 0 0 1 100 1];\n"
                                   "mpc.branch = [1 2 0.0384615384615384 0.192307692307692 0 0 "
                                   "0 0 0 0 1];\n";

TEST_F(MatpowerCliTest, ImportWritesTheNetworkFileToStandardOutputOrToTheOutput) {
    const std::string matpowerCase = Write("two.m", TwoBusCase);
    const Result toStdout = Run("import '" + matpowerCase + "'");
    EXPECT_EQ(toStdout.status, 0) << toStdout.err;
    // the reference bus's generator has Qmax = Qmin = 0, which the options do not carry there
    EXPECT_EQ(toStdout.err, "nodewise-cli: I limiti di potenza reattiva del nodo 1 non sono "
                            "riportati: \xC3\xA8 il nodo di riferimento.\n");
    const CellTexts cells = ParseNetworkFile(toStdout.out);
    // the 56 lines, then the case's branch
    EXPECT_EQ(toStdout.out.substr(0, FormatNetworkFile(cells).size()), FormatNetworkFile(cells));
    const NetworkFile file = ParseNetworkFileWithSections(toStdout.out);
    ASSERT_TRUE(file.sections.lineData);
    EXPECT_EQ(file.sections.lineData->table.branches,
              (std::vector<std::vector<std::string>>{
                  {"1", "2", "0.0384615384615384", "0.192307692307692", "0", "1"}}));
    EXPECT_EQ(cells.Data[2][1], "-0.5");
    EXPECT_EQ(cells.Data[3][1], "-0.2");

    const std::string network = (dir_ / "two.nwd").string();
    const Result toFile = Run("import '" + matpowerCase + "' --output '" + network + "'");
    EXPECT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(Slurp(network), toStdout.out);

    // And back: the exported case of that network names itself after the output file.
    const std::string exported = (dir_ / "again.m").string();
    const Result back = Run("export-matpower '" + network + "' --output '" + exported + "'");
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(Slurp(exported).rfind("function mpc = again\n%again  Rete di 2 nodi esportata da "
                                    "nodewise-cli il ",
                                    0),
              0u);
    const Result reimported = Run("import '" + exported + "'");
    EXPECT_EQ(reimported.status, 0) << reimported.err;
    EXPECT_EQ(ParseNetworkFile(reimported.out).Data[2][1], "-0.5");
}

// The branch table of a case, bus numbers as the order of the buses: in service only, a tap of
// 0 as 1.
std::vector<std::vector<double>> BranchTable(const std::string& text) {
    MatpowerCase matpowerCase;
    EXPECT_FALSE(ReadMatpowerCase(text, matpowerCase));
    std::vector<std::vector<double>> rows;
    const auto order = [&](double bus) {
        for (std::size_t k = 0; k < matpowerCase.bus.size(); ++k) {
            if (matpowerCase.bus[k].values[matpower::BUS_I] == bus) {
                return static_cast<double>(k + 1);
            }
        }
        return 0.0;
    };
    for (const MatpowerRow& row : matpowerCase.branch) {
        const auto& v = row.values;
        if (v[matpower::BR_STATUS] != 0) {
            rows.push_back({order(v[matpower::F_BUS]), order(v[matpower::T_BUS]), v[matpower::BR_R],
                            v[matpower::BR_X], v[matpower::BR_B],
                            v[matpower::TAP] == 0 ? 1.0 : v[matpower::TAP]});
        }
    }
    return rows;
}

TEST_F(MatpowerCliTest, AnImportedCaseIsExportedWithItsOwnBranches) {
    const fs::path corpus = fs::path(NODEWISE_SOURCE_DIR) / "fuzz/corpus/matpower_case";
    int cases = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        const std::string network = (dir_ / "imported.nwd").string();
        const Result imported =
            Run("import '" + entry.path().string() + "' --output '" + network + "'");
        if (imported.status != 0) {
            continue; // a case the grid cannot hold
        }
        const Result exported = Run("export-matpower '" + network + "'");
        ASSERT_EQ(exported.status, 0) << entry.path() << exported.err;
        EXPECT_EQ(exported.err, "");
        EXPECT_EQ(BranchTable(exported.out), BranchTable(Slurp(entry.path()))) << entry.path();
        ++cases;

        // line data that no longer make the cells' matrix are not used, and that is said
        NetworkFile file;
        ASSERT_TRUE(ReadNetworkFile(network, file));
        file.cells.Admittance[1][0] = "-1+7j";
        ASSERT_TRUE(WriteNetworkFile(network, file.cells, file.sections));
        const Result edited = Run("export-matpower '" + network + "'");
        EXPECT_EQ(edited.status, 0) << edited.err;
        EXPECT_NE(edited.err.find("i dati di linea del file non danno la matrice"),
                  std::string::npos);
        EXPECT_NE(BranchTable(edited.out), BranchTable(Slurp(entry.path())));
    }
    EXPECT_GE(cases, 2);
}

// The PV bus's limits go into the network file's options and come back out in its generator.
TEST_F(MatpowerCliTest, ReactiveLimitsTravelThroughTheNetworkFile) {
    const std::string matpowerCase =
        Write("pv.m", "function mpc = pv\nmpc.baseMVA = 100;\n"
                      "mpc.bus = [1 3 0 0 0 0 1 1 0; 2 2 0 0 0 0 1 1 0; 3 1 50 20 0 0 1 1 0];\n"
                      "mpc.gen = [1 0 0 Inf -Inf 1 100 1; 2 30 0 100 -50 1.02 100 1];\n"
                      "mpc.branch = [1 2 0 0.1 0 0 0 0 0 0 1; 2 3 0 0.1 0 0 0 0 0 0 1];\n");
    const std::string network = (dir_ / "pv.nwd").string();
    const Result imported = Run("import '" + matpowerCase + "' --output '" + network + "'");
    EXPECT_EQ(imported.err, "");
    EXPECT_NE(Slurp(network).find("[opzioni]\nlimiti_q=2\t-0.5\t1\n"), std::string::npos);
    const Result exported = Run("export-matpower '" + network + "'");
    EXPECT_NE(exported.out.find("\t2\t30\t0\t100\t-50\t1.02\t"), std::string::npos) << exported.out;
}

TEST_F(MatpowerCliTest, RefusalsExitTwoWithOneLineAndLeaveTheOutputAlone) {
    const std::string network = Write("keep.nwd", "earlier contents\n");
    const std::string shifter =
        Write("shift.m", std::string(TwoBusCase) + "mpc.branch = [1 2 0 0.1 0 0 0 0 0 10 1];\n");
    const Result refused = Run("import '" + shifter + "' --output '" + network + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err.rfind("Errore: Riga 6: il ramo 1-2 è uno sfasatore", 0), 0u)
        << refused.err;
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1);
    EXPECT_EQ(Slurp(network), "earlier contents\n");

    // A network with a Pd node: named, nothing written.
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Data[3][1] = "";
    cells.Data[1][1] = "-3";
    ASSERT_TRUE(WriteNetworkFile((dir_ / "pd.nwd").string(), cells));
    const std::string target = Write("keep.m", "% earlier\n");
    const Result pd =
        Run("export-matpower '" + (dir_ / "pd.nwd").string() + "' --output '" + target + "'");
    EXPECT_EQ(pd.status, 2);
    EXPECT_EQ(pd.err.rfind("Errore: Il nodo 2 è di tipo Pd", 0), 0u) << pd.err;
    EXPECT_EQ(Slurp(target), "% earlier\n");

    // A network the acquisition rejects: its warning, as "summary" prints it.
    cells.Data[0][1] = "1";
    ASSERT_TRUE(WriteNetworkFile((dir_ / "three.nwd").string(), cells));
    const Result rejected = Run("export-matpower '" + (dir_ / "three.nwd").string() + "'");
    EXPECT_EQ(rejected.status, 2);
    EXPECT_EQ(rejected.err,
              "Attenzione: Controlla i dati in ingresso: rilevati tipi di nodo non previsti.\n");
    EXPECT_EQ(rejected.out, "");
}

TEST_F(MatpowerCliTest, UsageAndFileErrorsExitOne) {
    const struct {
        std::string arguments;
        std::string err;
    } rows[] = {
        {"import", "nodewise-cli: missing case file\n"},
        {"export-matpower", "nodewise-cli: missing network file\n"},
        {"import a.m b.m", "nodewise-cli: unexpected argument 'b.m'\n"},
        {"import a.m --format csv", "nodewise-cli: unknown option '--format'\n"},
        {"import a.m --output", "nodewise-cli: option '--output' needs a value\n"},
        {"import '" + (dir_ / "missing.m").string() + "'",
         "Errore: Impossibile portare a termine la lettura.\n"},
        {"export-matpower '" + (dir_ / "missing.nwd").string() + "'",
         "Errore: Impossibile portare a termine la lettura.\n"},
        {"import '" + Write("ok.m", TwoBusCase) + "' --output '" + (dir_ / "no/such").string() +
             "'",
         "Errore: Impossibile portare a termine il salvataggio.\nnodewise-cli: " +
             (dir_ / "no/such").string() + ": No such file or directory\n"},
    };
    for (const auto& row : rows) {
        const Result r = Run(row.arguments);
        EXPECT_EQ(r.status, 1) << row.arguments;
        EXPECT_EQ(r.err.substr(0, row.err.size()), row.err) << row.arguments;
    }
    const Result help = Run("--help");
    EXPECT_NE(help.out.find(
                  "       nodewise-cli import CASE.m [--output NETWORK.nwd]\n"
                  "       nodewise-cli export-matpower NETWORK.nwd [--output CASE.m] [--strict]\n"),
              std::string::npos)
        << help.out;
}

} // namespace
} // namespace nodewise
