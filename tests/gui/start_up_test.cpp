// The desktop program as a Debian desktop starts it: a network file named on the command line,
// --help and --version, Qt's own texts in Italian, the help document found in the build folder
// or the installed tree, the file dialogs' start folders, and the icon drawn from its SVG.
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include "core/input/cell_texts.h"
#include "core/input/network_file.h"
#include "core/model/version.h"
#include "gui/input/data_entry_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/installed_files.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/start_up.h"
#include "gui/style/icons.h"
#include "gui_test_support.h"

namespace nodewise {
namespace {

using testing::Recorder;
using testing::ScriptedFileDialogs;

const QString ExampleNetwork = QStringLiteral(NODEWISE_SOURCE_DIR "/examples/two-node.nwd");

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ResetProgramState(); }

    // The 56 cell texts of the window, in file order.
    static std::vector<std::string> Cells() {
        const CellTexts cells = frmDataIn->ReadCells();
        std::vector<std::string> lines;
        for (int line = 0; line < CellCount; ++line) {
            lines.push_back(CellInFileOrder(cells, line));
        }
        return lines;
    }
};

TEST_F(StartUpTest, AFileOnTheCommandLineIsOpenedAsApriOpensIt) {
    EXPECT_EQ(StartupNetworkFile({QStringLiteral("nodewise")}), QString());
    EXPECT_EQ(StartupNetworkFile({QStringLiteral("nodewise"), ExampleNetwork}), ExampleNetwork);

    // Through "Apri", then the same file as the command line opens it.
    ScriptedFileDialogs().replies.push_back({ExampleNetwork});
    frmDataIn->spbtnOpenClick();
    const std::vector<std::string> viaDialog = Cells();
    frmDataIn->spbtnNewClick();
    frmDataOk->show();
    frmDataIn->OpenNetworkFile(ExampleNetwork);
    EXPECT_EQ(Cells(), viaDialog);
    EXPECT_FALSE(viaDialog[0].empty());
    EXPECT_FALSE(frmDataOk->isVisible()) << "opening hides the summary, as Apri does";
    EXPECT_TRUE(Recorder().messages.empty());

    // A missing file: Apri's message, and the cells as they were.
    frmDataOk->show();
    frmDataIn->OpenNetworkFile(QStringLiteral("/nonexistent/rete.nwd"));
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, NetworkLoadErrorText);
    EXPECT_EQ(Recorder().messages[0].caption, NetworkFileErrorCaption);
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(Cells(), viaDialog);
    EXPECT_TRUE(frmDataOk->isVisible()) << "a failed load hides nothing";
}

TEST_F(StartUpTest, HelpAndVersionNeedNoDisplayAndBadArgumentsEndTheProgram) {
    struct Case {
        QStringList arguments;
        bool display; // false: run with no display at all
        int status;
        QString standardOutput; // the whole output, or a part of it when it ends in "..."
        QString standardError;  // a part of it
    } cases[] = {
        {{QStringLiteral("--version")},
         false,
         0,
         QStringLiteral("nodewise %1\n").arg(VersionText),
         {}},
        {{QStringLiteral("rete.nwd"), QStringLiteral("-v")},
         false,
         0,
         QStringLiteral("nodewise %1\n").arg(VersionText),
         {}},
        {{QStringLiteral("--help")}, false, 0, QStringLiteral("[file.nwd]..."), {}},
        {{QStringLiteral("a.nwd"), QStringLiteral("b.nwd")},
         true,
         1,
         {},
         QStringLiteral("un solo file .nwd alla volta")},
        {{QStringLiteral("--colori")}, true, 1, {}, QStringLiteral("'colori'")},
    };
    for (const Case& c : cases) {
        const std::string name = c.arguments.join(' ').toStdString();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
            environment.remove(QString::fromLatin1(variable));
        }
        if (c.display) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(NODEWISE_GUI_PATH), c.arguments);
        ASSERT_TRUE(program.waitForFinished(20000)) << name;
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(program.exitCode(), c.status) << name << ": " << err.toStdString();
        if (c.standardOutput.endsWith(QStringLiteral("..."))) {
            EXPECT_TRUE(out.contains(c.standardOutput.chopped(3)))
                << name << ": " << out.toStdString();
        } else {
            EXPECT_EQ(out, c.standardOutput) << name;
        }
        EXPECT_TRUE(err.contains(c.standardError)) << name << ": " << err.toStdString();
    }
}

TEST_F(StartUpTest, QtsOwnTextsAreItalian) {
    const QString lookIn = QStringLiteral("Look in:");
    ASSERT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
    QTranslator* italian = InstallQtItalianTexts();
    if (italian == nullptr) {
        GTEST_SKIP() << "Qt's Italian translation (qt6-translations-l10n) is not installed";
    }
    const QString translated = QCoreApplication::translate("QFileDialog", "Look in:");
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    QCoreApplication::removeTranslator(italian);
    delete italian;
    EXPECT_EQ(translated, QStringLiteral("Cerca in:"));
    EXPECT_EQ(cancel, QStringLiteral("Annulla"));
}

