#include <algorithm>
#include <clocale>
#include <gtest/gtest.h>

#include "core/results/results_export.h"

namespace nodewise {
namespace {

HistoryRows E;
HistoryRows d;

void FillSmallHistory() {
    for (int j = 0; j < MaxNodes; ++j) {
        for (int i = 0; i < MaxIterations; ++i) {
            E[j][i] = 7.0; // must never be written: outside the requested block
            d[j][i] = 7.0;
        }
    }
    E[0][0] = 1.0;
    d[0][0] = 0.0;
    E[1][0] = 1.0;
    d[1][0] = 0.0;
    E[0][1] = 1.0;
    d[0][1] = 0.0;
    E[1][1] = 0.946451;
    d[1][1] = -5.363069;
}

TEST(ResultsExportTest, CsvOfOneIterationOfTwoNodes) {
    FillSmallHistory();
    EXPECT_EQ(FormatResults(ExportFormat::Csv, "Risultati calcolo Gauss", E, d, 1, 2),
              "Risultati calcolo Gauss,,,\n"
              ",,,\n"
              "iterazione,nodo,E,d(gradi)\n"
              "0,1,1.00000000000000,0.000000000\n"
              "0,2,1.00000000000000,0.000000000\n"
              ",,,\n"
              "1,1,1.00000000000000,0.000000000\n"
              "1,2,0.94645100000000,-5.363069000\n"
              ",,,\n");
}

TEST(ResultsExportTest, HtmlOfOneIterationOfOneNode) {
    FillSmallHistory();
    const std::string row = "<td width=100 align=center>%d</td><td width=100 "
                            "align=center>1</td><td width=200 "
                            "align=center>1.00000000000000</td><td width=200 "
                            "align=center>0.000000000</td>\n";
    auto cells = [&](int i) {
        std::string r = row;
        r.replace(r.find("%d"), 2, std::to_string(i));
        return r;
    };
    const std::string spacer = "<tr height=20><td></td><td></td><td></td><td></td></tr>\n";
    EXPECT_EQ(FormatResults(ExportFormat::Html, "T", E, d, 1, 1),
              "<html><head><title>T</title></head>\n<body>\nT<br><br>\n<table border=2>\n"
              "<tr><td width=100 align=center>iterazione</td><td width=100 "
              "align=center>nodo</td><td width=200 align=center>modulo tensione</td><td "
              "width=200 align=center>fase tensione (in gradi)</td></tr>\n"
              "<tr>" +
                  cells(0) + "</tr>" + spacer + "<tr>" + cells(1) + "</tr>" + spacer +
                  "</table>\n</body></html>\n");
}

TEST(ResultsExportTest, NegativePhaseAndFullStopWhateverTheLocale) {
    E[1][3] = 0.98;
    d[1][3] = -1.5;
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const bool italian = std::setlocale(LC_ALL, "it_IT.UTF-8") != nullptr;
    const std::string csv = FormatResults(ExportFormat::Csv, "", E, d, 3, 2);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_NE(csv.find("\n3,2,0.98000000000000,-1.500000000\n"), std::string::npos) << csv;
    EXPECT_EQ(csv.rfind(",,,\n,,,\niterazione", 0), 0u) << "an empty title gives an empty cell";
    if (!italian) {
        GTEST_SKIP() << "it_IT.UTF-8 is not installed";
    }
}

TEST(ResultsExportTest, CountsAreClampedToTheArrays) {
    FillSmallHistory();
    // what a rejected acquisition may leave in the counters never reads past a row
    const std::string csv = FormatResults(ExportFormat::Csv, "x", E, d, 1 << 30, 99);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3 + 1000 * (7 + 1));
    EXPECT_EQ(FormatResults(ExportFormat::Csv, "x", E, d, -5, -1),
              "x,,,\n,,,\niterazione,nodo,E,d(gradi)\n");
}

TEST(ResultsExportTest, LargestHistoryHasOneLinePerNodeAndEntry) {
    FillSmallHistory();
    const std::string csv = FormatResults(ExportFormat::Csv, "t", E, d, 999, 7);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3 + 1000 * 8);
}

} // namespace
} // namespace nodewise
