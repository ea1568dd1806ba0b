#include "gui/input/line_data_window.h"

#include <QByteArray>
#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/interop/matpower_export.h"
#include "core/interop/matpower_import.h"
#include "core/platform/atomic_file.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"

using nodewise::BranchColumnCount;
using nodewise::ShuntColumnCount;

namespace {

const QString Title = QStringLiteral("Dati di linea");
const QString CaseFileFilter = QStringLiteral("caso MATPOWER|*.m");
const QColor BadCellBackground(0xff, 0xc8, 0xc8);
constexpr int MinColumnWidth = 90;
constexpr int MaxColumnWidth = 180;
constexpr int ShuntColumnWidth = 150;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    const QByteArray data = text.toUtf8();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

std::string LocalPath(const QString& path) {
    const QByteArray data = QFile::encodeName(path);
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// A problem with what was typed: caption "Attenzione:", as the grid's input warnings.
void Warn(const std::string& text) {
    nodewise::Port().showMessage(text, nodewise::InputWarningCaption,
                                 nodewise::MessageIcon::Exclamation);
}

// A case that cannot be read or written: as the MATPOWER import and export say it.
void Refuse(const std::string& text) {
    nodewise::Port().showMessage(text, nodewise::MatpowerErrorCaption, nodewise::MessageIcon::Stop);
}

std::vector<std::vector<std::string>> Rows(const QTableWidget* table) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem* item = table->item(r, c);
            row.push_back(item == nullptr ? std::string() : ToUtf8(item->text()));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void Fill(QTableWidget* table, const std::vector<std::vector<std::string>>& rows) {
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            const auto& row = rows[static_cast<std::size_t>(r)];
            const auto column = static_cast<std::size_t>(c);
            table->setItem(
                r, c,
                new QTableWidgetItem(column < row.size() ? FromUtf8(row[column]) : QString()));
        }
    }
}

bool HasText(const QTableWidget* table) {
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem* item = table->item(r, c);
            if (item != nullptr && !item->text().trimmed().isEmpty()) {
                return true;
            }
        }
    }
    return false;
}

// The editor of a cell reports what is wrong with its text at every key, before the text reaches
// the cell.
class CheckingDelegate final : public QStyledItemDelegate {
public:
    using Check = std::function<std::optional<std::string>(int row, int column, const QString&)>;
    using Report = std::function<void(const QString&)>;

    CheckingDelegate(Check check, Report report, QObject* parent)
        : QStyledItemDelegate(parent), check_(std::move(check)), report_(std::move(report)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const int row = index.row();
            const int column = index.column();
            connect(
                line, &QLineEdit::textEdited, line, [this, line, row, column](const QString& text) {
                    const std::optional<std::string> bad = check_(row, column, text);
                    line->setStyleSheet(bad ? QStringLiteral("background: #ffc8c8") : QString());
                    report_(bad ? FromUtf8(*bad) : QString());
                });
        }
        return editor;
    }

private:
    Check check_;
    Report report_;
};

// A table typed into as a spreadsheet: a key on a cell starts editing it with that key, at
// once; Tab on the last cell goes on into a new row.
class LineTableWidget final : public QTableWidget {
public:
    LineTableWidget(int columns, std::function<void(QTableWidget*)> appendRow, QWidget* parent)
        : QTableWidget(0, columns, parent), appendRow_(std::move(appendRow)) {}

    // Typing never searches the cells for the typed text: that would move the current cell to
    // another row, which the editor then opens on.
    void keyboardSearch(const QString&) override {}

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = currentIndex();
        if (action == MoveNext && current.isValid() && current.row() == rowCount() - 1 &&
            current.column() == columnCount() - 1) {
            appendRow_(this);
            return model()->index(rowCount() - 1, 0);
        }
        return QTableWidget::moveCursor(action, modifiers);
    }

private:
    std::function<void(QTableWidget*)> appendRow_;
};

bool SameMatrix(const nodewise::CellTexts& a, const nodewise::CellTexts& b) {
    for (int c = 0; c < nodewise::MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            if (a.Admittance[c][r] != b.Admittance[c][r]) {
                return false;
            }
        }
    }
    return true;
}

bool MatrixTyped(const nodewise::CellTexts& cells) {
    return !SameMatrix(cells, nodewise::CellTexts());
}

} // namespace

