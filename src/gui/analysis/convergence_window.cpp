#include "gui/analysis/convergence_window.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QLogValueAxis>
#include <QPen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/analysis/tolerance.h"
#include "core/report/analysis_report.h"
#include "core/results/number_style.h"
#include "core/text/number_format.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"
#include "gui/style/list_numbers.h"

namespace {

using nodewise::Method;

const QColor SeriesColours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                QColor(0x2c, 0xa0, 0x2c)};

QString Number(double value) {
    return nodewise::ListNumber(value, QLocale().decimalPoint());
}

// A tolerance typed with the user's decimal separator or with a full stop; exponents allowed.
// Group separators are never read: in Italian the full stop is one, and "0.001" must not be 1.
std::optional<double> ReadTolerance(const QString& text) {
    const QString point = QLocale().decimalPoint();
    const char separator = point.size() == 1 && point.at(0).unicode() < 0x80
                               ? static_cast<char>(point.at(0).unicode())
                               : '.';
    return nodewise::ReadTolerance(text.trimmed().toStdString(), separator);
}

} // namespace

TfrmConvergence::TfrmConvergence(QWidget* parent)
    : AnalysisWindow(parent, QStringLiteral("frmConvergence"), QStringLiteral("Convergenza"),
                     QSize(780, 600)) {
    buildChart();
    buildTable();

    QVBoxLayout* layout = column_;
    layout->addWidget(chartView_, 3);
    AddEmptyLine();
    layout->addWidget(table_, 1);
    auto* toleranceRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Tolleranza (pu):"), this);
    txtTolerance_ = new QLineEdit(this);
    txtTolerance_->setObjectName(QStringLiteral("txtTolerance"));
    txtTolerance_->setToolTip(
        QStringLiteral("Un metodo converge alla prima iterazione con scarto non superiore "
                       "alla tolleranza"));
    txtTolerance_->setMaximumWidth(140);
    label->setBuddy(txtTolerance_);
    toleranceRow->addWidget(label);
    toleranceRow->addWidget(txtTolerance_);
    toleranceRow->addStretch(1);
    layout->addLayout(toleranceRow);
    connect(txtTolerance_, &QLineEdit::editingFinished, this,
            &TfrmConvergence::txtToleranceEditingFinished);
}

void TfrmConvergence::buildChart() {
    chart_ = new QChart;
    chart_->setTitle(QStringLiteral("Scarto massimo di potenza (pu) a ogni iterazione"));
    chart_->legend()->setAlignment(Qt::AlignRight);
    iterationAxis_ = new QValueAxis;
    iterationAxis_->setTitleText(QStringLiteral("iterazione"));
    iterationAxis_->setLabelFormat(QStringLiteral("%d"));
    mismatchAxis_ = new QLogValueAxis;
    mismatchAxis_->setTitleText(QStringLiteral("scarto (pu)"));
    mismatchAxis_->setBase(10.0);
    mismatchAxis_->setLabelFormat(QStringLiteral("%.0e"));
    chart_->addAxis(iterationAxis_, Qt::AlignBottom);
    chart_->addAxis(mismatchAxis_, Qt::AlignLeft);

    for (int m = 0; m < nodewise::MethodCount; ++m) {
        auto* series = new QLineSeries;
        series->setName(QString::fromLatin1(nodewise::MethodTitle(static_cast<Method>(m))));
        series->setPen(QPen(SeriesColours[m], 2));
        series_[m] = series;
        chart_->addSeries(series);
        series->attachAxis(iterationAxis_);
        series->attachAxis(mismatchAxis_);
    }
    toleranceSeries_ = new QLineSeries;
    toleranceSeries_->setName(QStringLiteral("tolleranza"));
    toleranceSeries_->setPen(QPen(Qt::gray, 1, Qt::DashLine));
    chart_->addSeries(toleranceSeries_);
    toleranceSeries_->attachAxis(iterationAxis_);
    toleranceSeries_->attachAxis(mismatchAxis_);

    chartView_ = new QChartView(chart_, this);
    chartView_->setObjectName(QStringLiteral("ChartView"));
    chartView_->setRenderHint(QPainter::Antialiasing);
}

void TfrmConvergence::buildTable() {
    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName(QStringLiteral("ConvergenceTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Metodo"), QStringLiteral("Iterazioni"),
                                       QStringLiteral("Converge a"),
                                       QStringLiteral("Scarto finale (pu)")});
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setToolTip(
        QStringLiteral("Doppio clic su un metodo: i suoi risultati all'iterazione di convergenza"));
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            &TfrmConvergence::ConvergenceTableDoubleClick);
}

