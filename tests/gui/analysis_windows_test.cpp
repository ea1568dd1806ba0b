// The Analisi menu and its three windows as the user drives them: opened from the keyboard
// and with the mouse, following the runs, emptied by an acquisition, saving the report.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>

#include "gui/analysis/convergence_window.h"
#include "gui/analysis/matrix_window.h"
#include "gui/analysis/network_diagram_window.h"
#include "gui/analysis/power_balance_window.h"
#include "gui/analysis/step_window.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"
#include "gui/style/list_numbers.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

class AnalysisWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }

    static QMenu* AnalysisMenu() {
        return frmDataIn->menuBar()->findChild<QMenu*>(QStringLiteral("AnalysisMenu"));
    }

    template <class T> static T* Find(QWidget* window, const char* name) {
        return Child<T>(window, QString::fromLatin1(name));
    }

    static QString Cell(QTableWidget* table, int row, int column) {
        const QTableWidgetItem* item = table->item(row, column);
        return item != nullptr ? item->text() : QString();
    }

    void RunOnTwoNodes(const char* button, const char* iterations = "6") {
        if (!frmDataOk->isVisible()) {
            TypeTwoNodeNetwork(iterations);
            AcquireTyped();
            ASSERT_TRUE(frmDataOk->isVisible());
        }
        Click(frmDataOk, button);
        ASSERT_TRUE(Recorder().messages.empty());
    }
};

TEST_F(AnalysisWindowsTest, MenuAfterEditOpensEachWindowByKeyboardAndMouse) {
    const QList<QAction*> bar = frmDataIn->menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[1]->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(bar[2]->text(), QStringLiteral("&Analisi"));
    EXPECT_EQ(bar[3]->text(), QStringLiteral("&Help"));
    QMenu* menu = AnalysisMenu();
    ASSERT_EQ(menu, bar[2]->menu());
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 5);

    struct Item {
        const char* text;
        Qt::Key key;
        QWidget* window;
        const char* title;
    };
    const Item expected[5] = {
        {"&Convergenza", Qt::Key_C, frmConvergence, "Convergenza"},
        {"&Bilancio di potenza", Qt::Key_B, frmPowerBalance, "Bilancio di potenza"},
        {"&Matrice acquisita", Qt::Key_M, frmMatrix, "Matrice acquisita"},
        {"&Passo per passo", Qt::Key_P, frmStep, "Passo per passo"},
        {"&Schema della rete", Qt::Key_S, frmNetworkDiagram, "Schema della rete"},
    };
    for (int i = 0; i < 5; ++i) {
        const Item& item = expected[i];
        EXPECT_EQ(items[i]->text(), QString::fromUtf8(item.text));
        EXPECT_EQ(item.window->windowTitle(), QString::fromUtf8(item.title));

        // Keyboard: Alt+A opens the menu, the item's underlined letter chooses.
        QApplication::setActiveWindow(frmDataIn);
        QTest::keyClick(frmDataIn->menuBar(), Qt::Key_A, Qt::AltModifier);
        ASSERT_TRUE(menu->isVisible());
        QTest::keyClick(menu, item.key);
        EXPECT_TRUE(item.window->isVisible()) << item.title;
        EXPECT_FALSE(menu->isVisible());
        item.window->close();

        // Mouse: a click on the item.
        menu->popup(frmDataIn->mapToGlobal(QPoint(60, 0)));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(items[i]).center());
        EXPECT_TRUE(item.window->isVisible()) << item.title;
    }
    HideResultForms(); // with the other secondary windows
    EXPECT_FALSE(frmConvergence->isVisible());
    EXPECT_FALSE(frmPowerBalance->isVisible());
    EXPECT_FALSE(frmMatrix->isVisible());
    EXPECT_FALSE(frmStep->isVisible());
    EXPECT_FALSE(frmNetworkDiagram->isVisible());
}

