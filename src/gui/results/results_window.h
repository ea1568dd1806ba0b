// A results window: the iteration history of one method, its own copy of it, and its export.
// Its controls are its own; each carries its documented name as object name.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "core/model/network.h"

class QPushButton;
class QTreeView;

namespace nodewise {
class HistoryListModel;

} // namespace nodewise

class TfrmDataOut : public QWidget {
    Q_OBJECT

public:
    explicit TfrmDataOut(QWidget* parent = nullptr);
    ~TfrmDataOut() override;

    // The copy of the history this window shows and exports, [node][entry]; E per-unit,
    // d in degrees.
    double EResults[nodewise::MaxNodes][nodewise::MaxIterations] = {};
    double dResults[nodewise::MaxNodes][nodewise::MaxIterations] = {};
    // The last entry of the copies, once a run has been published into them (a tolerance may
    // have stopped it before the count typed); the count typed until then.
    std::optional<int> CopiedLastEntry;

    // Fills the list from the copies: entries 0..lastEntry of nodes 0..nodes-1, each entry
    // followed by three blank rows, numbers with the current locale's decimal separator; then
    // makes it visible.
    void FillList(int lastEntry, int nodes);
    // Empties the list and hides it.
    void ClearList();
    // Rows in the list (blank separator rows included).
    int ListRowCount() const;
    // The text of a cell of the list; empty outside it.
    QString ListText(int row, int column) const;
    // Selects the first row of entry `entry` and scrolls it to the top of the list; the row.
    int ShowEntry(int entry);
    // The row of the list that is selected; -1 when none.
    int CurrentListRow() const;

public slots:
    void btnCloseClick();
    void cmdSalvaClick();

private:
    void createList();
    void createButtons();

    QTreeView* ListView = nullptr;
    QPushButton* cmdSalva = nullptr;
    QPushButton* btnClose = nullptr;

    nodewise::HistoryListModel* model_ = nullptr;
};

namespace nodewise {

inline constexpr const char* SaveResultsTitle = "Salva Risultati";
inline constexpr const char* SaveResultsFilter = "Comma Separated Values|*.csv|HTML|*.html";

// Zeroes both copies of the window and empties and hides its list.
void ResetResults(TfrmDataOut* window);

} // namespace nodewise
