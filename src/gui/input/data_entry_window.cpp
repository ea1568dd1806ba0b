#include "gui/input/data_entry_window.h"

#include <QAction>
#include <QByteArray>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "core/input/acquisition.h"
#include "core/input/cell_notes.h"
#include "core/input/help_texts.h"
#include "core/input/islands.h"
#include "core/input/network_file.h"
#include "core/interop/file_sections.h"
#include "core/model/version.h"
#include "core/platform/user_port.h"
#include "gui/input/cell_marks.h"
#include "gui/input/cell_undo.h"
#include "gui/input/matpower_items.h"
#include "gui/shell/acquisition_questions.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/file_dialogs.h"
#include "gui/shell/help_document.h"
#include "gui/shell/program_port.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"
#include "gui/style/fonts.h"
#include "gui/style/icons.h"

using nodewise::CellTexts;
using nodewise::DataColumns;
using nodewise::MaxNodes;
using nodewise::SansFont;
using nodewise::SerifFont;

std::function<bool(const QUrl&)>& TfrmDataIn::OpenDocument = nodewise::DocumentOpener;

namespace {

constexpr int ClientWidth = 757;
constexpr int ClientHeight = 266;

const QString NetworkFileFilter = QStringLiteral("flow data|*.nwd");
const QString ProgramTitle =
    QStringLiteral("Nodewise  ") + QString::fromUtf8(nodewise::VersionText);

bool SameCells(const CellTexts& a, const CellTexts& b) {
    for (int line = 0; line < nodewise::CellCount; ++line) {
        if (nodewise::CellInFileOrder(a, line) != nodewise::CellInFileOrder(b, line)) {
            return false;
        }
    }
    return true;
}

bool SameOptions(const nodewise::CalculationOptions& a, const nodewise::CalculationOptions& b) {
    if (a.stopTolerance != b.stopTolerance || a.acceleration != b.acceleration) {
        return false;
    }
    for (int node = 0; node < MaxNodes; ++node) {
        const nodewise::ReactiveLimits& x = a.reactiveLimits[node];
        const nodewise::ReactiveLimits& y = b.reactiveLimits[node];
        if (x.qmin != y.qmin || x.qmax != y.qmax) {
            return false;
        }
    }
    return true;
}

// The tooltip of a hint written as "short|long": the part before the bar.
QString ShortHint(const QString& hint) {
    return hint.section(QLatin1Char('|'), 0, 0);
}

QString FromCellBytes(const std::string& bytes) {
    // A text that is valid UTF-8 is read as such; anything else (a file written by an older
    // program in a single-byte code page) as Latin-1. A NUL cannot live in an edit box and is
    // dropped.
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    data.replace('\0', QByteArray());
    return data.isValidUtf8() ? QString::fromUtf8(data) : QString::fromLatin1(data);
}

std::string ToCellBytes(const QString& text) {
    const QByteArray data = text.toUtf8();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

std::string LocalPath(const QString& path) {
    const QByteArray data = QFile::encodeName(path);
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// Tool-button pictures without a standard counterpart, drawn on a 16 x 16 canvas.
enum class Glyph { Cut, Copy, Paste, Help, Lines };

QIcon DrawnIcon(Glyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    switch (glyph) {
    case Glyph::Cut: // scissors
        painter.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10.5));
        painter.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(4, 12.5), 2.5, 2.5);
        painter.drawEllipse(QPointF(12, 12.5), 2.5, 2.5);
        break;
    case Glyph::Copy: // two sheets
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(1.5, 1.5, 8, 10));
        painter.drawRect(QRectF(6.5, 4.5, 8, 10));
        painter.drawLine(QPointF(8.5, 7.5), QPointF(12.5, 7.5));
        painter.drawLine(QPointF(8.5, 10.5), QPointF(12.5, 10.5));
        break;
    case Glyph::Help: { // a question mark on a blue disc
        painter.setBrush(QColor(40, 90, 200));
        painter.drawEllipse(QPointF(8, 8), 7, 7);
        QFont font = painter.font();
        font.setPixelSize(12);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Glyph::Lines: // two bus bars joined by a line and a small matrix beside them
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(QPointF(2, 3), QPointF(2, 9));
        painter.drawLine(QPointF(8, 3), QPointF(8, 9));
        painter.setPen(QPen(QColor(40, 90, 200), 1));
        painter.drawLine(QPointF(2, 6), QPointF(8, 6));
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(8.5, 8.5, 6, 6));
        painter.drawLine(QPointF(8.5, 11.5), QPointF(14.5, 11.5));
        painter.drawLine(QPointF(11.5, 8.5), QPointF(11.5, 14.5));
        break;
    case Glyph::Paste: // a clipboard with a sheet
        painter.setBrush(QColor(190, 140, 60));
        painter.drawRect(QRectF(2.5, 2.5, 9, 12));
        painter.setBrush(Qt::gray);
        painter.drawRect(QRectF(5.5, 1.5, 3, 2));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(7.5, 6.5, 7, 8));
        break;
    }
    return QIcon(pixmap);
}

} // namespace