void TfrmConvergence::ConvergenceTableDoubleClick(int row) {
    const QTableWidgetItem* item = table_->item(row, 0);
    if (item == nullptr) {
        return;
    }
    const auto method = static_cast<Method>(item->data(Qt::UserRole).toInt());
    const int entry = item->data(Qt::UserRole + 1).toInt();
    nodewise::Guarded([method, entry] { nodewise::ShowResultsAtEntry(method, entry); });
}

void TfrmConvergence::txtToleranceEditingFinished() {
    const std::optional<double> value = ReadTolerance(txtTolerance_->text());
    if (value) {
        nodewise::SetConvergenceTolerance(*value);
        Refresh();
        return;
    }
    // Back to the tolerance in use first, so that the box taking the focus finds nothing more
    // to complain about.
    txtTolerance_->setText(Number(nodewise::ConvergenceTolerance()));
    Refresh();
    nodewise::Guarded([] {
        nodewise::Port().showMessage(nodewise::ToleranceRuleText, nodewise::ToleranceRuleCaption,
                                     nodewise::MessageIcon::Exclamation);
    });
}

void TfrmConvergence::Refresh() {
    const std::vector<nodewise::MethodTrace> runs =
        nodewise::RunTraces(nodewise::AcquiredNetwork(), nodewise::ProgramRuns().runs());
    const double tolerance = nodewise::ConvergenceTolerance();
    if (!txtTolerance_->hasFocus()) {
        txtTolerance_->setText(Number(tolerance));
    }

    int lastIteration = 1;
    double highest = std::max(nodewise::ChartValue(tolerance), 1.0);
    bool shown[nodewise::MethodCount] = {};
    for (const nodewise::MethodTrace& run : runs) {
        const int m = static_cast<int>(run.method);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(run.trace.size()));
        for (std::size_t k = 0; k < run.trace.size(); ++k) {
            const double value = run.trace[k].mismatch;
            if (!std::isfinite(value)) {
                continue; // a log axis has no place for it
            }
            points.append(QPointF(static_cast<double>(k), nodewise::ChartValue(value)));
            highest = std::max(highest, nodewise::ChartValue(value));
        }
        series_[m]->replace(points);
        lastIteration = std::max(lastIteration, static_cast<int>(run.trace.size()) - 1);
        shown[m] = true;
    }
    for (int m = 0; m < nodewise::MethodCount; ++m) {
        if (!shown[m]) {
            series_[m]->clear();
        }
        series_[m]->setVisible(shown[m]);
        for (QLegendMarker* marker : chart_->legend()->markers(series_[m])) {
            marker->setVisible(shown[m]);
        }
    }
    toleranceSeries_->replace(
        {QPointF(0.0, nodewise::ChartValue(tolerance)),
         QPointF(static_cast<double>(lastIteration), nodewise::ChartValue(tolerance))});
    iterationAxis_->setRange(0, lastIteration);
    iterationAxis_->setTickCount(std::min(lastIteration, 10) + 1);
    // A label per decade would crowd the axis: the same decades as the report's chart.
    const nodewise::ChartDecades decades = nodewise::ChartDecadesFor(highest);
    mismatchAxis_->setBase(std::pow(10.0, decades.step));
    mismatchAxis_->setRange(std::pow(10.0, decades.bottom), std::pow(10.0, decades.top));
    lblEmpty_->setVisible(runs.empty());
    fillTable(runs, tolerance);
}

void TfrmConvergence::fillTable(const std::vector<nodewise::MethodTrace>& runs, double tolerance) {
    const nodewise::NumberStyle& style = nodewise::AnalysisNumberStyle();
    table_->setHorizontalHeaderItem(
        3,
        new QTableWidgetItem(
            QStringLiteral("Scarto finale (%1)").arg(QLatin1String(nodewise::PowerUnits(style)))));
    table_->setRowCount(static_cast<int>(runs.size()));
    int row = 0;
    for (const nodewise::MethodTrace& run : runs) {
        const nodewise::ConvergenceSummary summary = nodewise::Summarize(run, tolerance);
        const double finalMismatch = nodewise::ShownPower(style, summary.finalMismatch);
        const QString texts[4] = {
            QString::fromLatin1(nodewise::MethodTitle(run.method)),
            QString::number(summary.iterations),
            summary.convergedAt ? QString::number(*summary.convergedAt)
                                : QStringLiteral("non converge"),
            QString::fromStdString(nodewise::FormatSignificant(
                finalMismatch, style.digits, QString(QLocale().decimalPoint()).toStdString()))};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, c, item);
        }
        table_->item(row, 3)->setToolTip(Number(finalMismatch));
        // A double click shows the method's results where it converged, or at its last entry.
        table_->item(row, 0)->setData(Qt::UserRole, static_cast<int>(run.method));
        table_->item(row, 0)->setData(Qt::UserRole + 1,
                                      summary.convergedAt.value_or(summary.iterations));
        ++row;
    }
}
