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
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <span>

#include "core/platform/atomic_file.h"
#include "core/report/analysis_report.h"
#include "core/report/balance_tables.h"
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
#include "gui/style/table_items.h"

namespace {

using nodewise::Method;

const QString SaveReportTitle = QStringLiteral("Salva report");
// HTML first: the report to read; the CSV is for a spreadsheet set up for Italian.
const QString SaveReportFilter = QStringLiteral("Report HTML|*.html|CSV (Excel italiano)|*.csv");

const QColor GivenBackground(0xe8, 0xee, 0xf8);

// The node, branch and shunt tables, in this order.
constexpr const char* TableNames[] = {"NodeTable", "BranchTable", "ShuntTable"};
constexpr std::span<const nodewise::BalanceColumn> TableColumns[] = {
    nodewise::NodeColumns, nodewise::BranchColumns, nodewise::ShuntColumns};

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

// The headings are set by SetHeadings, in the unit chosen.
QTableWidget* MakeTable(QWidget* parent, const char* name,
                        std::span<const nodewise::BalanceColumn> columns) {
    auto* table = new QTableWidget(0, static_cast<int>(columns.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setWordWrap(false);
    // Node numbers and types as narrow as they are; the 15-digit numbers share the rest.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setMinimumSectionSize(40);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].kind == nodewise::ColumnKind::Label) {
            table->horizontalHeader()->setSectionResizeMode(static_cast<int>(c),
                                                            QHeaderView::ResizeToContents);
        }
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return table;
}

// A value computed from the state, shown with the chosen digits and its exact figure in the
// hint; `given` marks a value the user typed (shown in italics on a tinted ground), whose typed
// figure the hint repeats.
QTableWidgetItem* ValueItem(double value, bool given = false, double givenValue = 0.0) {
    QTableWidgetItem* item = nodewise::NumberItem(Shown(value));
    if (given) {
        nodewise::Emphasize(item, true, GivenBackground);
        item->setToolTip(QStringLiteral("dato: ") + Number(givenValue) +
                         QStringLiteral("\nvalore esatto: ") + Number(value));
    } else {
        item->setToolTip(QStringLiteral("calcolato: ") + Number(value));
    }
    return item;
}

void SetHeadings(QTableWidget* table, std::span<const nodewise::BalanceColumn> columns) {
    QStringList headings;
    for (const nodewise::BalanceColumn& column : columns) {
        headings << QString::fromStdString(
            nodewise::ColumnHeading(column, nodewise::AnalysisNumberStyle()));
    }
    table->setHorizontalHeaderLabels(headings);
}

void FillTable(QTableWidget* table, const nodewise::BalanceTable& model) {
    const nodewise::NumberStyle& style = nodewise::AnalysisNumberStyle();
    table->setRowCount(static_cast<int>(model.rows.size()));
    int row = 0;
    for (const std::vector<nodewise::BalanceCell>& cells : model.rows) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const nodewise::BalanceColumn& column = model.columns[c];
            const nodewise::BalanceCell& cell = cells[c];
            table->setItem(row, static_cast<int>(c),
                           column.kind == nodewise::ColumnKind::Label
                               ? nodewise::TextItem(QString::fromStdString(cell.label))
                               : ValueItem(nodewise::ShownValue(column, cell.value, style),
                                           cell.given,
                                           nodewise::ShownValue(column, cell.typed, style)));
        }
        ++row;
    }
}

} // namespace

TfrmPowerBalance::TfrmPowerBalance(QWidget* parent)
    : AnalysisWindow(parent, QStringLiteral("frmPowerBalance"),
                     QStringLiteral("Bilancio di potenza"), QSize(1100, 700)) {
    QHBoxLayout* methodRow = AddMethodRow();
    methodRow->addStretch(1);
    createStyleControls(methodRow);
    AddEmptyLine();
    lblNotConverged_ = new QLabel(this);
    lblNotConverged_->setObjectName(QStringLiteral("lblNotConverged"));
    lblNotConverged_->setWordWrap(true);
    lblNotConverged_->setStyleSheet(
        QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    lblNotConverged_->setVisible(false);
    column_->addWidget(lblNotConverged_);

    auto* nodesLabel = new QLabel(this);
    lblNodes_ = nodesLabel;
    for (std::size_t t = 0; t < tables_.size(); ++t) {
        tables_[t] = MakeTable(this, TableNames[t], TableColumns[t]);
    }
    column_->addWidget(nodesLabel);
    column_->addWidget(tables_[0], 3);
    column_->addWidget(
        new QLabel(QStringLiteral("Rami (potenza entrante in ciascun estremo):"), this));
    column_->addWidget(tables_[1], 3);
    column_->addWidget(new QLabel(QStringLiteral("Elementi verso terra:"), this));
    column_->addWidget(tables_[2], 2);
    lblLosses_ = new QLabel(this);
    lblLosses_->setObjectName(QStringLiteral("lblLosses"));
    QFont bold = lblLosses_->font();
    bold.setBold(true);
    lblLosses_->setFont(bold);
    column_->addWidget(lblLosses_);

    btnSaveReport_ = NewButton("btnSaveReport", QStringLiteral("&Salva report"));
    AddButtonRow({btnSaveReport_});

    connect(cboMethod_, &QComboBox::currentIndexChanged, this, &TfrmPowerBalance::cboMethodChanged);
    connect(btnSaveReport_, &QPushButton::clicked, this, &TfrmPowerBalance::btnSaveReportClick);
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
    for (std::size_t t = 0; t < tables_.size(); ++t) {
        SetHeadings(tables_[t], TableColumns[t]);
    }
}

void TfrmPowerBalance::Refresh() {
    nodewise::RefillMethodChoice(cboMethod_, cboMethod_->currentData());
    fillTables();
}

void TfrmPowerBalance::cboMethodChanged() {
    nodewise::Guarded([this] { fillTables(); });
}

void TfrmPowerBalance::fillTables() {
    const bool any = cboMethod_->count() > 0;
    lblEmpty_->setVisible(!any);
    btnSaveReport_->setEnabled(any);
    for (QTableWidget* table : tables_) {
        table->setRowCount(0);
    }
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
    const nodewise::BalanceTables tables = nodewise::MakeBalanceTables(network, *run);
    const double tolerance = nodewise::ConvergenceTolerance();
    if (const std::optional<nodewise::NotConverged> state =
            nodewise::LastIterateNotConverged(network, *run, tolerance)) {
        const QString point = QLocale().decimalPoint();
        lblNotConverged_->setText(QString::fromStdString(
            nodewise::NotConvergedText(method, *state, nodewise::AnalysisNumberStyle(),
                                       point.isEmpty() ? ',' : point.at(0).toLatin1())));
        lblNotConverged_->setVisible(true);
    }

    const nodewise::BalanceTable* models[] = {&tables.nodes, &tables.branches, &tables.shunts};
    for (std::size_t t = 0; t < tables_.size(); ++t) {
        FillTable(tables_[t], *models[t]);
    }
    const nodewise::NumberStyle& style = nodewise::AnalysisNumberStyle();
    lblLosses_->setText(QStringLiteral("Perdite della rete (somma delle potenze dei nodi): "
                                       "P = %1 %2, Q = %3 %4")
                            .arg(Shown(Power(tables.losses.real())),
                                 QLatin1String(nodewise::ActivePowerUnit(style)),
                                 Shown(Power(tables.losses.imag())),
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
