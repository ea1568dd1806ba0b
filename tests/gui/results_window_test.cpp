// The driver protocol as the user sees it in the results windows, and their export.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

#include "gui/results/results_window.h"
#include "gui/shell/error_guard.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

class ResultsWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }

    void RunGaussOnTwoNodes(const char* iterations) {
        TypeTwoNodeNetwork(iterations);
        AcquireTyped();
        ASSERT_TRUE(frmDataOk->isVisible());
        Click(frmDataOk, "btnGauss");
        ASSERT_TRUE(Recorder().messages.empty());
    }

    static QStringList Row(const TfrmDataOut* window, int row) {
        return {window->ListText(row, 0), window->ListText(row, 1), window->ListText(row, 2),
                window->ListText(row, 3)};
    }

    void Save(const QString& path, int filterIndex) {
        ScriptedFileDialogs().replies.push_back({path, filterIndex});
        Click(GaussResultsWindow, "cmdSalva");
    }
};

TEST_F(ResultsWindowTest, GaussRunFillsTheListEntryByEntry) {
    RunGaussOnTwoNodes("3");
    TfrmDataOut* window = GaussResultsWindow;
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Risultati calcolo Gauss"));
    EXPECT_EQ(window->pos(), QPoint(7, 332));
    const QTreeView* list = Child<QTreeView>(window, "ListView");
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(window->ListRowCount(), (3 + 1) * (2 + 3));
    EXPECT_EQ(list->model()->rowCount(), window->ListRowCount());

    EXPECT_EQ(Row(window, 0), QStringList({"0", "1", "1", "0"}));
    EXPECT_EQ(Row(window, 1), QStringList({"0", "2", "1", "0"}));
    for (int blank = 2; blank < 5; ++blank) {
        EXPECT_EQ(Row(window, blank), QStringList({"", "", "", ""})) << blank;
    }
    EXPECT_EQ(Row(window, 5), QStringList({"1", "1", "1", "0"}));
    const QStringList node2 = Row(window, 6);
    EXPECT_EQ(node2[0], QStringLiteral("1"));
    EXPECT_EQ(node2[1], QStringLiteral("2"));
    // 15 significant digits: "0." and fifteen digits at most.
    EXPECT_TRUE(node2[2].startsWith(QStringLiteral("0.9464508"))) << node2[2].toStdString();
    EXPECT_LE(node2[2].size(), 17);
    EXPECT_GT(node2[2].size(), 12);
    EXPECT_TRUE(node2[3].startsWith(QStringLiteral("-5.3630694"))) << node2[3].toStdString();
    EXPECT_TRUE(Row(window, 16)[2].startsWith(QStringLiteral("0.933898")));
    EXPECT_EQ(Row(window, 19), QStringList({"", "", "", ""}));
    EXPECT_EQ(Row(window, 20), QStringList({"", "", "", ""})); // beyond the list

    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Risultati calcolo Gauss pronti"));
    EXPECT_EQ(frmDataOk->StatusPanelText(1), QStringLiteral("0"));

    // The copies hold the same history, phases in degrees, zeros beyond it.
    EXPECT_NEAR(window->EResults[1][1], 0.946451, 1e-6);
    EXPECT_NEAR(window->dResults[1][3], -5.435371, 1e-6);
    EXPECT_EQ(window->EResults[1][4], 0.0);
    EXPECT_EQ(window->EResults[2][0], 0.0);
}

TEST_F(ResultsWindowTest, UncheckedBoxShowsTheWindowWithoutList) {
    Child<QCheckBox>(frmDataOk, "chbViewResult")->setChecked(false);
    RunGaussOnTwoNodes("3");
    TfrmDataOut* window = GaussResultsWindow;
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(Child<QTreeView>(window, "ListView")->isVisible());
    EXPECT_EQ(window->ListRowCount(), 0);
    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Risultati calcolo Gauss pronti"));
    EXPECT_EQ(frmDataOk->StatusPanelText(1), QStringLiteral("3")); // the last iteration
    EXPECT_NEAR(window->EResults[1][3], 0.933898, 1e-6);           // export still works
}

