// The data-entry window driven as a user would: the grid, acquisition, the network file
// commands, the help labels, the clipboard and the about box.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <unistd.h>

#include "core/input/acquisition.h"
#include "core/input/help_texts.h"
#include "core/input/network_file.h"
#include "gui/input/about_window.h"
#include "gui/input/data_entry_window.h"
#include "gui/input/help_window.h"
#include "gui/input/line_data_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/help_document.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/qt_user_port.h"
#include "gui/shell/run_store.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

class DataEntryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        w = frmDataIn;
        ASSERT_NE(w, nullptr);
    }

    // Every one of the 56 cells in file order, with a distinct text.
    std::vector<QLineEdit*> AllCells() const {
        std::vector<QLineEdit*> cells;
        for (int c = 0; c < MaxNodes; ++c) {
            for (int r = 0; r <= c; ++r) {
                cells.push_back(AdmittanceCell(w, c, r));
            }
        }
        for (int r = 0; r < MaxNodes; ++r) {
            for (int c = 0; c < DataColumns; ++c) {
                cells.push_back(DataCell(w, c, r));
            }
        }
        return cells;
    }

    QLineEdit* txtnumit() const { return Child<QLineEdit>(w, "txtnumit"); }
    QLabel* Label(const char* name) const { return Child<QLabel>(w, name); }

    // Moves the pointer and lets the move arrive (a real display delivers it asynchronously).
    static void PointAt(QWidget* widget, QPoint pos = QPoint()) {
        QTest::mouseMove(widget, pos.isNull() ? widget->rect().center() : pos);
        QTest::qWait(20);
    }

    TfrmDataIn* w = nullptr;
};