TfrmDataIn::TfrmDataIn(QWidget* parent) : QMainWindow(parent) {
    setAttribute(Qt::WA_AlwaysShowToolTips); // hints show also when another window is active
    setWindowTitle(ProgramTitle + QStringLiteral("[*]")); // the mark of a changed network
    setWindowIcon(nodewise::NetworkIcon());
    setFont(SansFont(11));

    // The order of creation is the order in which the controls stack and enter the focus chain.
    createClientArea();
    createMenus();
    createToolBar();
    createHeadings();
    createAcquisitionControls();
    createGrid();
    createTabOrder();
    nameControls();
    createGuidance();
    createStudyItems();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(10, 21);
}

TfrmDataIn::~TfrmDataIn() = default;

// The study of the network and its runs, printed or as a PDF, in the File menu before "Esci".
void TfrmDataIn::createStudyItems() {
    FilePrintItem = new QAction(QStringLiteral("S&tampa..."), this);
    FilePrintItem->setObjectName(QStringLiteral("FilePrintItem"));
    FilePrintItem->setStatusTip(
        QStringLiteral("Stampa lo studio della rete e dei metodi eseguiti"));
    FilePrintItem->setShortcut(QKeySequence::Print);
    FileExportPdfItem = new QAction(QStringLiteral("Esporta &PDF..."), this);
    FileExportPdfItem->setObjectName(QStringLiteral("FileExportPdfItem"));
    FileExportPdfItem->setStatusTip(QStringLiteral("Salva lo studio della rete come file PDF"));
    FileMenu->insertAction(FileExitItem, FilePrintItem);
    FileMenu->insertAction(FileExitItem, FileExportPdfItem);
    FileMenu->insertSeparator(FileExitItem);
    connect(FilePrintItem, &QAction::triggered, this,
            [] { nodewise::Guarded(nodewise::PrintStudy); });
    connect(FileExportPdfItem, &QAction::triggered, this,
            [] { nodewise::Guarded(nodewise::ExportStudyPdf); });
}

// Shortcut keys, the undo of whole-grid commands and the marks on cells not read whole.
void TfrmDataIn::createGuidance() {
    FileNewItem = new QAction(QStringLiteral("&Nuovo"), this);
    FileNewItem->setObjectName(QStringLiteral("FileNewItem"));
    FileNewItem->setStatusTip(QStringLiteral("Cancella i dati"));
    FileNewItem->setShortcut(QKeySequence::New);
    FileMenu->insertAction(FileOpenItem, FileNewItem);
    connect(FileNewItem, &QAction::triggered, this, &TfrmDataIn::spbtnNewClick);
    FileOpenItem->setShortcut(QKeySequence::Open);
    FileSaveAsItem->setShortcut(QKeySequence::Save);
    FileExitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    EditUndoItem = new QAction(QStringLiteral("&Annulla"), this);
    EditUndoItem->setObjectName(QStringLiteral("EditUndoItem"));
    EditUndoItem->setStatusTip(QStringLiteral(
        "Riporta le celle a prima di Cancella i dati, Apri, Importa o Calcola matrice"));
    EditUndoItem->setShortcut(QKeySequence::Undo);
    EditMenu->insertAction(EditCutItem, EditUndoItem);
    EditMenu->insertSeparator(EditCutItem);
    undo_ = new nodewise::CellUndo(EditUndoItem, this);
    connect(EditUndoItem, &QAction::triggered, this, &TfrmDataIn::EditUndoItemClick);

    marks_ = std::make_unique<nodewise::CellMarks>(AdmittanceCells, DataCells);
    std::vector<QLineEdit*> cells;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            cells.push_back(AdmittanceCells[c][r]);
        }
    }
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            cells.push_back(DataCells[c][r]);
        }
    }
    for (QLineEdit* cell : cells) {
        undo_->WatchShortcutIn(cell);
        connect(cell, &QLineEdit::textEdited, undo_, &nodewise::CellUndo::Forget);
        connect(cell, &QLineEdit::textChanged, this, [this] {
            if (!writingCells_) {
                marks_->CellsChanged(ReadCells());
                updateModified();
            }
        });
    }
    undo_->WatchShortcutIn(txtnumit);
}

void TfrmDataIn::RememberCellsForUndo() {
    undo_->Remember(ReadCells());
}

void TfrmDataIn::ReplaceCellsUndoably(const CellTexts& cells) {
    RememberCellsForUndo();
    WriteCells(cells);
}

