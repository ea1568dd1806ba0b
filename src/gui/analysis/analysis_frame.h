// The frame of the analysis windows that follow the runs: the method box over the methods run
// since the acquisition, the close button, and following the runs while closed, so that a window
// opens on the run made meanwhile.
#pragma once

#include <optional>

#include <QWidget>

#include "core/model/run.h"

class QBoxLayout;
class QComboBox;
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
    AnalysisWindow(QWidget* parent, const QString& name, const QString& title);

    // Refreshes, then shows the run made while the window was closed, if any.
    void showEvent(QShowEvent* event) override;

    // After RunEnded has chosen the method of the run ("cboMethod").
    virtual void RunShown() {}

    // "&Metodo:" and the method box, added to `row`.
    void AddMethodBox(QBoxLayout* row);
    // "&Chiudi" ("btnClose"), which closes the window, added to `row`.
    void AddCloseButton(QBoxLayout* row);

    QComboBox* cboMethod_ = nullptr;
    QPushButton* btnClose_ = nullptr;

private:
    std::optional<Method> runWhileHidden_; // the last run while closed
};

} // namespace nodewise