TEST_F(DataEntryWindowTest, StartsWithTheDocumentedGridAndControls) {
    TfrmDataIn fresh;
    EXPECT_EQ(fresh.windowTitle(), QStringLiteral("Nodewise  1.1 testing[*]"));
    EXPECT_FALSE(fresh.isWindowModified());
    EXPECT_EQ(fresh.centralWidget()->size(), QSize(757, 266));
    EXPECT_EQ(fresh.pos(), QPoint(10, 21));
    fresh.adjustSize();
    EXPECT_EQ(fresh.minimumSize(), fresh.maximumSize()) << "the border is fixed";

    int admittance = 0;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            auto* cell = fresh.findChild<QLineEdit*>(ElementName("AdmittanceCells", c, r));
            if (c < r) {
                EXPECT_EQ(cell, nullptr);
                continue;
            }
            ASSERT_NE(cell, nullptr);
            ++admittance;
            EXPECT_TRUE(cell->text().isEmpty());
            EXPECT_EQ(cell->geometry(), QRect(15 + 70 * c, 80 + 20 * r, 70, 20));
        }
    }
    EXPECT_EQ(admittance, 28);
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            const QLineEdit* cell = DataCell(&fresh, c, r);
            EXPECT_TRUE(cell->text().isEmpty());
            EXPECT_EQ(cell->geometry(), QRect(526 + 55 * c, 80 + 20 * r, 50, 20));
        }
    }
    for (int i = 0; i < MaxNodes; ++i) {
        EXPECT_EQ(NodeLabel(&fresh, 0, i)->geometry(), QRect(5 + 70 * i, 85 + 20 * i, 20, 20));
        EXPECT_EQ(NodeLabel(&fresh, 1, i)->geometry(), QRect(45 + 70 * i, 65, 20, 20));
        EXPECT_EQ(NodeLabel(&fresh, 2, i)->geometry(), QRect(515, 85 + 20 * i, 20, 20));
        for (int group = 0; group < 3; ++group) {
            EXPECT_EQ(NodeLabel(&fresh, group, i)->text(), QString::number(i + 1));
        }
    }

    auto* txtnumit = Child<QLineEdit>(&fresh, "txtnumit");
    auto* acquire = Child<QPushButton>(&fresh, "BtnAcquire");
    EXPECT_EQ(txtnumit->text(), QStringLiteral("20"));
    EXPECT_EQ(txtnumit->maxLength(), 3);
    EXPECT_EQ(txtnumit->toolTip(), QStringLiteral("max 999"));
    EXPECT_EQ(acquire->text(), QStringLiteral("Acquisisci dati"));
    EXPECT_EQ(acquire->geometry(), QRect(10, 235, 737, 25));
    EXPECT_EQ(Child<QLabel>(&fresh, "lbld")->text(), QString(QChar(0x03B4)));

    // Tool buttons: positions, tooltips without the status part, never taking the focus.
    const std::pair<const char*, QString> tools[] = {{"spbtnNew", "Cancella i dati"},
                                                     {"spbtnOpen", "Apri un file .nwd"},
                                                     {"spdbtnSave", "Salva come file .nwd"},
                                                     {"spdbtnExit", "Esci"},
                                                     {"spdbtnCut", "Taglia"},
                                                     {"spdbtnCopy", "Copia"},
                                                     {"spdbtnPaste", "Incolla"},
                                                     {"spdbtnHelp", "Documentazione"},
                                                     {"spdbtnAbout", "About"}};
    const int lefts[] = {8, 40, 64, 88, 128, 152, 176, 224, 248};
    for (std::size_t i = 0; i < std::size(tools); ++i) {
        const QToolButton* tool = Child<QToolButton>(&fresh, tools[i].first);
        EXPECT_EQ(tool->geometry(), QRect(lefts[i], 4, 25, 25));
        EXPECT_EQ(tool->toolTip(), tools[i].second);
        EXPECT_EQ(tool->focusPolicy(), Qt::NoFocus);
    }

    QStringList menus;
    for (QAction* menu : fresh.menuBar()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus,
              QStringList({"&File", "&Edit", "&Analisi", "&Help"})); // Analisi: the added menu
    EXPECT_EQ(Child<QAction>(&fresh, "FileOpenItem")->text(), QStringLiteral("&Apri ..."));
    EXPECT_EQ(Child<QAction>(&fresh, "HelpAboutItem")->statusTip(),
              QStringLiteral("Show program information"));
    EXPECT_EQ(Child<QAction>(&fresh, "FileExitItem")->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Q")));

    // The button holds the focus first; Tab then visits the iteration box, the matrix row by
    // row and the node data row by row.
    EXPECT_EQ(fresh.focusWidget(), acquire);
    std::vector<QWidget*> expected = {acquire, txtnumit};
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = r; c < MaxNodes; ++c) {
            expected.push_back(AdmittanceCell(&fresh, c, r));
        }
    }
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = 0; c < DataColumns; ++c) {
            expected.push_back(DataCell(&fresh, c, r));
        }
    }
    std::vector<QWidget*> chain = {acquire};
    for (QWidget* next = acquire->nextInFocusChain();
         next != acquire && chain.size() < expected.size(); next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) != 0 && next->isEnabled()) {
            chain.push_back(next);
        }
    }
    EXPECT_EQ(chain, expected);
}

TEST_F(DataEntryWindowTest, AcquisitionWarnsOrOpensTheSummary) {
    txtnumit()->clear();
    Click(w, "BtnAcquire");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, InputWarningText(WarningNoIterations));
    EXPECT_EQ(Recorder().messages[0].caption, "Attenzione:");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(frmDataOk->isVisible());

    Recorder().messages.clear();
    TypeTwoNodeNetwork("5");
    Click(w, "BtnAcquire");
    EXPECT_TRUE(Recorder().messages.empty());
    EXPECT_TRUE(frmDataOk->isVisible());
    EXPECT_EQ(AcquiredNetwork().NodeCount, 2);
    EXPECT_EQ(AcquiredNetwork().IterationCount, 5);

    // A second press first hides the summary; a rejected acquisition leaves it hidden.
    DataCell(w, 0, 1)->setText(QStringLiteral("1"));
    Click(w, "BtnAcquire");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, InputWarningText(WarningNodeType));
    EXPECT_FALSE(frmDataOk->isVisible());
}

