#include "gui/results/results_window.h"

#include <QAbstractTableModel>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <string>

#include "core/results/results_export.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/program_port.h"
#include "gui/shell/run_store.h"
#include "gui/style/fonts.h"
#include "gui/style/list_numbers.h"

namespace nodewise {

// The history list over the window's own copies: entry by entry, one row per node and then
// three blank rows. Texts are made only for the rows the view asks for.
class HistoryListModel final : public QAbstractTableModel {
public:
    HistoryListModel(const TfrmDataOut* window, QObject* parent)
        : QAbstractTableModel(parent), window_(window) {}

    void fill(int lastEntry, int nodes, const QString& decimalPoint) {
        beginResetModel();
        entries_ = lastEntry + 1;
        nodes_ = nodes;
        decimalPoint_ = decimalPoint;
        endResetModel();
    }
    void clear() {
        beginResetModel();
        entries_ = 0;
        nodes_ = 0;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : entries_ * (nodes_ + BlankRows);
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 4;
    }
    int entryCount() const { return entries_; }

    QString text(int row, int column) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= 4) {
            return {};
        }
        const int entry = row / (nodes_ + BlankRows);
        const int node = row % (nodes_ + BlankRows);
        if (node >= nodes_) {
            return {};
        }
        switch (column) {
        case 0:
            return QString::number(entry);
        case 1:
            return QString::number(node + 1);
        case 2:
            return ListNumber(window_->EResults[node][entry], decimalPoint_);
        default:
            return ListNumber(window_->dResults[node][entry], decimalPoint_);
        }
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) {
            return {};
        }
        // The whole number also as a tooltip, for a font that does not fit it in its column.
        if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() >= 2)) {
            return text(index.row(), index.column());
        }
        if (role == Qt::TextAlignmentRole) {
            return Alignment(index.column());
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= 4) {
            return {};
        }
        static const char* const headings[4] = {"Iteraz.", "Nodo", "E", "d (gradi)"};
        if (role == Qt::DisplayRole) {
            return QString::fromLatin1(headings[section]);
        }
        if (role == Qt::TextAlignmentRole) {
            return Alignment(section);
        }
        return {};
    }

private:
    static constexpr int BlankRows = 3;

    static QVariant Alignment(int column) {
        return QVariant::fromValue(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                               : Qt::AlignHCenter | Qt::AlignVCenter);
    }

    const TfrmDataOut* window_;
    int entries_ = 0;
    int nodes_ = 0;
    QString decimalPoint_ = QStringLiteral(".");
};

void ResetResults(TfrmDataOut* window) {
    for (int j = 0; j < MaxNodes; ++j) {
        std::fill(std::begin(window->EResults[j]), std::end(window->EResults[j]), 0.0);
        std::fill(std::begin(window->dResults[j]), std::end(window->dResults[j]), 0.0);
    }
    window->ClearList();
}

} // namespace nodewise

TfrmDataOut::TfrmDataOut(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_AlwaysShowToolTips); // hints show also when another window is active
    setFixedSize(350, 400);
    nodewise::UseListFont(this);

    createList();
    createButtons();
}

// The history list, hidden until a run fills it.
void TfrmDataOut::createList() {
    model_ = new nodewise::HistoryListModel(this, this);
    ListView = new QTreeView(this);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setGeometry(5, 8, 340, 350);
    ListView->setRootIsDecorated(false);
    ListView->setItemsExpandable(false);
    ListView->setUniformRowHeights(true); // lets the view lay out 10,000 rows without asking
    ListView->setAllColumnsShowFocus(true);
    ListView->setModel(model_);
    QHeaderView* header = ListView->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    const int widths[4] = {41, 38, 120, 120};
    for (int c = 0; c < 4; ++c) {
        header->resizeSection(c, widths[c]);
    }
    ListView->setVisible(false);
}

void TfrmDataOut::createButtons() {
    cmdSalva = new QPushButton(QStringLiteral("Salva Risultati"), this);
    cmdSalva->setObjectName(QStringLiteral("cmdSalva"));
    cmdSalva->setGeometry(7, 368, 140, 25);
    btnClose = new QPushButton(QStringLiteral("Chiudi"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(205, 368, 140, 25);

    connect(cmdSalva, &QPushButton::clicked, this, &TfrmDataOut::cmdSalvaClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmDataOut::btnCloseClick);
}

TfrmDataOut::~TfrmDataOut() = default;

void TfrmDataOut::FillList(int lastEntry, int nodes) {
    lastEntry = std::clamp(lastEntry, 0, nodewise::MaxIterations - 1);
    nodes = std::clamp(nodes, 0, nodewise::MaxNodes);
    model_->fill(lastEntry, nodes, QLocale().decimalPoint());
    ListView->scrollToTop(); // a new history is read from its start, as after a clear
    ListView->setVisible(true);
}

void TfrmDataOut::ClearList() {
    ListView->setVisible(false);
    model_->clear();
}

int TfrmDataOut::ListRowCount() const {
    return model_->rowCount();
}

QString TfrmDataOut::ListText(int row, int column) const {
    return model_->text(row, column);
}

int TfrmDataOut::ShowEntry(int entry) {
    const int rows = model_->rowCount();
    const int entries = model_->entryCount();
    if (rows == 0 || entries == 0) {
        return -1;
    }
    const int row = std::clamp(entry, 0, entries - 1) * (rows / entries);
    const QModelIndex index = model_->index(row, 0);
    ListView->setCurrentIndex(index);
    ListView->scrollTo(index, QAbstractItemView::PositionAtTop);
    return row;
}

int TfrmDataOut::CurrentListRow() const {
    const QModelIndex index = ListView->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void TfrmDataOut::btnCloseClick() {
    close();
}

void TfrmDataOut::cmdSalvaClick() {
    using namespace nodewise;
    Guarded([this] {
        const auto format = [](bool csv) { return csv ? ExportFormat::Csv : ExportFormat::Html; };
        SaveInTwoKinds(
            this, {QString::fromLatin1(SaveResultsTitle), QString::fromLatin1(SaveResultsFilter),
                   QStringLiteral("csv"), ExportErrorCaption,
                   [this, format](bool csv) {
                       return FormatResults(
                           format(csv), windowTitle().toUtf8().toStdString(), EResults, dResults,
                           CopiedLastEntry.value_or(AcquiredNetwork().LastHistoryEntry()),
                           AcquiredNetwork().ActiveNodeCount());
                   },
                   [format](bool csv) { return ExportErrorText(format(csv)); }});
    });
}