TEST_F(ResultsWindowTest, EachRunReplacesTheWholeContent) {
    // Three nodes and five iterations first, then two nodes and one iteration.
    TypePdNetwork("5");
    AcquireTyped();
    Click(frmDataOk, "btnGauss");
    ASSERT_EQ(GaussResultsWindow->ListRowCount(), 6 * 6);
    ASSERT_NE(GaussResultsWindow->EResults[2][5], 0.0);

    ResetProgramState();
    RunGaussOnTwoNodes("1");
    TfrmDataOut* window = GaussResultsWindow;
    EXPECT_EQ(window->ListRowCount(), 2 * 5);
    EXPECT_EQ(Row(window, 5), QStringList({"1", "1", "1", "0"}));
    for (int i = 0; i < MaxIterations; ++i) {
        ASSERT_EQ(window->EResults[2][i], 0.0) << i;
        ASSERT_EQ(window->dResults[2][i], 0.0) << i;
    }
    EXPECT_EQ(window->EResults[1][2], 0.0);
    EXPECT_EQ(window->EResults[1][5], 0.0);
}

TEST_F(ResultsWindowTest, ClosedWindowComesBackAtItsPlace) {
    RunGaussOnTwoNodes("2");
    GaussResultsWindow->move(300, 40);
    Click(GaussResultsWindow, "btnClose");
    EXPECT_FALSE(GaussResultsWindow->isVisible());
    EXPECT_EQ(GaussResultsWindow->ListRowCount(), 3 * 5); // closing keeps the data

    Click(frmDataOk, "btnGauss");
    EXPECT_TRUE(GaussResultsWindow->isVisible());
    EXPECT_EQ(GaussResultsWindow->pos(), QPoint(7, 332));
}

TEST_F(ResultsWindowTest, ArithmeticFaultIsReportedAndLeavesThePreviousResults) {
    RunGaussOnTwoNodes("3");
    ASSERT_TRUE(GaussResultsWindow->isVisible());
    const double before = GaussResultsWindow->EResults[1][2];

    // A PQ node without self-admittance: its Gauss-Seidel update divides by zero.
    ResetProgramState();
    TypeTwoNodeNetwork("3");
    TypeY(1, 1, "0");
    TypeY(0, 1, "");
    AcquireTyped();
    ASSERT_TRUE(Recorder().messages.empty());
    Click(frmDataOk, "btnGauss");

    ASSERT_EQ(Recorder().messages.size(), 1u);
    const Message& message = Recorder().messages[0];
    EXPECT_EQ(message.caption, FaultCaption);
    EXPECT_EQ(message.icon, MessageIcon::Stop);
    EXPECT_EQ(message.text, "Calcolo interrotto: divisione per zero\nnel metodo Gauss-Seidel, "
                            "all'iterazione 1, calcolando il nodo 2.\n\nI risultati di questo "
                            "metodo non sono disponibili: controlla i dati della rete.");
    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Calcolo Gauss interrotto."));
    EXPECT_FALSE(GaussResultsWindow->isVisible()); // hidden by the acquisition, not shown again
    EXPECT_EQ(GaussResultsWindow->ListRowCount(), 4 * 5);
    EXPECT_EQ(GaussResultsWindow->EResults[1][2], before);

    // The program goes on: the same window serves the next good run.
    ResetProgramState();
    RunGaussOnTwoNodes("1");
    EXPECT_TRUE(GaussResultsWindow->isVisible());
    EXPECT_EQ(GaussResultsWindow->ListRowCount(), 2 * 5);
}

TEST_F(ResultsWindowTest, ItalianLocaleShowsDecimalCommas) {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    RunGaussOnTwoNodes("1");
    EXPECT_TRUE(Row(GaussResultsWindow, 6)[2].startsWith(QStringLiteral("0,9464508")));
    EXPECT_TRUE(Row(GaussResultsWindow, 6)[3].startsWith(QStringLiteral("-5,3630694")));
    EXPECT_EQ(Row(GaussResultsWindow, 6)[0], QStringLiteral("1"));
    const QTreeWidget* summary = Child<QTreeWidget>(frmDataOk, "ListView");
    ASSERT_GE(summary->topLevelItemCount(), 2);
    EXPECT_EQ(summary->topLevelItem(1)->text(4), QStringLiteral("-0,5"));
}

