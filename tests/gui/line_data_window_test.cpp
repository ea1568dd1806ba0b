// "Dati di linea" driven as a user would: the textbook networks typed line by line give the
// matrices of the example files and the published solutions; a bad cell is marked as it is
// typed and changes nothing; the question before the grid's matrix is replaced; "Dalle celle";
// "Salva" and "Apri"; a MATPOWER import fills the tables.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "../core/solver_fixture.h"
#include "../core/textbook_lines.h"
#include "core/input/entry_syntax.h"
#include "gui/input/line_data_window.h"
#include "gui/shell/run_store.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise {
namespace {

using testing::Child;
using testing::Click;
using testing::Recorder;
using testing::ScriptedFileDialogs;

QTableWidget* Branches() {
    return Child<QTableWidget>(frmLineData, "tblBranches");
}
QTableWidget* Shunts() {
    return Child<QTableWidget>(frmLineData, "tblShunts");
}

// The editor opened on a cell, as a double click or a key opens it.
QLineEdit* OpenEditor(QTableWidget* table, int row, int column) {
    table->setCurrentCell(row, column);
    table->editItem(table->item(row, column));
    QLineEdit* editor = nullptr; // the one open; those closed before are hidden
    for (QLineEdit* box : table->viewport()->findChildren<QLineEdit*>()) {
        editor = box->isVisible() ? box : editor;
    }
    return editor;
}

// Types `text` into a cell of the table as a user does: the editor opened on the cell, the
// keys, Return.
void TypeCell(QTableWidget* table, int row, int column, const QString& text) {
    QLineEdit* editor = OpenEditor(table, row, column);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor hands its text over through the event loop
}

// A new row at the end of the table, typed cell by cell.
void TypeRow(QTableWidget* table, const char* addButton, const std::vector<QString>& cells) {
    Click(frmLineData, addButton);
    const int row = table->rowCount() - 1;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        ASSERT_NO_FATAL_FAILURE(TypeCell(table, row, static_cast<int>(c), cells[c]));
    }
}

void TypeBranch(const std::vector<QString>& cells) {
    TypeRow(Branches(), "btnAddBranch", cells);
}

QString Text(QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item == nullptr ? QString() : item->text();
}

class LineDataWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ResetProgramState();
        Click(frmDataIn, "spdbtnLines");
        ASSERT_TRUE(frmLineData->isVisible());
        ASSERT_EQ(Branches()->rowCount(), 0);
    }
};

struct TypedNetwork {
    const char* file;
    std::vector<std::vector<std::string>> branches;
    bool ohm = false; // R, X in ohm and B in microsiemens on 230 kV, 100 MVA
};

// The textbook networks in per unit, and the Grainger and Stevenson network once more in ohm and
// microsiemens: a 230 kV system (Z base 529 ohm), with the digits a student would carry.
std::vector<TypedNetwork> TypedNetworks() {
    std::vector<TypedNetwork> networks;
    for (const testing::TextbookLines& lines : testing::TextbookLineData) {
        networks.push_back({lines.file, lines.branches});
    }
    networks.push_back({"grainger-stevenson-4bus.nwd",
                        {{"1", "2", "5,33232", "26,6616", "193,762"},
                         {"1", "3", "3,93576", "19,6788", "146,503"},
                         {"2", "4", "3,93576", "19,6788", "146,503"},
                         {"3", "4", "6,72888", "33,6444", "241,021"}},
                        true});
    return networks;
}

