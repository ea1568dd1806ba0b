// Start-up state, window lifecycle and the summary window with its method buttons.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

#include "core/input/acquisition.h"
#include "core/solvers/matrix_inversion.h"
#include "gui/input/about_window.h"
#include "gui/results/results_window.h"
#include "gui/shell/program_port.h"
#include "gui/shell/qt_user_port.h"
#include "gui/shell/run_store.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
};

// The summary's list of nodes.
const QTreeWidget* SummaryList() {
    return Child<QTreeWidget>(frmDataOk, "ListView");
}

QStringList RowTexts(const QTreeWidget* list, int row) {
    QStringList texts;
    const QTreeWidgetItem* item = list->topLevelItem(row);
    for (int c = 0; c < list->columnCount(); ++c) {
        texts << (item != nullptr ? item->text(c) : QString());
    }
    return texts;
}

TEST_F(ShellTest, StartsWithOnlyTheMainWindowVisible) {
    EXPECT_TRUE(frmDataIn->isVisible());
    EXPECT_TRUE(frmDataIn->isWindow());
    EXPECT_FALSE(frmDataOk->isVisible());
    EXPECT_FALSE(frmAbout->isVisible());
    for (TfrmDataOut* window : {GaussResultsWindow, NewtonResultsWindow, StottResultsWindow}) {
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->parentWidget(), nullptr);
        EXPECT_TRUE(window->isWindow());
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_EQ(frmDataOk->windowTitle(), QStringLiteral("Riepilogo dati nodali"));
    EXPECT_EQ(frmDataOk->size(), QSize(507, 273));
    const QCheckBox* viewResult = Child<QCheckBox>(frmDataOk, "chbViewResult");
    EXPECT_TRUE(viewResult->isChecked());
    EXPECT_EQ(viewResult->toolTip(), QStringLiteral("Sconsigliato per numero di iterazioni >100"));
}

TEST_F(ShellTest, MethodButtonsStandInTheirPlacesAndTabVisitsThemInOrder) {
    const struct {
        const char* name;
        const char* caption;
        QRect geometry;
    } buttons[] = {{"btnGauss", "Gauss-Seidel", QRect(10, 152, 100, 75)},
                   {"btnNewton", "Newton-Raphson", QRect(119, 152, 100, 75)},
                   {"btnStott", "Stott-Alsac", QRect(228, 152, 100, 75)},
                   {"btnErrata", "Altra acquisizione", QRect(360, 152, 137, 75)}};
    QWidget* next = Child<QPushButton>(frmDataOk, "btnGauss");
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.name);
        const QPushButton* widget = Child<QPushButton>(frmDataOk, button.name);
        EXPECT_EQ(widget->text(), QString::fromUtf8(button.caption));
        EXPECT_EQ(widget->geometry(), button.geometry);
        EXPECT_EQ(next, widget);
        do {
            next = next->nextInFocusChain();
        } while ((next->focusPolicy() & Qt::TabFocus) == 0);
    }
    EXPECT_EQ(Child<QLabel>(frmDataOk, "Label1")->pos(), QPoint(10, 132));
    EXPECT_EQ(Child<QTreeWidget>(frmDataOk, "ListView")->geometry(), QRect(10, 8, 487, 120));
    EXPECT_EQ(Child<QStatusBar>(frmDataOk, "StatusBar1")->geometry(), QRect(10, 240, 320, 20));
}

TEST_F(ShellTest, ResultsWindowsStartEmptyWithoutCaption) {
    TfrmDataOut fresh;
    EXPECT_TRUE(fresh.windowTitle().isEmpty());
    EXPECT_FALSE(Child<QTreeView>(&fresh, "ListView")->isVisibleTo(&fresh));
    EXPECT_EQ(fresh.ListRowCount(), 0);
    EXPECT_EQ(fresh.size(), QSize(350, 400));
    EXPECT_EQ(Child<QPushButton>(&fresh, "cmdSalva")->text(), QStringLiteral("Salva Risultati"));
    EXPECT_EQ(Child<QPushButton>(&fresh, "btnClose")->text(), QStringLiteral("Chiudi"));
}

TEST_F(ShellTest, HidingWindowsThatAreAlreadyHiddenChangesNothing) {
    HideResultForms();
    HideResultForms();
    EXPECT_TRUE(frmDataIn->isVisible());
    EXPECT_FALSE(frmDataOk->isVisible());
    EXPECT_FALSE(GaussResultsWindow->isVisible());
    EXPECT_TRUE(Recorder().messages.empty());
}

