// The about box.
#pragma once

#include <QDialog>
#include <QPixmap>

class QPushButton;

namespace nodewise {
// The program's picture, 32 x 32: three nodes of a network joined by lines. Also the icon of
// the main window.
QPixmap NetworkPicture();
} // namespace nodewise

class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QPushButton* btnClose = nullptr;

public slots:
    void btnCloseClick();
};
