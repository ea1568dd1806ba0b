// "Opzioni di calcolo": the dialog's readings and refusals, and the options as the main window
// keeps them through Salva, Apri, Nuovo and the MATPOWER import.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/report/study_document.h"
#include "core/results/options_text.h"
#include "gui/analysis/power_balance_window.h"
#include "gui/analysis/step_window.h"
#include "gui/input/data_entry_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/options_dialog.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

void Type(OptionsDialog& dialog, const char* box, const char* text) {
    Child<QLineEdit>(&dialog, box)->setText(QString::fromUtf8(text));
}

TEST(OptionsDialogTest, ReadsCommaOrPointAndRefusesWhatCannotBeUsedNamingTheNode) {
    const struct {
        bool stop;
        std::vector<std::pair<const char*, const char*>> typed;
        const char* shown; // OptionsText of the answer, or the start of the refusal
    } cases[] = {
        {false, {}, ""},
        {true,
         {{"txtStopTolerance", "0,0001"}, {"txtAcceleration", "1,6"}, {"txtQmin[2]", "-0,5"}},
         "Opzioni: tolleranza 0,0001; accelerazione 1,6; limiti Q al nodo 3"},
        {true,
         {{"txtStopTolerance", " 1e-8 "}, {"txtAcceleration", "1.6"}, {"txtQmax[6]", "+2"}},
         "Opzioni: tolleranza 1E-8; accelerazione 1,6; limiti Q al nodo 7"},
        {false, {{"txtStopTolerance", "poca"}}, ""}, // read only when checked
        {true, {{"txtStopTolerance", "poca"}}, ToleranceRuleText},
        {false, {{"txtAcceleration", "2"}}, "Il fattore di accelerazione"},
        {false,
         {{"txtQmax[1]", "molto"}},
         "Limiti di potenza reattiva del nodo 2: Qmax deve essere un numero"},
        {false,
         {{"txtQmin[4]", "1"}, {"txtQmax[4]", "0,5"}},
         "Limiti di potenza reattiva del nodo 5: Qmin \xC3\xA8 maggiore di Qmax."},
    };
    for (const auto& c : cases) {
        OptionsDialog dialog(nullptr, CalculationOptions{});
        Child<QCheckBox>(&dialog, "chbStopTolerance")->setChecked(c.stop);
        for (const auto& [box, text] : c.typed) {
            Type(dialog, box, text);
        }
        const std::optional<CalculationOptions> options = dialog.TypedOptions();
        const std::string shown =
            options ? OptionsText(*options)
                    : Child<QLabel>(&dialog, "lblOptionsProblem")->text().toStdString();
        EXPECT_EQ(shown.rfind(c.shown, 0), 0u) << shown;
        EXPECT_EQ(shown.empty(), *c.shown == '\0') << shown;
    }
}

// The proposal shows as cells show numbers and comes back exactly; OK with a bad value leaves
// the dialog open.
TEST(OptionsDialogTest, ShowsTheProposalAndOnlyUsableOptionsClose) {
    CalculationOptions current;
    current.stopTolerance = 1e-4;
    current.reactiveLimits[3] = {-0.1 / 3, 0.8};
    OptionsDialog dialog(nullptr, current);
    EXPECT_EQ(Child<QLineEdit>(&dialog, "txtStopTolerance")->text(), QStringLiteral("0,0001"));
    EXPECT_EQ(Child<QLineEdit>(&dialog, "txtQmin[3]")->text(),
              QStringLiteral("-0,03333333333333333"));
    dialog.show();
    Type(dialog, "txtAcceleration", "3");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    Type(dialog, "txtAcceleration", "1");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.TypedOptions()->reactiveLimits[3].qmin, current.reactiveLimits[3].qmin);
}

class MainWindowOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }

    static void EditOptions(const std::optional<CalculationOptions>& answer) {
        ScriptedFileDialogs().optionAnswers.push_back(answer);
        Child<QAction>(frmDataIn, "EditOptionsItem")->trigger();
    }
    static void Trigger(const char* item) { Child<QAction>(frmDataIn, item)->trigger(); }
};

TEST_F(MainWindowOptionsTest, TheOptionsTravelWithTheNetworkFileAndNuovoClearsThem) {
    QTemporaryDir dir;
    TypeTwoNodeNetwork("20");
    const QString path = dir.filePath(QStringLiteral("opzioni.nwd"));
    ScriptedFileDialogs().replies.push_back({path});
    Trigger("FileSaveAsItem");
    const QByteArray plain = ReadFile(path);

    CalculationOptions options;
    options.stopTolerance = 1e-6;
    options.acceleration = 1.4;
    options.reactiveLimits[1] = {-0.25, 0.5};
    EditOptions(options);
    EXPECT_TRUE(frmDataIn->isWindowModified());
    EditOptions(std::nullopt); // cancelled: proposed as they are, and kept
    EXPECT_EQ(ScriptedFileDialogs().proposedOptions.back().reactiveLimits[1].qmax, 0.5);
    EXPECT_EQ(frmDataIn->Options().acceleration, 1.4);

    ScriptedFileDialogs().replies.push_back({path});
    Trigger("FileSaveAsItem");
    EXPECT_FALSE(frmDataIn->isWindowModified());
    EXPECT_EQ(ReadFile(path), plain + "[Nodewise 1]\n[opzioni]\ntolleranza=1e-06\n"
                                      "accelerazione=1.4\nlimiti_q=2\t-0.25\t0.5\n");

    // a change of the options alone is asked about; Nuovo clears them, Apri reads them back
    EditOptions(CalculationOptions{});
    Trigger("FileNewItem");
    EXPECT_EQ(ScriptedFileDialogs().saveQuestions, 1);
    EXPECT_TRUE(AllOff(frmDataIn->Options()));
    frmDataIn->OpenNetworkFile(path);
    EXPECT_FALSE(frmDataIn->isWindowModified());
    EXPECT_EQ(frmDataIn->Options().reactiveLimits[1].qmin, -0.25);
}