TfrmLineData::TfrmLineData(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmLineData"));
    setWindowTitle(Title);
    createTables();
    createUnitControls();
    createButtons();
    layOut();
    setHeaders();
    tblBranches->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
    for (int c = 0; c < BranchColumnCount; ++c) {
        tblBranches->setColumnWidth(c, std::max(tblBranches->columnWidth(c), MinColumnWidth));
    }
    for (int c = 0; c < ShuntColumnCount; ++c) {
        tblShunts->setColumnWidth(c, ShuntColumnWidth);
    }
    addRow(tblBranches);
    addRow(tblShunts);
    for (QTableWidget* table : {tblBranches, tblShunts}) {
        table->clearSelection(); // an empty row waits for its data, not for a command
    }
    resize(660, 560);
    watchEdits();
}

// What the user changes here is part of the network the main window may ask to save.
void TfrmLineData::watchEdits() {
    auto edited = [this] {
        if (!filling_) {
            emit LineDataEdited();
        }
    };
    for (QTableWidget* table : {tblBranches, tblShunts}) {
        connect(table, &QTableWidget::itemChanged, this, edited);
        connect(table->model(), &QAbstractItemModel::rowsRemoved, this, edited);
    }
    connect(chbPhysicalUnits, &QCheckBox::clicked, this, edited);
    for (QLineEdit* box : {txtBaseKV, txtBaseMVA}) {
        connect(box, &QLineEdit::textEdited, this, edited);
    }
}

QPushButton* TfrmLineData::button(const char* name, const char* text, const char* tip,
                                  void (TfrmLineData::*handler)()) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QString::fromUtf8(tip));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
    return b;
}

void TfrmLineData::createTables() {
    auto table = [this](const char* name, int columns) {
        QTableWidget* t = new LineTableWidget(
            columns, [this](QTableWidget* target) { addRow(target); }, this);
        t->setObjectName(QLatin1String(name));
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        // Typing on a cell starts editing it, as in a spreadsheet. A click on the selected cell
        // does not: Qt opens that editor only after the double-click interval, and a key typed
        // before it would be lost.
        t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
        // Columns as wide as their numbers (a value from the matrix has up to 17 digits), the
        // last one taking what is left.
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        t->horizontalHeader()->setStretchLastSection(true);
        t->horizontalHeader()->setMinimumSectionSize(60);
        t->setTextElideMode(Qt::ElideNone);
        t->verticalHeader()->setDefaultSectionSize(22);
        connect(t, &QTableWidget::itemChanged, this, [this] { CheckCells(); });
        t->setItemDelegate(new CheckingDelegate(
            [this, t](int row, int column, const QString& text) {
                return cellProblem(t, row, column, text);
            },
            [this](const QString& message) { lblMessage->setText(message); }, t));
        return t;
    };
    tblBranches = table("tblBranches", BranchColumnCount);
    tblShunts = table("tblShunts", ShuntColumnCount);
    lblBranches = new QLabel(QStringLiteral("Rami (da, a: numeri dei nodi; rapporto spire "
                                            "dal lato del nodo da, vuoto: 1)"),
                             this);
    lblShunts = new QLabel(QStringLiteral("Derivazioni verso terra ai nodi"), this);

    btnAddBranch =
        button("btnAddBranch", "Aggiungi ramo", "Una riga in fondo alla tabella dei rami",
               &TfrmLineData::btnAddBranchClick);
    btnRemoveBranch = button("btnRemoveBranch", "Togli ramo", "Toglie le righe scelte (o l'ultima)",
                             &TfrmLineData::btnRemoveBranchClick);
    btnAddShunt =
        button("btnAddShunt", "Aggiungi derivazione",
               "Una riga in fondo alla tabella delle derivazioni", &TfrmLineData::btnAddShuntClick);
    btnRemoveShunt =
        button("btnRemoveShunt", "Togli derivazione", "Toglie le righe scelte (o l'ultima)",
               &TfrmLineData::btnRemoveShuntClick);
}

void TfrmLineData::createUnitControls() {
    chbPhysicalUnits = new QCheckBox(
        QStringLiteral("R e X in ohm, B e G in \u00b5S (convertiti con le basi)"), this);
    chbPhysicalUnits->setObjectName(QStringLiteral("chbPhysicalUnits"));
    connect(chbPhysicalUnits, &QCheckBox::toggled, this, &TfrmLineData::chbPhysicalUnitsClick);
    lblBaseKV = new QLabel(QStringLiteral("Tensione base (kV)"), this);
    lblBaseMVA = new QLabel(QStringLiteral("Potenza base (MVA)"), this);
    txtBaseKV = new QLineEdit(this);
    txtBaseKV->setObjectName(QStringLiteral("txtBaseKV"));
    txtBaseMVA = new QLineEdit(QStringLiteral("100"), this);
    txtBaseMVA->setObjectName(QStringLiteral("txtBaseMVA"));
    for (QLineEdit* box : {txtBaseKV, txtBaseMVA}) {
        box->setMaximumWidth(90);
        box->setEnabled(false);
    }
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    QPalette palette = lblMessage->palette();
    palette.setColor(QPalette::WindowText, QColor(0xb0, 0, 0));
    lblMessage->setPalette(palette);
}