void TfrmDataIn::EditUndoItemClick() {
    if (const std::optional<CellTexts> previous = undo_->Swap(ReadCells())) {
        WriteCells(*previous);
    }
}

// The client area: every control sits at a fixed pixel position in it.
void TfrmDataIn::createClientArea() {
    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    client->setMouseTracking(true);
    client->installEventFilter(this);
    setCentralWidget(client);
}

// The main menu; an item with a tool button of the same command shares its handler.
void TfrmDataIn::createMenus() {
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    FileOpenItem = FileMenu->addAction(QStringLiteral("&Apri ..."));
    FileOpenItem->setStatusTip(QStringLiteral("Importa i dati di una rete"));
    FileSaveAsItem = FileMenu->addAction(QStringLiteral("&Salva..."));
    FileSaveAsItem->setStatusTip(QStringLiteral("Salva i dati inseriti"));
    nodewise::AddMatpowerItems(
        this, FileMenu,
        {[this] { return ReadCells(); },
         [this](const CellTexts& cells) { ReplaceCellsUndoably(cells); },
         [this] { return MayReplaceNetwork(); },
         [this](const QString& file) { SetNetworkFile(file); }, [this] { return Options(); },
         [this](const nodewise::CalculationOptions& options) { SetOptions(options); }});
    FileMenu->addSeparator();
    FileExitItem = FileMenu->addAction(QStringLiteral("&Esci"));
    FileExitItem->setStatusTip(QStringLiteral("Ciao"));

    EditMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    EditCutItem = EditMenu->addAction(QStringLiteral("&Taglia"));
    EditCutItem->setStatusTip(QStringLiteral("Cancella e copia negli Appunti"));
    EditCopyItem = EditMenu->addAction(QStringLiteral("&Copia"));
    EditCopyItem->setStatusTip(QStringLiteral("Copia negli Appunti"));
    EditPasteItem = EditMenu->addAction(QStringLiteral("&Incolla"));
    EditPasteItem->setStatusTip(QStringLiteral("Incolla il contenuto degli Appunti"));
    EditMenu->addSeparator();
    EditLinesItem = EditMenu->addAction(QStringLiteral("&Matrice dalle linee..."));
    EditLinesItem->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    EditLinesItem->setStatusTip(
        QStringLiteral("Calcola la matrice delle ammettenze dai dati di linea"));
    EditOptionsItem = EditMenu->addAction(QStringLiteral("&Opzioni di calcolo..."));
    EditOptionsItem->setStatusTip(QStringLiteral(
        "Arresto a tolleranza, fattore di accelerazione e limiti di potenza reattiva"));

    nodewise::AddAnalysisMenu(menuBar());

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    HelpContentsItem = HelpMenu->addAction(QStringLiteral("&Documentazione"));
    HelpContentsItem->setStatusTip(QStringLiteral("Display the help contents screen"));
    // F1 is shown beside the item; the key itself is caught for every window by the shell, so
    // the item's own shortcut acts only inside its menu, where that catch does not reach first.
    HelpContentsItem->setShortcut(QKeySequence::HelpContents);
    HelpContentsItem->setShortcutContext(Qt::WidgetShortcut);
    HelpMenu->addSeparator();
    HelpAboutItem = HelpMenu->addAction(QStringLiteral("&Informazioni su..."));
    HelpAboutItem->setStatusTip(QStringLiteral("Show program information"));

    connect(FileOpenItem, &QAction::triggered, this, &TfrmDataIn::spbtnOpenClick);
    connect(FileSaveAsItem, &QAction::triggered, this, &TfrmDataIn::spdbtnSaveClick);
    connect(FileExitItem, &QAction::triggered, this, &TfrmDataIn::spdbtnExitClick);
    connect(EditCutItem, &QAction::triggered, this, &TfrmDataIn::spdbtnCutClick);
    connect(EditCopyItem, &QAction::triggered, this, &TfrmDataIn::spdbtnCopyClick);
    connect(EditPasteItem, &QAction::triggered, this, &TfrmDataIn::spdbtnPasteClick);
    connect(EditLinesItem, &QAction::triggered, this, &TfrmDataIn::spdbtnLinesClick);
    connect(EditOptionsItem, &QAction::triggered, this, &TfrmDataIn::EditOptionsItemClick);
    connect(HelpContentsItem, &QAction::triggered, this, &TfrmDataIn::spdbtnHelpClick);
    connect(HelpAboutItem, &QAction::triggered, this, &TfrmDataIn::spdbtnAboutClick);
}

