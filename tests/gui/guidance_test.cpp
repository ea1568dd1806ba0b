// A program that guides a learner, driven as a user would: cells not read whole marked with
// what was read, the rows of nodes without two quantities, shortcut keys, undo of the commands
// that replace the grid, faults told in Italian, the analysis windows' digits, units and
// not-converged notice, and where the program's own windows open.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "gui/analysis/convergence_window.h"
#include "gui/analysis/power_balance_window.h"
#include "gui/input/cell_marks.h"
#include "gui/input/data_entry_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/program_windows.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

const QColor Unread(0xff, 0xd8, 0xa8);
const QColor NodeFault(0xff, 0xc4, 0xc4);

class GuidanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        SetAnalysisNumberStyle({DefaultShownDigits, false, DefaultBasePower});
    }
    void TearDown() override {
        ResetProgramState();
        SetAnalysisNumberStyle({DefaultShownDigits, false, DefaultBasePower});
    }

    static QColor Ground(const QLineEdit* cell) { return cell->palette().color(QPalette::Base); }
    static QString Note(const QLineEdit* cell) {
        return cell->property(CellNoteProperty).toString();
    }
    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QApplication::setActiveWindow(frmDataIn);
        QWidget* target =
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : frmDataIn;
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }
    static QString Cell(QTableWidget* table, int row, int column) {
        const QTableWidgetItem* item = table->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
};

TEST_F(GuidanceTest, ACellNotReadWholeIsMarkedWithWhatWasReadAndFollowsTheTyping) {
    TypeTwoNodeNetwork("5");
    QLineEdit* y12 = AdmittanceCell(frmDataIn, 1, 0);
    QLineEdit* p2 = DataCell(frmDataIn, 2, 1);
    const QColor plain = frmDataIn->palette().color(QPalette::Base);
    TypeY(0, 1, "abc");
    AcquireTyped();
    EXPECT_TRUE(Recorder().messages.empty()); // the cell still reads as 0: no warning
    EXPECT_EQ(Ground(y12), Unread);
    EXPECT_EQ(y12->toolTip(), QStringLiteral("abc\nletto come 0: testo non usato «abc»"));
    EXPECT_EQ(Ground(AdmittanceCell(frmDataIn, 0, 0)), plain);
    EXPECT_EQ(AdmittanceCell(frmDataIn, 0, 0)->toolTip(), QStringLiteral("1-5j"));

    // From now on the marks follow what is typed.
    TypeData(1, 2, "-4e-3");
    EXPECT_EQ(Ground(p2), Unread);
    EXPECT_EQ(p2->toolTip(), QStringLiteral("letto come -4: l'esponente non è previsto"));
    TypeData(1, 2, "-0,004");
    EXPECT_EQ(Ground(p2), plain);
    EXPECT_TRUE(p2->toolTip().isEmpty());
    TypeY(0, 1, "-1+5j");
    EXPECT_EQ(Ground(y12), plain);
    EXPECT_EQ(y12->toolTip(), QStringLiteral("-1+5j")); // an admittance cell's text, as ever

    // A data cell wider than its text shows it all in its tooltip.
    TypeData(1, 3, "-0,20000000000000001");
    EXPECT_EQ(DataCell(frmDataIn, 3, 1)->toolTip(), QStringLiteral("-0,20000000000000001"));
}

TEST_F(GuidanceTest, TheRowsOfNodesWithoutTwoQuantitiesAreMarkedUntilMended) {
    TypeTwoNodeNetwork("5");
    TypeData(0, 2, "1"); // node 1: E, d and P
    AcquireTyped();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, InputWarningText(WarningNodeType)); // unchanged
    for (int c = 0; c < DataColumns; ++c) {
        EXPECT_EQ(Ground(DataCell(frmDataIn, c, 0)), NodeFault) << c;
        EXPECT_EQ(DataCell(frmDataIn, c, 0)->toolTip(),
                  QStringLiteral("il nodo 1 ha 3 dati su 4: ne servono esattamente 2"));
        EXPECT_NE(Ground(DataCell(frmDataIn, c, 1)), NodeFault) << c;
    }
    TypeData(0, 2, "");
    for (int c = 0; c < DataColumns; ++c) {
        EXPECT_NE(Ground(DataCell(frmDataIn, c, 0)), NodeFault) << c;
        EXPECT_TRUE(DataCell(frmDataIn, c, 0)->toolTip().isEmpty());
    }
}

