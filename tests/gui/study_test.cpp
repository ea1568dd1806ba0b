// The study as a PDF: what its text says, how many pages it takes, and that its figures are
// drawn, not pictures.
#include <QAction>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "core/analysis/power_balance.h"
#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/results/methods.h"
#include "core/results/number_style.h"
#include "gui/input/data_entry_window.h"
#include "gui/input/line_data_window.h"
#include "gui/results/study_pages.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

// The output of a poppler tool on `pdf`; empty when the tool is not installed.
QString Poppler(const QString& tool, const QStringList& arguments) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
        return {};
    }
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool HavePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty();
}

int PageCount(const QString& pdf) {
    for (const QString& line : Poppler(QStringLiteral("pdfinfo"), {pdf}).split('\n')) {
        if (line.startsWith(QStringLiteral("Pages:"))) {
            return line.mid(6).trimmed().toInt();
        }
    }
    return 0;
}

// A network with the runs made on it.
struct Studied {
    Network network;
    CellTexts cells;
    RunSet runs;
    StudyDocument Study(const StudyChoices& choices) const {
        return BuildStudy(network, cells, runs, choices);
    }
};

// Acquires an example and runs every method it admits, as a student would before printing.
void RunExample(const std::string& name, const char* iterations, Studied& studied) {
    studied = Studied{};
    ASSERT_TRUE(
        ReadNetworkFile(std::string(NODEWISE_SOURCE_DIR) + "/examples/" + name, studied.cells));
    const Acquisition acquisition = Acquire(iterations, studied.cells);
    ASSERT_FALSE(acquisition.warning);
    studied.network = acquisition.network;
    SolverObserver quiet;
    for (Method method : AllMethods) {
        if (DecideMethod(studied.network, method) == MethodDecision::Run) {
            studied.runs.Store(Iterate(method, studied.network, quiet));
        }
    }
}

TEST(StudyPdf, EveryExampleSaysItsNumbersOnVectorPages) {
    if (!HavePoppler()) {
        GTEST_SKIP() << "poppler-utils is not installed";
    }
    QTemporaryDir dir;
    const StudyChoices defaults;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(NODEWISE_SOURCE_DIR) + "/examples")) {
        if (entry.path().extension() != ".nwd") {
            continue;
        }
        const std::string name = entry.path().filename().string();
        Studied studied;
        RunExample(name, "20", studied);
        const QString pdf = dir.filePath(QString::fromStdString(name) + ".pdf");
        StudyChoices choices;
        choices.networkName = name;
        ASSERT_TRUE(WriteStudyPdf(studied.Study(choices), QString::fromStdString(name), pdf));

        const QString text = Poppler(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        EXPECT_TRUE(text.contains(QString::fromStdString(name))) << name; // the running header
        // the balance of the method run last, at the digits chosen
        const PowerBalance balance =
            ComputePowerBalance(studied.network, *studied.runs.Of(*studied.runs.Last()));
        for (const NodeBalance& node : balance.nodes) {
            for (double value : {node.E, node.dDegrees, node.P, node.Q}) {
                const QString shown = QString::fromStdString(ShownNumber(defaults.style, value));
                EXPECT_TRUE(text.contains(shown)) << name << ": " << shown.toStdString();
            }
        }
        // the chart and the drawing are paths and text, not pictures
        const QStringList images =
            Poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n');
        EXPECT_LE(images.size(), 3) << name << ": " << images.join('\n').toStdString();
    }
}

