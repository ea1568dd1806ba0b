// The help command: the document is shown inside the program, whatever the desktop can do; its
// links, history and search work; "Apri nel browser" hands it to the desktop; F1 runs the same
// command from every window.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "gui/analysis/convergence_window.h"
#include "gui/analysis/matrix_window.h"
#include "gui/analysis/power_balance_window.h"
#include "gui/input/data_entry_window.h"
#include "gui/input/help_window.h"
#include "gui/results/results_window.h"
#include "gui/results/summary_window.h"
#include "gui/shell/help_document.h"
#include "gui/shell/program_windows.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        // A program folder of its own, with the document the build ships.
        ASSERT_TRUE(folder_.isValid());
        ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("HELP")));
        document_ = QDir(folder_.path()).filePath(QStringLiteral("HELP/HELP.HTM"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(NODEWISE_SOURCE_DIR "/help/HELP.HTM"), document_));
        SetProgramFolder(folder_.path());
        previous_ = DocumentOpener;
        DocumentOpener = [this](const QUrl& url) {
            asked_.push_back(url);
            return desktopOpens_;
        };
    }
    void TearDown() override {
        DocumentOpener = previous_;
        SetProgramFolder(QString());
        if (frmHelp != nullptr) {
            frmHelp->close();
        }
        ResetProgramState();
    }

    QUrl Document() const { return QUrl::fromLocalFile(document_); }
    static bool HelpShown() { return frmHelp != nullptr && frmHelp->isVisible(); }
    static void PressF1(QWidget* window) {
        window->show();
        QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
        QTest::keyClick(target, Qt::Key_F1);
    }

    QTemporaryDir folder_;
    QString document_;
    std::function<bool(const QUrl&)> previous_;
    std::vector<QUrl> asked_;
    bool desktopOpens_ = false; // no launcher, as on a minimal desktop
};

TEST_F(HelpWindowTest, ButtonMenuAndF1ShowTheDocumentInside) {
    desktopOpens_ = true; // a desktop that says so may show nothing: it is not asked
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"tool button", [] { Child<QToolButton>(frmDataIn, "spdbtnHelp")->click(); }},
        {"menu item", [] { Child<QAction>(frmDataIn, "HelpContentsItem")->trigger(); }},
        {"F1", [] { PressF1(frmDataIn); }},
    };
    for (const auto& [name, command] : commands) {
        asked_.clear();
        if (frmHelp != nullptr) {
            frmHelp->close();
        }
        command();
        EXPECT_TRUE(asked_.empty()) << name;
        ASSERT_TRUE(HelpShown()) << name;
        EXPECT_EQ(frmHelp->windowTitle(), QStringLiteral("Guida di Nodewise"));
        auto* browser = Child<QTextBrowser>(frmHelp, "Browser");
        EXPECT_EQ(browser->source(), Document()) << name;
        EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Un primo calcolo"))) << name;
        EXPECT_TRUE(Recorder().messages.empty()) << name;
    }
}

// The document, not the place read in it, goes to the desktop; the window stays, and says so
// when the desktop cannot open it.
TEST_F(HelpWindowTest, OpenInBrowserHandsTheDocumentToTheDesktop) {
    ShowHelpWindow(Document());
    Child<QTextBrowser>(frmHelp, "Browser")
        ->setSource(Document().resolved(QUrl(QStringLiteral("#cli"))));
    auto* button = Child<QToolButton>(frmHelp, "btnOpenInBrowser");
    auto* result = Child<QLabel>(frmHelp, "lblBrowserResult");
    EXPECT_EQ(button->text(), QStringLiteral("Apri nel browser"));
    for (const bool opens : {false, true}) {
        asked_.clear();
        desktopOpens_ = opens;
        button->click();
        EXPECT_EQ(asked_, std::vector<QUrl>{Document()}) << opens;
        EXPECT_TRUE(HelpShown()) << opens;
        EXPECT_EQ(result->text().isEmpty(), opens) << opens;
    }
}

TEST_F(HelpWindowTest, AMissingDocumentIsReportedBeforeAnyWindow) {
    QTemporaryDir empty;
    SetProgramFolder(empty.path());
    PressF1(frmDataIn);
    EXPECT_TRUE(asked_.empty());
    EXPECT_FALSE(HelpShown());
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].caption, "Documentazione");
}