// Text the reading leaves aside is asked about before anything is read: "Correggi" stops with
// the first such cell focused, "Acquisisci comunque" acquires what was read.
TEST_F(DataEntryWindowTest, UnreadCellTextIsAskedAboutFirst) {
    ScriptedQuestions& questions = ScriptedAcquisitionQuestions();
    TypeTwoNodeNetwork("");
    TypeData(1, 2, "-0,5 pu");
    TypeY(0, 1, "-1+5jx");
    questions.answers = {false, true};
    Click(w, "BtnAcquire");
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0],
              QStringLiteral("Alcune celle contengono testo che non viene "
                             "letto:\n\n"
                             "Y1,2: letto -1+5j, testo non usato \u00abx\u00bb\n"
                             "P2: letto -0,5, testo non usato \u00abpu\u00bb"));
    EXPECT_TRUE(Recorder().messages.empty()); // asked before the empty iteration box is
    EXPECT_FALSE(NetworkAcquired());
    EXPECT_EQ(w->focusWidget(), AdmittanceCell(w, 1, 0)); // the first in file order

    TypeIterations("20");
    Click(w, "BtnAcquire");
    EXPECT_TRUE(Recorder().messages.empty());
    EXPECT_TRUE(frmDataOk->isVisible());
    EXPECT_EQ(AcquiredNetwork().PData[1], -0.5);
}

// Nodes no admittance joins to the slack node are asked about once the checks have passed.
TEST_F(DataEntryWindowTest, NodesCutOffFromTheSlackAreAskedAboutAfterTheChecks) {
    ScriptedQuestions& questions = ScriptedAcquisitionQuestions();
    TypeTwoNodeNetwork("");
    AdmittanceCell(w, 1, 0)->clear();
    Click(w, "BtnAcquire");
    EXPECT_TRUE(questions.asked.empty()); // the warning comes alone
    EXPECT_EQ(Recorder().messages.size(), 1u);

    TypeIterations("20");
    questions.answers = {false, true};
    for (const bool anyway : {false, true}) {
        Click(w, "BtnAcquire");
        EXPECT_EQ(questions.asked.back(),
                  QStringLiteral("Il nodo 2 non \u00e8 collegato al nodo di saldo 1."));
        EXPECT_EQ(frmDataOk->isVisible(), anyway);
        EXPECT_EQ(NetworkAcquired(), anyway);
    }
}

TEST_F(DataEntryWindowTest, ANumberTooLargeToConvertIsReportedAndTheWindowGoesOn) {
    TypeTwoNodeNetwork("20");
    DataCell(w, 0, 0)->setText(QStringLiteral("1") + QString(400, QLatin1Char('0')));
    Click(w, "BtnAcquire");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].caption, FaultCaption);
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(frmDataOk->isVisible());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(DataEntryWindowTest, SaveThenLoadReproducesEveryCellAndLeavesTheIterationBox) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("rete.nwd"));

    const std::vector<QLineEdit*> cells = AllCells();
    ASSERT_EQ(cells.size(), 56u);
    QStringList texts;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        QString text;
        switch (i % 7) {
        case 0:
            text = QStringLiteral("1,23 + 0,37 j");
            break;
        case 1:
            text = QString();
            break;
        case 2:
            text = QStringLiteral("  -3,21 - 2 j  ");
            break;
        case 3:
            text = QString(98, QLatin1Char('7'));
            break;
        case 4:
            text = QStringLiteral("perché δ");
            break;
        case 5:
            text = QStringLiteral("0.5");
            break;
        default:
            text = QStringLiteral("cella %1").arg(i);
            break;
        }
        texts << text;
        cells[i]->setText(text);
    }
    txtnumit()->setText(QStringLiteral("7"));

    ScriptedFileDialogs().replies.push_back({path});
    w->spdbtnSaveClick();
    ASSERT_TRUE(Recorder().messages.empty());
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 1u);
    const auto& save = ScriptedFileDialogs().requests[0];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.title, QStringLiteral("Salva un File dati di rete per loadflow"));
    EXPECT_EQ(save.filter, QStringLiteral("flow data|*.nwd"));
    EXPECT_EQ(save.defaultSuffix, QStringLiteral("nwd"));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count('\n'), 56);
    EXPECT_TRUE(bytes.contains(QStringLiteral("perché δ\n").toUtf8())) << "written as UTF-8";
    file.close();

    w->spbtnNewClick();
    for (QLineEdit* cell : cells) {
        ASSERT_TRUE(cell->text().isEmpty());
    }
    EXPECT_EQ(txtnumit()->text(), QStringLiteral("7")) << "clearing keeps the iteration count";

    txtnumit()->setText(QStringLiteral("9"));
    ScriptedFileDialogs().replies.push_back({path});
    w->spbtnOpenClick();
    EXPECT_TRUE(Recorder().messages.empty());
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 2u);
    EXPECT_FALSE(ScriptedFileDialogs().requests[1].save);
    EXPECT_EQ(ScriptedFileDialogs().requests[1].title,
              QStringLiteral("Apri un File dati di rete per loadflow"));
    EXPECT_EQ(ScriptedFileDialogs().requests[1].filter, QStringLiteral("flow data|*.nwd"));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i]->text(), texts[static_cast<qsizetype>(i)]) << "line " << i + 1;
    }
    EXPECT_EQ(txtnumit()->text(), QStringLiteral("9"));
}

