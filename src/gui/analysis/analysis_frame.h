// The frame of the analysis windows that follow the runs: the method box over the methods run
// since the acquisition, the line that says there is none, the close button, and following the
// runs while closed, so that a window opens on the run made meanwhile. A window that shows every
// run at once (Convergenza) has no method box, and only refreshes.
#pragma once

#include <initializer_list>
#include <optional>

#include <QWidget>

#include "core/model/run.h"

class QHBoxLayout;
class QVBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;

namespace nodewise {

class AnalysisWindow : public QWidget {
    Q_OBJECT

public:
    // A method's run has ended: it becomes the method shown when the window is open, and when
    // it next opens otherwise.
    void RunEnded(Method method);

    // Rebuilds the method list and what the window shows from the runs held.
    virtual void Refresh() = 0;

protected:
    // A window of that object name, title and size, laid out in a column (`column_`).
    AnalysisWindow(QWidget* parent, const QString& name, const QString& title, QSize size);

    // Refreshes, then shows the run made while the window was closed, if any.
    void showEvent(QShowEvent* event) override;

    // After RunEnded has chosen the method of the run ("cboMethod").
    virtual void RunShown() {}

    // A row at the top of the column that starts with "&Metodo:" and the method box.
    QHBoxLayout* AddMethodRow();
    // A button of the window, named for the tests.
    QPushButton* NewButton(const char* name, const QString& text);
    // The row at the bottom of the column: `buttons` at the left, "&Chiudi" ("btnClose"), which
    // closes the window, at the right.
    void AddButtonRow(std::initializer_list<QPushButton*> buttons);
    // "Nessun metodo eseguito dall'ultima acquisizione." ("lblEmpty"), next in the column.
    void AddEmptyLine();

    QVBoxLayout* column_ = nullptr;
    QComboBox* cboMethod_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QLabel* lblEmpty_ = nullptr;

private:
    std::optional<Method> runWhileHidden_; // the last run while closed
};

} // namespace nodewise
