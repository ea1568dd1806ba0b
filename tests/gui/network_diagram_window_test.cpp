// "Schema della rete" as the user drives it: it follows the runs and the iteration slider, shows
// numbers with the locale's separator, zooms with the wheel and fits on resize, moves a dragged
// node and puts it back, and saves the drawing as SVG (read back by Qt SVG) or PNG.
#include <QApplication>
#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "core/drawing/network_diagram_svg.h"
#include "gui/analysis/diagram_view.h"
#include "gui/analysis/network_diagram_window.h"
#include "gui/shell/run_store.h"
#include "gui_network.h"
#include "gui_test_support.h"

namespace nodewise::testing {
namespace {

class NetworkDiagramWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }

    static void Run(const char* button) {
        Click(frmDataOk, button);
        ASSERT_TRUE(Recorder().messages.empty()) << Recorder().messages[0].text;
    }

    static QStringList SceneTexts() {
        QStringList texts;
        for (QGraphicsItem* item : frmNetworkDiagram->Scene()->items()) {
            if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item)) {
                texts << text->text();
            }
        }
        return texts;
    }

    static DiagramView* View() { return Child<DiagramView>(frmNetworkDiagram, "DiagramView"); }
};

TEST_F(NetworkDiagramWindowTest, FollowsTheRunsAndTheIterationSliderInTheUsersLocale) {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    ShowNetworkDiagramWindow();
    auto* methods = Child<QComboBox>(frmNetworkDiagram, "cboMethod");
    auto* slider = Child<QSlider>(frmNetworkDiagram, "sldIteration");
    EXPECT_EQ(methods->count(), 0);
    EXPECT_TRUE(Child<QLabel>(frmNetworkDiagram, "lblEmpty")->isVisible());
    EXPECT_FALSE(Child<QPushButton>(frmNetworkDiagram, "btnSaveImage")->isEnabled());

    TypeTwoNodeNetwork("6");
    AcquireTyped();
    EXPECT_FALSE(frmNetworkDiagram->isVisible()); // hidden by the acquisition
    Run("btnGauss");
    ShowNetworkDiagramWindow();
    ASSERT_EQ(methods->count(), 1);
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 6);
    EXPECT_EQ(slider->value(), 6);
    ASSERT_EQ(frmNetworkDiagram->Diagram().nodes.size(), 2u);
    ASSERT_EQ(frmNetworkDiagram->Diagram().branches.size(), 1u);
    // Gauss-Seidel's sixth iterate: E2 = 0.93372..., with a decimal comma.
    EXPECT_TRUE(SceneTexts().contains(QStringLiteral("E = 0,9337")))
        << SceneTexts().join('|').toStdString();
    EXPECT_TRUE(SceneTexts().contains(QStringLiteral("Gauss-Seidel, iterazione 6 di 6")));

    slider->setValue(0); // the starting point: every node at 1 pu, 0 degrees
    EXPECT_EQ(frmNetworkDiagram->Diagram().nodes[1].values.E, 1.0);
    EXPECT_EQ(SceneTexts().count(QStringLiteral("E = 1,0000")), 2);
    EXPECT_TRUE(SceneTexts().contains(QStringLiteral("d = 0,00\u00B0")));
    EXPECT_FALSE(frmNetworkDiagram->Diagram().branches[0].direction.has_value()); // no flow yet

    Run("btnNewton"); // the window is open: it follows, at the run's last iterate
    ASSERT_EQ(methods->count(), 2);
    EXPECT_EQ(methods->currentText(), QStringLiteral("Newton-Raphson"));
    EXPECT_EQ(slider->value(), 6);
    EXPECT_TRUE(SceneTexts().contains(QStringLiteral("E = 0,9337")));
    EXPECT_TRUE(SceneTexts().contains(QStringLiteral("0,513 + j0,264"))); // the slack's injection
    const DiagramBranch& branch = frmNetworkDiagram->Diagram().branches[0];
    ASSERT_TRUE(branch.direction.has_value());
    EXPECT_GT((*branch.direction)[0].x, (branch.from.x + branch.to.x) / 2.0); // towards node 2
    EXPECT_NE(branch.tooltip.find("perdite P = 0,01279 pu"), std::string::npos) << branch.tooltip;

    HideResultForms();
    EXPECT_FALSE(frmNetworkDiagram->isVisible());
}

