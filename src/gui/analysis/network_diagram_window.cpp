#include "gui/analysis/network_diagram_window.h"

#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "core/analysis/power_balance.h"
#include "core/drawing/network_diagram_svg.h"
#include "core/platform/atomic_file.h"
#include "core/results/results_export.h"
#include "gui/analysis/diagram_scene.h"
#include "gui/analysis/diagram_view.h"
#include "gui/analysis/method_choice.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/program_port.h"
#include "gui/shell/run_store.h"

namespace {

using nodewise::Method;

const QString SaveImageTitle = QStringLiteral("Salva immagine");
const QString SaveImageFilter = QStringLiteral("Immagine SVG|*.svg|Immagine PNG|*.png");
constexpr const char* SaveImageCaption = "Errore";
constexpr const char* SvgErrorText = "Errore salvataggio in .svg";
constexpr const char* PngErrorText = "Errore salvataggio in .png";
constexpr double PngScale = 2.0; // pixels of the image per pixel of the drawing

std::string LocaleDecimalPoint() {
    return QLocale().decimalPoint().toStdString();
}

// The drawing as a PNG image, white ground.
QByteArray PngOf(QGraphicsScene& scene) {
    const QRectF bounds = scene.sceneRect();
    QImage image(QSize(static_cast<int>(std::ceil(bounds.width() * PngScale)),
                       static_cast<int>(std::ceil(bounds.height() * PngScale))),
                 QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())), bounds);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

TfrmNetworkDiagram::TfrmNetworkDiagram(QWidget* parent)
    : AnalysisWindow(parent, QStringLiteral("frmNetworkDiagram"),
                     QStringLiteral("Schema della rete"), QSize(1000, 760)) {
    QHBoxLayout* controls = AddMethodRow();
    auto* iterationLabel = new QLabel(QStringLiteral("&Iterazione:"), this);
    sldIteration_ = new QSlider(Qt::Horizontal, this);
    sldIteration_->setObjectName(QStringLiteral("sldIteration"));
    sldIteration_->setMinimumWidth(240);
    sldIteration_->setPageStep(1);
    iterationLabel->setBuddy(sldIteration_);
    lblIteration_ = new QLabel(this);
    lblIteration_->setObjectName(QStringLiteral("lblIteration"));
    lblIteration_->setMinimumWidth(70);
    btnAutoLayout_ = new QPushButton(QStringLiteral("&Disposizione automatica"), this);
    btnAutoLayout_->setObjectName(QStringLiteral("btnAutoLayout"));
    controls->addSpacing(16);
    controls->addWidget(iterationLabel);
    controls->addWidget(sldIteration_, 1);
    controls->addWidget(lblIteration_);
    controls->addSpacing(16);
    controls->addWidget(btnAutoLayout_);

    AddEmptyLine();
    scene_ = new QGraphicsScene(this);
    view_ = new nodewise::DiagramView(scene_, this);
    view_->setObjectName(QStringLiteral("DiagramView"));
    view_->onNodeDragged = [this](int node, nodewise::DiagramPoint centre) {
        nodewise::Guarded([&] { NodeDragged(node, centre); });
    };
    column_->addWidget(view_, 1);
    auto* hint = new QLabel(QStringLiteral("Rotella: ingrandisce; trascinare un nodo per "
                                           "spostarlo; il puntatore su un ramo mostra le perdite."),
                            this);
    column_->addWidget(hint);

    btnSaveImage_ = NewButton("btnSaveImage", QStringLiteral("&Salva immagine"));
    AddButtonRow({btnSaveImage_});

    connect(cboMethod_, &QComboBox::currentIndexChanged, this,
            &TfrmNetworkDiagram::cboMethodChanged);
    connect(sldIteration_, &QSlider::valueChanged, this, &TfrmNetworkDiagram::sldIterationChanged);
    connect(btnAutoLayout_, &QPushButton::clicked, this, &TfrmNetworkDiagram::btnAutoLayoutClick);
    connect(btnSaveImage_, &QPushButton::clicked, this, &TfrmNetworkDiagram::btnSaveImageClick);
}

void TfrmNetworkDiagram::RunShown() {
    sldIteration_->setValue(sldIteration_->maximum()); // the run's result
}