TEST(StudyPdf, TheHistoryTakesPagesAndAStudyBeforeAnyRunSaysSo) {
    if (!HavePoppler()) {
        GTEST_SKIP() << "poppler-utils is not installed";
    }
    QTemporaryDir dir;
    Studied studied;
    RunExample("stagg-5bus.nwd", "20", studied);
    StudyChoices choices;
    const QString brief = dir.filePath(QStringLiteral("brief.pdf"));
    const QString whole = dir.filePath(QStringLiteral("whole.pdf"));
    ASSERT_TRUE(WriteStudyPdf(studied.Study(choices), QString(), brief));
    choices.history = true;
    ASSERT_TRUE(WriteStudyPdf(studied.Study(choices), QString(), whole));
    EXPECT_GT(PageCount(whole), PageCount(brief) + 2);
    EXPECT_TRUE(Poppler(QStringLiteral("pdftotext"), {whole, QStringLiteral("-")})
                    .contains(QStringLiteral("Pagina 1 di")));

    Studied unrun;
    ASSERT_TRUE(
        ReadNetworkFile(std::string(NODEWISE_SOURCE_DIR) + "/examples/two-node.nwd", unrun.cells));
    const Acquisition acquisition = Acquire("20", unrun.cells);
    ASSERT_FALSE(acquisition.warning);
    unrun.network = acquisition.network;
    const QString none = dir.filePath(QStringLiteral("none.pdf"));
    ASSERT_TRUE(WriteStudyPdf(unrun.Study(StudyChoices{}), QString(), none));
    const QString text =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), none, QStringLiteral("-")});
    EXPECT_TRUE(text.simplified().contains(QStringLiteral("Nessun metodo")));
    EXPECT_FALSE(text.contains(QStringLiteral("Bilancio di potenza")));
}

class StudyCommands : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }
};

TEST_F(StudyCommands, PrintAndExportAskTheChoicesAndMakeTheSamePages) {
    frmDataIn->OpenNetworkFile(QStringLiteral(NODEWISE_SOURCE_DIR "/examples/saadat-3bus-pq.nwd"));
    ScriptedDialogs& dialogs = ScriptedFileDialogs();
    // before "Acquisisci dati" the study is of the cells as they stand
    dialogs.studyChoices = {StudyChoices{}};
    Child<QAction>(frmDataIn, "FilePrintItem")->trigger();
    EXPECT_TRUE(NetworkAcquired());
    EXPECT_EQ(dialogs.previewPages, 1);
    AcquireTyped();
    Click(frmDataOk, "btnGauss");
    Click(frmDataOk, "btnNewton");

    // cancelled choices: nothing printed, no file asked for
    Child<QAction>(frmDataIn, "FileExportPdfItem")->trigger();
    EXPECT_EQ(dialogs.studyRuns, (std::vector<Method>{Method::Gauss, Method::Newton}));
    EXPECT_TRUE(dialogs.requests.empty());

    StudyChoices withHistory;
    withHistory.method = Method::Gauss;
    withHistory.history = true;
    dialogs.studyChoices = {StudyChoices{}, withHistory};
    Child<QAction>(frmDataIn, "FilePrintItem")->trigger();
    const int pages = dialogs.previewPages;
    EXPECT_GE(pages, 2);
    Child<QAction>(frmDataIn, "FilePrintItem")->trigger();
    EXPECT_GT(dialogs.previewPages, pages);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("studio.pdf"));
    dialogs.studyChoices = {StudyChoices{}};
    dialogs.replies = {{pdf, 1}};
    Child<QAction>(frmDataIn, "FileExportPdfItem")->trigger();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(dialogs.requests[0].startPath.endsWith(QStringLiteral("saadat-3bus-pq.pdf")));
    EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF-"));
    EXPECT_TRUE(Recorder().messages.empty());
    if (HavePoppler()) {
        EXPECT_EQ(PageCount(pdf), pages);
    }
}