TEST_F(DataEntryWindowTest, LoadingHidesTheSecondaryWindowsAndSavingDoesNot) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.nwd"));
    auto showAll = [] {
        frmDataOk->show();
        GaussResultsWindow->show();
        StottResultsWindow->show();
    };

    showAll();
    ScriptedFileDialogs().replies.push_back({path});
    w->spdbtnSaveClick();
    EXPECT_TRUE(frmDataOk->isVisible());
    EXPECT_TRUE(GaussResultsWindow->isVisible());

    ScriptedFileDialogs().replies.push_back({path});
    w->spbtnOpenClick();
    EXPECT_TRUE(Recorder().messages.empty());
    EXPECT_FALSE(frmDataOk->isVisible());
    EXPECT_FALSE(GaussResultsWindow->isVisible());
    EXPECT_FALSE(StottResultsWindow->isVisible());
}

TEST_F(DataEntryWindowTest, AFailedLoadReportsAndChangesNothing) {
    QTemporaryDir dir;
    AdmittanceCell(w, 2, 1)->setText(QStringLiteral("1-2j"));
    DataCell(w, 3, 6)->setText(QStringLiteral("0,1"));
    frmDataOk->show();

    ScriptedFileDialogs().replies.push_back({dir.filePath(QStringLiteral("manca.nwd"))});
    w->spbtnOpenClick();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, NetworkLoadErrorText);
    EXPECT_EQ(Recorder().messages[0].caption, "Errore");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(AdmittanceCell(w, 2, 1)->text(), QStringLiteral("1-2j"));
    EXPECT_EQ(DataCell(w, 3, 6)->text(), QStringLiteral("0,1"));
    EXPECT_TRUE(frmDataOk->isVisible()) << "a failed load leaves the windows alone";
}

TEST_F(DataEntryWindowTest, AFailedSaveReportsAndKeepsWhatWasThere) {
    QTemporaryDir dir;
    AdmittanceCell(w, 0, 0)->setText(QStringLiteral("1"));

    // A folder that does not exist.
    const QString missing = dir.filePath(QStringLiteral("nessuna/rete.nwd"));
    ScriptedFileDialogs().replies.push_back({missing});
    w->spdbtnSaveClick();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, NetworkSaveErrorText);
    EXPECT_EQ(Recorder().messages[0].caption, "Errore");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(AdmittanceCell(w, 0, 0)->text(), QStringLiteral("1"));

    // A name taken by a folder: the folder and what it holds stay.
    Recorder().messages.clear();
    const QString taken = dir.filePath(QStringLiteral("occupato.nwd"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("occupato.nwd")));
    QFile inside(taken + QStringLiteral("/dentro.txt"));
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.write("vecchio");
    inside.close();
    ScriptedFileDialogs().replies.push_back({taken});
    w->spdbtnSaveClick();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, NetworkSaveErrorText);
    EXPECT_TRUE(QFileInfo(taken).isDir());
    EXPECT_EQ(ReadFile(inside.fileName()), QByteArray("vecchio"));

    // A folder where nothing may be written, holding an earlier file (not for the superuser,
    // whom permissions do not stop).
    if (geteuid() == 0) {
        return;
    }
    Recorder().messages.clear();
    const QString locked = dir.filePath(QStringLiteral("chiusa"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("chiusa")));
    const QString earlier = locked + QStringLiteral("/rete.nwd");
    QFile old(earlier);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("vecchio\r\n");
    old.close();
    const QByteArray before = ReadFile(earlier);
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    QFile::setPermissions(earlier, QFile::ReadOwner);
    ScriptedFileDialogs().replies.push_back({earlier});
    w->spdbtnSaveClick();
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, NetworkSaveErrorText);
    EXPECT_EQ(ReadFile(earlier), before);
}