TEST_F(ShellTest, ClosingTheMainWindowEndsTheProgramWithSecondaryWindowsOpen) {
    TypeTwoNodeNetwork("2");
    AcquireTyped();
    Click(frmDataOk, "btnGauss");
    ASSERT_TRUE(frmDataOk->isVisible());
    ASSERT_TRUE(GaussResultsWindow->isVisible());

    QTimer::singleShot(0, [] { frmDataIn->close(); });
    QTimer::singleShot(5000, [] { QApplication::exit(7); }); // the loop did not end by itself
    const int result = QApplication::exec();
    EXPECT_EQ(result, 0);

    frmDataIn->show();
}

TEST_F(ShellTest, SummaryListsTheAcquiredNodes) {
    TypePdNetwork("5");
    AcquireTyped();
    ASSERT_TRUE(Recorder().messages.empty());
    ASSERT_TRUE(frmDataOk->isVisible());
    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Verificare i dati acquisiti"));
    ASSERT_EQ(SummaryList()->topLevelItemCount(), 3);
    EXPECT_EQ(RowTexts(SummaryList(), 0), QStringList({"1", "Ed", "1", "0", "0", "0"}));
    // d typed in degrees, held in radians, shown in degrees again with 15 digits.
    EXPECT_EQ(RowTexts(SummaryList(), 1), QStringList({"2", "Pd", "1", "-2", "0.3", "0"}));
    EXPECT_EQ(RowTexts(SummaryList(), 2), QStringList({"3", "PQ", "1", "0", "-0.4", "-0.1"}));

    // A new acquisition rebuilds the list.
    ResetProgramState();
    TypeTwoNodeNetwork("5");
    AcquireTyped();
    ASSERT_EQ(SummaryList()->topLevelItemCount(), 2);
    EXPECT_EQ(RowTexts(SummaryList(), 1), QStringList({"2", "PQ", "1", "0", "-0.5", "-0.2"}));
}

TEST_F(ShellTest, MethodConditionDecidesWarningsPerButton) {
    TypePdNetwork("3");
    AcquireTyped();
    ASSERT_TRUE(frmDataOk->isVisible());
    ASSERT_FALSE(AcquiredNetwork().MethodConditionHolds());

    Click(frmDataOk, "btnStott"); // warns and refuses
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, InputWarningText(WarningMethodNotApplicable));
    EXPECT_EQ(Recorder().messages[0].caption, "Attenzione:");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(StottResultsWindow->isVisible());
    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Verificare i dati acquisiti"));

    Recorder().messages.clear();
    Click(frmDataOk, "btnNewton"); // warns, then runs all the same
    ASSERT_FALSE(Recorder().messages.empty());
    EXPECT_EQ(Recorder().messages[0].text, InputWarningText(WarningMethodNotApplicable));
    EXPECT_TRUE(NewtonResultsWindow->isVisible());
    EXPECT_EQ(NewtonResultsWindow->windowTitle(), QStringLiteral("Risultati calcolo Newton"));
    EXPECT_EQ(frmDataOk->StatusPanelText(0), QStringLiteral("Risultati calcolo Newton pronti"));

    Recorder().messages.clear();
    Click(frmDataOk, "btnGauss"); // never checks
    EXPECT_TRUE(Recorder().messages.empty());
    EXPECT_TRUE(GaussResultsWindow->isVisible());
}

TEST_F(ShellTest, AllThreeMethodsRunWithoutWarningWhenTheBlocksAreSquare) {
    TypeTwoNodeNetwork("4");
    AcquireTyped();
    Click(frmDataOk, "btnGauss");
    Click(frmDataOk, "btnNewton");
    Click(frmDataOk, "btnStott");
    EXPECT_TRUE(Recorder().messages.empty());
    const struct {
        TfrmDataOut* window;
        const char* caption;
        int left;
    } expected[] = {{GaussResultsWindow, "Risultati calcolo Gauss", 7},
                    {NewtonResultsWindow, "Risultati calcolo Newton", 335},
                    {StottResultsWindow, "Risultati calcolo Stott", 663}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.caption);
        EXPECT_TRUE(e.window->isVisible());
        EXPECT_EQ(e.window->windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(e.window->pos(), QPoint(e.left, 332));
        EXPECT_EQ(e.window->ListRowCount(), 5 * 5);
        // All three reach the same solution of this small network.
        EXPECT_NEAR(e.window->EResults[1][4], 0.9338, 2e-3);
    }
}

