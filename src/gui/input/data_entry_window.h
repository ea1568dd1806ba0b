// The data-entry window: admittance matrix, node data, iteration count, file and help commands.
// Its controls are its own; each carries its documented name as object name (the cells
// "AdmittanceCells[c][r]", "DataCells[c][r]", the node numbers "NodeLabels[group][node]").
#pragma once

#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <memory>

#include "core/input/cell_texts.h"
#include "core/model/calculation_options.h"

class QAction;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QPushButton;
class QToolButton;

namespace nodewise {
class CellMarks;
class CellUndo;
} // namespace nodewise

class TfrmDataIn : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmDataIn(QWidget* parent = nullptr);
    ~TfrmDataIn() override;

    // The texts of the 56 cells (UTF-8) / sets all 56 cells.
    nodewise::CellTexts ReadCells() const;
    void WriteCells(const nodewise::CellTexts& cells);

    // The text of the iteration box (UTF-8).
    std::string IterationText() const;

    // Writes the admittance part of `cells` (all 28 cells of the upper triangle) and hides the
    // result windows, as any change of the cells does; the node data cells stay as they are.
    // The one way in of a matrix computed from line data; Ctrl+Z brings the cells back.
    void WriteAdmittanceCells(const nodewise::CellTexts& cells);

    // Reads a network file into the cells as "Apri" does after its dialog, messages included;
    // also used for the file named on the command line.
    void OpenNetworkFile(const QString& file);

    // Undo of the commands that replace the cells as a whole (Edit > "Annulla", Ctrl+Z): the
    // cells as they are now become the step back / the cells are replaced, the ones they
    // replace becoming the step back. Every such command goes through one of these.
    void RememberCellsForUndo();
    void ReplaceCellsUndoably(const nodewise::CellTexts& cells);

    // Whether the network (the 56 cells and the line data) has changed since it was loaded,
    // saved or cleared; the title shows it with its modified mark.
    bool NetworkModified() const;

    // The cells as they are now are those of `file` (empty: of no file) and the line data go
    // with them: the network is unmodified, and the title names the file.
    void SetNetworkFile(const QString& file);

    // The calculation options of the network: edited with Edit > "Opzioni di calcolo...", saved
    // and opened with it, cleared by "Nuovo". The network counts as modified while they differ
    // from those it was loaded, saved or cleared with.
    const nodewise::CalculationOptions& Options() const;
    void SetOptions(const nodewise::CalculationOptions& options);

    // Before the cells are replaced or the program ends: when the network has changed, asks
    // whether to save it first. True when the action may go on (nothing changed, saved, or the
    // changes given up); false when it was cancelled or the save did not succeed.
    bool MayReplaceNetwork();

    // Opens the help document; tests replace it to see the path without starting a browser.
    // The help command's own opener (nodewise::DocumentOpener), under this window's name.
    static std::function<bool(const QUrl&)>& OpenDocument;

public slots:
    void BtnAcquireClick();
    void spbtnOpenClick();
    void spdbtnSaveClick();
    void spbtnNewClick();
    void spdbtnExitClick();
    void spdbtnCutClick();
    void spdbtnCopyClick();
    void spdbtnPasteClick();
    void spdbtnHelpClick();
    void spdbtnAboutClick();
    void spdbtnLinesClick();
    void EditUndoItemClick();
    void EditOptionsItemClick();
    void lblYClick();
    void lblEClick();
    void lbldClick();
    void lblPClick();
    void lblQClick();
    // The line data were edited by the user.
    void LineDataEdited();

public:
    // Highlighting of the five help labels: a label under the mouse turns blue and underlined;
    // the mouse over the bare client area turns all five back to plain black.
    void lblYMouseMove();
    void lblEMouseMove();
    void lbldMouseMove();
    void lblPMouseMove();
    void lblQMouseMove();
    void FormMouseMove();

    // The tooltip of a cell follows its text.
    void CellMouseMove(QLineEdit* cell);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createClientArea();
    void createMenus();
    void createToolBar();
    void createHeadings();
    void createAcquisitionControls();
    void createGrid();
    void createTabOrder();
    void nameControls();
    void setHighlighted(QLabel* label, bool on);
    void createGuidance();
    // The ordinary save, with its dialog; true when the network was written.
    bool saveNetwork();
    void updateModified();
    // The cell on that line of the network data file (0..55).
    QLineEdit* CellOnLine(int line) const;
    void createStudyItems();

    // [column][row]; AdmittanceCells[c][r] is nullptr where c < r.
    QLineEdit* AdmittanceCells[nodewise::MaxNodes][nodewise::MaxNodes] = {};
    // [column][row]; columns E, d, P, Q.
    QLineEdit* DataCells[nodewise::DataColumns][nodewise::MaxNodes] = {};
    // [column][row]; the node numbers beside the matrix, under it and beside the node data.
    QLabel* NodeLabels[3][nodewise::MaxNodes] = {};

    QLineEdit* txtnumit = nullptr;
    QPushButton* BtnAcquire = nullptr;
    QLabel* lblY = nullptr;
    QLabel* lblE = nullptr;
    QLabel* lbld = nullptr;
    QLabel* lblP = nullptr;
    QLabel* lblQ = nullptr;
    QLabel* Label6 = nullptr;

    QWidget* SpeedBar = nullptr;
    QToolButton* spbtnNew = nullptr;
    QToolButton* spbtnOpen = nullptr;
    QToolButton* spdbtnSave = nullptr;
    QToolButton* spdbtnExit = nullptr;
    QToolButton* spdbtnCut = nullptr;
    QToolButton* spdbtnCopy = nullptr;
    QToolButton* spdbtnPaste = nullptr;
    QToolButton* spdbtnHelp = nullptr;
    QToolButton* spdbtnAbout = nullptr;
    QToolButton* spdbtnLines = nullptr;

    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* EditCutItem = nullptr;
    QAction* EditCopyItem = nullptr;
    QAction* EditPasteItem = nullptr;
    QAction* EditLinesItem = nullptr;
    QAction* EditOptionsItem = nullptr;
    QAction* HelpContentsItem = nullptr;
    QAction* HelpAboutItem = nullptr;
    QAction* FileNewItem = nullptr;
    QAction* EditUndoItem = nullptr;
    QAction* FilePrintItem = nullptr;
    QAction* FileExportPdfItem = nullptr;

    std::unique_ptr<nodewise::CellMarks> marks_;
    nodewise::CellUndo* undo_ = nullptr;
    bool writingCells_ = false; // the marks follow once all cells are written

    nodewise::CellTexts savedCells_; // as loaded, saved or cleared
    bool lineDataEdited_ = false;
    nodewise::CalculationOptions options_;
    nodewise::CalculationOptions savedOptions_; // as loaded, saved or cleared
    bool exitGoesAhead_ = false; // the exit command has asked already: the close does not
};
