// The File menu's MATPOWER items driven as a user would, with scripted file dialogs.
#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/interop/matpower_import.h"
#include "gui/input/data_entry_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/program_windows.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise {
namespace {

using testing::Recorder;
using testing::ScriptedFileDialogs;

class MatpowerItemsTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ResetProgramState(); }

    static QAction* Item(const char* name) {
        auto* item = frmDataIn->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(item, nullptr) << name;
        return item;
    }

    static QString WriteFile(const QTemporaryDir& dir, const char* name, const char* contents) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }
};

constexpr const char* TwoBusCase = "function mpc = two\n"
                                   "mpc.baseMVA = 100;\n"
                                   "mpc.bus = [1 3 0 0 0 0 1 1 0; 2 1 50 20 0 0 1 1 0];\n"
                                   "mpc.gen = [1 0 0 Inf -Inf 1.05 100 1];\n"
                                   "mpc.branch = [1 2 0 0.25 0 0 0 0 0 0 1];\n";

TEST_F(MatpowerItemsTest, ImportFillsTheCellsAsOpenDoesOrRefusesAndChangesNothing) {
    QTemporaryDir dir;
    CellTexts typed;
    typed.Admittance[0][0] = "7-7j";
    typed.Data[3][6] = "0,1";
    frmDataIn->WriteCells(typed);
    frmDataOk->show();
    GaussResultsWindow->show();

    const QString shifter =
        WriteFile(dir, "shift.m",
                  (std::string(TwoBusCase) + "mpc.branch = [1 2 0 0.25 0 0 0 0 0 5 1];\n").c_str());
    ScriptedFileDialogs().replies.push_back({shifter});
    Item("FileImportMatpowerItem")->trigger();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text.rfind("Riga 6: il ramo 1-2 è uno sfasatore", 0), 0u);
    EXPECT_EQ(Recorder().messages[0].caption, "Errore");
    EXPECT_EQ(Recorder().messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(frmDataIn->ReadCells().Admittance[0][0], "7-7j");
    EXPECT_TRUE(frmDataOk->isVisible()) << "a refused case leaves the windows alone";

    Recorder().messages.clear();
    ScriptedFileDialogs().replies.push_back({WriteFile(dir, "two.m", TwoBusCase)});
    Item("FileImportMatpowerItem")->trigger();
    EXPECT_TRUE(Recorder().messages.empty());
    const CellTexts cells = frmDataIn->ReadCells();
    EXPECT_EQ(cells.Admittance[0][0], "-4j");
    EXPECT_EQ(cells.Admittance[1][0], "4j");
    EXPECT_EQ(cells.Admittance[1][1], "-4j");
    EXPECT_EQ(cells.Data[0][0], "1.05");
    EXPECT_EQ(cells.Data[1][0], "0");
    EXPECT_EQ(cells.Data[2][1], "-0.5");
    EXPECT_EQ(cells.Data[3][1], "-0.2");
    EXPECT_EQ(cells.Data[3][6], "");
    EXPECT_FALSE(frmDataOk->isVisible());
    EXPECT_FALSE(GaussResultsWindow->isVisible());

    const testing::ScriptedDialogs::Request& request = ScriptedFileDialogs().requests.back();
    EXPECT_EQ(request.title, QStringLiteral("Importa un caso MATPOWER"));
    EXPECT_EQ(request.filter, QStringLiteral("caso MATPOWER|*.m"));
    EXPECT_FALSE(request.save);
}

TEST_F(MatpowerItemsTest, ExportWritesTheAcquiredNetworkAsACaseThatImportsBack) {
    QTemporaryDir dir;
    CellTexts cells;
    cells.Admittance[0][0] = "-4j";
    cells.Admittance[1][0] = "4j";
    cells.Admittance[1][1] = "-4j";
    cells.Data[0][0] = "1,05";
    cells.Data[1][0] = "0";
    cells.Data[2][1] = "-0,5";
    cells.Data[3][1] = "-0,2";
    frmDataIn->WriteCells(cells);
    testing::AcquireTyped();
    // Typed after the acquisition: not what the summary shows, so not what is exported.
    CellTexts edited = cells;
    edited.Data[2][1] = "-0,9";
    frmDataIn->WriteCells(edited);

    const QString path = dir.filePath(QStringLiteral("rete.m"));
    ScriptedFileDialogs().replies.push_back({path});
    Item("FileExportMatpowerItem")->trigger();
    EXPECT_TRUE(Recorder().messages.empty());
    const QByteArray contents = testing::ReadFile(path);
    EXPECT_TRUE(contents.startsWith("function mpc = rete\n%rete  Rete di 2 nodi esportata da "
                                    "Nodewise il "));
    CellTexts back;
    ASSERT_FALSE(ImportMatpowerCase(contents.toStdString(), back).has_value());
    EXPECT_EQ(back.Admittance[1][0], "4j");
    EXPECT_EQ(back.Data[0][0], "1.05");
    EXPECT_EQ(back.Data[2][1], "-0.5");
    EXPECT_EQ(ScriptedFileDialogs().requests.back().defaultSuffix, QStringLiteral("m"));

    // A Pd node: refused by name, no file.
    cells.Data[3][1] = "";
    cells.Data[1][1] = "-2";
    frmDataIn->WriteCells(cells);
    testing::AcquireTyped();
    const QString refused = dir.filePath(QStringLiteral("pd.m"));
    ScriptedFileDialogs().replies.push_back({refused});
    Item("FileExportMatpowerItem")->trigger();
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text.rfind("Il nodo 2 è di tipo Pd", 0), 0u);
    EXPECT_FALSE(QFile::exists(refused));
}

} // namespace
} // namespace nodewise