TEST_F(NetworkDiagramWindowTest, ZoomsFitsDragsAndPutsTheNodesBack) {
    TypeTwoNodeNetwork("4");
    AcquireTyped();
    Run("btnNewton");
    ShowNetworkDiagramWindow();
    frmNetworkDiagram->resize(900, 700);
    QApplication::processEvents();
    DiagramView* view = View();
    const double fitted = view->transform().m11();
    EXPECT_GT(fitted, 0.0);

    const QPoint middle = view->viewport()->rect().center();
    QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_NEAR(view->transform().m11(), fitted * 1.15 * 1.15, 1e-9);
    // The scroll bars the zoom brings in shrink the viewport: the zoom stays.
    QApplication::processEvents();
    EXPECT_TRUE(view->horizontalScrollBar()->isVisible() || view->verticalScrollBar()->isVisible());
    EXPECT_NEAR(view->transform().m11(), fitted * 1.15 * 1.15, 1e-9);
    EXPECT_TRUE(view->Zoomed());
    frmNetworkDiagram->resize(700, 600); // a resize fits the drawing again
    QApplication::processEvents();
    EXPECT_FALSE(view->Zoomed());
    const double refitted = view->transform().m11();

    // Node 2 dragged 100 drawing pixels down: its branch follows.
    const DiagramPoint start = frmNetworkDiagram->Diagram().nodes[1].centre;
    const QPoint from = view->mapFromScene(QPointF(start.x, start.y));
    const QPoint to = view->mapFromScene(QPointF(start.x, start.y + 100.0));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    const DiagramPoint moved = frmNetworkDiagram->Diagram().nodes[1].centre;
    EXPECT_NEAR(moved.x, start.x, 2.0 / refitted);
    EXPECT_NEAR(moved.y, start.y + 100.0, 2.0 / refitted);
    EXPECT_EQ(frmNetworkDiagram->Diagram().branches[0].to.y, moved.y);
    // Another iterate keeps the node where the user put it.
    Child<QSlider>(frmNetworkDiagram, "sldIteration")->setValue(1);
    EXPECT_EQ(frmNetworkDiagram->Diagram().nodes[1].centre.y, moved.y);

    Click(frmNetworkDiagram, "btnAutoLayout");
    EXPECT_EQ(frmNetworkDiagram->Diagram().nodes[1].centre.y, start.y);
    EXPECT_EQ(frmNetworkDiagram->Diagram().nodes[1].centre.x, start.x);
    // A press away from every node drags nothing.
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(view->viewport(), QPoint(40, 40));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(frmNetworkDiagram->Diagram().nodes[1].centre.y, start.y);
}

TEST_F(NetworkDiagramWindowTest, SavesTheDrawingAsSvgOrPng) {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    TypeTwoNodeNetwork("5");
    AcquireTyped();
    Run("btnNewton");
    ShowNetworkDiagramWindow();
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("rete.svg"));
    const QString png = dir.filePath(QStringLiteral("rete.png"));
    ScriptedFileDialogs().replies.push_back({svg, 1});
    ScriptedFileDialogs().replies.push_back({png, 2});
    Click(frmNetworkDiagram, "btnSaveImage");
    Click(frmNetworkDiagram, "btnSaveImage");
    ASSERT_EQ(ScriptedFileDialogs().requests.size(), 2u);
    EXPECT_EQ(ScriptedFileDialogs().requests[0].title, QStringLiteral("Salva immagine"));
    EXPECT_EQ(ScriptedFileDialogs().requests[0].filter,
              QStringLiteral("Immagine SVG|*.svg|Immagine PNG|*.png"));
    EXPECT_TRUE(Recorder().messages.empty());

    // The SVG is the core's drawing of the same iterate, with full stops, and Qt SVG reads it.
    const QByteArray svgBytes = ReadFile(svg);
    const NetworkDiagram& shown = frmNetworkDiagram->Diagram();
    const std::vector<DiagramPoint> centres = {shown.nodes[0].centre, shown.nodes[1].centre};
    const std::string expected = NetworkDiagramSvg(
        BuildNetworkDiagram(ComputePowerBalance(AcquiredNetwork(), *RunOf(Method::Newton)), centres,
                            ".", shown.caption.text));
    EXPECT_EQ(svgBytes.toStdString(), expected);
    EXPECT_TRUE(svgBytes.contains("E = 0.9337"));
    QSvgRenderer renderer(svgBytes);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_GT(renderer.viewBoxF().width(), 2.0 * DiagramGridStep * 0.5);

    QImage image;
    ASSERT_TRUE(image.load(png, "PNG"));
    EXPECT_EQ(image.width(), static_cast<int>(std::ceil(shown.width * 2.0)));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::white));

    ScriptedFileDialogs().replies.push_back({dir.filePath(QStringLiteral("no/rete.png")), 2});
    Click(frmNetworkDiagram, "btnSaveImage");
    ASSERT_EQ(Recorder().messages.size(), 1u);
    EXPECT_EQ(Recorder().messages[0].text, "Errore salvataggio in .png");
    EXPECT_EQ(Recorder().messages[0].caption, "Errore");
    ScriptedFileDialogs().replies.push_back({}); // cancelled: nothing happens
    Click(frmNetworkDiagram, "btnSaveImage");
    EXPECT_EQ(Recorder().messages.size(), 1u);
}

} // namespace
} // namespace nodewise::testing