TEST_F(StudyCommands, ASavedNetworkOpensAgainWithItsLineDataAsTyped) {
    QTemporaryDir dir;
    const QString withLines = dir.filePath(QStringLiteral("linee.nwd"));
    const QString without = dir.filePath(QStringLiteral("celle.nwd"));
    ScriptedDialogs& dialogs = ScriptedFileDialogs();
    frmDataIn->OpenNetworkFile(QStringLiteral(NODEWISE_SOURCE_DIR "/examples/two-node.nwd"));
    dialogs.replies = {{without, 1}};
    frmDataIn->spdbtnSaveClick();
    EXPECT_EQ(ReadFile(without),
              ReadFile(QStringLiteral(NODEWISE_SOURCE_DIR "/examples/two-node.nwd")));

    // typed in ohm and microsiemens, with a decimal comma and a blank
    const LineTable typed{{{"1", "2", "5,29", " 26,45", "120", ""}}, {{"2", "0", "-80"}}};
    const LineUnits units{true, "230", "100"};
    frmLineData->ShowTypedLineData(typed, units);
    dialogs.replies = {{withLines, 1}};
    frmDataIn->spdbtnSaveClick();
    EXPECT_TRUE(ReadFile(withLines).startsWith(ReadFile(without)));

    frmLineData->ShowTypedLineData({}, {});
    frmDataIn->OpenNetworkFile(withLines);
    EXPECT_EQ(frmLineData->Table().branches, typed.branches);
    EXPECT_EQ(frmLineData->Table().shunts, typed.shunts);
    EXPECT_TRUE(frmLineData->Units().physical);
    EXPECT_EQ(frmLineData->Units().baseKV, "230");
    EXPECT_EQ(frmLineData->Units().baseMVA, "100");
    EXPECT_FALSE(frmDataIn->isWindowModified()); // as loaded: nothing to ask about

    // a file without line data empties the tables, so they are never saved with another network
    frmDataIn->OpenNetworkFile(without);
    EXPECT_TRUE(frmLineData->Table().branches.empty());
    EXPECT_TRUE(Recorder().messages.empty());

    // a damaged section is told, and the cells load all the same
    QByteArray damaged = ReadFile(withLines);
    damaged.replace("ramo=1", "ramo=1\t9\t9");
    QFile file(withLines);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();
    frmDataIn->OpenNetworkFile(withLines);
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text.rfind("Riga 62 del file:", 0), 0u)
        << Recorder().messages[0].text;
    EXPECT_EQ(AdmittanceCell(frmDataIn, 0, 0)->text(), QStringLiteral("1-5j"));
}

TEST(StudyCommandLine, ExportStudyWritesThePdfWithTheStatusesOfReport) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("s.pdf"));
    const QString example = QStringLiteral(NODEWISE_SOURCE_DIR "/examples/");
    const QString rejected = dir.filePath(QStringLiteral("rejected.nwd"));
    {
        QFile file(rejected);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("1\n2\n"); // a value beyond the first node
    }
    // node 2 joined to nothing: the Jacobian cannot be inverted
    const QString isolated = dir.filePath(QStringLiteral("isolated.nwd"));
    {
        QFile file(isolated);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("1\n\n1\n" + QByteArray(25, '\n') + "1\n0\n\n\n\n\n-0.5\n-0.2\n");
    }
    struct Case {
        QStringList arguments;
        int status;
        bool written;
        QString standardError;
    } cases[] = {
        {{"--export-study", example + "stagg-5bus.nwd", "--output", pdf}, 0, true, {}},
        {{"--export-study", example + "stagg-5bus-pd-qe.nwd", "--output", pdf, "--method", "stott",
          "--iterations", "5", "--history"},
         0,
         true,
         {}},
        {{"--export-study", example + "nessuna.nwd", "--output", pdf},
         1,
         false,
         "Impossibile portare a termine la lettura."},
        {{"--export-study", rejected, "--output", pdf}, 2, false, "Attenzione:"},
        {{"--export-study", example + "stagg-5bus.nwd", "--output", pdf, "--iterations", "0"},
         2,
         false,
         "Numero di iterazioni"},
        {{"--export-study", isolated, "--output", pdf, "--method", "newton", "--iterations", "3"},
         5,
         true,
         "Impossibile invertire la Matrice."},
        {{"--export-study", example + "stagg-5bus.nwd"}, 1, false, "--output"},
        {{"--history"}, 1, false, "--export-study"},
        {{"--export-study", example + "stagg-5bus.nwd", "--output", pdf, "--method", "x"},
         1,
         false,
         "metodo sconosciuto"},
    };
    for (const Case& c : cases) {
        QFile::remove(pdf);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // a study needs no display; anything else is the program with its windows
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        if (!c.arguments.contains(QStringLiteral("--export-study"))) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(NODEWISE_GUI_PATH), c.arguments);
        const std::string name = c.arguments.join(' ').toStdString();
        ASSERT_TRUE(program.waitForFinished(20000)) << name;
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(program.exitCode(), c.status) << name << ": " << err.toStdString();
        EXPECT_EQ(QFile::exists(pdf), c.written) << name;
        EXPECT_TRUE(err.contains(c.standardError)) << name << ": " << err.toStdString();
    }
}

} // namespace
} // namespace nodewise::testing