// The tool bar: flat buttons that never take the focus, hints without their status part.
void TfrmDataIn::createToolBar() {
    SpeedBar = new QWidget(centralWidget());
    SpeedBar->setGeometry(0, 0, ClientWidth, 33);
    auto toolButton = [this](int left, const QString& hint, const QIcon& icon,
                             void (TfrmDataIn::*handler)()) {
        auto* button = new QToolButton(SpeedBar);
        button->setGeometry(left, 4, 25, 25);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIcon(icon);
        button->setToolTip(ShortHint(hint));
        connect(button, &QToolButton::clicked, this, handler);
        return button;
    };
    QStyle* style = this->style();
    spbtnNew = toolButton(8, QStringLiteral("Cancella i dati"),
                          style->standardIcon(QStyle::SP_FileIcon), &TfrmDataIn::spbtnNewClick);
    spbtnOpen =
        toolButton(40, QStringLiteral("Apri un file .nwd|"),
                   style->standardIcon(QStyle::SP_DialogOpenButton), &TfrmDataIn::spbtnOpenClick);
    spdbtnSave =
        toolButton(64, QStringLiteral("Salva come file .nwd|"),
                   style->standardIcon(QStyle::SP_DialogSaveButton), &TfrmDataIn::spdbtnSaveClick);
    spdbtnExit =
        toolButton(88, QStringLiteral("Esci|"), style->standardIcon(QStyle::SP_DialogCloseButton),
                   &TfrmDataIn::spdbtnExitClick);
    spdbtnCut = toolButton(128, QStringLiteral("Taglia|"), DrawnIcon(Glyph::Cut),
                           &TfrmDataIn::spdbtnCutClick);
    spdbtnCopy = toolButton(152, QStringLiteral("Copia|"), DrawnIcon(Glyph::Copy),
                            &TfrmDataIn::spdbtnCopyClick);
    spdbtnPaste = toolButton(176, QStringLiteral("Incolla|"), DrawnIcon(Glyph::Paste),
                             &TfrmDataIn::spdbtnPasteClick);
    spdbtnHelp = toolButton(224, QStringLiteral("Documentazione|"), DrawnIcon(Glyph::Help),
                            &TfrmDataIn::spdbtnHelpClick);
    spdbtnAbout = toolButton(248, QStringLiteral("About|"),
                             style->standardIcon(QStyle::SP_MessageBoxInformation),
                             &TfrmDataIn::spdbtnAboutClick);
    spdbtnLines = toolButton(288, QStringLiteral("Matrice dalle linee|"), DrawnIcon(Glyph::Lines),
                             &TfrmDataIn::spdbtnLinesClick);
}

// Headings that explain themselves when clicked.
void TfrmDataIn::createHeadings() {
    QWidget* client = centralWidget();
    auto heading = [client, this](const QString& caption, const QFont& font, const QRect& rect) {
        auto* label = new QLabel(caption, client);
        label->setFont(font);
        label->setGeometry(rect);
        label->setToolTip(QStringLiteral("Click for Hint"));
        label->setMouseTracking(true);
        label->installEventFilter(this);
        setHighlighted(label, false);
        return label;
    };
    lblY = heading(QStringLiteral("Matrice ammettenze nodali"), SerifFont(15, true),
                   QRect(180, 45, 178, 17));
    // The substitute serif runs wider than the original face: let the caption grow to the right
    // rather than lose its last word.
    lblY->resize(std::max(lblY->width(), lblY->sizeHint().width()), lblY->height());
    lblE = heading(QStringLiteral("E"), SerifFont(16, true), QRect(545, 54, 25, 25));
    lbld = heading(QString(QChar(0x03B4)), SerifFont(16, true), QRect(600, 54, 25, 25));
    lblP = heading(QStringLiteral("P"), SerifFont(16, true), QRect(655, 54, 25, 25));
    lblQ = heading(QStringLiteral("Q"), SerifFont(16, true), QRect(710, 54, 25, 25));
}

// The iteration count and the button that starts the acquisition.
void TfrmDataIn::createAcquisitionControls() {
    QWidget* client = centralWidget();
    Label6 = new QLabel(QStringLiteral("n° iterazioni"), client);
    Label6->move(50, 174);
    Label6->adjustSize();

    txtnumit = new QLineEdit(QStringLiteral("20"), client);
    txtnumit->setGeometry(60, 188, 25, 21);
    txtnumit->setMaxLength(3);
    txtnumit->setToolTip(QStringLiteral("max 999"));
    txtnumit->setFont(SansFont(12));

    BtnAcquire = new QPushButton(QStringLiteral("Acquisisci dati"), client);
    BtnAcquire->setGeometry(10, 235, 737, 25);
    BtnAcquire->setFont(SansFont(15, true));
    BtnAcquire->setToolTip(QStringLiteral("Avvia l'elaborazione"));
    connect(BtnAcquire, &QPushButton::clicked, this, &TfrmDataIn::BtnAcquireClick);
}