// The runs are made with the options: the held node is named where the run is shown, a
// tolerance ends the run early and says so, and a limit on a node without a given E is refused.
TEST_F(MainWindowOptionsTest, RunsFollowTheOptionsAndShowTheHeldNode) {
    frmDataIn->OpenNetworkFile(QStringLiteral(NODEWISE_SOURCE_DIR "/examples/saadat-3bus-pv.nwd"));
    TypeIterations("50");
    CalculationOptions options;
    options.stopTolerance = 1e-8;
    options.reactiveLimits[2].qmax = 1.2; // Q3 is 1.46 without it
    EditOptions(options);
    AcquireTyped();
    EXPECT_EQ(frmDataOk->StatusPanelText(0).toStdString(), OptionsText(options));
    Click(frmDataOk, "btnNewton");
    const nodewise::Run& run = *RunOf(Method::Newton);
    ASSERT_TRUE(run.converged);
    ASSERT_LT(run.IterationCount, 50);
    EXPECT_EQ(
        frmDataOk->StatusPanelText(0),
        QStringLiteral("Newton pronti: convergenza all'iterazione %1.").arg(run.IterationCount));
    EXPECT_EQ(NewtonResultsWindow->ListRowCount(), (run.IterationCount + 1) * (3 + 3));
    EXPECT_TRUE(
        NewtonResultsWindow->windowTitle().endsWith(QStringLiteral("(nodo 3 al limite Qmax)")));

    ShowPowerBalanceWindow();
    const auto* nodes = Child<QTableWidget>(frmPowerBalance, "NodeTable");
    EXPECT_EQ(nodes->item(2, 1)->text(), QStringLiteral("PE (Qmax)"));
    EXPECT_EQ(nodes->item(1, 1)->text(), QStringLiteral("PQ"));
    EXPECT_FALSE(nodes->item(2, 2)->font().italic()); // E held node 3: a result
    EXPECT_TRUE(nodes->item(2, 5)->font().italic());  // its Q: the limit
    ShowStepWindow();
    Child<QSpinBox>(frmStep, "spnIteration")->setValue(run.IterationCount);
    EXPECT_TRUE(Child<QLabel>(frmStep, "lblNote")
                    ->text()
                    .endsWith(QStringLiteral("Nodo 3 al limite Qmax.")))
        << Child<QLabel>(frmStep, "lblNote")->text().toStdString();
    Child<QSpinBox>(frmStep, "spnIteration")->setValue(1); // the window outlives the test

    // the study says how the run ended and which node the limit held
    StudyChoices choices;
    choices.options = options;
    const std::string study =
        BuildStudy(AcquiredNetwork(), AcquiredCells(), ProgramRuns().runs(), choices).html;
    EXPECT_NE(study.find(OptionsText(options)), std::string::npos);
    EXPECT_NE(study.find("all'ultima iterazione: nodo 3 al limite Qmax"), std::string::npos);

    // a limit on the PQ node 2: refused at acquisition, naming the node
    options.reactiveLimits[1].qmin = 0.0;
    EditOptions(options);
    Recorder().messages.clear();
    AcquireTyped();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_NE(Recorder().messages[0].text.find("nodo 2"), std::string::npos);
    EXPECT_FALSE(frmDataOk->isVisible());
}

// The case's PV bus limits become the options; the reference bus's are named in a note.
TEST_F(MainWindowOptionsTest, AnImportedCaseBringsItsLimitsAndTellsWhatIsLeftOut) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pv.m"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("function mpc = pv\nmpc.baseMVA = 100;\n"
               "mpc.bus = [1 3 0 0 0 0 1 1 0; 2 2 0 0 0 0 1 1 0; 3 1 50 20 0 0 1 1 0];\n"
               "mpc.gen = [1 0 0 300 -300 1 100 1; 2 30 0 100 -50 1.02 100 1];\n"
               "mpc.branch = [1 2 0 0.1 0 0 0 0 0 0 1; 2 3 0 0.1 0 0 0 0 0 0 1];\n");
    file.close();
    CalculationOptions before;
    before.acceleration = 1.5;
    EditOptions(before);
    ScriptedFileDialogs().replies.push_back({path});
    Trigger("FileImportMatpowerItem");
    EXPECT_EQ(OptionsText(frmDataIn->Options()), "Opzioni: limiti Q al nodo 2");
    EXPECT_EQ(frmDataIn->Options().reactiveLimits[1].qmin, -0.5);
    EXPECT_FALSE(frmDataIn->isWindowModified());
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, "I limiti di potenza reattiva del nodo 1 non sono "
                                           "riportati: \xC3\xA8 il nodo di riferimento.");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Information);
}

} // namespace
} // namespace nodewise::testing