TEST_F(DataEntryWindowTest, CancellingEitherDialogDoesNothing) {
    QTemporaryDir dir;
    AdmittanceCell(w, 0, 0)->setText(QStringLiteral("1"));
    frmDataOk->show();
    w->spdbtnSaveClick(); // no scripted reply: cancelled
    w->spbtnOpenClick();
    EXPECT_EQ(ScriptedFileDialogs().requests.size(), 2u);
    EXPECT_TRUE(Recorder().messages.empty());
    EXPECT_EQ(AdmittanceCell(w, 0, 0)->text(), QStringLiteral("1"));
    EXPECT_TRUE(frmDataOk->isVisible());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(DataEntryWindowTest, FilesInOtherEncodingsOrWithBinaryBytesStillLoad) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vecchio.nwd"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Line 1 in Latin-1, line 2 in UTF-8, line 3 with a NUL and other binary bytes, then a
    // file that ends early.
    file.write(QByteArray("caf\xe9\r\n", 6));
    file.write(QStringLiteral("perché\n").toUtf8());
    file.write(QByteArray("a\0b\x01\n", 5));
    file.close();

    ScriptedFileDialogs().replies.push_back({path});
    DataCell(w, 3, 6)->setText(QStringLiteral("sparisce"));
    w->spbtnOpenClick();
    EXPECT_TRUE(Recorder().messages.empty());
    EXPECT_EQ(AdmittanceCell(w, 0, 0)->text(), QStringLiteral("café"));
    EXPECT_EQ(AdmittanceCell(w, 1, 0)->text(), QStringLiteral("perché"));
    EXPECT_EQ(AdmittanceCell(w, 1, 1)->text(), QStringLiteral("ab\x01"));
    EXPECT_TRUE(DataCell(w, 3, 6)->text().isEmpty()) << "missing lines give empty cells";
}

TEST_F(DataEntryWindowTest, HeadingLabelsShowTheirHelp) {
    struct Case {
        QLabel* label;
        std::string text;
        const char* caption;
    };
    const Case cases[] = {
        {Label("lblY"), AdmittanceHelpText(), "INSERIMENTO ELEMENTI MATRICE AMMETTENZE NODALI"},
        {Label("lblE"), VoltageMagnitudeHelpText(), "Tip"},
        {Label("lbld"), VoltagePhaseHelpText(), "Tip"},
        {Label("lblP"), ActivePowerHelpText(), "Tip"},
        {Label("lblQ"), ReactivePowerHelpText(), "Tip"},
    };
    for (const Case& c : cases) {
        Recorder().messages.clear();
        EXPECT_EQ(c.label->toolTip(), QStringLiteral("Click for Hint"));
        QTest::mouseClick(c.label, Qt::LeftButton);
        ASSERT_EQ(Recorder().messages.size(), 1u) << c.label->text().toStdString();
        EXPECT_EQ(Recorder().messages[0].text, c.text);
        EXPECT_EQ(Recorder().messages[0].caption, c.caption);
        EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Information);
    }
}

TEST_F(DataEntryWindowTest, PointingAtAHeadingHighlightsItUntilTheBareWindowIsCrossed) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const QColor blue(0, 0, 255);
    auto highlighted = [blue](QLabel* label) {
        return label->palette().color(QPalette::WindowText) == blue && label->font().underline();
    };
    auto plain = [](QLabel* label) {
        return label->palette().color(QPalette::WindowText) == QColor(Qt::black) &&
               !label->font().underline() && label->font().bold();
    };

    PointAt(Label("lblP"));
    EXPECT_TRUE(highlighted(Label("lblP")));
    EXPECT_TRUE(Label("lblP")->font().bold());
    EXPECT_TRUE(plain(Label("lblQ")));
    PointAt(Label("lblY"));
    EXPECT_TRUE(highlighted(Label("lblY")));

    // Over a cell nothing changes.
    PointAt(AdmittanceCell(w, 3, 3));
    PointAt(DataCell(w, 1, 2));
    EXPECT_TRUE(highlighted(Label("lblP")));
    EXPECT_TRUE(highlighted(Label("lblY")));

    // The bare client area resets all five.
    const QPoint bare(300, 225);
    ASSERT_EQ(w->centralWidget()->childAt(bare), nullptr);
    PointAt(w->centralWidget(), bare);
    for (const char* name : {"lblY", "lblE", "lbld", "lblP", "lblQ"}) {
        QLabel* label = Label(name);
        EXPECT_TRUE(plain(label)) << label->text().toStdString();
    }
}

