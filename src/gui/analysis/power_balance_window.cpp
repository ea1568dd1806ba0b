#include "gui/analysis/power_balance_window.h"

#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/platform/atomic_file.h"
#include "core/report/analysis_report.h"
#include "core/results/number_style.h"
#include "core/results/results_export.h"
#include "core/text/number_format.h"
#include "gui/analysis/method_choice.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"
#include "gui/style/list_numbers.h"

namespace {

using nodewise::Method;

const QString SaveReportTitle = QStringLiteral("Salva report");
// HTML first: the report to read; the CSV is for a spreadsheet set up for Italian.
const QString SaveReportFilter = QStringLiteral("Report HTML|*.html|CSV (Excel italiano)|*.csv");

const QColor GivenBackground(0xe8, 0xee, 0xf8);

QString Number(double value) {
    return nodewise::ListNumber(value, QLocale().decimalPoint());
}

// The number as the analysis windows write it: the chosen significant digits.
QString Shown(double value) {
    const QString point = QLocale().decimalPoint();
    return QString::fromStdString(nodewise::FormatSignificant(
        value, nodewise::AnalysisNumberStyle().digits, point.toStdString()));
}

// A power per unit in the chosen unit.
double Power(double perUnit) {
    return nodewise::ShownPower(nodewise::AnalysisNumberStyle(), perUnit);
}

QString WithUnit(const char* title, const char* unit) {
    return nodewise::AnalysisNumberStyle().megawatts
               ? QStringLiteral("%1 (%2)").arg(QLatin1String(title), QLatin1String(unit))
               : QLatin1String(title);
}

QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& headings,
                        int firstNumberColumn) {
    auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headings);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setWordWrap(false);
    // Node numbers and types as narrow as they are; the 15-digit numbers share the rest.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setMinimumSectionSize(40);
    for (int c = 0; c < firstNumberColumn; ++c) {
        table->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return table;
}

// A value computed from the state, shown with the chosen digits and its exact figure in the
// hint; `given` marks a value the user typed (shown in italics on a tinted ground), whose typed
// figure the hint repeats.
QTableWidgetItem* ValueItem(double value, bool given = false, double givenValue = 0.0) {
    auto* item = new QTableWidgetItem(Shown(value));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (given) {
        QFont font = item->font();
        font.setItalic(true);
        item->setFont(font);
        item->setBackground(GivenBackground);
        item->setToolTip(QStringLiteral("dato: ") + Number(givenValue) +
                         QStringLiteral("\nvalore esatto: ") + Number(value));
    } else {
        item->setToolTip(QStringLiteral("calcolato: ") + Number(value));
    }
    return item;
}

QTableWidgetItem* TextItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