TEST_F(HelpWindowTest, F1OpensTheHelpFromEveryWindow) {
    desktopOpens_ = true;
    const std::vector<std::pair<const char*, QWidget*>> windows = {
        {"frmDataIn", frmDataIn},
        {"frmDataOk", frmDataOk},
        {"Gauss", GaussResultsWindow},
        {"Newton", NewtonResultsWindow},
        {"Stott", StottResultsWindow},
        {"frmConvergence", frmConvergence},
        {"frmPowerBalance", frmPowerBalance},
        {"frmMatrix", frmMatrix},
    };
    auto closeHelp = [] {
        if (frmHelp != nullptr) {
            frmHelp->close();
        }
    };
    for (const auto& [name, window] : windows) {
        closeHelp();
        PressF1(window);
        EXPECT_TRUE(HelpShown()) << name;
        window->close();
    }
    // In a cell of the data-entry window too, where the key reaches an edit box first; a key
    // held down asks once.
    closeHelp();
    frmDataIn->show();
    QLineEdit* cell = AdmittanceCell(frmDataIn, 0, 0);
    QTest::keyClick(cell, Qt::Key_F1);
    EXPECT_TRUE(HelpShown());
    closeHelp();
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(cell, &repeat);
    EXPECT_FALSE(HelpShown());
    EXPECT_EQ(cell->text(), QString());
    EXPECT_TRUE(asked_.empty());
    // And in the help window itself, with no launcher: it stays the one window.
    desktopOpens_ = false;
    ShowHelpWindow(Document());
    TfrmHelp* shown = frmHelp;
    PressF1(frmHelp);
    EXPECT_EQ(frmHelp, shown);
    EXPECT_TRUE(HelpShown());
}

// F1 on a modal box (a warning, the about box): the guide comes above the box, usable at once;
// asked for again without a box, it is an ordinary window.
TEST_F(HelpWindowTest, FromAModalBoxTheGuideComesAboveIt) {
    QDialog box(frmDataIn);
    box.setWindowModality(Qt::ApplicationModal);
    auto* ok = new QPushButton(QStringLiteral("OK"), &box);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);
    QTest::keyClick(ok, Qt::Key_F1);
    ASSERT_TRUE(HelpShown());
    EXPECT_EQ(frmHelp->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(QApplication::activeModalWidget(), frmHelp);
    frmHelp->close();
    box.close();
    PressF1(frmDataIn);
    ASSERT_TRUE(HelpShown());
    EXPECT_EQ(frmHelp->windowModality(), Qt::NonModal);
}

TEST_F(HelpWindowTest, LinksHistoryAndSearchWorkInside) {
    ShowHelpWindow(Document());
    ASSERT_TRUE(HelpShown());
    auto* browser = Child<QTextBrowser>(frmHelp, "Browser");
    auto* back = Child<QToolButton>(frmHelp, "btnBack");
    auto* forward = Child<QToolButton>(frmHelp, "btnForward");
    EXPECT_FALSE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());

    // A link of the contents goes to its section; back and forward retrace it.
    browser->setSource(Document().resolved(QUrl(QStringLiteral("#cli")))); // as a click does
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("cli"));
    EXPECT_TRUE(back->isEnabled());
    back->click();
    EXPECT_FALSE(browser->source().hasFragment());
    EXPECT_TRUE(forward->isEnabled());
    forward->click();
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("cli"));

    // Ctrl+F opens the search bar; typing finds, Enter goes on, a text that is not there says so.
    auto* bar = Child<QWidget>(frmHelp, "FindBar");
    auto* find = Child<QLineEdit>(frmHelp, "txtFind");
    auto* result = Child<QLabel>(frmHelp, "lblFindResult");
    EXPECT_FALSE(bar->isVisible());
    QApplication::setActiveWindow(frmHelp);
    browser->setFocus();
    QTest::keyClick(browser, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    QTest::keyClicks(find, QStringLiteral("Newton-Raphson"));
    EXPECT_EQ(browser->textCursor().selectedText(), QStringLiteral("Newton-Raphson"));
    const int first = browser->textCursor().selectionStart();
    QTest::keyClick(find, Qt::Key_Return);
    const int second = browser->textCursor().selectionStart();
    EXPECT_GT(second, first);
    QTest::keyClick(find, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(browser->textCursor().selectionStart(), first);
    find->setText(QStringLiteral("zzz-nessuna-parola"));
    EXPECT_FALSE(frmHelp->FindNext());
    EXPECT_EQ(result->text(), QStringLiteral("Testo non trovato"));
    QTest::keyClick(find, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());

    // F1 while reading keeps the place; shown again after closing, the document starts over.
    const int position = browser->textCursor().position();
    PressF1(frmHelp);
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("cli"));
    EXPECT_EQ(browser->textCursor().position(), position);
    EXPECT_TRUE(back->isEnabled());
    frmHelp->close();
    ShowHelpWindow(Document());
    EXPECT_FALSE(browser->source().hasFragment());
    EXPECT_FALSE(back->isEnabled());
}

} // namespace
} // namespace nodewise::testing