TEST_F(AnalysisWindowsTest, ConvergenceFollowsEveryRunAndEmptiesOnAcquisition) {
    RunOnTwoNodes("btnGauss");
    ShowConvergenceWindow();
    auto* table = Find<QTableWidget>(frmConvergence, "ConvergenceTable");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(Cell(table, 0, 0), QStringLiteral("Gauss-Seidel"));
    EXPECT_EQ(Cell(table, 0, 1), QStringLiteral("6"));
    EXPECT_EQ(Cell(table, 0, 2), QStringLiteral("non converge"));

    RunOnTwoNodes("btnNewton"); // the window is open: it follows
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Cell(table, 1, 0), QStringLiteral("Newton-Raphson"));
    EXPECT_EQ(Cell(table, 1, 2), QStringLiteral("4"));

    // A looser tolerance, typed with the user's decimal separator, moves the convergence.
    auto* tolerance = Find<QLineEdit>(frmConvergence, "txtTolerance");
    tolerance->setText(QStringLiteral("0") + QLocale().decimalPoint() + QStringLiteral("001"));
    emit tolerance->editingFinished();
    EXPECT_EQ(Cell(table, 1, 2), QStringLiteral("2"));
    EXPECT_TRUE(Recorder().messages.empty());
    // Not a positive finite number: the rule's message, and back to the tolerance in use.
    for (const char* typed : {"abc", "0", "-1e-3", "inf", ""}) {
        Recorder().messages.clear();
        tolerance->setText(QString::fromLatin1(typed));
        emit tolerance->editingFinished();
        EXPECT_EQ(ConvergenceTolerance(), 0.001) << typed;
        EXPECT_EQ(tolerance->text(), ListNumber(0.001, QLocale().decimalPoint())) << typed;
        ASSERT_EQ(Recorder().messages.size(), 1u) << typed;
        EXPECT_EQ(Recorder().messages[0].caption, "Attenzione:");
        EXPECT_EQ(Recorder().messages[0].text,
                  "La tolleranza deve essere un numero positivo e finito, per esempio 1e-8.");
    }
    Recorder().messages.clear();
    emit tolerance->editingFinished(); // the restored text is taken without a word
    EXPECT_TRUE(Recorder().messages.empty());
    // In Italian the full stop groups thousands: typed as a decimal point it is still one.
    const QLocale previousLocale;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    for (const char* typed : {"0.001", "0,001", "1e-3"}) {
        SetConvergenceTolerance(DefaultTolerance);
        tolerance->setText(QString::fromLatin1(typed));
        emit tolerance->editingFinished();
        EXPECT_EQ(ConvergenceTolerance(), 0.001) << typed;
    }
    QLocale::setDefault(previousLocale);
    SetConvergenceTolerance(DefaultTolerance);

    AcquireTyped();
    EXPECT_FALSE(frmConvergence->isVisible());
    ShowConvergenceWindow();
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_TRUE(Find<QLabel>(frmConvergence, "lblEmpty")->isVisible());
}

