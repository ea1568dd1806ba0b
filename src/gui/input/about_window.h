// The about box. Its button carries its documented name, "btnClose", as object name.
#pragma once

#include <QDialog>

class QPushButton;

class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);

public slots:
    void btnCloseClick();

private:
    QPushButton* btnClose = nullptr;
};
