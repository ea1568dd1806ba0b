// "Passo per passo" as the user drives it: the labelled tables of an iteration, the formula of a
// Jacobian element and of a Gauss-Seidel node, the LaTeX on the clipboard, the saved step,
// following the runs and hidden by an acquisition.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include "core/report/step_export.h"
#include "gui/analysis/step_window.h"
#include "gui/shell/run_store.h"
#include "gui/style/list_numbers.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

class StepWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }

    template <class T> static T* Find(const char* name) {
        return Child<T>(frmStep, QString::fromLatin1(name));
    }
    // NODEWISE_STEP_SCREENSHOT=PREFIX (under a real display): the screen with the window, and
    // the tooltip of `item` if given, in PREFIX-name.png, to look at.
    static void Screenshot(const char* name, QTableWidget* table = nullptr,
                           QTableWidgetItem* item = nullptr) {
        const QByteArray prefix = qgetenv("NODEWISE_STEP_SCREENSHOT");
        if (prefix.isEmpty()) {
            return;
        }
        frmStep->move(0, 0);
        QTest::qWait(300);
        if (item != nullptr) {
            const QRect cell = table->visualItemRect(item);
            QToolTip::showText(table->viewport()->mapToGlobal(cell.center()), item->toolTip(),
                               table);
            QTest::qWait(500);
        }
        QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(prefix) + "-" +
                                                             name + ".png");
    }
    static QStringList RowLabels(QTableWidget* table) {
        QStringList labels;
        for (int r = 0; r < table->rowCount(); ++r) {
            labels << table->verticalHeaderItem(r)->text();
        }
        return labels;
    }
    static QStringList ColumnLabels(QTableWidget* table) {
        QStringList labels;
        for (int c = 0; c < table->columnCount(); ++c) {
            labels << table->horizontalHeaderItem(c)->text();
        }
        return labels;
    }
};

// The triangle with a Pd node 2 and a PQ node 3: Newton-Raphson's rows P2, P3, Q3 and columns
// E2, E3, d3, in the numbering the solver uses.
TEST_F(StepWindowTest, NewtonTablesLabelledWithFormulaTooltipsAndLatex) {
    TypePdNetwork("4");
    AcquireTyped();
    Click(frmDataOk, "btnNewton"); // warning 8, then it runs
    ShowStepWindow();
    auto* methods = Find<QComboBox>("cboMethod");
    ASSERT_EQ(methods->count(), 1);
    EXPECT_EQ(methods->currentText(), QStringLiteral("Newton-Raphson"));
    auto* spin = Find<QSpinBox>("spnIteration");
    EXPECT_EQ(spin->maximum(), 4);

    auto* jacobian = Find<QTableWidget>("jacobian");
    EXPECT_EQ(RowLabels(jacobian), (QStringList{"P2", "P3", "Q3"}));
    EXPECT_EQ(ColumnLabels(jacobian), (QStringList{"E2", "E3", "d3"}));
    EXPECT_EQ(RowLabels(Find<QTableWidget>("mismatch")), (QStringList{"P2", "P3", "Q3"}));
    EXPECT_EQ(RowLabels(Find<QTableWidget>("jacobian_inverse")), (QStringList{"E2", "E3", "d3"}));
    EXPECT_EQ(RowLabels(Find<QTableWidget>("correction")), (QStringList{"E2", "E3", "d3"}));
    EXPECT_EQ(ColumnLabels(Find<QTableWidget>("state")).size(), 4);

    // The numbers are the solver's, in the list format; the node's own elements in bold.
    const IterationStep& step = frmStep->Step();
    const QString point = QLocale().decimalPoint();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(jacobian->item(r, c)->text(), ListNumber(step.jacobian[r][c], point));
        }
    }
    EXPECT_TRUE(jacobian->item(0, 0)->font().bold());  // P2, E2
    EXPECT_FALSE(jacobian->item(0, 1)->font().bold()); // P2, E3
    EXPECT_TRUE(jacobian->item(2, 2)->font().bold());  // Q3, d3

    // P2 against E3 at the flat start: E2 = 1, |Y23| = |-1 + j5|, d2 = -2 degrees given.
    const QString tip = jacobian->item(0, 1)->toolTip();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("∂P2/∂E3 = E2·|Y23|·cos(d2 − d3 − θ23) = 1 · 5") +
                               point + QStringLiteral("09902 · cos(-2° − 0° − 101") + point +
                               QStringLiteral("31°)")))
        << tip.toStdString();
    EXPECT_TRUE(tip.endsWith(QStringLiteral(" = ") + ListNumber(step.jacobian[0][1], point)));
    EXPECT_TRUE(jacobian->item(2, 2)->toolTip().startsWith(
        QStringLiteral("∂Q3/∂d3 = E3·Σm≠3 |Y3m|·Em·cos(d3 − dm − θ3m)")));

    Screenshot("newton", jacobian, jacobian->item(0, 1));

    // Iteration 3 by the slider: the spin box and the tables follow.
    Find<QSlider>("sldIteration")->setValue(3);
    EXPECT_EQ(spin->value(), 3);
    EXPECT_EQ(frmStep->Step().iteration, 3);
    EXPECT_EQ(Find<QTableWidget>("jacobian")->item(0, 0)->text(),
              ListNumber(frmStep->Step().jacobian[0][0], point));

    Click(frmStep, "btnCopyLatex");
    const QString latex = QApplication::clipboard()->text();
    EXPECT_TRUE(
        latex.startsWith(QStringLiteral("% Passo per passo - Newton-Raphson, iterazione 3\n")));
    EXPECT_TRUE(
        latex.contains(QStringLiteral("J = \\left[\\begin{array}{crrr}\n & \\scriptstyle E_{2} & "
                                      "\\scriptstyle E_{3} & \\scriptstyle d_{3} \\\\\n"
                                      "\\scriptstyle P_{2} & ")))
        << latex.toStdString();
    EXPECT_TRUE(latex.contains(QStringLiteral("\\[\nJ^{-1} = \\left[\\begin{array}")));
    EXPECT_EQ(latex.count(QStringLiteral("\\begin{array}")),
              latex.count(QStringLiteral("\\end{array}\\right]\n\\]\n")));

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("step.csv"));
    ScriptedFileDialogs().replies.push_back({csv, 2});
    Click(frmStep, "btnSave");
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 1u);
    EXPECT_EQ(ScriptedFileDialogs().requests[0].filter,
              QStringLiteral("Pagina HTML|*.html|CSV (Excel italiano)|*.csv"));
    const QByteArray bytes = ReadFile(csv);
    EXPECT_TRUE(bytes.startsWith("Passo per passo;Newton-Raphson\nIterazione;3\n"));
    EXPECT_TRUE(bytes.contains("\nJacobiano J\n;E2;E3;d3\nP2;"));
    EXPECT_FALSE(bytes.contains('.')); // decimal commas
}

