// "Schema della rete": the network drawn with the state of one iterate of a method run since the
// acquisition: the voltages on the nodes, the flows on the branches. An iteration slider shows
// the voltages settle; the nodes can be dragged and put back; the drawing saves as SVG or PNG.
#pragma once

#include <optional>

#include <QWidget>
#include <vector>

#include "core/drawing/network_diagram.h"
#include "core/results/methods.h"

class QComboBox;
class QGraphicsScene;
class QLabel;
class QPushButton;
class QSlider;

namespace nodewise {
class DiagramView;
}

class TfrmNetworkDiagram : public QWidget {
    Q_OBJECT

public:
    explicit TfrmNetworkDiagram(QWidget* parent = nullptr);

    // A method's run has ended: it becomes the method shown, at its last iterate (if the window
    // is open).
    void RunEnded(nodewise::Method method);

    // Rebuilds the method list, the layout and the drawing from the workspace.
    void Refresh();

    // The drawing as it is now (for the tests and the benchmarks).
    const nodewise::NetworkDiagram& Diagram() const { return diagram_; }
    QGraphicsScene* Scene() const { return scene_; }

public slots:
    void cboMethodChanged();
    void sldIterationChanged();
    void btnAutoLayoutClick();
    void btnSaveImageClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::optional<nodewise::Method> runWhileHidden_; // the last run while closed
    void Redraw();
    void setIterationRange(bool toLast);
    void NodeDragged(int node, nodewise::DiagramPoint centre);
    nodewise::NetworkDiagram BuildDiagram(const std::string& decimalSeparator) const;

    QComboBox* cboMethod_ = nullptr;
    QSlider* sldIteration_ = nullptr;
    QLabel* lblIteration_ = nullptr;
    QLabel* lblEmpty_ = nullptr;
    QPushButton* btnAutoLayout_ = nullptr;
    QPushButton* btnSaveImage_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QGraphicsScene* scene_ = nullptr;
    nodewise::DiagramView* view_ = nullptr;
    std::vector<nodewise::DiagramPoint> layoutCentres_; // as the layout placed them
    std::vector<nodewise::DiagramPoint> centres_;       // as shown, dragged or not
    nodewise::NetworkDiagram diagram_;
};