void TfrmLineData::createButtons() {
    btnCompute =
        button("btnCompute", "Calcola matrice", "Scrive la matrice delle ammettenze nella griglia",
               &TfrmLineData::btnComputeClick);
    btnFromCells =
        button("btnFromCells", "Dalle celle", "Rami e derivazioni dalla matrice acquisita",
               &TfrmLineData::btnFromCellsClick);
    btnOpen = button("btnOpen", "Apri", "Legge rami e derivazioni da un caso MATPOWER (.m)",
                     &TfrmLineData::btnOpenClick);
    btnSave =
        button("btnSave", "Salva", "Salva rami, derivazioni e dati dei nodi come caso MATPOWER",
               &TfrmLineData::btnSaveClick);
    btnClose = new QPushButton(QStringLiteral("Chiudi"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmLineData::layOut() {
    auto* layout = new QVBoxLayout(this);
    auto rowOf = [](std::initializer_list<QWidget*> widgets) {
        auto* row = new QHBoxLayout;
        for (QWidget* w : widgets) {
            row->addWidget(w);
        }
        row->addStretch(1);
        return row;
    };
    layout->addWidget(lblBranches);
    layout->addWidget(tblBranches, 3);
    layout->addLayout(rowOf({btnAddBranch, btnRemoveBranch}));
    layout->addWidget(lblShunts);
    layout->addWidget(tblShunts, 2);
    layout->addLayout(rowOf({btnAddShunt, btnRemoveShunt}));
    layout->addWidget(chbPhysicalUnits);
    layout->addLayout(rowOf({lblBaseKV, txtBaseKV, lblBaseMVA, txtBaseMVA}));
    layout->addWidget(lblMessage);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnCompute, btnFromCells, btnOpen, btnSave}) {
        commands->addWidget(b);
    }
    commands->addStretch(1);
    commands->addWidget(btnClose);
    layout->addLayout(commands);
}

// The unit of every column follows the check box.
void TfrmLineData::setHeaders() {
    const bool physical = chbPhysicalUnits->isChecked();
    const QString impedance = physical ? QStringLiteral("[\u03a9]") : QStringLiteral("[pu]");
    const QString admittance = physical ? QStringLiteral("[\u00b5S]") : QStringLiteral("[pu]");
    tblBranches->setHorizontalHeaderLabels(
        {QStringLiteral("da"), QStringLiteral("a"), QStringLiteral("R ") + impedance,
         QStringLiteral("X ") + impedance, QStringLiteral("B totale ") + admittance,
         QStringLiteral("rapporto spire")});
    tblShunts->setHorizontalHeaderLabels({QStringLiteral("nodo"), QStringLiteral("G ") + admittance,
                                          QStringLiteral("B ") + admittance});
}

nodewise::LineTable TfrmLineData::Table() const {
    return {Rows(tblBranches), Rows(tblShunts)};
}

std::optional<nodewise::LineData> TfrmLineData::readLineData() {
    nodewise::LineData lineData;
    if (const std::optional<std::string> bad =
            nodewise::ReadLineTable(Table(), Units(), lineData)) {
        Warn(*bad);
        return std::nullopt;
    }
    return lineData;
}

nodewise::LineUnits TfrmLineData::Units() const {
    return {chbPhysicalUnits->isChecked(), ToUtf8(txtBaseKV->text()), ToUtf8(txtBaseMVA->text())};
}

bool TfrmLineData::ShowLineData(const nodewise::LineData& lineData) {
    nodewise::LineTable table;
    if (const std::optional<std::string> refusal = nodewise::FormatLineTable(lineData, table)) {
        Warn(*refusal);
        return false;
    }
    ShowTypedLineData(table, {}); // per unit
    return true;
}

void TfrmLineData::ShowTypedLineData(const nodewise::LineTable& table,
                                     const nodewise::LineUnits& units) {
    filling_ = true;
    chbPhysicalUnits->setChecked(units.physical);
    txtBaseKV->setText(FromUtf8(units.baseKV));
    txtBaseMVA->setText(FromUtf8(units.baseMVA));
    Fill(tblBranches, table.branches);
    Fill(tblShunts, table.shunts);
    for (QTableWidget* t : {tblBranches, tblShunts}) {
        // As wide as the numbers, but never narrower than a header nor so wide that one long
        // number pushes the others out of sight.
        t->resizeColumnsToContents();
        for (int c = 0; c < t->columnCount(); ++c) {
            const int least = t == tblShunts ? ShuntColumnWidth : MinColumnWidth;
            t->setColumnWidth(c, std::clamp(t->columnWidth(c), least, MaxColumnWidth));
        }
    }
    filling_ = false;
    CheckCells();
}

void TfrmLineData::addRow(QTableWidget* table) {
    filling_ = true;
    const int row = table->rowCount();
    table->insertRow(row);
    for (int c = 0; c < table->columnCount(); ++c) {
        table->setItem(row, c, new QTableWidgetItem);
    }
    filling_ = false;
    table->setCurrentCell(row, 0);
}

void TfrmLineData::removeRows(QTableWidget* table) {
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    if (rows.isEmpty() && table->rowCount() > 0) {
        rows.append(table->rowCount() - 1);
    }
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) {
        table->removeRow(row);
    }
    CheckCells(); // the rows below moved up: their messages name other rows now
}

