// The help texts are laid out for a message box in a fixed-pitch column scheme; a stray
// indent or a lost line shows at once on screen, so the layout is checked line by line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/input/help_texts.h"

namespace nodewise {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::size_t Indent(const std::string& line) {
    return line.find_first_not_of(' ');
}

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    for (const std::string& line : lines) {
        if (line.size() >= 25 && line.substr(25) == wanted && Indent(line) == 25) {
            return true;
        }
    }
    return false;
}

struct HelpCase {
    const char* name;
    std::string (*text)();
    const char* title;
    std::size_t rangeColumn;
    bool listsNodeTypes;
};

const HelpCase Cases[] = {
    {"active power", ActivePowerHelpText, "Iniezioni di potenza attiva", 55, true},
    {"reactive power", ReactivePowerHelpText, "Iniezioni di potenza reattiva", 55, true},
    {"voltage magnitude", VoltageMagnitudeHelpText, "Moduli delle tensioni nodali", 55, true},
    {"voltage phase", VoltagePhaseHelpText, "Fasi delle tensioni nodali", 55, true},
    {"admittance matrix", AdmittanceHelpText, "Matrice delle ammettenze nodali", 58, false},
};

TEST(HelpTexts, TitleThenIndentedParagraphsAndARangeColumn) {
    for (const HelpCase& c : Cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> lines = Lines(c.text());
        ASSERT_GT(lines.size(), 6u);
        EXPECT_EQ(lines[0], c.title);
        EXPECT_EQ(lines[1], "");
        bool rangeSeen = false;
        bool inRange = false;
        for (std::size_t i = 2; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            if (line.empty()) {
                inRange = false;
                continue;
            }
            EXPECT_NE(line.back(), ' ') << "trailing blank on line " << i;
            if (line.compare(25, 16, "Campo di valori:") == 0) {
                rangeSeen = true;
                inRange = true;
                EXPECT_EQ(Indent(line.substr(41)) + 41, c.rangeColumn) << line;
                continue;
            }
            EXPECT_EQ(Indent(line), inRange ? c.rangeColumn : 25u) << line;
        }
        EXPECT_TRUE(rangeSeen);
        EXPECT_EQ(HasLine(lines, "0-Ed  1-PQ  2-PE  3-Pd  4-QE  5-Qd"), c.listsNodeTypes);
        EXPECT_TRUE(HasLine(lines, "Informazioni aggiuntive:"));
    }
}

TEST(HelpTexts, EachQuantityNamesTheNodeTypesThatLeaveItUnknown) {
    EXPECT_NE(ActivePowerHelpText().find("(nodi Ed, QE, Qd)"), std::string::npos);
    EXPECT_NE(ReactivePowerHelpText().find("(nodi Ed, PE, Pd)"), std::string::npos);
    EXPECT_NE(VoltageMagnitudeHelpText().find("(nodi PQ, Pd, Qd)"), std::string::npos);
    EXPECT_NE(VoltagePhaseHelpText().find("(nodi PQ, PE, QE)"), std::string::npos);
    EXPECT_TRUE(HasLine(Lines(VoltagePhaseHelpText()), "Unità di misura: gradi."));
}

TEST(HelpTexts, AdmittanceHelpGivesTheSyntaxAndOneExamplePerLine) {
    const std::vector<std::string> lines = Lines(AdmittanceHelpText());
    EXPECT_TRUE(HasLine(lines, "<SEGNO><PARTE REALE><SEGNO><PARTE IMMAGINARIA>J"));
    const std::vector<std::string> examples = {"1,23 + 0,37 J", "-3,21 - 2 J", "1", "+5", "- J"};
    bool found = false;
    for (std::size_t i = 0; i + examples.size() <= lines.size() && !found; ++i) {
        found = true;
        for (std::size_t k = 0; k < examples.size(); ++k) {
            found = found && lines[i + k] == std::string(25, ' ') + examples[k];
        }
    }
    EXPECT_TRUE(found);
    EXPECT_NE(AdmittanceHelpText().find("(pu=PerUnit)"), std::string::npos);
}

} // namespace
} // namespace nodewise