TEST_F(ResultsWindowTest, ExportFollowsTheChosenFilter) {
    RunGaussOnTwoNodes("1");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    const QString csv = dir.filePath(QStringLiteral("gauss.csv"));
    Save(csv, 1);
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 1u);
    const ScriptedDialogs::Request& request = ScriptedFileDialogs().requests[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.filter, QStringLiteral("Comma Separated Values|*.csv|HTML|*.html"));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("csv"));
    const QByteArray csvBytes = ReadFile(csv);
    EXPECT_TRUE(csvBytes.startsWith("Risultati calcolo Gauss,,,\n,,,\niterazione,nodo,E,d(gradi)\n"
                                    "0,1,1.00000000000000,0.000000000\n"))
        << csvBytes.toStdString();
    EXPECT_EQ(csvBytes.count('\n'), 9);

    // HTML chosen with a .csv name: the filter decides, not the extension.
    const QString html = dir.filePath(QStringLiteral("table.csv"));
    Save(html, 2);
    const QByteArray htmlBytes = ReadFile(html);
    EXPECT_TRUE(
        htmlBytes.startsWith("<html><head><title>Risultati calcolo Gauss</title></head>\n"));
    EXPECT_TRUE(htmlBytes.endsWith("</body></html>\n"));

    // Cancelling writes and says nothing.
    Save(QString(), 1);
    EXPECT_TRUE(Recorder().messages.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(ResultsWindowTest, ExportNumbersUseAFullStopUnderAnItalianLocale) {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool italian = std::setlocale(LC_ALL, "it_IT.UTF-8") != nullptr;
    RunGaussOnTwoNodes("1");
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("it.csv"));
    Save(csv, 1);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_TRUE(ReadFile(csv).contains("\n1,2,0.9464508")) << ReadFile(csv).toStdString();
    if (!italian) {
        GTEST_SKIP() << "it_IT.UTF-8 not installed; only the list locale was Italian";
    }
}

TEST_F(ResultsWindowTest, UnknownFilterIndexAndFailedWritesAreReported) {
    RunGaussOnTwoNodes("1");
    QTemporaryDir dir;

    const QString odd = dir.filePath(QStringLiteral("odd.csv"));
    Save(odd, 3);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, "Formato inesistente");
    EXPECT_EQ(Recorder().messages[0].caption, "Errore");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(QFile::exists(odd));

    // A target that cannot be replaced (a folder holding an earlier export): the error is
    // reported and the earlier file is left as it was, with nothing else beside it.
    Recorder().messages.clear();
    const QString folder = dir.filePath(QStringLiteral("taken.csv"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString earlier = folder + QStringLiteral("/earlier.csv");
    Save(earlier, 1);
    const QByteArray earlierBytes = ReadFile(earlier);
    ASSERT_FALSE(earlierBytes.isEmpty());
    Save(folder, 2);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, "Errore salvataggio in .html");
    EXPECT_EQ(Recorder().messages[0].caption, "Errore");
    EXPECT_EQ(ReadFile(earlier), earlierBytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);

    // A folder that refuses new files keeps the earlier export (not checkable as root).
    if (::geteuid() != 0) {
        Recorder().messages.clear();
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        Save(earlier, 2);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_EQ(Recorder().messages.size(), 1u);
        EXPECT_EQ(Recorder().messages[0].text, "Errore salvataggio in .html");
        EXPECT_EQ(ReadFile(earlier), earlierBytes);
    }

    // The missing folder case, with the system's reason beside the documented text.
    Recorder().messages.clear();
    const QString missing = dir.filePath(QStringLiteral("missing/out.csv"));
    Save(missing, 1);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, "Errore salvataggio in .csv");
    EXPECT_EQ(Recorder().messages[0].detail, missing.toStdString() + ": " + std::strerror(ENOENT));
}

TEST_F(ResultsWindowTest, ARefilledListStartsAtItsFirstRow) {
    RunGaussOnTwoNodes("60");
    QTreeView* list = Child<QTreeView>(GaussResultsWindow, "ListView");
    list->scrollToBottom();
    QApplication::processEvents();
    ASSERT_GT(list->verticalScrollBar()->value(), 0);

    Click(frmDataOk, "btnGauss"); // a second run refills the same window
    QApplication::processEvents();
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_EQ(list->indexAt(QPoint(1, 1)).row(), 0);
}

} // namespace
} // namespace nodewise::testing