void TfrmLineData::btnAddBranchClick() {
    addRow(tblBranches);
    tblBranches->setFocus(); // typing goes into the new row
}

void TfrmLineData::btnRemoveBranchClick() {
    removeRows(tblBranches);
}

void TfrmLineData::btnAddShuntClick() {
    addRow(tblShunts);
    tblShunts->setFocus(); // typing goes into the new row
}

void TfrmLineData::btnRemoveShuntClick() {
    removeRows(tblShunts);
}

void TfrmLineData::chbPhysicalUnitsClick() {
    const bool physical = chbPhysicalUnits->isChecked();
    txtBaseKV->setEnabled(physical);
    txtBaseMVA->setEnabled(physical);
    setHeaders();
}

std::optional<std::string> TfrmLineData::cellProblem(const QTableWidget* table, int row, int column,
                                                     const QString& text) const {
    // A row with nothing in it is no branch and no shunt: nothing to say about its cells.
    bool emptyRow = text.trimmed().isEmpty();
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem* item = table->item(row, c);
        emptyRow = emptyRow && (c == column || item == nullptr || item->text().trimmed().isEmpty());
    }
    if (emptyRow) {
        return std::nullopt;
    }
    return table == tblBranches ? nodewise::CheckBranchCell(row, column, ToUtf8(text))
                                : nodewise::CheckShuntCell(row, column, ToUtf8(text));
}

void TfrmLineData::CheckCells() {
    if (filling_) {
        return;
    }
    filling_ = true; // colouring a cell changes its item: not a reason to check again
    QString first;
    for (QTableWidget* table : {tblBranches, tblShunts}) {
        for (int r = 0; r < table->rowCount(); ++r) {
            for (int c = 0; c < table->columnCount(); ++c) {
                QTableWidgetItem* item = table->item(r, c);
                if (item == nullptr) {
                    continue;
                }
                const std::optional<std::string> bad = cellProblem(table, r, c, item->text());
                item->setBackground(bad ? QBrush(BadCellBackground) : QBrush());
                item->setToolTip(bad ? FromUtf8(*bad) : QString());
                if (bad && first.isEmpty()) {
                    first = FromUtf8(*bad);
                }
            }
        }
    }
    lblMessage->setText(first);
    filling_ = false;
}

bool TfrmLineData::MayReplaceTables() {
    if (!HasText(tblBranches) && !HasText(tblShunts)) {
        return true;
    }
    return nodewise::Dialogs().askYesNo(
        this, Title,
        QStringLiteral("Le tabelle dei rami e delle derivazioni contengono dei dati: "
                       "sostituirli?"));
}

void TfrmLineData::btnComputeClick() {
    nodewise::Guarded([this] {
        const std::optional<nodewise::LineData> read = readLineData();
        if (!read) {
            return;
        }
        const nodewise::LineData& lineData = *read;
        nodewise::NodalNetwork network;
        nodewise::BuildAdmittanceMatrix(lineData, network);
        nodewise::CellTexts cells;
        if (const std::optional<std::string> bad = nodewise::MatrixToCells(network, cells)) {
            Warn(*bad);
            return;
        }
        if (MatrixTyped(nodewise::GridCells()) &&
            !nodewise::Dialogs().askYesNo(
                this, Title,
                QStringLiteral("La griglia contiene gi\u00e0 una matrice delle "
                               "ammettenze: sostituirla con quella calcolata dai dati "
                               "di linea? I dati dei nodi (E, \u03b4, P, Q) restano "
                               "come sono."))) {
            return;
        }
        nodewise::WriteGridAdmittance(cells);
    });
}