TEST_F(LineDataWindowTest, TextbookNetworksTypedByLinesGiveTheFilesMatrixAndThePublishedSolution) {
    for (const TypedNetwork& net : TypedNetworks()) {
        SCOPED_TRACE(std::string(net.file) + (net.ohm ? " in ohm" : ""));
        testing::ResetProgramState();
        Click(frmDataIn, "spdbtnLines");
        // The node data as the file has them; the matrix comes from the lines.
        const CellTexts file = testing::ExampleNetwork(net.file);
        CellTexts nodeData = file;
        for (auto& column : nodeData.Admittance) {
            for (std::string& cell : column) {
                cell.clear();
            }
        }
        frmDataIn->WriteCells(nodeData);
        if (net.ohm) {
            QTest::mouseClick(Child<QCheckBox>(frmLineData, "chbPhysicalUnits"), Qt::LeftButton, {},
                              QPoint(5, 5));
            testing::Type(Child<QLineEdit>(frmLineData, "txtBaseKV"), "230");
            testing::Type(Child<QLineEdit>(frmLineData, "txtBaseMVA"), "100");
        }
        for (const std::vector<std::string>& branch : net.branches) {
            std::vector<QString> cells;
            for (const std::string& cell : branch) {
                cells.push_back(QString::fromStdString(cell));
            }
            ASSERT_NO_FATAL_FAILURE(TypeBranch(cells));
        }
        EXPECT_TRUE(Child<QLabel>(frmLineData, "lblMessage")->text().isEmpty());
        Click(frmLineData, "btnCompute");
        ASSERT_TRUE(Recorder().messages.empty()) << Recorder().messages[0].text;
        EXPECT_TRUE(ScriptedFileDialogs().questions.empty()) << "the grid's matrix was empty";

        const CellTexts written = frmDataIn->ReadCells();
        for (int c = 0; c < MaxNodes; ++c) {
            for (int r = 0; r <= c; ++r) {
                const Complex typed = ParseAdmittance(written.Admittance[c][r]);
                const Complex stored = ParseAdmittance(file.Admittance[c][r]);
                EXPECT_NEAR(typed.re, stored.re, 6e-5) << "Y" << r + 1 << c + 1;
                EXPECT_NEAR(typed.im, stored.im, 6e-5) << "Y" << r + 1 << c + 1;
                EXPECT_EQ(written.Admittance[c][r].empty(), file.Admittance[c][r].empty());
            }
        }
        for (int c = 0; c < DataColumns; ++c) {
            for (int r = 0; r < MaxNodes; ++r) {
                EXPECT_EQ(written.Data[c][r], file.Data[c][r]) << "node data left alone";
            }
        }

        testing::TypeIterations("10");
        testing::AcquireTyped();
        ASSERT_TRUE(Recorder().messages.empty()) << Recorder().messages[0].text;
        Click(frmDataOk, "btnNewton");
        for (const testing::PublishedVoltage& p : testing::PublishedVoltages) {
            if (std::string(p.file) == net.file) {
                EXPECT_NEAR(RunOf(Method::Newton)->EHistory[p.node][10], p.E, p.Etol)
                    << "node " << p.node + 1;
                EXPECT_NEAR(RunOf(Method::Newton)->dHistory[p.node][10], p.d, p.dtol)
                    << "node " << p.node + 1;
            }
        }
    }
}

TEST_F(LineDataWindowTest, ABadCellIsMarkedAsTypedAndComputingChangesNothing) {
    testing::TypeTwoNodeNetwork("20");
    const CellTexts before = frmDataIn->ReadCells();
    frmDataOk->show();

    ASSERT_NO_FATAL_FAILURE(TypeBranch({"1", "2", "0,1", "0,2x"}));
    const QString message = QStringLiteral("Rami, riga 1, colonna X: \u00ab0,2x\u00bb non \u00e8 "
                                           "un numero (cifre con la virgola o il punto, senza "
                                           "esponente).");
    EXPECT_EQ(Child<QLabel>(frmLineData, "lblMessage")->text(), message);
    EXPECT_EQ(Branches()->item(0, 3)->toolTip(), message);
    EXPECT_NE(Branches()->item(0, 3)->background(), Branches()->item(0, 2)->background());

    Click(frmLineData, "btnCompute");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(QString::fromStdString(Recorder().messages[0].text), message);
    EXPECT_EQ(Recorder().messages[0].caption, "Attenzione:");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Exclamation);

    // Mended, then a branch from a node to itself: only the whole table says so.
    ASSERT_NO_FATAL_FAILURE(TypeCell(Branches(), 0, 3, QStringLiteral("0,2")));
    EXPECT_TRUE(Child<QLabel>(frmLineData, "lblMessage")->text().isEmpty());
    ASSERT_NO_FATAL_FAILURE(TypeBranch({"2", "2", "0,1", "0,2"}));
    Recorder().messages.clear();
    Click(frmLineData, "btnCompute");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, "Rami, riga 2: il ramo collega il nodo 2 a se stesso.");

    // A node outside 1..7, then the row removed: the message goes with it.
    ASSERT_NO_FATAL_FAILURE(TypeCell(Branches(), 1, 1, QStringLiteral("8")));
    EXPECT_TRUE(Child<QLabel>(frmLineData, "lblMessage")->text().startsWith("Rami, riga 2"));
    Click(frmLineData, "btnRemoveBranch");
    EXPECT_TRUE(Child<QLabel>(frmLineData, "lblMessage")->text().isEmpty());

    // Checked at every key, before the text reaches the cell.
    Click(frmLineData, "btnAddBranch");
    QLineEdit* editor = OpenEditor(Branches(), 1, 2);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("0,1y"));
    EXPECT_EQ(Child<QLabel>(frmLineData, "lblMessage")->text(),
              QStringLiteral("Rami, riga 2, colonna R: \u00ab0,1y\u00bb non \u00e8 un numero "
                             "(cifre con la virgola o il punto, senza esponente)."));
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_TRUE(Child<QLabel>(frmLineData, "lblMessage")->text().isEmpty());
    QTest::keyClick(editor, Qt::Key_Escape);
    Click(frmLineData, "btnRemoveBranch");

    EXPECT_TRUE(ScriptedFileDialogs().questions.empty());
    const CellTexts after = frmDataIn->ReadCells();
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            EXPECT_EQ(after.Admittance[c][r], before.Admittance[c][r]);
        }
    }
    EXPECT_TRUE(frmDataOk->isVisible()) << "nothing changed, nothing hidden";
}