// Stott-Alsac on the two-node network: B' and B'' are the susceptance -5 itself, their inverses
// -0.2, shown in the order of the iteration (the Q-E half first).
TEST_F(StepWindowTest, StottShowsTheConstantMatricesInTheOrderOfTheIteration) {
    TypeTwoNodeNetwork("3");
    AcquireTyped();
    Click(frmDataOk, "btnStott");
    ShowStepWindow();
    Find<QSpinBox>("spnIteration")->setValue(2);
    QStringList order;
    for (const QTableWidget* table : frmStep->findChildren<QTableWidget*>()) {
        order << table->objectName();
    }
    EXPECT_EQ(order, (QStringList{"mismatch", "b_second", "b_second_inverse", "b_prime",
                                  "b_prime_inverse", "correction", "state"}));
    auto* bPrime = Find<QTableWidget>("b_prime");
    EXPECT_EQ(RowLabels(bPrime), QStringList{"P2"});
    EXPECT_EQ(ColumnLabels(bPrime), QStringList{"d2"});
    EXPECT_EQ(bPrime->item(0, 0)->text(), QStringLiteral("-5"));
    EXPECT_EQ(RowLabels(Find<QTableWidget>("b_second")), QStringList{"Q2"});
    const QString point = QLocale().decimalPoint();
    EXPECT_EQ(Find<QTableWidget>("b_second_inverse")->item(0, 0)->text(),
              QStringLiteral("-0") + point + QStringLiteral("2"));
    auto* state = Find<QTableWidget>("state");
    EXPECT_EQ(state->item(1, 2)->text(), ListNumber(RunOf(Method::Stott)->EHistory[1][2], point));
    Screenshot("stott");
}

TEST_F(StepWindowTest, GaussNodesShowTheirRuleAndTheWindowFollowsTheRuns) {
    TypePdNetwork("5");
    AcquireTyped(); // nothing has run on it yet
    ShowStepWindow();
    EXPECT_EQ(Find<QComboBox>("cboMethod")->count(), 0);
    EXPECT_FALSE(Find<QPushButton>("btnCopyLatex")->isEnabled());
    EXPECT_TRUE(Find<QLabel>("lblNote")->text().startsWith(QStringLiteral("Nessun metodo")));
    Click(frmDataOk, "btnGauss"); // the open window follows the run
    auto* methods = Find<QComboBox>("cboMethod");
    ASSERT_EQ(methods->count(), 1);
    EXPECT_EQ(methods->currentText(), QStringLiteral("Gauss-Seidel"));
    auto* nodes = Find<QTableWidget>("nodes");
    ASSERT_EQ(nodes->rowCount(), 3);
    EXPECT_EQ(nodes->item(1, 1)->text(), QStringLiteral("Pd"));
    EXPECT_EQ(nodes->item(1, 2)->text(), QStringLiteral("Q2"));
    EXPECT_TRUE(nodes->item(0, 4)->text().isEmpty()); // the slack has no C + jR
    const QString rule = nodes->item(1, 4)->toolTip();
    EXPECT_TRUE(
        rule.startsWith(QStringLiteral("Nodo 2 (Pd)\n1. Q2 = E2·Σj |Y2j|·Ej·sin(d2 − dj − θ2j)")))
        << rule.toStdString();
    EXPECT_TRUE(rule.contains(QStringLiteral("d2 resta -2°")));
    Screenshot("gauss", nodes, nodes->item(1, 4));

    Click(frmDataOk, "btnNewton"); // and the next one
    EXPECT_EQ(methods->count(), 2);
    EXPECT_EQ(methods->currentText(), QStringLiteral("Newton-Raphson"));
    frmStep->close(); // a run made while it is closed is the one it opens on
    Click(frmDataOk, "btnGauss");
    ShowStepWindow();
    EXPECT_EQ(methods->currentText(), QStringLiteral("Gauss-Seidel"));

    AcquireTyped(); // hidden with the other secondary windows
    EXPECT_FALSE(frmStep->isVisible());
}

} // namespace
} // namespace nodewise::testing