TEST_F(StartUpTest, HelpDocumentIsFoundBesideTheExecutableOrInTheInstalledTree) {
    struct Layout {
        const char* name;
        bool beside;
        bool installed;
        const char* expected; // relative to the prefix
    } layouts[] = {
        {"build folder", true, false, "bin/HELP/HELP.HTM"},
        {"installed tree", false, true, "share/nodewise/HELP/HELP.HTM"},
        {"both: the build folder's wins", true, true, "bin/HELP/HELP.HTM"},
        {"neither: named where first looked for", false, false, "bin/HELP/HELP.HTM"},
    };
    for (const Layout& layout : layouts) {
        QTemporaryDir prefix;
        ASSERT_TRUE(prefix.isValid());
        const QDir root(prefix.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("bin")));
        for (const auto& [wanted, path] :
             {std::pair{layout.beside, "bin/HELP/HELP.HTM"},
              std::pair{layout.installed, "share/nodewise/HELP/HELP.HTM"}}) {
            if (wanted) {
                ASSERT_TRUE(root.mkpath(QFileInfo(root.filePath(path)).path()));
                QFile file(root.filePath(path));
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            }
        }
        EXPECT_EQ(HelpDocumentPath(root.filePath(QStringLiteral("bin"))),
                  root.filePath(layout.expected))
            << layout.name;
    }
}

TEST_F(StartUpTest, FileDialogsStartInTheFolderLastUsedAndProposeTheLastNetworkFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir root(dir.path());
    for (const char* folder : {"a", "b", "c", "d"}) {
        ASSERT_TRUE(root.mkpath(QString::fromLatin1(folder)));
    }
    const QString a = root.filePath(QStringLiteral("a/rete.nwd"));
    ASSERT_TRUE(QFile::copy(ExampleNetwork, a));
    auto& dialogs = ScriptedFileDialogs();
    auto lastStart = [&dialogs] { return dialogs.requests.back().startPath; };

    frmDataIn->spbtnOpenClick(); // cancelled
    EXPECT_EQ(lastStart(), QString()) << "the first dialog starts in the working folder";
    frmDataIn->spdbtnSaveClick(); // cancelled
    EXPECT_EQ(lastStart(), QString());

    dialogs.replies.push_back({a});
    frmDataIn->spbtnOpenClick();
    frmDataIn->spbtnOpenClick();
    EXPECT_EQ(lastStart(), root.filePath(QStringLiteral("a")));
    frmDataIn->spdbtnSaveClick();
    EXPECT_EQ(lastStart(), a) << "proposes the file just opened";

    // Results saved in b: every dialog now starts there, the network's name still proposed.
    dialogs.replies.push_back({root.filePath(QStringLiteral("b/risultati.csv"))});
    NewtonResultsWindow->cmdSalvaClick();
    EXPECT_EQ(lastStart(), root.filePath(QStringLiteral("a")));
    frmDataIn->spdbtnSaveClick();
    EXPECT_EQ(lastStart(), root.filePath(QStringLiteral("b/rete.nwd")));

    const QString c = root.filePath(QStringLiteral("c/copia.nwd"));
    dialogs.replies.push_back({c});
    frmDataIn->spdbtnSaveClick();
    frmDataIn->spdbtnSaveClick();
    EXPECT_EQ(lastStart(), c) << "proposes the file just saved";

    // A file that cannot be read: its folder was used, but it is no network file to propose.
    dialogs.replies.push_back({root.filePath(QStringLiteral("d/manca.nwd"))});
    frmDataIn->spbtnOpenClick();
    EXPECT_EQ(Recorder().messages.size(), 1u);
    frmDataIn->spbtnOpenClick();
    EXPECT_EQ(lastStart(), root.filePath(QStringLiteral("d")));
    frmDataIn->spdbtnSaveClick();
    EXPECT_EQ(lastStart(), root.filePath(QStringLiteral("d/copia.nwd")));
}

TEST_F(StartUpTest, TheProgramsPictureIsDrawnFromItsSvg) {
    const QImage picture = NetworkPicture().toImage();
    ASSERT_EQ(picture.size(), QSize(32, 32));
    EXPECT_EQ(picture.pixelColor(16, 6), QColor(230, 40, 40)) << "a node";
    EXPECT_EQ(picture.pixelColor(16, 26), QColor(0, 0, 128)) << "a line";
    EXPECT_EQ(picture.pixelColor(1, 1).alpha(), 0) << "a transparent background";
    EXPECT_FALSE(NetworkIcon().pixmap(256).isNull());
}

} // namespace
} // namespace nodewise