TEST_F(LineDataWindowTest, ReplacingTheGridsMatrixIsAskedAndKeepsTheNodeData) {
    testing::TypeTwoNodeNetwork("20");
    testing::AcquireTyped();
    ASSERT_TRUE(frmDataOk->isVisible());
    ASSERT_NO_FATAL_FAILURE(TypeBranch({"1", "2", "0", "0,25"}));

    ScriptedFileDialogs().answers.push_back(false);
    Click(frmLineData, "btnCompute");
    ASSERT_EQ(ScriptedFileDialogs().questions.size(), 1u);
    EXPECT_EQ(ScriptedFileDialogs().questions[0].title, QStringLiteral("Dati di linea"));
    EXPECT_EQ(frmDataIn->ReadCells().Admittance[0][0], "1-5j");
    EXPECT_TRUE(frmDataOk->isVisible());

    ScriptedFileDialogs().answers.push_back(true);
    Click(frmLineData, "btnCompute");
    const CellTexts cells = frmDataIn->ReadCells();
    EXPECT_EQ(cells.Admittance[0][0], "-4j");
    EXPECT_EQ(cells.Admittance[1][0], "4j");
    EXPECT_EQ(cells.Admittance[1][1], "-4j");
    EXPECT_EQ(cells.Admittance[2][2], "");
    EXPECT_EQ(cells.Data[2][1], "-0,5");
    EXPECT_EQ(cells.Data[3][1], "-0.2");
    EXPECT_FALSE(frmDataOk->isVisible()) << "the cells changed: the results no longer hold";
    EXPECT_TRUE(Recorder().messages.empty());

    // Through the Edit menu, with its shortcut.
    auto* item = frmDataIn->findChild<QAction*>(QStringLiteral("EditLinesItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("&Matrice dalle linee..."));
    EXPECT_EQ(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    frmLineData->close();
    item->trigger();
    EXPECT_TRUE(frmLineData->isVisible());
    // And its tool button, after the others on the bar.
    const auto* tool = Child<QToolButton>(frmDataIn, "spdbtnLines");
    EXPECT_EQ(tool->geometry(), QRect(288, 4, 25, 25));
    EXPECT_EQ(tool->toolTip(), QStringLiteral("Matrice dalle linee"));
    EXPECT_EQ(tool->focusPolicy(), Qt::NoFocus);
}

TEST_F(LineDataWindowTest, FromTheCellsGivesOneBranchPerPairAndTheRestAsShunts) {
    testing::TypeTwoNodeNetwork("20");
    testing::AcquireTyped();
    Click(frmDataOk, "btnNewton");
    ASSERT_TRUE(HasRun(Method::Newton));
    // Typed after the acquisition and the run: the cells are read as they are now, and the
    // count, the run and the windows showing it stay.
    testing::TypeY(0, 0, "1-4,5j");
    testing::TypeIterations("7");
    Click(frmLineData, "btnFromCells");
    ASSERT_TRUE(Recorder().messages.empty());
    EXPECT_EQ(Child<QLineEdit>(frmDataIn, "txtnumit")->text(), QStringLiteral("7"));
    EXPECT_EQ(AcquiredNetwork().IterationCount, 20);
    EXPECT_TRUE(HasRun(Method::Newton));
    EXPECT_TRUE(frmDataOk->isVisible());
    ASSERT_EQ(Branches()->rowCount(), 1);
    EXPECT_EQ(Text(Branches(), 0, 0), "1");
    EXPECT_EQ(Text(Branches(), 0, 1), "2");
    EXPECT_NEAR(DecimalConversion(Text(Branches(), 0, 2).toStdString()), 1.0 / 26, 1e-15);
    EXPECT_NEAR(DecimalConversion(Text(Branches(), 0, 3).toStdString()), 5.0 / 26, 1e-15);
    EXPECT_EQ(Text(Branches(), 0, 4), "0");
    EXPECT_EQ(Text(Branches(), 0, 5), "1");
    ASSERT_EQ(Shunts()->rowCount(), 1);
    EXPECT_EQ(Text(Shunts(), 0, 0), "1");
    EXPECT_EQ(Text(Shunts(), 0, 1), "0");
    EXPECT_EQ(Text(Shunts(), 0, 2), "0.5");

    // Filled tables are replaced only when the user says so.
    ASSERT_NO_FATAL_FAILURE(TypeCell(Shunts(), 0, 2, QStringLiteral("0,7")));
    Click(frmLineData, "btnFromCells");
    ASSERT_EQ(ScriptedFileDialogs().questions.size(), 1u);
    EXPECT_EQ(Text(Shunts(), 0, 2), "0,7");
}

// Where the keys go: the editor open on a cell of the table, or else the table.
QWidget* Keyboard(QTableWidget* table) {
    for (QLineEdit* box : table->viewport()->findChildren<QLineEdit*>()) {
        if (box->isVisible()) {
            return box;
        }
    }
    return table;
}

// A new row clicked and typed at once, as fast as the keys come: every key lands in the new row
// (a click on the selected cell used to open its editor only after the double-click interval,
// and the keys before it searched the table and moved to row 1). Tab goes from cell to cell and
// on from the last one into a row of its own.
TEST_F(LineDataWindowTest, TypingIntoANewRowAtOnceKeepsEveryKeyInThatRow) {
    ASSERT_NO_FATAL_FAILURE(TypeBranch({"1", "2", "0,02", "0,04"}));
    QTableWidget* table = Branches();
    for (int round = 0; round < 2; ++round) {
        Click(frmLineData, "btnAddBranch");
        const int row = table->rowCount() - 1;
        const QRect cell = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::keyClicks(Keyboard(table), QStringLiteral("1"));
        for (const char* text : {"3", "0,01", "0,03", "0,05", "1"}) {
            QTest::keyClick(Keyboard(table), Qt::Key_Tab);
            QTest::keyClicks(Keyboard(table), QString::fromLatin1(text));
        }
        QTest::keyClick(Keyboard(table), Qt::Key_Tab);
        QCoreApplication::processEvents();
        SCOPED_TRACE(round);
        ASSERT_EQ(table->rowCount(), row + 2) << "Tab on the last cell adds a row";
        const QStringList expected = {"1", "3", "0,01", "0,03", "0,05", "1"};
        for (int c = 0; c < expected.size(); ++c) {
            EXPECT_EQ(Text(table, row, c), expected[c]) << "column " << c;
        }
        EXPECT_EQ(table->currentRow(), row + 1);
        EXPECT_EQ(table->currentColumn(), 0);
        QTest::keyClick(Keyboard(table), Qt::Key_Escape);
        Click(frmLineData, "btnRemoveBranch"); // the empty row Tab added
    }
    const QStringList first = {"1", "2", "0,02", "0,04", "", ""};
    for (int c = 0; c < first.size(); ++c) {
        EXPECT_EQ(Text(table, 0, c), first[c]) << "row 1, column " << c;
    }
}

// A cell's text of any length: the message quotes a piece of it and wraps, the window stays
// as wide as it was.
TEST_F(LineDataWindowTest, ALongCellTextKeepsTheMessageShortAndTheWindowItsWidth) {
    const int width = frmLineData->width();
    const QString text =
        QString(2500, QLatin1Char('x')).replace(0, 10, QStringLiteral("abcdefghij"));
    ASSERT_NO_FATAL_FAILURE(TypeBranch({"1", "2"}));
    QLineEdit* editor = OpenEditor(Branches(), 0, 2);
    ASSERT_NE(editor, nullptr);
    editor->setText(text.left(2499));
    QTest::keyClicks(editor, text.right(1)); // the check runs on an edit by a key
    QCoreApplication::processEvents();
    const QString message = QStringLiteral("Rami, riga 1, colonna R: \u00ababcdefghij\u2026\u00bb "
                                           "non \u00e8 un numero (cifre con la virgola o il "
                                           "punto, senza esponente).");
    const auto* label = Child<QLabel>(frmLineData, "lblMessage");
    EXPECT_EQ(label->text().toStdString(), message.toStdString());
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(label->text().toStdString(), message.toStdString());
    EXPECT_EQ(Branches()->item(0, 2)->text(), text) << "the cell keeps what was typed";
    EXPECT_LE(frmLineData->width(), width);
    EXPECT_LE(frmLineData->minimumSizeHint().width(), width);
}

TEST_F(LineDataWindowTest, SaveWritesACaseThatOpenAndTheImportReadBack) {
    QTemporaryDir dir;
    testing::TypeData(0, 0, "1,02");
    testing::TypeData(0, 1, "0");
    testing::TypeData(1, 2, "-0,4");
    testing::TypeData(1, 3, "-0,1");
    ASSERT_NO_FATAL_FAILURE(TypeBranch({"1", "2", "0,01", "0,1", "0,02", "0,975"}));
    ASSERT_NO_FATAL_FAILURE(TypeRow(Shunts(), "btnAddShunt", {"2", "", "0,15"}));

    const QString path = dir.filePath(QStringLiteral("linee.m"));
    ScriptedFileDialogs().replies.push_back({path});
    Click(frmLineData, "btnSave");
    ASSERT_TRUE(Recorder().messages.empty()) << Recorder().messages[0].text;
    const QByteArray contents = testing::ReadFile(path);
    EXPECT_TRUE(contents.startsWith("function mpc = linee\n")) << contents.toStdString();
    EXPECT_TRUE(contents.contains("\t1\t2\t0.01\t0.1\t0.02\t0\t0\t0\t0.975\t0\t1\t-360\t360;\n"));
    EXPECT_EQ(ScriptedFileDialogs().requests.back().defaultSuffix, QStringLiteral("m"));

    frmLineData->ShowLineData({});
    ScriptedFileDialogs().replies.push_back({path});
    Click(frmLineData, "btnOpen");
    ASSERT_TRUE(Recorder().messages.empty()) << Recorder().messages[0].text;
    ASSERT_EQ(Branches()->rowCount(), 1);
    const QString row[] = {"1", "2", "0.01", "0.1", "0.02", "0.975"};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(Text(Branches(), 0, c), row[c]);
    }
    ASSERT_EQ(Shunts()->rowCount(), 1);
    EXPECT_EQ(Text(Shunts(), 0, 2), "0.15");
    EXPECT_TRUE(frmDataIn->ReadCells().Admittance[0][0].empty()) << "Apri fills the tables only";

    // File > "Importa caso MATPOWER..." fills the grid and the tables.
    frmLineData->ShowLineData({});
    ScriptedFileDialogs().replies.push_back({path});
    frmDataIn->findChild<QAction*>(QStringLiteral("FileImportMatpowerItem"))->trigger();
    ASSERT_TRUE(Recorder().messages.empty()) << Recorder().messages[0].text;
    EXPECT_FALSE(frmDataIn->ReadCells().Admittance[1][0].empty());
    ASSERT_EQ(Branches()->rowCount(), 1);
    EXPECT_EQ(Text(Branches(), 0, 5), "0.975");

    // A node without its two data: said before any file is asked for.
    testing::TypeData(1, 3, "");
    const std::size_t requests = ScriptedFileDialogs().requests.size();
    Click(frmLineData, "btnSave");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text,
              "Il nodo 2 deve avere nella griglia due dati tra E, d, P e Q (ne ha 1).");
    EXPECT_EQ(ScriptedFileDialogs().requests.size(), requests);
}

} // namespace
} // namespace nodewise