// The grid: node numbers, the admittance cells and the node data cells.
void TfrmDataIn::createGrid() {
    QWidget* client = centralWidget();
    // Node numbers: beside the diagonal, above the matrix columns, before the data rows.
    for (int i = 0; i < MaxNodes; ++i) {
        const QString number = QString::number(i + 1);
        const QRect places[3] = {QRect(5 + 70 * i, 85 + 20 * i, 20, 20),
                                 QRect(45 + 70 * i, 65, 20, 20), QRect(515, 85 + 20 * i, 20, 20)};
        for (int group = 0; group < 3; ++group) {
            NodeLabels[group][i] = new QLabel(number, client);
            NodeLabels[group][i]->setGeometry(places[group]);
        }
    }

    // The upper triangle of the admittance matrix, row by row.
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = r; c < MaxNodes; ++c) {
            auto* cell = new QLineEdit(client);
            cell->setGeometry(15 + 70 * c, 80 + 20 * r, 70, 20);
            connect(cell, &QLineEdit::textChanged, this, [this, cell] { CellMouseMove(cell); });
            cell->setMouseTracking(true);
            cell->installEventFilter(this);
            AdmittanceCells[c][r] = cell;
        }
    }

    // E, d, P, Q of every node, row by row.
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = 0; c < DataColumns; ++c) {
            auto* cell = new QLineEdit(client);
            cell->setGeometry(526 + 55 * c, 80 + 20 * r, 50, 20);
            DataCells[c][r] = cell;
        }
    }
}

// Tab order: the button, the iteration count, then the cells in creation order. The button
// holds the focus first.
void TfrmDataIn::createTabOrder() {
    QWidget* previous = BtnAcquire;
    auto chain = [&previous](QWidget* next) {
        setTabOrder(previous, next);
        previous = next;
    };
    chain(txtnumit);
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = r; c < MaxNodes; ++c) {
            chain(AdmittanceCells[c][r]);
        }
    }
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = 0; c < DataColumns; ++c) {
            chain(DataCells[c][r]);
        }
    }
    BtnAcquire->setFocus();
}

// The documented names, by which the controls are found from outside the window.
void TfrmDataIn::nameControls() {
    menuBar()->setObjectName(QStringLiteral("MainMenu"));
    const std::pair<QObject*, const char*> controls[] = {
        {txtnumit, "txtnumit"},
        {BtnAcquire, "BtnAcquire"},
        {lblY, "lblY"},
        {lblE, "lblE"},
        {lbld, "lbld"},
        {lblP, "lblP"},
        {lblQ, "lblQ"},
        {Label6, "Label6"},
        {SpeedBar, "SpeedBar"},
        {spbtnNew, "spbtnNew"},
        {spbtnOpen, "spbtnOpen"},
        {spdbtnSave, "spdbtnSave"},
        {spdbtnExit, "spdbtnExit"},
        {spdbtnCut, "spdbtnCut"},
        {spdbtnCopy, "spdbtnCopy"},
        {spdbtnPaste, "spdbtnPaste"},
        {spdbtnHelp, "spdbtnHelp"},
        {spdbtnAbout, "spdbtnAbout"},
        {spdbtnLines, "spdbtnLines"},
        {FileMenu, "FileMenu"},
        {EditMenu, "EditMenu"},
        {HelpMenu, "HelpMenu"},
        {FileOpenItem, "FileOpenItem"},
        {FileSaveAsItem, "FileSaveAsItem"},
        {FileExitItem, "FileExitItem"},
        {EditCutItem, "EditCutItem"},
        {EditCopyItem, "EditCopyItem"},
        {EditPasteItem, "EditPasteItem"},
        {EditLinesItem, "EditLinesItem"},
        {EditOptionsItem, "EditOptionsItem"},
        {HelpContentsItem, "HelpContentsItem"},
        {HelpAboutItem, "HelpAboutItem"},
    };
    for (const auto& [control, name] : controls) {
        control->setObjectName(QLatin1String(name));
    }
    // A table's element by the table's name and its two indices: "AdmittanceCells[3][1]".
    auto element = [](const char* table, int i, int j) {
        return QStringLiteral("%1[%2][%3]").arg(QLatin1String(table)).arg(i).arg(j);
    };
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            AdmittanceCells[c][r]->setObjectName(element("AdmittanceCells", c, r));
        }
    }
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            DataCells[c][r]->setObjectName(element("DataCells", c, r));
        }
    }
    for (int group = 0; group < 3; ++group) {
        for (int i = 0; i < MaxNodes; ++i) {
            NodeLabels[group][i]->setObjectName(element("NodeLabels", group, i));
        }
    }
}

