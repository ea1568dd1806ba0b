// "Copia come LaTeX" compiles: the steps of every example network and of a seven-node network
// of PQ nodes (a Jacobian of twelve columns and its labels), each method that can run, in one
// article with amsmath and nothing else, through pdflatex when it is installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "core/analysis/iteration_step.h"
#include "core/interop/line_data.h"
#include "core/report/step_export.h"
#include "core/results/methods.h"
#include "solver_fixture.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;

// Node 1 the reference, nodes 2..7 loads on a ring with one chord, charging on every line.
CellTexts SevenNodeLoads() {
    LineData lines;
    for (int i = 1; i <= 7; ++i) {
        lines.branches.push_back({i, i % 7 + 1, 0.02 * i, 0.06 + 0.01 * i, 0.03, 1.0});
    }
    lines.branches.push_back({2, 5, 0.05, 0.2, 0.0, 1.0});
    NodalNetwork network;
    BuildAdmittanceMatrix(lines, network);
    CellTexts cells;
    EXPECT_FALSE(MatrixToCells(network, cells).has_value());
    cells.Data[0][0] = "1.05";
    cells.Data[1][0] = "0";
    for (int i = 1; i < 7; ++i) {
        cells.Data[2][i] = "-0." + std::to_string(i + 1);
        cells.Data[3][i] = "-0.1";
    }
    return cells;
}

bool PdflatexInstalled() {
    return std::system("command -v pdflatex >/dev/null 2>&1") == 0;
}

class StepLatexDocument : public testing::SolverTest {};

TEST_F(StepLatexDocument, EveryStepCompilesInAnArticleWithAmsmath) {
    if (!PdflatexInstalled()) {
        GTEST_SKIP() << "pdflatex is not installed";
    }
    std::vector<std::pair<std::string, CellTexts>> networks;
    for (const auto& entry : fs::directory_iterator(fs::path(NODEWISE_SOURCE_DIR) / "examples")) {
        if (entry.path().extension() == ".nwd") {
            networks.emplace_back(entry.path().filename().string(),
                                  testing::ExampleNetwork(entry.path().filename().string()));
        }
    }
    networks.emplace_back("seven PQ nodes", SevenNodeLoads());
    ASSERT_GE(networks.size(), 8u);

    std::string document = "\\documentclass{article}\n\\usepackage{amsmath}\n\\begin{document}\n";
    int steps = 0;
    for (const auto& [name, texts] : networks) {
        ASSERT_NO_FATAL_FAILURE(Load(texts, "2"));
        for (const Method method : {Method::Gauss, Method::Newton, Method::Stott}) {
            if (DecideMethod(net, method) == MethodDecision::Refuse) {
                continue;
            }
            const IterationStep step = ComputeStep(method, 2);
            ASSERT_FALSE(step.fault) << name << " " << Info(method).name;
            document += "% " + name + "\n" + StepLatex(step) + "\n";
            ++steps;
        }
    }
    document += "\\end{document}\n";
    EXPECT_GE(steps, 2 * static_cast<int>(networks.size()));

    const fs::path dir = fs::temp_directory_path() / ("step-latex-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "steps.tex", std::ios::binary) << document;
    const std::string command = "cd '" + dir.string() +
                                "' && pdflatex -interaction=nonstopmode -halt-on-error steps.tex "
                                ">/dev/null 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    std::ifstream logFile(dir / "steps.log");
    std::stringstream log;
    log << logFile.rdbuf();
    EXPECT_EQ(status, 0) << log.str().substr(log.str().size() > 3000 ? log.str().size() - 3000 : 0);
    EXPECT_TRUE(fs::exists(dir / "steps.pdf"));
    fs::remove_all(dir);
}

} // namespace
} // namespace nodewise
