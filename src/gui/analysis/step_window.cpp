#include "gui/analysis/step_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/platform/atomic_file.h"
#include "core/report/step_export.h"
#include "core/results/results_export.h"
#include "gui/analysis/method_choice.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/program_port.h"
#include "gui/shell/run_store.h"
#include "gui/style/list_numbers.h"
#include "gui/style/table_items.h"

namespace {

using nodewise::Method;

const QString SaveStepTitle = QStringLiteral("Salva");
const QString SaveStepFilter = QStringLiteral("Pagina HTML|*.html|CSV (Excel italiano)|*.csv");

const QColor ZeroForeground(0xa0, 0xa0, 0xa0);
const QColor DiagonalBackground(0xff, 0xf3, 0xc4);

QString Decimal() {
    return QLocale().decimalPoint();
}

QString Number(double value) {
    return nodewise::ListNumber(value, Decimal());
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QTableWidgetItem* ValueItem(double value, bool diagonal) {
    QTableWidgetItem* item = nodewise::NumberItem(Number(value));
    if (diagonal) {
        nodewise::Emphasize(item, false, DiagonalBackground);
    }
    if (value == 0.0) {
        item->setForeground(ZeroForeground);
    }
    return item;
}

// As small as its contents, so that the tables stand side by side.
void FitToContents(QTableWidget* table) {
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // widths from the items' own fonts (bold on the diagonal): the view's estimate is made
    // before the window is shown and falls short
    const QFontMetrics header(table->horizontalHeader()->font());
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem* heading = table->horizontalHeaderItem(c);
        int widest = heading != nullptr ? header.horizontalAdvance(heading->text()) : 0;
        for (int r = 0; r < table->rowCount(); ++r) {
            if (const QTableWidgetItem* item = table->item(r, c)) {
                widest =
                    std::max(widest, QFontMetrics(item->font()).horizontalAdvance(item->text()));
            }
        }
        table->setColumnWidth(c, widest + 16);
    }
    const int rowHeight = QFontMetrics(table->font()).height() + 6;
    for (int r = 0; r < table->rowCount(); ++r) {
        table->setRowHeight(r, rowHeight);
    }
    // as large as the headers and sections need, computed when it is laid out
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

} // namespace

TfrmStep::TfrmStep(QWidget* parent)
    : AnalysisWindow(parent, QStringLiteral("frmStep"), QStringLiteral("Passo per passo"),
                     QSize(1200, 560)) {

    QVBoxLayout* layout = column_;
    QHBoxLayout* choice = AddMethodRow();
    auto* iterationLabel = new QLabel(QStringLiteral("&Iterazione:"), this);
    spnIteration_ = new QSpinBox(this);
    spnIteration_->setObjectName(QStringLiteral("spnIteration"));
    spnIteration_->setRange(1, 1);
    iterationLabel->setBuddy(spnIteration_);
    sldIteration_ = new QSlider(Qt::Horizontal, this);
    sldIteration_->setObjectName(QStringLiteral("sldIteration"));
    sldIteration_->setRange(1, 1);
    choice->addSpacing(16);
    choice->addWidget(iterationLabel);
    choice->addWidget(spnIteration_);
    choice->addWidget(sldIteration_, 1);

    lblNote_ = new QLabel(this);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);
    layout->addWidget(lblNote_);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("StepPanels"));
    scroll->setWidgetResizable(true);
    panels_ = new QWidget(scroll);
    panelsLayout_ = new QHBoxLayout(panels_);
    panelsLayout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(panels_);
    layout->addWidget(scroll, 1);

    auto* legend = new QLabel(QStringLiteral("In grassetto su fondo giallo gli elementi della "
                                             "diagonale (equazione e incognita dello stesso "
                                             "nodo), in grigio gli zeri. Passare col mouse su un "
                                             "elemento del Jacobiano o su un nodo per la formula."),
                              this);
    legend->setWordWrap(true);
    layout->addWidget(legend);

    btnCopyLatex_ = NewButton("btnCopyLatex", QStringLiteral("Copia come &LaTeX"));
    btnSave_ = NewButton("btnSave", QStringLiteral("&Salva"));
    AddButtonRow({btnCopyLatex_, btnSave_});

    connect(cboMethod_, &QComboBox::currentIndexChanged, this, &TfrmStep::cboMethodChanged);
    connect(spnIteration_, &QSpinBox::valueChanged, sldIteration_, &QSlider::setValue);
    connect(sldIteration_, &QSlider::valueChanged, spnIteration_, &QSpinBox::setValue);
    connect(spnIteration_, &QSpinBox::valueChanged, this, &TfrmStep::spnIterationChanged);
    connect(btnCopyLatex_, &QPushButton::clicked, this, &TfrmStep::btnCopyLatexClick);
    connect(btnSave_, &QPushButton::clicked, this, &TfrmStep::btnSaveClick);
}