TEST_F(ShellTest, AnotherAcquisitionHidesEverythingAndKeepsTheResults) {
    TypeTwoNodeNetwork("2");
    AcquireTyped();
    Click(frmDataOk, "btnGauss");
    Click(frmDataOk, "btnNewton");
    ASSERT_TRUE(GaussResultsWindow->isVisible());

    Click(frmDataOk, "btnErrata");
    EXPECT_FALSE(frmDataOk->isVisible());
    EXPECT_FALSE(GaussResultsWindow->isVisible());
    EXPECT_FALSE(NewtonResultsWindow->isVisible());
    EXPECT_TRUE(frmDataIn->isVisible());
    EXPECT_EQ(GaussResultsWindow->ListRowCount(), 3 * 5);
    EXPECT_EQ(GaussResultsWindow->windowTitle(), QStringLiteral("Risultati calcolo Gauss"));
}

// The desktop port's boxes, answered: the check box, where offered, is ticked on box number
// `silenceAt` (1-based; 0: never).
struct AnsweredBoxes final : MessageBoxes {
    bool show(const QString& text, const QString&, MessageIcon, const QString&,
              bool offerSilence) override {
        shown.push_back(text);
        offered += offerSilence ? 1 : 0;
        return offerSilence && static_cast<int>(shown.size()) == silenceAt;
    }
    std::vector<QString> shown;
    int offered = 0;
    int silenceAt = 0;
};

// An empty grid, 999 iterations of Newton-Raphson: a zero-order inversion in every iteration.
TEST_F(ShellTest, ARepeatedInversionBoxCanBeSilencedForTheRestOfTheRun) {
    AnsweredBoxes boxes;
    QtUserPort desktop(&boxes);
    UserPort* recorder = SetUserPort(&desktop);
    ConnectStatusPanels(desktop);
    TypeIterations("999");
    AcquireTyped();
    const QLabel* panel = frmDataOk->StatusPanel(0);
    // The check box lasts for one run: the next run shows the boxes again.
    const std::tuple<int, int, const char*> runs[] = {
        {1, 1, "Newton pronti: matrice di ordine nullo in 999 iterazioni."},
        {0, 999, "Risultati calcolo Newton pronti"},
        {4, 4, "Newton pronti: matrice di ordine nullo in 999 iterazioni."},
    };
    for (const auto& [silenceAt, shown, status] : runs) {
        boxes = {};
        boxes.silenceAt = silenceAt;
        Click(frmDataOk, "btnNewton");
        EXPECT_EQ(boxes.shown,
                  std::vector<QString>(shown, QString::fromUtf8(InversionZeroOrderText)));
        EXPECT_EQ(boxes.offered, shown);
        EXPECT_EQ(panel->text(), QString::fromUtf8(status)) << silenceAt;
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()),
                  panel->contentsRect().width())
            << "the whole text shows";
    }
    SetUserPort(recorder);
}

// Each message is silenced on its own; the end counts every repeat of those silenced.
TEST(DesktopPort, SilencesEachInversionMessageOnItsOwnAndCountsEveryRepeat) {
    const char* failed = InversionFailedText;
    const char* zero = InversionZeroOrderText;
    const std::tuple<std::vector<const char*>, int, std::size_t, std::string> cases[] = {
        {{failed, failed, failed}, 1, 1, "inversione non riuscita in 3 iterazioni"},
        {{failed, zero, failed, zero}, 1, 3, "inversione non riuscita in 2 iterazioni"},
        {{zero, failed, zero}, 3, 3, "matrice di ordine nullo in 2 iterazioni"},
        {{"Un altro messaggio.", failed}, 1, 2, ""},
    };
    for (const auto& [messages, silenceAt, shown, end] : cases) {
        AnsweredBoxes boxes;
        boxes.silenceAt = silenceAt;
        QtUserPort desktop(&boxes);
        desktop.beginCalculation();
        for (const char* text : messages) {
            desktop.showMessage(text, InversionErrorCaption, MessageIcon::Stop);
        }
        EXPECT_EQ(boxes.shown.size(), shown) << end;
        EXPECT_EQ(desktop.endCalculation(), end);
    }
}

} // namespace
} // namespace nodewise::testing
