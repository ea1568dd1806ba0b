// "Opzioni di calcolo": the dialog's readings and refusals, and the options as the main window
// keeps them through Salva, Apri, Nuovo and the MATPOWER import.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>

#include "core/interop/file_sections.h"
#include "gui/input/data_entry_window.h"
#include "gui/shell/options_dialog.h"
#include "gui/shell/program_windows.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

struct Typed {
    const char* box;
    const char* text;
};

TEST(OptionsDialogTest, ReadsCommaOrPointAndRefusesWhatCannotBeUsedNamingTheNode) {
    const struct {
        const char* name;
        bool stop;
        std::vector<Typed> typed;
        const char* refusal; // the start of the problem shown; nullptr: accepted
    } cases[] = {
        {"as proposed", false, {}, nullptr},
        {"comma",
         true,
         {{"txtStopTolerance", "0,0001"}, {"txtAcceleration", "1,6"}, {"txtQmin[2]", "-0,5"}},
         nullptr},
        {"point and exponent",
         true,
         {{"txtStopTolerance", " 1e-8 "}, {"txtAcceleration", "1.6"}, {"txtQmax[2]", "1.25"}},
         nullptr},
        {"tolerance not positive", true, {{"txtStopTolerance", "-1e-4"}}, ToleranceRuleText},
        {"tolerance in words", true, {{"txtStopTolerance", "poca"}}, ToleranceRuleText},
        {"unchecked tolerance is not read", false, {{"txtStopTolerance", "poca"}}, nullptr},
        {"acceleration 2", false, {{"txtAcceleration", "2"}}, "Il fattore di accelerazione"},
        {"acceleration empty", false, {{"txtAcceleration", ""}}, "Il fattore di accelerazione"},
        {"limit in words",
         false,
         {{"txtQmax[1]", "molto"}},
         "Limiti di potenza reattiva del nodo 2: Qmax deve essere un numero"},
        {"limits crossed",
         false,
         {{"txtQmin[4]", "1"}, {"txtQmax[4]", "0,5"}},
         "Limiti di potenza reattiva del nodo 5: Qmin \xC3\xA8 maggiore di Qmax."},
    };
    for (const auto& c : cases) {
        OptionsDialog dialog(nullptr, CalculationOptions{});
        Child<QCheckBox>(&dialog, "chbStopTolerance")->setChecked(c.stop);
        for (const Typed& t : c.typed) {
            Child<QLineEdit>(&dialog, t.box)->setText(QString::fromUtf8(t.text));
        }
        const std::optional<CalculationOptions> options = dialog.TypedOptions();
        const QString shown = Child<QLabel>(&dialog, "lblOptionsProblem")->text();
        EXPECT_EQ(options.has_value(), c.refusal == nullptr) << c.name;
        if (c.refusal != nullptr) {
            EXPECT_TRUE(shown.startsWith(QString::fromUtf8(c.refusal)))
                << c.name << ": " << shown.toStdString();
        }
    }

    // what the readings give
    OptionsDialog dialog(nullptr, CalculationOptions{});
    Child<QCheckBox>(&dialog, "chbStopTolerance")->setChecked(true);
    Child<QLineEdit>(&dialog, "txtStopTolerance")->setText(QStringLiteral("1e-8"));
    Child<QLineEdit>(&dialog, "txtAcceleration")->setText(QStringLiteral("1,6"));
    Child<QLineEdit>(&dialog, "txtQmin[2]")->setText(QStringLiteral("-0,5"));
    Child<QLineEdit>(&dialog, "txtQmax[6]")->setText(QStringLiteral("+2"));
    const std::optional<CalculationOptions> options = dialog.TypedOptions();
    ASSERT_TRUE(options);
    EXPECT_EQ(options->stopTolerance, 1e-8);
    EXPECT_EQ(options->acceleration, 1.6);
    EXPECT_EQ(options->reactiveLimits[2].qmin, -0.5);
    EXPECT_FALSE(options->reactiveLimits[2].qmax);
    EXPECT_EQ(options->reactiveLimits[6].qmax, 2.0);
    EXPECT_FALSE(options->reactiveLimits[0].qmin || options->reactiveLimits[0].qmax);
}

// The proposal is shown as cells show numbers, and OK with it unchanged gives it back exactly;
// OK with a bad value leaves the dialog open, Annulla gives nothing.
TEST(OptionsDialogTest, ShowsTheProposalAndOnlyUsableOptionsClose) {
    CalculationOptions current;
    current.stopTolerance = 1e-4;
    current.acceleration = 1.6;
    current.reactiveLimits[3] = {-0.1 / 3, 0.8};
    struct Step {
        const char* acceleration; // typed before OK; nullptr: Annulla
        bool closed;
    };
    std::vector<Step> steps = {{"3", false}, {"1,6", true}};
    QString shownTolerance;
    QString shownQmin;
    const auto script = [&](std::vector<Step> todo) {
        QTimer::singleShot(0, [&, todo] {
            auto* dialog = qobject_cast<OptionsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shownTolerance = Child<QLineEdit>(dialog, "txtStopTolerance")->text();
            shownQmin = Child<QLineEdit>(dialog, "txtQmin[3]")->text();
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            for (const Step& step : todo) {
                if (step.acceleration == nullptr) {
                    buttons->button(QDialogButtonBox::Cancel)->click();
                    return;
                }
                Child<QLineEdit>(dialog, "txtAcceleration")
                    ->setText(QString::fromLatin1(step.acceleration));
                buttons->button(QDialogButtonBox::Ok)->click();
                EXPECT_EQ(!dialog->isVisible(), step.closed) << step.acceleration;
            }
        });
    };
    script(steps);
    const std::optional<CalculationOptions> accepted = AskCalculationOptions(nullptr, current);
    EXPECT_EQ(shownTolerance, QStringLiteral("0,0001"));
    EXPECT_EQ(shownQmin, QStringLiteral("-0,03333333333333333"));
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->stopTolerance, current.stopTolerance);
    EXPECT_EQ(accepted->acceleration, 1.6);
    EXPECT_EQ(accepted->reactiveLimits[3].qmin, current.reactiveLimits[3].qmin);
    EXPECT_EQ(accepted->reactiveLimits[3].qmax, 0.8);

    script({{nullptr, true}});
    EXPECT_FALSE(AskCalculationOptions(nullptr, current));
}

class MainWindowOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }

    static void EditOptions(const std::optional<CalculationOptions>& answer) {
        ScriptedFileDialogs().optionAnswers.push_back(answer);
        Child<QAction>(frmDataIn, "EditOptionsItem")->trigger();
    }
};

CalculationOptions SomeOptions() {
    CalculationOptions options;
    options.stopTolerance = 1e-6;
    options.acceleration = 1.4;
    options.reactiveLimits[1] = {-0.25, 0.5};
    return options;
}

TEST_F(MainWindowOptionsTest, TheOptionsTravelWithTheNetworkFileAndNuovoClearsThem) {
    QTemporaryDir dir;
    TypeTwoNodeNetwork("20");
    const QString path = dir.filePath(QStringLiteral("opzioni.nwd"));
    ScriptedFileDialogs().replies.push_back({path});
    Child<QAction>(frmDataIn, "FileSaveAsItem")->trigger();
    const QByteArray plain = ReadFile(path);
    EXPECT_EQ(plain.indexOf("[Nodewise"), -1) << "no option set: the plain 56 lines";
    EXPECT_FALSE(frmDataIn->isWindowModified());

    // a cancel changes nothing; an answer is the program's options and a change to save
    EditOptions(std::nullopt);
    EXPECT_FALSE(frmDataIn->isWindowModified());
    EditOptions(SomeOptions());
    EXPECT_EQ(frmDataIn->Options().acceleration, 1.4);
    EXPECT_TRUE(frmDataIn->isWindowModified());
    EditOptions(SomeOptions()); // proposed as they are
    EXPECT_EQ(ScriptedFileDialogs().proposedOptions.back().reactiveLimits[1].qmax, 0.5);

    ScriptedFileDialogs().replies.push_back({path});
    Child<QAction>(frmDataIn, "FileSaveAsItem")->trigger();
    EXPECT_FALSE(frmDataIn->isWindowModified());
    const QByteArray saved = ReadFile(path);
    EXPECT_TRUE(saved.startsWith(plain));
    EXPECT_NE(saved.indexOf("[opzioni]\ntolleranza=1e-06\naccelerazione=1.4\n"
                            "limiti_q=2\t-0.25\t0.5\n"),
              -1)
        << saved.toStdString();

    // Nuovo asks about a change of the options alone, then clears them
    EditOptions(CalculationOptions{});
    EXPECT_TRUE(frmDataIn->isWindowModified());
    Child<QAction>(frmDataIn, "FileNewItem")->trigger();
    EXPECT_EQ(ScriptedFileDialogs().saveQuestions, 1);
    EditOptions(SomeOptions());
    Child<QAction>(frmDataIn, "FileNewItem")->trigger();
    EXPECT_EQ(ScriptedFileDialogs().saveQuestions, 2);
    EXPECT_TRUE(AllOff(frmDataIn->Options()));
    EXPECT_FALSE(frmDataIn->isWindowModified());

    frmDataIn->OpenNetworkFile(path);
    EXPECT_FALSE(frmDataIn->isWindowModified());
    EXPECT_EQ(frmDataIn->Options().stopTolerance, 1e-6);
    EXPECT_EQ(frmDataIn->Options().reactiveLimits[1].qmin, -0.25);
    EXPECT_TRUE(Recorder().messages.empty());

    // a damaged section is told as the line data's are, and leaves no options
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(plain + "[Nodewise 1]\n[opzioni]\nlimiti_q=2\t1\t-1\n");
    file.close();
    frmDataIn->OpenNetworkFile(path);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text,
              "Riga 59 del file: limiti_q: Qmin maggiore di Qmax al nodo 2.\nLe opzioni di "
              "calcolo non sono state lette; le celle della rete s\xC3\xAC.");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(AllOff(frmDataIn->Options()));
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
    EditOptions(SomeOptions());
    ScriptedFileDialogs().replies.push_back({path});
    Child<QAction>(frmDataIn, "FileImportMatpowerItem")->trigger();
    const CalculationOptions& options = frmDataIn->Options();
    EXPECT_FALSE(options.stopTolerance);
    EXPECT_EQ(options.acceleration, 1.0);
    EXPECT_EQ(options.reactiveLimits[1].qmin, -0.5);
    EXPECT_EQ(options.reactiveLimits[1].qmax, 1.0);
    EXPECT_FALSE(options.reactiveLimits[0].qmin || options.reactiveLimits[0].qmax);
    EXPECT_FALSE(frmDataIn->isWindowModified());
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, "I limiti di potenza reattiva del nodo 1 non sono "
                                           "riportati: \xC3\xA8 il nodo di riferimento.");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Information);
}

} // namespace
} // namespace nodewise::testing