void TfrmStep::Refresh() {
    const QVariant previous = cboMethod_->currentData();
    nodewise::RefillMethodChoice(cboMethod_, previous);
    {
        const QSignalBlocker spinBlocker(spnIteration_);
        const QSignalBlocker sliderBlocker(sldIteration_);
        setIterationRange();
    }
    fillPanels();
}

// The iterations of the chosen method's run: its typed count, or fewer when a tolerance
// stopped it.
void TfrmStep::setIterationRange() {
    const nodewise::Run* run =
        cboMethod_->count() > 0
            ? nodewise::RunOf(static_cast<nodewise::Method>(cboMethod_->currentData().toInt()))
            : nullptr;
    const int last = std::max(1, run != nullptr ? run->IterationCount
                                                : nodewise::AcquiredNetwork().LastHistoryEntry());
    spnIteration_->setRange(1, last);
    sldIteration_->setRange(1, last);
    sldIteration_->setValue(spnIteration_->value());
}

void TfrmStep::cboMethodChanged() {
    nodewise::Guarded([this] {
        {
            const QSignalBlocker spinBlocker(spnIteration_);
            const QSignalBlocker sliderBlocker(sldIteration_);
            setIterationRange();
        }
        fillPanels();
    });
}

void TfrmStep::spnIterationChanged() {
    nodewise::Guarded([this] { fillPanels(); });
}

