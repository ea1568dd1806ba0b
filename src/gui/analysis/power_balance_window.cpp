#include "gui/analysis/power_balance_window.h"

#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/analysis/analysis_report.h"
#include "core/platform/atomic_file.h"
#include "core/platform/user_port.h"
#include "core/results/results_export.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/program_windows.h"
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

// A value computed from the state; `given` marks a value the user typed (shown in italics on
// a tinted ground), whose typed figure the hint repeats.
QTableWidgetItem* ValueItem(double value, bool given = false, double givenValue = 0.0) {
    auto* item = new QTableWidgetItem(Number(value));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (given) {
        QFont font = item->font();
        font.setItalic(true);
        item->setFont(font);
        item->setBackground(GivenBackground);
        item->setToolTip(QStringLiteral("dato: ") + Number(givenValue));
    } else {
        item->setToolTip(QStringLiteral("calcolato"));
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
    layout->addLayout(methodRow);
    lblEmpty_ =
        new QLabel(QStringLiteral("Nessun metodo eseguito dall'ultima acquisizione."), this);
    lblEmpty_->setObjectName(QStringLiteral("lblEmpty"));
    layout->addWidget(lblEmpty_);

    auto* nodesLabel = new QLabel(
        QStringLiteral("Nodi all'ultima iterazione (pu, fasi in gradi; in corsivo su fondo "
                       "azzurro i valori dati):"),
        this);
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
}

void TfrmPowerBalance::showEvent(QShowEvent* event) {
    Refresh();
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

void TfrmPowerBalance::Refresh() {
    const QVariant previous = cboMethod_->currentData();
    {
        const QSignalBlocker blocker(cboMethod_);
        cboMethod_->clear();
        for (int m = 0; m < nodewise::MethodCount; ++m) {
            const auto method = static_cast<Method>(m);
            if (nodewise::HasRun(method)) {
                cboMethod_->addItem(QString::fromLatin1(nodewise::MethodTitle(method)), m);
            }
        }
        const int index = cboMethod_->findData(previous);
        cboMethod_->setCurrentIndex(index >= 0 ? index : 0);
    }
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
    if (!any) {
        return;
    }
    const auto method = static_cast<Method>(cboMethod_->currentData().toInt());
    const nodewise::PowerBalance balance = nodewise::ComputePowerBalance(method);

    nodeTable_->setRowCount(static_cast<int>(balance.nodes.size()));
    int row = 0;
    for (const nodewise::NodeBalance& node : balance.nodes) {
        const int i = node.node;
        nodeTable_->setItem(row, 0, TextItem(QString::number(i + 1)));
        nodeTable_->setItem(row, 1,
                            TextItem(QString::fromLatin1(nodewise::NodeTypeLabel(node.type))));
        nodeTable_->setItem(row, 2,
                            ValueItem(node.E, nodewise::EGiven(node.type), nodewise::EData[i]));
        nodeTable_->setItem(row, 3,
                            ValueItem(node.dDegrees, nodewise::dGiven(node.type), node.dDegrees));
        nodeTable_->setItem(row, 4,
                            ValueItem(node.P, nodewise::PGiven(node.type), nodewise::PData[i]));
        nodeTable_->setItem(row, 5,
                            ValueItem(node.Q, nodewise::QGiven(node.type), nodewise::QData[i]));
        ++row;
    }
    branchTable_->setRowCount(static_cast<int>(balance.branches.size()));
    row = 0;
    for (const nodewise::BranchFlow& flow : balance.branches) {
        branchTable_->setItem(row, 0, TextItem(QString::number(flow.from + 1)));
        branchTable_->setItem(row, 1, TextItem(QString::number(flow.to + 1)));
        const double values[6] = {flow.fromEnd.real(), flow.fromEnd.imag(), flow.toEnd.real(),
                                  flow.toEnd.imag(),   flow.loss.real(),    flow.loss.imag()};
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
                                  shunt.power.real(), shunt.power.imag()};
        for (int c = 0; c < 4; ++c) {
            shuntTable_->setItem(row, c + 1, ValueItem(values[c]));
        }
        ++row;
    }
    lblLosses_->setText(QStringLiteral("Perdite della rete (somma delle potenze dei nodi): "
                                       "P = %1 pu, Q = %2 pu")
                            .arg(Number(balance.losses.real()), Number(balance.losses.imag())));
}

void TfrmPowerBalance::btnSaveReportClick() {
    using namespace nodewise;
    Guarded([this] {
        if (cboMethod_->count() == 0) {
            return;
        }
        const auto method = static_cast<Method>(cboMethod_->currentData().toInt());
        int filterIndex = 1;
        const QString file =
            Dialogs().getSaveFileName(this, SaveReportTitle, SaveReportFilter,
                                      QStringLiteral("html"), &filterIndex, LastUsedFolder());
        if (file.isEmpty()) {
            return;
        }
        RememberUsedFile(file);
        if (filterIndex != 1 && filterIndex != 2) {
            Port().showMessage(ExportUnknownFormatText, ReportErrorCaption,
                               MessageIcon::Exclamation);
            return;
        }
        const ReportFormat format = filterIndex == 1 ? ReportFormat::Html : ReportFormat::Csv;
        const std::string contents = FormatAnalysisReport(format, method, ConvergenceTolerance());
        std::string reason;
        if (!WriteFileAtomically(QFile::encodeName(file).toStdString(), contents, &reason)) {
            Port().showDetailedMessage(format == ReportFormat::Html ? ReportHtmlErrorText
                                                                    : ReportCsvErrorText,
                                       ReportErrorCaption, MessageIcon::Exclamation, reason);
        }
    });
}
