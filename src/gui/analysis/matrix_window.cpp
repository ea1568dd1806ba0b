#include "gui/analysis/matrix_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/input/acquisition.h"
#include "core/input/entry_syntax.h"
#include "core/report/analysis_report.h"
#include "gui/shell/run_store.h"
#include "gui/style/list_numbers.h"

namespace {

const QColor UnusedBackground{QLatin1String(nodewise::UnusedTextBackground)};

QString Number(double value) {
    return nodewise::ListNumber(value, QLocale().decimalPoint());
}

// "G + jB" / "G - jB" with the user's decimal separator.
QString ComplexText(double re, double im) {
    return Number(re) + (std::signbit(im) ? QStringLiteral(" - j") : QStringLiteral(" + j")) +
           Number(std::abs(im));
}

QString CellText(const std::string& bytes) {
    const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return data.isValidUtf8() ? QString::fromUtf8(data) : QString::fromLatin1(data);
}

} // namespace

TfrmMatrix::TfrmMatrix(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmMatrix"));
    setWindowTitle(QStringLiteral("Matrice acquisita"));
    resize(760, 330);
    auto* layout = new QVBoxLayout(this);
    lblNote_ = new QLabel(this);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("MatrixTable"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(lblNote_);
    layout->addWidget(table_, 1);
}

void TfrmMatrix::showEvent(QShowEvent* event) {
    Refresh();
    QWidget::showEvent(event);
}

void TfrmMatrix::Refresh() {
    const int n = nodewise::NetworkAcquired() ? nodewise::AcquiredNetwork().ActiveNodeCount() : 0;
    table_->clear();
    table_->setRowCount(n);
    table_->setColumnCount(n);
    if (n == 0) {
        lblNote_->setText(QStringLiteral("Nessuna rete acquisita."));
        return;
    }
    QStringList labels;
    for (int i = 0; i < n; ++i) {
        labels << QString::number(i + 1);
    }
    table_->setHorizontalHeaderLabels(labels);
    table_->setVerticalHeaderLabels(labels);

    const nodewise::CellTexts& cells = nodewise::AcquiredCells();
    int marked = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            // Only the upper triangle is typed; the matrix is symmetric.
            const std::string& text = cells.Admittance[std::max(i, j)][std::min(i, j)];
            const nodewise::Complex y = nodewise::AcquiredNetwork().YComplex[i][j];
            auto* item = new QTableWidgetItem(ComplexText(y.re, y.im));
            item->setTextAlignment(Qt::AlignCenter);
            QString hint = QStringLiteral("Testo della cella: «%1»").arg(CellText(text));
            const std::string unused =
                text.empty() ? std::string() : nodewise::ReadAdmittance(text).unused;
            if (!unused.empty()) {
                item->setBackground(UnusedBackground);
                hint += QStringLiteral("\nTesto non usato: «%1»").arg(CellText(unused));
                ++marked;
            }
            item->setToolTip(hint);
            table_->setItem(i, j, item);
        }
    }
    lblNote_->setText(
        marked == 0
            ? QStringLiteral("Ammettenze nodali in pu come sono state lette. Ogni cella è stata "
                             "letta per intero.")
            : QStringLiteral("Ammettenze nodali in pu come sono state lette. Le celle evidenziate "
                             "contengono testo non usato (per esempio una J maiuscola al posto "
                             "della j): il suggerimento della cella lo mostra."));
}