void TfrmNetworkDiagram::Refresh() {
    const QVariant previous = cboMethod_->currentData();
    nodewise::RefillMethodChoice(cboMethod_, previous);
    {
        const QSignalBlocker blocker(sldIteration_);
        setIterationRange(true);
    }
    layoutCentres_ =
        nodewise::LayoutCentres(nodewise::LayOutAcquiredNetwork(nodewise::AcquiredNetwork()));
    centres_ = layoutCentres_;
    Redraw();
    view_->FitDrawing();
}

// Entries 0..the last of the chosen method's run; `toLast`: the last shown.
void TfrmNetworkDiagram::setIterationRange(bool toLast) {
    const nodewise::Run* run =
        cboMethod_->count() > 0
            ? nodewise::RunOf(static_cast<nodewise::Method>(cboMethod_->currentData().toInt()))
            : nullptr;
    const int last =
        run != nullptr ? run->IterationCount : nodewise::AcquiredNetwork().LastHistoryEntry();
    sldIteration_->setRange(0, last);
    if (toLast) {
        sldIteration_->setValue(last);
    }
}

void TfrmNetworkDiagram::cboMethodChanged() {
    nodewise::Guarded([this] {
        {
            const QSignalBlocker blocker(sldIteration_);
            setIterationRange(false);
        }
        Redraw();
    });
}

void TfrmNetworkDiagram::sldIterationChanged() {
    nodewise::Guarded([this] { Redraw(); });
}

void TfrmNetworkDiagram::btnAutoLayoutClick() {
    nodewise::Guarded([this] {
        centres_ = layoutCentres_;
        Redraw();
        view_->FitDrawing();
    });
}

void TfrmNetworkDiagram::NodeDragged(int node, nodewise::DiagramPoint centre) {
    if (node < 0 || node >= static_cast<int>(centres_.size())) {
        return;
    }
    centres_[static_cast<std::size_t>(node)] = centre;
    Redraw();
}

nodewise::NetworkDiagram
TfrmNetworkDiagram::BuildDiagram(const std::string& decimalSeparator) const {
    const auto method = static_cast<Method>(cboMethod_->currentData().toInt());
    const nodewise::Run* run = nodewise::RunOf(method);
    if (run == nullptr) {
        return {};
    }
    const int entry = sldIteration_->value();
    const nodewise::PowerBalance balance =
        nodewise::ComputePowerBalance(nodewise::AcquiredNetwork(), run->EHistory.rows(),
                                      run->dHistory.rows(), entry, run->NodeCount);
    nodewise::NetworkDiagram diagram =
        nodewise::BuildNetworkDiagram(balance, centres_, decimalSeparator,
                                      nodewise::DiagramCaption(method, entry, run->IterationCount));
    nodewise::MarkHeldNodes(diagram, nodewise::HeldAt(*run, entry));
    return diagram;
}

void TfrmNetworkDiagram::Redraw() {
    const bool any = cboMethod_->count() > 0 && !centres_.empty();
    lblEmpty_->setVisible(!any);
    view_->setVisible(any);
    sldIteration_->setEnabled(any);
    btnAutoLayout_->setEnabled(any);
    btnSaveImage_->setEnabled(any);
    lblIteration_->setText(
        QStringLiteral("%1 di %2").arg(sldIteration_->value()).arg(sldIteration_->maximum()));
    if (!any) {
        diagram_ = {};
        scene_->clear();
        view_->SetNodes({}, 0.0);
        return;
    }
    const QRectF before = scene_->sceneRect();
    diagram_ = BuildDiagram(LocaleDecimalPoint());
    nodewise::DrawNetworkDiagram(*scene_, diagram_);
    if (view_->Dragging()) {
        // Keep the view still under the pointer while a node moves.
        scene_->setSceneRect(scene_->sceneRect().united(before));
    } else if (!view_->Zoomed()) {
        view_->FitDrawing();
    }
    view_->SetNodes(centres_, nodewise::DiagramNodeRadius);
}

void TfrmNetworkDiagram::btnSaveImageClick() {
    using namespace nodewise;
    Guarded([this] {
        if (diagram_.nodes.empty()) {
            return;
        }
        SaveInTwoKinds(
            this, {SaveImageTitle, SaveImageFilter, QStringLiteral("svg"), SaveImageCaption,
                   [this](bool svg) {
                       if (svg) { // a file: numbers with a full stop
                           return NetworkDiagramSvg(BuildDiagram("."));
                       }
                       const QByteArray png = PngOf(*scene_);
                       return std::string(png.constData(), static_cast<std::size_t>(png.size()));
                   },
                   [](bool svg) { return svg ? SvgErrorText : PngErrorText; }});
    });
}