CellTexts TfrmDataIn::ReadCells() const {
    CellTexts cells;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            cells.Admittance[c][r] = ToCellBytes(AdmittanceCells[c][r]->text());
        }
    }
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            cells.Data[c][r] = ToCellBytes(DataCells[c][r]->text());
        }
    }
    return cells;
}

std::string TfrmDataIn::IterationText() const {
    return ToCellBytes(txtnumit->text());
}

void TfrmDataIn::WriteCells(const CellTexts& cells) {
    writingCells_ = true;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            AdmittanceCells[c][r]->setText(FromCellBytes(cells.Admittance[c][r]));
            AdmittanceCells[c][r]->setCursorPosition(0); // show the start of a long entry
        }
    }
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            DataCells[c][r]->setText(FromCellBytes(cells.Data[c][r]));
            DataCells[c][r]->setCursorPosition(0);
        }
    }
    writingCells_ = false;
    if (marks_) {
        marks_->CellsChanged(ReadCells());
    }
    updateModified();
}

bool TfrmDataIn::NetworkModified() const {
    return lineDataEdited_ || !SameCells(ReadCells(), savedCells_) ||
           !SameOptions(options_, savedOptions_);
}

const nodewise::CalculationOptions& TfrmDataIn::Options() const {
    return options_;
}

void TfrmDataIn::SetOptions(const nodewise::CalculationOptions& options) {
    options_ = options;
    updateModified();
}

void TfrmDataIn::EditOptionsItemClick() {
    if (const std::optional<nodewise::CalculationOptions> options =
            nodewise::Dialogs().askCalculationOptions(this, options_)) {
        SetOptions(*options);
    }
}

void TfrmDataIn::updateModified() {
    setWindowModified(NetworkModified());
}

void TfrmDataIn::SetNetworkFile(const QString& file) {
    savedCells_ = ReadCells();
    savedOptions_ = options_;
    lineDataEdited_ = false;
    setWindowFilePath(file);
    setWindowTitle(file.isEmpty()
                       ? ProgramTitle + QStringLiteral("[*]")
                       : QFileInfo(file).fileName() + QStringLiteral("[*] - ") + ProgramTitle);
    updateModified();
}

void TfrmDataIn::LineDataEdited() {
    lineDataEdited_ = true;
    updateModified();
}

bool TfrmDataIn::MayReplaceNetwork() {
    if (!NetworkModified()) {
        return true;
    }
    switch (nodewise::Dialogs().askSaveChanges(this)) {
    case nodewise::SaveChoice::Save:
        return saveNetwork();
    case nodewise::SaveChoice::Discard:
        return true;
    case nodewise::SaveChoice::Cancel:
        break;
    }
    return false;
}

void TfrmDataIn::WriteAdmittanceCells(const CellTexts& cells) {
    // The node data stay as they are; the fill is one step of Ctrl+Z like any other command
    // that replaces the cells.
    CellTexts filled = ReadCells();
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            filled.Admittance[c][r] = cells.Admittance[c][r];
        }
    }
    ReplaceCellsUndoably(filled);
    nodewise::HideResultForms();
}

void TfrmDataIn::BtnAcquireClick() {
    nodewise::Guarded([this] {
        nodewise::HideResultForms();
        const CellTexts cells = ReadCells();
        // Text the reading leaves aside is asked about first; "Correggi" stops before anything
        // is read, with the cells marked and the first of them focused.
        const std::vector<nodewise::UnreadCell> unread = nodewise::UnreadCells(cells);
        if (!unread.empty() &&
            !nodewise::Questions().acquireAnyway(
                this, QString::fromStdString(nodewise::UnreadCellsMessage(unread)))) {
            nodewise::ProgramRuns().Abandon();
            marks_->Acquired(cells, false);
            CellOnLine(unread.front().line)->setFocus();
            return;
        }
        const std::optional<int> warning =
            nodewise::ProgramRuns().Acquire(ToCellBytes(txtnumit->text()), cells);
        marks_->Acquired(cells, warning == nodewise::WarningNodeType);
        if (warning) {
            nodewise::ShowInputWarning(nodewise::Port(), *warning);
            return;
        }
        if (const std::optional<nodewise::CutOffNodes> cutOff =
                nodewise::FindCutOffNodes(nodewise::AcquiredNetwork())) {
            if (!nodewise::Questions().acquireAnyway(
                    this, QString::fromStdString(nodewise::CutOffMessage(*cutOff)))) {
                nodewise::ProgramRuns().Abandon();
                return;
            }
        }
        // Reactive limits only on nodes whose E is given and Q unknown.
        if (const std::optional<std::string> problem =
                nodewise::LimitsProblem(nodewise::AcquiredNetwork(), options_)) {
            nodewise::Port().showMessage(*problem, nodewise::InputWarningCaption,
                                         nodewise::MessageIcon::Exclamation);
            nodewise::ProgramRuns().Abandon();
            return;
        }
        nodewise::ShowSummaryWindow();
    });
}