TEST_F(DataEntryWindowTest, AnAdmittanceCellShowsItsTextAsTooltip) {
    QLineEdit* cell = AdmittanceCell(w, 4, 2);
    EXPECT_TRUE(cell->toolTip().isEmpty());
    QTest::keyClicks(cell, QStringLiteral("1,23+0,37j"));
    EXPECT_EQ(cell->toolTip(), QStringLiteral("1,23+0,37j"));
    cell->clear();
    EXPECT_TRUE(cell->toolTip().isEmpty());
}

TEST_F(DataEntryWindowTest, ClipboardCommandsActOnlyOnAFocusedEditBox) {
    QClipboard* clipboard = QApplication::clipboard();

    txtnumit()->setFocus();
    txtnumit()->selectAll();
    w->spdbtnCopyClick();
    EXPECT_EQ(clipboard->text(), QStringLiteral("20"));

    QLineEdit* cell = DataCell(w, 2, 3);
    cell->setText(QStringLiteral("-0,45"));
    cell->setFocus();
    cell->selectAll();
    Child<QAction>(w, "EditCutItem")->trigger();
    EXPECT_TRUE(cell->text().isEmpty());
    EXPECT_EQ(clipboard->text(), QStringLiteral("-0,45"));

    QLineEdit* other = AdmittanceCell(w, 1, 0);
    other->setFocus();
    Click(w, "spdbtnPaste"); // the tool button leaves the focus
    EXPECT_EQ(other->text(), QStringLiteral("-0,45"));

    // With the button focused, nothing is cut, copied or pasted.
    Child<QPushButton>(w, "BtnAcquire")->setFocus();
    clipboard->setText(QStringLiteral("fuori"));
    w->spdbtnCutClick();
    w->spdbtnCopyClick();
    w->spdbtnPasteClick();
    EXPECT_EQ(clipboard->text(), QStringLiteral("fuori"));
    EXPECT_EQ(other->text(), QStringLiteral("-0,45"));
    EXPECT_EQ(txtnumit()->text(), QStringLiteral("20"));
}

TEST_F(DataEntryWindowTest, HelpDocumentIsShownFromBesideTheExecutableOnlyIfPresent) {
    std::vector<QUrl> opened;
    const auto previous = TfrmDataIn::OpenDocument;
    TfrmDataIn::OpenDocument = [&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    const QString path =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("HELP/HELP.HTM"));
    Child<QAction>(w, "HelpContentsItem")->trigger();
    TfrmDataIn::OpenDocument = previous;

    EXPECT_TRUE(opened.empty()) << "the desktop is asked only from the guide's own button";
    if (QFile::exists(path)) {
        EXPECT_TRUE(Recorder().messages.empty());
        ASSERT_TRUE(frmHelp != nullptr && frmHelp->isVisible());
        frmHelp->close();
    } else {
        EXPECT_EQ(Recorder().messages.size(), 1u);
    }
}

TEST_F(DataEntryWindowTest, AMissingHelpDocumentIsReportedWithThePathLookedFor) {
    QTemporaryDir elsewhere; // a program copied into a folder without HELP/
    SetProgramFolder(elsewhere.path());
    bool opened = false;
    const auto previous = TfrmDataIn::OpenDocument;
    TfrmDataIn::OpenDocument = [&opened](const QUrl&) { return opened = true; };
    Child<QToolButton>(w, "spdbtnHelp")->click();
    TfrmDataIn::OpenDocument = previous;
    SetProgramFolder(QString());

    EXPECT_FALSE(opened);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    const Message& message = Recorder().messages[0];
    EXPECT_EQ(message.icon, MessageIcon::Information);
    EXPECT_EQ(message.caption, "Documentazione");
    // Both places looked in: beside the program, then the installed data folder.
    const QDir folder(elsewhere.path());
    EXPECT_EQ(
        message.text,
        "Documentazione non trovata.\nFile cercati:\n" +
            folder.filePath("HELP/HELP.HTM").toStdString() + "\n" +
            QDir::cleanPath(folder.filePath("../share/nodewise/HELP/HELP.HTM")).toStdString());
}

