// The summary window: the acquired nodes, the choice of method and the run's status bar.
// Its controls are its own; each carries its documented name as object name.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QShowEvent;
class QStatusBar;
class QTreeWidget;

class TfrmDataOk : public QWidget {
    Q_OBJECT

public:
    explicit TfrmDataOk(QWidget* parent = nullptr);

    // Panel 0 carries messages, panel 1 a counter.
    void SetStatusPanel(int panel, const QString& text);
    QString StatusPanelText(int panel) const;
    QLabel* StatusPanel(int panel) const;

    // Rebuilds the list from the workspace; runs every time the window is shown.
    void ViewData();

public slots:
    void btnGaussClick();
    void btnNewtonClick();
    void btnStottClick();
    void btnErrataClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createList();
    void createMethodButtons();
    void createStatusBar();
    void createViewResultBox();

    QPushButton* btnGauss = nullptr;
    QPushButton* btnErrata = nullptr;
    QPushButton* btnNewton = nullptr;
    QTreeWidget* ListView = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QPushButton* btnStott = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* chbViewResult = nullptr;

    QLabel* panels_[2] = {};
};