void TfrmStep::clearPanels() {
    while (QLayoutItem* item = panelsLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

QTableWidget* TfrmStep::addTable(const QString& name, const QString& title) {
    auto* box = new QWidget(panels_);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 8, 0);
    auto* caption = new QLabel(title, box);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    auto* table = new QTableWidget(box);
    table->setObjectName(name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    column->addWidget(caption);
    column->addWidget(table);
    column->addStretch(1);
    panelsLayout_->addWidget(box);
    return table;
}

void TfrmStep::fillPanels() {
    using namespace nodewise;
    panels_->setUpdatesEnabled(false);
    clearPanels();
    const bool any = cboMethod_->count() > 0;
    cboMethod_->setEnabled(any);
    spnIteration_->setEnabled(any);
    sldIteration_->setEnabled(any);
    btnCopyLatex_->setEnabled(false);
    btnSave_->setEnabled(false);
    step_ = IterationStep();
    if (!any) {
        lblNote_->setText(QStringLiteral("Nessun metodo eseguito dall'ultima acquisizione."));
        panels_->setUpdatesEnabled(true);
        return;
    }
    const auto method = static_cast<Method>(cboMethod_->currentData().toInt());
    const Run* run = RunOf(method);
    step_ = run != nullptr
                ? ComputeStep(AcquiredNetwork(), method, spnIteration_->value(), run->options)
                : ComputeStep(AcquiredNetwork(), method, spnIteration_->value());
    if (step_.fault) {
        lblNote_->setText(QStringLiteral("Nessun passo: il calcolo si interrompe prima della fine "
                                         "dell'iterazione %1 (%2).")
                              .arg(step_.iteration)
                              .arg(Text(*step_.fault)));
        panels_->setUpdatesEnabled(true);
        return;
    }
    btnCopyLatex_->setEnabled(true);
    btnSave_->setEnabled(true);
    QString note = Text(InversionNote(step_));
    for (const std::string& held : HeldNodeNotes(step_)) {
        QString sentence = Text(held);
        sentence[0] = sentence[0].toUpper();
        note += (note.isEmpty() ? QString() : QStringLiteral(" ")) + sentence + QStringLiteral(".");
    }
    lblNote_->setText(QStringLiteral("%1, iterazione %2: dallo stato %3 allo stato %2. %4")
                          .arg(QString::fromLatin1(MethodTitle(method)))
                          .arg(step_.iteration)
                          .arg(step_.iteration - 1)
                          .arg(note));

    const std::string decimal = Decimal().toStdString();
    if (method == Method::Gauss) {
        QTableWidget* table =
            addTable(QStringLiteral("nodes"), QStringLiteral("Nodi, in ordine di aggiornamento"));
        table->setColumnCount(6);
        table->setHorizontalHeaderLabels({QStringLiteral("Nodo"), QStringLiteral("Tipo"),
                                          QStringLiteral("Calcolato"), QStringLiteral("Valore"),
                                          QStringLiteral("C"), QStringLiteral("R")});
        table->verticalHeader()->setVisible(false);
        table->setRowCount(static_cast<int>(step_.nodes.size()));
        for (int r = 0; r < table->rowCount(); ++r) {
            const GaussNodeStep& node = step_.nodes[r];
            const QString rule = Text(GaussNodeFormula(step_, r, decimal));
            QTableWidgetItem* cells[6] = {
                nodewise::TextItem(QString::number(node.node + 1)),
                nodewise::TextItem(QString::fromLatin1(NodeTypeLabel(node.type))),
                nodewise::TextItem(node.computedQuantity != 0
                                       ? QString(QChar::fromLatin1(node.computedQuantity)) +
                                             QString::number(node.node + 1)
                                       : QString()),
                node.computedQuantity != 0 ? ValueItem(node.computedValue, false)
                                           : nodewise::TextItem(QString()),
                node.hasVoltage ? ValueItem(node.C, false) : nodewise::TextItem(QString()),
                node.hasVoltage ? ValueItem(node.R, false) : nodewise::TextItem(QString())};
            for (int c = 0; c < 6; ++c) {
                cells[c]->setToolTip(rule);
                table->setItem(r, c, cells[c]);
            }
        }
        FitToContents(table);
    }

    std::vector<StepPanel> panels = StepPanels(step_);
    panels.push_back(StatePanel(step_));
    for (const StepPanel& panel : panels) {
        QTableWidget* table = addTable(Text(panel.id), Text(panel.title));
        const int rows = static_cast<int>(panel.values.size());
        const int columns = static_cast<int>(panel.columnLabels.size());
        table->setRowCount(rows);
        table->setColumnCount(columns);
        QStringList rowLabels;
        for (const std::string& label : panel.rowLabels) {
            rowLabels << Text(label);
        }
        QStringList columnLabels;
        for (const std::string& label : panel.columnLabels) {
            columnLabels << Text(label);
        }
        table->setVerticalHeaderLabels(rowLabels);
        table->setHorizontalHeaderLabels(columnLabels);
        const bool jacobian = panel.id == "jacobian";
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns && c < static_cast<int>(panel.values[r].size()); ++c) {
                const bool diagonal = !panel.vector && panel.rowNodes[r] >= 0 &&
                                      panel.rowNodes[r] == panel.columnNodes[c];
                QTableWidgetItem* item = ValueItem(panel.values[r][c], diagonal);
                item->setToolTip(jacobian ? Text(JacobianElementFormula(step_, r, c, decimal))
                                          : rowLabels[r] + QStringLiteral(", ") + columnLabels[c]);
                table->setItem(r, c, item);
            }
        }
        FitToContents(table);
    }
    panels_->setUpdatesEnabled(true);
}

void TfrmStep::btnCopyLatexClick() {
    nodewise::Guarded([this] {
        if (!step_.fault && cboMethod_->count() > 0) {
            QApplication::clipboard()->setText(Text(nodewise::StepLatex(step_)));
        }
    });
}

void TfrmStep::btnSaveClick() {
    using namespace nodewise;
    Guarded([this] {
        if (step_.fault || cboMethod_->count() == 0) {
            return;
        }
        SaveInTwoKinds(this,
                       {SaveStepTitle, SaveStepFilter, QStringLiteral("html"), StepSaveErrorCaption,
                        [this](bool html) {
                            return FormatStep(html ? StepFormat::Html : StepFormat::Csv, step_);
                        },
                        [](bool html) { return html ? StepHtmlErrorText : StepCsvErrorText; }});
    });
}