TEST_F(DataEntryWindowTest, AFailedSaveShowsTheSystemsReasonAsDetailedText) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("nessuna/rete.nwd"));
    const std::string detail = missing.toStdString() + ": " + std::strerror(ENOENT);

    // What reaches the port: the documented text, and the path with the reason beside it.
    ScriptedFileDialogs().replies.push_back({missing});
    w->spdbtnSaveClick();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, NetworkSaveErrorText);
    EXPECT_EQ(Recorder().messages[0].detail, detail);

    // What the desktop port makes of it: the same box, the reason as its detailed text.
    QtUserPort desktop;
    UserPort* recorder = SetUserPort(&desktop);
    QString shownText, shownDetail, shownCaption;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shownText = box->text();
            shownDetail = box->detailedText();
            shownCaption = box->windowTitle();
            shownIcon = box->icon();
            poll.stop();
            box->accept();
        }
    });
    poll.start();
    ScriptedFileDialogs().replies.push_back({missing});
    w->spdbtnSaveClick();
    poll.stop();
    SetUserPort(recorder);

    EXPECT_EQ(shownText, QString::fromUtf8(NetworkSaveErrorText));
    EXPECT_EQ(shownCaption, QStringLiteral("Errore"));
    EXPECT_EQ(shownIcon, QMessageBox::Critical);
    EXPECT_EQ(shownDetail.toStdString(), detail);
}

TEST_F(DataEntryWindowTest, AboutBoxIsModalAndClosesWithItsButton) {
    ASSERT_NE(frmAbout, nullptr);
    bool wasShown = false;
    QTimer::singleShot(0, frmAbout, [&wasShown] {
        wasShown = frmAbout->isVisible() && frmAbout->isModal();
        Click(frmAbout, "btnClose");
    });
    Click(w, "spdbtnAbout");
    EXPECT_TRUE(wasShown);
    EXPECT_FALSE(frmAbout->isVisible());

    EXPECT_EQ(frmAbout->windowTitle(), QStringLiteral("Informazioni su questo programmino"));
    EXPECT_EQ(frmAbout->size(), QSize(352, 180));
    EXPECT_EQ(frmAbout->pos(), QPoint(331, 233));
    const QPushButton* close = Child<QPushButton>(frmAbout, "btnClose");
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    EXPECT_EQ(close->size(), QSize(320, 40));
    EXPECT_TRUE(close->font().bold());
}

TEST_F(DataEntryWindowTest, ExitHidesEverythingAndClosesTheWindow) {
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    frmDataOk->show();
    NewtonResultsWindow->show();
    Child<QAction>(w, "FileExitItem")->trigger();
    EXPECT_FALSE(frmDataOk->isVisible());
    EXPECT_FALSE(NewtonResultsWindow->isVisible());
    EXPECT_FALSE(w->isVisible());
    w->show();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
}

// The title as the window manager shows it: the file's name, and the mark of a changed network.
QString ShownTitle() {
    return frmDataIn->windowHandle()->title();
}

TEST_F(DataEntryWindowTest, TheTitleNamesTheFileAndMarksEveryKindOfChange) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rete.nwd"));
    EXPECT_EQ(ShownTitle(), QStringLiteral("Nodewise  1.1 testing"));
    QLineEdit* cell = AdmittanceCell(w, 1, 0);
    QTest::keyClicks(cell, QStringLiteral("5"));
    EXPECT_EQ(ShownTitle(), QStringLiteral("Nodewise  1.1 testing*"));
    QTest::keyClick(cell, Qt::Key_Backspace); // typed back as it was: no change
    EXPECT_FALSE(w->isWindowModified());
    QTest::keyClicks(cell, QStringLiteral("5"));
    ScriptedFileDialogs().replies.push_back({path});
    w->spdbtnSaveClick();
    EXPECT_EQ(ShownTitle(), QStringLiteral("rete.nwd - Nodewise  1.1 testing"));

    const std::pair<const char*, std::function<void()>> changes[] = {
        {"typing", [cell] { QTest::keyClicks(cell, QStringLiteral("1")); }},
        {"Ctrl+Z after Apri",
         [&path] {
             TypeY(3, 3, "7");
             frmDataIn->OpenNetworkFile(path);
             frmDataIn->EditUndoItemClick();
         }},
        {"Calcola matrice",
         [] {
             WriteGridAdmittance(CellTexts{{{"1-5j"}}, {}});
         }},
        {"line data units", [] { Child<QCheckBox>(frmLineData, "chbPhysicalUnits")->click(); }},
    };
    for (const auto& [name, change] : changes) {
        w->OpenNetworkFile(path);
        ASSERT_FALSE(w->isWindowModified()) << name;
        change();
        EXPECT_EQ(ShownTitle(), QStringLiteral("rete.nwd* - Nodewise  1.1 testing")) << name;
    }
    // A fill of the line data by the program is no change; Nuovo leaves no file.
    w->OpenNetworkFile(path);
    ShowImportedLineData({});
    EXPECT_FALSE(w->isWindowModified());
    w->spbtnNewClick();
    EXPECT_EQ(ShownTitle(), QStringLiteral("Nodewise  1.1 testing"));
    EXPECT_EQ(ScriptedFileDialogs().saveQuestions, 0);
}

