#include "gui/results/summary_window.h"

#include <QCheckBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTreeWidget>

#include "core/model/network.h"
#include "core/results/methods.h"
#include "core/results/options_text.h"
#include "core/results/summary_rows.h"
#include "gui/results/run_drivers.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"
#include "gui/style/fonts.h"

namespace {

QPushButton* MethodButton(QWidget* parent, const char* name, const char* caption, int left,
                          int width) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 152, width, 75);
    return button;
}

} // namespace

TfrmDataOk::TfrmDataOk(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_AlwaysShowToolTips); // hints show also when another window is active
    setWindowTitle(QStringLiteral("Riepilogo dati nodali"));
    setFixedSize(507, 273);
    move(178, 30);
    nodewise::UseListFont(this);

    createList();
    createMethodButtons();
    createStatusBar();
    createViewResultBox();
}

// The list of the acquired nodes, one row per node.
void TfrmDataOk::createList() {
    ListView = new QTreeWidget(this);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setGeometry(10, 8, 487, 120);
    ListView->setFocusPolicy(Qt::NoFocus);
    ListView->setRootIsDecorated(false);
    ListView->setUniformRowHeights(true);
    ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView->setColumnCount(6);
    const char* const headings[6] = {"Nodo", "Tipo", "E", "d (gradi)", "P", "Q"};
    const int widths[6] = {38, 33, 100, 100, 100, 100};
    auto* headerItem = new QTreeWidgetItem;
    for (int c = 0; c < 6; ++c) {
        headerItem->setText(c, QString::fromUtf8(headings[c]));
        headerItem->setTextAlignment(c, c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                               : Qt::AlignHCenter | Qt::AlignVCenter);
    }
    ListView->setHeaderItem(headerItem);
    ListView->header()->setStretchLastSection(false);
    ListView->header()->setSectionsMovable(false);
    for (int c = 0; c < 6; ++c) {
        ListView->header()->resizeSection(c, widths[c]);
    }
}

// "Elabora con :" and a button per method, then the way back to data entry; Tab visits them
// in that order.
void TfrmDataOk::createMethodButtons() {
    Label1 = new QLabel(QStringLiteral("Elabora con :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(10, 132);
    Label1->adjustSize();

    btnGauss = MethodButton(this, "btnGauss", "Gauss-Seidel", 10, 100);
    btnNewton = MethodButton(this, "btnNewton", "Newton-Raphson", 119, 100);
    btnStott = MethodButton(this, "btnStott", "Stott-Alsac", 228, 100);
    btnErrata = MethodButton(this, "btnErrata", "Altra acquisizione", 360, 137);
    QFont larger = btnErrata->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.25);
    btnErrata->setFont(larger);

    setTabOrder(btnGauss, btnNewton);
    setTabOrder(btnNewton, btnStott);
    setTabOrder(btnStott, btnErrata);

    connect(btnGauss, &QPushButton::clicked, this, &TfrmDataOk::btnGaussClick);
    connect(btnNewton, &QPushButton::clicked, this, &TfrmDataOk::btnNewtonClick);
    connect(btnStott, &QPushButton::clicked, this, &TfrmDataOk::btnStottClick);
    connect(btnErrata, &QPushButton::clicked, this, &TfrmDataOk::btnErrataClick);
}

// The status bar: panel 0 for messages, panel 1 for a counter.
void TfrmDataOk::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(10, 240, 320, 20);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setToolTip(QStringLiteral("Status Bar"));
    const int panelWidths[2] = {280, 40};
    for (int p = 0; p < 2; ++p) {
        panels_[p] = new QLabel(StatusBar1);
        panels_[p]->setAlignment(Qt::AlignCenter);
        panels_[p]->setFixedWidth(panelWidths[p]);
        panels_[p]->setFrameShape(QFrame::Panel);
        panels_[p]->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panels_[p]);
    }
}

// Whether a run also fills its results window's list; checked at start.
void TfrmDataOk::createViewResultBox() {
    chbViewResult = new QCheckBox(QStringLiteral("Visualizza i risultati"), this);
    chbViewResult->setObjectName(QStringLiteral("chbViewResult"));
    chbViewResult->setChecked(true);
    chbViewResult->setToolTip(QStringLiteral("Sconsigliato per numero di iterazioni >100"));
    // The caption may need more than the nominal 113 pixels in the fonts available here.
    chbViewResult->setGeometry(360, 242, qBound(113, chbViewResult->sizeHint().width(), 507 - 362),
                               17);
}

void TfrmDataOk::SetStatusPanel(int panel, const QString& text) {
    if (panel < 0 || panel > 1) {
        return;
    }
    panels_[panel]->setText(text);
}

QLabel* TfrmDataOk::StatusPanel(int panel) const {
    return panel >= 0 && panel <= 1 ? panels_[panel] : nullptr;
}

QString TfrmDataOk::StatusPanelText(int panel) const {
    return panel >= 0 && panel <= 1 ? panels_[panel]->text() : QString();
}

void TfrmDataOk::ViewData() {
    using namespace nodewise;
    ListView->clear();
    // The options in force, when some are, in place of the reminder to check the data.
    const std::string options = OptionsText(ProgramOptions());
    SetStatusPanel(0, options.empty() ? QStringLiteral("Verificare i dati acquisiti")
                                      : QString::fromStdString(options));
    panels_[0]->setToolTip(QString::fromStdString(options));
    const std::string decimalPoint = QLocale().decimalPoint().toStdString();
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < AcquiredNetwork().ActiveNodeCount(); ++i) {
        const SummaryRow texts = SummaryRowOf(AcquiredNetwork(), i, decimalPoint);
        auto* row = new QTreeWidgetItem;
        for (int c = 0; c < SummaryColumnCount; ++c) {
            row->setText(c, QString::fromStdString(texts[c]));
        }
        for (int c = 1; c < 6; ++c) {
            row->setTextAlignment(c, Qt::AlignHCenter | Qt::AlignVCenter);
        }
        rows.append(row);
    }
    ListView->addTopLevelItems(rows);
}

void TfrmDataOk::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        ViewData();
    }
}

void TfrmDataOk::btnGaussClick() {
    nodewise::Guarded([this] { nodewise::RunGauss(chbViewResult->isChecked()); });
}

void TfrmDataOk::btnNewtonClick() {
    nodewise::Guarded([this] {
        if (nodewise::AnnounceMethod(nodewise::Port(), nodewise::AcquiredNetwork(),
                                     nodewise::Method::Newton)) {
            nodewise::RunNewton(chbViewResult->isChecked());
        }
    });
}

void TfrmDataOk::btnStottClick() {
    nodewise::Guarded([this] {
        if (nodewise::AnnounceMethod(nodewise::Port(), nodewise::AcquiredNetwork(),
                                     nodewise::Method::Stott)) {
            nodewise::RunStott(chbViewResult->isChecked());
        }
    });
}

void TfrmDataOk::btnErrataClick() {
    nodewise::HideResultForms();
}