QLineEdit* TfrmDataIn::CellOnLine(int line) const {
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            if (line-- == 0) {
                return AdmittanceCells[c][r];
            }
        }
    }
    return DataCells[line % DataColumns][line / DataColumns];
}

void TfrmDataIn::spbtnOpenClick() {
    if (!MayReplaceNetwork()) {
        return;
    }
    const QString file = nodewise::Dialogs().getOpenFileName(
        this, QStringLiteral("Apri un File dati di rete per loadflow"), NetworkFileFilter,
        nodewise::LastUsedFolder());
    if (file.isEmpty()) {
        return;
    }
    OpenNetworkFile(file);
}

void TfrmDataIn::OpenNetworkFile(const QString& file) {
    nodewise::RememberUsedFile(file);
    nodewise::Guarded([this, &file] {
        nodewise::NetworkFile contents;
        if (!nodewise::ReadNetworkFile(LocalPath(file), contents)) {
            nodewise::Port().showMessage(nodewise::NetworkLoadErrorText,
                                         nodewise::NetworkFileErrorCaption,
                                         nodewise::MessageIcon::Stop);
            return;
        }
        ReplaceCellsUndoably(contents.cells);
        nodewise::ShowFileSections(contents.sections);
        options_ = contents.sections.options.value_or(nodewise::CalculationOptions{});
        nodewise::RememberNetworkFile(file);
        SetNetworkFile(file);
        nodewise::HideResultForms();
        if (contents.sectionProblem) {
            nodewise::Port().showMessage(nodewise::SectionProblemText(*contents.sectionProblem),
                                         nodewise::NetworkFileErrorCaption,
                                         nodewise::MessageIcon::Exclamation);
        }
    });
}

void TfrmDataIn::spdbtnSaveClick() {
    saveNetwork();
}

bool TfrmDataIn::saveNetwork() {
    // The dialog opens in the folder last used and proposes the name of the network file last
    // opened or saved.
    const QString lastFile = nodewise::LastNetworkFile();
    const QString start =
        lastFile.isEmpty()
            ? nodewise::LastUsedFolder()
            : QDir(nodewise::LastUsedFolder()).filePath(QFileInfo(lastFile).fileName());
    int filterIndex = 1;
    const QString file = nodewise::Dialogs().getSaveFileName(
        this, QStringLiteral("Salva un File dati di rete per loadflow"), NetworkFileFilter,
        QStringLiteral("nwd"), &filterIndex, start);
    if (file.isEmpty()) {
        return false;
    }
    nodewise::RememberUsedFile(file);
    bool saved = false;
    nodewise::Guarded([this, &file, &saved] {
        nodewise::FileSections sections = nodewise::LineDataSections();
        sections.options = options_;
        std::string reason;
        if (!nodewise::WriteNetworkFile(LocalPath(file), ReadCells(), sections, &reason)) {
            nodewise::Port().showDetailedMessage(nodewise::NetworkSaveErrorText,
                                                 nodewise::NetworkFileErrorCaption,
                                                 nodewise::MessageIcon::Stop, reason);
            return;
        }
        nodewise::RememberNetworkFile(file);
        SetNetworkFile(file);
        saved = true;
    });
    return saved;
}

void TfrmDataIn::spbtnNewClick() {
    if (!MayReplaceNetwork()) {
        return;
    }
    RememberCellsForUndo();
    writingCells_ = true;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            AdmittanceCells[c][r]->clear();
        }
    }
    for (int c = 0; c < DataColumns; ++c) {
        for (int r = 0; r < MaxNodes; ++r) {
            DataCells[c][r]->clear();
        }
    }
    writingCells_ = false;
    marks_->CellsChanged(ReadCells());
    options_ = nodewise::CalculationOptions{};
    SetNetworkFile(QString());
}

void TfrmDataIn::spdbtnExitClick() {
    if (!MayReplaceNetwork()) {
        return;
    }
    nodewise::HideResultForms();
    exitGoesAhead_ = true;
    close();
    exitGoesAhead_ = false;
}

// The window's close box, the window manager's close: the same question as the exit command.
void TfrmDataIn::closeEvent(QCloseEvent* event) {
    if (!exitGoesAhead_ && !MayReplaceNetwork()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// The clipboard commands act on the edit box that has the focus in this window, if any.
void TfrmDataIn::spdbtnCutClick() {
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) {
        edit->cut();
    }
}

void TfrmDataIn::spdbtnCopyClick() {
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) {
        edit->copy();
    }
}