TEST_F(GuidanceTest, ShortcutKeysAreShownInTheMenusAndWork) {
    const std::pair<const char*, const char*> items[] = {
        {"FileNewItem", "Ctrl+N"},  {"FileOpenItem", "Ctrl+O"}, {"FileSaveAsItem", "Ctrl+S"},
        {"FileExitItem", "Ctrl+Q"}, {"EditUndoItem", "Ctrl+Z"}, {"HelpContentsItem", "F1"}};
    for (const auto& [name, keys] : items) {
        EXPECT_EQ(Child<QAction>(frmDataIn, name)->shortcut(),
                  QKeySequence(QString::fromLatin1(keys)))
            << name;
    }
    frmDataIn->activateWindow();
    AdmittanceCell(frmDataIn, 0, 0)->setFocus();
    Key(Qt::Key_O); // a cancelled open dialog
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 1u);
    EXPECT_FALSE(ScriptedFileDialogs().requests[0].save);
    EXPECT_EQ(ScriptedFileDialogs().requests[0].title,
              QStringLiteral("Apri un File dati di rete per loadflow"));
    Key(Qt::Key_S);
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 2u);
    EXPECT_TRUE(ScriptedFileDialogs().requests[1].save);
}

TEST_F(GuidanceTest, CtrlZBringsBackTheCellsAClearOrAnOpenReplaced) {
    TypeTwoNodeNetwork("5");
    const CellTexts typed = frmDataIn->ReadCells();
    frmDataIn->activateWindow();
    DataCell(frmDataIn, 2, 1)->setFocus();
    Key(Qt::Key_N);
    EXPECT_TRUE(AdmittanceCell(frmDataIn, 0, 0)->text().isEmpty());
    EXPECT_TRUE(Child<QAction>(frmDataIn, "EditUndoItem")->isEnabled());
    Key(Qt::Key_Z); // the focused cell was cleared by the command, not by typing: all come back
    EXPECT_EQ(frmDataIn->ReadCells().Admittance[1][0], typed.Admittance[1][0]);
    EXPECT_EQ(frmDataIn->ReadCells().Data[2][1], typed.Data[2][1]);
    EXPECT_EQ(frmDataIn->ReadCells().Data[3][1], typed.Data[3][1]);

    // An opened file replaces them; Ctrl+Z gives back the typed network, once more the file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tre.nwd"));
    CellTexts file;
    file.Admittance[0][0] = "3-9j";
    ASSERT_TRUE(WriteNetworkFile(QFile::encodeName(path).toStdString(), file));
    frmDataIn->OpenNetworkFile(path);
    EXPECT_EQ(AdmittanceCell(frmDataIn, 0, 0)->text(), QStringLiteral("3-9j"));
    Key(Qt::Key_Z);
    EXPECT_EQ(AdmittanceCell(frmDataIn, 0, 0)->text(), QStringLiteral("1-5j"));
    Key(Qt::Key_Z);
    EXPECT_EQ(AdmittanceCell(frmDataIn, 0, 0)->text(), QStringLiteral("3-9j"));

    // Typing makes the typing the last change: Ctrl+Z is the cell's own again.
    QLineEdit* cell = AdmittanceCell(frmDataIn, 1, 1);
    cell->setFocus();
    QTest::keyClicks(cell, QStringLiteral("7"));
    EXPECT_FALSE(Child<QAction>(frmDataIn, "EditUndoItem")->isEnabled());
    Key(Qt::Key_Z);
    EXPECT_TRUE(cell->text().isEmpty());
    EXPECT_EQ(AdmittanceCell(frmDataIn, 0, 0)->text(), QStringLiteral("3-9j"));

    // The entry point for other whole-grid fills.
    frmDataIn->ReplaceCellsUndoably(typed);
    Child<QAction>(frmDataIn, "EditUndoItem")->trigger();
    EXPECT_EQ(AdmittanceCell(frmDataIn, 0, 0)->text(), QStringLiteral("3-9j"));
}

