#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "core/interop/file_sections.h"

namespace nodewise {
namespace {

CellTexts TwoNodeCells() {
    CellTexts cells;
    cells.Admittance[0][0] = "1 - 5j";
    cells.Admittance[1][0] = "-1+5j";
    cells.Admittance[1][1] = "1-5j";
    cells.Data[0][0] = "1";
    cells.Data[1][0] = "0";
    cells.Data[2][1] = "-0,5";
    cells.Data[3][1] = "-0,2";
    return cells;
}

// Line data as a student types it in ohm and microsiemens, texts that the format must escape
// included.
TypedLineData TypedInOhm() {
    TypedLineData data;
    data.units = {true, "132", "100"};
    data.table.branches = {{"1", "2", "3,4", "17,4", "450", ""},
                           {"", "", "", "", "", ""}, // an empty row is not kept
                           {"2", " 3", "1\t2", "a\\b", "", "0,98"}};
    data.table.shunts = {{"3", "0", "-50"}};
    return data;
}

// The cells as a reader sees them that knows only the 56 lines: fgets into a buffer of 100
// characters, the newline dropped.
CellTexts CellsOfFiftySixLines(const std::string& contents) {
    FILE* file = fmemopen(const_cast<char*>(contents.data()), contents.size(), "r");
    CellTexts cells;
    char buffer[100];
    for (int line = 0; line < CellCount && std::fgets(buffer, sizeof buffer, file) != nullptr;
         ++line) {
        std::string text(buffer);
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        CellInFileOrder(cells, line) = text;
    }
    std::fclose(file);
    return cells;
}

void ExpectSameCells(const CellTexts& a, const CellTexts& b) {
    for (int line = 0; line < CellCount; ++line) {
        EXPECT_EQ(CellInFileOrder(a, line), CellInFileOrder(b, line)) << "line " << line + 1;
    }
}

TEST(FileSectionsTest, TypedLineDataComesBackExactlyAndTheCellsReadAsBefore) {
    const CellTexts cells = TwoNodeCells();
    const FileSections sections{TypedInOhm(), std::nullopt};
    const std::string contents = FormatNetworkFile(cells, sections);
    EXPECT_EQ(contents.substr(0, FormatNetworkFile(cells).size()), FormatNetworkFile(cells));

    const NetworkFile file = ParseNetworkFileWithSections(contents);
    EXPECT_FALSE(file.sectionProblem);
    ExpectSameCells(file.cells, cells);
    ASSERT_TRUE(file.sections.lineData);
    const TypedLineData& back = *file.sections.lineData;
    EXPECT_TRUE(back.units.physical);
    EXPECT_EQ(back.units.baseKV, "132");
    EXPECT_EQ(back.units.baseMVA, "100");
    const auto& typed = sections.lineData->table;
    ASSERT_EQ(back.table.branches.size(), 2u);
    EXPECT_EQ(back.table.branches[0], typed.branches[0]);
    EXPECT_EQ(back.table.branches[1], typed.branches[2]);
    EXPECT_EQ(back.table.shunts, typed.shunts);

    // what knows only the 56 lines reads the same cells, and the plain file with no line data
    ExpectSameCells(CellsOfFiftySixLines(contents), cells);
    EXPECT_EQ(FormatNetworkFile(cells, FileSections{}), FormatNetworkFile(cells));
    TypedLineData onlyBases;
    onlyBases.units = {true, "20", "10"};
    onlyBases.table.branches = {{"", "", "", "", "", ""}};
    EXPECT_EQ(FormatNetworkFile(cells, FileSections{onlyBases, CalculationOptions{}}),
              FormatNetworkFile(cells));
}

TEST(FileSectionsTest, WhatFollowsTheCellsIsReadOnlyWhenItIsOurs) {
    const std::string cells = FormatNetworkFile(TwoNodeCells());
    for (const std::string& rest : {std::string(""), std::string("\n\n\r\n"),
                                    std::string("commento di chi ha scritto il file\n[linee]\n"),
                                    std::string("[Nodewise 1]\n[opzioni future]\nx=1\n")}) {
        const NetworkFile file = ParseNetworkFileWithSections(cells + rest);
        EXPECT_FALSE(file.sectionProblem) << rest;
        EXPECT_FALSE(file.sections.lineData) << rest;
        ExpectSameCells(file.cells, TwoNodeCells());
    }
}

TEST(FileSectionsTest, ADamagedSectionIsToldWithItsLineAndTheCellsStillLoad) {
    const std::string cells = FormatNetworkFile(TwoNodeCells());
    const std::string head = "[Nodewise 1]\n[linee]\nunita=pu\n";
    struct Case {
        const char* name;
        std::string rest;
        int line;
        const char* problem;
    };
    const Case cases[] = {
        {"newer version", "[Nodewise 2]\n[linee]\n", 57, "formato che questa versione"},
        {"short branch", head + "ramo=1\t2\t0,1\n", 60, "ramo: 3 celle invece di 6"},
        {"long shunt", head + "derivazione=1\t0\t0\t0\n", 60, "derivazione: 4 celle invece di 3"},
        {"bad escape", head + "ramo=1\t2\t0\\x1\t0,1\t\t\n", 60, "barra rovesciata"},
        {"no equals", head + "ramo 1 2\n", 60, "manca il segno ="},
        {"unknown key", head + "colore=rosso\n", 60, "chiave sconosciuta «colore»"},
        {"unknown unit", "[Nodewise 1]\n[linee]\nunita=kV\n", 59, "unita deve essere"},
        {"twice", head + "[linee]\n", 60, "sezione [linee] ripetuta"},
        {"outside", "[Nodewise 1]\nramo=1\n", 58, "testo fuori da una sezione"},
        {"unclosed name", "[Nodewise 1]\n[linee\n", 58, "senza ]"},
        {"acceleration 2", "[Nodewise 1]\n[opzioni]\naccelerazione=2\n", 59, "minore di 2"},
        {"tolerance below 0", "[Nodewise 1]\n[opzioni]\ntolleranza=-1e-4\n", 59,
         "positivo e finito"},
        {"tolerance in words", "[Nodewise 1]\n[opzioni]\ntolleranza=poca\n", 59,
         "tolleranza: non \xC3\xA8 un numero"},
        {"decimal comma", "[Nodewise 1]\n[opzioni]\naccelerazione=1,6\n", 59, "non \xC3\xA8"},
        {"limits at node 8", "[Nodewise 1]\n[opzioni]\nlimiti_q=8\t0\t1\n", 59, "da 1 a 7"},
        {"limits twice", "[Nodewise 1]\n[opzioni]\nlimiti_q=3\t0\t1\nlimiti_q=3\t\t2\n", 60,
         "nodo 3 ripetuto"},
        {"limit in words", "[Nodewise 1]\n[opzioni]\nlimiti_q=3\tpoco\t1\n", 59,
         "Qmin del nodo 3 non"},
        {"infinite limit", "[Nodewise 1]\n[opzioni]\nlimiti_q=3\t\tinf\n", 59,
         "Qmax del nodo 3 non"},
        {"limits short", "[Nodewise 1]\n[opzioni]\nlimiti_q=3\t-1\n", 59,
         "limiti_q: 2 celle invece di 3"},
        {"limits crossed", "[Nodewise 1]\n[opzioni]\nlimiti_q=5\t1\t-1\n", 59,
         "Qmin maggiore di Qmax al nodo 5"},
    };
    for (const Case& c : cases) {
        const NetworkFile file = ParseNetworkFileWithSections(cells + c.rest);
        ExpectSameCells(file.cells, TwoNodeCells());
        EXPECT_FALSE(file.sections.lineData) << c.name;
        ASSERT_TRUE(file.sectionProblem) << c.name;
        EXPECT_EQ(file.sectionProblem->line, c.line) << c.name;
        EXPECT_NE(file.sectionProblem->problem.find(c.problem), std::string::npos)
            << c.name << ": " << file.sectionProblem->problem;
        EXPECT_EQ(SectionProblemText(*file.sectionProblem).rfind("Riga ", 0), 0u) << c.name;
    }
}

TEST(FileSectionsTest, OptionsTravelWithTheNetworkAndEachSectionIsReadOnItsOwn) {
    const CellTexts cells = TwoNodeCells();
    CalculationOptions options;
    options.stopTolerance = 1e-4;
    options.acceleration = 1.6;
    options.reactiveLimits[2] = {-0.1 / 3, 1.0};
    options.reactiveLimits[4].qmax = 0.8;
    options.reactiveLimits[6].qmin = -2.5e-17;
    const std::string contents = FormatNetworkFile(cells, FileSections{TypedInOhm(), options});
    EXPECT_NE(contents.find("limiti_q=3\t-0.03333333333333333\t1\nlimiti_q=5\t\t0.8\n"
                            "limiti_q=7\t-2.5e-17\t\n"),
              std::string::npos);
    const NetworkFile file = ParseNetworkFileWithSections(contents);
    EXPECT_FALSE(file.sectionProblem);
    ASSERT_TRUE(file.sections.options);
    EXPECT_EQ(file.sections.options->stopTolerance, 1e-4);
    EXPECT_EQ(file.sections.options->acceleration, 1.6);
    // the limits read back write the same text; limits alone are a section too
    EXPECT_EQ(FormatNetworkFile(cells, file.sections), contents);
    CalculationOptions limitsOnly;
    limitsOnly.reactiveLimits[0].qmax = 1.0;
    EXPECT_FALSE(IsEmpty(FileSections{std::nullopt, limitsOnly}));
    EXPECT_TRUE(file.sections.lineData);
    ExpectSameCells(CellsOfFiftySixLines(contents), cells);
    // every option off is no section at all
    EXPECT_EQ(FormatNetworkFile(cells, FileSections{std::nullopt, CalculationOptions{}}),
              FormatNetworkFile(cells));

    // damaged options leave the line data read, and the other way round
    std::string damaged = contents;
    damaged.replace(damaged.find("accelerazione=1.6"), 17, "accelerazione=3");
    const NetworkFile withoutOptions = ParseNetworkFileWithSections(damaged);
    EXPECT_TRUE(withoutOptions.sections.lineData);
    EXPECT_FALSE(withoutOptions.sections.options);
    ASSERT_TRUE(withoutOptions.sectionProblem);
    EXPECT_NE(SectionProblemText(*withoutOptions.sectionProblem)
                  .find("Le opzioni di calcolo non sono state lette"),
              std::string::npos);
    damaged = contents;
    damaged.replace(damaged.find("ramo=1"), 6, "ramo=1\t1");
    const NetworkFile withoutLines = ParseNetworkFileWithSections(damaged);
    EXPECT_FALSE(withoutLines.sections.lineData);
    EXPECT_TRUE(withoutLines.sections.options);
}

} // namespace
} // namespace nodewise