void TfrmDataIn::spdbtnPasteClick() {
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget())) {
        edit->paste();
    }
}

void TfrmDataIn::spdbtnHelpClick() {
    nodewise::OpenHelpDocument();
}

void TfrmDataIn::spdbtnAboutClick() {
    nodewise::ShowAboutBox();
}

void TfrmDataIn::spdbtnLinesClick() {
    nodewise::ShowLineDataWindow();
}

namespace {

void ShowHelp(const std::string& text, const char* caption) {
    nodewise::Guarded([&text, caption] {
        nodewise::Port().showMessage(text, caption, nodewise::MessageIcon::Information);
    });
}

} // namespace

void TfrmDataIn::lblYClick() {
    ShowHelp(nodewise::AdmittanceHelpText(), nodewise::AdmittanceHelpCaption);
}

void TfrmDataIn::lblEClick() {
    ShowHelp(nodewise::VoltageMagnitudeHelpText(), nodewise::NodeQuantityHelpCaption);
}

void TfrmDataIn::lbldClick() {
    ShowHelp(nodewise::VoltagePhaseHelpText(), nodewise::NodeQuantityHelpCaption);
}

void TfrmDataIn::lblPClick() {
    ShowHelp(nodewise::ActivePowerHelpText(), nodewise::NodeQuantityHelpCaption);
}

void TfrmDataIn::lblQClick() {
    ShowHelp(nodewise::ReactivePowerHelpText(), nodewise::NodeQuantityHelpCaption);
}

void TfrmDataIn::setHighlighted(QLabel* label, bool on) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, on ? QColor(0, 0, 255) : QColor(0, 0, 0));
    label->setPalette(palette);
    QFont font = label->font();
    font.setUnderline(on);
    label->setFont(font);
}

void TfrmDataIn::lblYMouseMove() {
    setHighlighted(lblY, true);
}
void TfrmDataIn::lblEMouseMove() {
    setHighlighted(lblE, true);
}
void TfrmDataIn::lbldMouseMove() {
    setHighlighted(lbld, true);
}
void TfrmDataIn::lblPMouseMove() {
    setHighlighted(lblP, true);
}
void TfrmDataIn::lblQMouseMove() {
    setHighlighted(lblQ, true);
}

void TfrmDataIn::FormMouseMove() {
    for (QLabel* label : {lblY, lblE, lbld, lblP, lblQ}) {
        setHighlighted(label, false);
    }
}

void TfrmDataIn::CellMouseMove(QLineEdit* cell) {
    if (cell != nullptr) {
        // The cell's text, followed by what was read of it when it is marked.
        cell->setToolTip(nodewise::CellMarks::AdmittanceHint(cell));
    }
}

bool TfrmDataIn::eventFilter(QObject* watched, QEvent* event) {
    using Handler = void (TfrmDataIn::*)();
    struct HeadingHandlers {
        QLabel* label;
        Handler mouseMove;
        Handler click;
    };
    const HeadingHandlers headings[] = {
        {lblY, &TfrmDataIn::lblYMouseMove, &TfrmDataIn::lblYClick},
        {lblE, &TfrmDataIn::lblEMouseMove, &TfrmDataIn::lblEClick},
        {lbld, &TfrmDataIn::lbldMouseMove, &TfrmDataIn::lbldClick},
        {lblP, &TfrmDataIn::lblPMouseMove, &TfrmDataIn::lblPClick},
        {lblQ, &TfrmDataIn::lblQMouseMove, &TfrmDataIn::lblQClick},
    };

    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == centralWidget()) {
            // Only the bare surface resets the headings; a move that reached the client area
            // from a child (an edit cell, the tool bar) does not.
            const auto* move = static_cast<QMouseEvent*>(event);
            if (centralWidget()->childAt(move->position().toPoint()) == nullptr) {
                FormMouseMove();
            }
            break;
        }
        for (const HeadingHandlers& heading : headings) {
            if (watched == heading.label) {
                (this->*heading.mouseMove)();
                return true;
            }
        }
        if (auto* cell = qobject_cast<QLineEdit*>(watched)) {
            CellMouseMove(cell);
        }
        break;
    case QEvent::MouseButtonRelease: {
        const auto* release = static_cast<QMouseEvent*>(event);
        if (release->button() != Qt::LeftButton) {
            break;
        }
        for (const HeadingHandlers& heading : headings) {
            if (watched == heading.label &&
                heading.label->rect().contains(release->position().toPoint())) {
                (this->*heading.click)();
                // The hint was shown in a box of its own: the mouse has left the heading
                // meanwhile, or will highlight it again as soon as it moves on it.
                setHighlighted(heading.label, false);
                return true;
            }
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