TEST_F(GuidanceTest, AHeadingDoesNotStayHighlightedAfterItsHint) {
    QLabel* heading = Child<QLabel>(frmDataIn, "lblE");
    QTest::mouseMove(heading, heading->rect().center());
    QTest::qWait(20);
    ASSERT_TRUE(heading->font().underline());
    QTest::mouseClick(heading, Qt::LeftButton);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_FALSE(heading->font().underline());
    EXPECT_EQ(heading->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(GuidanceTest, ADivisionByZeroInGaussSeidelIsToldInItalianAndStopsTheStatus) {
    TypeTwoNodeNetwork("3");
    TypeY(1, 1, "0");
    AcquireTyped();
    Click(frmDataOk, "btnGauss");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text,
              "Calcolo interrotto: divisione per zero\nnel metodo Gauss-Seidel, all'iterazione "
              "1, calcolando il nodo 2.\n\nI risultati di questo metodo non sono disponibili: "
              "controlla i dati della rete.");
    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Calcolo Gauss interrotto."));
    // a run that finishes keeps its texts
    ResetProgramState();
    TypeTwoNodeNetwork("3");
    AcquireTyped();
    Click(frmDataOk, "btnGauss");
    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Risultati calcolo Gauss pronti"));
}

TEST_F(GuidanceTest, PowerBalanceOpensOnTheLastRunAndSaysWhenItHasNotConverged) {
    TypeTwoNodeNetwork("2");
    AcquireTyped();
    Click(frmDataOk, "btnNewton");
    Click(frmDataOk, "btnGauss"); // run last
    ShowPowerBalanceWindow();
    auto* methods = Child<QComboBox>(frmPowerBalance, "cboMethod");
    EXPECT_EQ(methods->currentText(), QStringLiteral("Gauss-Seidel"));
    auto* notice = Child<QLabel>(frmPowerBalance, "lblNotConverged");
    EXPECT_FALSE(notice->isHidden());
    EXPECT_TRUE(notice->text().startsWith(
        QStringLiteral("Attenzione: Gauss-Seidel non è arrivato a convergenza: all'iterazione 2")));
    EXPECT_TRUE(notice->text().contains(QStringLiteral("tolleranza di 1E-8 pu")));
    frmPowerBalance->close();

    // Six significant digits by default, the exact value in the tooltip; MW on 100 MVA.
    TypeIterations("20");
    AcquireTyped();
    Click(frmDataOk, "btnNewton");
    ShowPowerBalanceWindow();
    EXPECT_TRUE(notice->isHidden());
    auto* nodes = Child<QTableWidget>(frmPowerBalance, "NodeTable");
    const QString point = QLocale().decimalPoint();
    const QString slackP = Cell(nodes, 0, 4);
    EXPECT_LE(slackP.size(), 8) << slackP.toStdString(); // 0.51279x
    EXPECT_TRUE(nodes->item(0, 4)->toolTip().startsWith(QStringLiteral("calcolato: 0") + point +
                                                        QStringLiteral("51279")));
    Child<QComboBox>(frmPowerBalance, "cboUnits")->setCurrentIndex(1);
    EXPECT_EQ(nodes->horizontalHeaderItem(4)->text(), QStringLiteral("P (MW)"));
    EXPECT_EQ(Cell(nodes, 1, 4), QStringLiteral("-50"));
    EXPECT_EQ(Cell(nodes, 1, 5), QStringLiteral("-20"));
    Child<QSpinBox>(frmPowerBalance, "spnDigits")->setValue(3);
    EXPECT_EQ(Cell(nodes, 0, 4), QStringLiteral("51") + point + QStringLiteral("3"));

    // Convergenza follows the same style, and a double click opens the results where the method
    // converged.
    ShowConvergenceWindow();
    auto* table = Child<QTableWidget>(frmConvergence, "ConvergenceTable");
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), QStringLiteral("Scarto finale (MW/Mvar)"));
    ASSERT_EQ(table->rowCount(), 1);
    const int converged = Cell(table, 0, 2).toInt();
    ASSERT_GT(converged, 0);
    NewtonResultsWindow->close();
    emit table->cellDoubleClicked(0, 1);
    EXPECT_TRUE(NewtonResultsWindow->isVisible());
    EXPECT_EQ(NewtonResultsWindow->CurrentListRow(), converged * (2 + 3));
    EXPECT_EQ(NewtonResultsWindow->ListText(NewtonResultsWindow->CurrentListRow(), 0),
              QString::number(converged));
}

TEST_F(GuidanceTest, AnAnalysisWindowOpensWhollyOnTheMainWindowsScreen) {
    const QRect area = frmDataIn->screen()->availableGeometry();
    frmConvergence->move(area.right() + 500, area.bottom() + 300);
    ShowConvergenceWindow();
    EXPECT_TRUE(area.contains(frmConvergence->frameGeometry()))
        << frmConvergence->frameGeometry().x() << "," << frmConvergence->frameGeometry().y();
    const QPoint placed = frmConvergence->pos();
    frmConvergence->close();
    ShowConvergenceWindow(); // a window wholly on the screen stays where it is
    EXPECT_EQ(frmConvergence->pos(), placed);
}

} // namespace
} // namespace nodewise::testing