TfrmPowerBalance::TfrmPowerBalance(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmPowerBalance"));
    setWindowTitle(QStringLiteral("Bilancio di potenza"));
    resize(1100, 700);

    auto* layout = new QVBoxLayout(this);
    auto* methodRow = new QHBoxLayout;
    auto* methodLabel = new QLabel(QStringLiteral("&Metodo:"), this);
    cboMethod_ = new QComboBox(this);
    cboMethod_->setObjectName(QStringLiteral("cboMethod"));
    cboMethod_->setMinimumWidth(180);
    methodLabel->setBuddy(cboMethod_);
    methodRow->addWidget(methodLabel);
    methodRow->addWidget(cboMethod_);
    methodRow->addStretch(1);
    createStyleControls(methodRow);
    layout->addLayout(methodRow);
    lblEmpty_ =
        new QLabel(QStringLiteral("Nessun metodo eseguito dall'ultima acquisizione."), this);
    lblEmpty_->setObjectName(QStringLiteral("lblEmpty"));
    layout->addWidget(lblEmpty_);
    lblNotConverged_ = new QLabel(this);
    lblNotConverged_->setObjectName(QStringLiteral("lblNotConverged"));
    lblNotConverged_->setWordWrap(true);
    lblNotConverged_->setStyleSheet(
        QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    lblNotConverged_->setVisible(false);
    layout->addWidget(lblNotConverged_);

    auto* nodesLabel = new QLabel(this);
    lblNodes_ = nodesLabel;
    nodeTable_ = MakeTable(this, "NodeTable",
                           {QStringLiteral("Nodo"), QStringLiteral("Tipo"), QStringLiteral("E"),
                            QStringLiteral("d (gradi)"), QStringLiteral("P"), QStringLiteral("Q")},
                           2);
    branchTable_ = MakeTable(this, "BranchTable",
                             {QStringLiteral("Da"), QStringLiteral("A"), QStringLiteral("P da"),
                              QStringLiteral("Q da"), QStringLiteral("P a"), QStringLiteral("Q a"),
                              QStringLiteral("P perdite"), QStringLiteral("Q perdite")},
                             2);
    shuntTable_ = MakeTable(this, "ShuntTable",
                            {QStringLiteral("Nodo"), QStringLiteral("G"), QStringLiteral("B"),
                             QStringLiteral("P"), QStringLiteral("Q")},
                            1);
    layout->addWidget(nodesLabel);
    layout->addWidget(nodeTable_, 3);
    layout->addWidget(
        new QLabel(QStringLiteral("Rami (potenza entrante in ciascun estremo):"), this));
    layout->addWidget(branchTable_, 3);
    layout->addWidget(new QLabel(QStringLiteral("Elementi verso terra:"), this));
    layout->addWidget(shuntTable_, 2);
    lblLosses_ = new QLabel(this);
    lblLosses_->setObjectName(QStringLiteral("lblLosses"));
    QFont bold = lblLosses_->font();
    bold.setBold(true);
    lblLosses_->setFont(bold);
    layout->addWidget(lblLosses_);

    auto* buttons = new QHBoxLayout;
    btnSaveReport_ = new QPushButton(QStringLiteral("&Salva report"), this);
    btnSaveReport_->setObjectName(QStringLiteral("btnSaveReport"));
    btnClose_ = new QPushButton(QStringLiteral("&Chiudi"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    buttons->addWidget(btnSaveReport_);
    buttons->addStretch(1);
    buttons->addWidget(btnClose_);
    layout->addLayout(buttons);

    connect(cboMethod_, &QComboBox::currentIndexChanged, this, &TfrmPowerBalance::cboMethodChanged);
    connect(btnSaveReport_, &QPushButton::clicked, this, &TfrmPowerBalance::btnSaveReportClick);
    connect(btnClose_, &QPushButton::clicked, this, &QWidget::close);
    setHeadings();
}

// Significant digits, and powers per unit or in MW/Mvar on a base power.
void TfrmPowerBalance::createStyleControls(QBoxLayout* row) {
    const nodewise::NumberStyle& style = nodewise::AnalysisNumberStyle();
    auto* digitsLabel = new QLabel(QStringLiteral("C&ifre significative:"), this);
    spnDigits_ = new QSpinBox(this);
    spnDigits_->setObjectName(QStringLiteral("spnDigits"));
    spnDigits_->setRange(1, nodewise::FullDigits);
    spnDigits_->setValue(style.digits);
    spnDigits_->setToolTip(
        QStringLiteral("Il suggerimento di ogni valore ne mostra tutte le cifre"));
    digitsLabel->setBuddy(spnDigits_);
    auto* unitsLabel = new QLabel(QStringLiteral("&Unit\u00e0:"), this);
    cboUnits_ = new QComboBox(this);
    cboUnits_->setObjectName(QStringLiteral("cboUnits"));
    cboUnits_->addItem(QStringLiteral("pu"));
    cboUnits_->addItem(QStringLiteral("MW/Mvar"));
    cboUnits_->setCurrentIndex(style.megawatts ? 1 : 0);
    unitsLabel->setBuddy(cboUnits_);
    auto* baseLabel = new QLabel(QStringLiteral("Potenza di &base (MVA):"), this);
    txtBasePower_ = new QLineEdit(Number(style.basePower), this);
    txtBasePower_->setObjectName(QStringLiteral("txtBasePower"));
    txtBasePower_->setMaximumWidth(80);
    txtBasePower_->setEnabled(style.megawatts);
    baseLabel->setBuddy(txtBasePower_);
    for (QWidget* widget : std::initializer_list<QWidget*>{digitsLabel, spnDigits_, unitsLabel,
                                                           cboUnits_, baseLabel, txtBasePower_}) {
        row->addWidget(widget);
    }
    connect(spnDigits_, &QSpinBox::valueChanged, this, &TfrmPowerBalance::NumberStyleChanged);
    connect(cboUnits_, &QComboBox::currentIndexChanged, this,
            &TfrmPowerBalance::NumberStyleChanged);
    connect(txtBasePower_, &QLineEdit::editingFinished, this,
            &TfrmPowerBalance::NumberStyleChanged);
}

void TfrmPowerBalance::NumberStyleChanged() {
    nodewise::NumberStyle style = nodewise::AnalysisNumberStyle();
    style.digits = spnDigits_->value();
    style.megawatts = cboUnits_->currentIndex() == 1;
    bool ok = false;
    QLocale user;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    double base = user.toDouble(txtBasePower_->text().trimmed(), &ok);
    if (!ok) {
        base = QLocale::c().toDouble(txtBasePower_->text().trimmed(), &ok);
    }
    if (ok && nodewise::ValidBasePower(base)) {
        style.basePower = base;
    }
    txtBasePower_->setText(Number(style.basePower)); // a text that is no power goes back
    txtBasePower_->setEnabled(style.megawatts);
    nodewise::Guarded([this, &style] {
        nodewise::SetAnalysisNumberStyle(style);
        setHeadings();
        fillTables();
    });
}

// The headings name the unit of the powers when it is not the per unit.
void TfrmPowerBalance::setHeadings() {
    const bool mw = nodewise::AnalysisNumberStyle().megawatts;
    lblNodes_->setText(
        mw ? QStringLiteral("Nodi all'ultima iterazione (E in pu, P in MW, Q in Mvar su una base "
                            "di %1 MVA, fasi in gradi; in corsivo su fondo azzurro i valori dati):")
                 .arg(Number(nodewise::AnalysisNumberStyle().basePower))
           : QStringLiteral("Nodi all'ultima iterazione (pu, fasi in gradi; in corsivo su fondo "
                            "azzurro i valori dati):"));
    nodeTable_->setHorizontalHeaderLabels({QStringLiteral("Nodo"), QStringLiteral("Tipo"),
                                           QStringLiteral("E"), QStringLiteral("d (gradi)"),
                                           WithUnit("P", "MW"), WithUnit("Q", "Mvar")});
    branchTable_->setHorizontalHeaderLabels(
        {QStringLiteral("Da"), QStringLiteral("A"), WithUnit("P da", "MW"),
         WithUnit("Q da", "Mvar"), WithUnit("P a", "MW"), WithUnit("Q a", "Mvar"),
         WithUnit("P perdite", "MW"), WithUnit("Q perdite", "Mvar")});
    shuntTable_->setHorizontalHeaderLabels({QStringLiteral("Nodo"), QStringLiteral("G"),
                                            QStringLiteral("B"), WithUnit("P", "MW"),
                                            WithUnit("Q", "Mvar")});
}

void TfrmPowerBalance::showEvent(QShowEvent* event) {
    Refresh(true);
    QWidget::showEvent(event);
}

void TfrmPowerBalance::RunEnded(Method method) {
    if (!isVisible()) {
        return;
    }
    Refresh();
    const int index = cboMethod_->findData(static_cast<int>(method));
    if (index >= 0) {
        cboMethod_->setCurrentIndex(index); // fills the tables
    }
}

void TfrmPowerBalance::Refresh(bool lastRun) {
    const std::optional<Method> last = nodewise::LastRunMethod();
    const QVariant previous =
        lastRun && last ? QVariant(static_cast<int>(*last)) : cboMethod_->currentData();
    nodewise::RefillMethodChoice(cboMethod_, previous);
    fillTables();
}

void TfrmPowerBalance::cboMethodChanged() {
    nodewise::Guarded([this] { fillTables(); });
}

void TfrmPowerBalance::fillTables() {
    const bool any = cboMethod_->count() > 0;
    lblEmpty_->setVisible(!any);
    btnSaveReport_->setEnabled(any);
    nodeTable_->setRowCount(0);
    branchTable_->setRowCount(0);
    shuntTable_->setRowCount(0);
    lblLosses_->clear();
    lblNotConverged_->setVisible(false);
    if (!any) {
        return;
    }
    const auto method = static_cast<Method>(cboMethod_->currentData().toInt());
    const nodewise::Run* run = nodewise::RunOf(method);
    if (run == nullptr) {
        return;
    }
    const nodewise::Network& network = nodewise::AcquiredNetwork();
    const nodewise::PowerBalance balance = nodewise::ComputePowerBalance(network, *run);
    const double tolerance = nodewise::ConvergenceTolerance();
    if (const std::optional<nodewise::NotConverged> state =
            nodewise::LastIterateNotConverged(network, *run, tolerance)) {
        const QString point = QLocale().decimalPoint();
        lblNotConverged_->setText(QString::fromStdString(
            nodewise::NotConvergedText(method, *state, nodewise::AnalysisNumberStyle(),
                                       point.isEmpty() ? ',' : point.at(0).toLatin1())));
        lblNotConverged_->setVisible(true);
    }

    nodeTable_->setRowCount(static_cast<int>(balance.nodes.size()));
    // A node a reactive limit holds at the end of the run: "PE (Qmax)".
    const nodewise::HeldNodes held = nodewise::HeldAt(*run, run->IterationCount);
    int row = 0;
    for (const nodewise::NodeBalance& node : balance.nodes) {
        const int i = node.node;
        nodeTable_->setItem(row, 0, TextItem(QString::number(i + 1)));
        QString type = QString::fromLatin1(nodewise::NodeTypeLabel(node.type));
        const nodewise::HeldLimit limit = held[static_cast<std::size_t>(i)];
        // A held node's E is a result and its Q is the limit: shown as a given value.
        const bool isHeld = limit != nodewise::HeldLimit::None;
        if (isHeld) {
            type +=
                QStringLiteral(" (%1)").arg(QString::fromLatin1(nodewise::HeldLimitName(limit)));
        }
        nodeTable_->setItem(row, 1, TextItem(type));
        nodeTable_->setItem(
            row, 2, ValueItem(node.E, nodewise::EGiven(node.type) && !isHeld, network.EData[i]));
        nodeTable_->setItem(row, 3,
                            ValueItem(node.dDegrees, nodewise::dGiven(node.type), node.dDegrees));
        nodeTable_->setItem(
            row, 4, ValueItem(Power(node.P), nodewise::PGiven(node.type), Power(network.PData[i])));
        const auto& limits = run->options.reactiveLimits[static_cast<std::size_t>(i)];
        const double givenQ = !isHeld                             ? network.QData[i]
                              : limit == nodewise::HeldLimit::Max ? limits.qmax.value_or(0.0)
                                                                  : limits.qmin.value_or(0.0);
        nodeTable_->setItem(
            row, 5, ValueItem(Power(node.Q), nodewise::QGiven(node.type) || isHeld, Power(givenQ)));
        ++row;
    }
    branchTable_->setRowCount(static_cast<int>(balance.branches.size()));
    row = 0;
    for (const nodewise::BranchFlow& flow : balance.branches) {
        branchTable_->setItem(row, 0, TextItem(QString::number(flow.from + 1)));
        branchTable_->setItem(row, 1, TextItem(QString::number(flow.to + 1)));
        const double values[6] = {Power(flow.fromEnd.real()), Power(flow.fromEnd.imag()),
                                  Power(flow.toEnd.real()),   Power(flow.toEnd.imag()),
                                  Power(flow.loss.real()),    Power(flow.loss.imag())};
        for (int c = 0; c < 6; ++c) {
            branchTable_->setItem(row, c + 2, ValueItem(values[c]));
        }
        ++row;
    }
    shuntTable_->setRowCount(static_cast<int>(balance.shunts.size()));
    row = 0;
    for (const nodewise::ShuntFlow& shunt : balance.shunts) {
        shuntTable_->setItem(row, 0, TextItem(QString::number(shunt.node + 1)));
        const double values[4] = {shunt.admittance.real(), shunt.admittance.imag(),
                                  Power(shunt.power.real()), Power(shunt.power.imag())};
        for (int c = 0; c < 4; ++c) {
            shuntTable_->setItem(row, c + 1, ValueItem(values[c]));
        }
        ++row;
    }
    const nodewise::NumberStyle& style = nodewise::AnalysisNumberStyle();
    lblLosses_->setText(QStringLiteral("Perdite della rete (somma delle potenze dei nodi): "
                                       "P = %1 %2, Q = %3 %4")
                            .arg(Shown(Power(balance.losses.real())),
                                 QLatin1String(nodewise::ActivePowerUnit(style)),
                                 Shown(Power(balance.losses.imag())),
                                 QLatin1String(nodewise::ReactivePowerUnit(style))));
}

void TfrmPowerBalance::btnSaveReportClick() {
    using namespace nodewise;
    Guarded([this] {
        if (cboMethod_->count() == 0) {
            return;
        }
        const auto method = static_cast<Method>(cboMethod_->currentData().toInt());
        SaveInTwoKinds(
            this, {SaveReportTitle, SaveReportFilter, QStringLiteral("html"), ReportErrorCaption,
                   [method](bool html) {
                       return FormatAnalysisReport(html ? ReportFormat::Html : ReportFormat::Csv,
                                                   AcquiredNetwork(), AcquiredCells(),
                                                   ProgramRuns().runs(), method,
                                                   ConvergenceTolerance(), AnalysisNumberStyle());
                   },
                   [](bool html) { return html ? ReportHtmlErrorText : ReportCsvErrorText; }});
    });
}