// Every command that would lose a changed network asks first, and each answer does what it says.
TEST_F(DataEntryWindowTest, AChangedNetworkIsAskedAboutBeforeItIsLost) {
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("salvata.nwd"));
    const QString other = dir.filePath(QStringLiteral("altra.nwd"));
    ASSERT_TRUE(WriteNetworkFile(other.toStdString(), CellTexts{{{"9"}}, {}}, nullptr));
    const QString matpowerCase = dir.filePath(QStringLiteral("due.m"));
    QFile file(matpowerCase);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("function mpc = due\nmpc.baseMVA = 100;\nmpc.bus = [1 3 0 0 0 0 1 1 0; 2 1 50 20 0 "
               "0 1 1 0];\n"
               "mpc.gen = [1 0 0 Inf -Inf 1.05 100 1];\nmpc.branch = [1 2 0 0.25 0 0 0 0 0 0 "
               "1];\n");
    file.close();
    const auto firstCell = [] { return AdmittanceCell(frmDataIn, 0, 0)->text(); };
    const auto closed = [] { return !frmDataIn->isVisible() && !frmDataOk->isVisible(); };
    struct Command {
        const char* name;
        const char* item; // nullptr: the window's close box
        QString file;     // what its own file dialog answers
        std::function<bool()> wentAhead;
    };
    const Command commands[] = {
        {"Esci", "FileExitItem", {}, closed},
        {"close box", nullptr, {}, [] { return !frmDataIn->isVisible(); }},
        {"Nuovo", "FileNewItem", {}, [&] { return firstCell().isEmpty(); }},
        {"Apri", "FileOpenItem", other, [&] { return firstCell() == QStringLiteral("9"); }},
        {"Importa", "FileImportMatpowerItem", matpowerCase,
         [&] { return !firstCell().isEmpty() && firstCell() != QStringLiteral("1-5j"); }},
    };
    const std::tuple<SaveChoice, QString, bool> answers[] = {
        {SaveChoice::Cancel, {}, false},
        {SaveChoice::Discard, {}, true},
        {SaveChoice::Save, saved, true},
        {SaveChoice::Save, {}, false}, // the save dialog cancelled
    };
    for (const Command& command : commands) {
        for (const auto& [choice, saveAs, goesOn] : answers) {
            ResetProgramState();
            QFile::remove(saved);
            frmDataOk->show();
            TypeY(0, 0, "1-5j");
            ScriptedFileDialogs().saveChoices.push_back(choice);
            if (choice == SaveChoice::Save) {
                ScriptedFileDialogs().replies.push_back({saveAs});
            }
            ScriptedFileDialogs().replies.push_back({command.file});
            if (command.item != nullptr) {
                Child<QAction>(w, command.item)->trigger();
            } else {
                w->close();
            }
            const std::string name = std::string(command.name) + ", " + std::to_string(int(choice));
            EXPECT_EQ(ScriptedFileDialogs().saveQuestions, 1) << name;
            EXPECT_EQ(command.wentAhead(), goesOn) << name;
            EXPECT_EQ(ReadFile(saved).startsWith("1-5j\n"), !saveAs.isEmpty()) << name;
            EXPECT_TRUE(Recorder().messages.empty()) << name;
            w->show();
        }
    }
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
}

} // namespace
} // namespace nodewise::testing