TEST_F(AnalysisWindowsTest, PowerBalanceShowsTheSlackAndSavesTheReport) {
    ShowPowerBalanceWindow();
    auto* methods = Find<QComboBox>(frmPowerBalance, "cboMethod");
    auto* save = Find<QPushButton>(frmPowerBalance, "btnSaveReport");
    EXPECT_EQ(methods->count(), 0);
    EXPECT_FALSE(save->isEnabled());
    frmPowerBalance->close();

    RunOnTwoNodes("btnNewton");
    RunOnTwoNodes("btnStott");
    ShowPowerBalanceWindow();
    ASSERT_EQ(methods->count(), 2);
    methods->setCurrentIndex(methods->findText(QStringLiteral("Newton-Raphson")));
    auto* nodes = Find<QTableWidget>(frmPowerBalance, "NodeTable");
    ASSERT_EQ(nodes->rowCount(), 2);
    const QString point = QLocale().decimalPoint();
    EXPECT_TRUE(Cell(nodes, 0, 4).startsWith(QStringLiteral("0") + point + "51279"));
    // six significant digits, the whole value in the tooltip
    EXPECT_EQ(Cell(nodes, 0, 5), QStringLiteral("0") + point + "263969");
    EXPECT_TRUE(nodes->item(0, 5)->toolTip().contains(QStringLiteral("0") + point + "263968"));
    EXPECT_TRUE(nodes->item(1, 4)->font().italic());  // P of the load is given
    EXPECT_FALSE(nodes->item(0, 4)->font().italic()); // the slack's is computed
    auto* branches = Find<QTableWidget>(frmPowerBalance, "BranchTable");
    ASSERT_EQ(branches->rowCount(), 1);
    EXPECT_TRUE(Cell(branches, 0, 6).startsWith(QStringLiteral("0") + point + "01279"));
    EXPECT_EQ(Find<QTableWidget>(frmPowerBalance, "ShuntTable")->rowCount(), 0);
    // Cell for cell, and heading for heading, what the CSV report of the same style holds.
    const QString report = QString::fromStdString(FormatAnalysisReport(
        ReportFormat::Csv, AcquiredNetwork(), AcquiredCells(), ProgramRuns().runs(), Method::Newton,
        ConvergenceTolerance(), AnalysisNumberStyle()));
    for (auto [table, section] : {std::pair{nodes, "\nNodi\n"}, std::pair{branches, "\nRami\n"}}) {
        const qsizetype from = report.indexOf(QLatin1String(section)) + qsizetype(strlen(section));
        const QStringList lines =
            report.mid(from, report.indexOf(QStringLiteral("\n\n"), from) - from)
                .replace(QLatin1Char(','), point)
                .split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), table->rowCount() + 1) << section;
        for (int c = 0; c < table->columnCount(); ++c) {
            EXPECT_EQ(table->horizontalHeaderItem(c)->text(), lines[0].split(';')[c]);
            for (int r = 0; r < table->rowCount(); ++r) {
                EXPECT_EQ(Cell(table, r, c), lines[r + 1].split(';')[c]) << section << r << c;
            }
        }
    }

    QTemporaryDir dir;
    const QString html = dir.filePath(QStringLiteral("report.html"));
    const QString csv = dir.filePath(QStringLiteral("report.csv"));
    ScriptedFileDialogs().replies.push_back({html, 1});
    ScriptedFileDialogs().replies.push_back({csv, 2});
    Click(frmPowerBalance, "btnSaveReport");
    Click(frmPowerBalance, "btnSaveReport");
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 2u);
    EXPECT_EQ(ScriptedFileDialogs().requests[0].title, QStringLiteral("Salva report"));
    EXPECT_EQ(ScriptedFileDialogs().requests[0].filter,
              QStringLiteral("Report HTML|*.html|CSV (Excel italiano)|*.csv"));
    QFile htmlFile(html);
    QFile csvFile(csv);
    ASSERT_TRUE(htmlFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    const QByteArray htmlBytes = htmlFile.readAll();
    EXPECT_TRUE(htmlBytes.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(htmlBytes.contains("<svg"));
    EXPECT_TRUE(htmlBytes.contains("Bilancio di potenza - Newton-Raphson"));
    EXPECT_TRUE(csvFile.readAll().startsWith("Bilancio di potenza;Newton-Raphson\n"));
    EXPECT_TRUE(Recorder().messages.empty());

    // A report that cannot be written says so.
    ScriptedFileDialogs().replies.push_back({dir.filePath(QStringLiteral("no/r.csv")), 2});
    Click(frmPowerBalance, "btnSaveReport");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, ReportCsvErrorText);
    EXPECT_EQ(Recorder().messages[0].caption, "Errore");
}

TEST_F(AnalysisWindowsTest, MatrixMarksTheCellsWithUnusedText) {
    TypeTwoNodeNetwork("5");
    TypeY(0, 1, "-1+5J");
    AcquireTyped();
    ShowMatrixWindow();
    auto* table = Find<QTableWidget>(frmMatrix, "MatrixTable");
    ASSERT_EQ(table->rowCount(), 2);
    ASSERT_EQ(table->columnCount(), 2);
    EXPECT_EQ(Cell(table, 0, 0), QStringLiteral("1 - j5"));
    for (const auto& [r, c] : {std::pair{0, 1}, std::pair{1, 0}}) { // both halves
        EXPECT_EQ(Cell(table, r, c), QStringLiteral("-1 + j0"));
        EXPECT_TRUE(table->item(r, c)->toolTip().contains(QStringLiteral("«+5J»")));
        EXPECT_NE(table->item(r, c)->background(), table->item(0, 0)->background());
    }
    EXPECT_FALSE(table->item(1, 1)->toolTip().contains(QStringLiteral("non usato")));
}

} // namespace
} // namespace nodewise::testing
