// "Schema della rete": the network drawn with the state of one iterate of a method run since the
// acquisition: the voltages on the nodes, the flows on the branches. An iteration slider shows
// the voltages settle; the nodes can be dragged and put back; the drawing saves as SVG or PNG.
#pragma once

#include <optional>

#include <vector>

#include "core/drawing/network_diagram.h"
#include "core/results/methods.h"
#include "gui/analysis/analysis_frame.h"

class QComboBox;
class QGraphicsScene;
class QLabel;
class QPushButton;
class QSlider;

namespace nodewise {
class DiagramView;
}

// A method's run that ends becomes the method shown, at its last iterate.
class TfrmNetworkDiagram : public nodewise::AnalysisWindow {
    Q_OBJECT

public:
    explicit TfrmNetworkDiagram(QWidget* parent = nullptr);

    // Rebuilds the method list, the layout and the drawing from the runs held.
    void Refresh() override;

    // The drawing as it is now (for the tests and the benchmarks).
    const nodewise::NetworkDiagram& Diagram() const { return diagram_; }
    QGraphicsScene* Scene() const { return scene_; }

public slots:
    void cboMethodChanged();
    void sldIterationChanged();
    void btnAutoLayoutClick();
    void btnSaveImageClick();

protected:
    void RunShown() override;

private:
    void Redraw();
    void setIterationRange(bool toLast);
    void NodeDragged(int node, nodewise::DiagramPoint centre);
    nodewise::NetworkDiagram BuildDiagram(const std::string& decimalSeparator) const;

    QSlider* sldIteration_ = nullptr;
    QLabel* lblIteration_ = nullptr;
    QPushButton* btnAutoLayout_ = nullptr;
    QPushButton* btnSaveImage_ = nullptr;
    QGraphicsScene* scene_ = nullptr;
    nodewise::DiagramView* view_ = nullptr;
    std::vector<nodewise::DiagramPoint> layoutCentres_; // as the layout placed them
    std::vector<nodewise::DiagramPoint> centres_;       // as shown, dragged or not
    nodewise::NetworkDiagram diagram_;
};