void TfrmLineData::btnFromCellsClick() {
    nodewise::Guarded([this] {
        // The matrix the cells hold now, read as an acquisition would read it; the iteration
        // count, the runs and the other windows stay as they are.
        nodewise::NodalNetwork network;
        if (const std::optional<std::string> bad =
                nodewise::MatrixFromCells(nodewise::GridCells(), network)) {
            Warn(*bad);
            return;
        }
        const nodewise::LineData lineData = nodewise::LineDataFromMatrix(network);
        nodewise::LineTable table;
        if (const std::optional<std::string> refusal = nodewise::FormatLineTable(lineData, table)) {
            Warn(*refusal);
            return;
        }
        if (MayReplaceTables()) {
            ShowLineData(lineData);
        }
    });
}

void TfrmLineData::btnOpenClick() {
    const QString file = nodewise::Dialogs().getOpenFileName(
        this, QStringLiteral("Apri i dati di linea da un caso MATPOWER"), CaseFileFilter,
        nodewise::LastUsedFolder());
    if (file.isEmpty()) {
        return;
    }
    nodewise::RememberUsedFile(file);
    nodewise::Guarded([this, &file] {
        std::string text;
        if (!nodewise::ReadFileHead(LocalPath(file), text, std::numeric_limits<std::size_t>::max(),
                                    nodewise::MaxCaseFileBytes)) {
            nodewise::Port().showMessage(nodewise::NetworkLoadErrorText,
                                         nodewise::NetworkFileErrorCaption,
                                         nodewise::MessageIcon::Stop);
            return;
        }
        nodewise::MatpowerCase matpowerCase;
        nodewise::LineData lineData;
        std::optional<std::string> refusal = nodewise::ReadMatpowerCase(text, matpowerCase);
        if (!refusal) {
            refusal = nodewise::CaseToLineData(matpowerCase, lineData);
        }
        nodewise::LineTable table;
        if (!refusal) {
            refusal = nodewise::FormatLineTable(lineData, table);
        }
        if (refusal) {
            Refuse(*refusal);
            return;
        }
        if (MayReplaceTables()) {
            ShowLineData(lineData);
        }
    });
}

void TfrmLineData::btnSaveClick() {
    nodewise::Guarded([this] {
        const std::optional<nodewise::LineData> read = readLineData();
        if (!read) {
            return;
        }
        const nodewise::LineData& lineData = *read;
        nodewise::NodalNetwork nodes;
        nodes.nodeCount = nodewise::LineDataNodeCount(lineData);
        if (const std::optional<std::string> bad =
                nodewise::NodeDataFromCells(nodewise::GridCells(), nodes)) {
            Warn(*bad);
            return;
        }
        // Checked before a file is chosen: a network the format cannot carry is said at once.
        std::string contents;
        if (const std::optional<std::string> refusal = nodewise::FormatLineDataCase(
                nodes, lineData, {"caso", "Nodewise", std::time(nullptr)}, contents)) {
            Refuse(*refusal);
            return;
        }
        int filterIndex = 1;
        const QString file = nodewise::Dialogs().getSaveFileName(
            this, QStringLiteral("Salva i dati di linea come caso MATPOWER"), CaseFileFilter,
            QStringLiteral("m"), &filterIndex, nodewise::LastUsedFolder());
        if (file.isEmpty()) {
            return;
        }
        nodewise::RememberUsedFile(file);
        const std::string path = LocalPath(file);
        const nodewise::CaseOrigin origin{nodewise::CaseNameFromPath(path), "Nodewise",
                                          std::time(nullptr)};
        // The same network as checked above, with the file's name: it cannot be refused now.
        if (const std::optional<std::string> refusal =
                nodewise::FormatLineDataCase(nodes, lineData, origin, contents)) {
            Refuse(*refusal);
            return;
        }
        std::string reason;
        if (!nodewise::WriteFileAtomically(path, contents, &reason)) {
            nodewise::Port().showDetailedMessage(nodewise::NetworkSaveErrorText,
                                                 nodewise::NetworkFileErrorCaption,
                                                 nodewise::MessageIcon::Stop, reason);
        }
    });
}
